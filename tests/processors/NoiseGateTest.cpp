#include "processors/NoiseGate.h"
#include "harness/OfflineProcessorRunner.h"
#include "processors/NoiseGateProcessor.h"
#include "support/JuceTestEnvironment.h"

#include <vector>

using testing_harness::OfflineProcessorRunner;

namespace
{
std::vector<double> runGate(tsx::NoiseGate& gate, std::vector<double> samples)
{
    double* channels[] = {samples.data()};
    gate.process(channels, static_cast<int>(samples.size()));
    return samples;
}
} // namespace

TEST(NoiseGate, TimingsAt44100)
{
    tsx::NoiseGate gate(44100.0, 1, 0.025);
    EXPECT_EQ(gate.getAttackSamples(), 44);
    EXPECT_EQ(gate.getHoldSamples(), 882);
    EXPECT_EQ(gate.getDecaySamples(), 2205);
}

TEST(NoiseGate, OpensWithLookAheadHoldsAndDecaysLinearly)
{
    // Loud (0.5) from sample 1000 to 2999, then quiet (0.01, below the 0.025 threshold) so that the
    // output keeps showing the gain: output[i] = input[i - 44] * gain.
    const int onset = 1000, quietFrom = 3000, total = 8000;
    std::vector<double> input(total, 0.0);
    for (int i = onset; i < total; ++i)
        input[static_cast<size_t>(i)] = i < quietFrom ? 0.5 : 0.01;

    tsx::NoiseGate gate(44100.0, 1, 0.025);
    const auto output = runGate(gate, input);

    // Nothing before the look-ahead has passed; then the step arrives at full gain.
    for (int i = 0; i < onset + 44; ++i)
        ASSERT_EQ(output[static_cast<size_t>(i)], 0.0) << i;
    EXPECT_NEAR(output[onset + 44], 0.5, 1e-9);

    auto gainAt = [&](int i) { return output[static_cast<size_t>(i)] / input[static_cast<size_t>(i - 44)]; };
    // The gain applied at sample i was computed before sample i: held for 882 samples after the
    // last loud sample (2999), then falling by 1/2205 per sample.
    const int lastLoud = quietFrom - 1;
    EXPECT_NEAR(gainAt(lastLoud + 883), 1.0, 1e-9);
    EXPECT_NEAR(gainAt(lastLoud + 884), 1.0 - 1.0 / 2205, 1e-9);
    EXPECT_NEAR(gainAt(lastLoud + 884 + 1000), 1.0 - 1001.0 / 2205, 1e-9);
    EXPECT_NEAR(gainAt(lastLoud + 883 + 2205), 0.0, 1e-9);
    EXPECT_EQ(gate.getGain(), 0.0);
}

