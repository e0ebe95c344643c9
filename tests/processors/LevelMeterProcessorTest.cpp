#include "processors/LevelMeterProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "support/JuceTestEnvironment.h"

using testing_harness::OfflineProcessorRunner;

TEST(LevelMeterProcessor, WindowIsThirtyMillisecondsInSinglePrecision)
{
    EXPECT_EQ(tessel::LevelMeterProcessor::windowLengthFor(44100.0), 1322);
    EXPECT_EQ(tessel::LevelMeterProcessor::windowLengthFor(48000.0), 1439);
}

TEST(LevelMeterProcessor, SquareWaveReadsOneAndSilenceZero)
{
    juce::AudioBuffer<float> square(1, 4000);
    for (int i = 0; i < 4000; ++i)
        square.setSample(0, i, (i / 50) % 2 == 0 ? 1.0f : -1.0f);

    tessel::LevelMeterProcessor meter;
    OfflineProcessorRunner runner(meter, 1, 1);
    runner.prepare(44100.0, 512);
    const auto input = square;
    runner.process(square);
    EXPECT_FLOAT_EQ(meter.getRMS(), 1.0f);
    EXPECT_FLOAT_EQ(meter.getPeak(), 1.0f);
    for (int i = 0; i < 4000; ++i)
        ASSERT_EQ(square.getSample(0, i), input.getSample(0, i)); // passes unchanged

    // Two windows of silence: the first still holds the end of the square wave.
    juce::AudioBuffer<float> silence(1, 2 * 1322);
    silence.clear();
    runner.process(silence);
    EXPECT_EQ(meter.getRMS(), 0.0f);
    EXPECT_EQ(meter.getPeak(), 0.0f);
}

TEST(LevelMeterProcessor, PublishesEveryWindowWhateverTheBlockSize)
{
    // 512-sample blocks at 44100 Hz: the first values appear in the third block (after 1322 samples),
    // then every 1322 samples. A ramp makes every window's peak different.
    tessel::LevelMeterProcessor meter;
    OfflineProcessorRunner runner(meter, 1, 1);
    runner.prepare(44100.0, 512);

    std::vector<float> peaks;
    for (int block = 0; block < 12; ++block)
    {
        juce::AudioBuffer<float> buffer(1, 512);
        for (int i = 0; i < 512; ++i)
            buffer.setSample(0, i, static_cast<float>(block * 512 + i + 1) / 10000.0f);
        runner.process(buffer);
        peaks.push_back(meter.getPeak());
    }
    EXPECT_EQ(peaks[0], 0.0f);
    EXPECT_EQ(peaks[1], 0.0f);
    EXPECT_FLOAT_EQ(peaks[2], 1322.0f / 10000.0f);
    EXPECT_FLOAT_EQ(peaks[5], 2644.0f / 10000.0f); // 3072 samples seen: two windows
    EXPECT_FLOAT_EQ(peaks[7], 3966.0f / 10000.0f);
}

TEST(LevelMeterProcessor, OutputMeterReadsOnlyTheLeftChannelAndResetClears)
{
    juce::AudioBuffer<float> stereo(2, 1322);
    for (int i = 0; i < 1322; ++i)
    {
        stereo.setSample(0, i, 0.25f);
        stereo.setSample(1, i, 0.9f);
    }

    tessel::LevelMeterProcessor meter;
    OfflineProcessorRunner runner(meter, 2, 0);
    runner.prepare(44100.0, 256);
    runner.process(stereo);
    EXPECT_FLOAT_EQ(meter.getRMS(), 0.25f);
    EXPECT_FLOAT_EQ(meter.getPeak(), 0.25f);

    meter.reset();
    EXPECT_EQ(meter.getRMS(), 0.0f);
    EXPECT_EQ(meter.getPeak(), 0.0f);
    juce::AudioBuffer<float> part(2, 1000);
    part.copyFrom(0, 0, stereo, 0, 0, 1000);
    part.copyFrom(1, 0, stereo, 1, 0, 1000);
    runner.process(part);
    EXPECT_EQ(meter.getPeak(), 0.0f); // no full window since the reset
}
