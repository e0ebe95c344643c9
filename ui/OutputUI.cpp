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
    setUpHudFrame(frame);
    addAndMakeVisible(frame);
    addAndMakeVisible(title);

    setUpHudToggle(mute, "MUTE", "OstrelStyle_MuteButton", palette::alertRed);
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
    const auto area = layOutHudFrame(frame, getWidth(), getHeight());
    const int x0 = area.origin;
    const int f = area.width;
    const int inner = area.height;
    const int g = (f / 2) / 4 * 4;
    const int t = area.titleHeight;

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
