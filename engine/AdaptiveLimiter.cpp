#include "engine/AdaptiveLimiter.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

adaptiveLimiter::adaptiveLimiter(std::int32_t statisticsPeriodIn, std::int32_t delay, std::int32_t window)
    : delaySamples(delay), windowSamples(window), statisticsPeriod(statisticsPeriodIn)
{
    if (window < 1 || delay < 0 || delay >= window || statisticsPeriod < 1)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "adaptiveLimiter: unusable sizes (statistics %d, delay %d, window %d)\n",
                         statisticsPeriod, delay, window);
    ratioRing.resize(static_cast<std::size_t>(window));
    dryRing.resize(static_cast<std::size_t>(window));
    wetRing.resize(static_cast<std::size_t>(window));
    statistics.assign(static_cast<std::size_t>(statisticsPeriod), 0.0);
    reset();
}

adaptiveLimiter::~adaptiveLimiter() = default;

void adaptiveLimiter::reset()
{
    std::fill(ratioRing.begin(), ratioRing.end(), 1.0);
    std::fill(dryRing.begin(), dryRing.end(), 0.0);
    std::fill(wetRing.begin(), wetRing.end(), 0.0);
    // The running energies are sums over the rings and the statistics sum is the sum of its
    // array: emptying one without the other would leave a stale offset in every later gain and
    // report.
    dryEnergy = 0.0;
    wetEnergy = 0.0;
    std::fill(statistics.begin(), statistics.end(), 0.0);
    readIndex = (windowSamples - delaySamples) % windowSamples;
    writeIndex = 0;
    statisticsSum = 0.0;
    statisticsIndex = 0;
    loudThreshold = windowSamples * 0.0004;
    averageRatio = 0.001;
}

void adaptiveLimiter::process(double* output, const double* dry, const double* wet,
                              std::int32_t count) noexcept
{
    for (std::int32_t j = 0; j < count; ++j)
    {
        const auto w = static_cast<std::size_t>(writeIndex);
        const double d0 = dryRing[w];
        const double x0 = wetRing[w];
        const double d = dry[j];
        const double x = wet[j];
        dryRing[w] = d;
        wetRing[w] = x;
        dryEnergy += d * d - d0 * d0;
        wetEnergy += x * x - x0 * x0;

        // Rounding in the running sum can leave a dry energy a hair below zero after a loud
        // passage; that means silence, not a square root of a negative number.
        const double ratio = wetEnergy < 1e-10 ? 1.0 : std::sqrt(std::max(dryEnergy, 0.0) / wetEnergy);
        ratioRing[w] = ratio;

        if (dryEnergy > loudThreshold)
        {
            const auto s = static_cast<std::size_t>(statisticsIndex);
            statisticsSum += ratio - statistics[s];
            statistics[s] = ratio;
            if (++statisticsIndex == statisticsPeriod)
            {
                std::printf("AdaptiveLimiter ratio average = %f\n", statisticsSum / statisticsPeriod);
                statisticsIndex = 0;
            }
        }

        const auto r = static_cast<std::size_t>(readIndex);
        output[j] = std::min(ratioRing[r], 1.0) * wetRing[r];

        if (++writeIndex == windowSamples)
            writeIndex = 0;
        if (++readIndex == windowSamples)
            readIndex = 0;
    }
    averageRatio = statisticsSum / statisticsPeriod;
}
