#include "tools/training/DynamicTimeWarping.h"
#include "tools/training/ExpectationMaximization.h"
#include "tools/training/ModelTrainer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace
{

/** Paired frames of the size a built-in model trains on: 48 values per side. */
void syntheticFrames(std::size_t frames, training::FrameMatrix& x, training::FrameMatrix& y)
{
    std::mt19937 random(3);
    std::normal_distribution<double> normal(0.0, 1.0);
    x = training::FrameMatrix(frames, 48);
    y = training::FrameMatrix(frames, 48);
    for (std::size_t t = 0; t < frames; ++t)
    {
        const double cluster = static_cast<double>(t % 7);
        for (std::size_t j = 0; j < 48; ++j)
        {
            x.at(t, j) = 0.3 * cluster + normal(random) / (1.0 + static_cast<double>(j));
            y.at(t, j) = 0.8 * x.at(t, j) + 0.1 * normal(random);
        }
    }
}

// One EM iteration with 32 classes over 25000 frame pairs (the size of a built-in model's
// training set).
void BM_EmIteration(benchmark::State& state)
{
    training::FrameMatrix x, y;
    syntheticFrames(25000, x, y);
    training::GmmTrainingSettings settings;
    settings.classes = 32;
    settings.iterationsPerSplit = 1;
    settings.finalIterations = 0;
    const training::JointDensityGmm start = training::trainJointDensityGmm(x, y, settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(training::refineJointDensityGmm(start, x, y, settings, 1));
    state.SetItemsProcessed(state.iterations() * 25000);
}
BENCHMARK(BM_EmIteration)->Unit(benchmark::kMillisecond);

// Slope-limited alignment of two 3-second sentences (600 frames of 24 coefficients each).
void BM_DynamicTimeWarping(benchmark::State& state)
{
    training::FrameMatrix a, b;
    syntheticFrames(600, a, b);
    for (auto _ : state)
        benchmark::DoNotOptimize(training::alignByDynamicTimeWarping(a, b, 0, 24));
}
BENCHMARK(BM_DynamicTimeWarping)->Unit(benchmark::kMillisecond);

// A whole training run on the two sentence pairs of the test data: resampling, F0, pitch
// shifting, analysis, three alignment rounds and EM with 8 classes.
void BM_TrainTwoSentences(benchmark::State& state)
{
    const std::string speech = std::string(TAVILO_TEST_DATA_DIR) + "/speech/";
    const std::vector<training::RecordingPair> pairs = {
        {"100001.wav", speech + "vcc2016_SM1_100001.wav", speech + "vcc2016_TF1_100001.wav"},
        {"100002.wav", speech + "vcc2016_SM1_100002.wav", speech + "vcc2016_TF1_100002.wav"}};
    training::TrainingSettings settings;
    settings.gmm.classes = 8;
    // The engine writes a line per analysis object it builds; keep them off the figures.
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
    for (auto _ : state)
        benchmark::DoNotOptimize(training::trainModel(pairs, settings));
    (void)quiet;
}
BENCHMARK(BM_TrainTwoSentences)->Unit(benchmark::kMillisecond);

} // namespace
