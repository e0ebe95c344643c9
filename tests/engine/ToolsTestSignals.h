#pragma once

// Signals and measurements shared by the tests of the delay, pitch and time tools.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace tools_test
{

constexpr double twoPi = 6.283185307179586;

inline std::vector<double> sine(double frequency, double sampleRate, std::size_t count,
                                double amplitude = 0.5)
{
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i)
        x[i] = amplitude * std::sin(twoPi * frequency * static_cast<double>(i) / sampleRate);
    return x;
}

/** A buzzy voice-like tone: the first harmonics of `frequency` with falling amplitudes. */
inline std::vector<double> harmonicTone(double frequency, double sampleRate, std::size_t count)
{
    std::vector<double> x(count, 0.0);
    for (int h = 1; h <= 8; ++h)
        for (std::size_t i = 0; i < count; ++i)
            x[i] += 0.3 / h * std::sin(twoPi * h * frequency * static_cast<double>(i) / sampleRate + 0.7 * h);
    return x;
}

/** Reads a mono 16-bit PCM WAV file of the test data folder as samples in −1..1 (empty on failure). */
inline std::vector<double> loadSpeech(const std::string& name)
{
    const std::string path = std::string(TAVILO_TEST_DATA_DIR) + "/speech/" + name;
    std::vector<double> samples;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return samples;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);

    auto u32 = [&](std::size_t at)
    {
        return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
               static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
               static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return samples;
    std::size_t at = 12;
    while (at + 8 <= bytes.size())
    {
        const std::uint32_t size = u32(at + 4);
        if (std::memcmp(bytes.data() + at, "data", 4) == 0)
        {
            const std::size_t end = std::min(bytes.size(), at + 8 + size);
            for (std::size_t i = at + 8; i + 1 < end; i += 2)
                samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

/** Linear-interpolation resampling of x from one rate to another (good enough for test input). */
inline std::vector<double> resampled(const std::vector<double>& x, double fromRate, double toRate)
{
    std::vector<double> y;
    for (std::size_t i = 0;; ++i)
    {
        const double at = static_cast<double>(i) * fromRate / toRate;
        const auto k = static_cast<std::size_t>(at);
        if (k + 1 >= x.size())
            break;
        const double e = at - static_cast<double>(k);
        y.push_back(x[k] * (1.0 - e) + x[k + 1] * e);
    }
    return y;
}

/** Normalised autocorrelation of x[start .. start + length) at `lag`. */
inline double correlation(const std::vector<double>& x, std::size_t start, std::size_t length, double lag)
{
    // Linear interpolation for fractional lags.
    const auto whole = static_cast<std::size_t>(lag);
    const double frac = lag - static_cast<double>(whole);
    double xy = 0.0, xx = 0.0, yy = 0.0;
    for (std::size_t i = start; i < start + length; ++i)
    {
        const double y = x[i + whole] * (1.0 - frac) + x[i + whole + 1] * frac;
        xy += x[i] * y;
        xx += x[i] * x[i];
        yy += y * y;
    }
    return xx > 0.0 && yy > 0.0 ? xy / std::sqrt(xx * yy) : 0.0;
}

/** The period (in samples, to a tenth of a sample) that maximises the normalised autocorrelation
    of x[start .. start + length) between minLag and maxLag: an estimate independent of the
    detector under test. Needs maxLag + 2 samples after the segment. */
inline double periodByAutocorrelation(const std::vector<double>& x, std::size_t start, std::size_t length,
                                      int minLag, int maxLag, double* bestCorrelation = nullptr)
{
    int best = minLag;
    double bestValue = -2.0;
    for (int lag = minLag; lag <= maxLag; ++lag)
    {
        const double value = correlation(x, start, length, lag);
        if (value > bestValue)
        {
            bestValue = value;
            best = lag;
        }
    }
    double refined = best;
    for (double lag = best - 1.0; lag <= best + 1.0; lag += 0.1)
    {
        const double value = correlation(x, start, length, lag);
        if (value > bestValue)
        {
            bestValue = value;
            refined = lag;
        }
    }
    if (bestCorrelation != nullptr)
        *bestCorrelation = bestValue;
    return refined;
}

} // namespace tools_test
