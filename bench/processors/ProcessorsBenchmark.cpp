// Each stage processes one second of 48000-Hz audio in 480-sample blocks per iteration. The counter
// "core_share" is the CPU time per second of audio: the share of one core the stage needs in real
// time (0.01 = 1 %).

#include "audio/AudioRecorderProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/LevelMeterProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MonoToStereoProcessor.h"
#include "processors/MuteProcessor.h"
#include "processors/NoiseGateProcessor.h"
#include "processors/ReverbProcessor.h"
#include "processors/VocaformProcessor.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 480;

void runStage(benchmark::State& state, juce::AudioProcessor& processor, int inputs, int outputs,
              const std::function<void(juce::AudioProcessor&)>& configure = nullptr)
{
    testing_harness::OfflineProcessorRunner runner(processor, inputs, outputs);
    runner.prepare(rate, blockSize);
    if (configure)
        configure(processor);

    // Speech-like level with pauses, so that the gate and the ducker switch.
    auto source =
        testing_harness::makeSine(runner.getNumChannels(), static_cast<int>(rate), rate, 180.0, 0.3f);
    for (int c = 0; c < source.getNumChannels(); ++c)
        source.applyGain(c, static_cast<int>(rate / 2), static_cast<int>(rate / 4), 0.001f);
    auto work = source;

    for (auto _ : state)
    {
        state.PauseTiming();
        work.makeCopyOf(source, true);
        state.ResumeTiming();
        runner.process(work);
        benchmark::DoNotOptimize(work.getReadPointer(0));
    }
    state.counters["core_share"] = benchmark::Counter(
        static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void setNormalised(juce::AudioProcessor& processor, int index, float value)
{
    processor.getParameters()[index]->setValue(value);
}
} // namespace

static void Gain(benchmark::State& state)
{
    GainProcessor p;
    runStage(state, p, 1, 1, [](auto& q) { setNormalised(q, 0, 0.75f); });
}
BENCHMARK(Gain);

static void Mute(benchmark::State& state)
{
    MuteProcessor p;
    runStage(state, p, 2, 2, [](auto& q) { setNormalised(q, 0, 1.0f); });
}
BENCHMARK(Mute);

static void MonoToStereo(benchmark::State& state)
{
    MonoToStereoProcessor p;
    runStage(state, p, 1, 2);
}
BENCHMARK(MonoToStereo);

static void Mixer(benchmark::State& state)
{
    MixerProcessor p;
    runStage(state, p, 4, 2, [](auto& q) { setNormalised(q, 1, 0.5f), setNormalised(q, 2, 0.8f); });
}
BENCHMARK(Mixer);

static void Ducking(benchmark::State& state)
{
    DuckingProcessor p;
    runStage(state, p, 3, 2, [](auto& q) { setNormalised(q, 0, 1.0f); });
}
BENCHMARK(Ducking);

static void NoiseGate(benchmark::State& state)
{
    tessel::NoiseGateProcessor p;
    runStage(state, p, 1, 1);
}
BENCHMARK(NoiseGate);

static void Reverb(benchmark::State& state)
{
    ReverbProcessor p;
    runStage(state, p, 2, 2);
}
BENCHMARK(Reverb);

static void InputMeter(benchmark::State& state)
{
    tessel::LevelMeterProcessor p;
    runStage(state, p, 1, 1);
}
BENCHMARK(InputMeter);

static void Recorder(benchmark::State& state)
{
    AudioRecorderProcessor p;
    const auto file = juce::File::createTempFile(".wav");
    runStage(state, p, 2, 0,
             [&](auto& q)
             {
                 if (!dynamic_cast<AudioRecorderProcessor&>(q).startRecording(file))
                     state.SkipWithError("cannot create the recording");
             });
    p.stopRecording();
    file.deleteFile();
}
BENCHMARK(Recorder);

// The conversion stage on a 48000-Hz device: resampled to the model's rate, converted by the
// engine (valid synthetic parameters of 32 classes) and resampled back.
static void conversionWithModelAt(benchmark::State& state, double modelRate)
{
    test_models::TestPackageOptions options;
    options.rates = {modelRate};
    const auto bytes = test_models::testPackageBytes(options);
    Pupack model(bytes.data(), bytes.size());
    tessel::VocaformProcessor p;
    runStage(state, p, 1, 1,
             [&](auto&)
             {
                 p.setModel(&model);
                 if (p.getModel() == nullptr)
                     state.SkipWithError("the test model was refused");
             });
    p.setModel(nullptr);
}

static void ConversionWith16000HzModel(benchmark::State& state)
{
    conversionWithModelAt(state, 16000.0);
}
BENCHMARK(ConversionWith16000HzModel);

static void ConversionWith44100HzModel(benchmark::State& state)
{
    conversionWithModelAt(state, 44100.0);
}
BENCHMARK(ConversionWith44100HzModel);
