#include "processors/ProcessorBase.h"

ProcessorBase::ProcessorBase() = default;

ProcessorBase::~ProcessorBase() = default;

void ProcessorBase::releaseResources() {}

void ProcessorBase::processBlock(juce::AudioBuffer<double>&, juce::MidiBuffer&) {}

double ProcessorBase::getTailLengthSeconds() const
{
    return 0.0;
}

bool ProcessorBase::acceptsMidi() const
{
    return false;
}

bool ProcessorBase::producesMidi() const
{
    return false;
}

juce::AudioProcessorEditor* ProcessorBase::createEditor()
{
    return nullptr;
}

bool ProcessorBase::hasEditor() const
{
    return false;
}

int ProcessorBase::getNumPrograms()
{
    return 0;
}

int ProcessorBase::getCurrentProgram()
{
    return 0;
}

void ProcessorBase::setCurrentProgram(int) {}

const juce::String ProcessorBase::getProgramName(int)
{
    return {};
}

void ProcessorBase::changeProgramName(int, const juce::String&) {}

void ProcessorBase::getStateInformation(juce::MemoryBlock&) {}

void ProcessorBase::setStateInformation(const void*, int) {}

bool ProcessorBase::isOn(const juce::AudioParameterBool& parameter) noexcept
{
    return static_cast<const juce::AudioProcessorParameter&>(parameter).getValue() >= 0.5f;
}
