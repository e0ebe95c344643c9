#include "audio/AudioService.h"

#include <juce_audio_utils/juce_audio_utils.h>

AudioService::AudioService()
    : graph(std::make_unique<juce::AudioProcessorGraph>()),
      inputLogRecorder(std::make_unique<AudioRecorderProcessor>()),
      outputLogRecorder(std::make_unique<AudioRecorderProcessor>())
{
}

AudioService::~AudioService() = default;

void AudioService::addIONodes(juce::AudioProcessorGraph::UpdateKind updateKind)
{
    using IO = juce::AudioProcessorGraph::AudioGraphIOProcessor;
    const auto add = [&](IO::IODeviceType type)
    { return graph->addNode(std::make_unique<IO>(type), {}, updateKind); };
    audioInputNode = add(IO::audioInputNode);
    audioOutputNode = add(IO::audioOutputNode);
    midiInputNode = add(IO::midiInputNode);
    midiOutputNode = add(IO::midiOutputNode);
}

void AudioService::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source != &deviceManager)
        return;

    const juce::ScopedLock sl(graphLock);
    for (auto* node :
         {audioInputNode.get(), audioOutputNode.get(), midiInputNode.get(), midiOutputNode.get()})
        if (node != nullptr)
            graph->removeNode(node);
    addIONodes(juce::AudioProcessorGraph::UpdateKind::sync);
}

std::unique_ptr<juce::Component> AudioService::createSettingsComponent()
{
    return std::make_unique<juce::AudioDeviceSelectorComponent>(deviceManager, 0, 256, 0, 256, true, true,
                                                                true, false);
}

AudioService::Node::Ptr AudioService::getAudioInputNode() const
{
    const juce::ScopedLock sl(graphLock);
    return audioInputNode;
}

AudioService::Node::Ptr AudioService::getAudioOutputNode() const
{
    const juce::ScopedLock sl(graphLock);
    return audioOutputNode;
}
