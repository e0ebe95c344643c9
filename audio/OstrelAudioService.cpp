#include "audio/OstrelAudioService.h"

#include "app/ErrorMessageManager.h"
#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/LevelMeterProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MonoToStereoProcessor.h"
#include "processors/MuteProcessor.h"
#include "processors/NoiseGateProcessor.h"
#include "processors/ReverbProcessor.h"
#include "processors/VocaformProcessor.h"
#include "ui/OstrelAudioDeviceSelector.h"

namespace tessel
{

namespace
{
using UpdateKind = juce::AudioProcessorGraph::UpdateKind;

juce::AudioProcessorParameter* parameterOf(const AudioService::Node::Ptr& node, int index)
{
    if (node == nullptr)
        return nullptr;
    const auto& parameters = node->getProcessor()->getParameters();
    return juce::isPositiveAndBelow(index, parameters.size()) ? parameters[index] : nullptr;
}

void setParameter(const AudioService::Node::Ptr& node, int index, float normalised)
{
    if (auto* parameter = parameterOf(node, index))
        parameter->setValue(juce::jlimit(0.0f, 1.0f, normalised));
}

float getParameter(const AudioService::Node::Ptr& node, int index, float fallback)
{
    if (auto* parameter = parameterOf(node, index))
        return parameter->getValue();
    return fallback;
}

bool sameSetup(const juce::AudioDeviceManager::AudioDeviceSetup& a,
               const juce::AudioDeviceManager::AudioDeviceSetup& b)
{
    return a.outputDeviceName == b.outputDeviceName && a.inputDeviceName == b.inputDeviceName &&
           a.sampleRate == b.sampleRate && a.bufferSize == b.bufferSize &&
           a.inputChannels == b.inputChannels && a.useDefaultInputChannels == b.useDefaultInputChannels &&
           a.outputChannels == b.outputChannels && a.useDefaultOutputChannels == b.useDefaultOutputChannels;
}

void updateMessage(int code, bool raised)
{
    auto* messages = ErrorMessageManager::getInstance();
    if (raised)
        messages->raiseMessage(code);
    else
        messages->clearMessage(code);
    messages->triggerAsyncUpdate();
}

juce::File firstFreeFile(const juce::File& file)
{
    return file.exists() ? file.getNonexistentSibling(true) : file;
}
} // namespace

OstrelAudioService::OstrelAudioService()
{
    auto* store = PropertiesFileManager::getInstance();
    {
        const juce::ScopedLock sl(graphLock);
        deviceManager.addChangeListener(this);
        deviceManager.addAudioCallback(&player);

        // A stored setup that cannot be opened falls back to the default devices.
        const auto* stored = store->getXml(PropertiesFileManager::audioDeviceSetupKey);
        const bool usable = stored != nullptr && stored->hasTagName("DEVICESETUP");
        deviceManager.initialise(1, 2, usable ? stored : nullptr, true, {}, nullptr);

        // Nothing in the chain consumes or produces MIDI: no MIDI device is opened. The device
        // manager's state still carries whatever MIDI setup it was given.

        initialiseGraph();
        player.addProcessor(inputLogRecorder.get());
        player.addProcessor(graph.get());
        player.addProcessor(outputLogRecorder.get());
    }

    const juce::ScopedLock sl(graphLock);
    buildProcessors();
    readSettingsTrees();
    applyProcessorSettings();
    store->addListener(this);
    rebuildGraph();

    // The device was opened above and the chain built for it. The device messages are raised now
    // (a manager that opened nothing sends no change message), and a later message that reports
    // the same setup does not rebuild the chain again.
    lastSetup = deviceManager.getAudioDeviceSetup();
    updateMessage(ErrorMessageManager::noOutputDevice, lastSetup.outputDeviceName.isEmpty());
    updateMessage(ErrorMessageManager::noInputDevice, lastSetup.inputDeviceName.isEmpty());
}

OstrelAudioService::~OstrelAudioService()
{
    deviceManager.removeChangeListener(this);
    auto* store = PropertiesFileManager::getInstance();
    {
        const juce::ScopedLock sl(graphLock);
        gatherProcessorSettings();
        storeSettingsTrees();
        store->removeListener(this);

        for (auto* node :
             {&inputMeterNode, &voiceMuteNode, &monoToStereoNode, &reverbNode, &vocaformNode, &noiseGateNode,
              &gainNode, &duckingNode, &bgmMuteNode, &mixerNode, &recorderNode, &outputMeterNode})
            *node = nullptr;

        if (auto state = deviceManager.createStateXml())
            store->setXml(PropertiesFileManager::audioDeviceSetupKey, std::move(state));
    }
    // The device stops calling the player (which is told that the device stopped) before the
    // player, the recorders and the graph go.
    deviceManager.removeAudioCallback(&player);
    deviceManager.closeAudioDevice();
}

//======================================================================================================
void OstrelAudioService::readSettingsTrees()
{
    auto* store = PropertiesFileManager::getInstance();
    routing = RoutingOrders::fromXml(store->getXml(PropertiesFileManager::audioRoutingSetupKey));

    recordingDirectory = defaultRecordingDirectory();
    if (const auto* recorder = store->getXml(PropertiesFileManager::audioRecorderSetupKey))
    {
        const auto path = recorder->getStringAttribute("Directory");
        if (path.isNotEmpty() && juce::File::isAbsolutePath(path))
            recordingDirectory = juce::File(path);
    }

    processorSettings =
        ProcessorSettings::fromXml(store->getXml(PropertiesFileManager::audioProcessorParametersKey));
}

void OstrelAudioService::storeSettingsTrees()
{
    auto* store = PropertiesFileManager::getInstance();
    if (auto state = deviceManager.createStateXml())
        store->setXml(PropertiesFileManager::audioDeviceSetupKey, std::move(state));

    store->setXml(PropertiesFileManager::audioRoutingSetupKey, routing.toXml());

    auto recorder = std::make_unique<juce::XmlElement>("RECORDERSETUP");
    recorder->setAttribute("Directory", recordingDirectory.getFullPathName());
    store->setXml(PropertiesFileManager::audioRecorderSetupKey, std::move(recorder));

    store->setXml(PropertiesFileManager::audioProcessorParametersKey, processorSettings.toXml());
}

std::unique_ptr<juce::Component> OstrelAudioService::createSettingsComponent()
{
    return std::make_unique<OstrelAudioDeviceSelector>(deviceManager, 0, 3, 2, 2, false, *this);
}

void OstrelAudioService::propertiesWillBeSaved()
{
    saveSettings();
}

void OstrelAudioService::saveSettings()
{
    const juce::ScopedLock sl(graphLock);
    gatherProcessorSettings();
    storeSettingsTrees();
}

//======================================================================================================
void OstrelAudioService::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source != &deviceManager)
        return;

    const auto setup = deviceManager.getAudioDeviceSetup();
    updateMessage(ErrorMessageManager::noOutputDevice, setup.outputDeviceName.isEmpty());
    updateMessage(ErrorMessageManager::noInputDevice, setup.inputDeviceName.isEmpty());

    if (!sameSetup(setup, lastSetup))
        rebuildGraph();

    if (onDeviceChanged)
        onDeviceChanged();
    lastSetup = setup;
}

