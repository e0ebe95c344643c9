#include "tools/training/ModelEvaluation.h"

#include "TrainingTestData.h"
#include "tools/training/TrainingError.h"

#include "engine/Vocaform.h"
#include "package/Pupack.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

/** A package whose model leaves the voice as it is: y = x in every dimension, so the difference
    GMM maps to zero and the synthesis filter passes its input. */
std::vector<std::uint8_t> identityPackage(double pitch)
{
    training::TrainedModel model;
    model.configuration = training::engineConfigurationFor(16000.0);
    training::JointDensityGmm joint = training::JointDensityGmm::withSize(1, 48);
    joint.weights[0] = 1.0;
    for (int j = 0; j < 48; ++j)
    {
        joint.crossCovariances[static_cast<std::size_t>(j)] = 1.0;
        joint.targetVariances[static_cast<std::size_t>(j)] = 1.01;
    }
    model.joint = joint;
    model.members =
        training::deriveMembers(joint, {std::vector<double>(24, 1.0), std::vector<double>(24, 0.0)},
                                training::DeltaWindowLayout::twoCoefficients);
    model.summary.pitch = pitch;
    training::ModelDescription description;
    description.targetIdentifier = "identity";
    return training::buildPackage(model, description, {});
}

} // namespace

// The facade's latency is taken off: through a model that changes nothing, with the gate and the
// limiter off, the voice comes back sample for sample, after the facade's silent start.
TEST(ModelEvaluation, ConversionThroughTheFacadeIsAlignedWithItsInput)
{
    const auto bytes = identityPackage(1.0);
    Pupack pack(bytes.data(), bytes.size());
    ASSERT_EQ(pack.status(), 0);
    Vocaform facade;
    facade.setPupack(&pack);
    facade.setSampleRate(16000.0);
    facade.setParameter(Vocaform::ParamNoiseGateEnabled, false);
    facade.setParameter(Vocaform::ParamLimiterEnabled, false);
    ASSERT_EQ(facade.prepare(), 0);
    const auto input = training_test::loadSpeech("vcc2016_TF1_100026.wav").samples;
    const auto output = training::convertWithFacade(facade, input);
    ASSERT_EQ(output.size(), input.size());
    const std::size_t settled = 26 * 80; // the first block and 25 silent ones
    double worst = 0.0;
    for (std::size_t i = settled; i < input.size(); ++i)
        worst = std::max(worst, std::fabs(output[i] - input[i]));
    EXPECT_LT(worst, 1e-9);
}

// Evaluation runs the application's path: at 16000 Hz without the limiter by default, and
// reports the distortion next to the unconverted one and the F0 the pitch ratio gives.
TEST(ModelEvaluation, ReportsDistortionAndF0PerSentence)
{
    const auto bytes = identityPackage(1.5);
    Pupack pack(bytes.data(), bytes.size());
    const std::vector<training::RecordingPair> pairs = {
        {"100026.wav", training_test::speechPath("vcc2016_SM1_100026.wav"),
         training_test::speechPath("vcc2016_TF1_100026.wav")}};
    std::size_t convertedSamples = 0;
    const auto evaluation =
        training::evaluateModel(pack, pairs, {},
                                [&](const training::RecordingPair&, const training::Recording& r)
                                { convertedSamples = r.samples.size(); });
    EXPECT_EQ(evaluation.sampleRate, 16000.0);
    EXPECT_FALSE(evaluation.limiter);
    ASSERT_EQ(evaluation.sentences.size(), 1u);
    const auto& s = evaluation.sentences[0];
    EXPECT_EQ(s.name, "100026.wav");
    EXPECT_GT(convertedSamples, 0u);
    EXPECT_GT(s.unconvertedDb, 9.0);
    EXPECT_GT(s.convertedDb, 0.0);
    EXPECT_NEAR(s.convertedF0Hz / s.sourceF0Hz, 1.5, 0.08);
    EXPECT_DOUBLE_EQ(evaluation.meanUnconvertedDb, s.unconvertedDb);

    training::EvaluationSettings at44100;
    at44100.sampleRate = 44100.0;
    EXPECT_THROW(training::evaluateModel(pack, pairs, at44100), training::TrainingError);
}

// The levels of speech and of the pauses between words, in the input and the output: equal
// through a model that changes nothing, and speech well above the pauses.
TEST(ModelEvaluation, MeasuresSpeechAndPauseLevels)
{
    const auto bytes = identityPackage(1.0);
    Pupack pack(bytes.data(), bytes.size());
    const std::vector<training::RecordingPair> pairs = {
        {"100026.wav", training_test::speechPath("vcc2016_SM1_100026.wav"),
         training_test::speechPath("vcc2016_TF1_100026.wav")}};
    training::EvaluationSettings settings;
    settings.gateEnabled = false;
    const auto evaluation = training::evaluateModel(pack, pairs, settings);
    EXPECT_NEAR(evaluation.outputSpeechDb, evaluation.inputSpeechDb, 0.1);
    EXPECT_NEAR(evaluation.outputPauseDb, evaluation.inputPauseDb, 1.0);
    EXPECT_GT(evaluation.inputSpeechDb, -40.0);
    EXPECT_LT(evaluation.inputPauseDb, evaluation.inputSpeechDb - 30.0);
}
