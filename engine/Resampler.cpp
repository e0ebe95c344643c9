#include "engine/Resampler.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace zo
{

namespace
{
constexpr std::uint64_t one = std::uint64_t{1} << 32;
constexpr std::uint64_t fractionMask = one - 1;
constexpr double lowestRatio = 1.0 / 64.0;
constexpr double highestRatio = 2147483648.0;
} // namespace

Resampler::Resampler(int channelCountIn, int maxProcSamplesIn, int modeIn, int halfWidthIn, double ratioIn)
    : channelCount(channelCountIn), maxProcSamples(maxProcSamplesIn), mode(modeIn), halfWidth(halfWidthIn),
      resampleRatio(ratioIn), positionStep(0), position(one)
{
    if (maxProcSamples > maximumProcSamples)
    {
        // The traditional line goes to standard output; the caller gets an exception instead of
        // the process ending.
        const char* line = "maxProcSamples has to be less than 8192.";
        std::printf("%s\n", line);
        std::fflush(stdout);
        throw EngineError(EngineError::Kind::invalidArgument, -1, line);
    }
    if (maxProcSamples < 1)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Resampler: maxProcSamples %d is below 1\n",
                         maxProcSamples);
    if (channelCount < 1)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Resampler: %d channels\n", channelCount);
    if (mode != linear)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Resampler: unsupported mode %d\n", mode);
    if (halfWidth < 0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Resampler: negative halfWidth %d\n",
                         halfWidth);
    if (!std::isfinite(resampleRatio) || resampleRatio < lowestRatio || resampleRatio > highestRatio)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Resampler: ratio %f out of range\n",
                         resampleRatio);

    positionStep = static_cast<std::uint64_t>(static_cast<double>(one) / resampleRatio);

    // One call of maxProcSamples outputs consumes at most ceil(maxProcSamples × step / 2^32) inputs
    // (the position never reaches step + 1); the history keeps two more in front of them.
    const std::uint64_t mostConsumed =
        (static_cast<std::uint64_t>(maxProcSamples) * positionStep + fractionMask) >> 32;
    const std::size_t length = std::max<std::size_t>(static_cast<std::size_t>(halfWidth) +
                                                         8 * static_cast<std::size_t>(maxProcSamples),
                                                     static_cast<std::size_t>(mostConsumed) + 2);
    history.assign(static_cast<std::size_t>(channelCount), std::vector<double>(length, 0.0));
}

Resampler::~Resampler() = default;

std::int64_t Resampler::inputNeeded(std::int64_t outputCount) const noexcept
{
    if (outputCount <= 0)
        return 0;
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(outputCount - 1) * positionStep + position) >> 32);
}

void Resampler::process(double* const* outputs, int outputStride, const double* const* inputs,
                        int inputStride, std::int64_t count) noexcept
{
    std::int64_t inputOffset = 0;
    std::int64_t outputOffset = 0;
    while (count > 0)
    {
        const std::int64_t piece = std::min<std::int64_t>(count, maxProcSamples);
        const std::int64_t consumed = inputNeeded(piece);
        processPiece(outputs, outputStride, inputs, inputStride, inputOffset, outputOffset, piece);
        inputOffset += consumed;
        outputOffset += piece;
        count -= piece;
    }
}

void Resampler::process(double* output, int outputStride, const double* input, int inputStride,
                        std::int64_t count) noexcept
{
    double* outputs[1] = {output};
    const double* inputs[1] = {input};
    process(outputs, outputStride, inputs, inputStride, count);
}

void Resampler::processPiece(double* const* outputs, int outputStride, const double* const* inputs,
                             int inputStride, std::int64_t inputOffset, std::int64_t outputOffset,
                             std::int64_t count) noexcept
{
    const std::uint64_t last = static_cast<std::uint64_t>(count - 1) * positionStep + position;
    const std::size_t consumed = static_cast<std::size_t>(last >> 32);
    constexpr double fractionScale = 1.0 / 4294967296.0;

    for (int c = 0; c < channelCount; ++c)
    {
        double* h = history[static_cast<std::size_t>(c)].data();
        const double* in = inputs[c] + inputOffset * inputStride;
        double* out = outputs[c] + outputOffset * outputStride;

        // New input goes behind the two samples kept from the previous call.
        for (std::size_t j = 0; j < consumed; ++j)
            h[2 + j] = in[static_cast<std::ptrdiff_t>(j) * inputStride];

        std::uint64_t p = position;
        for (std::int64_t i = 0; i < count; ++i)
        {
            const std::size_t k = static_cast<std::size_t>(p >> 32);
            const double e = static_cast<double>(p & fractionMask) * fractionScale;
            out[i * outputStride] = h[k] * (1.0 - e) + h[k + 1] * e;
            p += positionStep;
        }

        h[0] = h[consumed];
        h[1] = h[consumed + 1];
    }

    position = position + static_cast<std::uint64_t>(count) * positionStep - (last & ~fractionMask);
}

} // namespace zo
