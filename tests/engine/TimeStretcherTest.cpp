#include "engine/TimeStretcher.h"

#include "ToolsTestSignals.h"
#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

/** Writes `input` in blocks of `block` and after each block reads everything the stretcher can
    give; returns the output. */
std::vector<double> stretchGreedily(zo::TimeStretcher& stretcher, const std::vector<double>& input, int block)
{
    std::vector<double> output;
    std::vector<double> buffer(4096);
    for (std::size_t at = 0; at + static_cast<std::size_t>(block) <= input.size();
         at += static_cast<std::size_t>(block))
    {
        EXPECT_EQ(stretcher.write(input.data() + at, 1, block), block);
        for (;;)
        {
            const int produced = stretcher.read(buffer.data(), 1, static_cast<int>(buffer.size()));
            output.insert(output.end(), buffer.begin(), buffer.begin() + produced);
            if (produced < static_cast<int>(buffer.size()))
                break;
        }
    }
    return output;
}

} // namespace

TEST(TimeStretcherTest, RatioNearOneIsAPlainRingDelayedByTheWindow)
{
    zo::TimeStretcher stretcher(221, 2, 44100.0, 1.000001, 60.0, 400.0);
    EXPECT_EQ(stretcher.ratio(), 1.0);
    const int window = stretcher.windowLength();
    ASSERT_EQ(window, 1470);

    std::vector<double> input(5000);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = 1.0 + static_cast<double>(i);
    const std::vector<double> output = stretchGreedily(stretcher, input, 221);

    ASSERT_EQ(output.size(), window + input.size() / 221 * 221);
    for (std::size_t i = 0; i < output.size(); ++i)
        ASSERT_EQ(output[i], i < static_cast<std::size_t>(window) ? 0.0 : input[i - window])
            << "sample " << i;
}

// Over a long run of a periodic signal the output is 1/ratio times as long as the input, for the
// ratios the shipped pitch ratios give (1/p for p = 0.5, 0.7, 1.19, 1.2, 2).
TEST(TimeStretcherTest, OutputOverInputIsTheInverseRatio)
{
    struct Case
    {
        double sampleRate;
        int block;
        double ratio;
    };
    const double pitches[] = {0.5, 0.7, 1.19, 1.2, 2.0};
    for (double rate : {44100.0, 16000.0})
        for (double pitch : pitches)
        {
            const Case c{rate, rate == 44100.0 ? 221 : 80, 1.0 / pitch};
            SCOPED_TRACE(testing::Message() << c.sampleRate << " Hz, ratio " << c.ratio);
            zo::TimeStretcher stretcher(c.block, 2, c.sampleRate, c.ratio, 60.0, 400.0);
            const std::vector<double> input = tools_test::harmonicTone(
                c.sampleRate / 210.0, c.sampleRate, static_cast<std::size_t>(10 * c.sampleRate));
            const std::vector<double> output = stretchGreedily(stretcher, input, c.block);

            const double expected = static_cast<double>(input.size()) / c.ratio;
            // Slack: what is still buffered and the cycle in progress, a few windows at most.
            EXPECT_NEAR(static_cast<double>(output.size()), expected, 3.0 * stretcher.windowLength())
                << "ratio measured "
                << static_cast<double>(input.size()) / static_cast<double>(output.size());
        }
}

// Splices are whole periods: stretching a sine whose period the detector can hit exactly gives a
// continuous sine of the same period.
TEST(TimeStretcherTest, StretchingKeepsThePeriod)
{
    for (double ratio : {1.0 / 1.2, 1.0 / 0.7})
    {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        zo::TimeStretcher stretcher(221, 2, 44100.0, ratio, 60.0, 400.0);
        const std::vector<double> input = tools_test::sine(210.0, 44100.0, 44100 * 3);
        const std::vector<double> output = stretchGreedily(stretcher, input, 221);
        ASSERT_GT(output.size(), 60000u);

        double peak = 0.0;
        const double period = tools_test::periodByAutocorrelation(output, 10000, 40000, 150, 300, &peak);
        EXPECT_NEAR(period, 210.0, 0.2);
        EXPECT_GT(peak, 0.999);

        // No splice leaves a step: neighbouring samples of a 210-sample sine of amplitude 0.5
        // differ by at most 0.5 × 2π / 210.
        double largestStep = 0.0;
        for (std::size_t i = 10000; i < output.size(); ++i)
            largestStep = std::max(largestStep, std::fabs(output[i] - output[i - 1]));
        EXPECT_LT(largestStep, 0.5 * tools_test::twoPi / 210.0 * 1.01);
    }
}

TEST(TimeStretcherTest, RatiosBeyondAFactorOfTwoAreRefused)
{
    EXPECT_NO_THROW(zo::TimeStretcher(221, 2, 44100.0, 0.5, 60.0, 400.0));
    EXPECT_NO_THROW(zo::TimeStretcher(221, 2, 44100.0, 2.0, 60.0, 400.0));
    for (double ratio : {0.49, 2.5, 0.0, -1.0, std::nan("")})
        EXPECT_THROW(zo::TimeStretcher(221, 2, 44100.0, ratio, 60.0, 400.0), EngineError) << ratio;
}
