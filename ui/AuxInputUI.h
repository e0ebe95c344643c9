#pragma once

#include "ui/PanelParts.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The AUX input panel of the main screen: the signal symbol, the title and a status line naming the
    input device. Buffered to an image. */
class AuxInputUI : public juce::Component
{
public:
    AuxInputUI();
    ~AuxInputUI() override;

    /** Shows a text (already translated) on the status line. */
    void setStatus(const juce::String& text);

    void resized() override;
    void enablementChanged() override;

    juce::DrawableImage symbol;
    PanelTitle title;
    PanelTitle status;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AuxInputUI)
};
} // namespace tessel
