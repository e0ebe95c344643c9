#include "processors/ReverbProcessor.h"

#include "BinaryData.h"

namespace
{
juce::ValueTree loadPrograms()
{
    const auto text = juce::String::fromUTF8(BinaryData::reverb_xml, BinaryData::reverb_xmlSize);
    if (auto xml = juce::parseXML(text))
        return juce::ValueTree::fromXml(*xml);
    return {};
}

juce::AudioParameterFloat* unitParameter(const char* id, const char* name, float defaultValue)
{
    return new juce::AudioParameterFloat(id, name, 0.0f, 1.0f, defaultValue);
}
} // namespace

ReverbProcessor::ReverbProcessor()
    : dryLevel(unitParameter("REVERB_DRY_LEVEL", "Dry Level", 1.0f)),
      wetLevel(unitParameter("REVERB_WET_LEVEL", "Wet Level", 0.3f)),
      roomSize(unitParameter("REVERB_ROOM_SIZE", "Room Size", 0.5f)),
      damping(unitParameter("REVERB_DAMPING", "Damping", 0.3f)),
      width(unitParameter("REVERB_WIDTH", "Width", 0.3f)),
      freezeMode(unitParameter("REVERB_FREEZE_MODE", "Freeze Mode", 0.0f)), programs(loadPrograms())
{
    addParameter(dryLevel);
    addParameter(wetLevel);
    addParameter(roomSize);
    addParameter(damping);
    addParameter(width);
    addParameter(freezeMode);
}

ReverbProcessor::~ReverbProcessor() = default;

const juce::String ReverbProcessor::getName() const
{
    return "Reverb";
}

void ReverbProcessor::prepareToPlay(double sampleRate, int)
{
    reverb.setSampleRate(sampleRate);
}

void ReverbProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::Reverb::Parameters parameters;
    parameters.roomSize = roomSize->get();
    parameters.damping = damping->get();
    parameters.wetLevel = wetLevel->get();
    parameters.dryLevel = dryLevel->get();
    parameters.width = width->get();
    parameters.freezeMode = freezeMode->get();
    reverb.setParameters(parameters);

    const int numSamples = buffer.getNumSamples();
    if (buffer.getNumChannels() == 2)
        reverb.processStereo(buffer.getWritePointer(0), buffer.getWritePointer(1), numSamples);
    else if (buffer.getNumChannels() == 1)
        reverb.processMono(buffer.getWritePointer(0), numSamples);
}

void ReverbProcessor::reset()
{
    reverb.reset();
}

juce::ValueTree ReverbProcessor::getProgramList() const
{
    if (programs.hasType("Programs"))
        return programs;
    return programs.getChildWithName("Programs");
}

int ReverbProcessor::getNumPrograms()
{
    return getProgramList().getNumChildren();
}

int ReverbProcessor::getCurrentProgram()
{
    return currentProgram;
}

void ReverbProcessor::setCurrentProgram(int index)
{
    if (index == currentProgram)
        return;

    const auto list = getProgramList();
    if (juce::isPositiveAndBelow(index, list.getNumChildren()))
    {
        const auto program = list.getChild(index);
        for (const auto& setting : program)
        {
            // Attributes are taken by position: the first names the parameter, the second holds
            // its normalised value.
            if (setting.getNumProperties() < 2)
                continue;
            const juce::String id = setting.getProperty(setting.getPropertyName(0)).toString();
            const float value = static_cast<float>(setting.getProperty(setting.getPropertyName(1)));

            for (auto* parameter : getParameters())
                if (auto* withId = dynamic_cast<juce::AudioProcessorParameterWithID*>(parameter))
                    if (withId->paramID == id)
                        withId->setValue(value);
        }
    }
    currentProgram = index;
}

const juce::String ReverbProcessor::getProgramName(int index)
{
    const auto list = getProgramList();
    if (!juce::isPositiveAndBelow(index, list.getNumChildren()))
        return {};
    const auto program = list.getChild(index);
    if (program.getNumProperties() == 0)
        return {};
    return program.getProperty(program.getPropertyName(0)).toString();
}
