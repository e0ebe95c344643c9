#include "processors/DuckingProcessor.h"

#include <cmath>

DuckingProcessor::DuckingProcessor()
    : duckingLevel(new juce::AudioParameterChoice("Ducking Level", "Ducking Level",
                                                  juce::StringArray{"OFF", "WEAK", "STRONG"}, 0))
{
    addParameter(duckingLevel);
}

DuckingProcessor::~DuckingProcessor() = default;

const juce::String DuckingProcessor::getName() const
{
    return "Ducking";
}

void DuckingProcessor::prepareToPlay(double, int)
{
    energySum = 0.0;
    ringIndex = 0;
    ring.assign(static_cast<size_t>(windowLength), 0.0);
    gain = 1.0f;
    appliedGain.store(gain, std::memory_order_relaxed);
    ducking = false;
    updateTarget();
}

void DuckingProcessor::updateTarget()
{
    const int index = duckingLevel->getIndex();
    if (!juce::isPositiveAndBelow(index, duckingLevel->choices.size()))
        return;

    const juce::String& choice = duckingLevel->choices.getReference(index);
    if (choice == "OFF")
        duckGain = offGain;
    else if (choice == "WEAK")
        duckGain = weakGain;
    else if (choice == "STRONG")
        duckGain = strongGain;
}

void DuckingProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    updateTarget();

    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();
    const int ringSize = static_cast<int>(ring.size());
    if (ringSize == 0 || numChannels == 0)
        return;

    // The side chain is channel 2 in the chain; with fewer channels the last one is used, and with
    // fewer than two channels nothing is changed (there is no AUX channel besides the side chain).
    const int sideChannel = juce::jmin(2, numChannels - 1);
    const float* side = buffer.getReadPointer(sideChannel);
    const int numAuxChannels = numChannels >= 2 ? numChannels - 1 : 0;
    float* aux[2] = {numAuxChannels > 0 ? buffer.getWritePointer(0) : nullptr,
                     numAuxChannels > 1 ? buffer.getWritePointer(1) : nullptr};

    bool isDuckingNow = ducking.load(std::memory_order_relaxed);
    for (int i = 0; i < numSamples; ++i)
    {
        const double sample = side[i];
        const double energy = sample * sample;
        energySum = energySum - ring[static_cast<size_t>(ringIndex)] + energy;
        ring[static_cast<size_t>(ringIndex)] = energy;

        for (int c = 0; c < numAuxChannels; ++c)
        {
            float* channel = c < 2 ? aux[c] : buffer.getWritePointer(c);
            channel[i] *= gain;
        }

        // The running sum can end a hair below zero after loud input followed by digital silence;
        // a negative sum would give a NaN level that neither starts nor ends ducking.
        const double rms = std::sqrt(juce::jmax(0.0, energySum) / windowLength);

        float target;
        if (rms > startLevel)
        {
            isDuckingNow = true;
            target = duckGain;
        }
        else if (rms < stopLevel)
        {
            isDuckingNow = false;
            target = 1.0f;
        }
        else
        {
            target = isDuckingNow ? duckGain : 1.0f;
        }

        if (target < gain)
            gain = juce::jmax(gain * attackFactor, duckGain);
        else
            gain = juce::jmin(gain * releaseFactor, 1.0f);

        if (++ringIndex == ringSize)
            ringIndex = 0;
    }
    ducking.store(isDuckingNow, std::memory_order_relaxed);
    appliedGain.store(gain, std::memory_order_relaxed);
}

void DuckingProcessor::reset()
{
    if (duckingLevel->getIndex() != 0)
        duckingLevel->setValueNotifyingHost(duckingLevel->convertTo0to1(0.0f));
}

bool DuckingProcessor::isDucking() const noexcept
{
    return ducking.load(std::memory_order_relaxed);
}

float DuckingProcessor::getGain() const noexcept
{
    return appliedGain.load(std::memory_order_relaxed);
}
