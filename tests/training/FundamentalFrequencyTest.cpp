#include "tools/training/FundamentalFrequency.h"

#include "TrainingTestData.h"

#include "engine/PitchShifter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

namespace
{

/** The signal transposed by `ratio` through the engine's pitch shifter as the facade runs it
    (5 ms blocks, detector from 60 to 400 Hz), with its start-up delay dropped. */
std::vector<double> shifted(const std::vector<double>& x, double rate, double ratio)
{
    const int block = static_cast<int>(std::lround(0.005 * rate));
    zo::PitchShifter shifter(block, 2, rate, ratio, 60.0, 400.0);
    std::vector<double> y(x.size() + static_cast<std::size_t>(0.1 * rate), 0.0);
    std::copy(x.begin(), x.end(), y.begin());
    for (std::size_t at = 0; at + static_cast<std::size_t>(block) <= y.size();
         at += static_cast<std::size_t>(block))
        shifter.process(y.data() + at, 1, y.data() + at, 1, block);
    return y;
}

/** Median F0 over voiced frames by SPTK's RAPT (5 ms hop, 60 to 500 Hz) on a 16 kHz signal, or a
    negative value when SPTK is not installed. */
double raptMedian(const std::vector<double>& x16k, const std::string& name)
{
    const std::string bin = TAVILO_SPTK_BIN_DIR;
    if (bin.empty() || !std::filesystem::exists(bin + "/pitch"))
        return -1.0;
    training_test::TemporaryFolder folder("rapt-" + name);
    {
        // RAPT's thresholds expect samples on the 16-bit scale.
        std::ofstream out(folder.path("in.f"), std::ios::binary);
        for (const double v : x16k)
        {
            const auto f = static_cast<float>(32768.0 * v);
            out.write(reinterpret_cast<const char*>(&f), sizeof f);
        }
    }
    const std::string command = "'" + bin + "/pitch' -a 0 -s 16 -p 80 -L 60 -H 500 -o 1 < '" +
                                folder.path("in.f") + "' > '" + folder.path("out.f") + "'";
    if (std::system(command.c_str()) != 0)
        return 0.0;
    std::ifstream in(folder.path("out.f"), std::ios::binary);
    std::vector<double> f0;
    float v = 0.0f;
    while (in.read(reinterpret_cast<char*>(&v), sizeof v))
        f0.push_back(v);
    return training::voicedMedian(f0);
}

} // namespace

// What the evaluation reports as the achieved pitch ratio: a tone and a real recording through
// the pitch shifter must come out moved by the ratio applied.
TEST(FundamentalFrequency, ShiftedToneAndRecordingMoveByTheRatio)
{
    const double rate = 16000.0;
    struct Case
    {
        const char* file;
        double ratio;
    };
    for (const Case c : {Case{"vcc2016_SF1_100001.wav", 0.6}, Case{"vcc2016_SF1_100001.wav", 1.05},
                         Case{"vcc2016_SM1_100001.wav", 1.29}, Case{"vcc2016_SM1_100001.wav", 2.0}})
    {
        SCOPED_TRACE(testing::Message() << c.file << " shifted by " << c.ratio);
        const auto tone = shifted(training_test::harmonicTone(150.0, rate, 1.0), rate, c.ratio);
        EXPECT_NEAR(training::voicedMedian(training::estimateFundamentalFrequency(tone, rate)),
                    150.0 * c.ratio, 0.01 * 150.0 * c.ratio);
        const auto speech = training_test::loadSpeech(c.file);
        ASSERT_EQ(speech.sampleRate, rate);
        const double before =
            training::voicedMedian(training::estimateFundamentalFrequency(speech.samples, rate));
        const double after = training::voicedMedian(
            training::estimateFundamentalFrequency(shifted(speech.samples, rate, c.ratio), rate));
        EXPECT_NEAR(after / before, c.ratio, 0.02 * c.ratio);
    }
}

// SPTK's RAPT as the independent reference: voiced medians within a few percent on every corpus
// speaker and on transposed speech.
TEST(FundamentalFrequency, AgreesWithRaptOnSpeechAndTransposedSpeech)
{
    if (raptMedian(std::vector<double>(1600, 0.0), "probe") < 0.0)
        GTEST_SKIP() << "SPTK's pitch is not installed";
    struct Case
    {
        const char* file;
        double ratio;
    };
    for (const Case c : {Case{"vcc2016_SF1_100001.wav", 1.0}, Case{"vcc2016_SM1_100001.wav", 1.0},
                         Case{"vcc2016_TF1_100001.wav", 1.0}, Case{"vcc2016_TM1_100001.wav", 1.0},
                         Case{"vcc2016_SF1_100001.wav", 0.6}, Case{"vcc2016_SM1_100001.wav", 2.0}})
    {
        SCOPED_TRACE(testing::Message() << c.file << " shifted by " << c.ratio);
        const auto speech = training_test::loadSpeech(c.file);
        ASSERT_EQ(speech.sampleRate, 16000.0);
        const auto x = c.ratio == 1.0 ? speech.samples : shifted(speech.samples, 16000.0, c.ratio);
        const double rapt = raptMedian(x, "case");
        const double ours = training::voicedMedian(training::estimateFundamentalFrequency(x, 16000.0));
        ASSERT_GT(rapt, 0.0);
        EXPECT_NEAR(ours / rapt, 1.0, 0.04) << "ours " << ours << " Hz, RAPT " << rapt << " Hz";
    }
}
