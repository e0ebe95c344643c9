#include "engine/AdaptiveLimiter.h"

#include "ToolsTestSignals.h"
#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

constexpr int delay = 441;
constexpr int window = 882;

/** A voice-like test signal: a tone whose level swells and falls. */
std::vector<double> swellingTone(std::size_t count)
{
    std::vector<double> x = tools_test::harmonicTone(180.0, 44100.0, count);
    for (std::size_t i = 0; i < count; ++i)
        x[i] *= 0.5 + 0.45 * std::sin(tools_test::twoPi * static_cast<double>(i) / 9000.0);
    return x;
}

std::vector<double> limit(adaptiveLimiter& limiter, const std::vector<double>& dry,
                          const std::vector<double>& wet, int block = 221)
{
    std::vector<double> out(wet.size());
    for (std::size_t at = 0; at < wet.size(); at += static_cast<std::size_t>(block))
    {
        const int n =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), wet.size() - at));
        limiter.process(out.data() + at, dry.data() + at, wet.data() + at, n);
    }
    return out;
}

} // namespace

// Equal wet and dry: the output is the wet signal delayed by 441 samples, zeros first, unchanged
// in level.
TEST(AdaptiveLimiterTest, EqualWetAndDryComeOutDelayedAndUnchanged)
{
    adaptiveLimiter limiter(2 * 44100, delay, window);
    const std::vector<double> x = swellingTone(20000);
    testing::internal::CaptureStdout();
    const std::vector<double> out = limit(limiter, x, x);
    testing::internal::GetCapturedStdout();
    for (std::size_t j = 0; j < out.size(); ++j)
        ASSERT_EQ(out[j], j < static_cast<std::size_t>(delay) ? 0.0 : x[j - delay]) << "sample " << j;
}

// The gain follows the RMS ratio of dry to wet over the last 882 samples, capped at 1: after the
// wet signal turns louder than the dry one, the output settles at the dry level within one window;
// a quieter wet signal is never amplified.
TEST(AdaptiveLimiterTest, LouderWetSettlesAtTheDryLevelQuieterIsKept)
{
    struct Case
    {
        double wetFactor;
        double settledGain;
    };
    for (const Case c : {Case{2.0, 0.5}, Case{4.0, 0.25}, Case{0.5, 1.0}, Case{0.0, 1.0}})
    {
        SCOPED_TRACE(testing::Message() << "wet = " << c.wetFactor << " × dry");
        adaptiveLimiter limiter(1000000, delay, window);
        const std::size_t change = 5000;
        const std::vector<double> dry = tools_test::sine(300.0, 44100.0, 12000, 0.3);
        std::vector<double> wet = dry;
        for (std::size_t i = change; i < wet.size(); ++i)
            wet[i] *= c.wetFactor;
        const std::vector<double> out = limit(limiter, dry, wet);

        // Output j carries wet[j − 441] with the gain computed when it entered.
        double previousGain = 1.0;
        for (std::size_t i = 0; i + delay < out.size(); ++i)
        {
            if (std::fabs(wet[i]) < 1e-3)
                continue;
            const double gain = out[i + delay] / wet[i];
            ASSERT_LE(gain, 1.0 + 1e-12) << "input sample " << i;
            if (i < change)
                ASSERT_NEAR(gain, 1.0, 1e-9) << "input sample " << i;
            else if (i >= change + window)
                ASSERT_NEAR(gain, c.settledGain, 1e-6) << "input sample " << i;
            else
                ASSERT_LE(gain, previousGain + 1e-9) << "input sample " << i; // falls monotonically
            previousGain = gain;
        }
    }
}

