#include "processors/NoiseGate.h"

#include <algorithm>
#include <cstdio>

namespace tsx
{

NoiseGate::NoiseGate(double sampleRate_, int numChannels_, double triggerLevel_)
    : sampleRate(sampleRate_), numChannels(std::max(0, numChannels_)),
      triggerLevel(clampTriggerLevel(triggerLevel_)), threshold(numChannels * triggerLevel),
      attackSamples(static_cast<int>(attackSeconds * sampleRate)),
      holdSamples(static_cast<int>(holdSeconds * sampleRate)),
      decaySamples(static_cast<int>(decaySeconds * sampleRate)), delayLength(holdSamples + 1),
      decayStep(decaySamples > 0 ? 1.0 / decaySamples : 1.0),
      attackStep(attackSamples > 0 ? 1.0 / attackSamples : 1.0)
{
    // The look-ahead must fit in the delay line; it does at every rate (1 ms against 20 ms + 1).
    readIndex = std::max(0, delayLength - attackSamples) % delayLength;
    delayBuffer.assign(static_cast<size_t>(numChannels) * static_cast<size_t>(delayLength), 0.0);
    channelDelay.resize(static_cast<size_t>(numChannels));
    for (int k = 0; k < numChannels; ++k)
        channelDelay[static_cast<size_t>(k)] = delayBuffer.data() + static_cast<size_t>(k) * delayLength;
}

NoiseGate::~NoiseGate() = default;

double NoiseGate::clampTriggerLevel(double level)
{
    const double clamped = std::clamp(level, 0.0, 1.0);
    if (clamped != level)
        std::printf("NoiseGate: triggerLevel(%f -> %f)\n", level, clamped);
    return clamped;
}

void NoiseGate::setTriggerLevel(double newTriggerLevel)
{
    triggerLevel = clampTriggerLevel(newTriggerLevel);
    threshold = numChannels * triggerLevel;
}

void NoiseGate::process(double* const* channels, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        double sum = 0.0;
        for (int k = 0; k < numChannels; ++k)
        {
            const double x = channels[k][i];
            double* line = channelDelay[static_cast<size_t>(k)];
            line[writeIndex] = x;
            channels[k][i] = line[readIndex] * gain;
            sum += x;
        }

        if (sum > threshold)
        {
            holdCounter = 0;
            gain = std::min(gain + attackStep, 1.0);
        }
        else
        {
            if (holdCounter >= holdSamples)
                gain = std::max(gain - decayStep, 0.0);
            // Counting stops once the hold time is over: it only matters whether it is over, and a
            // counter that kept running would overflow after a few hours of silence.
            if (holdCounter < holdSamples)
                ++holdCounter;
        }

        if (++readIndex == delayLength)
            readIndex = 0;
        if (++writeIndex == delayLength)
            writeIndex = 0;
    }
}

} // namespace tsx