//======================================================================================================
void OstrelAudioService::initialiseGraph()
{
    const juce::ScopedLock sl(graphLock);
    graph->clear(UpdateKind::async);
    addIONodes(UpdateKind::async);
    inputLogRecorder->enableAllBuses();
    outputLogRecorder->enableAllBuses();
}

AudioService::Node::Ptr OstrelAudioService::addChainNode(std::unique_ptr<juce::AudioProcessor> processor,
                                                         int inputs, int outputs)
{
    // The channel counts are fixed before the node joins the graph: a prepared graph prepares a
    // new node with the counts it has at that moment.
    processor->enableAllBuses();
    processor->setPlayConfigDetails(inputs, outputs, graph->getSampleRate(), graph->getBlockSize());
    return graph->addNode(std::move(processor), {}, UpdateKind::async);
}

void OstrelAudioService::buildProcessors()
{
    const juce::ScopedLock sl(graphLock);
    inputMeterNode = addChainNode(std::make_unique<LevelMeterProcessor>(), 1, 1);
    voiceMuteNode = addChainNode(std::make_unique<MuteProcessor>(), 1, 1);
    monoToStereoNode = addChainNode(std::make_unique<MonoToStereoProcessor>(), 1, 2);
    reverbNode = addChainNode(std::make_unique<ReverbProcessor>(), 2, 2);
    noiseGateNode = addChainNode(std::make_unique<NoiseGateProcessor>(), 1, 1);
    gainNode = addChainNode(std::make_unique<GainProcessor>(), 1, 1);
    duckingNode = addChainNode(std::make_unique<DuckingProcessor>(), 3, 2);
    bgmMuteNode = addChainNode(std::make_unique<MuteProcessor>(), 2, 2);
    mixerNode = addChainNode(std::make_unique<MixerProcessor>(), 4, 2);
    recorderNode = addChainNode(std::make_unique<AudioRecorderProcessor>(), 2, 0);
    outputMeterNode = addChainNode(std::make_unique<LevelMeterProcessor>(), 2, 0);
    vocaformNode = addChainNode(std::make_unique<VocaformProcessor>(), 1, 1);
}

