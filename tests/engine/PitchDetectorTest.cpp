#include "engine/PitchDetector.h"

#include "ToolsTestSignals.h"
#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{

/** Glottal-like pulses five samples wide, one every `period` samples from `phase` on. */
std::vector<double> pulseTrain(int period, std::size_t count, int phase = 0)
{
    const double shape[] = {0.2, 0.6, 0.9, 0.6, 0.2};
    std::vector<double> x(count, 0.0);
    for (std::size_t i = static_cast<std::size_t>(phase); i + 5 <= count;
         i += static_cast<std::size_t>(period))
        for (std::size_t k = 0; k < 5; ++k)
            x[i + k] = shape[k];
    return x;
}

} // namespace

TEST(PitchDetectorTest, ScoreCountsMatchingMinusOppositeFields)
{
    EXPECT_EQ(zo::PitchDetector::score(0x0000), 8);  // eight equal codes
    EXPECT_EQ(zo::PitchDetector::score(0xaaaa), -8); // eight opposite signs (1 ^ 3 = 2)
    EXPECT_EQ(zo::PitchDetector::score(0x5555), 0);  // a sign against silence counts neither way
    EXPECT_EQ(zo::PitchDetector::score(0x0002), 6);  // seven matches, one opposite
}

TEST(PitchDetectorTest, WindowAndPeriodRangeFollowTheFrequencies)
{
    zo::PitchDetector detector(2, 44100.0, 60.0, 400.0);
    EXPECT_EQ(detector.minPeriod(), 110);
    EXPECT_EQ(detector.maxPeriod(), 735);
    EXPECT_EQ(detector.windowLength(), 1470);
}

// A pulse train with a single period inside the search range (twice the period lies beyond the
// longest lag) is found exactly, looking forwards and backwards; with lag step 2 an odd period is
// found to within one sample.
TEST(PitchDetectorTest, FindsThePeriodOfAPulseTrain)
{
    struct Case
    {
        double sampleRate;
        int lagStep;
        int period;
    };
    for (const Case c : {Case{44100, 2, 400}, Case{44100, 1, 401}, Case{44100, 2, 401}, Case{16000, 2, 150},
                         Case{16000, 1, 141}, Case{48000, 2, 480}})
    {
        SCOPED_TRACE(testing::Message()
                     << c.sampleRate << " Hz, lag step " << c.lagStep << ", period " << c.period);
        zo::PitchDetector detector(c.lagStep, c.sampleRate, 60.0, 400.0);
        const int b = detector.maxPeriod();
        ASSERT_LT(b, 2 * c.period);
        const std::vector<double> x = pulseTrain(c.period, 4 * static_cast<std::size_t>(b), 37);
        EXPECT_NEAR(detector.detect(x.data(), +1), c.period, c.lagStep - 1);
        EXPECT_NEAR(detector.detect(x.data() + 2 * b, -1), c.period, c.lagStep - 1);
    }
}

// Within the search range every multiple of an exact period matches equally; the longest one wins.
TEST(PitchDetectorTest, EqualScoresGoToTheLongerLag)
{
    zo::PitchDetector detector(2, 44100.0, 60.0, 400.0);
    const std::vector<double> x = pulseTrain(200, 3000, 5);
    EXPECT_EQ(detector.detect(x.data(), +1), 600);

    // Silence matches at every lag: the longest lag below the window's half.
    const std::vector<double> silence(3000, 0.0);
    EXPECT_EQ(detector.detect(silence.data(), +1), 734);
}

TEST(PitchDetectorTest, EmptyLagRangeGivesTheLongestPeriod)
{
    zo::PitchDetector detector(2, 16000.0, 400.0, 400.0);
    const std::vector<double> x = tools_test::sine(400.0, 16000.0, 200);
    EXPECT_EQ(detector.detect(x.data(), +1), 40);
}

// Real speech: on clearly voiced frames of a male speaker (one period fits the range) the detector
// agrees with an autocorrelation estimate.
TEST(PitchDetectorTest, FindsThePeriodOfRealVoicedSpeech)
{
    const std::vector<double> speech = tools_test::loadSpeech("vcc2016_SM1_100001.wav");
    ASSERT_GT(speech.size(), 16000u);
    zo::PitchDetector detector(2, 16000.0, 60.0, 400.0);
    const int b = detector.maxPeriod();
    const std::size_t n = static_cast<std::size_t>(2 * b);

    int voiced = 0;
    int agreeing = 0;
    for (std::size_t start = 0; start + 2 * n < speech.size(); start += n / 2)
    {
        double energy = 0.0;
        for (std::size_t i = start; i < start + n; ++i)
            energy += speech[i] * speech[i];
        if (energy / static_cast<double>(n) < 1e-4)
            continue;
        double peak = 0.0;
        const double reference = tools_test::periodByAutocorrelation(
            speech, start, static_cast<std::size_t>(b), detector.minPeriod(), b - 1, &peak);
        if (peak < 0.9)
            continue;
        ++voiced;
        const int found = detector.detect(speech.data() + start, +1);
        if (std::abs(found - reference) <= 0.04 * reference + 1.0)
            ++agreeing;
    }
    ASSERT_GE(voiced, 20);
    EXPECT_GE(agreeing, voiced * 9 / 10) << agreeing << " of " << voiced << " voiced frames";
}

// The shared score table is built by whichever detector comes first; detectors built at the same
// time on several threads all see it complete.
TEST(PitchDetectorTest, DetectorsBuiltOnSeveralThreadsAgree)
{
    const std::vector<double> x = pulseTrain(400, 3000, 3);
    std::vector<int> results(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t)
        threads.emplace_back(
            [&, t]
            {
                zo::PitchDetector detector(2, 44100.0, 60.0, 400.0);
                results[t] = detector.detect(x.data(), +1);
            });
    for (std::thread& thread : threads)
        thread.join();
    for (int result : results)
        EXPECT_EQ(result, 400);
}

TEST(PitchDetectorTest, UnusableSettingsAreRefused)
{
    EXPECT_THROW(zo::PitchDetector(0, 44100.0, 60.0, 400.0), EngineError);
    EXPECT_THROW(zo::PitchDetector(2, 44100.0, 400.0, 60.0), EngineError);
    EXPECT_THROW(zo::PitchDetector(2, 44100.0, 0.0, 400.0), EngineError);
    EXPECT_THROW(zo::PitchDetector(2, 44100.0, 60.0, 50000.0), EngineError);
}
