#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

namespace testing_support
{
/** A device that only reports a configuration: open, playing, one rate and one block size, the
    given numbers of active inputs and outputs. Nothing calls back; the test or benchmark calls the
    callback it wants to drive itself. */
class ReportingAudioDevice : public juce::AudioIODevice
{
public:
    ReportingAudioDevice(double sampleRate, int blockSize, int inputs, int outputs,
                         juce::StringArray inputNames = {}, juce::StringArray outputNames = {})
        : juce::AudioIODevice("test", "test"), rate(sampleRate), block(blockSize),
          inputChannelNames(std::move(inputNames)), outputChannelNames(std::move(outputNames))
    {
        activeInputs.setRange(0, inputs, true);
        activeOutputs.setRange(0, outputs, true);
    }
    juce::StringArray getOutputChannelNames() override { return outputChannelNames; }
    juce::StringArray getInputChannelNames() override { return inputChannelNames; }
    juce::Array<double> getAvailableSampleRates() override { return {rate}; }
    juce::Array<int> getAvailableBufferSizes() override { return {block}; }
    int getDefaultBufferSize() override { return block; }
    juce::String open(const juce::BigInteger&, const juce::BigInteger&, double, int) override { return {}; }
    void close() override {}
    bool isOpen() override { return true; }
    void start(juce::AudioIODeviceCallback*) override {}
    void stop() override {}
    bool isPlaying() override { return true; }
    juce::String getLastError() override { return {}; }
    int getCurrentBufferSizeSamples() override { return block; }
    double getCurrentSampleRate() override { return rate; }
    int getCurrentBitDepth() override { return 32; }
    juce::BigInteger getActiveOutputChannels() const override { return activeOutputs; }
    juce::BigInteger getActiveInputChannels() const override { return activeInputs; }
    int getOutputLatencyInSamples() override { return 0; }
    int getInputLatencyInSamples() override { return 0; }

private:
    double rate;
    int block;
    juce::StringArray inputChannelNames, outputChannelNames;
    juce::BigInteger activeInputs, activeOutputs;
};
} // namespace testing_support