void OstrelAudioService::connectChain()
{
    using Connection = juce::AudioProcessorGraph::Connection;
    const auto connect = [this](const Node::Ptr& source, int sourceChannel, const Node::Ptr& destination,
                                int destinationChannel)
    {
        if (source == nullptr || destination == nullptr)
            return false;
        return graph->addConnection(
            Connection{{source->nodeID, sourceChannel}, {destination->nodeID, destinationChannel}},
            UpdateKind::async);
    };

    for (const auto& connection : graph->getConnections())
        graph->removeConnection(connection, UpdateKind::async);

    if (recorderNode->getProcessor()->getTotalNumInputChannels() >= 2)
    {
        connect(mixerNode, 0, recorderNode, 0);
        connect(mixerNode, 1, recorderNode, 1);
    }
    if (recorderNode->getProcessor()->getTotalNumInputChannels() >= 2)
    {
        connect(mixerNode, 0, outputMeterNode, 0);
        connect(mixerNode, 1, outputMeterNode, 1);
    }
    if (audioOutputNode->getProcessor()->getTotalNumInputChannels() >= 2)
    {
        connect(mixerNode, 0, audioOutputNode, 0);
        connect(mixerNode, 1, audioOutputNode, 1);
    }

    voiceConnected = connect(audioInputNode, routing.voice, inputMeterNode, 0);
    updateMessage(ErrorMessageManager::noVoiceInputRouting, !voiceConnected);

    connect(inputMeterNode, 0, duckingNode, 2);

    connect(inputMeterNode, 0, noiseGateNode, 0);
    connect(noiseGateNode, 0, vocaformNode, 0);
    connect(vocaformNode, 0, gainNode, 0);
    connect(gainNode, 0, voiceMuteNode, 0);
    connect(voiceMuteNode, 0, monoToStereoNode, 0);

    connect(monoToStereoNode, 0, reverbNode, 0);
    connect(monoToStereoNode, 1, reverbNode, 1);
    connect(reverbNode, 0, mixerNode, 0);
    connect(reverbNode, 1, mixerNode, 1);

    bgmLeftConnected = connect(audioInputNode, routing.bgmLeft, duckingNode, 0);
    connect(duckingNode, 0, bgmMuteNode, 0);
    connect(bgmMuteNode, 0, mixerNode, 2);

    bgmRightConnected = connect(
        audioInputNode, routing.bgmInputAsStereo != 0 ? routing.bgmRight : routing.bgmLeft, duckingNode, 1);
    connect(duckingNode, 1, bgmMuteNode, 1);
    connect(bgmMuteNode, 1, mixerNode, 3);

    // All changes above were deferred; this builds the new chain's render sequence now, so that
    // the audio thread goes from the old chain to the complete new one.
    graph->removeIllegalConnections(UpdateKind::sync);
}

