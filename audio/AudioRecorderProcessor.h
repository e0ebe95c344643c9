#pragma once

#include "processors/ProcessorBase.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

/** Records the signal that passes through it into a WAV file of 44100 Hz, 2 channels, 16 bits,
    whatever the device's rate and channel count.

    The audio thread mixes each block down to two channels (even input channels to the left, odd to
    the right), resamples it to 44100 Hz with one Lagrange interpolator per channel and pushes it
    into the lock-free FIFO of a `juce::AudioFormatWriter::ThreadedWriter` (32768 samples per
    channel); the background thread "Audio Recorder Thread" writes the file. A block of n samples at
    the device rate r adds trunc(n * 44100 / r) samples to the file (441 for 480 at 48000 Hz). When
    the FIFO has no room for a whole block, the block is dropped. The audio side never touches the
    disk, never allocates and never waits: if start or stop is swapping the writer at that moment,
    the block is not recorded. The block itself passes unchanged (in the chain: two channels in,
    none out). */
class AudioRecorderProcessor : public ProcessorBase
{
public:
    AudioRecorderProcessor();
    /** Stops any recording (closing its file) and then the background thread. */
    ~AudioRecorderProcessor() override;

    const juce::String getName() const override;

    /** Remembers the device rate (Hz), resets the interpolators and sizes the work buffers for
        blocks of up to maximumExpectedSamplesPerBlock samples. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Ends any current recording, then replaces `file` (deleting it if it exists, creating missing
        parent folders) with a new WAV file and starts recording into it. Returns false, with nothing
        recording, when the device rate is not known yet (not prepared) or the file cannot be
        created. Message thread. */
    bool startRecording(const juce::File& file);

    /** Ends the recording: everything queued is written, the WAV header is finished and the file
        closed before this returns. Does nothing when not recording. Message thread. */
    void stopRecording();

    /** True while a recording runs. */
    bool isRecording() const;

    /** Rate (Hz), channel count and sample width of every recording. */
    static constexpr double recordRate = 44100.0;
    static constexpr int recordChannels = 2;
    static constexpr int bitsPerSample = 16;
    /** FIFO size of the background writer, in samples per channel (about 0.74 s). */
    static constexpr int fifoSamples = 32768;

private:
    void recordRange(const juce::AudioBuffer<float>& buffer, int start, int numSamples,
                     juce::AudioFormatWriter::ThreadedWriter& writer);

    juce::TimeSliceThread backgroundThread{"Audio Recorder Thread"};
    std::unique_ptr<juce::AudioFormatWriter::ThreadedWriter> threadedWriter;
    juce::AudioBuffer<float> mixBuffer;
    double deviceRate = 0.0;
    juce::LagrangeInterpolator interpolators[recordChannels];
    juce::AudioBuffer<float> resampleBuffer;
    juce::CriticalSection writerLock;
    juce::AudioFormatWriter::ThreadedWriter* activeWriter = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioRecorderProcessor)
};
