#include "models/SyntheticModels.h"

#include <cmath>
#include <cstring>
#include <random>

namespace test_models
{
namespace
{
/** Uniform values from the standardised Mersenne twister, so the data is the same with every
    standard library. */
class Uniform
{
public:
    explicit Uniform(std::uint32_t seed) : engine(seed) {}

    double operator()(double low, double high)
    {
        const double unit = (static_cast<double>(engine()) + 0.5) / 4294967296.0;
        return low + (high - low) * unit;
    }

private:
    std::mt19937 engine;
};

void append(std::vector<double>& to, const std::vector<double>& values)
{
    to.insert(to.end(), values.begin(), values.end());
}
} // namespace

std::vector<unsigned char> toBytes(const std::vector<double>& values)
{
    std::vector<unsigned char> bytes(values.size() * sizeof(double));
    if (!values.empty())
        std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::vector<unsigned char> GmmData::bytes() const
{
    std::vector<double> all;
    all.reserve(static_cast<std::size_t>(classes) * (5 * dimension + 1));
    append(all, weights);
    append(all, sourceMeans);
    append(all, targetMeans);
    append(all, sourceVariances);
    append(all, crossCovariances);
    append(all, targetVariances);
    return toBytes(all);
}

GmmData randomGmm(int order, int classes, std::uint32_t seed)
{
    Uniform uniform(seed);
    GmmData g;
    g.dimension = 2 * order;
    g.classes = classes;
    const auto size = static_cast<std::size_t>(classes) * g.dimension;
    g.weights.resize(static_cast<std::size_t>(classes));
    g.sourceMeans.resize(size);
    g.targetMeans.resize(size);
    g.sourceVariances.resize(size);
    g.crossCovariances.resize(size);
    g.targetVariances.resize(size);

    double weightSum = 0.0;
    for (int k = 0; k < classes; ++k)
    {
        g.weights[k] = uniform(0.5, 1.5);
        weightSum += g.weights[k];
    }
    for (double& w : g.weights)
        w /= weightSum;

    for (int k = 0; k < classes; ++k)
        for (int j = 0; j < g.dimension; ++j)
        {
            const int coefficient = j % order; // c1 is coefficient 0 here
            const bool delta = j >= order;
            // Mel-cepstra of speech shrink with the coefficient index; deltas are smaller still.
            const double spread = (delta ? 0.1 : 0.5) / (1.0 + coefficient);
            const double sourceDeviation = spread * uniform(0.5, 1.5);
            const double targetDeviation = spread * uniform(0.5, 1.5);
            const double correlation = uniform(-0.8, 0.8);
            const std::size_t at = g.at(k, j);
            g.sourceMeans[at] = (coefficient == 0 && !delta ? 1.0 : 0.0) + uniform(-1.0, 1.0) * spread;
            g.targetMeans[at] = (coefficient == 0 && !delta ? 1.0 : 0.0) + uniform(-1.0, 1.0) * spread;
            g.sourceVariances[at] = sourceDeviation * sourceDeviation;
            g.targetVariances[at] = targetDeviation * targetDeviation;
            g.crossCovariances[at] = correlation * sourceDeviation * targetDeviation;
        }
    return g;
}

GmmData constantMappingGmm(int order, int classes, std::uint32_t seed, double staticValue)
{
    GmmData g = randomGmm(order, classes, seed);
    for (int k = 0; k < classes; ++k)
        for (int j = 0; j < g.dimension; ++j)
        {
            g.crossCovariances[g.at(k, j)] = 0.0;
            g.targetMeans[g.at(k, j)] = j < order ? staticValue : 0.0;
        }
    return g;
}

std::vector<unsigned char> gmmParameters(int order, int classes, std::uint32_t seed)
{
    return randomGmm(order, classes, seed).bytes();
}

std::vector<unsigned char> zeroMappingGmmParameters(int order, int classes, std::uint32_t seed)
{
    return constantMappingGmm(order, classes, seed, 0.0).bytes();
}

std::vector<unsigned char> postFilter(int order, double scale, double offset)
{
    std::vector<double> values(static_cast<std::size_t>(2 * order));
    for (int i = 0; i < order; ++i)
    {
        values[static_cast<std::size_t>(i)] = scale;
        values[static_cast<std::size_t>(order + i)] = offset;
    }
    return toBytes(values);
}

std::vector<unsigned char> deltaWindows()
{
    return toBytes({-0.5, 0.5, 0.0});
}

} // namespace test_models