void OstrelAudioService::rebuildGraph(std::function<void()> callback)
{
    Pupack* model = nullptr;
    bool endedRecording = false;
    {
        const juce::ScopedLock sl(graphLock);
        if (auto* conversion = getVocaform())
            model = conversion->getModel();

        gatherProcessorSettings();

        // The recorder is replaced with the chain: its recording ends here, with a complete file,
        // rather than whenever the old chain happens to be freed.
        if (auto* recorder = getRecorder(); recorder != nullptr && recorder->isRecording())
        {
            recorder->stopRecording();
            endedRecording = true;
        }

        for (const auto& connection : graph->getConnections())
            graph->removeConnection(connection, UpdateKind::async);
        initialiseGraph();
        buildProcessors();
        connectChain();

        if (onGraphRebuilt)
            onGraphRebuilt();
    }

    setModel(model);
    applyProcessorSettings();

    if (endedRecording)
    {
        // The screen must not claim a recording that no longer runs.
        updateMessage(ErrorMessageManager::recording, false);
        if (onStateChanged)
            onStateChanged();
    }

    if (callback)
        callback();
}

//======================================================================================================
void OstrelAudioService::gatherProcessorSettings()
{
    const juce::ScopedLock sl(graphLock);
    auto& s = processorSettings;
    s.voiceMuteState = getParameter(voiceMuteNode, 0, s.voiceMuteState);
    s.bgmMuteState = getParameter(bgmMuteNode, 0, s.bgmMuteState);
    s.duckingChoice = getParameter(duckingNode, 0, s.duckingChoice);
    if (auto* reverb = getReverb())
        s.reverbProgram = reverb->getCurrentProgram();
    s.reverbLevel = getParameter(reverbNode, 1, s.reverbLevel);
    s.noiseGateLevel = getParameter(noiseGateNode, 0, s.noiseGateLevel);
    if (vocaformNode != nullptr)
        s.voiceVocaformBypass = vocaformNode->isBypassed() ? 1.0f : 0.0f;
    s.voiceVocaformCoefficientGV = getParameter(vocaformNode, 2, s.voiceVocaformCoefficientGV);
    s.voiceOffsetGainLevel = getParameter(gainNode, 0, s.voiceOffsetGainLevel);
    s.mixerInputBLevel = getParameter(mixerNode, 1, s.mixerInputBLevel);
    s.mixerOutputLevel = getParameter(mixerNode, 2, s.mixerOutputLevel);
}

void OstrelAudioService::applyProcessorSettings()
{
    const juce::ScopedLock sl(graphLock);
    const auto& s = processorSettings;
    setParameter(voiceMuteNode, 0, s.voiceMuteState);
    setParameter(bgmMuteNode, 0, s.bgmMuteState);
    setParameter(duckingNode, 0, s.duckingChoice);
    if (auto* reverb = getReverb())
        reverb->setCurrentProgram(s.reverbProgram);
    setParameter(reverbNode, 1, s.reverbLevel);
    setParameter(noiseGateNode, 0, s.noiseGateLevel);
    if (vocaformNode != nullptr)
        vocaformNode->setBypassed(s.voiceVocaformBypass != 0.0f);
    setParameter(vocaformNode, 2, s.voiceVocaformCoefficientGV);
    setParameter(gainNode, 0, s.voiceOffsetGainLevel);
    setParameter(mixerNode, 1, s.mixerInputBLevel);
    setParameter(mixerNode, 2, s.mixerOutputLevel);
}

ProcessorSettings OstrelAudioService::getProcessorSettings() const
{
    const juce::ScopedLock sl(graphLock);
    return processorSettings;
}

void OstrelAudioService::setProcessorSettings(const ProcessorSettings& settings)
{
    const juce::ScopedLock sl(graphLock);
    processorSettings = settings;
}

