// Cost of the adaptive limiter per 5 ms block with the engine's sizes (statistics over two seconds,
// delay 441, window 882). "core_share" is the share of one core that real time needs.
#include "engine/AdaptiveLimiter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

void BM_AdaptiveLimiter(benchmark::State& state)
{
    const double sampleRate = static_cast<double>(state.range(0));
    const int block = static_cast<int>(std::lround(5.0 * sampleRate / 1000.0));
    // Quiet enough to stay below the statistics threshold, so no report line is timed.
    std::vector<double> dry(static_cast<std::size_t>(block) * 64), wet(dry.size()),
        out(static_cast<std::size_t>(block));
    for (std::size_t i = 0; i < dry.size(); ++i)
    {
        dry[i] = 0.01 * std::sin(0.05 * static_cast<double>(i));
        wet[i] = 1.7 * dry[i];
    }
    adaptiveLimiter limiter(static_cast<std::int32_t>(2 * sampleRate), 441, 882);
    std::size_t next = 0;
    for (auto _ : state)
    {
        const std::size_t at = next * static_cast<std::size_t>(block);
        limiter.process(out.data(), dry.data() + at, wet.data() + at, block);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        next = (next + 1) % 64;
    }
    state.counters["core_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.005,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_AdaptiveLimiter)->Arg(16000)->Arg(44100);