TEST(NoiseGate, DetectorSumsSignedSamplesOfAllChannels)
{
    const struct
    {
        const char* name;
        int channels;
        double level;
        double left, right;
        bool opens;
    } cases[] = {
        {"level 0 opens on any positive sample", 1, 0.0, 1e-6, 0, true},
        {"steady negative input never opens", 1, 0.0, -0.9, 0, false},
        {"one channel above the level", 1, 0.1, 0.15, 0, true},
        {"two channels: threshold doubles", 2, 0.1, 0.15, 0.0, false},
        {"two channels: summed above twice the level", 2, 0.1, 0.15, 0.15, true},
        {"two channels: opposite signs cancel", 2, 0.1, 0.5, -0.5, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        tsx::NoiseGate gate(44100.0, c.channels, c.level);
        std::vector<double> left(2000, c.left), right(2000, c.right);
        double* channels[] = {left.data(), right.data()};
        gate.process(channels, 2000);
        EXPECT_EQ(gate.getGain() == 1.0, c.opens);
        EXPECT_EQ(left.back() != 0.0, c.opens);
    }

    // Level 0 with one positive sample every 800 samples (within the 882-sample hold): each opens
    // the gate by one attack step and nothing in between closes it; every 1000 samples it decays.
    for (const int spacing : {800, 1000})
    {
        tsx::NoiseGate sparse(44100.0, 1, 0.0);
        std::vector<double> clicks(60000, 0.0);
        for (size_t i = 0; i < clicks.size(); i += static_cast<size_t>(spacing))
            clicks[i] = 1e-3;
        runGate(sparse, clicks);
        if (spacing == 800)
            EXPECT_EQ(sparse.getGain(), 1.0);
        else
            EXPECT_EQ(sparse.getGain(), 0.0);
    }
}

TEST(NoiseGate, ClampsTheTriggerLevelIntoZeroToOne)
{
    tsx::NoiseGate gate(44100.0, 1, 1.5);
    EXPECT_EQ(gate.getTriggerLevel(), 1.0);
    gate.setTriggerLevel(-0.2);
    EXPECT_EQ(gate.getTriggerLevel(), 0.0);
    gate.setTriggerLevel(0.3);
    EXPECT_EQ(gate.getTriggerLevel(), 0.3);
}

TEST(NoiseGateProcessor, MapsTheParameterToTheTriggerLevel)
{
    EXPECT_FLOAT_EQ(tessel::NoiseGateProcessor::levelForValue(0.5f), 0.025f);
    EXPECT_FLOAT_EQ(tessel::NoiseGateProcessor::levelForValue(1.0f), 0.1f);
    EXPECT_FLOAT_EQ(tessel::NoiseGateProcessor::levelForValue(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(tessel::NoiseGateProcessor::valueForLevel(0.025f), 0.5f);
    EXPECT_FLOAT_EQ(tessel::NoiseGateProcessor::valueForLevel(0.5f), 1.0f);

    // The default 0.5 gives a threshold of 0.025: 0.03 opens the gate, 0.02 does not.
    for (const float level : {0.03f, 0.02f})
    {
        tessel::NoiseGateProcessor processor;
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(44100.0, 512);
        auto output = runner.run(testing_harness::makeConstant(1, 4096, level));
        EXPECT_EQ(output.getSample(0, 4095), level > 0.025f ? level : 0.0f) << level;
    }
}

TEST(NoiseGateProcessor, WriteBackSettlesWithoutNotifyingEveryBlock)
{
    struct Counter : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged(int, float) override { ++changes; }
        void parameterGestureChanged(int, bool) override {}
        int changes = 0;
    };

    for (float value = 0.0f; value <= 1.0f; value += 0.01f)
    {
        SCOPED_TRACE(value);
        tessel::NoiseGateProcessor processor;
        auto* parameter = processor.getParameters()[0];
        parameter->setValue(value);
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(44100.0, 64);
        auto signal = testing_harness::makeConstant(1, 64 * 3, 0.0f);
        runner.process(signal);

        // After the first block the value is a fixed point of the mapping: no more notifications.
        Counter counter;
        parameter->addListener(&counter);
        runner.process(signal);
        parameter->removeListener(&counter);
        EXPECT_EQ(counter.changes, 0);
        EXPECT_NEAR(parameter->getValue(), value, 1e-6);
    }
}

TEST(NoiseGateProcessor, PrepareStartsAClosedGate)
{
    tessel::NoiseGateProcessor processor;
    OfflineProcessorRunner runner(processor, 1, 1);
    runner.prepare(44100.0, 256);
    auto loud = runner.run(testing_harness::makeConstant(1, 2048, 0.5f));
    ASSERT_EQ(loud.getSample(0, 2047), 0.5f);

    runner.prepare(44100.0, 256);
    auto again = runner.run(testing_harness::makeConstant(1, 256, 0.5f));
    for (int i = 0; i < 44; ++i)
        ASSERT_EQ(again.getSample(0, i), 0.0f) << i;
    EXPECT_EQ(again.getSample(0, 44), 0.5f);
}
