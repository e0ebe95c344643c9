#include "engine/EngineError.h"
#include "engine/GMMMAP.h"
#include "engine/MemoryFile.h"

#include "models/SyntheticModels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

MemoryFile imageOf(const std::vector<double>& values)
{
    return MemoryFile(values.data(), values.size() * sizeof(double));
}

DeltaWindows windowsOf(const std::vector<double>& coefficients)
{
    const MemoryFile image = imageOf(coefficients);
    return readDeltaWindows(image.name());
}

TEST(GmmLoading, ClassCountFollowsTheDataLength)
{
    const auto gmm = test_models::randomGmm(3, 4, 11);
    const MemoryFile exact(gmm.bytes());
    const PreparedGmm prepared = loadPreparedGmm(exact.name(), 6);
    EXPECT_EQ(prepared.classes, 4);
    EXPECT_EQ(prepared.dimension, 6);

    auto longer = gmm.bytes();
    longer.resize(longer.size() + 8, 0);
    const MemoryFile oneMore(longer);
    CaptureStderr();
    EXPECT_THROW(loadPreparedGmm(oneMore.name(), 6), EngineError);
    EXPECT_EQ(GetCapturedStderr(),
              "Error get_paramvec [125], class [4], dimension X[6] Y[6], all diag covs\n");
}

TEST(GmmLoading, PreparationOfWeightsSlopesAndPrecisions)
{
    // Order 1 (dimension 2), three classes: a normal one, one of weight 0, and one whose
    // cross covariance leaves no positive conditional variance in dimension 1.
    test_models::GmmData g;
    g.dimension = 2;
    g.classes = 3;
    g.weights = {0.75, 0.0, 0.25};
    g.sourceMeans = {1.0, 0.1, 2.0, 0.2, 3.0, 0.3};
    g.targetMeans = {-1.0, -0.1, -2.0, -0.2, -3.0, -0.3};
    g.sourceVariances = {0.5, 0.02, 1.0, 1.0, 2.0, 4.0};
    g.crossCovariances = {0.25, 0.01, 0.0, 0.0, 1.0, 4.0};
    g.targetVariances = {1.0, 0.04, 1.0, 1.0, 3.0, 4.0};
    const MemoryFile image(g.bytes());
    const PreparedGmm p = loadPreparedGmm(image.name(), 2);
    ASSERT_EQ(p.classes, 3);
    EXPECT_DOUBLE_EQ(p.logWeight[0], std::log(0.75) - 0.5 * (std::log(0.5) + std::log(0.02)));
    EXPECT_EQ(p.logWeight[1], -1e38);
    EXPECT_DOUBLE_EQ(p.sourcePrecision[1], 50.0);
    EXPECT_DOUBLE_EQ(p.slope[0], 0.5);
    EXPECT_DOUBLE_EQ(p.mappingPrecision[0], 1.0 / (1.0 - 0.5 * 0.25));
    EXPECT_DOUBLE_EQ(p.mappingPrecision[4], 1.0 / (3.0 - 0.5 * 1.0));
    EXPECT_EQ(p.mappingPrecision[5], 1e38); // 4 - 1 x 4 = 0 is not positive
    EXPECT_EQ(p.targetMean[3], -0.2);
}

TEST(GmmMapping, BestClassPrefersTheNearestAndTheLowestIndexOnTies)
{
    auto g = test_models::randomGmm(2, 3, 5);
    // Classes 1 and 2 identical, class 0 far away.
    for (int j = 0; j < g.dimension; ++j)
    {
        g.sourceMeans[g.at(0, j)] = 50.0;
        for (int k = 1; k < 3; ++k)
        {
            g.sourceMeans[g.at(k, j)] = 0.0;
            g.sourceVariances[g.at(k, j)] = 1.0;
        }
    }
    g.weights = {0.2, 0.4, 0.4};
    const MemoryFile image(g.bytes());
    const MemoryFile windows(test_models::deltaWindows());
    GMMMAP map(2, 3, image.name(), windows.name());
    const std::vector<double> x = {0.1, -0.1, 0.0, 0.0};
    EXPECT_EQ(map.bestClass(x.data()), 1);
    const std::vector<double> far = {50.0, 50.0, 50.0, 50.0};
    EXPECT_EQ(map.bestClass(far.data()), 0);
}

