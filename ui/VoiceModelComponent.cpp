#include "ui/VoiceModelComponent.h"

#include "ui/Palette.h"

namespace tessel
{
VoiceModelComponent::VoiceModelComponent()
{
    comboBox.setColour(juce::ComboBox::buttonColourId, juce::Colours::transparentBlack);
    comboBox.setColour(juce::ComboBox::textColourId, juce::Colours::white);
    comboBox.setColour(juce::ComboBox::arrowColourId, juce::Colour(palette::accentBlue));
    comboBox.setComponentID(showLabelId);
    comboBox.setTextWhenNothingSelected(TRANS("VoiceModel_NoTargetSelection"));
    comboBox.setTextWhenNoChoicesAvailable(TRANS("VoiceModel_NoTarget"));
    addAndMakeVisible(comboBox);

    label.setInterceptsMouseClicks(false, false);
    label.setColour(juce::Label::textColourId, juce::Colours::white);
    addAndMakeVisible(label);
}

VoiceModelComponent::~VoiceModelComponent() = default;

void VoiceModelComponent::setLabelText(const juce::String& text)
{
    const juce::String id = text.isNotEmpty() ? hideLabelId : showLabelId;

    if (comboBox.getComponentID() != id)
    {
        comboBox.setComponentID(id);
        // The drop-down takes its text font from the look and feel, which reads the ID: make it ask
        // again.
        comboBox.lookAndFeelChanged();
        comboBox.resized();
        comboBox.repaint();
    }

    label.setText(text, juce::dontSendNotification);
}

void VoiceModelComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    label.setBounds(0, 0, (int)(0.85 * w), h);
    label.setFont(juce::Font(juce::jmax(0.1f, 0.9f * (float)h)));
    comboBox.setBounds(0, 0, w, h);
}

void VoiceModelComponent::enablementChanged()
{
    setMouseCursor(isEnabled() ? juce::MouseCursor::PointingHandCursor : juce::MouseCursor::NormalCursor);
    comboBox.setMouseCursor(getMouseCursor());
}
} // namespace tessel
