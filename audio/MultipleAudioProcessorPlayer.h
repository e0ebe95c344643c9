#pragma once

#include "audio/RestartActionDelegate.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

namespace tessel
{

/** The audio device callback of the application: runs an ordered list of processors on the same
    buffer, block after block, on the device's real-time thread.

    Like JUCE's `AudioProcessorPlayer`, extended from one processor to a list and by a fade slot.
    The working buffer has max(inputs, outputs) channels: the device inputs are copied into the
    output channels (inputs without an output channel go to a prepared spare buffer, outputs
    without an input are cleared), every listed processor runs on it in turn, and what is left in
    the output channels is played. In the application the list is the input-log recorder (which
    therefore sees the device input), the processor graph (which replaces the channels by the
    chain's output) and the output-log recorder (which sees the output).

    The fade slot holds the delegate of a soft or hard reset: the working buffer is faded before any
    processor runs, down to silence at 200 dB per second of audio, held silent while the delegate's
    action runs on the message thread, and faded back up. A fade of 100 dB therefore lasts 0.5 s at
    any rate (44 blocks of 512 samples at 44100 Hz).

    Processors are not owned and are never released: a processor keeps its prepared state until
    it is prepared again at the next device start. The callback does not allocate for up to 31
    working channels. MIDI from the device's MIDI inputs passes through to the processors. */
class MultipleAudioProcessorPlayer : public juce::AudioIODeviceCallback, public juce::MidiInputCallback
{
public:
    MultipleAudioProcessorPlayer();
    /** Empties the list and deletes an installed delegate; never deletes the processors. */
    ~MultipleAudioProcessorPlayer() override;

    /** Appends a processor unless it is listed already (a null entry is kept and skipped). While a
        device runs, the processor is configured for the device's channel counts, rate and block
        size and prepared at once. Message thread. */
    void addProcessor(juce::AudioProcessor* processor);

    /** Removes a processor from the list (it is not released). Message thread. */
    void removeProcessor(juce::AudioProcessor* processor);

    /** The listed processors, in order. */
    std::vector<juce::AudioProcessor*> getProcessors() const;

    /** Installs the delegate of a reset. A delegate that is already installed hands its levels to
        the new one and is deleted; the new one starts fading out from the level reached. A
        delegate that has finished since the last installation is deleted here, so that the audio
        thread never frees memory. Message thread. */
    void installFader(std::unique_ptr<RestartActionDelegate> fader);

    /** Whether a reset's delegate is installed and not yet finished. */
    bool isFading() const;
    /** The level (dB) the next block starts at: 0 without a reset, -100 while silent. */
    float getFadeLevelDb() const;

    /** Device rate (Hz) and block size (samples) while a device runs, else 0. */
    double getSampleRate() const;
    int getBlockSize() const;
    int getNumInputChannels() const;
    int getNumOutputChannels() const;

    /** The queue that MIDI input fills; processors get its messages block by block. */
    juce::MidiMessageCollector& getMidiMessageCollector() noexcept { return messageCollector; }
    /** A MIDI output that receives each processor's MIDI after the block (none by default). */
    void setMidiOutput(juce::MidiOutput* output);

    void audioDeviceIOCallbackWithContext(const float* const* inputChannelData, int numInputChannels,
                                          float* const* outputChannelData, int numOutputChannels,
                                          int numSamples,
                                          const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart(juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;
    void handleIncomingMidiMessage(juce::MidiInput* source, const juce::MidiMessage& message) override;

    /** Fade speed: decibels per second of audio. */
    static constexpr double fadeDecibelsPerSecond = 200.0;
    /** The level counted as silence (dB). */
    static constexpr float silenceDb = -100.0f;

private:
    void prepareProcessor(juce::AudioProcessor& processor);
    void applyFade(juce::AudioBuffer<float>& buffer);

    juce::CriticalSection lock;
    std::vector<juce::AudioProcessor*> processors;
    double sampleRate = 0.0;
    int blockSize = 0;
    int numInputChannels = 0;
    int numOutputChannels = 0;
    bool isDoublePrecision = false;
    std::vector<float*> channels;
    juce::AudioBuffer<float> tempBuffer;
    juce::AudioBuffer<double> conversionBuffer;
    juce::MidiBuffer incomingMidi;
    juce::MidiMessageCollector messageCollector;
    juce::MidiOutput* midiOutput = nullptr;
    std::unique_ptr<RestartActionDelegate> fader;
    // A finished delegate waits here until the message thread deletes it.
    std::unique_ptr<RestartActionDelegate> retiredFader;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MultipleAudioProcessorPlayer)
};

} // namespace tessel
