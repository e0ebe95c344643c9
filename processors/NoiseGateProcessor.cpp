#include "processors/NoiseGateProcessor.h"

#include <cmath>

namespace tessel
{

namespace
{
/** Larger than any rounding of the level mapping (a few float steps near 1). */
constexpr float writeBackTolerance = 1.0e-5f;
} // namespace

NoiseGateProcessor::NoiseGateProcessor()
    : triggerLevel(
          new juce::AudioParameterFloat("TriggerLevel", "Noise Gate Trigger Level", 0.0f, 1.0f, 0.5f))
{
    addParameter(triggerLevel);
}

NoiseGateProcessor::~NoiseGateProcessor() = default;

const juce::String NoiseGateProcessor::getName() const
{
    return "NoiseGate";
}

float NoiseGateProcessor::levelForValue(float value) noexcept
{
    return juce::jmin(0.1f * value * value, 0.1f);
}

float NoiseGateProcessor::valueForLevel(float level) noexcept
{
    return std::sqrt(10.0f * juce::jlimit(0.0f, 0.1f, level));
}

void NoiseGateProcessor::prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const int numChannels = getTotalNumOutputChannels();
    gate = std::make_unique<tsx::NoiseGate>(sampleRate, numChannels, levelForValue(triggerLevel->get()));
    work.setSize(juce::jmax(1, numChannels), juce::jmax(1, maximumExpectedSamplesPerBlock));
    work.clear();
}

void NoiseGateProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (gate == nullptr)
        return;

    gate->setTriggerLevel(levelForValue(triggerLevel->get()));

    // Only a real difference is written back. In single precision some values (0.05, 0.1, 0.2, ...)
    // map to a neighbouring float and back again, which would tell the listeners on every block.
    const float writtenBack = valueForLevel(static_cast<float>(gate->getTriggerLevel()));
    if (std::abs(writtenBack - triggerLevel->get()) > writeBackTolerance)
    {
        // Sets the value and tells the listeners, here on the audio thread.
        triggerLevel->setValueNotifyingHost(triggerLevel->convertTo0to1(writtenBack));
    }

    const int numChannels = juce::jmin(getTotalNumOutputChannels(), work.getNumChannels());
    if (buffer.getNumChannels() < numChannels || numChannels == 0)
        return;

    // The work buffer holds one prepared block; a longer block is gated piece by piece, which is
    // the same as one pass because the gate works sample by sample.
    const int capacity = work.getNumSamples();
    const int numSamples = buffer.getNumSamples();
    double* const* channels = work.getArrayOfWritePointers();
    for (int start = 0; start < numSamples; start += capacity)
    {
        const int count = juce::jmin(capacity, numSamples - start);
        for (int c = 0; c < numChannels; ++c)
        {
            const float* in = buffer.getReadPointer(c, start);
            double* out = channels[c];
            for (int i = 0; i < count; ++i)
                out[i] = in[i];
        }

        gate->process(channels, count);

        for (int c = 0; c < numChannels; ++c)
        {
            float* out = buffer.getWritePointer(c, start);
            const double* in = channels[c];
            for (int i = 0; i < count; ++i)
                out[i] = static_cast<float>(in[i]);
        }
    }
}

} // namespace tessel
