#pragma once

#include "harness/OfflineProcessorRunner.h"
#include "ui/PanelParts.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace tessel::test
{
/** The chain stages the screen's panels bind to, each in a node of a real processor graph, with node
    pointers the panels can hold references to (as they hold the audio service's). Nothing is wired:
    tests feed a stage directly with feed(). */
struct TestChain
{
    TestChain();
    ~TestChain();

    /** Runs a signal through a node's processor (prepared at 44100 Hz, 512-sample blocks), with
        the channel counts the chain gives it. */
    void feed(const NodePtr& node, juce::AudioBuffer<float>& signal);

    /** A source that always returns this node pointer's current value (as the service's accessors do). */
    static NodeSource of(const NodePtr& node)
    {
        return [&node] { return node; };
    }

    /** The processor of a node as its concrete type. */
    template <typename P> P& processor(const NodePtr& node)
    {
        return *dynamic_cast<P*>(node->getProcessor());
    }

    juce::AudioProcessorGraph graph;
    NodePtr inputMeterNode, voiceMuteNode, reverbNode, noiseGateNode, gainNode, duckingNode, bgmMuteNode,
        mixerNode, outputMeterNode;
    /** Always empty: what a panel sees before the chain is built. */
    NodePtr emptyNode;

private:
    struct Runner;
    std::vector<std::unique_ptr<Runner>> runners;
};

/** A constant signal of value on every channel (an RMS of |value|). */
juce::AudioBuffer<float> constantSignal(int numChannels, int numSamples, float value);
} // namespace tessel::test
