#include "harness/OfflineProcessorRunner.h"

#include <cmath>

namespace testing_harness
{

OfflineProcessorRunner::OfflineProcessorRunner(juce::AudioProcessor& processorToRun, int inputs, int outputs)
    : processor(processorToRun), numInputs(inputs), numOutputs(outputs),
      numChannels(juce::jmax(inputs, outputs)),
      channelPointers(static_cast<size_t>(juce::jmax(1, numChannels)), nullptr)
{
    midi.ensureSize(256);
}

void OfflineProcessorRunner::prepare(double sampleRate, int newBlockSize)
{
    blockSize = newBlockSize;
    processor.enableAllBuses();
    processor.setPlayConfigDetails(numInputs, numOutputs, sampleRate, blockSize);
    jassert(processor.getTotalNumInputChannels() == numInputs);
    jassert(processor.getTotalNumOutputChannels() == numOutputs);
    processor.prepareToPlay(sampleRate, blockSize);
}

void OfflineProcessorRunner::processBlock(juce::AudioBuffer<float>& signal, int start, int numSamples)
{
    for (int c = 0; c < numChannels; ++c)
        channelPointers[static_cast<size_t>(c)] = signal.getWritePointer(c, start);

    // Refers to the caller's samples: no copy and no allocation per block.
    block.setDataToReferTo(channelPointers.data(), numChannels, numSamples);
    midi.clear();
    processor.processBlock(block, midi);
}

void OfflineProcessorRunner::process(juce::AudioBuffer<float>& signal)
{
    jassert(blockSize > 0 && signal.getNumChannels() >= numChannels);
    const int total = signal.getNumSamples();
    for (int start = 0; start < total; start += blockSize)
        processBlock(signal, start, juce::jmin(blockSize, total - start));
}

void OfflineProcessorRunner::process(juce::AudioBuffer<float>& signal, const std::vector<int>& blockSizes)
{
    jassert(!blockSizes.empty() && signal.getNumChannels() >= numChannels);
    const int total = signal.getNumSamples();
    size_t next = 0;
    for (int start = 0; start < total;)
    {
        const int count = juce::jmin(blockSizes[next], total - start);
        processBlock(signal, start, count);
        start += count;
        next = (next + 1) % blockSizes.size();
    }
}

juce::AudioBuffer<float> OfflineProcessorRunner::run(const juce::AudioBuffer<float>& input)
{
    juce::AudioBuffer<float> signal(juce::jmax(1, numChannels), input.getNumSamples());
    signal.clear();
    for (int c = 0; c < juce::jmin(numChannels, input.getNumChannels()); ++c)
        signal.copyFrom(c, 0, input, c, 0, input.getNumSamples());
    process(signal);
    return signal;
}

juce::AudioBuffer<float> makeSine(int numChannels, int numSamples, double sampleRate, double frequency,
                                  float amplitude)
{
    juce::AudioBuffer<float> buffer(numChannels, numSamples);
    for (int i = 0; i < numSamples; ++i)
    {
        const auto value = static_cast<float>(
            amplitude * std::sin(juce::MathConstants<double>::twoPi * frequency * i / sampleRate));
        for (int c = 0; c < numChannels; ++c)
            buffer.setSample(c, i, value);
    }
    return buffer;
}

juce::AudioBuffer<float> makeConstant(int numChannels, int numSamples, float value)
{
    juce::AudioBuffer<float> buffer(numChannels, numSamples);
    for (int c = 0; c < numChannels; ++c)
        juce::FloatVectorOperations::fill(buffer.getWritePointer(c), value, numSamples);
    return buffer;
}

} // namespace testing_harness
