#include "SignalMeasures.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace testing_support
{
double rms(const std::vector<float>& signal, std::size_t from, std::size_t to)
{
    to = std::min(to, signal.size());
    if (from >= to)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(signal[i]) * signal[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

long loudestSample(const std::vector<float>& signal, std::size_t from, std::size_t to)
{
    to = std::min(to, signal.size());
    long loudest = -1;
    float peak = -1.0f;
    for (std::size_t i = from; i < to; ++i)
        if (std::abs(signal[i]) > peak)
        {
            peak = std::abs(signal[i]);
            loudest = static_cast<long>(i);
        }
    return loudest;
}

double toneAmplitude(const std::vector<float>& signal, std::size_t from, std::size_t to, double hz,
                     double sampleRate)
{
    to = std::min(to, signal.size());
    if (from >= to)
        return 0.0;
    double re = 0.0, im = 0.0;
    for (std::size_t i = from; i < to; ++i)
    {
        const double phase = 2.0 * M_PI * hz * static_cast<double>(i) / sampleRate;
        re += signal[i] * std::cos(phase);
        im += signal[i] * std::sin(phase);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(to - from);
}

int eventDelay(const std::vector<float>& event, const std::vector<float>& signal, std::size_t eventStart,
               int maxLag)
{
    constexpr std::size_t frame = 32;
    const auto envelopeOf = [](const std::vector<float>& x, std::size_t from, std::size_t frames)
    {
        std::vector<double> e(frames, 0.0);
        for (std::size_t f = 0; f < frames; ++f)
            e[f] = rms(x, from + f * frame, from + (f + 1) * frame);
        return e;
    };
    const std::size_t frames = event.size() / frame + 8;
    const auto reference = envelopeOf(event, 0, frames);
    int best = 0;
    double bestScore = -1.0;
    for (int lag = 0; lag <= maxLag; lag += 4)
    {
        const auto candidate = envelopeOf(signal, eventStart + static_cast<std::size_t>(lag), frames);
        double dot = 0.0, norm = 1e-20;
        for (std::size_t f = 0; f < frames; ++f)
        {
            dot += reference[f] * candidate[f];
            norm += candidate[f] * candidate[f];
        }
        const double score = dot / std::sqrt(norm);
        if (score > bestScore)
        {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

std::vector<double> averageSpectrum(const std::vector<float>& signal, double sampleRate)
{
    constexpr int size = 2048;
    constexpr int hop = 512;
    constexpr int bands = 20;
    std::vector<double> in(size);
    std::vector<fftw_complex> out(size / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(size, in.data(), out.data(), FFTW_ESTIMATE);

    std::vector<std::vector<double>> frames;
    std::vector<double> energies;
    for (std::size_t start = 0; start + size <= signal.size(); start += hop)
    {
        for (int i = 0; i < size; ++i)
            in[i] = signal[start + i] * (0.5 - 0.5 * std::cos(2.0 * M_PI * i / size));
        fftw_execute(plan);
        std::vector<double> power(size / 2 + 1);
        double energy = 0.0;
        for (int k = 0; k <= size / 2; ++k)
        {
            power[k] = out[k][0] * out[k][0] + out[k][1] * out[k][1];
            energy += power[k];
        }
        frames.push_back(std::move(power));
        energies.push_back(energy);
    }
    fftw_destroy_plan(plan);

    std::vector<double> average(size / 2 + 1, 0.0);
    const double loudest = energies.empty() ? 0.0 : *std::max_element(energies.begin(), energies.end());
    for (std::size_t f = 0; f < frames.size(); ++f)
        if (energies[f] > loudest * 1e-3)
            for (std::size_t k = 0; k < average.size(); ++k)
                average[k] += frames[f][k];

    std::vector<double> spectrum(bands);
    for (int b = 0; b < bands; ++b)
    {
        const double low = 300.0 * std::pow(7000.0 / 300.0, static_cast<double>(b) / bands);
        const double high = 300.0 * std::pow(7000.0 / 300.0, static_cast<double>(b + 1) / bands);
        double sum = 1e-20;
        for (int k = static_cast<int>(std::ceil(low * size / sampleRate)); k < high * size / sampleRate; ++k)
            sum += average[static_cast<std::size_t>(k)];
        spectrum[b] = 10.0 * std::log10(sum);
    }
    const double mean = std::accumulate(spectrum.begin(), spectrum.end(), 0.0) / bands;
    for (auto& value : spectrum)
        value -= mean;
    return spectrum;
}

double spectralDistance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, std::min(a.size(), b.size()))));
}
} // namespace testing_support
