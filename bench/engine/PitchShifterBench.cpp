// Cost of the pitch shifter per 5 ms block, the way the engine runs it. The "core_share" counter
// is the share of one core that real time needs (seconds of processing per second of audio).
#include "engine/PitchShifter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

/** A gliding voice-like tone, so the detector sees changing periods. */
std::vector<double> voiceLikeSignal(double sampleRate, std::size_t count)
{
    std::vector<double> x(count);
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / sampleRate;
        const double f0 = 140.0 + 40.0 * std::sin(6.283185307179586 * 0.7 * t);
        phase += 6.283185307179586 * f0 / sampleRate;
        double s = 0.0;
        for (int h = 1; h <= 10; ++h)
            s += 0.3 / h * std::sin(h * phase);
        x[i] = s;
    }
    return x;
}

void BM_PitchShifter(benchmark::State& state)
{
    const double sampleRate = static_cast<double>(state.range(0));
    const int block = static_cast<int>(std::lround(5.0 * sampleRate / 1000.0));
    zo::PitchShifter shifter(block, 2, sampleRate, 1.2, 60.0, 400.0);
    const std::vector<double> input = voiceLikeSignal(sampleRate, static_cast<std::size_t>(sampleRate) * 4);
    std::vector<double> output(static_cast<std::size_t>(block));
    const std::size_t blocks = input.size() / static_cast<std::size_t>(block);
    std::size_t next = 0;
    for (auto _ : state)
    {
        shifter.process(output.data(), 1, input.data() + next * static_cast<std::size_t>(block), 1, block);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
        next = (next + 1) % blocks;
    }
    state.counters["core_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.005,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_PitchShifter)->Arg(16000)->Arg(44100);
