#include "processors/DuckingProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "support/JuceTestEnvironment.h"

#include <cmath>

using testing_harness::OfflineProcessorRunner;

namespace
{
enum Level
{
    off = 0,
    weak = 1,
    strong = 2
};

void setLevel(DuckingProcessor& ducking, int index)
{
    auto* choice = dynamic_cast<juce::AudioParameterChoice*>(ducking.getParameters()[0]);
    choice->setValueNotifyingHost(choice->convertTo0to1(static_cast<float>(index)));
}

/** AUX channels carry a constant 1, so the output shows the gain applied to each sample. The side
    chain (channel 2) gets `voice`. */
juce::AudioBuffer<float> withConstantAux(const std::vector<float>& voice)
{
    const int n = static_cast<int>(voice.size());
    juce::AudioBuffer<float> buffer(3, n);
    for (int i = 0; i < n; ++i)
    {
        buffer.setSample(0, i, 1.0f);
        buffer.setSample(1, i, 1.0f);
        buffer.setSample(2, i, voice[static_cast<size_t>(i)]);
    }
    return buffer;
}

/** silence, then a constant voice of amplitude 1, then silence (lengths in samples). */
std::vector<float> burst(int before, int voiced, int after)
{
    std::vector<float> voice(static_cast<size_t>(before + voiced + after), 0.0f);
    std::fill(voice.begin() + before, voice.begin() + before + voiced, 1.0f);
    return voice;
}

int firstIndexAtOrBelow(const juce::AudioBuffer<float>& output, int from, float level)
{
    for (int i = from; i < output.getNumSamples(); ++i)
        if (output.getSample(0, i) <= level)
            return i;
    return -1;
}

struct Ducker
{
    explicit Ducker(double rate, int level)
    {
        setLevel(ducking, level);
        runner.prepare(rate, 512);
    }
    DuckingProcessor ducking;
    OfflineProcessorRunner runner{ducking, 3, 2};
};
} // namespace

TEST(DuckingProcessor, OffLeavesTheAuxSignalUntouchedWhileTheVoiceIsDetected)
{
    Ducker d(44100.0, off);
    auto buffer = withConstantAux(burst(100, 5000, 0));
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        buffer.setSample(1, i, 0.3f * std::sin(0.01f * i));
    const auto input = buffer;
    d.runner.process(buffer);

    EXPECT_TRUE(d.ducking.isDucking());
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        ASSERT_EQ(buffer.getSample(0, i), input.getSample(0, i));
        ASSERT_EQ(buffer.getSample(1, i), input.getSample(1, i));
    }
}

TEST(DuckingProcessor, FallsAndRecoversAtTheAttackAndReleaseRatesAt44100)
{
    // Ducking starts on the second voiced sample (RMS over 4410 samples above 0.02); it ends when the
    // voice has left the window, 4410 samples after it stops.
    const struct
    {
        int level;
        float duckGain;
        int fallSamples;
    } cases[] = {{weak, 0.08f, 420}, {strong, 0.025f, 613}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.level);
        Ducker d(44100.0, c.level);
        const int onset = 1000, voiced = 10000;
        auto buffer = withConstantAux(burst(onset, voiced, 60000));
        d.runner.process(buffer);

        const int reached = firstIndexAtOrBelow(buffer, onset, c.duckGain);
        EXPECT_NEAR(reached - onset, c.fallSamples, 4);
        // At the target the gain alternates between the target and one release step above it.
        EXPECT_NEAR(buffer.getSample(0, onset + voiced - 1), c.duckGain, c.duckGain * 1e-4);

        // Held while the voice is still in the window, then up to 1 within about 1.07 s from 0.025.
        const int stop = onset + voiced;
        EXPECT_NEAR(buffer.getSample(0, stop + 4409), c.duckGain, c.duckGain * 1e-4);
        EXPECT_NEAR(buffer.getSample(0, stop + 4410 + 1000),
                    c.duckGain * std::pow(1.0000779628753662, 1000.0), c.duckGain * 2e-4);
        int recovered = -1;
        for (int i = stop; i < buffer.getNumSamples(); ++i)
            if (buffer.getSample(0, i) == 1.0f)
            {
                recovered = i;
                break;
            }
        const double riseSamples = std::log(1.0 / c.duckGain) / std::log(1.0000779628753662);
        EXPECT_NEAR(recovered - stop - 4410, riseSamples, 150);
        EXPECT_FALSE(d.ducking.isDucking());
    }
    EXPECT_NEAR(std::log(1.0 / 0.025) / std::log(1.0000779628753662), 47300, 100);
}

