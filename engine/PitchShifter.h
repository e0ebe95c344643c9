#pragma once

#include "engine/Resampler.h"
#include "engine/TimeStretcher.h"

#include <vector>

namespace zo
{

/** Transposes a mono signal by a fixed ratio without changing its duration.

    A TimeStretcher changes the duration by the pitch ratio p (its ratio is 1/p), and a linear
    Resampler plays the stretched signal back p times faster, so n samples in give n samples out,
    transposed by p. The latency is the stretcher's analysis window (2 × sampleRate /
    lowestFrequency samples) plus about one sample. All buffers are allocated at construction;
    `process` never allocates. */
class PitchShifter
{
public:
    /** Result of `process`: all samples produced. */
    static constexpr int resultOk = 0;
    /** Result of `process`: the stretcher's input ring was full and input was dropped. */
    static constexpr int resultOverrun = 13;
    /** Result of `process`: the stretcher produced less than the resampler needed. */
    static constexpr int resultUnderrun = 14;

    /** @param blockSize         samples per `process` call (at least 1)
        @param lagStep           the pitch detector's lag step in samples
        @param sampleRate        Hz
        @param pitchRatio        frequency factor, 0.5..2; outside that range, or not finite,
                                 EngineError is thrown
        @param lowestFrequency   lowest voice pitch looked for, Hz
        @param highestFrequency  highest voice pitch looked for, Hz */
    PitchShifter(int blockSize, int lagStep, double sampleRate, double pitchRatio, double lowestFrequency,
                 double highestFrequency);
    virtual ~PitchShifter();

    /** Shifts count samples from input[j × inputStride] to output[j × outputStride] (they may be
        the same array). Calls longer than the block size are processed block by block.
        @return 0, or 13 after "buffer overrun" / 14 after "buffer underrun" on standard output;
                processing goes on with what was produced (an underrun's missing stretched
                samples repeat the last one). */
    int process(double* output, int outputStride, const double* input, int inputStride, int count) noexcept;

    double pitchRatio() const noexcept { return ratio; }
    int blockSize() const noexcept { return block; }
    double sampleRate() const noexcept { return rate; }

private:
    int processBlock(double* output, int outputStride, const double* input, int inputStride,
                     int count) noexcept;

    double rate;
    double ratio;
    int block;
    TimeStretcher stretcher;
    Resampler resampler;
    std::vector<double> intermediate;
    double lastStretched = 0.0;
};

} // namespace zo
