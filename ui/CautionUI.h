#pragma once

#include "app/ErrorMessageManager.h"
#include "ui/HeaderUI.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{
/** The message overlay of the main screen: shows the error-message manager's current message as a
    red line over the header, between the logo and the reset buttons. A blocking message also dims the whole
   screen to 50 % black and takes every click, except on the overlay's own settings button, which sits exactly
   over the header's so that the settings stay reachable.

    Registers itself as a display of the error-message manager when built and leaves it when
    destroyed. Starts hidden. */
class CautionUI : public juce::Component, public ErrorMessageManager::Display
{
public:
    CautionUI();
    ~CautionUI() override;

    void showMessage(const juce::String& text, bool blocking) override;
    void hideMessage() override;

    /** Called with command 15 when the overlay's settings button is clicked. */
    std::function<void(int commandId)> onCommand;

    /** The dimming: 0.5 while a blocking message is shown, else 0. */
    float getOpacity() const noexcept { return opacity; }

    /** Places the settings button exactly over the header's, given the header's bounds in the
        overlay's coordinates. */
    void setHeaderBounds(juce::Rectangle<int> header);

    void paint(juce::Graphics& g) override;
    void resized() override;

    juce::Label label;
    SettingsButton settings;

private:
    void layOutLabel();

    float opacity = 0.0f;
    juce::Rectangle<int> headerBounds;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CautionUI)
};
} // namespace tessel