TEST(DuckingProcessor, HysteresisNeedsMoreThanStartLevelToStartButLessThanStopLevelToEnd)
{
    // A sine of RMS 0.01: between the stop level (0.005) and the start level (0.02).
    auto quietVoice = [](int n)
    {
        std::vector<float> v(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            v[static_cast<size_t>(i)] = 0.01f * std::sqrt(2.0f) * std::sin(0.05f * i);
        return v;
    };

    {
        Ducker d(44100.0, weak);
        auto buffer = withConstantAux(quietVoice(20000));
        d.runner.process(buffer);
        EXPECT_FALSE(d.ducking.isDucking());
        EXPECT_EQ(buffer.getMagnitude(0, 0, buffer.getNumSamples()), 1.0f);
        EXPECT_EQ(firstIndexAtOrBelow(buffer, 0, 0.999f), -1);
    }
    {
        Ducker d(44100.0, weak);
        auto voice = burst(0, 5000, 0);
        const auto quiet = quietVoice(30000);
        voice.insert(voice.end(), quiet.begin(), quiet.end());
        auto buffer = withConstantAux(voice);
        d.runner.process(buffer);
        EXPECT_TRUE(d.ducking.isDucking());
        EXPECT_FLOAT_EQ(buffer.getSample(0, buffer.getNumSamples() - 1), 0.08f);
    }
}

TEST(DuckingProcessor, SwitchingToOffWhileDuckingRisesAtTheReleaseRate)
{
    Ducker d(44100.0, strong);
    EXPECT_EQ(d.ducking.getGain(), 1.0f);
    auto first = withConstantAux(burst(0, 2000, 0));
    d.runner.process(first);
    ASSERT_NEAR(first.getSample(0, 1999), 0.025f, 0.025f * 1e-4);
    EXPECT_NEAR(d.ducking.getGain(), 0.025f, 0.025f * 1e-4);

    setLevel(d.ducking, off);
    auto second = withConstantAux(burst(0, 1000, 0));
    d.runner.process(second);
    EXPECT_LT(second.getSample(0, 0), 0.02501f);
    EXPECT_NEAR(second.getSample(0, 999), 0.025 * std::pow(1.0000779628753662, 1000.0), 1e-5);
    EXPECT_TRUE(d.ducking.isDucking());
    // The published gain is the one the next sample gets: still well below 1 under "OFF".
    EXPECT_NEAR(d.ducking.getGain(), 0.025 * std::pow(1.0000779628753662, 1001.0), 1e-5);

    d.runner.prepare(44100.0, 512);
    EXPECT_EQ(d.ducking.getGain(), 1.0f);
}

TEST(DuckingProcessor, EnergyWindowIs4410SamplesAlsoAt48000)
{
    Ducker d(48000.0, weak);
    const int onset = 500, voiced = 8000;
    auto buffer = withConstantAux(burst(onset, voiced, 6000));
    d.runner.process(buffer);

    // Held at the target until the voice has left a 4410-sample window (a 0.1 s window would be
    // 4800 samples here), then rising by the release factor per sample.
    const int stop = onset + voiced;
    const float held = 0.08f * 1.0000779f * 1.000001f;
    for (int i = stop; i < stop + 4410; ++i)
        ASSERT_LE(buffer.getSample(0, i), held) << i - stop;
    EXPECT_NEAR(buffer.getSample(0, stop + 4410 + 300), 0.08 * std::pow(1.0000779628753662, 300.0),
                0.08 * 2e-4);
}

TEST(DuckingProcessor, ResetReturnsToOffAndNotifiesOnlyWhenAnotherLevelIsSelected)
{
    struct Counter : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged(int, float) override { ++changes; }
        void parameterGestureChanged(int, bool) override {}
        int changes = 0;
    } counter;

    DuckingProcessor ducking;
    auto* choice = dynamic_cast<juce::AudioParameterChoice*>(ducking.getParameters()[0]);
    choice->addListener(&counter);

    ducking.reset();
    EXPECT_EQ(counter.changes, 0);

    setLevel(ducking, weak);
    counter.changes = 0;
    ducking.reset();
    EXPECT_EQ(choice->getIndex(), 0);
    EXPECT_EQ(choice->getCurrentChoiceName(), "OFF");
    EXPECT_EQ(counter.changes, 1);
    choice->removeListener(&counter);
}
