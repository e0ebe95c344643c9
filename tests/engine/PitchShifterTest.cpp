#include "engine/PitchShifter.h"

#include "ToolsTestSignals.h"
#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

int blockSizeFor(double sampleRate)
{
    return static_cast<int>(std::lround(5.0 * sampleRate / 1000.0));
}

/** Runs `input` through the shifter one block at a time, as the engine does. Every block's result
    code is checked. */
std::vector<double> shift(zo::PitchShifter& shifter, const std::vector<double>& input, int* failedBlocks)
{
    const int block = shifter.blockSize();
    std::vector<double> output(input.size() / static_cast<std::size_t>(block) *
                               static_cast<std::size_t>(block));
    *failedBlocks = 0;
    for (std::size_t at = 0; at < output.size(); at += static_cast<std::size_t>(block))
        if (shifter.process(output.data() + at, 1, input.data() + at, 1, block) != 0)
            ++*failedBlocks;
    return output;
}

/** One pitch period of the most periodic loud frame of a recording, repeated: a perfectly
    periodic signal with a real voice's waveform. Returns the period through `period`. */
std::vector<double> tiledVoicedPeriod(const std::vector<double>& speech, std::size_t count, int* period)
{
    std::size_t bestStart = 0;
    double bestPeak = 0.0;
    double bestPeriod = 0.0;
    for (std::size_t start = 0; start + 1200 < speech.size(); start += 160)
    {
        double energy = 0.0;
        for (std::size_t i = start; i < start + 800; ++i)
            energy += speech[i] * speech[i];
        if (energy / 800.0 < 1e-3)
            continue;
        double peak = 0.0;
        const double p = tools_test::periodByAutocorrelation(speech, start, 800, 50, 200, &peak);
        if (peak > bestPeak)
        {
            bestPeak = peak;
            bestStart = start;
            bestPeriod = p;
        }
    }
    *period = static_cast<int>(std::lround(bestPeriod));
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i)
        x[i] = speech[bestStart + i % static_cast<std::size_t>(*period)];
    return x;
}

} // namespace

// At p = 1.2 the fundamental moves up by 1.2: sines (one whose period the detector's even lags
// hit, one they do not) and a real voiced period repeated.
TEST(PitchShifterTest, RaisesTheFundamentalByTheRatio)
{
    struct Case
    {
        const char* what;
        double sampleRate;
        std::vector<double> input;
        double period;
    };
    std::vector<Case> cases;
    cases.push_back({"sine 210 Hz", 44100.0, tools_test::sine(210.0, 44100.0, 44100 * 3), 44100.0 / 210.0});
    cases.push_back({"sine 200 Hz", 44100.0, tools_test::sine(200.0, 44100.0, 44100 * 3), 44100.0 / 200.0});
    cases.push_back(
        {"tone 150 Hz", 16000.0, tools_test::harmonicTone(150.0, 16000.0, 16000 * 3), 16000.0 / 150.0});
    int voicePeriod = 0;
    const std::vector<double> speech = tools_test::loadSpeech("vcc2016_SM1_100001.wav");
    ASSERT_FALSE(speech.empty());
    std::vector<double> voice = tiledVoicedPeriod(speech, 16000 * 3, &voicePeriod);
    ASSERT_GT(voicePeriod, 60);
    cases.push_back({"voiced period", 16000.0, std::move(voice), static_cast<double>(voicePeriod)});

    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.what << " at " << c.sampleRate << " Hz");
        zo::PitchShifter shifter(blockSizeFor(c.sampleRate), 2, c.sampleRate, 1.2, 60.0, 400.0);
        int failed = 0;
        const std::vector<double> output = shift(shifter, c.input, &failed);
        EXPECT_EQ(failed, 0);

        const double expected = c.period / 1.2;
        // Skip the latency; search below twice the expected period so that multiples cannot win.
        const std::size_t start = output.size() / 3;
        const double measured = tools_test::periodByAutocorrelation(output, start, output.size() / 2,
                                                                    static_cast<int>(expected * 0.6),
                                                                    static_cast<int>(expected * 1.6));
        EXPECT_NEAR(measured, expected, 0.01 * expected) << "input period " << c.period;
    }
}

// Blocks of n samples in give n samples out, and on real speech (changing pitch, pauses) at the
// application's rate no block overruns or underruns at any shipped ratio. At 16 kHz the ratios
// whose repeat length rounds (0.7 and 1.19) let the buffered input drift onto its lower edge now
// and then: such underruns are short and rare; the others never underrun.
TEST(PitchShifterTest, ShippedRatiosRunWithoutOverrunOrUnderrun)
{
    const char* recordings[] = {"vcc2016_SF1_100001.wav", "vcc2016_SM1_100001.wav", "vcc2016_TF1_100001.wav",
                                "arctic_slt_a0001.wav"};
    for (const char* name : recordings)
    {
        const std::vector<double> speech16 = tools_test::loadSpeech(name);
        ASSERT_GT(speech16.size(), 16000u) << name;
        const std::vector<double> speech44 = tools_test::resampled(speech16, 16000.0, 44100.0);
        for (double pitch : {0.5, 0.7, 1.19, 1.2, 2.0})
            for (double rate : {44100.0, 16000.0})
            {
                SCOPED_TRACE(testing::Message() << name << ", p = " << pitch << " at " << rate << " Hz");
                const std::vector<double>& input = rate == 16000.0 ? speech16 : speech44;
                zo::PitchShifter shifter(blockSizeFor(rate), 2, rate, pitch, 60.0, 400.0);
                int failed = 0;
                testing::internal::CaptureStdout();
                const std::vector<double> output = shift(shifter, input, &failed);
                const std::string printed = testing::internal::GetCapturedStdout();

                EXPECT_EQ(printed.find("buffer overrun"), std::string::npos);
                const bool roundedRepeat = pitch == 0.7 || pitch == 1.19;
                if (rate == 44100.0 || !roundedRepeat)
                    EXPECT_EQ(failed, 0);
                else
                    EXPECT_LE(failed, static_cast<int>(output.size()) / shifter.blockSize() / 50);

                double inputEnergy = 0.0, outputEnergy = 0.0;
                for (std::size_t i = 0; i < output.size(); ++i)
                {
                    ASSERT_TRUE(std::isfinite(output[i]));
                    inputEnergy += input[i] * input[i];
                    outputEnergy += output[i] * output[i];
                }
                // Level is kept (within the share of the signal still inside the latency).
                EXPECT_NEAR(outputEnergy / inputEnergy, 1.0, 0.35);
            }
    }
}

