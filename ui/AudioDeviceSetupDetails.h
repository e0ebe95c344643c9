#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

namespace tessel
{
/** What the audio settings panels may do with the device setup: the device manager they edit and
    how many input and output channels may be active. */
struct AudioDeviceSetupDetails
{
    juce::AudioDeviceManager* manager = nullptr;
    int minNumInputChannels = 0;
    int maxNumInputChannels = 0;
    int minNumOutputChannels = 0;
    int maxNumOutputChannels = 0;
    /** Lists channels as stereo pairs ("a + b") instead of one by one. */
    bool useStereoPairs = false;
};

/** The entry that stands for no device or no channel: "<< " + the translated "General_None" + " >>". */
juce::String getNoneEntryText();
} // namespace tessel
