#include "ui/VoiceInputUI.h"

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

VoiceInputUI::VoiceInputUI(NodeSource meterNode, PupackSelectorViewModel* model)
    : title("MainUI_VoiceInput", 0.5f, juce::Justification::centredLeft), narrator("General_Narrator", 0.5f),
      inputMeterNode(std::move(meterNode)), viewModel(model)
{
    setUpHudFrame(frame);
    addAndMakeVisible(frame);
    addAndMakeVisible(title);
    addAndMakeVisible(narrator);

    setInterfaceImage(microphone, "symbol_mic.png", palette::hoverGrey);
    microphone.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(microphone);

    meter.setUpdateCallback([this] { meter.updateFromProcessor(inputMeterNode, lastReading); });
    addAndMakeVisible(meter);

    setNarrator({});

    if (viewModel != nullptr)
        viewModel->addListener(this);
}

VoiceInputUI::~VoiceInputUI()
{
    if (viewModel != nullptr)
        viewModel->removeListener(this);
}

void VoiceInputUI::pupackSelectionChanged()
{
    const auto identifier = viewModel->getSlotIdentifier(viewModel->getSelectedSlot());
    setNarrator(viewModel->findEntry(identifier).getNarrator());
}

void VoiceInputUI::setNarrator(const juce::String& name)
{
    narrator.setText(name.isEmpty() ? TRANS("General_Narrator") : name, juce::dontSendNotification);
    narrator.setEnabled(name.isNotEmpty());
}

void VoiceInputUI::resized()
{
    const auto area = layOutHudFrame(frame, getWidth(), getHeight());
    const int x0 = area.origin;
    const int o = area.width;
    const int n = area.height;
    const int t = area.titleHeight;
    title.setBounds(x0, x0, o, t);

    const int t2 = juce::jmin(n - t, (int)(0.15 * n));
    narrator.setBounds(x0 + 4, x0 + n - t2 + 4, max0(o - 8), max0(t2 - 8));

    const int middle = n - t - t2;
    const int q = (int)(0.2 * middle);
    fitDrawable(microphone,
                juce::Rectangle<int>(x0 + q, x0 + t + q, max0(o - 2 * q), max0(middle - 2 * q)).toFloat());

    const int meterColumn = juce::jmin(o, o / 3);
    meter.setBounds(x0 + o - meterColumn + 6, x0 + t + 6, max0(meterColumn - 12), max0(middle - 12));
}
} // namespace tessel
