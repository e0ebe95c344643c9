#include "tools/training/ModelTrainer.h"

#include "TrainingTestData.h"
#include "tools/training/Artwork.h"
#include "tools/training/ModelEvaluation.h"
#include "tools/training/TrainingError.h"

#include "engine/Vocaform.h"
#include "package/Pupack.h"

#include <gtest/gtest.h>
#include <picojson.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using training::RecordingPair;
using training_test::speechPath;

namespace
{

std::vector<RecordingPair> trainingPairs()
{
    return {{"100001.wav", speechPath("vcc2016_SM1_100001.wav"), speechPath("vcc2016_TF1_100001.wav")},
            {"100002.wav", speechPath("vcc2016_SM1_100002.wav"), speechPath("vcc2016_TF1_100002.wav")}};
}

training::TrainingSettings smallSettings()
{
    training::TrainingSettings settings;
    settings.gmm.classes = 4;
    settings.rounds = 2;
    return settings;
}

training::ModelDescription description()
{
    training::ModelDescription d;
    d.targetIdentifier = "test.target";
    d.narratorIdentifier = "male";
    d.texts = {"Test voice", "Target", "Male narrator", "Trained by the tests"};
    d.localised = {{"ja", {"テスト", "ターゲット", "男性", ""}}};
    return d;
}

/** One small model trained once for the whole suite: SM1 to TF1 from two sentences. */
class TrainedModel : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        model = new training::TrainedModel(training::trainModel(
            trainingPairs(), smallSettings(), [](const std::string& line) { log.push_back(line); }));
        package = new std::vector<std::uint8_t>(training::buildPackage(*model, description(), {}));
    }
    static void TearDownTestSuite()
    {
        delete model;
        delete package;
        log.clear();
    }

    static training::TrainedModel* model;
    static std::vector<std::uint8_t>* package;
    static std::vector<std::string> log;
};

training::TrainedModel* TrainedModel::model = nullptr;
std::vector<std::uint8_t>* TrainedModel::package = nullptr;
std::vector<std::string> TrainedModel::log;

} // namespace

// The package a training run writes must load as a model package with every member the facade
// needs, and the facade must run it with the pitch shifter the model asks for.
TEST_F(TrainedModel, PackageLoadsAndTheFacadeRunsIt)
{
    Pupack pack(package->data(), package->size());
    ASSERT_EQ(pack.status(), 0);
    EXPECT_EQ(pack.sampleRates(), std::vector<double>{16000.0});
    EXPECT_EQ(pack.formatVersion(), 3.0);
    EXPECT_EQ(pack.volume(), model->summary.volume);
    // SM1 speaks near 95 Hz, TF1 above 200 Hz: beyond the 2 a single shifter stage can do.
    EXPECT_GT(pack.pitch(), 2.0);
    EXPECT_LT(pack.pitch(), 2.6);
    EXPECT_EQ(pack.displayName(), "test.targetmale");
    EXPECT_EQ(pack.title("ja_JP"), "テスト");
    EXPECT_EQ(pack.description("ja_JP"), "Trained by the tests");

    std::vector<std::uint8_t> bytes;
    for (const char* member : {"16000.gmm", "16000.intragmm", "16000.diffgmm"})
    {
        ASSERT_EQ(pack.readPackageMember(member, bytes), 0) << member;
        EXPECT_EQ(bytes.size(), 4u * (10 * 24 + 1) * 8) << member;
    }
    ASSERT_EQ(pack.readPackageMember("16000.gvpf", bytes), 0);
    EXPECT_EQ(bytes.size(), 2u * 24 * 8);
    ASSERT_EQ(pack.readPackageMember("dyn.win", bytes), 0);
    EXPECT_EQ(bytes, training::doublesToBytes({-0.5, 0.5}));
    for (const int size : {256, 512})
    {
        std::int64_t length = 0;
        ASSERT_EQ(pack.image(nullptr, &length, size, false), 0);
        std::vector<std::uint8_t> png(static_cast<std::size_t>(length));
        ASSERT_EQ(pack.image(png.data(), &length, size, false), 0);
        int w = 0, h = 0;
        ASSERT_TRUE(training::readPngSize(png, w, h));
        EXPECT_EQ(w, size);
    }

    Vocaform facade;
    facade.setPupack(&pack);
    ASSERT_EQ(facade.setSampleRate(16000.0), 0);
    facade.setParameter(Vocaform::ParamLimiterEnabled, false);
    ASSERT_EQ(facade.prepare(), 0);
    EXPECT_TRUE(facade.hasPitchShifter());
    const auto input = training_test::loadSpeech("vcc2016_SM1_100026.wav").samples;
    const auto output = training::convertWithFacade(facade, input);
    ASSERT_EQ(output.size(), input.size());
    double energy = 0.0, difference = 0.0;
    for (std::size_t i = 0; i < output.size(); ++i)
    {
        ASSERT_TRUE(std::isfinite(output[i]));
        energy += output[i] * output[i];
        difference += (output[i] - input[i]) * (output[i] - input[i]);
    }
    EXPECT_GT(energy, 0.01 * difference);
    EXPECT_GT(difference, 0.0);
}

