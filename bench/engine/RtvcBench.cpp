// Cost of one frame of the conversion pipeline: one push of a 5 ms frame shift and the pops of
// its samples, with valid synthetic GMMs of the given class count and real speech as input.
// Arguments: sample rate (Hz), classes. The counter core_share is the share of one core that
// running in real time needs (frame time / 5 ms).

#include "engine/MemoryFile.h"
#include "engine/RTVC_CLASS.h"

#include "models/SpeechFile.h"
#include "models/SyntheticModels.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
struct Setting
{
    std::int64_t fftMin;
    int order;
    std::int64_t lag;
    double frameMs;
    double alpha;
};

Setting settingFor(double sampleRate)
{
    if (sampleRate == 16000.0)
        return {512, 24, 3, 25.0, 0.42};
    if (sampleRate == 48000.0)
        return {1024, 65, 5, 20.0, 0.5};
    return {1024, 60, 5, 20.0, 0.5};
}

void BM_RtvcFrame(benchmark::State& state)
{
    const auto sampleRate = static_cast<double>(state.range(0));
    const auto classes = static_cast<int>(state.range(1));
    const Setting s = settingFor(sampleRate);

    const MemoryFile windows(test_models::deltaWindows());
    const MemoryFile classGmm(test_models::gmmParameters(s.order, classes, 1));
    const MemoryFile intraGmm(test_models::gmmParameters(s.order, classes, 2));
    const MemoryFile diffGmm(test_models::gmmParameters(s.order, classes, 3));
    const MemoryFile postFilter(test_models::postFilter(s.order, 1.1, 0.01));
    RTVC_CLASS engine(s.fftMin, s.order, s.lag, windows.name(), sampleRate, s.frameMs, 5.0, s.alpha,
                      FEAT_CLASS::oneIteration);
    engine.setGmm(classGmm.name());
    engine.setIntraGmm(intraGmm.name());
    engine.setDiffGmm(diffGmm.name());
    engine.setGvPostfilter(postFilter.name());
    engine.setClippingLimiter(true);

    const auto speech =
        test_models::readSpeech(std::string(TAVILO_TEST_DATA_DIR) + "/speech/vcc2016_SM1_100001.wav");
    const auto input = test_models::resampleLinear(speech.samples, speech.sampleRate, sampleRate);
    const auto shift = static_cast<std::size_t>(engine.frameShift());
    std::size_t at = 0;
    double sink = 0.0;
    const auto frame = [&]
    {
        engine.pushSamples(input.data() + at);
        for (std::size_t i = 0; i < shift; ++i)
            sink += engine.popSample();
        at += shift;
        if (at + shift > input.size())
            at = 0;
    };
    for (int k = 0; k < 50; ++k)
        frame();

    for (auto _ : state)
    {
        frame();
        benchmark::DoNotOptimize(sink);
    }
    state.counters["core_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.005,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_RtvcFrame)->Args({16000, 32})->Args({44100, 128})->Unit(benchmark::kMicrosecond);

} // namespace
