#pragma once

#include "processors/ProcessorBase.h"

/** The per-model offset gain of the converted voice (one channel in and out in the chain).

    Parameter 0, "Offset Decibel": -12 to +12 dB, default 0. Per block the factor is
    10^(dB / 20); a factor of exactly 1 leaves the block untouched (0 dB is bit-identical). */
class GainProcessor : public ProcessorBase
{
public:
    GainProcessor();
    ~GainProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

private:
    juce::AudioParameterFloat* offsetDecibel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(GainProcessor)
};
