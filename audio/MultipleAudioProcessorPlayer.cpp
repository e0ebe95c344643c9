#include "audio/MultipleAudioProcessorPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessel
{

MultipleAudioProcessorPlayer::MultipleAudioProcessorPlayer() = default;

MultipleAudioProcessorPlayer::~MultipleAudioProcessorPlayer()
{
    const juce::ScopedLock sl(lock);
    processors.clear();
    fader.reset();
    retiredFader.reset();
}

void MultipleAudioProcessorPlayer::prepareProcessor(juce::AudioProcessor& processor)
{
    processor.setPlayConfigDetails(numInputChannels, numOutputChannels, sampleRate, blockSize);
    const bool useDouble = processor.supportsDoublePrecisionProcessing() && isDoublePrecision;
    processor.setProcessingPrecision(useDouble ? juce::AudioProcessor::doublePrecision
                                               : juce::AudioProcessor::singlePrecision);
    processor.prepareToPlay(sampleRate, blockSize);
}

void MultipleAudioProcessorPlayer::addProcessor(juce::AudioProcessor* processor)
{
    const juce::ScopedLock sl(lock);
    if (std::find(processors.begin(), processors.end(), processor) != processors.end())
        return;
    processors.push_back(processor);
    if (processor != nullptr && sampleRate > 0.0 && blockSize > 0)
        prepareProcessor(*processor);
}

void MultipleAudioProcessorPlayer::removeProcessor(juce::AudioProcessor* processor)
{
    const juce::ScopedLock sl(lock);
    processors.erase(std::remove(processors.begin(), processors.end(), processor), processors.end());
}

std::vector<juce::AudioProcessor*> MultipleAudioProcessorPlayer::getProcessors() const
{
    const juce::ScopedLock sl(lock);
    return processors;
}

void MultipleAudioProcessorPlayer::installFader(std::unique_ptr<RestartActionDelegate> newFader)
{
    std::unique_ptr<RestartActionDelegate> oldFader;
    std::unique_ptr<RestartActionDelegate> finishedFader;
    {
        const juce::ScopedLock sl(lock);
        if (newFader != nullptr && fader != nullptr)
        {
            newFader->currentGainDb = fader->currentGainDb;
            newFader->targetGainDb = fader->targetGainDb;
            newFader->sampleRate = fader->sampleRate;
        }
        if (newFader != nullptr)
            newFader->state = RestartActionDelegate::fadingOut;
        oldFader = std::move(fader);
        fader = std::move(newFader);
        finishedFader = std::move(retiredFader);
    }
    // Deleted outside the lock: the audio thread need not wait for it.
}

bool MultipleAudioProcessorPlayer::isFading() const
{
    const juce::ScopedLock sl(lock);
    return fader != nullptr;
}

float MultipleAudioProcessorPlayer::getFadeLevelDb() const
{
    const juce::ScopedLock sl(lock);
    return fader != nullptr ? fader->currentGainDb : 0.0f;
}

double MultipleAudioProcessorPlayer::getSampleRate() const
{
    const juce::ScopedLock sl(lock);
    return sampleRate;
}

int MultipleAudioProcessorPlayer::getBlockSize() const
{
    const juce::ScopedLock sl(lock);
    return blockSize;
}

int MultipleAudioProcessorPlayer::getNumInputChannels() const
{
    const juce::ScopedLock sl(lock);
    return numInputChannels;
}

int MultipleAudioProcessorPlayer::getNumOutputChannels() const
{
    const juce::ScopedLock sl(lock);
    return numOutputChannels;
}

void MultipleAudioProcessorPlayer::setMidiOutput(juce::MidiOutput* output)
{
    const juce::ScopedLock sl(lock);
    midiOutput = output;
}

void MultipleAudioProcessorPlayer::audioDeviceAboutToStart(juce::AudioIODevice* device)
{
    const double newRate = device->getCurrentSampleRate();
    const int newBlockSize = device->getCurrentBufferSizeSamples();
    const int newInputs = device->getActiveInputChannels().countNumberOfSetBits();
    const int newOutputs = device->getActiveOutputChannels().countNumberOfSetBits();

    const juce::ScopedLock sl(lock);
    sampleRate = newRate;
    blockSize = newBlockSize;
    numInputChannels = newInputs;
    numOutputChannels = newOutputs;
    messageCollector.reset(newRate > 0.0 ? newRate : 44100.0);
    channels.assign(static_cast<size_t>(std::max(newInputs, newOutputs) + 2), nullptr);

    // Everything the callback needs is sized here, so that it does not allocate.
    const int samples = std::max(1, newBlockSize);
    tempBuffer.setSize(std::max(1, newInputs - newOutputs), samples);
    conversionBuffer.setSize(std::max(1, std::max(newInputs, newOutputs)), samples);
    incomingMidi.ensureSize(4096);

    if (sampleRate > 0.0 && blockSize > 0)
        for (auto* processor : processors)
            if (processor != nullptr)
                prepareProcessor(*processor);
}

void MultipleAudioProcessorPlayer::audioDeviceStopped()
{
    const juce::ScopedLock sl(lock);
    sampleRate = 0.0;
    blockSize = 0;
    tempBuffer.setSize(1, 1);
}

void MultipleAudioProcessorPlayer::handleIncomingMidiMessage(juce::MidiInput*,
                                                             const juce::MidiMessage& message)
{
    messageCollector.addMessageToQueue(message);
}

void MultipleAudioProcessorPlayer::audioDeviceIOCallbackWithContext(const float* const* inputChannelData,
                                                                    int numInputs,
                                                                    float* const* outputChannelData,
                                                                    int numOutputs, int numSamples,
                                                                    const juce::AudioIODeviceCallbackContext&)
{
    incomingMidi.clear();
    if (sampleRate > 0.0)
        messageCollector.removeNextBlockOfMessages(incomingMidi, numSamples);

    const auto bytes = static_cast<size_t>(numSamples) * sizeof(float);
    const int totalChannels = std::max(numInputs, numOutputs);
    if (static_cast<int>(channels.size()) < totalChannels)
        channels.resize(
            static_cast<size_t>(totalChannels)); // only when the device did not announce its channels

    if (numInputs > numOutputs)
    {
        // Inputs without an output channel are worked on in the spare buffer; the device's input
        // data itself must not be written.
        tempBuffer.setSize(numInputs - numOutputs, numSamples, false, false, true);
        for (int i = 0; i < numOutputs; ++i)
        {
            channels[static_cast<size_t>(i)] = outputChannelData[i];
            std::memcpy(outputChannelData[i], inputChannelData[i], bytes);
        }
        for (int i = numOutputs; i < numInputs; ++i)
        {
            float* spare = tempBuffer.getWritePointer(i - numOutputs);
            channels[static_cast<size_t>(i)] = spare;
            std::memcpy(spare, inputChannelData[i], bytes);
        }
    }
    else
    {
        for (int i = 0; i < numInputs; ++i)
        {
            channels[static_cast<size_t>(i)] = outputChannelData[i];
            std::memcpy(outputChannelData[i], inputChannelData[i], bytes);
        }
        for (int i = numInputs; i < numOutputs; ++i)
        {
            channels[static_cast<size_t>(i)] = outputChannelData[i];
            std::memset(outputChannelData[i], 0, bytes);
        }
    }

    juce::AudioBuffer<float> buffer(channels.data(), totalChannels, numSamples);

    const juce::ScopedLock sl(lock);

    if (fader != nullptr)
        applyFade(buffer);

    bool anyProcessor = false;
    for (auto* processor : processors)
    {
        if (processor == nullptr)
            continue;
        anyProcessor = true;

        const juce::ScopedLock processorLock(processor->getCallbackLock());
        if (processor->isSuspended())
            continue;

        if (processor->isUsingDoublePrecision())
        {
            conversionBuffer.makeCopyOf(buffer, true);
            processor->processBlock(conversionBuffer, incomingMidi);
            buffer.makeCopyOf(conversionBuffer, true);
        }
        else
        {
            processor->processBlock(buffer, incomingMidi);
        }

        if (midiOutput != nullptr)
            midiOutput->sendBlockOfMessagesNow(incomingMidi);
    }

    if (!anyProcessor)
        for (int i = 0; i < numOutputs; ++i)
            juce::FloatVectorOperations::clear(outputChannelData[i], numSamples);
}

void MultipleAudioProcessorPlayer::applyFade(juce::AudioBuffer<float>& buffer)
{
    auto& f = *fader;
    const int numSamples = buffer.getNumSamples();
    if (numSamples <= 0 || sampleRate <= 0.0)
        return;

    f.sampleRate = sampleRate;
    const auto stepDb = static_cast<float>(-fadeDecibelsPerSecond / sampleRate);
    const int state = f.state.load();

    if (state == RestartActionDelegate::fadingOut)
        f.targetGainDb = std::max(f.currentGainDb + stepDb * static_cast<float>(numSamples), silenceDb);
    else if (state == RestartActionDelegate::fadingIn)
        f.targetGainDb = std::min(f.currentGainDb - stepDb * static_cast<float>(numSamples), 0.0f);

    const auto toGain = [](float db) { return db > silenceDb ? std::pow(10.0f, db / 20.0f) : 0.0f; };
    const float g0 = toGain(f.currentGainDb);
    const float g1 = toGain(f.targetGainDb);

    if (g0 != g1)
    {
        const float increment = (g1 - g0) / static_cast<float>(numSamples);
        for (int c = 0; c < buffer.getNumChannels(); ++c)
        {
            float* data = buffer.getWritePointer(c);
            for (int k = 0; k < numSamples; ++k)
                data[k] *= g0 + static_cast<float>(k) * increment;
        }
    }
    else if (g0 == 0.0f)
    {
        buffer.clear();
    }
    else if (g0 != 1.0f)
    {
        buffer.applyGain(g0);
    }

    f.currentGainDb = f.targetGainDb;

    if (state == RestartActionDelegate::fadingIn && f.currentGainDb >= 0.0f)
    {
        f.state = RestartActionDelegate::finished;
        // Not deleted here: the message thread frees it at the next installation or with the
        // player.
        retiredFader = std::move(fader);
        return;
    }

    if (state == RestartActionDelegate::fadingOut && f.currentGainDb <= silenceDb)
    {
        f.state = RestartActionDelegate::fadedOut;
        f.beginAction();
    }
}

} // namespace tessel
