// The whole chain of the audio service, offline: the player runs the input-log recorder, the
// processor graph with its twelve stages and the output-log recorder on 48000-Hz blocks of 480
// samples, as a device would call it (here without a device: the benchmark calls the player). One
// iteration is one second of audio; the counter "core_share" is CPU seconds per second of audio,
// the share of one core the chain needs in real time (0.01 = 1 %).
//
// Cases: conversion bypassed, no model (the conversion stage resamples only), and models at
// 16000 Hz and 44100 Hz.

#include "audio/OstrelAudioService.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/ReportingAudioDevice.h"
#include "support/ScopedSettingsStore.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cmath>
#include <memory>

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 480;


struct Juce
{
    juce::ScopedJuceInitialiser_GUI initialiser;
};

void runChain(benchmark::State& state, bool bypassed, std::unique_ptr<Pupack> model)
{
    static Juce juce;
    testing_support::ScopedSettingsStore settings;
    settings.store().setXml(tessel::PropertiesFileManager::audioRoutingSetupKey,
                            tessel::RoutingOrders{0, 1, 2, 1}.toXml());
    tessel::OstrelAudioService service;
    // The device only reports its configuration: the benchmark calls the player itself.
    testing_support::ReportingAudioDevice device(rate, blockSize, 3, 2, {"voice", "aux L", "aux R"}, {"L", "R"});
    auto& player = service.getPlayer();
    // The service found no device; the player is started on the offline one and the chain wired
    // for its channels.
    service.getDeviceManager().removeAudioCallback(&player);
    player.audioDeviceAboutToStart(&device);
    service.rebuildGraph();
    service.setModel(model.get());
    service.setConversionBypassed(bypassed);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);

    // Speech-like input: a voiced tone with pauses on the voice, music-like tones on the AUX.
    const int numSamples = static_cast<int>(rate);
    juce::AudioBuffer<float> input(3, numSamples);
    for (int i = 0; i < numSamples; ++i)
    {
        const double t = i / rate;
        const float pause = (i / 12000) % 2 == 0 ? 1.0f : 0.01f;
        input.setSample(
            0, i, pause * 0.3f * static_cast<float>(std::sin(juce::MathConstants<double>::twoPi * 150 * t)));
        input.setSample(1, i,
                        0.1f * static_cast<float>(std::sin(juce::MathConstants<double>::twoPi * 440 * t)));
        input.setSample(2, i,
                        0.1f * static_cast<float>(std::sin(juce::MathConstants<double>::twoPi * 660 * t)));
    }
    juce::AudioBuffer<float> output(2, blockSize);

    for (auto _ : state)
    {
        for (int start = 0; start + blockSize <= numSamples; start += blockSize)
        {
            const float* in[3] = {input.getReadPointer(0, start), input.getReadPointer(1, start),
                                  input.getReadPointer(2, start)};
            player.audioDeviceIOCallbackWithContext(in, 3, output.getArrayOfWritePointers(), 2, blockSize,
                                                    {});
        }
        benchmark::DoNotOptimize(output.getReadPointer(0));
    }
    state.counters["core_share"] = benchmark::Counter(
        static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    player.audioDeviceStopped();
    service.setModel(nullptr);
}
} // namespace

static void ChainBypassed(benchmark::State& state)
{
    runChain(state, true, nullptr);
}
BENCHMARK(ChainBypassed)->Unit(benchmark::kMillisecond)->UseRealTime();

static void ChainWithoutModel(benchmark::State& state)
{
    runChain(state, false, nullptr);
}
BENCHMARK(ChainWithoutModel)->Unit(benchmark::kMillisecond)->UseRealTime();

namespace
{
std::unique_ptr<Pupack> modelAt(double modelRate)
{
    test_models::TestPackageOptions options;
    options.rates = {modelRate};
    const auto bytes = test_models::testPackageBytes(options);
    return std::make_unique<Pupack>(bytes.data(), bytes.size());
}
} // namespace

static void ChainWith16000HzModel(benchmark::State& state)
{
    runChain(state, false, modelAt(16000.0));
}
BENCHMARK(ChainWith16000HzModel)->Unit(benchmark::kMillisecond)->UseRealTime();

static void ChainWith44100HzModel(benchmark::State& state)
{
    runChain(state, false, modelAt(44100.0));
}
BENCHMARK(ChainWith44100HzModel)->Unit(benchmark::kMillisecond)->UseRealTime();
