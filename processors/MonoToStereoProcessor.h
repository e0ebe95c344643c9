#pragma once

#include "processors/ProcessorBase.h"

/** Spreads the mono voice over two channels (one channel in, two out in the chain): channel 0 is
    copied into channel 1 and both are halved (-6 dB each side). With fewer than two output channels
    the block passes unchanged. No parameters. */
class MonoToStereoProcessor : public ProcessorBase
{
public:
    MonoToStereoProcessor();
    ~MonoToStereoProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MonoToStereoProcessor)
};
