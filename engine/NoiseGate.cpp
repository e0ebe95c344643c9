#include "engine/NoiseGate.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zo
{

namespace
{
constexpr double longestAttackSeconds = 0.02;
}

NoiseGate::NoiseGate(int channelsIn, double sampleRateIn, double triggerLevelIn, double attackSecondsIn,
                     double holdSecondsIn, double decaySecondsIn)
    : sampleRate(sampleRateIn), channels(channelsIn)
{
    if (channels < 1 || !std::isfinite(sampleRate) || sampleRate <= 0.0 || sampleRate > 1.0e7)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "NoiseGate: unusable settings (%d channels, %f Hz)\n", channels, sampleRate);

    ringLength = static_cast<int>(sampleRate * longestAttackSeconds) + 1;
    rings.assign(static_cast<std::size_t>(channels),
                 std::vector<double>(static_cast<std::size_t>(ringLength), 0.0));

    setTriggerLevel(triggerLevelIn);
    setAttackSeconds(attackSecondsIn);
    if (holdSecondsIn < 0.0)
    {
        std::printf("NoiseGate: holdSeconds(%f -> %f)\n", holdSecondsIn, 0.0);
        holdSecondsIn = 0.0;
    }
    holdSeconds = holdSecondsIn;
    hold = samplesOf(holdSeconds, sampleRate);
    setDecaySeconds(decaySecondsIn);
}

NoiseGate::~NoiseGate() = default;

int NoiseGate::samplesOf(double seconds, double rate) noexcept
{
    const double samples = seconds * rate;
    // Integer part, kept within 32 bits for absurdly long times.
    if (!(samples < static_cast<double>(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return static_cast<int>(samples);
}

void NoiseGate::setTriggerLevel(double level)
{
    if (level > 1.0)
    {
        std::printf("NoiseGate: triggerLevel(%f -> %f)\n", level, 1.0);
        level = 1.0;
    }
    else if (level < 0.0)
    {
        std::printf("NoiseGate: triggerLevel(%f -> %f)\n", level, 0.0);
        level = 0.0;
    }
    trigger = level;
    threshold = channels * level;
}

void NoiseGate::setAttackSeconds(double seconds)
{
    if (seconds < 0.0)
    {
        std::printf("NoiseGate: attackSeconds(%f -> %f)\n", seconds, 0.0);
        seconds = 0.0;
    }
    else if (seconds > longestAttackSeconds)
    {
        std::printf("NoiseGate: attackSeconds(%f -> %f)\n", seconds, longestAttackSeconds);
        seconds = longestAttackSeconds;
    }
    attackSeconds = seconds;
    attack = std::min(samplesOf(seconds, sampleRate), ringLength - 1);
    gainIncrement = attack == 0 ? 1.0 : 1.0 / attack;
    // The read position trails the write position by the look-ahead, wherever the write position
    // is by now.
    readIndex = (writeIndex + ringLength - attack) % ringLength;
}

void NoiseGate::setDecaySeconds(double seconds)
{
    if (seconds < 0.0)
    {
        std::printf("NoiseGate: decaySeconds(%f -> %f)\n", seconds, 0.0);
        seconds = 0.0;
    }
    decaySeconds = seconds;
    const int decaySamples = samplesOf(seconds, sampleRate);
    gainDecrement = decaySamples == 0 ? 1.0 : 1.0 / decaySamples;
}

void NoiseGate::process(double* const* outputs, int outputStride, const double* const* inputs,
                        int inputStride, int count) noexcept
{
    for (int j = 0; j < count; ++j)
    {
        double sum = 0.0;
        for (int c = 0; c < channels; ++c)
        {
            std::vector<double>& ring = rings[static_cast<std::size_t>(c)];
            const double s = inputs[c][static_cast<std::ptrdiff_t>(j) * inputStride];
            ring[static_cast<std::size_t>(writeIndex)] = s;
            outputs[c][static_cast<std::ptrdiff_t>(j) * outputStride] =
                ring[static_cast<std::size_t>(readIndex)] * currentGain;
            sum += s;
        }

        if (sum > threshold)
        {
            holdCounter = 0;
            currentGain = std::min(1.0, currentGain + gainIncrement);
        }
        else
        {
            if (holdCounter >= hold)
                currentGain = std::max(0.0, currentGain - gainDecrement);
            // Saturates instead of wrapping after hours of silence.
            if (holdCounter < std::numeric_limits<std::int32_t>::max())
                ++holdCounter;
        }

        if (++readIndex == ringLength)
            readIndex = 0;
        if (++writeIndex == ringLength)
            writeIndex = 0;
    }
}

void NoiseGate::process(double* output, int outputStride, const double* input, int inputStride,
                        int count) noexcept
{
    double* outputs[1] = {output};
    const double* inputs[1] = {input};
    process(outputs, outputStride, inputs, inputStride, count);
}

} // namespace zo