// The same recordings and settings give the same package, byte for byte.
TEST_F(TrainedModel, TrainingIsDeterministic)
{
    const auto again = training::trainModel(trainingPairs(), smallSettings());
    EXPECT_EQ(training::buildPackage(again, description(), {}), *package);
}

// Progress names the rounds and the EM iterations with their log-likelihood, which never falls
// within a round's final iterations.
TEST_F(TrainedModel, ReportsProgressAndFigures)
{
    int rounds = 0, iterations = 0;
    for (const std::string& line : log)
    {
        rounds += line.rfind("round ", 0) == 0;
        iterations += line.find("EM 4 classes") != std::string::npos;
    }
    EXPECT_EQ(rounds, 2);
    EXPECT_GT(iterations, 2);
    EXPECT_EQ(model->summary.recordings, 2u);
    EXPECT_GT(model->summary.targetF0Hz, 1.8 * model->summary.sourceF0Hz);
    ASSERT_EQ(model->summary.alignmentDistanceDb.size(), 2u);
    // Aligning the converted source is closer than aligning the speakers' own envelopes.
    EXPECT_LT(model->summary.alignmentDistanceDb[1], model->summary.alignmentDistanceDb[0]);
}

TEST(ModelTrainer, PitchRatioFollowsTheMedianF0)
{
    struct Case
    {
        double source, target, ratio;
    };
    for (const Case c : {Case{100, 150, 1.5}, Case{100, 119.4, 1.19}, Case{100, 102.5, 1.0},
                         Case{100, 97.5, 1.0}, Case{100, 103.6, 1.04}, Case{100, 240, 2.4},
                         Case{210, 100, 0.48}, Case{200, 124, 0.62}, Case{95, 420, 4.0}, Case{240, 50, 0.25}})
        EXPECT_DOUBLE_EQ(training::pitchRatioFor(c.source, c.target), c.ratio)
            << c.source << " -> " << c.target;
    EXPECT_THROW(training::pitchRatioFor(0.0, 200.0), training::TrainingError);
}

TEST(ModelTrainer, PairsRecordingsByFileNameAndNamesTheOnesWithoutPartner)
{
    const auto pairs = training::pairRecordings({"/a/s/2.wav", "/a/s/1.wav"}, {"/b/t/1.wav", "/b/t/2.wav"});
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].name, "1.wav");
    EXPECT_EQ(pairs[0].source, "/a/s/1.wav");
    EXPECT_EQ(pairs[0].target, "/b/t/1.wav");
    try
    {
        training::pairRecordings({"/a/1.wav", "/a/3.wav"}, {"/b/1.wav", "/b/4.wav"});
        ADD_FAILURE() << "unmatched recordings were paired";
    }
    catch (const training::TrainingError& e)
    {
        const std::string message = e.what();
        EXPECT_NE(message.find("source /a/3.wav"), std::string::npos) << message;
        EXPECT_NE(message.find("target /b/4.wav"), std::string::npos) << message;
    }
    EXPECT_THROW(training::pairRecordings({"/a/1.wav", "/c/1.wav"}, {"/b/1.wav"}), training::TrainingError);
}

