// Cost of one second of audio through the facade at an engine rate, with the stages the
// application runs there (16000 Hz: gate, no limiter; 44100 Hz: gate and limiter), real speech in
// calls of 256 samples and a package of valid synthetic GMMs (32 classes at 16000 Hz, 128 at
// 44100 Hz, as the shipped models). The "_pitch" variants add the pitch shifter (ratio 1.2).
// The counter core_share is the share of one core that running in real time needs (CPU time per
// second of audio).

#include "engine/Vocaform.h"

#include "models/SpeechFile.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

void BM_VocaformProcessSecond(benchmark::State& state, double rate, double pitch)
{
    test_models::TestPackageOptions options;
    options.rates = {rate};
    options.classes = rate == 16000.0 ? 32 : 128;
    options.pitch = pitch;
    const auto bytes = test_models::testPackageBytes(options);
    Pupack package(bytes.data(), bytes.size());

    Vocaform facade;
    facade.setPupack(&package);
    facade.setSampleRate(rate);
    facade.setParameter(Vocaform::ParamLimiterEnabled, rate != 16000.0);
    if (facade.prepare() != 0)
    {
        state.SkipWithError("the facade did not prepare");
        return;
    }

    const auto speech =
        test_models::readSpeech(std::string(TAVILO_TEST_DATA_DIR) + "/speech/vcc2016_SM1_100001.wav");
    std::vector<double> source = test_models::resampleLinear(speech.samples, speech.sampleRate, rate);
    for (double& s : source)
        s /= 32768.0;
    const auto second = static_cast<std::size_t>(rate);
    std::vector<double> buffer(second);
    std::size_t at = 0;
    const auto fillSecond = [&]
    {
        for (double& s : buffer)
        {
            s = source[at];
            at = (at + 1) % source.size();
        }
    };
    constexpr std::size_t chunk = 256;
    const auto runSecond = [&]
    {
        for (std::size_t i = 0; i < second; i += chunk)
            facade.process(buffer.data() + i, static_cast<std::int32_t>(std::min(chunk, second - i)));
    };
    fillSecond();
    runSecond();

    for (auto _ : state)
    {
        state.PauseTiming();
        fillSecond();
        state.ResumeTiming();
        runSecond();
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["core_share"] = benchmark::Counter(
        static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(BM_VocaformProcessSecond, 16000Hz, 16000.0, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VocaformProcessSecond, 44100Hz, 44100.0, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VocaformProcessSecond, 16000Hz_pitch, 16000.0, 1.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_VocaformProcessSecond, 44100Hz_pitch, 44100.0, 1.2)->Unit(benchmark::kMillisecond);

} // namespace
