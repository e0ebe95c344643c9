#include "engine/TimeStretcher.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>

namespace zo
{

namespace
{
constexpr double crossfadePi = 3.14159265;
constexpr double unityTolerance = 1e-5;
} // namespace

TimeStretcher::TimeStretcher(int blockSizeIn, int lagStep, double sampleRate, double ratioIn,
                             double lowestFrequency, double highestFrequency, bool exactRatio)
    : stretchRatio(std::fabs(1.0 - ratioIn) < unityTolerance ? 1.0 : ratioIn), exact(exactRatio),
      detector(lagStep, sampleRate, lowestFrequency, highestFrequency), window(detector.windowLength()),
      half(window / 2), blockSize(blockSizeIn), ringCapacity(0)
{
    if (blockSize < 1)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "TimeStretcher: block size %d\n", blockSize);
    // Beyond a factor of two the splice offsets would leave the buffered signal: one cycle can drop
    // or repeat at most one period.
    if (!std::isfinite(stretchRatio) || stretchRatio < 0.5 || stretchRatio > 2.0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "TimeStretcher: ratio %f outside 0.5..2\n",
                         ratioIn);

    ringCapacity = blockSize + 2 * window + 65535;
    ring.assign(static_cast<std::size_t>(ringCapacity) + 1, 0.0);
    writePosition = window; // the ring starts holding `window` zeros

    analysis.assign(static_cast<std::size_t>(window), 0.0);
    segmentA.assign(2 * static_cast<std::size_t>(blockSize), 0.0);
    segmentB.assign(2 * static_cast<std::size_t>(blockSize), 0.0);

    copying = false;
    segmentLength = half;
    segmentPosition = 0;
    if (stretchRatio < 1.0)
    {
        offsetA = 0;
        offsetB = half;
    }
    else
    {
        offsetA = half;
        offsetB = 0;
    }
}

TimeStretcher::~TimeStretcher() = default;

int TimeStretcher::buffered() const noexcept
{
    const int slots = ringCapacity + 1;
    return (writePosition - readPosition + slots) % slots;
}

int TimeStretcher::write(const double* samples, int stride, int count) noexcept
{
    const int slots = ringCapacity + 1;
    const int accepted = std::clamp(ringCapacity - buffered(), 0, std::max(count, 0));
    for (int j = 0; j < accepted; ++j)
    {
        ring[static_cast<std::size_t>(writePosition)] = samples[static_cast<std::ptrdiff_t>(j) * stride];
        if (++writePosition == slots)
            writePosition = 0;
    }
    return accepted;
}

int TimeStretcher::peek(int offset, double* destination, int count) const noexcept
{
    const int slots = ringCapacity + 1;
    const int n = std::clamp(buffered() - offset, 0, std::max(count, 0));
    int position = (readPosition + offset) % slots;
    for (int i = 0; i < n; ++i)
    {
        destination[i] = ring[static_cast<std::size_t>(position)];
        if (++position == slots)
            position = 0;
    }
    return n;
}

void TimeStretcher::consume(int count) noexcept
{
    const int n = std::clamp(count, 0, buffered());
    readPosition = (readPosition + n) % (ringCapacity + 1);
}

void TimeStretcher::startCopying() noexcept
{
    const int t = segmentLength;
    copying = true;
    segmentPosition = 0;
    if (stretchRatio < 1.0)
    {
        if (exact)
        {
            const double length = t * stretchRatio / (1.0 - stretchRatio) + lengthCarry;
            segmentLength = std::max(0, static_cast<int>(std::floor(length + 0.5)));
            lengthCarry = length - segmentLength;
        }
        else
            segmentLength = static_cast<int>(t * stretchRatio / (1.0 - stretchRatio) + 0.5);
    }
    else
    {
        // Drop the period just crossfaded over.
        consume(offsetA);
        if (exact)
        {
            const double length = t / (stretchRatio - 1.0) - t + lengthCarry;
            segmentLength = std::max(0, static_cast<int>(std::floor(length + 0.5)));
            lengthCarry = length - segmentLength;
        }
        else
            segmentLength = std::max(0, static_cast<int>(t / (stretchRatio - 1.0) + 0.5) - t);
    }
}

bool TimeStretcher::startCrossfade() noexcept
{
    if (peek(0, analysis.data(), window) < window)
        return false;
    copying = false;
    segmentPosition = 0;
    int t = 0;
    if (stretchRatio < 1.0)
    {
        t = detector.detect(analysis.data() + half, -1);
        offsetB = offsetA;
        offsetA = offsetA - t;
    }
    else
    {
        t = detector.detect(analysis.data(), +1);
        offsetB = 0;
        offsetA = t;
    }
    segmentLength = t;
    return true;
}

int TimeStretcher::read(double* output, int stride, int count) noexcept
{
    if (count <= 0)
        return 0;

    if (stretchRatio == 1.0)
    {
        const int n = std::min(count, buffered());
        const int slots = ringCapacity + 1;
        for (int j = 0; j < n; ++j)
        {
            output[static_cast<std::ptrdiff_t>(j) * stride] = ring[static_cast<std::size_t>(readPosition)];
            if (++readPosition == slots)
                readPosition = 0;
        }
        return n;
    }

    const int segmentCapacity = static_cast<int>(segmentA.size());
    int produced = 0;
    while (produced < count)
    {
        // Longer requests than the work buffers are taken in pieces; the result is the same.
        const int f = std::min({count - produced, segmentLength - segmentPosition, segmentCapacity});
        double* out = output + static_cast<std::ptrdiff_t>(produced) * stride;

        if (!copying)
        {
            const int available = buffered();
            const int g = std::clamp(std::min({f, available - offsetA, available - offsetB}), 0, f);
            peek(offsetA, segmentA.data(), g);
            peek(offsetB, segmentB.data(), g);
            consume(g);
            for (int i = 0; i < g; ++i)
            {
                const double theta = crossfadePi * (segmentPosition + i) / segmentLength;
                const double w = 0.5 + 0.5 * std::cos(theta);
                out[static_cast<std::ptrdiff_t>(i) * stride] =
                    w * segmentB[static_cast<std::size_t>(i)] +
                    (1.0 - w) * segmentA[static_cast<std::size_t>(i)];
            }
            produced += g;
            segmentPosition += g;
            if (g < f)
                return produced;
            if (segmentPosition >= segmentLength)
                startCopying();
        }
        else
        {
            int copied = 0;
            if (stretchRatio < 1.0)
            {
                copied = peek(offsetA, segmentA.data(), f);
                offsetA += copied;
                if (offsetA > half)
                {
                    consume(offsetA - half);
                    offsetA = half;
                }
            }
            else
            {
                copied = peek(0, segmentA.data(), f);
                consume(copied);
            }
            for (int i = 0; i < copied; ++i)
                out[static_cast<std::ptrdiff_t>(i) * stride] = segmentA[static_cast<std::size_t>(i)];
            produced += copied;
            segmentPosition += copied;
            if (copied < f)
                return produced;
            if (segmentPosition >= segmentLength && !startCrossfade())
                return produced;
        }
    }
    return produced;
}

} // namespace zo
