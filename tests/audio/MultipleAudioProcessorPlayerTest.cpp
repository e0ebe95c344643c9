#include "audio/MultipleAudioProcessorPlayer.h"
#include "support/JuceTestEnvironment.h"
#include "support/ReportingAudioDevice.h"

#include <cmath>
#include <vector>

using tessel::MultipleAudioProcessorPlayer;
using tessel::RestartActionDelegate;

namespace
{
using ReportingDevice = testing_support::ReportingAudioDevice;

/** Remembers what it saw and how it was configured; optionally adds a constant to channel 0. */
class ProbeProcessor : public juce::AudioProcessor
{
public:
    const juce::String getName() const override { return "probe"; }
    void prepareToPlay(double rate, int block) override
    {
        ++prepareCount;
        preparedRate = rate;
        preparedBlock = block;
        preparedInputs = getTotalNumInputChannels();
        preparedOutputs = getTotalNumOutputChannels();
    }
    void releaseResources() override { ++releaseCount; }
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&) override
    {
        seen.makeCopyOf(buffer);
        if (add != 0.0f)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.getWritePointer(0)[i] += add;
    }
    double getTailLengthSeconds() const override { return 0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram(int) override {}
    const juce::String getProgramName(int) override { return {}; }
    void changeProgramName(int, const juce::String&) override {}
    void getStateInformation(juce::MemoryBlock&) override {}
    void setStateInformation(const void*, int) override {}

    int prepareCount = 0;
    int releaseCount = 0;
    double preparedRate = 0;
    int preparedBlock = 0;
    int preparedInputs = -1;
    int preparedOutputs = -1;
    float add = 0.0f;
    juce::AudioBuffer<float> seen;
};

/** A reset whose action the test completes by hand. */
class ManualDelegate : public RestartActionDelegate
{
public:
    explicit ManualDelegate(int& counter) : begun(counter) {}
    void beginAction() override
    {
        ++begun;
        state = actionUnderWay;
    }
    int& begun;
};

/** Device buffers of constant value per input channel, and output buffers. */
struct Block
{
    Block(int inputs, int outputs, int samples) : in(inputs, samples), out(outputs, samples)
    {
        for (int c = 0; c < inputs; ++c)
            juce::FloatVectorOperations::fill(in.getWritePointer(c), static_cast<float>(c + 1), samples);
        out.clear();
    }
    void run(MultipleAudioProcessorPlayer& player)
    {
        for (int c = 0; c < out.getNumChannels(); ++c)
            juce::FloatVectorOperations::fill(out.getWritePointer(c), 99.0f, out.getNumSamples());
        player.audioDeviceIOCallbackWithContext(in.getArrayOfReadPointers(), in.getNumChannels(),
                                                out.getArrayOfWritePointers(), out.getNumChannels(),
                                                out.getNumSamples(), {});
    }
    juce::AudioBuffer<float> in, out;
};

/** Runs blocks of ones through a player with one pass-through probe; returns the first sample of
    output 0 of each block (the gain at the start of the block) and the last. */
struct FadeRun
{
    FadeRun() : device(44100.0, 512, 1, 1), block(1, 1, 512)
    {
        player.addProcessor(&probe);
        player.audioDeviceAboutToStart(&device);
        block.in.clear();
        juce::FloatVectorOperations::fill(block.in.getWritePointer(0), 1.0f, 512);
    }
    float runBlock()
    {
        block.run(player);
        return block.out.getSample(0, 511);
    }
    ReportingDevice device;
    MultipleAudioProcessorPlayer player;
    ProbeProcessor probe;
    Block block;
};
} // namespace

TEST(MultipleAudioProcessorPlayer, WorkingChannelsForMoreOutputsOrMoreInputs)
{
    struct Case
    {
        int inputs, outputs;
        std::vector<float> expectedSeen; // first sample of each working channel
    };
    // Inputs carry 1, 2, 3, ... per channel; outputs without an input are cleared.
    const std::vector<Case> cases = {
        {1, 2, {1.0f, 0.0f}}, {4, 2, {1.0f, 2.0f, 3.0f, 4.0f}}, {2, 2, {1.0f, 2.0f}}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.inputs << " in, " << c.outputs << " out");
        ReportingDevice device(48000.0, 256, c.inputs, c.outputs);
        MultipleAudioProcessorPlayer player;
        ProbeProcessor probe;
        player.addProcessor(&probe);
        player.audioDeviceAboutToStart(&device);
        EXPECT_EQ(probe.preparedInputs, c.inputs);
        EXPECT_EQ(probe.preparedOutputs, c.outputs);

        Block block(c.inputs, c.outputs, 256);
        block.run(player);
        ASSERT_EQ(probe.seen.getNumChannels(), static_cast<int>(c.expectedSeen.size()));
        for (int ch = 0; ch < probe.seen.getNumChannels(); ++ch)
            EXPECT_EQ(probe.seen.getSample(ch, 255), c.expectedSeen[static_cast<size_t>(ch)])
                << "channel " << ch;
        // The device's input data is never written.
        for (int ch = 0; ch < c.inputs; ++ch)
            EXPECT_EQ(block.in.getSample(ch, 0), static_cast<float>(ch + 1));
    }
}

