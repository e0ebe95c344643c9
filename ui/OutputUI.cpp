#include "ui/OutputUI.h"

#include "ui/InterfaceImages.h"
#include "ui/Palette.h"

namespace tessel
{
namespace
{
int max0(int v)
{
    return juce::jmax(v, 0);
}
} // namespace

OutputUI::OutputUI(NodeSource mixerNode, NodeSource muteNode, NodeSource meterNode,
                   std::function<void(bool)> mutedSetter)
    : title("MainUI_Output", 0.5f, juce::Justification::centredLeft), voiceMuteNode(std::move(muteNode)),
      outputMeterNode(std::move(meterNode)), setMuted(std::move(mutedSetter)),
      control(slider, valueField, mixerNode, 2, [this] { updateKnobPanel(); })
{
    frame.setImage(getInterfaceImage("hud_panel_slice9_l205_t190_r225_b240.png"), hudPanelInsets,
                   juce::Colour(palette::accentBlue));
    frame.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(frame);
    addAndMakeVisible(title);

    mute.setButtonText("MUTE");
    mute.setComponentID("OstrelStyle_MuteButton");
    mute.setColour(juce::TextButton::buttonColourId, juce::Colour(palette::alertRed));
    mute.setColour(juce::TextButton::textColourOffId, juce::Colour(palette::alertRed));
    mute.setColour(juce::TextButton::textColourOnId, juce::Colour(palette::inkBlack));
    mute.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    mute.setClickingTogglesState(true);
    mute.onClick = [this]
    {
        if (setMuted)
            setMuted(mute.getToggleState());

        updateKnobPanel();
    };
    addAndMakeVisible(mute);

    addAndMakeVisible(valueField);

    slider.setSliderStyle(juce::Slider::LinearVertical);
    slider.setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
    slider.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    addAndMakeVisible(slider);

    meter.setUpdateCallback([this] { meter.updateFromProcessor(outputMeterNode, lastReading); });
    addAndMakeVisible(meter);
}

OutputUI::~OutputUI() = default;

void OutputUI::updateKnobPanel()
{
    control.update();

    if (auto* parameter = findParameter(voiceMuteNode, 0))
    {
        const bool muted = parameter->getValue() != 0.0f;

        if (muted != cachedMute)
        {
            mute.setToggleState(muted, juce::dontSendNotification);
            cachedMute = muted;
        }
    }
}

void OutputUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int c = (int)(0.0417 * h);
    frame.setBounds(c, c, max0(w - 2 * c), max0(h - 2 * c));

    const int a = h - 2 * c;
    const int e = (int)(0.0695 * a);
    const int x0 = c + e;
    const int f = max0(w - 2 * c - 2 * e);
    const int inner = max0(a - 2 * e);
    const int g = (f / 2) / 4 * 4;
    const int t = juce::jmin(inner, (int)(0.15 * inner));

    title.setBounds(x0, x0, g, t);
    mute.setBounds(x0 + g + 6, x0, max0(f - g - 12), t);

    const int v = juce::jmin(inner - t, (int)(0.15 * inner));
    valueField.setBounds(x0 + 4, x0 + inner - v + 4, max0(f - 8) / 2, max0(v - 8));

    const int unit = f / 8;
    const int columnHeight = max0(inner - t - v - 12);
    slider.setBounds(x0 + unit + 6, x0 + t + 6, max0(2 * unit - 12), columnHeight);
    meter.setBounds(x0 + 4 * unit + 6, x0 + t + 6, max0(f - 4 * unit - 12), columnHeight);
}
} // namespace tessel
