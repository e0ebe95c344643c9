#pragma once

#include <vector>

namespace tsx
{

/** A look-ahead noise gate on blocks of double-precision samples.

    Each sample, the signed samples of all channels are summed; when the sum exceeds the threshold
    (numChannels times the trigger level) the gain opens linearly within the attack time (1 ms),
    stays open for the hold time (20 ms) after the last such sample and then closes linearly within
    the decay time (50 ms). The output is the input delayed by the attack time (the look-ahead) times
    the gain computed before the current sample. At 44100 Hz: 44 samples attack and look-ahead, 882
    hold, 2205 decay. The gate starts closed with empty delay lines and never allocates while
    processing. */
class NoiseGate
{
public:
    /** @param sampleRate   in Hz
        @param numChannels  number of channels processed together
        @param triggerLevel 0 to 1; a value outside is replaced by the nearest bound (with a line on
                            the standard output) */
    NoiseGate(double sampleRate, int numChannels, double triggerLevel);
    virtual ~NoiseGate();

    NoiseGate(const NoiseGate&) = delete;
    NoiseGate& operator=(const NoiseGate&) = delete;

    /** Sets the trigger level (clamped to 0..1 as in the constructor); the threshold follows. */
    void setTriggerLevel(double newTriggerLevel);

    /** The trigger level in use, 0 to 1. */
    double getTriggerLevel() const noexcept { return triggerLevel; }

    /** Gates numSamples samples of every channel in place. `channels` holds numChannels pointers. */
    void process(double* const* channels, int numSamples) noexcept;

    /** The current gate gain, 0 (closed) to 1 (open). */
    double getGain() const noexcept { return gain; }

    int getAttackSamples() const noexcept { return attackSamples; }
    int getHoldSamples() const noexcept { return holdSamples; }
    int getDecaySamples() const noexcept { return decaySamples; }

private:
    static double clampTriggerLevel(double level);

    double sampleRate;
    int numChannels;
    double triggerLevel;
    double threshold;
    double attackSeconds = 0.001;
    double holdSeconds = 0.02;
    double decaySeconds = 0.05;
    double gain = 0.0;
    int attackSamples;
    int holdSamples;
    int decaySamples;
    int delayLength;
    double decayStep;
    double attackStep;
    int writeIndex = 0;
    int readIndex;
    int holdCounter = 0;
    std::vector<double> delayBuffer;
    std::vector<double*> channelDelay;
};

} // namespace tsx
