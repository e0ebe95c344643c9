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
    frame.setImage(getInterfaceImage("hud_panel_slice9_l205_t190_r225_b240.png"), hudPanelInsets,
                   juce::Colour(palette::accentBlue));
    frame.setInterceptsMouseClicks(false, false);
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
    const int w = getWidth();
    const int h = getHeight();
    const int c = (int)(0.0417 * h);
    frame.setBounds(c, c, max0(w - 2 * c), max0(h - 2 * c));

    const int a = h - 2 * c;
    const int e = (int)(0.0695 * a);
    const int x0 = c + e;
    const int o = max0(w - 2 * c - 2 * e);
    const int n = max0(a - 2 * e);
    const int t = juce::jmin(n, (int)(0.15 * n));
    title.setBounds(x0, x0, o, t);

    const int t2 = juce::jmin(n - t, (int)(0.15 * n));
    narrator.setBounds(c + e + 4, x0 + n - t2 + 4, max0(o - 8), max0(t2 - 8));

    const int middle = n - t - t2;
    const int q = (int)(0.2 * middle);
    fitDrawable(microphone,
                juce::Rectangle<int>(x0 + q, x0 + t + q, max0(o - 2 * q), max0(middle - 2 * q)).toFloat());

    const int meterColumn = juce::jmin(o, o / 3);
    meter.setBounds(x0 + o - meterColumn + 6, x0 + t + 6, max0(meterColumn - 12), max0(middle - 12));
}
} // namespace tessel
