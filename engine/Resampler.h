#pragma once

#include <cstdint>
#include <vector>

namespace zo
{

/** Plays a signal back faster or slower by a fixed ratio, with linear interpolation.

    `ratio` is output samples per input sample: each output sample advances the read position by
    `step` = 2^32 / ratio (32.32 fixed point), so a ratio of 0.5 reads two input samples per output
    sample. The read position starts one sample behind the first input (the history starts with
    zeros), and the interpolation state carries over between calls, so one long call and many short
    ones give the same samples. History buffers are allocated at construction; `process` never
    allocates. */
class Resampler
{
public:
    /** Interpolation modes. Only linear interpolation is provided. */
    enum Mode
    {
        linear = 0
    };

    /** The largest `maxProcSamples` a resampler accepts. */
    static constexpr int maximumProcSamples = 8192;

    /** @param channels       channels processed together (at least 1)
        @param maxProcSamples the output samples one call is planned for, 1..8192; above 8192 the
                              line "maxProcSamples has to be less than 8192." goes to standard output
                              and EngineError is thrown
        @param mode           `linear`; other modes throw EngineError
        @param halfWidth      interpolation half width in samples (reserved in the history; not used
                              by linear interpolation)
        @param ratio          output samples per input sample, 1/64 .. 2^31; outside that range, or
                              not finite, EngineError is thrown */
    Resampler(int channels, int maxProcSamples, int mode, int halfWidth, double ratio);
    virtual ~Resampler();

    /** Input samples per channel that the next `outputCount` outputs consume:
        ((outputCount − 1) × step + position) >> 32. */
    std::int64_t inputNeeded(std::int64_t outputCount) const noexcept;

    /** Produces `count` output samples per channel from inputNeeded(count) input samples per
        channel. Sample j of channel c is at inputs[c][j × inputStride] and
        outputs[c][j × outputStride]. Calls longer than maxProcSamples are processed in pieces. */
    void process(double* const* outputs, int outputStride, const double* const* inputs, int inputStride,
                 std::int64_t count) noexcept;

    /** Single-channel form of process. */
    void process(double* output, int outputStride, const double* input, int inputStride,
                 std::int64_t count) noexcept;

    int channels() const noexcept { return channelCount; }
    double ratio() const noexcept { return resampleRatio; }

    /** Input samples per output sample in 32.32 fixed point. */
    std::uint64_t step() const noexcept { return positionStep; }

private:
    void processPiece(double* const* outputs, int outputStride, const double* const* inputs, int inputStride,
                      std::int64_t inputOffset, std::int64_t outputOffset, std::int64_t count) noexcept;

    int channelCount;
    int maxProcSamples;
    int mode;
    int halfWidth;
    double resampleRatio;
    std::uint64_t positionStep;
    std::uint64_t position;
    std::vector<std::vector<double>> history;
};

} // namespace zo