TEST(DeltaWindowReading, OffsetsFollowTheCoefficientCount)
{
    struct Case
    {
        int count;
        std::int64_t left, right, maxRight;
    };
    const Case cases[] = {{1, 0, 0, 0}, {2, -1, 0, 0}, {3, -1, 1, 1}, {4, -2, 1, 1}, {5, -2, 2, 2}};
    for (const Case& c : cases)
    {
        std::vector<double> coefficients(static_cast<std::size_t>(c.count));
        for (int i = 0; i < c.count; ++i)
            coefficients[i] = 0.1 * (i + 1);
        const DeltaWindows w = windowsOf(coefficients);
        EXPECT_EQ(w.count, c.count);
        EXPECT_EQ(w.left, c.left) << c.count;
        EXPECT_EQ(w.right, c.right) << c.count;
        EXPECT_EQ(w.maxRight, c.maxRight) << c.count;
        EXPECT_DOUBLE_EQ(w.coefficient(c.left), 0.1); // the first stored value is w[left]
    }
}

/** Batch maximum-likelihood solution of one dimension: static observations for frames
    0..frames-1 and delta observations at frames firstDelta..lastDelta, solved densely. */
std::vector<double> batchTrajectory(const DeltaWindows& w, const std::vector<double>& staticMean,
                                    const std::vector<double>& staticPrecision,
                                    const std::vector<double>& deltaMean,
                                    const std::vector<double>& deltaPrecision, int frames, int firstDelta,
                                    int lastDelta)
{
    std::vector<std::vector<double>> a(frames, std::vector<double>(frames + 1, 0.0));
    for (int f = 0; f < frames; ++f)
    {
        a[f][f] += staticPrecision[f];
        a[f][frames] += staticPrecision[f] * staticMean[f];
    }
    for (int f = firstDelta; f <= lastDelta; ++f)
        for (std::int64_t i = w.left; i <= w.right; ++i)
        {
            const int fi = f + static_cast<int>(i);
            a[fi][frames] += deltaPrecision[f] * deltaMean[f] * w.coefficient(i);
            for (std::int64_t j = w.left; j <= w.right; ++j)
                a[fi][f + j] += deltaPrecision[f] * w.coefficient(i) * w.coefficient(j);
        }
    for (int col = 0; col < frames; ++col)
    {
        for (int r = col + 1; r < frames; ++r)
        {
            const double factor = a[r][col] / a[col][col];
            for (int k = col; k <= frames; ++k)
                a[r][k] -= factor * a[col][k];
        }
    }
    std::vector<double> c(frames);
    for (int r = frames - 1; r >= 0; --r)
    {
        double sum = a[r][frames];
        for (int k = r + 1; k < frames; ++k)
            sum -= a[r][k] * c[k];
        c[r] = sum / a[r][r];
    }
    return c;
}

