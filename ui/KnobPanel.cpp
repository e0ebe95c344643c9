#include "ui/KnobPanel.h"

namespace tessel
{
namespace
{
int max0(int v)
{
    return juce::jmax(v, 0);
}
} // namespace

KnobPanel::KnobPanel(const juce::String& titleKey, NodeSource node, int parameterIndex)
    : title(titleKey, 0.6f), control(knob, valueField, node, parameterIndex, [this] { updateKnobPanel(); })
{
    setUpKnob(knob);
    addAndMakeVisible(knob);
    addAndMakeVisible(title);
    addAndMakeVisible(valueField);
    setBufferedToImage(true);
}

KnobPanel::~KnobPanel() = default;

void KnobPanel::updateKnobPanel()
{
    if (control.update())
        repaint();
}

void KnobPanel::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int d = juce::jmin(h, (int)(0.618 * h));
    const int b = (int)(0.382 * h);
    const int titleHeight = juce::jmin(h - d, (int)(0.382 * b));

    knob.setBounds(12, 12, max0(w - 24), max0(d - 24));
    title.setBounds(0, d, w, titleHeight);

    const int side = juce::jmin(w, 32);
    valueField.setBounds(side + 6, d + titleHeight + 6, max0(w - side - 44),
                         max0(juce::jmin(h - d - titleHeight, (int)(0.618 * b)) - 12));
}

void KnobPanel::enablementChanged()
{
    applyPanelEnablement(*this);
}

MixLevelUI::MixLevelUI(NodeSource mixerNode) : KnobPanel("MainUI_MixLevel", mixerNode, 1) {}

NoiseGateUI::NoiseGateUI(NodeSource noiseGateNode) : KnobPanel("MainUI_NoiseGate", noiseGateNode, 0) {}
} // namespace tessel