TEST(MultipleAudioProcessorPlayer, ProcessorsRunInOrderOnOneBufferAndArePreparedNotReleased)
{
    ReportingDevice device(44100.0, 128, 1, 2);
    MultipleAudioProcessorPlayer player;
    ProbeProcessor first, second, late;
    first.add = 0.5f;
    player.addProcessor(&first);
    player.addProcessor(&second);
    player.addProcessor(&first); // kept once
    player.addProcessor(nullptr);
    EXPECT_EQ(first.prepareCount, 0) << "nothing is prepared before a device starts";

    player.audioDeviceAboutToStart(&device);
    EXPECT_EQ(first.prepareCount, 1);
    EXPECT_EQ(second.preparedRate, 44100.0);
    EXPECT_EQ(second.preparedBlock, 128);

    player.addProcessor(&late); // prepared at once while running
    EXPECT_EQ(late.prepareCount, 1);
    EXPECT_EQ(player.getProcessors().size(), 4u);

    Block block(1, 2, 128);
    block.run(player);
    EXPECT_EQ(first.seen.getSample(0, 0), 1.0f);
    EXPECT_EQ(second.seen.getSample(0, 0), 1.5f) << "the second processor sees the first one's output";
    EXPECT_EQ(block.out.getSample(0, 0), 1.5f);
    EXPECT_EQ(block.out.getSample(1, 0), 0.0f);

    player.audioDeviceStopped();
    EXPECT_EQ(player.getSampleRate(), 0.0);
    EXPECT_EQ(first.releaseCount + second.releaseCount + late.releaseCount, 0);
}

TEST(MultipleAudioProcessorPlayer, NoProcessorsGiveSilence)
{
    ReportingDevice device(44100.0, 64, 2, 2);
    MultipleAudioProcessorPlayer player;
    player.audioDeviceAboutToStart(&device);
    Block block(2, 2, 64);
    block.run(player);
    EXPECT_EQ(block.out.getMagnitude(0, 64), 0.0f);
}

TEST(MultipleAudioProcessorPlayer, ResetFadesOutIn44BlocksHoldsSilenceAndFadesBackIn)
{
    FadeRun run;
    int begun = 0;
    auto owned = std::make_unique<ManualDelegate>(begun);
    auto* delegate = owned.get();
    run.player.installFader(std::move(owned));

    // 200 dB per second: each 512-sample block at 44100 Hz lowers the level by 2.32 dB.
    int blocks = 0;
    float previous = 1.0f;
    while (delegate->state == RestartActionDelegate::fadingOut && blocks < 100)
    {
        const float last = run.runBlock();
        EXPECT_LT(last, previous);
        previous = last;
        ++blocks;
    }
    EXPECT_EQ(blocks, 44);
    EXPECT_FLOAT_EQ(delegate->currentGainDb, -100.0f);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(delegate->state, RestartActionDelegate::actionUnderWay);
    EXPECT_EQ(delegate->sampleRate, 44100.0);

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(run.runBlock(), 0.0f) << "silent while the action runs";
    EXPECT_EQ(begun, 1);

    delegate->state = RestartActionDelegate::fadingIn;
    blocks = 0;
    while (run.player.isFading() && blocks < 100)
    {
        run.runBlock();
        ++blocks;
    }
    EXPECT_EQ(blocks, 44);
    EXPECT_FALSE(run.player.isFading());
    EXPECT_EQ(run.runBlock(), 1.0f) << "unity again after the fade-in";
}

TEST(MultipleAudioProcessorPlayer, FadeRampIsLinearWithinABlock)
{
    FadeRun run;
    int begun = 0;
    run.player.installFader(std::make_unique<ManualDelegate>(begun));
    run.runBlock();
    const float endGain = std::pow(10.0f, (-200.0f / 44100.0f * 512.0f) / 20.0f);
    EXPECT_FLOAT_EQ(run.block.out.getSample(0, 0), 1.0f);
    EXPECT_NEAR(run.block.out.getSample(0, 256), 1.0f + 256.0f * (endGain - 1.0f) / 512.0f, 1e-6f);
    EXPECT_NEAR(run.player.getFadeLevelDb(), -2.3220f, 1e-3f);
}

TEST(MultipleAudioProcessorPlayer, ResetDuringAResetContinuesFromTheLevelReached)
{
    FadeRun run;
    int begun = 0;
    auto first = std::make_unique<ManualDelegate>(begun);
    auto* firstDelegate = first.get();
    run.player.installFader(std::move(first));
    while (firstDelegate->state == RestartActionDelegate::fadingOut)
        run.runBlock();
    firstDelegate->state = RestartActionDelegate::fadingIn;
    for (int i = 0; i < 10; ++i)
        run.runBlock();
    const float reached = run.player.getFadeLevelDb();
    ASSERT_GT(reached, -100.0f);
    ASSERT_LT(reached, -70.0f);

    auto second = std::make_unique<ManualDelegate>(begun);
    auto* secondDelegate = second.get();
    run.player.installFader(std::move(second)); // the first one is deleted
    EXPECT_FLOAT_EQ(run.player.getFadeLevelDb(), reached);
    EXPECT_EQ(secondDelegate->state, RestartActionDelegate::fadingOut);

    // From the level reached down to silence again: ten blocks up, ten blocks down.
    int blocks = 0;
    while (secondDelegate->state == RestartActionDelegate::fadingOut && blocks < 100)
    {
        run.runBlock();
        ++blocks;
    }
    EXPECT_GE(blocks, 10);
    EXPECT_LE(blocks, 11) << "rounding of the summed steps may cost one block, not a whole fade";
    EXPECT_EQ(begun, 2);
}
