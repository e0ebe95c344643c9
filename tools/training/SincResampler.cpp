#include "tools/training/SincResampler.h"

#include "tools/training/TrainingError.h"

#include <cmath>
#include <numeric>
#include <string>

namespace training
{

namespace
{

constexpr double pi = 3.14159265358979323846;

// Modified Bessel function of the first kind, order 0, by its power series.
double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    const double q = 0.25 * x * x;
    for (int k = 1; k < 200; ++k)
    {
        term *= q / (static_cast<double>(k) * k);
        sum += term;
        if (term < 1e-17 * sum)
            break;
    }
    return sum;
}

std::int64_t integerRate(double rate)
{
    const double rounded = std::round(rate);
    if (!(rounded >= 1.0 && rounded <= 1e7) || std::fabs(rate - rounded) > 1e-9)
        throw TrainingError("sample rate " + std::to_string(rate) + " Hz is not a positive whole number");
    return static_cast<std::int64_t>(rounded);
}

} // namespace

SincResampler::SincResampler(std::int64_t fromRate, std::int64_t toRate, int zeroCrossings, double passband,
                             double kaiserBeta)
    : from(fromRate), to(toRate), crossings(zeroCrossings)
{
    if (from < 1 || to < 1)
        throw TrainingError("resampling needs positive sample rates");
    if (zeroCrossings < 2 || !(passband > 0.0 && passband <= 1.0) || !(kaiserBeta >= 0.0))
        throw TrainingError("unusable resampling kernel settings");
    const std::int64_t divisor = std::gcd(from, to);
    reducedFrom = from / divisor;
    reducedTo = to / divisor;
    cutoff = 0.5 * passband * std::min(1.0, static_cast<double>(to) / static_cast<double>(from));
    halfLength = crossings / (2.0 * cutoff);

    const int points = crossings * tableResolution;
    table.resize(static_cast<std::size_t>(points) + 2, 0.0);
    const double window0 = besselI0(kaiserBeta);
    for (int k = 0; k <= points; ++k)
    {
        const double u = static_cast<double>(k) / tableResolution;
        const double r = u / crossings;
        const double sinc = k == 0 ? 1.0 : std::sin(pi * u) / (pi * u);
        const double window = besselI0(kaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / window0;
        table[static_cast<std::size_t>(k)] = sinc * window;
    }
}

double SincResampler::kernel(double inputDistance) const noexcept
{
    const double u = std::fabs(inputDistance) * 2.0 * cutoff * tableResolution;
    const auto k = static_cast<std::size_t>(u);
    if (k + 1 >= table.size())
        return 0.0;
    const double e = u - static_cast<double>(k);
    return 2.0 * cutoff * (table[k] + e * (table[k + 1] - table[k]));
}

std::vector<double> SincResampler::process(const std::vector<double>& input) const
{
    if (from == to)
        return input;
    const auto inputCount = static_cast<std::int64_t>(input.size());
    const std::int64_t outputCount = (inputCount * reducedTo + reducedFrom - 1) / reducedFrom;
    std::vector<double> output(static_cast<std::size_t>(outputCount), 0.0);
    const auto reach = static_cast<std::int64_t>(std::ceil(halfLength));
    for (std::int64_t n = 0; n < outputCount; ++n)
    {
        // Position n x from / to as a whole part and an exact fraction.
        const std::int64_t numerator = n * reducedFrom;
        const std::int64_t whole = numerator / reducedTo;
        const double fraction = static_cast<double>(numerator % reducedTo) / static_cast<double>(reducedTo);
        const std::int64_t first = std::max<std::int64_t>(0, whole - reach);
        const std::int64_t last = std::min<std::int64_t>(inputCount - 1, whole + reach + 1);
        double sum = 0.0;
        for (std::int64_t i = first; i <= last; ++i)
            sum += input[static_cast<std::size_t>(i)] * kernel(static_cast<double>(i - whole) - fraction);
        output[static_cast<std::size_t>(n)] = sum;
    }
    return output;
}

std::vector<double> resampleSignal(const std::vector<double>& input, double fromRate, double toRate)
{
    const std::int64_t from = integerRate(fromRate);
    const std::int64_t to = integerRate(toRate);
    if (from == to)
        return input;
    return SincResampler(from, to).process(input);
}

std::vector<double> resampleKeepingBandEdge(const std::vector<double>& input, double fromRate, double toRate)
{
    const std::int64_t from = integerRate(fromRate);
    const std::int64_t to = integerRate(toRate);
    if (from == to)
        return input;
    return SincResampler(from, to, 64, 0.99).process(input);
}

} // namespace training