//======================================================================================================
void OstrelAudioService::setModel(Pupack* model)
{
    const juce::ScopedLock sl(graphLock);
    if (auto* conversion = getVocaform())
        conversion->setModel(model);
}

Pupack* OstrelAudioService::getModel() const
{
    const juce::ScopedLock sl(graphLock);
    auto* conversion = getVocaform();
    return conversion != nullptr ? conversion->getModel() : nullptr;
}

void OstrelAudioService::setMuted(bool muted)
{
    {
        const juce::ScopedLock sl(graphLock);
        setParameter(voiceMuteNode, 0, muted ? 1.0f : 0.0f);
        setParameter(bgmMuteNode, 0, muted ? 1.0f : 0.0f);
    }
    if (onStateChanged)
        onStateChanged();
}

bool OstrelAudioService::isMuted() const
{
    const juce::ScopedLock sl(graphLock);
    return getParameter(voiceMuteNode, 0, 0.0f) >= 0.5f;
}

void OstrelAudioService::setConversionBypassed(bool bypassed)
{
    {
        const juce::ScopedLock sl(graphLock);
        if (vocaformNode != nullptr)
            vocaformNode->setBypassed(bypassed);
    }
    if (onStateChanged)
        onStateChanged();
}

bool OstrelAudioService::isConversionBypassed() const
{
    const juce::ScopedLock sl(graphLock);
    return vocaformNode != nullptr && vocaformNode->isBypassed();
}

void OstrelAudioService::setOffsetDecibel(float decibels)
{
    const juce::ScopedLock sl(graphLock);
    if (auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(parameterOf(gainNode, 0)))
        parameter->setValue(juce::jlimit(0.0f, 1.0f, parameter->convertTo0to1(decibels)));
}

//======================================================================================================
RoutingOrders OstrelAudioService::getRouting() const
{
    const juce::ScopedLock sl(graphLock);
    return routing;
}

void OstrelAudioService::setRouting(const RoutingOrders& newRouting)
{
    const juce::ScopedLock sl(graphLock);
    routing = newRouting;
}

bool OstrelAudioService::isVoiceConnected() const
{
    const juce::ScopedLock sl(graphLock);
    return voiceConnected;
}

bool OstrelAudioService::isBgmLeftConnected() const
{
    const juce::ScopedLock sl(graphLock);
    return bgmLeftConnected;
}

bool OstrelAudioService::isBgmRightConnected() const
{
    const juce::ScopedLock sl(graphLock);
    return bgmRightConnected;
}

//======================================================================================================
juce::String OstrelAudioService::recordingFileNameFor(juce::Time time)
{
    return "Ostrel_" + time.formatted("%Y%m%d") + ".wav";
}

juce::File OstrelAudioService::defaultRecordingDirectory()
{
    return juce::File::getSpecialLocation(juce::File::userMusicDirectory).getChildFile("Tavilo");
}

juce::File OstrelAudioService::getNextRecordingFile() const
{
    const juce::ScopedLock sl(graphLock);
    return firstFreeFile(recordingDirectory.getChildFile(recordingFileNameFor(juce::Time::getCurrentTime())));
}

juce::File OstrelAudioService::getRecordingDirectory() const
{
    const juce::ScopedLock sl(graphLock);
    return recordingDirectory;
}

void OstrelAudioService::setRecordingDirectory(const juce::File& directory)
{
    const juce::ScopedLock sl(graphLock);
    recordingDirectory = directory;
}

void OstrelAudioService::toggleRecording()
{
    bool changed = false;
    {
        const juce::ScopedLock sl(graphLock);
        auto* recorder = getRecorder();
        if (recorder == nullptr)
            return;

        if (recorder->isRecording())
        {
            recorder->stopRecording();
            updateMessage(ErrorMessageManager::recording, false);
            changed = true;
        }
        else
        {
            const auto file = getNextRecordingFile();
            if (recorder->startRecording(file))
            {
                updateMessage(ErrorMessageManager::recording, true);
                changed = true;
            }
        }
    }
    if (changed && onStateChanged)
        onStateChanged();
}

