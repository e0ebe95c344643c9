#include "tools/training/EnvelopeConversion.h"

#include "TrainingTestData.h"
#include "tools/training/ExpectationMaximization.h"
#include "tools/training/ModelDerivation.h"
#include "tools/training/ModelTrainer.h"
#include "tools/training/SpeechAnalysis.h"

#include "engine/GMMMAP.h"
#include "engine/MemoryFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using training::DeltaWindowLayout;
using training::FrameMatrix;
using training::JointDensityGmm;

namespace
{

constexpr int order = 4;

/** Paired features of a random walk and a piecewise linear map of it, with deltas computed as the
    engine computes them. */
void syntheticPairs(std::size_t frames, FrameMatrix& x, FrameMatrix& y)
{
    std::mt19937 random(5);
    std::normal_distribution<double> normal(0.0, 1.0);
    FrameMatrix cx(frames, order + 1), cy(frames, order + 1);
    std::vector<double> walk(order, 0.0);
    for (std::size_t t = 0; t < frames; ++t)
        for (int i = 0; i < order; ++i)
        {
            walk[static_cast<std::size_t>(i)] =
                0.9 * walk[static_cast<std::size_t>(i)] + 0.3 * normal(random);
            const double v = walk[static_cast<std::size_t>(i)];
            cx.at(t, static_cast<std::size_t>(i) + 1) = v;
            cy.at(t, static_cast<std::size_t>(i) + 1) =
                (v > 0 ? 0.7 : -0.4) * v + 0.2 * i + 0.05 * normal(random);
        }
    x = training::dynamicFeatures(cx);
    y = training::dynamicFeatures(cy);
}

std::vector<unsigned char> bytesOf(const JointDensityGmm& gmm)
{
    const auto b = gmm.toBytes();
    return {b.begin(), b.end()};
}

} // namespace

// The generator is linear in the means for fixed precisions, so with the same conditional
// variance in both, the intra and the difference GMM's trajectories must add up to the trajectory
// of the joint model's conversion, frame for frame, through the engine's own GMMMAP.
TEST(EnvelopeConversion, IntraPlusDifferenceIsTheConvertedTrajectory)
{
    FrameMatrix x, y;
    syntheticPairs(3000, x, y);
    training::GmmTrainingSettings settings;
    settings.classes = 4;
    const JointDensityGmm joint = training::trainJointDensityGmm(x, y, settings);

    for (const auto layout : {DeltaWindowLayout::twoCoefficients, DeltaWindowLayout::threeCoefficients})
    {
        SCOPED_TRACE(layout == DeltaWindowLayout::twoCoefficients ? "two-coefficient window"
                                                                  : "three-coefficient window");
        const MemoryFile windows(training::doublesToBytes(training::deltaWindowCoefficients(layout)).data(),
                                 training::deltaWindowCoefficients(layout).size() * 8);
        const MemoryFile jointFile(bytesOf(joint));
        const MemoryFile intraFile(bytesOf(training::intraSpeakerGmm(joint)));
        const MemoryFile differenceFile(bytesOf(training::differenceGmm(joint)));
        GMMMAP classes(order, 3, jointFile.name(), windows.name());
        GMMMAP converted(order, 3, jointFile.name(), windows.name());
        GMMMAP intra(order, 3, intraFile.name(), windows.name());
        GMMMAP difference(order, 3, differenceFile.name(), windows.name());
        std::vector<double> outY(order + 1), outIntra(order + 1), outDifference(order + 1);
        double largest = 0.0;
        for (std::size_t t = 0; t < 400; ++t)
        {
            const std::int64_t k = classes.bestClass(x.row(t));
            converted.map(k, x.row(t), outY.data());
            intra.map(k, x.row(t), outIntra.data());
            difference.map(k, x.row(t), outDifference.data());
            for (int i = 1; i <= order; ++i)
            {
                ASSERT_NEAR(outIntra[static_cast<std::size_t>(i)] +
                                outDifference[static_cast<std::size_t>(i)],
                            outY[static_cast<std::size_t>(i)], 1e-9)
                    << "frame " << t << ", coefficient " << i;
                largest = std::max(largest, std::fabs(outY[static_cast<std::size_t>(i)]));
            }
        }
        EXPECT_GT(largest, 0.1); // the trajectories are not trivially zero
    }
}

// The converter hands back each frame's envelope in that frame's row, whatever the generators'
// delay: with a model that maps x to itself exactly and trusts only the statics, the converted
// envelope of every frame, the last ones included, is the frame's own mel-cepstrum.
TEST(EnvelopeConversion, EnvelopesComeBackInTheRowsOfTheirFrames)
{
    const auto& config = training::engineConfigurationFor(16000.0);
    training::SpeechAnalyser analyser(config);
    const FrameMatrix features = training::dynamicFeatures(
        analyser.analyse(training_test::loadSpeech("vcc2016_SM1_100002.wav").samples).cepstra);
    const int n = static_cast<int>(features.columns);
    JointDensityGmm joint = JointDensityGmm::withSize(1, n);
    joint.weights[0] = 1.0;
    for (int j = 0; j < n; ++j)
    {
        const bool delta = j >= n / 2;
        joint.sourceVariances[static_cast<std::size_t>(j)] = 1.0;
        joint.crossCovariances[static_cast<std::size_t>(j)] = 1.0; // y = x
        joint.targetVariances[static_cast<std::size_t>(j)] = 1.0 + (delta ? 1e12 : 1e-12);
    }
    for (const auto layout : {DeltaWindowLayout::twoCoefficients, DeltaWindowLayout::threeCoefficients})
    {
        const auto members = training::deriveMembers(
            joint, {std::vector<double>(24, 1.0), std::vector<double>(24, 0.0)}, layout);
        training::EnvelopeConverter converter(config, members);
        EXPECT_EQ(converter.generatorDelay(), layout == DeltaWindowLayout::twoCoefficients ? 3 : 4);
        const auto envelopes = converter.convert(features);
        ASSERT_EQ(envelopes.converted.rows, features.rows);
        for (std::size_t t = 0; t < features.rows; ++t)
            for (std::size_t i = 0; i < 24; ++i)
            {
                ASSERT_NEAR(envelopes.converted.at(t, i), features.at(t, i), 1e-6) << "frame " << t;
                ASSERT_NEAR(envelopes.difference.at(t, i), 0.0, 1e-6) << "frame " << t;
            }
    }
}
