#include "processors/MonoToStereoProcessor.h"

MonoToStereoProcessor::MonoToStereoProcessor() = default;

MonoToStereoProcessor::~MonoToStereoProcessor() = default;

const juce::String MonoToStereoProcessor::getName() const
{
    return "MonoToStereo";
}

void MonoToStereoProcessor::prepareToPlay(double, int) {}

void MonoToStereoProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (getTotalNumOutputChannels() < 2 || buffer.getNumChannels() < 2)
        return;

    buffer.copyFrom(1, 0, buffer, 0, 0, buffer.getNumSamples());

    if (!buffer.hasBeenCleared())
    {
        buffer.applyGain(0, 0, buffer.getNumSamples(), 0.5f);
        buffer.applyGain(1, 0, buffer.getNumSamples(), 0.5f);
    }
}