bool OstrelAudioService::isRecording() const
{
    const juce::ScopedLock sl(graphLock);
    auto* recorder = getRecorder();
    return recorder != nullptr && recorder->isRecording();
}

//======================================================================================================
void OstrelAudioService::softReset()
{
    player.installFader(std::make_unique<RestartAudioProcessorActionDelegate>(*this));
}

void OstrelAudioService::hardReset()
{
    player.installFader(std::make_unique<RestartAudioDeviceActionDelegate>(*this));
}

juce::File OstrelAudioService::audioLogFolder()
{
    return PropertiesFileManager::getInstance()->getSettingsFolder().getChildFile("AudioLog");
}

juce::String OstrelAudioService::audioLogTimestamp(juce::Time time)
{
    return time.formatted("%Y%m%d%H%M%S");
}

void OstrelAudioService::toggleAudioLogging()
{
    if (outputLogRecorder->isRecording())
    {
        inputLogRecorder->stopRecording();
        outputLogRecorder->stopRecording();
        return;
    }

    const auto folder = audioLogFolder();
    const auto stamp = audioLogTimestamp(juce::Time::getCurrentTime());
    const auto inputFile = folder.getChildFile("Tavilo_Input_" + stamp + ".wav");
    const auto outputFile = folder.getChildFile("Tavilo_Output_" + stamp + ".wav");

    inputLogRecorder->stopRecording();
    outputLogRecorder->stopRecording();

    if (!inputLogRecorder->startRecording(firstFreeFile(inputFile)))
        return;
    // Logging is one pair of files: without the output log the input log would run on unseen.
    if (!outputLogRecorder->startRecording(firstFreeFile(outputFile)))
        inputLogRecorder->stopRecording();
}

bool OstrelAudioService::isAudioLogging() const
{
    return outputLogRecorder->isRecording();
}

//======================================================================================================
AudioService::Node::Ptr OstrelAudioService::nodeOf(const Node::Ptr& node) const
{
    const juce::ScopedLock sl(graphLock);
    return node;
}

template <typename ProcessorType> ProcessorType* OstrelAudioService::processorOf(const Node::Ptr& node) const
{
    const juce::ScopedLock sl(graphLock);
    return node != nullptr ? dynamic_cast<ProcessorType*>(node->getProcessor()) : nullptr;
}

LevelMeterProcessor* OstrelAudioService::getInputMeter() const
{
    return processorOf<LevelMeterProcessor>(inputMeterNode);
}
MuteProcessor* OstrelAudioService::getVoiceMute() const
{
    return processorOf<MuteProcessor>(voiceMuteNode);
}
MonoToStereoProcessor* OstrelAudioService::getMonoToStereo() const
{
    return processorOf<MonoToStereoProcessor>(monoToStereoNode);
}
ReverbProcessor* OstrelAudioService::getReverb() const
{
    return processorOf<ReverbProcessor>(reverbNode);
}
VocaformProcessor* OstrelAudioService::getVocaform() const
{
    return processorOf<VocaformProcessor>(vocaformNode);
}
NoiseGateProcessor* OstrelAudioService::getNoiseGate() const
{
    return processorOf<NoiseGateProcessor>(noiseGateNode);
}
GainProcessor* OstrelAudioService::getGain() const
{
    return processorOf<GainProcessor>(gainNode);
}
DuckingProcessor* OstrelAudioService::getDucking() const
{
    return processorOf<DuckingProcessor>(duckingNode);
}
MuteProcessor* OstrelAudioService::getBgmMute() const
{
    return processorOf<MuteProcessor>(bgmMuteNode);
}
MixerProcessor* OstrelAudioService::getMixer() const
{
    return processorOf<MixerProcessor>(mixerNode);
}
AudioRecorderProcessor* OstrelAudioService::getRecorder() const
{
    return processorOf<AudioRecorderProcessor>(recorderNode);
}
LevelMeterProcessor* OstrelAudioService::getOutputMeter() const
{
    return processorOf<LevelMeterProcessor>(outputMeterNode);
}

} // namespace tessel
