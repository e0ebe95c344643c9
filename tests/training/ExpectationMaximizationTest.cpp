#include "tools/training/ExpectationMaximization.h"

#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using training::FrameMatrix;
using training::GmmTrainingSettings;
using training::JointDensityGmm;

namespace
{

/** Paired frames from a known model: two clusters of source frames in `dimension` dimensions,
    and in each cluster a target that is a linear map of the source plus a little noise. */
struct KnownMap
{
    static constexpr int dimension = 3;
    double centre[2][dimension] = {{-2.0, 1.0, 0.5}, {2.5, -1.0, -0.5}};
    double spread[2][dimension] = {{0.5, 0.3, 0.2}, {0.4, 0.6, 0.3}};
    double slope[2][dimension] = {{0.8, -0.5, 1.5}, {1.2, 0.3, -0.7}};
    double offset[2][dimension] = {{0.3, -0.2, 0.1}, {-0.4, 0.5, 0.0}};
    double noise = 0.05;

    void generate(std::size_t frames, FrameMatrix& x, FrameMatrix& y, std::uint32_t seed) const
    {
        std::mt19937 random(seed);
        std::normal_distribution<double> normal(0.0, 1.0);
        x = FrameMatrix(frames, dimension);
        y = FrameMatrix(frames, dimension);
        for (std::size_t t = 0; t < frames; ++t)
        {
            const int k = t % 3 == 0 ? 1 : 0; // weights 2/3 and 1/3
            for (int j = 0; j < dimension; ++j)
            {
                const double xv = centre[k][j] + spread[k][j] * normal(random);
                x.at(t, static_cast<std::size_t>(j)) = xv;
                y.at(t, static_cast<std::size_t>(j)) =
                    slope[k][j] * xv + offset[k][j] + noise * normal(random);
            }
        }
    }
};

GmmTrainingSettings smallSettings(int classes)
{
    GmmTrainingSettings settings;
    settings.classes = classes;
    settings.varianceFloor = 1e-4;
    return settings;
}

} // namespace

// Within each number of classes, every EM iteration starts from a model at least as likely as the
// one before (the M-step keeps the covariance blocks and their floors exactly).
TEST(ExpectationMaximization, LogLikelihoodNeverDecreases)
{
    FrameMatrix x, y;
    KnownMap().generate(1500, x, y, 7);
    for (const double floor : {1e-4, 0.3}) // 0.3 makes the floors bind in many classes
    {
        SCOPED_TRACE(testing::Message() << "variance floor " << floor);
        GmmTrainingSettings settings = smallSettings(8);
        settings.varianceFloor = floor;
        std::vector<training::EmIteration> iterations;
        training::trainJointDensityGmm(x, y, settings,
                                       [&](const training::EmIteration& it) { iterations.push_back(it); });
        ASSERT_GT(iterations.size(), 10u);
        for (std::size_t i = 1; i < iterations.size(); ++i)
        {
            if (iterations[i].classes == iterations[i - 1].classes)
            {
                EXPECT_GE(iterations[i].logLikelihood, iterations[i - 1].logLikelihood - 1e-10)
                    << "classes " << iterations[i].classes << ", iteration " << iterations[i].iteration;
            }
        }
        EXPECT_EQ(iterations.back().classes, 8);
    }
}

// With as many classes as clusters, the model must find each cluster's linear map: slope
// Sigma_yx / Sigma_xx, mean, conditional variance (the noise) and weight.
TEST(ExpectationMaximization, RecoversAKnownLinearMap)
{
    const KnownMap truth;
    FrameMatrix x, y;
    truth.generate(6000, x, y, 11);
    const JointDensityGmm gmm = training::trainJointDensityGmm(x, y, smallSettings(2));
    ASSERT_EQ(gmm.classes, 2);
    for (int k = 0; k < 2; ++k)
    {
        // Match the trained class to a cluster by its mean.
        const int c = gmm.sourceMeans[gmm.at(k, 0)] < 0.0 ? 0 : 1;
        EXPECT_NEAR(gmm.weights[static_cast<std::size_t>(k)], c == 0 ? 2.0 / 3.0 : 1.0 / 3.0, 0.01);
        for (int j = 0; j < KnownMap::dimension; ++j)
        {
            SCOPED_TRACE(testing::Message() << "class " << k << ", dimension " << j);
            const std::size_t i = gmm.at(k, j);
            EXPECT_NEAR(gmm.crossCovariances[i] / gmm.sourceVariances[i], truth.slope[c][j], 0.02);
            EXPECT_NEAR(gmm.sourceMeans[i], truth.centre[c][j], 0.03);
            EXPECT_NEAR(gmm.targetMeans[i], truth.slope[c][j] * truth.centre[c][j] + truth.offset[c][j],
                        0.03);
            EXPECT_NEAR(std::sqrt(gmm.sourceVariances[i]), truth.spread[c][j], 0.02);
            EXPECT_NEAR(std::sqrt(gmm.conditionalVariance(k, j)), truth.noise, 0.005);
        }
    }
}

// The floor bounds the conditional variance too: a target that is an exact function of the
// source must not give an infinite mapping precision.
TEST(ExpectationMaximization, FloorBoundsSourceAndConditionalVariances)
{
    FrameMatrix x(400, 2), y(400, 2);
    for (std::size_t t = 0; t < 400; ++t)
    {
        x.at(t, 0) = std::sin(0.1 * static_cast<double>(t));
        x.at(t, 1) = 3.0; // constant
        y.at(t, 0) = 2.0 * x.at(t, 0);
        y.at(t, 1) = std::cos(0.1 * static_cast<double>(t));
    }
    GmmTrainingSettings settings = smallSettings(2);
    settings.varianceFloor = 0.01;
    const JointDensityGmm gmm = training::trainJointDensityGmm(x, y, settings);
    for (int k = 0; k < gmm.classes; ++k)
    {
        EXPECT_GE(gmm.conditionalVariance(k, 0), 0.019); // 1 % of var(y0), which is about 2
        EXPECT_GT(gmm.sourceVariances[gmm.at(k, 1)], 0.0);
        for (const double v : {gmm.sourceVariances[gmm.at(k, 0)], gmm.conditionalVariance(k, 1)})
            EXPECT_TRUE(std::isfinite(v) && v > 0.0);
    }
}

TEST(ExpectationMaximization, SameDataGiveTheSameBytes)
{
    FrameMatrix x, y;
    KnownMap().generate(800, x, y, 3);
    const auto a = training::trainJointDensityGmm(x, y, smallSettings(5)).toBytes();
    const auto b = training::trainJointDensityGmm(x, y, smallSettings(5)).toBytes();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 5u * (5 * KnownMap::dimension + 1) * 8);
    const auto back = JointDensityGmm::fromBytes(a, KnownMap::dimension);
    EXPECT_EQ(back.toBytes(), a);
}

TEST(ExpectationMaximization, RefusesTooFewFramesAndMismatchedPairs)
{
    FrameMatrix x, y;
    KnownMap().generate(20, x, y, 1);
    EXPECT_THROW(training::trainJointDensityGmm(x, y, smallSettings(32)), training::TrainingError);
    EXPECT_THROW(training::trainJointDensityGmm(x, FrameMatrix(19, 3), smallSettings(2)),
                 training::TrainingError);
}
