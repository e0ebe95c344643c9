#pragma once

#include "ui/PanelParts.h"
#include "ui/Slice9.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{
/** The settings button of the header and of the message overlay: the settings symbol, white, hover
    grey under the mouse and guide grey while pressed, with a pointing-hand cursor. */
class SettingsButton : public juce::ImageButton
{
public:
    SettingsButton();

    /** Where the header puts its settings button, for a header of width x height pixels. */
    static juce::Rectangle<int> boundsInHeader(int width, int height);
};

/** The header of the main screen: the logo on the left, the settings button on the right, the soft
    and hard reset buttons left of it and a hairline along the bottom. Buffered to an image. */
class HeaderUI : public juce::Component
{
public:
    HeaderUI();
    ~HeaderUI() override;

    /** Called with the command ID a button asks for: 15 (settings), 25 (soft reset), 26 (hard reset). */
    std::function<void(int commandId)> onCommand;

    void resized() override;

    /** The free band of a header of width x height pixels: from the logo's right edge to the left
        edge of SOFT RESET (the whole width right of the logo when there is no room for the buttons),
        full height. */
    static juce::Rectangle<int> freeBand(int width, int height);

    SettingsButton settings;
    Slice9 hairline;
    juce::DrawableImage logo;
    juce::TextButton softReset;
    juce::TextButton hardReset;

private:
    void invoke(int commandId);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(HeaderUI)
};
} // namespace tessel
