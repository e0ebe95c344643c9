#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace testing_harness
{

/** Runs one audio processor over audio buffers without a device, the way a processor graph node
    runs it: the processor gets a fixed number of input and output channels, is prepared at a rate
    and block size, and is fed block by block in a working buffer of max(inputs, outputs) channels.

    `process` works in place on the caller's buffer and never allocates, so allocation counts and
    benchmarks can wrap it. */
class OfflineProcessorRunner
{
public:
    /** @param numInputs, numOutputs  the channel counts the processor gets (as in the chain) */
    OfflineProcessorRunner(juce::AudioProcessor& processor, int numInputs, int numOutputs);

    /** Enables all buses, sets the channel counts, rate (Hz) and block size (samples), then calls
        `prepareToPlay`. */
    void prepare(double sampleRate, int blockSize);

    /** Channels of the working buffer: max(inputs, outputs). */
    int getNumChannels() const noexcept { return numChannels; }
    int getBlockSize() const noexcept { return blockSize; }

    /** Processes `signal` in place in blocks of the prepared size (the last one may be shorter).
        `signal` needs at least getNumChannels() channels. */
    void process(juce::AudioBuffer<float>& signal);

    /** Processes `signal` in place with the given block sizes, repeated until the signal ends. */
    void process(juce::AudioBuffer<float>& signal, const std::vector<int>& blockSizes);

    /** Copies `input` into a buffer of getNumChannels() channels (missing channels silent), runs it
        and returns the result. */
    juce::AudioBuffer<float> run(const juce::AudioBuffer<float>& input);

private:
    void processBlock(juce::AudioBuffer<float>& signal, int start, int numSamples);

    juce::AudioProcessor& processor;
    int numInputs;
    int numOutputs;
    int numChannels;
    int blockSize = 0;
    std::vector<float*> channelPointers;
    juce::AudioBuffer<float> block;
    juce::MidiBuffer midi;
};

/** Signals for tests and benchmarks. */
juce::AudioBuffer<float> makeSine(int numChannels, int numSamples, double sampleRate, double frequency,
                                  float amplitude);
juce::AudioBuffer<float> makeConstant(int numChannels, int numSamples, float value);

} // namespace testing_harness
