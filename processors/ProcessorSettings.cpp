#include "processors/ProcessorSettings.h"

#include <cmath>

namespace
{
/** A normalised value read from an attribute: missing gives the fallback, text that is no number
    gives 0, anything not finite gives the fallback, and the rest is clamped to 0..1. */
float readNormalised(const juce::XmlElement& element, const char* name, float fallback)
{
    if (!element.hasAttribute(name))
        return fallback;
    const auto value = static_cast<float>(element.getStringAttribute(name).getDoubleValue());
    if (!std::isfinite(value))
        return fallback;
    return juce::jlimit(0.0f, 1.0f, value);
}
} // namespace

ProcessorSettings ProcessorSettings::firstRun()
{
    return {};
}

ProcessorSettings ProcessorSettings::fromXml(const juce::XmlElement* element)
{
    if (element == nullptr)
        return firstRun();

    ProcessorSettings s;
    s.voiceMuteState = readNormalised(*element, "VoiceMuteState", 0.0f);
    s.bgmMuteState = readNormalised(*element, "BGMMuteState", 0.0f);
    s.duckingChoice = readNormalised(*element, "DuckingChoice", 0.0f);
    s.reverbLevel = readNormalised(*element, "ReverbLevel", 0.3f);
    s.reverbProgram = element->hasAttribute("ReverbProgram")
                          ? element->getStringAttribute("ReverbProgram").getIntValue()
                          : 0;
    s.voiceVocaformBypass = readNormalised(*element, "VoiceVocaformBypass", 0.0f);
    s.voiceVocaformCoefficientGV = readNormalised(*element, "VoiceVocaformCoefficientGV", 1.0f);
    s.voiceOffsetGainLevel = readNormalised(*element, "VoiceOffsetGainLevel", 0.5f);
    s.noiseGateLevel = readNormalised(*element, "NoiseGateLevel", 0.5f);
    s.mixerInputBLevel = readNormalised(*element, "MixerInputBLevel", 1.0f);
    s.mixerOutputLevel = readNormalised(*element, "MixerOutputLevel", 1.0f);
    return s;
}

std::unique_ptr<juce::XmlElement> ProcessorSettings::toXml() const
{
    auto element = std::make_unique<juce::XmlElement>(tagName);
    element->setAttribute("VoiceMuteState", voiceMuteState);
    element->setAttribute("BGMMuteState", bgmMuteState);
    element->setAttribute("DuckingChoice", duckingChoice);
    element->setAttribute("ReverbLevel", reverbLevel);
    element->setAttribute("ReverbProgram", reverbProgram);
    element->setAttribute("VoiceVocaformBypass", voiceVocaformBypass);
    element->setAttribute("VoiceVocaformCoefficientGV", voiceVocaformCoefficientGV);
    element->setAttribute("VoiceOffsetGainLevel", voiceOffsetGainLevel);
    element->setAttribute("NoiseGateLevel", noiseGateLevel);
    element->setAttribute("MixerInputBLevel", mixerInputBLevel);
    element->setAttribute("MixerOutputLevel", mixerOutputLevel);
    return element;
}
