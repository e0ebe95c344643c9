#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The footer of the main screen: the legal notice, centred in guide grey, and the "Powered by" link
    at the bottom right, which reaches above the footer. Buffered to an image. */
class FooterUI : public juce::Component
{
public:
    FooterUI();
    ~FooterUI() override;

    void resized() override;

    juce::Label notice;
    juce::HyperlinkButton link;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(FooterUI)
};
} // namespace tessel