TEST(ModelTrainer, ListsAFoldersRecordingsOrAListFile)
{
    training_test::TemporaryFolder folder("list");
    for (const char* name : {"b.wav", "a.WAV", "notes.txt"})
        std::ofstream(folder.path(name)) << "x";
    std::filesystem::create_directory(folder.path("sub"));
    std::ofstream(folder.path("sub/c.wav")) << "x";
    EXPECT_EQ(training::listRecordings(folder.root().string()),
              (std::vector<std::string>{folder.path("a.WAV"), folder.path("b.wav")}));

    std::ofstream(folder.path("list.txt")) << "# held out\n\nsub/c.wav  \n/abs/d.wav\n";
    EXPECT_EQ(training::listRecordings(folder.path("list.txt")),
              (std::vector<std::string>{"/abs/d.wav", folder.path("sub/c.wav")}));
    EXPECT_THROW(training::listRecordings(folder.path("missing")), training::TrainingError);
    std::filesystem::create_directory(folder.path("empty"));
    EXPECT_THROW(training::listRecordings(folder.path("empty")), training::TrainingError);
}

// Failures the user can cause stop training with a message that names the problem.
TEST(ModelTrainer, RefusesUnreadableRecordingsSilenceAndOtherRates)
{
    training_test::TemporaryFolder folder("bad");
    std::ofstream(folder.path("broken.wav")) << "not a recording";
    training::writeWavFile(folder.path("silent.wav"), {16000.0, std::vector<double>(16000, 0.0)});
    auto messageOf = [](const std::vector<RecordingPair>& pairs, const training::TrainingSettings& settings)
    {
        try
        {
            training::trainModel(pairs, settings);
        }
        catch (const training::TrainingError& e)
        {
            return std::string(e.what());
        }
        return std::string("trained");
    };
    const RecordingPair good = trainingPairs()[0];
    EXPECT_NE(messageOf({good, {"broken.wav", good.source, folder.path("broken.wav")}}, smallSettings())
                  .find(folder.path("broken.wav")),
              std::string::npos);
    EXPECT_NE(messageOf({{"silent.wav", folder.path("silent.wav"), good.target}}, smallSettings())
                  .find("silent.wav"),
              std::string::npos);
    training::TrainingSettings otherRate = smallSettings();
    otherRate.sampleRate = 22050.0;
    EXPECT_NE(messageOf({good}, otherRate).find("22050"), std::string::npos);
}

// The package's volume brings the converted speech back to the speaker's own level at the
// application's default GV strength, and the capped post-filter keeps the pauses between words
// from rising by more than a few dB over the level of GV 0.
TEST_F(TrainedModel, VolumeMatchesTheSpeakersLevelAndPausesStayQuiet)
{
    Pupack pack(package->data(), package->size());
    ASSERT_EQ(pack.status(), 0);
    EXPECT_GT(pack.volume(), 0.2);
    EXPECT_LT(pack.volume(), 5.0);
    training::EvaluationSettings settings;
    settings.gvCoefficient = 1.0;
    const auto full = training::evaluateModel(pack, trainingPairs(), settings);
    EXPECT_NEAR(full.outputSpeechDb, full.inputSpeechDb, 1.0);
    settings.gvCoefficient = 0.0;
    const auto none = training::evaluateModel(pack, trainingPairs(), settings);
    EXPECT_LT(full.outputPauseDb, none.outputPauseDb + 4.0);
}
