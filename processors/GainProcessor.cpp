#include "processors/GainProcessor.h"

#include <cmath>

GainProcessor::GainProcessor()
    : offsetDecibel(new juce::AudioParameterFloat("Offset Decibel", "Offset Decibel", -12.0f, 12.0f, 0.0f))
{
    addParameter(offsetDecibel);
}

GainProcessor::~GainProcessor() = default;

const juce::String GainProcessor::getName() const
{
    return "Gain";
}

void GainProcessor::prepareToPlay(double, int) {}

void GainProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const float decibels = offsetDecibel->get();
    const float factor = decibels > -100.0f ? std::pow(10.0f, decibels / 20.0f) : 0.0f;

    if (factor == 1.0f)
        return;

    if (factor != 0.0f)
    {
        if (!buffer.hasBeenCleared())
            buffer.applyGain(factor);
    }
    else if (!buffer.hasBeenCleared())
    {
        buffer.clear();
    }
}
