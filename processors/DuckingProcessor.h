#pragma once

#include "processors/ProcessorBase.h"

#include <atomic>
#include <vector>

/** Lowers the AUX (background) signal while the speaker talks.

    Three channels in, two out in the chain: channels 0 and 1 carry the AUX signal, channel 2 the raw
    voice as side chain. The voice's RMS over a window of 4410 samples (at every sample rate; 0.1 s
    at 44100 Hz) drives a detector with hysteresis: ducking starts above an RMS of 0.02 and ends
    below 0.005. The gain applied to the AUX channels moves towards the target by a factor of 0.994
    per sample when falling and 1.0000779 when rising (at 44100 Hz: 1 to 0.08 in about 420 samples,
    0.025 back to 1 in about 1.07 s).

    Parameter 0, "Ducking Level": choice "OFF" (target gain 1), "WEAK" (0.08, about -22 dB),
    "STRONG" (0.025, about -32 dB); default "OFF". */
class DuckingProcessor : public ProcessorBase
{
public:
    DuckingProcessor();
    ~DuckingProcessor() override;

    const juce::String getName() const override;

    /** Empties the energy window (4410 samples), sets the gain to 1 and ends ducking. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Switches the choice back to "OFF" (and notifies listeners) when another one is selected. */
    void reset() override;

    /** True while the voice is considered present. Read by the screens without a lock. */
    bool isDucking() const noexcept;

    /** The factor applied to the AUX channels at the end of the last block (1 while they are not
        lowered). Read by the screens without a lock. */
    float getGain() const noexcept;

private:
    void updateTarget();

    juce::AudioParameterChoice* duckingLevel;

    std::atomic<bool> ducking{false};
    std::atomic<float> appliedGain{1.0f};
    double energySum = 0.0;
    int ringIndex = 0;
    std::vector<double> ring;
    float gain = 1.0f;
    float duckGain = 1.0f;
    const float windowLength = 4410.0f;
    const float attackFactor = 0.994f;
    const float releaseFactor = 1.0000779f;
    const float startLevel = 0.02f;
    const float stopLevel = 0.005f;
    const float offGain = 1.0f;
    const float weakGain = 0.08f;
    const float strongGain = 0.025f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DuckingProcessor)
};
