#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The persistent part of the processing chain: eleven values that survive chain rebuilds and
    restarts, stored as the attributes of the element "PROCESSORSETUP" (settings key
    "AudioProcessorParameters").

    Every value except the reverb program is a normalised parameter value (0 to 1, as
    `juce::AudioProcessorParameter::getValue()` returns it): the mutes and the bypass are 0 or 1,
    the ducking choice 0, 0.5 or 1 ("OFF", "WEAK", "STRONG"), the offset gain (dB + 12) / 24. */
struct ProcessorSettings
{
    float voiceMuteState = 0.0f;             ///< "VoiceMuteState": voice mute, parameter 0
    float bgmMuteState = 0.0f;               ///< "BGMMuteState": AUX mute, parameter 0
    float duckingChoice = 0.0f;              ///< "DuckingChoice": ducking level, parameter 0
    float reverbLevel = 0.1f;                ///< "ReverbLevel": reverb wet level, parameter 1
    int reverbProgram = 1;                   ///< "ReverbProgram": the reverb's program index
    float voiceVocaformBypass = 0.0f;        ///< "VoiceVocaformBypass": 1 when the conversion is bypassed
    float voiceVocaformCoefficientGV = 1.0f; ///< "VoiceVocaformCoefficientGV": GV coefficient
    float voiceOffsetGainLevel = 0.5f;       ///< "VoiceOffsetGainLevel": offset gain, 0.5 is 0 dB
    float noiseGateLevel = 0.0f;             ///< "NoiseGateLevel": noise gate trigger level
    float mixerInputBLevel = 1.0f;           ///< "MixerInputBLevel": mixer channel B gain
    float mixerOutputLevel = 1.0f;           ///< "MixerOutputLevel": mixer output gain

    static constexpr const char* tagName = "PROCESSORSETUP";

    /** The values of a first start, when nothing is stored. */
    static ProcessorSettings firstRun();

    /** The values of a stored element: each attribute's text read as a number (text that is no
        number reads as 0; a value that is not finite, or a normalised value outside 0 to 1, is
        replaced by the attribute's default or clamped, so that a damaged file cannot push a
        parameter out of its range). A missing attribute gives its own default, which for some
        values differs from the first-run value. Without an element: `firstRun()`. Attributes
        other than the eleven are ignored. */
    static ProcessorSettings fromXml(const juce::XmlElement* element);

    /** A new "PROCESSORSETUP" element with all eleven attributes (the program as an integer). */
    std::unique_ptr<juce::XmlElement> toXml() const;

    bool operator==(const ProcessorSettings&) const = default;
};
