#include "tools/training/ModelDerivation.h"

#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <cmath>

using training::FrameMatrix;
using training::JointDensityGmm;

namespace
{

JointDensityGmm twoClassModel()
{
    JointDensityGmm joint = JointDensityGmm::withSize(2, 2);
    joint.weights = {0.25, 0.75};
    joint.sourceMeans = {1.0, -0.5, 0.2, 0.1};
    joint.targetMeans = {0.6, 0.4, -0.3, 0.05};
    joint.sourceVariances = {0.4, 0.1, 0.2, 0.05};
    joint.crossCovariances = {0.3, -0.02, 0.1, 0.01};
    joint.targetVariances = {0.5, 0.08, 0.3, 0.02};
    return joint;
}

// The engine's mapping of one dimension: mean and variance of the target given x.
void engineMapping(const JointDensityGmm& g, int k, int j, double x, double& mean, double& variance)
{
    const std::size_t i = g.at(k, j);
    const double slope = g.crossCovariances[i] / g.sourceVariances[i];
    mean = (x - g.sourceMeans[i]) * slope + g.targetMeans[i];
    variance = g.targetVariances[i] - slope * g.crossCovariances[i];
}

} // namespace

// Per class and dimension: the intra GMM maps x to x, the difference GMM to E[y|x] - x, and both
// carry the joint model's conditional variance, which is what makes their trajectories add up.
TEST(ModelDerivation, IntraAndDifferenceMappingsSplitTheConversion)
{
    const JointDensityGmm joint = twoClassModel();
    const JointDensityGmm intra = training::intraSpeakerGmm(joint);
    const JointDensityGmm difference = training::differenceGmm(joint);
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 2; ++j)
            for (const double x : {-1.0, 0.0, 0.7})
            {
                SCOPED_TRACE(testing::Message() << "class " << k << ", dimension " << j << ", x " << x);
                double jointMean, jointVariance, intraMean, intraVariance, diffMean, diffVariance;
                engineMapping(joint, k, j, x, jointMean, jointVariance);
                engineMapping(intra, k, j, x, intraMean, intraVariance);
                engineMapping(difference, k, j, x, diffMean, diffVariance);
                EXPECT_NEAR(intraMean, x, 1e-14);
                EXPECT_NEAR(intraMean + diffMean, jointMean, 1e-14);
                EXPECT_NEAR(intraVariance, jointVariance, 1e-14);
                EXPECT_NEAR(diffVariance, jointVariance, 1e-14);
            }
    // Class selection sees the same source side in all three.
    EXPECT_EQ(intra.weights, joint.weights);
    EXPECT_EQ(difference.sourceVariances, joint.sourceVariances);
    EXPECT_EQ(difference.sourceMeans, joint.sourceMeans);
}

// Applying the derived post-filter to the converted utterances gives them the target's global
// variance and keeps their mean.
TEST(ModelDerivation, PostFilterGivesTheTargetsGlobalVariance)
{
    std::vector<FrameMatrix> converted, target;
    for (int u = 0; u < 3; ++u)
    {
        FrameMatrix c(50 + 10 * u, 2), t(40 + 7 * u, 2);
        for (std::size_t r = 0; r < c.rows; ++r)
        {
            c.at(r, 0) = 0.5 + 0.1 * std::sin(0.3 * static_cast<double>(r) + u);
            c.at(r, 1) = -0.2 + 0.02 * std::cos(0.2 * static_cast<double>(r));
        }
        for (std::size_t r = 0; r < t.rows; ++r)
        {
            t.at(r, 0) = 0.4 + 0.3 * std::sin(0.25 * static_cast<double>(r) + 2 * u);
            t.at(r, 1) = 0.1 + 0.05 * std::cos(0.4 * static_cast<double>(r));
        }
        converted.push_back(c);
        target.push_back(t);
    }
    const auto targetGv = training::measureGlobalVariance(target, 0, 2);
    const auto convertedGv = training::measureGlobalVariance(converted, 0, 2);
    const auto filter = training::derivePostFilter(targetGv, convertedGv);
    for (auto& c : converted)
        for (std::size_t r = 0; r < c.rows; ++r)
            for (std::size_t i = 0; i < 2; ++i)
                c.at(r, i) = filter.scale[i] * c.at(r, i) + filter.offset[i];
    const auto filteredGv = training::measureGlobalVariance(converted, 0, 2);
    for (std::size_t i = 0; i < 2; ++i)
    {
        EXPECT_NEAR(filteredGv.variance[i], targetGv.variance[i], 1e-12 + 1e-9 * targetGv.variance[i]);
        EXPECT_NEAR(filteredGv.mean[i], convertedGv.mean[i], 1e-12);
    }
    EXPECT_EQ(filter.toBytes().size(), 4u * 8);
}

TEST(ModelDerivation, PostFilterScaleIsBoundedForAFlattenedDimension)
{
    training::GlobalVariance target{{0.0, 0.0}, {1.0, 1.0}};
    training::GlobalVariance converted{{0.5, 0.5}, {1e-12, 0.0}};
    const auto filter = training::derivePostFilter(target, converted);
    EXPECT_DOUBLE_EQ(filter.scale[0], 10.0);
    EXPECT_DOUBLE_EQ(filter.scale[1], 1.0);
    EXPECT_DOUBLE_EQ(filter.offset[1], 0.0);
    EXPECT_THROW(training::measureGlobalVariance({FrameMatrix(1, 2)}, 0, 2), training::TrainingError);
}
