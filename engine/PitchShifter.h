#pragma once

#include "engine/Resampler.h"
#include "engine/TimeStretcher.h"

#include <optional>
#include <vector>

namespace zo
{

/** Transposes a mono signal by a fixed ratio without changing its duration.

    A TimeStretcher changes the duration by the pitch ratio p (its ratio is 1/p), and a linear
    Resampler plays the stretched signal back p times faster, so n samples in give n samples out,
    transposed by p. The stretcher drops or repeats at most one period per cycle, so one such
    stage moves the pitch by 0.5..2; ratios beyond that (down to 0.25, up to 4) run two stages of
    √p each, the second looking for the voice's pitch in the range moved by the first. The
    latency is the stages' analysis windows (2 × sampleRate / lowest frequency looked for) plus
    about one sample each. All buffers are allocated at construction; `process` never allocates. */
class PitchShifter
{
public:
    /** Result of `process`: all samples produced. */
    static constexpr int resultOk = 0;
    /** Result of `process`: the stretcher's input ring was full and input was dropped. */
    static constexpr int resultOverrun = 13;
    /** Result of `process`: the stretcher produced less than the resampler needed. */
    static constexpr int resultUnderrun = 14;

    /** Lowest and highest pitch ratio. */
    static constexpr double lowestRatio = 0.25;
    static constexpr double highestRatio = 4.0;

    /** @param blockSize         samples per `process` call (at least 1)
        @param lagStep           the pitch detector's lag step in samples
        @param sampleRate        Hz
        @param pitchRatio        frequency factor, 0.25..4; outside that range, or not finite,
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

    /** Number of internal stages: 1 for ratios in 0.5..2, else 2. */
    int stageCount() const noexcept { return second ? 2 : 1; }

    /** The average delay on speech in samples. Each stage's time stretcher keeps at least its
        analysis window W buffered and splices whole periods: its delay averages about 5/8 W when
        raising the pitch and 7/8 W when lowering it, within W/8 either way; each of two lowering
        stages counts W. */
    std::int64_t averageDelaySamples() const noexcept;

private:
    /** One time stretcher and the resampler that plays its output back at the stage's ratio. */
    class Stage
    {
    public:
        Stage(int blockSize, int lagStep, double sampleRate, double pitchRatio, double lowestFrequency,
              double highestFrequency, bool exactRatio);
        int process(double* output, int outputStride, const double* input, int inputStride,
                    int count) noexcept;
        /** `alone`: whether this is the shifter's only stage. */
        std::int64_t averageDelaySamples(bool alone) const noexcept;

    private:
        double ratio;
        TimeStretcher stretcher;
        Resampler resampler;
        std::vector<double> intermediate;
        double lastStretched = 0.0;
    };

    int processBlock(double* output, int outputStride, const double* input, int inputStride,
                     int count) noexcept;

    double rate;
    double ratio;
    int block;
    Stage first;
    std::optional<Stage> second;
};

} // namespace zo
