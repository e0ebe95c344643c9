#include "ui/CautionUI.h"

#include "ui/MainCommands.h"
#include "ui/Palette.h"

namespace tessel
{
CautionUI::CautionUI()
{
    label.setFont(juce::Font(32.0f));
    label.setJustificationType(juce::Justification::centred);
    label.setColour(juce::Label::textColourId, juce::Colour(palette::alertRed));
    // The line lies over the header: it must not take the clicks meant for the header's buttons.
    label.setInterceptsMouseClicks(false, false);
    addChildComponent(label);

    settings.onClick = [this]
    {
        if (onCommand)
            onCommand(commands::showHideSettings);
    };
    addAndMakeVisible(settings);

    setInterceptsMouseClicks(false, true);
    setVisible(false);

    ErrorMessageManager::getInstance()->addDisplay(this);
}

CautionUI::~CautionUI()
{
    if (auto* manager = ErrorMessageManager::getInstanceWithoutCreating())
        manager->removeDisplay(this);
}

void CautionUI::showMessage(const juce::String& text, bool blocking)
{
    opacity = blocking ? 0.5f : 0.0f;
    setInterceptsMouseClicks(blocking, true);
    setVisible(true);
    label.setVisible(true);
    label.setText(text, juce::dontSendNotification);
    repaint();
}

void CautionUI::hideMessage()
{
    setVisible(false);
    label.setVisible(false);
    label.setText({}, juce::dontSendNotification);
    repaint();
}

void CautionUI::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::black.withAlpha(opacity));
}

void CautionUI::resized()
{
    const int parentHeight = getParentComponent() != nullptr ? getParentHeight() : getHeight();
    label.setBounds(0, 0, getWidth(), juce::jmin(parentHeight, (int)(0.156 * getHeight())));
}

void CautionUI::setHeaderBounds(juce::Rectangle<int> header)
{
    settings.setBounds(SettingsButton::boundsInHeader(header.getWidth(), header.getHeight()) +
                       header.getPosition());
}
} // namespace tessel
