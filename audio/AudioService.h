#pragma once

#include "audio/AudioRecorderProcessor.h"
#include "audio/MultipleAudioProcessorPlayer.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The general part of the audio service: the audio device (through JUCE's device manager), the
    processor graph with its four I/O nodes, the processor player that the device calls on its
    real-time thread, and two recorders for audio logging.

    The graph lock is recursive (priority inheritance) and guards the graph and every node pointer;
    the audio thread never takes it. The base reacts to a change of the device only by creating the
    graph's I/O nodes again; `tessel::OstrelAudioService` replaces that reaction. */
class AudioService : public juce::ChangeListener
{
public:
    using Node = juce::AudioProcessorGraph::Node;

    AudioService();
    ~AudioService() override;

    /** A change of the device manager: re-creates the graph's I/O nodes under the graph lock. */
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

    /** A new component (owned by the caller) that edits the device setup: here JUCE's standard
        selector with MIDI selectors. */
    virtual std::unique_ptr<juce::Component> createSettingsComponent();

    juce::AudioDeviceManager& getDeviceManager() noexcept { return deviceManager; }
    tessel::MultipleAudioProcessorPlayer& getPlayer() noexcept { return player; }
    /** The recursive lock of the graph, its nodes and everything the service mirrors of them. */
    juce::CriticalSection& getGraphLock() const noexcept { return graphLock; }
    juce::AudioProcessorGraph& getGraph() noexcept { return *graph; }
    /** The recorder that audio logging uses for the device input (first in the player's list). */
    AudioRecorderProcessor& getInputLogRecorder() noexcept { return *inputLogRecorder; }
    /** The recorder that audio logging uses for the device output (last in the player's list). */
    AudioRecorderProcessor& getOutputLogRecorder() noexcept { return *outputLogRecorder; }

    Node::Ptr getAudioInputNode() const;
    Node::Ptr getAudioOutputNode() const;

protected:
    /** Adds the four I/O nodes (audio in, audio out, MIDI in, MIDI out), releasing the previous
        ones. Caller holds the graph lock. */
    void addIONodes(juce::AudioProcessorGraph::UpdateKind updateKind);

    std::unique_ptr<juce::AudioProcessorGraph> graph;
    Node::Ptr audioInputNode;
    Node::Ptr audioOutputNode;
    Node::Ptr midiInputNode;
    Node::Ptr midiOutputNode;
    mutable juce::CriticalSection graphLock;
    juce::AudioDeviceManager deviceManager;
    tessel::MultipleAudioProcessorPlayer player;
    std::unique_ptr<AudioRecorderProcessor> inputLogRecorder;
    std::unique_ptr<AudioRecorderProcessor> outputLogRecorder;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioService)
};
