#include "audio/AudioRecorderProcessor.h"

AudioRecorderProcessor::AudioRecorderProcessor()
{
    backgroundThread.startThread();
}

AudioRecorderProcessor::~AudioRecorderProcessor()
{
    stopRecording();
    backgroundThread.stopThread(4000);
}

const juce::String AudioRecorderProcessor::getName() const
{
    return "AudioRecorder";
}

void AudioRecorderProcessor::prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock)
{
    deviceRate = sampleRate;
    for (auto& interpolator : interpolators)
        interpolator.reset();

    // Sized here so that the audio thread never allocates: one prepared block in, and the most
    // samples such a block can become at the recording rate out.
    const int maxBlock = juce::jmax(1, maximumExpectedSamplesPerBlock);
    const int resampledSize =
        sampleRate > 0.0 ? static_cast<int>(maxBlock * recordRate / sampleRate) + 1 : maxBlock;
    mixBuffer.setSize(recordChannels, maxBlock);
    resampleBuffer.setSize(recordChannels, juce::jmax(1, resampledSize));
}

void AudioRecorderProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // Never wait on the message thread: while start or stop holds the lock to swap the writer, this
    // block is simply not recorded.
    const juce::ScopedTryLock lock(writerLock);
    if (!lock.isLocked() || activeWriter == nullptr || deviceRate <= 0.0)
        return;

    const int capacity = mixBuffer.getNumSamples();
    const int numSamples = buffer.getNumSamples();
    if (capacity == 0)
        return;

    for (int start = 0; start < numSamples; start += capacity)
        recordRange(buffer, start, juce::jmin(capacity, numSamples - start), *activeWriter);
}

void AudioRecorderProcessor::recordRange(const juce::AudioBuffer<float>& buffer, int start, int numSamples,
                                         juce::AudioFormatWriter::ThreadedWriter& writer)
{
    const int numInputs = juce::jmin(getTotalNumInputChannels(), buffer.getNumChannels());
    for (int c = 0; c < recordChannels; ++c)
        mixBuffer.clear(c, 0, numSamples);
    for (int c = 0; c < numInputs; ++c)
    {
        if (c < recordChannels)
            mixBuffer.copyFrom(c, 0, buffer, c, start, numSamples);
        else
            mixBuffer.addFrom(c % recordChannels, 0, buffer, c, start, numSamples);
    }

    const int resampled = static_cast<int>(numSamples * recordRate / deviceRate);
    if (resampled <= 0)
        return;

    // The exact ratio, and never more than the block's samples: a ratio rounded to single
    // precision would let the interpolators drift by a sample every few minutes and read past the
    // end of the block.
    const double speedRatio = static_cast<double>(numSamples) / resampled;
    for (int c = 0; c < recordChannels; ++c)
        interpolators[c].process(speedRatio, mixBuffer.getReadPointer(c), resampleBuffer.getWritePointer(c),
                                 resampled, numSamples, 0);

    // A full FIFO (the disk cannot keep up) drops the whole block.
    writer.write(resampleBuffer.getArrayOfReadPointers(), resampled);
}

bool AudioRecorderProcessor::startRecording(const juce::File& file)
{
    stopRecording();

    if (deviceRate <= 0.0)
        return false;

    file.deleteFile();
    if (file.create().failed())
        return false;

    auto stream = std::make_unique<juce::FileOutputStream>(file, 32768);
    if (stream->failedToOpen())
        return false;
    // A file that could not be deleted is emptied instead, so that nothing old survives behind the
    // new header.
    stream->setPosition(0);
    if (stream->truncate().failed())
        return false;

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        wav.createWriterFor(stream.get(), recordRate, recordChannels, bitsPerSample, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release(); // now owned by the writer

    auto newWriter = std::make_unique<juce::AudioFormatWriter::ThreadedWriter>(writer.release(),
                                                                               backgroundThread, fifoSamples);
    threadedWriter = std::move(newWriter);

    const juce::ScopedLock lock(writerLock);
    activeWriter = threadedWriter.get();
    return true;
}

void AudioRecorderProcessor::stopRecording()
{
    {
        const juce::ScopedLock lock(writerLock);
        activeWriter = nullptr;
    }
    // Deleting the threaded writer writes what is still queued, finishes the header and closes the
    // file; the audio thread no longer sees it.
    threadedWriter.reset();
}

bool AudioRecorderProcessor::isRecording() const
{
    const juce::ScopedLock lock(writerLock);
    return activeWriter != nullptr;
}
