#include "processors/MuteProcessor.h"

MuteProcessor::MuteProcessor() : enable(new juce::AudioParameterBool("Enable", "Mute Enable", false))
{
    addParameter(enable);
}

MuteProcessor::~MuteProcessor() = default;

const juce::String MuteProcessor::getName() const
{
    return "Mute";
}

void MuteProcessor::prepareToPlay(double, int) {}

void MuteProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (isOn(*enable) && !buffer.hasBeenCleared())
        buffer.clear();
}

void MuteProcessor::reset()
{
    if (isOn(*enable))
    {
        enable->setValueNotifyingHost(0.0f);
    }
}
