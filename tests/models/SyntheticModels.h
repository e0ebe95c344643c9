#pragma once

#include <cstdint>
#include <vector>

/** Synthetic model data for tests and benchmarks: the bytes of GMM parameter members,
    global-variance post-filters and delta windows, in the layouts the engine reads
    (headerless little-endian doubles). Random content is deterministic in the seed. */
namespace test_models
{

/** The six groups of a diagonal joint-density GMM of `dimension` values per side and `classes`
    classes, each group class after class. Edit the groups, then take `bytes()`. */
struct GmmData
{
    int dimension = 0; ///< n = 2 x order: [static, delta]
    int classes = 0;
    std::vector<double> weights;          ///< classes
    std::vector<double> sourceMeans;      ///< classes x dimension
    std::vector<double> targetMeans;      ///< classes x dimension
    std::vector<double> sourceVariances;  ///< classes x dimension, positive
    std::vector<double> crossCovariances; ///< classes x dimension
    std::vector<double> targetVariances;  ///< classes x dimension

    /** Value index of class k, dimension j within a classes x dimension group. */
    std::size_t at(int k, int j) const { return static_cast<std::size_t>(k) * dimension + j; }

    /** The member bytes: weights, source means, target means, source variances, cross
        covariances, target variances. */
    std::vector<unsigned char> bytes() const;
};

/** A valid random GMM for mel-cepstra of the given order (dimension 2 x order): weights summing to
    1, means and variances on the scale of speech mel-cepstra (smaller for higher coefficients and
    for deltas), correlations within +-0.8 so that every conditional variance is positive. */
GmmData randomGmm(int order, int classes, std::uint32_t seed);

/** `randomGmm` whose mapping ignores the input: cross covariances 0 (slope 0), target means
    `staticValue` in the static half and 0 in the delta half. */
GmmData constantMappingGmm(int order, int classes, std::uint32_t seed, double staticValue);

/** Bytes of `randomGmm`. */
std::vector<unsigned char> gmmParameters(int order, int classes, std::uint32_t seed);

/** Bytes of a GMM whose mapping is exactly zero (target means and slopes 0). */
std::vector<unsigned char> zeroMappingGmmParameters(int order, int classes, std::uint32_t seed);

/** Bytes of a post-filter: `order` scale factors, then `order` offsets. Scale 1 and offset 0 is
    the identity. */
std::vector<unsigned char> postFilter(int order, double scale = 1.0, double offset = 0.0);

/** Bytes of the shipped delta window: -0.5, 0.5, 0 (offsets -1..1). */
std::vector<unsigned char> deltaWindows();

/** Doubles as little-endian bytes. */
std::vector<unsigned char> toBytes(const std::vector<double>& values);

} // namespace test_models
