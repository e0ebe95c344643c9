#include "harness/OfflineProcessorRunner.h"
#include "processors/GainProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MonoToStereoProcessor.h"
#include "processors/MuteProcessor.h"
#include "support/JuceTestEnvironment.h"

using testing_harness::makeSine;
using testing_harness::OfflineProcessorRunner;

namespace
{
void setNatural(juce::AudioProcessor& processor, int index, float value)
{
    auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processor.getParameters()[index]);
    parameter->setValue(parameter->convertTo0to1(value));
}

/** Counts value changes reported to the parameter's listeners. */
struct ChangeCounter : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged(int, float newValue) override
    {
        ++changes;
        lastValue = newValue;
    }
    void parameterGestureChanged(int, bool) override {}
    int changes = 0;
    float lastValue = -1.0f;
};
} // namespace

TEST(GainProcessor, AppliesTheOffsetInDecibelsAndLeavesZeroDecibelsBitIdentical)
{
    const struct
    {
        float decibels;
        double factor;
    } cases[] = {
        {0.0f, 1.0}, {12.0f, 3.981071705534973}, {-12.0f, 0.251188643150958}, {6.0f, 1.995262314968880}};

    const auto input = makeSine(1, 2000, 44100.0, 440.0, 0.2f);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.decibels);
        GainProcessor gain;
        setNatural(gain, 0, c.decibels);
        OfflineProcessorRunner runner(gain, 1, 1);
        runner.prepare(44100.0, 256);
        const auto output = runner.run(input);
        for (int i = 0; i < input.getNumSamples(); ++i)
        {
            if (c.decibels == 0.0f)
                ASSERT_EQ(output.getSample(0, i), input.getSample(0, i));
            else
                ASSERT_NEAR(output.getSample(0, i), input.getSample(0, i) * c.factor, 1e-6);
        }
    }
}

TEST(MuteProcessor, ClearsTheBlockWhileMutedAndResetUnmutesWithNotification)
{
    MuteProcessor mute;
    OfflineProcessorRunner runner(mute, 2, 2);
    runner.prepare(44100.0, 128);
    const auto input = makeSine(2, 300, 44100.0, 1000.0, 0.5f);

    auto unmuted = runner.run(input);
    EXPECT_EQ(unmuted.getSample(1, 10), input.getSample(1, 10));

    auto* enable = mute.getParameters()[0];
    ChangeCounter listener;
    enable->addListener(&listener);

    enable->setValue(1.0f);
    auto muted = runner.run(input);
    EXPECT_EQ(muted.getMagnitude(0, muted.getNumSamples()), 0.0f);

    mute.reset();
    EXPECT_EQ(enable->getValue(), 0.0f);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(listener.lastValue, 0.0f);

    // Unmuted: reset changes nothing and tells nobody.
    mute.reset();
    EXPECT_EQ(listener.changes, 1);
    enable->removeListener(&listener);
}

TEST(MonoToStereoProcessor, SpreadsHalfTheVoiceOnEachSideAndPassesWithOneOutput)
{
    const auto input = makeSine(2, 500, 44100.0, 300.0, 0.8f);

    MonoToStereoProcessor stereo;
    OfflineProcessorRunner runner(stereo, 1, 2);
    runner.prepare(44100.0, 128);
    auto spread = input;
    spread.clear(1, 0, spread.getNumSamples());
    spread = runner.run(spread);
    for (int i = 0; i < input.getNumSamples(); ++i)
    {
        ASSERT_EQ(spread.getSample(0, i), input.getSample(0, i) * 0.5f);
        ASSERT_EQ(spread.getSample(1, i), input.getSample(0, i) * 0.5f);
    }

    MonoToStereoProcessor mono;
    OfflineProcessorRunner monoRunner(mono, 1, 1);
    monoRunner.prepare(44100.0, 128);
    const auto passed = monoRunner.run(input);
    for (int i = 0; i < input.getNumSamples(); ++i)
        ASSERT_EQ(passed.getSample(0, i), input.getSample(0, i));
}

TEST(MixerProcessor, OutputsOutputGainTimesTheWeightedSumAndSilencesChannelsTwoAndThree)
{
    // Voice on 0/1, AUX on 2/3, four different signals.
    juce::AudioBuffer<float> input(4, 1500);
    for (int c = 0; c < 4; ++c)
    {
        const auto sine = makeSine(1, 1500, 44100.0, 200.0 * (c + 1), 0.3f + 0.1f * c);
        input.copyFrom(c, 0, sine, 0, 0, 1500);
    }

    const struct
    {
        float gainA, gainB, gainOut;
    } cases[] = {{1, 1, 1},          {1, 0, 1}, {0.5f, 0.25f, 1}, {1, 1, 0.5f},
                 {0.3f, 0.7f, 0.8f}, {1, 1, 0}, {0, 0, 1}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.gainA << " " << c.gainB << " " << c.gainOut);
        MixerProcessor mixer;
        setNatural(mixer, 0, c.gainA);
        setNatural(mixer, 1, c.gainB);
        setNatural(mixer, 2, c.gainOut);
        OfflineProcessorRunner runner(mixer, 4, 2);
        runner.prepare(44100.0, 256);
        // Blocks longer than the prepared size are mixed too.
        auto output = input;
        runner.process(output, {256, 100, 700});

        for (int i = 0; i < input.getNumSamples(); ++i)
        {
            for (int side = 0; side < 2; ++side)
            {
                const float a = input.getSample(side, i);
                const float b = input.getSample(2 + side, i);
                const float expected = c.gainOut * (c.gainA * a + c.gainB * b);
                if (c.gainA == 1 && c.gainB == 0 && c.gainOut == 1)
                    ASSERT_EQ(output.getSample(side, i), a); // exactly the voice
                else
                    ASSERT_NEAR(output.getSample(side, i), expected, 1e-6);
            }
            ASSERT_EQ(output.getSample(2, i), 0.0f);
            ASSERT_EQ(output.getSample(3, i), 0.0f);
        }
    }
}
