#include "ui/CautionUI.h"

#include "app/CommandIds.h"
#include "ui/Palette.h"

namespace tessel
{
CautionUI::CautionUI()
{
    label.setFont(juce::Font(32.0f));
    label.setJustificationType(juce::Justification::centred);
    label.setMinimumHorizontalScale(1.0f);
    label.setColour(juce::Label::textColourId, juce::Colour(palette::alertRed));
    // The line lies over the header: it must not take the clicks meant for the header's buttons.
    label.setInterceptsMouseClicks(false, false);
    addChildComponent(label);

    settings.onClick = [this]
    {
        if (onCommand)
            onCommand(CommandIds::showHideSettingsUI);
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
    layOutLabel();
}

void CautionUI::setHeaderBounds(juce::Rectangle<int> header)
{
    headerBounds = header;
    settings.setBounds(SettingsButton::boundsInHeader(header.getWidth(), header.getHeight()) +
                       header.getPosition());
    layOutLabel();
}

void CautionUI::layOutLabel()
{
    const int parentHeight = getParentComponent() != nullptr ? getParentHeight() : getHeight();
    const int height = juce::jmin(parentHeight, (int)(0.156 * getHeight()));

    // The line sits between the logo and the reset buttons, so that it covers neither; a message too
    // long for one line wraps onto a second.
    if (headerBounds.isEmpty())
    {
        label.setBounds(0, 0, getWidth(), height);
        return;
    }

    const auto band =
        HeaderUI::freeBand(headerBounds.getWidth(), headerBounds.getHeight()) + headerBounds.getPosition();
    label.setBounds(band.getX(), headerBounds.getY(), band.getWidth(), height);
}
} // namespace tessel