// Only loud passages (dry energy above 882 × 0.0004 over the window) count toward the statistics
// line; it reports the average ratio every statisticsPeriod loud samples.
TEST(AdaptiveLimiterTest, StatisticsLineCountsOnlyLoudPassages)
{
    adaptiveLimiter limiter(1000, delay, window);
    EXPECT_DOUBLE_EQ(limiter.ratioAverage(), 0.001);

    // Quiet: RMS 0.019 gives a window energy of 0.318, below the 0.3528 threshold (RMS 0.02).
    const std::vector<double> quietDry = tools_test::sine(300.0, 44100.0, 20000, 0.019 * std::sqrt(2.0));
    std::vector<double> quietWet = quietDry;
    for (double& s : quietWet)
        s *= 2.0;
    testing::internal::CaptureStdout();
    limit(limiter, quietDry, quietWet);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(limiter.ratioAverage(), 0.0);

    // Loud: 2500 samples, nearly all of them with the window above the threshold; wet twice the dry.
    std::vector<double> loudDry = tools_test::sine(300.0, 44100.0, 2500, 0.2);
    std::vector<double> loudWet = loudDry;
    for (double& s : loudWet)
        s *= 2.0;
    testing::internal::CaptureStdout();
    limit(limiter, loudDry, loudWet);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "AdaptiveLimiter ratio average = 0.500000\nAdaptiveLimiter ratio average = 0.500000\n");
    // The loud samples after the second report overwrote part of the statistics with 0.5 again.
    EXPECT_NEAR(limiter.ratioAverage(), 0.5, 1e-9);
}

// A reset returns the limiter to its state after construction: a limiter reset after a loud
// passage treats the next signal exactly as a new one does.
TEST(AdaptiveLimiterTest, ResetForgetsThePast)
{
    adaptiveLimiter used(1000, delay, window);
    const std::vector<double> loud = tools_test::sine(250.0, 44100.0, 4000, 0.8);
    std::vector<double> quieter = loud;
    for (double& s : quieter)
        s *= 0.1;
    testing::internal::CaptureStdout();
    limit(used, loud, quieter);
    used.reset();
    EXPECT_EQ(used.ratioAverage(), 0.001);

    adaptiveLimiter fresh(1000, delay, window);
    const std::vector<double> dry = swellingTone(6000);
    std::vector<double> wet = dry;
    for (double& s : wet)
        s *= 1.5;
    const std::vector<double> expected = limit(fresh, dry, wet);
    const std::vector<double> out = limit(used, dry, wet);
    const std::string printedUsed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, expected);
    EXPECT_DOUBLE_EQ(used.ratioAverage(), fresh.ratioAverage());
}

// The running dry energy can end a hair below zero once a passage has left the window (here
// a² + b² − a² − b² = −5.6e−17); that is silence, so the wet signal is muted, not turned into NaN.
TEST(AdaptiveLimiterTest, RunningEnergyRoundedBelowZeroMutesInsteadOfFailing)
{
    adaptiveLimiter limiter(1000, 0, 2);
    const std::vector<double> dry = {0.5458915783827468, 0.5045419583098644, 0.0, 0.0, 0.0};
    const std::vector<double> wet(dry.size(), 0.1);
    std::vector<double> out(dry.size());
    limiter.process(out.data(), dry.data(), wet.data(), static_cast<std::int32_t>(dry.size()));
    for (std::size_t j = 3; j < out.size(); ++j)
        EXPECT_EQ(out[j], 0.0) << "sample " << j;
}

TEST(AdaptiveLimiterTest, OutputMayReplaceTheWetSignal)
{
    adaptiveLimiter separate(1000000, delay, window);
    adaptiveLimiter inPlace(1000000, delay, window);
    const std::vector<double> dry = swellingTone(5000);
    std::vector<double> wet = dry;
    for (double& s : wet)
        s *= 3.0;
    const std::vector<double> expected = limit(separate, dry, wet);
    inPlace.process(wet.data(), dry.data(), wet.data(), static_cast<std::int32_t>(wet.size()));
    EXPECT_EQ(wet, expected);
}

TEST(AdaptiveLimiterTest, UnusableSizesAreRefused)
{
    EXPECT_THROW(adaptiveLimiter(0, 441, 882), EngineError);
    EXPECT_THROW(adaptiveLimiter(88200, 882, 882), EngineError);
    EXPECT_THROW(adaptiveLimiter(88200, -1, 882), EngineError);
    EXPECT_THROW(adaptiveLimiter(88200, 0, 0), EngineError);
}
