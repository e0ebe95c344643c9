#include "ui/FooterUI.h"

#include "ui/Palette.h"

namespace tessel
{
FooterUI::FooterUI() : link(TRANS("General_PoweredByOstrel"), juce::URL(TRANS("URL_Ostrel")))
{
    notice.setText(TRANS("General_Copyright"), juce::dontSendNotification);
    notice.setJustificationType(juce::Justification::centred);
    notice.setColour(juce::Label::textColourId, juce::Colour(palette::guideGrey));
    notice.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(notice);

    link.setColour(juce::HyperlinkButton::textColourId, juce::Colours::white);
    link.setFont(juce::Font(16.0f), true, juce::Justification::bottomRight);
    addAndMakeVisible(link);

    setBufferedToImage(true);
}

FooterUI::~FooterUI() = default;

void FooterUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    notice.setBounds(0, 0, w, h);
    notice.setFont(juce::Font(juce::jmax(0.1f, 0.55f * (float)h)));

    const int linkWidth = (int)(0.33 * w);
    const int linkHeight = (int)(1.4 * h);
    link.setBounds((int)(0.99 * w - linkWidth), (int)(1.1 * h - linkHeight), linkWidth, linkHeight);
}
} // namespace tessel
