#include "ui/AuxInputUI.h"

namespace tessel
{
AuxInputUI::AuxInputUI() : title("MainUI_AUXInput", 0.6f), status("AUXInput_NoInputRouting", 0.3f)
{
    setInterfaceImage(symbol, "symbol_signal.png", 0xffffffff);
    symbol.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(symbol);
    addAndMakeVisible(title);
    addAndMakeVisible(status);
    setBufferedToImage(true);
}

AuxInputUI::~AuxInputUI() = default;

void AuxInputUI::setStatus(const juce::String& text)
{
    if (status.getText() != text)
        status.setText(text, juce::dontSendNotification);
}

void AuxInputUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int u = juce::jmin(h, (int)(0.618 * h));

    fitDrawable(symbol, juce::Rectangle<int>(0, 0, w, u).toFloat());

    const int titleHeight = juce::jmin(h - u, (int)((int)(0.382 * h) * 0.382));
    title.setBounds(0, u, w, titleHeight);
    status.setBounds(0, u + titleHeight, w, juce::jmax(0, h - u - titleHeight));
}

void AuxInputUI::enablementChanged()
{
    applyPanelEnablement(*this);
}
} // namespace tessel
