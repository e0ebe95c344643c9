#include "engine/NoiseGate.h"

#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

/** The engine's gate at 44.1 kHz: trigger 0.005, attack 1 ms, hold 20 ms, decay 50 ms. */
zo::NoiseGate engineGate(double trigger = 0.005)
{
    return zo::NoiseGate(1, 44100.0, trigger, 0.001, 0.02, 0.05);
}

std::vector<double> gate(zo::NoiseGate& g, const std::vector<double>& in,
                         std::vector<double>* gains = nullptr)
{
    std::vector<double> out(in.size());
    for (std::size_t j = 0; j < in.size(); ++j)
    {
        g.process(out.data() + j, 1, in.data() + j, 1, 1);
        if (gains != nullptr)
            gains->push_back(g.gain());
    }
    return out;
}

} // namespace

TEST(NoiseGateTest, SilenceStaysSilentAndClosed)
{
    zo::NoiseGate g = engineGate();
    const std::vector<double> in(10000, 0.0);
    EXPECT_EQ(gate(g, in), in);
    EXPECT_EQ(g.gain(), 0.0);
}

// The trigger compares the signed sample (or the signed sum over channels) with the threshold:
// a loud but negative-only signal never opens the gate, a positive excursion does.
TEST(NoiseGateTest, OpensOnPositiveExcursionsOfTheSignedSum)
{
    zo::NoiseGate g = engineGate();
    std::vector<double> in(5000);
    for (std::size_t j = 0; j < in.size(); ++j)
        in[j] = j % 2 == 0 ? -0.8 : -0.1;
    gate(g, in);
    EXPECT_EQ(g.gain(), 0.0);

    std::vector<double> excursion(3, 0.006);
    gate(g, excursion);
    EXPECT_GT(g.gain(), 0.0);

    struct Case
    {
        double left;
        double right;
        bool opens;
    };
    for (const Case c :
         {Case{0.004, 0.004, false}, Case{0.008, 0.004, true}, Case{0.5, -0.5, false}, Case{-0.3, 0.4, true}})
    {
        SCOPED_TRACE(testing::Message() << "stereo " << c.left << ", " << c.right);
        zo::NoiseGate stereo(2, 44100.0, 0.005, 0.001, 0.02, 0.05); // threshold 0.01 on the sum
        std::vector<double> left(100, c.left), right(100, c.right), outLeft(100), outRight(100);
        double* outs[2] = {outLeft.data(), outRight.data()};
        const double* ins[2] = {left.data(), right.data()};
        stereo.process(outs, 1, ins, 1, 100);
        EXPECT_EQ(stereo.gain() > 0.0, c.opens);
        if (c.opens)
        {
            EXPECT_DOUBLE_EQ(outRight[99], c.right); // both channels share the gain and the delay
        }
    }
}

// At 44.1 kHz the engine's gate delays by 44 samples, opens fully over 44 loud samples, holds for
// 882 quiet samples and closes over 2205.
TEST(NoiseGateTest, AttackHoldAndDecayTakeTheirSampleCounts)
{
    zo::NoiseGate g = engineGate();
    EXPECT_EQ(g.attackSamples(), 44);
    EXPECT_EQ(g.holdSamples(), 882);

    const std::size_t loud = 1000;
    std::vector<double> in(loud + 4000, 0.0);
    for (std::size_t j = 0; j < loud; ++j)
        in[j] = 0.1 + 0.001 * static_cast<double>(j % 7);
    std::vector<double> gains;
    const std::vector<double> out = gate(g, in, &gains);

    EXPECT_NEAR(gains[42], 43.0 / 44.0, 1e-12); // after 43 loud samples
    EXPECT_NEAR(gains[43], 1.0, 1e-12);         // after 44
    // Output j is input j − 44 with the gain from before sample j.
    for (std::size_t j = 0; j < 44; ++j)
        ASSERT_EQ(out[j], 0.0);
    for (std::size_t j = 44; j < loud; ++j)
        ASSERT_NEAR(out[j], in[j - 44] * (j == 0 ? 0.0 : gains[j - 1]), 1e-15) << "sample " << j;

    const std::size_t last = loud - 1; // the last loud sample
    EXPECT_EQ(gains[last + 882], 1.0); // 882 quiet samples: still holding
    EXPECT_LT(gains[last + 883], 1.0); // the 883rd starts the decay
    EXPECT_NEAR(gains[last + 883], 1.0 - 1.0 / 2205.0, 1e-12);
    EXPECT_GT(gains[last + 882 + 2204], 0.0);
    EXPECT_NEAR(gains[last + 882 + 2205], 0.0, 1e-12);
    EXPECT_EQ(gains.back(), 0.0);
}

