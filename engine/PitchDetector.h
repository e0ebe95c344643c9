#pragma once

#include <cstdint>
#include <vector>

namespace zo
{

/** Finds the pitch period of a voiced signal by comparing ternary sign codes at candidate lags.

    Each sample of a window of 2 × maxPeriod samples becomes a 2-bit code (1: above +c, 3: below
    −c, 0: in between, with c half the window's RMS); eight codes pack into 16 bits, and a
    process-wide table scores two packed values by the number of matching minus opposite-sign
    fields. The period is the candidate lag between minPeriod and maxPeriod whose codes agree best
    with the reference codes. The detector works in place on buffers allocated at construction. */
class PitchDetector
{
public:
    /** @param lagStep           distance between candidate lags in samples (at least 1)
        @param sampleRate        Hz
        @param lowestFrequency   Hz; maxPeriod = integer part of sampleRate / lowestFrequency
        @param highestFrequency  Hz; minPeriod = integer part of sampleRate / highestFrequency
        Throws EngineError when the arguments give no usable period range (a minPeriod below 1, a
        lowest frequency above the highest, non-positive values). */
    PitchDetector(int lagStep, double sampleRate, double lowestFrequency, double highestFrequency);
    virtual ~PitchDetector();

    /** Samples the detector reads: 2 × maxPeriod. */
    int windowLength() const noexcept { return 2 * maxPeriodSamples; }

    int minPeriod() const noexcept { return minPeriodSamples; }
    int maxPeriod() const noexcept { return maxPeriodSamples; }

    /** Returns the pitch period in samples, minPeriod..maxPeriod (maxPeriod when no lag scores at
        least 0 or the range is empty).
        @param samples   with direction > 0 the window is samples[0 .. 2 × maxPeriod), compared
                         against later samples; with direction ≤ 0 it is
                         samples[−maxPeriod .. maxPeriod), compared against earlier samples. */
    int detect(const double* samples, int direction) noexcept;

    /** The shared score of two packed code words' XOR: fields equal to 0 minus fields equal to 2. */
    static int score(std::uint16_t codeXor) noexcept;

private:
    double sampleRate;
    double lowestFrequency;
    double highestFrequency;
    int lagStep;
    int minPeriodSamples;
    int maxPeriodSamples;
    std::vector<std::uint16_t> codes;
};

} // namespace zo
