#include "audio/AudioRecorderProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "support/JuceTestEnvironment.h"

#include <cmath>
#include <thread>

using testing_harness::OfflineProcessorRunner;

namespace
{
struct WavContent
{
    double sampleRate = 0;
    int channels = 0;
    int bits = 0;
    juce::AudioBuffer<float> samples;
};

WavContent readWav(const juce::File& file)
{
    WavContent content;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(new juce::FileInputStream(file), true));
    if (reader == nullptr)
        return content;
    content.sampleRate = reader->sampleRate;
    content.channels = static_cast<int>(reader->numChannels);
    content.bits = static_cast<int>(reader->bitsPerSample);
    content.samples.setSize(content.channels, static_cast<int>(reader->lengthInSamples));
    reader->read(&content.samples, 0, content.samples.getNumSamples(), 0, true, true);
    return content;
}

/** A recorder prepared as the chain's node (two inputs or as many as given), with a temporary
    folder for its files. */
struct Recording
{
    Recording(double rate, int blockSize, int inputs = 2) : runner(recorder, inputs, 0)
    {
        runner.prepare(rate, blockSize);
        folder.createDirectory();
    }
    ~Recording()
    {
        recorder.stopRecording();
        folder.deleteRecursively();
    }

    /** Feeds `signal` block by block; with a pause after each block, so that the writer thread is
        never behind (the FIFO holds only 0.74 s). */
    void feed(const juce::AudioBuffer<float>& signal, int blockSize, bool paced)
    {
        for (int start = 0; start < signal.getNumSamples(); start += blockSize)
        {
            const int n = juce::jmin(blockSize, signal.getNumSamples() - start);
            juce::AudioBuffer<float> block(runner.getNumChannels(), n);
            for (int c = 0; c < block.getNumChannels(); ++c)
                block.copyFrom(c, 0, signal, c, start, n);
            runner.process(block);
            if (paced)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    AudioRecorderProcessor recorder;
    OfflineProcessorRunner runner;
    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory)
            .getChildFile("tavilo-recorder-" + juce::String::toHexString(juce::Random().nextInt64()));
};

juce::AudioBuffer<float> twoSines(int numSamples, double rate)
{
    juce::AudioBuffer<float> signal(2, numSamples);
    for (int i = 0; i < numSamples; ++i)
    {
        signal.setSample(
            0, i, static_cast<float>(0.5 * std::sin(juce::MathConstants<double>::twoPi * 440.0 * i / rate)));
        signal.setSample(
            1, i, static_cast<float>(0.3 * std::sin(juce::MathConstants<double>::twoPi * 660.0 * i / rate)));
    }
    return signal;
}

/** Least-squares fit of A sin(w k + phase) to a channel from sample `from` on; returns the largest
    deviation from the fit and the fitted amplitude. */
std::pair<double, double> sineFitError(const juce::AudioBuffer<float>& samples, int channel, double frequency,
                                       double rate, int from)
{
    const double w = juce::MathConstants<double>::twoPi * frequency / rate;
    double s = 0, c = 0;
    const int n = samples.getNumSamples();
    for (int k = from; k < n; ++k)
    {
        s += samples.getSample(channel, k) * std::sin(w * k);
        c += samples.getSample(channel, k) * std::cos(w * k);
    }
    const double a = 2 * s / (n - from), b = 2 * c / (n - from);
    double worst = 0;
    for (int k = from; k < n; ++k)
        worst = std::max(
            worst, std::abs(samples.getSample(channel, k) - (a * std::sin(w * k) + b * std::cos(w * k))));
    return {worst, std::hypot(a, b)};
}
} // namespace

TEST(AudioRecorderProcessor, RecordsA48000HzDeviceAs44100HzWithTheResampledSignal)
{
    // 3 s in 480-sample blocks: each block adds 441 samples at 44100 Hz.
    Recording r(48000.0, 480);
    const auto file = r.folder.getChildFile("take.wav");
    ASSERT_TRUE(r.recorder.startRecording(file));
    EXPECT_TRUE(r.recorder.isRecording());
    r.feed(twoSines(3 * 48000, 48000.0), 480, true);
    r.recorder.stopRecording();
    EXPECT_FALSE(r.recorder.isRecording());

    const auto wav = readWav(file);
    EXPECT_EQ(wav.sampleRate, 44100.0);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.samples.getNumSamples(), 300 * 441);

    // The same tones at 44100 Hz, left and right kept apart; 16-bit steps are 3e-5. The
    // interpolators start one input sample behind, so the first block is one device sample apart
    // from the rest (up to its first output in the second block); the fit starts after that.
    const auto [leftError, leftAmplitude] = sineFitError(wav.samples, 0, 440.0, 44100.0, 2 * 441);
    const auto [rightError, rightAmplitude] = sineFitError(wav.samples, 1, 660.0, 44100.0, 2 * 441);
    EXPECT_LT(leftError, 1e-3);
    EXPECT_LT(rightError, 1e-3);
    EXPECT_NEAR(leftAmplitude, 0.5, 1e-3);
    EXPECT_NEAR(rightAmplitude, 0.3, 1e-3);
}

