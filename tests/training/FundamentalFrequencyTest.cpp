#include "tools/training/FundamentalFrequency.h"

#include "TrainingTestData.h"

#include <gtest/gtest.h>

TEST(FundamentalFrequency, HarmonicTonesGiveTheirF0AtEveryRate)
{
    for (const double rate : {16000.0, 44100.0})
        for (const double f0 : {75.0, 130.0, 220.0, 410.0})
        {
            SCOPED_TRACE(testing::Message() << f0 << " Hz at " << rate);
            const auto track =
                training::estimateFundamentalFrequency(training_test::harmonicTone(f0, rate, 0.6), rate);
            ASSERT_FALSE(track.empty());
            EXPECT_NEAR(training::voicedMedian(track), f0, 0.005 * f0);
        }
}

TEST(FundamentalFrequency, SilenceAndNoiseAreUnvoiced)
{
    std::vector<double> noise(16000);
    std::uint32_t state = 1;
    for (double& v : noise)
    {
        state = state * 1664525u + 1013904223u;
        v = 0.1 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5);
    }
    EXPECT_EQ(
        training::voicedMedian(training::estimateFundamentalFrequency(std::vector<double>(16000), 16000)),
        0.0);
    const auto track = training::estimateFundamentalFrequency(noise, 16000);
    std::size_t voiced = 0;
    for (const double v : track)
        voiced += v > 0.0;
    EXPECT_LT(voiced, track.size() / 20);
}

// The corpus speakers: the male voices sit near 100-130 Hz, the female ones near 180-260 Hz.
TEST(FundamentalFrequency, SpeakersOfTheCorpusFallInTheirRanges)
{
    struct Case
    {
        const char* file;
        double low, high;
    };
    for (const Case c : {Case{"vcc2016_SM1_100001.wav", 80, 150}, Case{"vcc2016_TM1_100001.wav", 80, 150},
                         Case{"vcc2016_SF1_100001.wav", 160, 300}, Case{"vcc2016_TF1_100001.wav", 160, 300}})
    {
        const auto speech = training_test::loadSpeech(c.file);
        const double median =
            training::voicedMedian(training::estimateFundamentalFrequency(speech.samples, speech.sampleRate));
        EXPECT_GT(median, c.low) << c.file;
        EXPECT_LT(median, c.high) << c.file;
    }
    EXPECT_EQ(training::voicedMedian({0.0, 100.0, 0.0, 120.0, 300.0}), 120.0);
    EXPECT_EQ(training::voicedMedian({100.0, 0.0, 110.0}), 105.0);
}
