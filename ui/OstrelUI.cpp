#include "ui/OstrelUI.h"

#include "app/ErrorMessageManager.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"

namespace tessel
{
OstrelUI::OstrelUI(OstrelAudioService& service, PupackManager& modelLibrary)
    : audioService(service), library(modelLibrary)
{
    auto& s = audioService;
    auto* viewModel = library.getSelectorViewModel();
    auxInput = std::make_unique<AuxInputUI>();
    ducking = std::make_unique<DuckingUI>([&s] { return s.getDuckingNode(); });
    footer = std::make_unique<FooterUI>();
    header = std::make_unique<HeaderUI>();
    mixLevel = std::make_unique<MixLevelUI>([&s] { return s.getMixerNode(); });
    noiseGate = std::make_unique<NoiseGateUI>([&s] { return s.getNoiseGateNode(); });
    output = std::make_unique<OutputUI>(
        [&s] { return s.getMixerNode(); }, [&s] { return s.getVoiceMuteNode(); },
        [&s] { return s.getOutputMeterNode(); }, [&s](bool muted) { s.setMuted(muted); });
    reverb = std::make_unique<ReverbUI>([&s] { return s.getReverbNode(); });
    input = std::make_unique<VoiceInputUI>([&s] { return s.getInputMeterNode(); }, viewModel);
    model = std::make_unique<VoiceModelUI>([&s] { return s.getVocaformNode(); },
                                           [&s] { return s.getGainNode(); }, viewModel);
    signalFlow = std::make_unique<SignalFlowUI>();
    caution = std::make_unique<CautionUI>();

    header->onCommand = [this](int id) { invokeCommand(id); };
    caution->onCommand = [this](int id) { invokeCommand(id); };

    // Back to front.
    for (juce::Component* child : std::initializer_list<juce::Component*>{
             auxInput.get(), ducking.get(), mixLevel.get(), noiseGate.get(), output.get(), reverb.get(),
             input.get(), model.get(), header.get(), footer.get(), signalFlow.get()})
        addAndMakeVisible(child);

    // The overlay is added like the others but stays hidden until a message is shown.
    addChildComponent(caution.get());

    setBufferedToImage(false);

    // The panels listen already: loading tells them what the slots hold.
    if (viewModel != nullptr)
        viewModel->load();

    refresh();
}

OstrelUI::~OstrelUI()
{
    settingsOverlay.reset();
}

void OstrelUI::setCommandManager(juce::ApplicationCommandManager* manager)
{
    commandManager = manager;
}

void OstrelUI::invokeCommand(int commandId)
{
    if (commandManager != nullptr)
        commandManager->invokeDirectly(commandId, true);
}

void OstrelUI::setSettingsOverlay(std::unique_ptr<juce::Component> overlay)
{
    if (settingsOverlay != nullptr)
        removeChildComponent(settingsOverlay.get());

    settingsOverlay = std::move(overlay);

    if (settingsOverlay != nullptr)
    {
        addAndMakeVisible(settingsOverlay.get());
        resized();
    }
}

void OstrelUI::refresh()
{
    model->updateModelPanel();

    juce::String inputDevice;
    bool auxConnected = false;
    {
        const juce::ScopedLock sl(audioService.getGraphLock());
        inputDevice = audioService.getDeviceManager().getAudioDeviceSetup().inputDeviceName;
        auxConnected = audioService.isBgmLeftConnected() || audioService.isBgmRightConnected();
    }

    auxInput->setStatus(inputDevice.isEmpty() ? TRANS("No Input Device") : inputDevice);

    reverb->updateReverbPanel();
    mixLevel->updateKnobPanel();
    noiseGate->updateKnobPanel();
    output->updateKnobPanel();
    ducking->updateDuckingPanel();

    for (juce::Component* panel :
         std::initializer_list<juce::Component*>{auxInput.get(), ducking.get(), mixLevel.get()})
        panel->setEnabled(auxConnected);

    ErrorMessageManager::getInstance()->triggerAsyncUpdate();
}

void OstrelUI::changeListenerCallback(juce::ChangeBroadcaster*)
{
    refresh();
}

void OstrelUI::paint(juce::Graphics&) {}

void OstrelUI::resized()
{
    const auto parentSize = getParentComponent() != nullptr
                                ? juce::Point<int>(getParentWidth(), getParentHeight())
                                : juce::Point<int>(getWidth(), getHeight());

    caution->setBounds(0, 0, parentSize.x, parentSize.y);

    if (settingsOverlay != nullptr)
        settingsOverlay->setBounds(0, 0, parentSize.x, parentSize.y);

    layout = MainLayout::compute(parentSize, {getWidth(), getHeight()}, MainLayout::mainDisplayWidth());

    signalFlow->setBounds(roundedBounds(layout.content));
    header->setBounds(roundedBounds(layout.header));
    input->setBounds(roundedBounds(layout.input));
    model->setBounds(roundedBounds(layout.model));
    output->setBounds(roundedBounds(layout.output));
    footer->setBounds(roundedBounds(layout.footer));
    auxInput->setBounds(roundedBounds(layout.auxInput));
    ducking->setBounds(roundedBounds(layout.ducking));
    mixLevel->setBounds(roundedBounds(layout.mixLevel));
    reverb->setBounds(roundedBounds(layout.reverb));
    noiseGate->setBounds(roundedBounds(layout.noiseGate));

    caution->setHeaderBounds(header->getBounds());
}
} // namespace tessel