TEST(AudioRecorderProcessor, StoppingWritesEverythingQueued)
{
    // 0.5 s pushed as fast as possible (less than the FIFO holds), then stopped at once.
    Recording r(48000.0, 480);
    const auto file = r.folder.getChildFile("quick.wav");
    ASSERT_TRUE(r.recorder.startRecording(file));
    r.feed(twoSines(24000, 48000.0), 480, false);
    r.recorder.stopRecording();
    EXPECT_EQ(readWav(file).samples.getNumSamples(), 50 * 441);
}

TEST(AudioRecorderProcessor, AFullQueueDropsWholeBlocks)
{
    // 10 s pushed at once cannot all fit into the 0.74-s queue; whatever is dropped, is dropped as
    // whole blocks of 441 samples.
    Recording r(48000.0, 480);
    const auto file = r.folder.getChildFile("flood.wav");
    ASSERT_TRUE(r.recorder.startRecording(file));
    r.feed(twoSines(10 * 48000, 48000.0), 480, false);
    r.recorder.stopRecording();
    const int written = readWav(file).samples.getNumSamples();
    EXPECT_LE(written, 1000 * 441);
    EXPECT_GE(written, 74 * 441);
    EXPECT_EQ(written % 441, 0);
}

TEST(AudioRecorderProcessor, MixesDownAndResamplesEveryDeviceLayout)
{
    // Constant inputs stay constant through the interpolators: even channels sum into the left,
    // odd ones into the right.
    const struct
    {
        double rate;
        int blockSize;
        std::vector<float> inputs;
        int perBlock;
        float left, right;
    } cases[] = {
        {44100.0, 512, {0.25f, -0.5f}, 512, 0.25f, -0.5f},
        {48000.0, 512, {0.25f, -0.5f}, 470, 0.25f, -0.5f},
        {96000.0, 1024, {0.1f, 0.2f, 0.3f, -0.05f}, 470, 0.4f, 0.15f},
        {22050.0, 256, {0.6f}, 512, 0.6f, 0.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rate);
        const int channels = static_cast<int>(c.inputs.size());
        Recording r(c.rate, c.blockSize, channels);
        const auto file = r.folder.getChildFile("layout.wav");
        ASSERT_TRUE(r.recorder.startRecording(file));
        juce::AudioBuffer<float> signal(channels, 40 * c.blockSize);
        for (int ch = 0; ch < channels; ++ch)
            juce::FloatVectorOperations::fill(signal.getWritePointer(ch), c.inputs[static_cast<size_t>(ch)],
                                              signal.getNumSamples());
        r.feed(signal, c.blockSize, true);
        r.recorder.stopRecording();

        const auto wav = readWav(file);
        ASSERT_EQ(wav.samples.getNumSamples(), 40 * c.perBlock);
        const int last = wav.samples.getNumSamples() - 1;
        EXPECT_NEAR(wav.samples.getSample(0, last), c.left, 1e-4);
        EXPECT_NEAR(wav.samples.getSample(1, last), c.right, 1e-4);
        EXPECT_NEAR(wav.samples.getSample(0, last / 2), c.left, 1e-4);
    }
}

TEST(AudioRecorderProcessor, StartingReplacesFilesAndRecordings)
{
    Recording r(48000.0, 480);
    const auto first = r.folder.getChildFile("first.wav");
    const auto second = r.folder.getChildFile("nested/second.wav");

    // An existing file is replaced, not appended to.
    juce::MemoryBlock junk(100000, true);
    ASSERT_TRUE(first.replaceWithData(junk.getData(), junk.getSize()));
    ASSERT_TRUE(r.recorder.startRecording(first));
    r.feed(twoSines(4800, 48000.0), 480, false);

    // Starting again ends the first recording (its file complete) and creates missing folders.
    ASSERT_TRUE(r.recorder.startRecording(second));
    r.feed(twoSines(9600, 48000.0), 480, false);
    r.recorder.stopRecording();

    EXPECT_EQ(readWav(first).samples.getNumSamples(), 10 * 441);
    EXPECT_LT(first.getSize(), 20000);
    EXPECT_EQ(readWav(second).samples.getNumSamples(), 20 * 441);
}

TEST(AudioRecorderProcessor, RefusesToStartWithoutADeviceRateOrAWritableFile)
{
    const auto folder = juce::File::createTempFile("");
    ASSERT_TRUE(folder.createDirectory());

    AudioRecorderProcessor unprepared;
    EXPECT_FALSE(unprepared.startRecording(folder.getChildFile("never.wav")));
    EXPECT_FALSE(unprepared.isRecording());
    EXPECT_FALSE(folder.getChildFile("never.wav").exists());

    // A path below a plain file cannot be created.
    Recording r(44100.0, 512);
    const auto plainFile = folder.getChildFile("plain.txt");
    ASSERT_TRUE(plainFile.replaceWithText("not a folder"));
    EXPECT_FALSE(r.recorder.startRecording(plainFile.getChildFile("take.wav")));
    EXPECT_FALSE(r.recorder.isRecording());

    // Blocks while not recording are simply passed.
    r.feed(twoSines(2048, 44100.0), 512, false);
    folder.deleteRecursively();
}
