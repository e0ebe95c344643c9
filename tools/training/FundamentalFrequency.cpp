#include "tools/training/FundamentalFrequency.h"

#include "tools/training/SincResampler.h"

#include <algorithm>
#include <cmath>

namespace training
{

namespace
{

constexpr double analysisRate = 8000.0;
constexpr int windowSamples = 240; // 30 ms at 8 kHz

} // namespace

std::vector<double> estimateFundamentalFrequency(const std::vector<double>& samples, double sampleRate,
                                                 const FundamentalFrequencySettings& settings)
{
    const std::vector<double> x = resampleSignal(samples, sampleRate, analysisRate);
    const int minLag = std::max(2, static_cast<int>(std::floor(analysisRate / settings.highestHz)));
    const int maxLag = static_cast<int>(std::ceil(analysisRate / settings.lowestHz));
    const auto hop = static_cast<std::size_t>(std::lround(settings.hopSeconds * analysisRate));
    const std::size_t span = static_cast<std::size_t>(windowSamples + maxLag + 1);
    std::vector<double> f0;
    if (x.size() < span || hop == 0)
        return f0;

    const std::size_t frames = (x.size() - span) / hop + 1;
    std::vector<double> energy(frames, 0.0);
    double peak = 0.0;
    for (std::size_t f = 0; f < frames; ++f)
    {
        const double* w = x.data() + f * hop;
        double e = 0.0;
        for (int j = 0; j < windowSamples; ++j)
            e += w[j] * w[j];
        energy[f] = e / windowSamples;
        peak = std::max(peak, energy[f]);
    }
    const double silence = peak * std::pow(10.0, -settings.silenceBelowPeakDb / 10.0);

    // The cumulative-mean-normalised difference of every frame, kept for the continuity pass.
    const auto lags = static_cast<std::size_t>(maxLag) + 2;
    std::vector<double> difference(frames * lags, 1.0);
    std::vector<int> period(frames, -1);
    auto at = [&](std::size_t f, int lag) -> double&
    { return difference[f * lags + static_cast<std::size_t>(lag)]; };
    for (std::size_t f = 0; f < frames; ++f)
    {
        if (energy[f] <= silence || energy[f] <= 0.0)
            continue;
        const double* w = x.data() + f * hop;
        double running = 0.0;
        for (int lag = 1; lag <= maxLag + 1; ++lag)
        {
            double d = 0.0;
            for (int j = 0; j < windowSamples; ++j)
            {
                const double e = w[j] - w[j + lag];
                d += e * e;
            }
            running += d;
            at(f, lag) = running > 0.0 ? d * lag / running : 1.0;
        }
        for (int lag = minLag; lag <= maxLag; ++lag)
        {
            if (at(f, lag) < settings.voicingThreshold)
            {
                while (lag + 1 <= maxLag && at(f, lag + 1) < at(f, lag))
                    ++lag;
                period[f] = lag;
                break;
            }
        }
    }

    // Voicing spreads from clearly periodic frames into their less periodic neighbours (onsets,
    // endings, breathy or creaky stretches) when these have a clear enough minimum near the
    // neighbour's period: a median over the clear frames alone leans toward the steady vowels.
    const auto extend = [&](std::size_t f, std::size_t from)
    {
        if (period[f] >= 0 || period[from] < 0 || energy[f] <= silence || energy[f] <= 0.0)
            return false;
        const int reference = period[from];
        const int low = std::max(minLag, static_cast<int>(std::floor(reference / settings.continuityRatio)));
        const int high = std::min(maxLag, static_cast<int>(std::ceil(reference * settings.continuityRatio)));
        int best = -1;
        for (int lag = low; lag <= high; ++lag)
            if (best < 0 || at(f, lag) < at(f, best))
                best = lag;
        if (best < 0 || at(f, best) >= settings.continuityThreshold || best == low || best == high)
            return false;
        period[f] = best;
        return true;
    };
    for (std::size_t f = 1; f < frames; ++f)
        extend(f, f - 1);
    for (std::size_t f = frames - 1; f-- > 0;)
        extend(f, f + 1);

    f0.assign(frames, 0.0);
    for (std::size_t f = 0; f < frames; ++f)
    {
        const int chosen = period[f];
        if (chosen < 0)
            continue;
        const double a = at(f, chosen - 1);
        const double b = at(f, chosen);
        const double c = at(f, chosen + 1);
        const double curvature = a - 2.0 * b + c;
        const double shift = curvature > 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
        f0[f] = analysisRate / (chosen + shift);
    }
    return f0;
}

double voicedMedian(const std::vector<double>& f0)
{
    std::vector<double> voiced;
    for (const double v : f0)
        if (v > 0.0)
            voiced.push_back(v);
    if (voiced.empty())
        return 0.0;
    const std::size_t middle = voiced.size() / 2;
    std::nth_element(voiced.begin(), voiced.begin() + static_cast<std::ptrdiff_t>(middle), voiced.end());
    const double upper = voiced[middle];
    if (voiced.size() % 2 == 1)
        return upper;
    const double lower =
        *std::max_element(voiced.begin(), voiced.begin() + static_cast<std::ptrdiff_t>(middle));
    return 0.5 * (lower + upper);
}

} // namespace training