// Without attack there is no look-ahead, and the gain jumps to 1 at the first trigger: the
// triggering sample itself still goes out with the old gain.
TEST(NoiseGateTest, ZeroAttackHasNoLookAheadAndOpensAtOnce)
{
    zo::NoiseGate g(1, 44100.0, 0.005, 0.0, 0.02, 0.05);
    EXPECT_EQ(g.attackSamples(), 0);
    const std::vector<double> in = {0.0, 0.0, 0.3, 0.2, 0.1, -0.4};
    EXPECT_EQ(gate(g, in), (std::vector<double>{0.0, 0.0, 0.0, 0.2, 0.1, -0.4}));
}

// A new attack time keeps the look-ahead measured from the incoming signal, whenever it is set.
TEST(NoiseGateTest, ChangingTheAttackMidStreamKeepsTheDelayExact)
{
    zo::NoiseGate g(1, 44100.0, 0.0, 0.001, 1.0, 1.0);
    std::vector<double> in(4000, 0.01); // above the zero trigger: the gate opens and stays open
    for (std::size_t j = 0; j < in.size(); j += 250)
        in[j] = 0.5;
    gate(g, std::vector<double>(in.begin(), in.begin() + 1000));
    g.setAttackSeconds(0.0005); // 22 samples
    ASSERT_EQ(g.attackSamples(), 22);
    const std::vector<double> tail(in.begin() + 1000, in.end());
    const std::vector<double> out = gate(g, tail);
    // The gate is fully open; from now on every sample comes out 22 samples late.
    for (std::size_t j = 22; j < out.size(); ++j)
        ASSERT_EQ(out[j], tail[j - 22]) << "sample " << j;
}

TEST(NoiseGateTest, OutOfRangeSettingsAreClampedWithAMessage)
{
    testing::internal::CaptureStdout();
    zo::NoiseGate g(1, 44100.0, 0.005, 0.001, -0.5, 0.05);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NoiseGate: holdSeconds(-0.500000 -> 0.000000)\n");
    EXPECT_EQ(g.holdSamples(), 0);

    struct Case
    {
        void (zo::NoiseGate::*setter)(double);
        double value;
        const char* message;
    };
    const Case cases[] = {
        {&zo::NoiseGate::setTriggerLevel, 1.5, "NoiseGate: triggerLevel(1.500000 -> 1.000000)\n"},
        {&zo::NoiseGate::setTriggerLevel, -0.2, "NoiseGate: triggerLevel(-0.200000 -> 0.000000)\n"},
        {&zo::NoiseGate::setTriggerLevel, 0.3, ""},
        {&zo::NoiseGate::setAttackSeconds, -0.1, "NoiseGate: attackSeconds(-0.100000 -> 0.000000)\n"},
        {&zo::NoiseGate::setAttackSeconds, 0.05, "NoiseGate: attackSeconds(0.050000 -> 0.020000)\n"},
        {&zo::NoiseGate::setAttackSeconds, 0.02, ""},
        {&zo::NoiseGate::setDecaySeconds, -1.0, "NoiseGate: decaySeconds(-1.000000 -> 0.000000)\n"},
    };
    for (const Case& c : cases)
    {
        testing::internal::CaptureStdout();
        (g.*c.setter)(c.value);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message) << c.value;
    }

    g.setTriggerLevel(1.5);
    EXPECT_EQ(g.triggerLevel(), 1.0);
    g.setTriggerLevel(-3.0);
    EXPECT_EQ(g.triggerLevel(), 0.0);
    g.setAttackSeconds(0.05);
    EXPECT_EQ(g.attackSamples(), 882); // the 20 ms look-ahead the ring holds
}

TEST(NoiseGateTest, UnusableChannelsOrRatesAreRefused)
{
    EXPECT_THROW(zo::NoiseGate(0, 44100.0, 0.005, 0.001, 0.02, 0.05), EngineError);
    EXPECT_THROW(zo::NoiseGate(1, 0.0, 0.005, 0.001, 0.02, 0.05), EngineError);
}
