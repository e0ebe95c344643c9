// Cost of the engine's input noise gate per 5 ms block (trigger 0.005, attack 1 ms, hold 20 ms,
// decay 50 ms). "core_share" is the share of one core that real time needs.
#include "engine/NoiseGate.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

void BM_NoiseGate(benchmark::State& state)
{
    const double sampleRate = static_cast<double>(state.range(0));
    const int block = static_cast<int>(std::lround(5.0 * sampleRate / 1000.0));
    // Bursts and pauses, so the gate keeps opening and closing.
    std::vector<double> input(static_cast<std::size_t>(block) * 64), output(static_cast<std::size_t>(block));
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = (i / 2000) % 2 == 0 ? 0.2 * std::sin(0.06 * static_cast<double>(i)) : 0.001;
    zo::NoiseGate gate(1, sampleRate, 0.005, 0.001, 0.02, 0.05);
    std::size_t next = 0;
    for (auto _ : state)
    {
        gate.process(output.data(), 1, input.data() + next * static_cast<std::size_t>(block), 1, block);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
        next = (next + 1) % 64;
    }
    state.counters["core_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.005,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_NoiseGate)->Arg(16000)->Arg(44100);