TEST(TrajectoryGeneration, EqualsTheBatchSolutionOfTheFramesSeenSoFar)
{
    // The recursive generator is an exact update of the trajectory posterior: the frame it
    // returns equals the batch solution of all statistics fed so far.
    struct Case
    {
        std::vector<double> window;
        std::int64_t lag;
    };
    const Case cases[] = {
        {{-0.5, 0.5, 0.0}, 5}, // the shipped window at 44.1 kHz
        {{-0.5, 0.5, 0.0}, 3}, // and at 16 kHz
        {{-1.0, 1.0}, 2},      // a backward difference, no look-ahead
        {{0.2, -0.6, 0.1, 0.5, -0.2}, 3},
        {{-0.1, -0.2, -0.3, 0.0, 0.3, 0.2, 0.1}, 5}, // reaches three frames ahead
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("window of " + std::to_string(c.window.size()) + ", lag " + std::to_string(c.lag));
        const DeltaWindows w = windowsOf(c.window);
        const int d = 2;
        TrajectoryGenerator generator(w, d, c.lag);
        const int frames = 40;
        std::mt19937 random(static_cast<unsigned>(c.window.size() * 10 + c.lag));
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::vector<std::vector<double>> sm(d), sp(d), dm(d), dp(d);
        for (int i = 0; i < d; ++i)
            for (int f = 0; f < frames; ++f)
            {
                sm[i].push_back(2.0 * unit(random) - 1.0);
                sp[i].push_back(0.5 + 1.5 * unit(random));
                dm[i].push_back(0.6 * unit(random) - 0.3);
                dp[i].push_back(0.5 + 4.5 * unit(random));
            }
        const int lateBy = static_cast<int>(c.lag + w.maxRight);
        for (int k = 1; k <= frames; ++k)
        {
            std::vector<double> mean(2 * d);
            std::vector<double> precision(2 * d);
            for (int i = 0; i < d; ++i)
            {
                mean[i] = sm[i][k - 1];
                precision[i] = sp[i][k - 1];
                mean[d + i] = dm[i][k - 1];
                precision[d + i] = dp[i][k - 1];
            }
            const double* out = generator.step(mean.data(), precision.data());
            const int frame = k - 1 - lateBy;
            for (int i = 0; i < d; ++i)
            {
                if (frame < 0)
                {
                    EXPECT_EQ(out[i], 0.0);
                    continue;
                }
                const auto batch =
                    batchTrajectory(w, sm[i], sp[i], dm[i], dp[i], k, static_cast<int>(-w.left),
                                    k - 1 - static_cast<int>(w.maxRight));
                EXPECT_NEAR(out[i], batch[frame], 1e-12) << "step " << k << " dimension " << i;
            }
        }
    }
}

TEST(TrajectoryGeneration, WithoutDeltaPrecisionReturnsTheStaticMeansLate)
{
    const DeltaWindows w = windowsOf({-0.5, 0.5, 0.0});
    TrajectoryGenerator generator(w, 3, 5);
    for (int k = 0; k < 30; ++k)
    {
        const std::vector<double> mean = {1.0 * k, -2.0 * k, 0.5, 9.0, 9.0, 9.0};
        const std::vector<double> precision = {1.0, 2.0, 3.0, 0.0, 0.0, 0.0};
        const double* out = generator.step(mean.data(), precision.data());
        const int source = k - 6; // lag 5 + maxRight 1
        EXPECT_EQ(out[0], source < 0 ? 0.0 : 1.0 * source) << k;
        EXPECT_EQ(out[1], source < 0 ? 0.0 : -2.0 * source) << k;
        EXPECT_EQ(out[2], source < 0 ? 0.0 : 0.5) << k;
    }
}

TEST(GmmMapping, MapFeedsTheGeneratorWithTheClassMapping)
{
    const int m = 4;
    const auto g = test_models::randomGmm(m, 3, 21);
    const MemoryFile image(g.bytes());
    const MemoryFile windows(test_models::deltaWindows());
    GMMMAP map(m, 3, image.name(), windows.name());
    TrajectoryGenerator reference(windowsOf({-0.5, 0.5, 0.0}), m, 3);
    const PreparedGmm& p = map.prepared();

    std::mt19937 random(3);
    std::normal_distribution<double> normal(0.0, 0.3);
    for (int frame = 0; frame < 20; ++frame)
    {
        std::vector<double> x(2 * m);
        for (double& v : x)
            v = normal(random);
        const std::int64_t k = map.bestClass(x.data());
        std::vector<double> mean(2 * m);
        std::vector<double> precision(2 * m);
        for (int j = 0; j < 2 * m; ++j)
        {
            mean[j] =
                (x[j] - p.sourceMean[k * 2 * m + j]) * p.slope[k * 2 * m + j] + p.targetMean[k * 2 * m + j];
            precision[j] = p.mappingPrecision[k * 2 * m + j];
        }
        const double* expected = reference.step(mean.data(), precision.data());
        std::vector<double> out(m + 1, 42.0);
        map.map(k, x.data(), out.data());
        EXPECT_EQ(out[0], 42.0);
        for (int i = 0; i < m; ++i)
        {
            EXPECT_EQ(out[i + 1], expected[i]);
            if (frame < 4) // lag 3 + maxRight 1
            {
                EXPECT_EQ(out[i + 1], 0.0);
            }
        }
    }
}

} // namespace
