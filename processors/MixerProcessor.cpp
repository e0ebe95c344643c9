#include "processors/MixerProcessor.h"

namespace
{
/** work = source * factor, copying when the factor is exactly 1 and clearing when it is 0. A
    missing source channel counts as silence. */
void scaleInto(float* work, const float* source, int numSamples, float factor)
{
    if (source == nullptr || factor == 0.0f)
        juce::FloatVectorOperations::clear(work, numSamples);
    else if (factor == 1.0f)
        juce::FloatVectorOperations::copy(work, source, numSamples);
    else
        juce::FloatVectorOperations::multiply(work, source, factor, numSamples);
}
} // namespace

MixerProcessor::MixerProcessor()
    : channelAGain(new juce::AudioParameterFloat("Channel A Gain", "Channel A Gain", 0.0f, 1.0f, 1.0f)),
      channelBGain(new juce::AudioParameterFloat("Channel B Gain", "Channel B Gain", 0.0f, 1.0f, 1.0f)),
      outputGain(new juce::AudioParameterFloat("Output Gain", "Output Gain", 0.0f, 1.0f, 1.0f))
{
    addParameter(channelAGain);
    addParameter(channelBGain);
    addParameter(outputGain);
}

MixerProcessor::~MixerProcessor() = default;

const juce::String MixerProcessor::getName() const
{
    return "Mixer";
}

void MixerProcessor::prepareToPlay(double, int maximumExpectedSamplesPerBlock)
{
    const int size = juce::jmax(1, maximumExpectedSamplesPerBlock);
    bufferA.setSize(2, size);
    bufferB.setSize(2, size);
    bufferA.clear();
    bufferB.clear();
}

void MixerProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const float gainA = channelAGain->get();
    const float gainB = channelBGain->get();
    const float gainOut = outputGain->get();

    // Silence in gives silence out on every channel; the buffer already says so.
    if (buffer.hasBeenCleared())
        return;

    const int capacity = bufferA.getNumSamples();
    if (capacity == 0)
    {
        buffer.clear();
        return;
    }

    const int numSamples = buffer.getNumSamples();
    for (int start = 0; start < numSamples; start += capacity)
        mixRange(buffer, start, juce::jmin(capacity, numSamples - start), gainA, gainB, gainOut);
}

void MixerProcessor::mixRange(juce::AudioBuffer<float>& buffer, int start, int numSamples, float gainA,
                              float gainB, float gainOut)
{
    const int numChannels = buffer.getNumChannels();
    auto input = [&](int channel) -> const float*
    { return channel < numChannels ? buffer.getReadPointer(channel, start) : nullptr; };

    for (int c = 0; c < 2; ++c)
    {
        scaleInto(bufferA.getWritePointer(c), input(c), numSamples, gainA);
        scaleInto(bufferB.getWritePointer(c), input(2 + c), numSamples, gainB);
    }

    for (int channel = 0; channel < numChannels; ++channel)
        buffer.clear(channel, start, numSamples);

    if (gainOut == 0.0f)
        return;

    for (int c = 0; c < juce::jmin(2, numChannels); ++c)
    {
        float* out = buffer.getWritePointer(c, start);
        const float* a = bufferA.getReadPointer(c);
        const float* b = bufferB.getReadPointer(c);
        if (gainOut == 1.0f)
        {
            juce::FloatVectorOperations::copy(out, a, numSamples);
            juce::FloatVectorOperations::add(out, b, numSamples);
        }
        else
        {
            juce::FloatVectorOperations::copyWithMultiply(out, a, gainOut, numSamples);
            juce::FloatVectorOperations::addWithMultiply(out, b, gainOut, numSamples);
        }
    }
}