TEST(PitchShifterTest, CallsLongerThanABlockAreProcessedBlockByBlock)
{
    zo::PitchShifter byBlock(221, 2, 44100.0, 2.0, 60.0, 400.0);
    zo::PitchShifter atOnce(221, 2, 44100.0, 2.0, 60.0, 400.0);
    const std::vector<double> input = tools_test::harmonicTone(130.0, 44100.0, 221 * 40);
    int failed = 0;
    const std::vector<double> expected = shift(byBlock, input, &failed);
    std::vector<double> output(input.size());
    EXPECT_EQ(atOnce.process(output.data(), 1, input.data(), 1, static_cast<int>(input.size())), 0);
    EXPECT_EQ(output, expected);
}

// Beyond 0.5..2 the shifter runs two stages of sqrt(p): the fundamental still moves by p, every
// block gives its n samples for n in without overrun or underrun on tones and on speech, and the
// level is kept.
TEST(PitchShifterTest, RatiosBeyondHalfToDoubleRunInTwoStages)
{
    struct Case
    {
        double pitch;
        double toneHz;
        const char* recording;
    };
    for (const Case c :
         {Case{2.5, 100.0, "vcc2016_SM1_100001.wav"}, Case{0.3, 220.0, "vcc2016_SF1_100001.wav"},
          Case{4.0, 60.0, "vcc2016_SM1_100002.wav"}, Case{0.25, 240.0, "vcc2016_TF1_100001.wav"}})
        for (const double rate : {16000.0, 44100.0})
        {
            SCOPED_TRACE(testing::Message() << "p = " << c.pitch << " at " << rate << " Hz");
            zo::PitchShifter toneShifter(blockSizeFor(rate), 2, rate, c.pitch, 60.0, 400.0);
            EXPECT_EQ(toneShifter.stageCount(), 2);
            int failed = 0;
            const std::vector<double> tone =
                tools_test::harmonicTone(c.toneHz, rate, static_cast<std::size_t>(3 * rate));
            const std::vector<double> moved = shift(toneShifter, tone, &failed);
            EXPECT_EQ(moved.size(), tone.size() / static_cast<std::size_t>(toneShifter.blockSize()) *
                                        static_cast<std::size_t>(toneShifter.blockSize()));
            EXPECT_EQ(failed, 0);
            const double expected = rate / (c.toneHz * c.pitch);
            const double measured = tools_test::periodByAutocorrelation(
                moved, moved.size() / 3, moved.size() / 2, static_cast<int>(expected * 0.6),
                static_cast<int>(expected * 1.6));
            EXPECT_NEAR(measured, expected, 0.01 * expected);

            const std::vector<double> speech16 = tools_test::loadSpeech(c.recording);
            const std::vector<double> input =
                rate == 16000.0 ? speech16 : tools_test::resampled(speech16, 16000.0, rate);
            zo::PitchShifter shifter(blockSizeFor(rate), 2, rate, c.pitch, 60.0, 400.0);
            testing::internal::CaptureStdout();
            const std::vector<double> output = shift(shifter, input, &failed);
            const std::string printed = testing::internal::GetCapturedStdout();
            EXPECT_EQ(printed, "");
            EXPECT_EQ(failed, 0);
            double inputEnergy = 0.0, outputEnergy = 0.0;
            for (std::size_t i = 0; i < output.size(); ++i)
            {
                ASSERT_TRUE(std::isfinite(output[i]));
                inputEnergy += input[i] * input[i];
                outputEnergy += output[i] * output[i];
            }
            EXPECT_NEAR(outputEnergy / inputEnergy, 1.0, 0.35);
        }
}

TEST(PitchShifterTest, RatiosOutsideAQuarterToFourAreRefused)
{
    for (double pitch : {0.249, 4.01, 0.0, -1.2, std::nan(""), HUGE_VAL})
        EXPECT_THROW(zo::PitchShifter(221, 2, 44100.0, pitch, 60.0, 400.0), EngineError) << pitch;
    for (double pitch : {0.25, 0.5, 2.0, 4.0})
        EXPECT_EQ(zo::PitchShifter(221, 2, 44100.0, pitch, 60.0, 400.0).stageCount(),
                  pitch == 0.5 || pitch == 2.0 ? 1 : 2)
            << pitch;
}
