#pragma once

#include "tools/training/FrameMatrix.h"
#include "tools/training/JointDensityGmm.h"

#include <cstdint>
#include <vector>

namespace training
{

/** The intra-speaker GMM [x ; x] of a joint model [x ; y]: target means mu_x, cross covariance
    Sigma_xx and target variance Sigma_xx + D, with D = Sigma_yy - Sigma_yx^2 / Sigma_xx the
    joint model's conditional variance. Its mapping of x is x itself with the conditional variance
    D of y given x, so that the trajectory generator smooths and delays it exactly as it does the
    converted envelope. Weights, source means and variances are the joint model's. */
JointDensityGmm intraSpeakerGmm(const JointDensityGmm& joint);

/** The difference GMM [x ; y - x] of a joint model [x ; y]: target means mu_y - mu_x, cross
    covariance Sigma_yx - Sigma_xx and target variance Sigma_yy - 2 Sigma_yx + Sigma_xx. Its
    mapping of x is E[y | x] - x with the same conditional variance D as y given x, so that the
    trajectories of the intra and the difference GMM add up to the trajectory of the converted
    y. */
JointDensityGmm differenceGmm(const JointDensityGmm& joint);

/** Global variance of a set of utterances: per feature dimension the variance within each
    utterance averaged over the utterances, and the mean over all their frames. */
struct GlobalVariance
{
    std::vector<double> mean;
    std::vector<double> variance;
};

/** Global variance of columns firstColumn .. firstColumn + columnCount - 1 of the utterances
    (each a frame sequence). Utterances of fewer than two frames are left out. Raises
    TrainingError when no utterance is left. */
GlobalVariance measureGlobalVariance(const std::vector<FrameMatrix>& utterances, std::size_t firstColumn,
                                     std::size_t columnCount);

/** The global-variance post-filter of the engine: per mel-cepstral coefficient i a scale r_i and
    an offset s_i, applied as z' = r_i z + s_i to the converted envelope. */
struct GvPostFilter
{
    std::vector<double> scale;
    std::vector<double> offset;

    /** The ".gvpf" member: the m scales followed by the m offsets, little-endian doubles. */
    std::vector<std::uint8_t> toBytes() const;
};

/** The post-filter that gives converted speech the target's global variance around the
    converted mean: r = sqrt(target variance / converted variance) (held within 0.1 ..
    maximumScale, at most 10, so that a dimension the conversion flattened completely is not blown
    up), s = (1 - r) x converted mean. Raises TrainingError when the two statistics differ in
    size. */
GvPostFilter derivePostFilter(const GlobalVariance& target, const GlobalVariance& converted,
                              double maximumScale = 10.0);

} // namespace training
