#pragma once

#include <cstdint>
#include <vector>

namespace zo
{

/** Mutes a signal between utterances: opens when the signal rises above a trigger level, stays
    open for a hold time after it falls back, then closes gradually.

    The gain rises by 1 / attackSamples per sample above the threshold and, once holdSamples quiet
    samples have passed, falls by 1 / decaySamples per sample. The output is the input delayed by
    attackSamples (a look-ahead of at most 20 ms), so the gain is already up when the onset that
    opened it comes out. The trigger compares the signed sum of the channels' samples with
    channels × triggerLevel. Out-of-range settings are clamped with a line on standard output.
    The rings are allocated at construction; `process` never allocates. */
class NoiseGate
{
public:
    /** @param channels       channels processed together (at least 1)
        @param sampleRate     Hz
        @param triggerLevel   0..1
        @param attackSeconds  0..0.02 s, also the look-ahead delay
        @param holdSeconds    at least 0 s
        @param decaySeconds   at least 0 s
        Unusable channel counts or rates throw EngineError. */
    NoiseGate(int channels, double sampleRate, double triggerLevel, double attackSeconds, double holdSeconds,
              double decaySeconds);
    virtual ~NoiseGate();

    /** Sets the trigger level, clamped to 0..1 ("NoiseGate: triggerLevel(%f -> %f)" when clamped). */
    void setTriggerLevel(double level);

    /** Sets the attack time and look-ahead, clamped to 0..0.02 s ("NoiseGate: attackSeconds(%f ->
        %f)" when clamped). The look-ahead keeps its position relative to the incoming signal. */
    void setAttackSeconds(double seconds);

    /** Sets the decay time, at least 0 s ("NoiseGate: decaySeconds(%f -> %f)" when clamped). */
    void setDecaySeconds(double seconds);

    /** The stored trigger level. */
    double triggerLevel() const noexcept { return trigger; }

    /** The gain applied to the next output sample, 0..1. */
    double gain() const noexcept { return currentGain; }

    int attackSamples() const noexcept { return attack; }
    int holdSamples() const noexcept { return hold; }

    /** Gates count samples per channel: outputs[c][j × outputStride] from
        inputs[c][j × inputStride]. outputs may be the same arrays as inputs. */
    void process(double* const* outputs, int outputStride, const double* const* inputs, int inputStride,
                 int count) noexcept;

    /** Single-channel form of process. */
    void process(double* output, int outputStride, const double* input, int inputStride, int count) noexcept;

private:
    static int samplesOf(double seconds, double sampleRate) noexcept;

    double sampleRate;
    int channels;
    double trigger = 0.0;
    double threshold = 0.0;
    double attackSeconds = 0.0;
    double holdSeconds = 0.0;
    double decaySeconds = 0.0;
    int attack = 0;
    int hold = 0;
    double gainIncrement = 1.0;
    double gainDecrement = 1.0;
    double currentGain = 0.0;
    std::int32_t holdCounter = 0;
    int ringLength = 1;
    std::vector<std::vector<double>> rings;
    int writeIndex = 0;
    int readIndex = 0;
};

} // namespace zo
