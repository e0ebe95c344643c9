#include "ToolsTestSignals.h"
#include "engine/AdaptiveLimiter.h"
#include "engine/Delay.h"
#include "engine/NoiseGate.h"
#include "engine/PitchShifter.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <vector>

// The stages around the engine run on the audio thread: after warm-up, thousands of blocks through
// the gate, the pitch shifter, the dry delay and the limiter, as the engine chains them at
// 44.1 kHz, allocate nothing (the limiter's statistics line included).
TEST(AudioThreadAllocationTest, StagesAllocateNothingWhileProcessing)
{
    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is not available in this build";

    constexpr int block = 221;
    constexpr double rate = 44100.0;
    zo::NoiseGate gate(1, rate, 0.005, 0.001, 0.02, 0.05);
    zo::PitchShifter shifter(block, 2, rate, 1.2, 60.0, 400.0);
    zo::PitchShifter lower(block, 2, rate, 0.7, 60.0, 400.0);
    zo::Delay dryDelay(1435);
    adaptiveLimiter limiter(static_cast<std::int32_t>(2 * rate), 441, 882);

    // Speech-like input with pauses, so the gate opens and closes and the limiter reports.
    std::vector<double> input = tools_test::harmonicTone(140.0, rate, 44100 * 6);
    for (std::size_t i = 0; i < input.size(); ++i)
        if ((i / 22050) % 3 == 2)
            input[i] = 0.0;

    std::vector<double> gated(block), shifted(block), dry(block), wet(block), out(block);
    auto run = [&](std::size_t from, std::size_t to)
    {
        for (std::size_t at = from; at + block <= to; at += block)
        {
            gate.process(gated.data(), 1, input.data() + at, 1, block);
            shifter.process(shifted.data(), 1, gated.data(), 1, block);
            lower.process(shifted.data(), 1, shifted.data(), 1, block);
            dryDelay.process(dry.data(), 1, shifted.data(), 1, block);
            for (int i = 0; i < block; ++i)
                wet[static_cast<std::size_t>(i)] = 1.5 * shifted[static_cast<std::size_t>(i)];
            limiter.process(out.data(), dry.data(), wet.data(), block);
        }
    };

    testing::internal::CaptureStdout();
    run(0, 44100);
    std::int64_t allocations = 0;
    {
        testing_support::AllocationCounter counter;
        run(44100, input.size());
        allocations = counter.allocations();
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("AdaptiveLimiter ratio average"), std::string::npos);
    EXPECT_EQ(allocations, 0);
}
