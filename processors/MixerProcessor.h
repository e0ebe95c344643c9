#pragma once

#include "processors/ProcessorBase.h"

/** Adds the stereo voice and the stereo AUX signal (four channels in, two out in the chain).

    Input channels 0 and 1 are the voice (A), 2 and 3 the AUX signal (B). The output, written into
    channels 0 and 1, is gOut * (gA * A + gB * B) per side; channels 2 and 3 leave the mixer silent.
    Parameters (linear factors, 0 to 1, default 1): 0 "Channel A Gain", 1 "Channel B Gain",
    2 "Output Gain". A factor of exactly 1 copies or adds without multiplying. */
class MixerProcessor : public ProcessorBase
{
public:
    MixerProcessor();
    ~MixerProcessor() override;

    const juce::String getName() const override;

    /** Sizes the two stereo work buffers to the block size (samples) and clears them. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;

    /** Mixes in place. A block longer than the prepared size is mixed in pieces of that size. */
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

private:
    void mixRange(juce::AudioBuffer<float>& buffer, int start, int numSamples, float gainA, float gainB,
                  float gainOut);

    juce::AudioParameterFloat* channelAGain;
    juce::AudioParameterFloat* channelBGain;
    juce::AudioParameterFloat* outputGain;
    juce::AudioBuffer<float> bufferA;
    juce::AudioBuffer<float> bufferB;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MixerProcessor)
};
