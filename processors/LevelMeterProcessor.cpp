#include "processors/LevelMeterProcessor.h"

#include <cmath>

namespace tessel
{

LevelMeterProcessor::LevelMeterProcessor() = default;

LevelMeterProcessor::~LevelMeterProcessor() = default;

const juce::String LevelMeterProcessor::getName() const
{
    return "LevelMeter";
}

int LevelMeterProcessor::windowLengthFor(double sampleRate) noexcept
{
    return static_cast<int>(sampleRate * static_cast<double>(0.03f));
}

void LevelMeterProcessor::prepareToPlay(double sampleRate, int)
{
    windowLength = windowLengthFor(sampleRate);
    window.setSize(1, juce::jmax(1, windowLength));
    if (!window.hasBeenCleared())
        window.clear();
    writeIndex = 0;
}

void LevelMeterProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (windowLength <= 0 || buffer.getNumChannels() == 0)
        return;

    const float* in = buffer.getReadPointer(0);
    float* collected = window.getWritePointer(0);
    const int numSamples = buffer.getNumSamples();

    int i = 0;
    while (i < numSamples)
    {
        const int count = juce::jmin(numSamples - i, windowLength - writeIndex);
        juce::FloatVectorOperations::copy(collected + writeIndex, in + i, count);
        writeIndex += count;
        i += count;

        if (writeIndex == windowLength)
        {
            double sum = 0.0;
            for (int k = 0; k < windowLength; ++k)
                sum += static_cast<double>(collected[k]) * collected[k];
            const auto range = juce::FloatVectorOperations::findMinAndMax(collected, windowLength);

            rms.store(static_cast<float>(std::sqrt(sum / windowLength)), std::memory_order_relaxed);
            peak.store(juce::jmax(std::abs(range.getStart()), std::abs(range.getEnd())),
                       std::memory_order_relaxed);
            writeIndex = 0;
        }
    }
}

void LevelMeterProcessor::reset()
{
    if (!window.hasBeenCleared())
        window.clear();
    writeIndex = 0;
    rms.store(0.0f, std::memory_order_relaxed);
    peak.store(0.0f, std::memory_order_relaxed);
}

float LevelMeterProcessor::getRMS() const noexcept
{
    return rms.load(std::memory_order_relaxed);
}

float LevelMeterProcessor::getPeak() const noexcept
{
    return peak.load(std::memory_order_relaxed);
}

} // namespace tessel
