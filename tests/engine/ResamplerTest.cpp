#include "engine/Resampler.h"

#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(ResamplerTest, InputNeededAtDoubleSpeedFillsTwoBlocksExactly)
{
    // Pitch ratio 2 at 44.1 kHz: the resampler reads two stretched samples per output sample.
    zo::Resampler resampler(1, 221, zo::Resampler::linear, 21, 0.5);
    std::vector<double> in(442, 0.25), out(221);
    const std::int64_t expected[] = {441, 442, 442, 442};
    for (std::int64_t needed : expected)
    {
        EXPECT_EQ(resampler.inputNeeded(221), needed);
        resampler.process(out.data(), 1, in.data(), 1, 221);
    }
}

// Linear interpolation reproduces a ramp exactly: output i sits at input position i × step − 1
// (the position starts one sample behind the first input). Holds across calls of any length,
// including longer ones than maxProcSamples, and on every channel.
TEST(ResamplerTest, RampIsInterpolatedExactlyAcrossCallsAndChannels)
{
    const int chunks[] = {221, 1, 37, 500};
    for (double ratio : {0.5, 1.0 / 1.2, 1.0 / 0.7, 2.0, 1.0})
    {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        zo::Resampler resampler(2, 221, zo::Resampler::linear, 21, ratio);
        const double step = static_cast<double>(resampler.step()) / 4294967296.0;

        const std::size_t inputLength = 20000;
        std::vector<double> left(inputLength), right(inputLength);
        for (std::size_t j = 0; j < inputLength; ++j)
        {
            left[j] = static_cast<double>(j);
            right[j] = -2.0 * static_cast<double>(j);
        }

        std::vector<double> outLeft, outRight;
        std::size_t consumed = 0;
        for (int round = 0; consumed < inputLength - 2000; ++round)
        {
            const int n = chunks[round % 4];
            const std::int64_t needed = resampler.inputNeeded(n);
            std::vector<double> l(static_cast<std::size_t>(n)), r(static_cast<std::size_t>(n));
            double* outs[2] = {l.data(), r.data()};
            const double* ins[2] = {left.data() + consumed, right.data() + consumed};
            resampler.process(outs, 1, ins, 1, n);
            consumed += static_cast<std::size_t>(needed);
            outLeft.insert(outLeft.end(), l.begin(), l.end());
            outRight.insert(outRight.end(), r.begin(), r.end());
        }

        for (std::size_t i = 0; i < outLeft.size(); ++i)
        {
            // Before the first input sample the history holds zeros (and the ramp starts at 0).
            const double position = std::max(0.0, static_cast<double>(i) * step - 1.0);
            ASSERT_NEAR(outLeft[i], position, 1e-6 * (1.0 + position)) << "output " << i;
            ASSERT_NEAR(outRight[i], -2.0 * position, 2e-6 * (1.0 + position)) << "output " << i;
        }
        // Consumption follows the step: n outputs take about n × step inputs.
        EXPECT_NEAR(static_cast<double>(consumed), static_cast<double>(outLeft.size()) * step, 2.0);
    }
}

TEST(ResamplerTest, MaxProcSamplesAbove8192IsRefusedWithItsMessage)
{
    EXPECT_NO_THROW(zo::Resampler(1, 8192, zo::Resampler::linear, 21, 0.5));

    testing::internal::CaptureStdout();
    EXPECT_THROW(zo::Resampler(1, 8193, zo::Resampler::linear, 21, 0.5), EngineError);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "maxProcSamples has to be less than 8192.\n");
}

TEST(ResamplerTest, UnusableArgumentsAreRefused)
{
    EXPECT_THROW(zo::Resampler(0, 221, zo::Resampler::linear, 21, 1.0), EngineError);
    EXPECT_THROW(zo::Resampler(1, 0, zo::Resampler::linear, 21, 1.0), EngineError);
    EXPECT_THROW(zo::Resampler(1, 221, 1, 21, 1.0), EngineError);
    EXPECT_THROW(zo::Resampler(1, 221, zo::Resampler::linear, 21, 0.0), EngineError);
    EXPECT_THROW(zo::Resampler(1, 221, zo::Resampler::linear, 21, std::nan("")), EngineError);
}
