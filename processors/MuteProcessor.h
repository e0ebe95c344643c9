#pragma once

#include "processors/ProcessorBase.h"

/** Silences its block while muted: the voice mute (one channel) and the AUX mute (two channels) of
    the chain.

    Parameter 0, "Enable" ("Mute Enable"): boolean, default off. `reset()` unmutes a muted processor
    and notifies the parameter's listeners, so that the screens follow. */
class MuteProcessor : public ProcessorBase
{
public:
    MuteProcessor();
    ~MuteProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Unmutes (and notifies listeners) when muted; otherwise does nothing. */
    void reset() override;

private:
    juce::AudioParameterBool* enable;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MuteProcessor)
};
