#pragma once

#include "processors/NoiseGate.h"
#include "processors/ProcessorBase.h"

#include <memory>

namespace tessel
{

/** The chain's gate on the raw voice, in front of the voice conversion (one channel in and out).

    Parameter 0, "TriggerLevel" ("Noise Gate Trigger Level"): 0 to 1, default 0.5. A value v maps to
    the gate's trigger level L = min(0.1 v², 0.1) (0.5 gives 0.025, 1 gives 0.1). Each block writes
    back sqrt(10 L) when it differs from the parameter by more than rounding; listeners of this
    parameter may therefore be called from the audio thread. */
class NoiseGateProcessor : public ProcessorBase
{
public:
    NoiseGateProcessor();
    ~NoiseGateProcessor() override;

    const juce::String getName() const override;

    /** Starts a new, closed gate for the sample rate and the number of output channels, and sizes
        the double-precision work buffer to the block size. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** The trigger level L (0 to 0.1) for a parameter value v (0 to 1). */
    static float levelForValue(float value) noexcept;
    /** The parameter value for a trigger level L: sqrt(10 * clamp(L, 0, 0.1)). */
    static float valueForLevel(float level) noexcept;

private:
    juce::AudioParameterFloat* triggerLevel;
    std::unique_ptr<tsx::NoiseGate> gate;
    juce::AudioBuffer<double> work;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(NoiseGateProcessor)
};

} // namespace tessel
