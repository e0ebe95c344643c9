#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace testing_support
{
/** A stored device setup ("DEVICESETUP") that opens the JACK client `clientName` of a test as
    both the input and the output device: three inputs (voice, AUX left, AUX right) and two
    outputs. */
inline std::unique_ptr<juce::XmlElement> jackDeviceSetup(const juce::String& clientName, int sampleRate,
                                                         int periodSize)
{
    auto device = std::make_unique<juce::XmlElement>("DEVICESETUP");
    device->setAttribute("deviceType", "JACK");
    device->setAttribute("audioOutputDeviceName", clientName);
    device->setAttribute("audioInputDeviceName", clientName);
    device->setAttribute("audioDeviceRate", sampleRate);
    device->setAttribute("audioDeviceBufferSize", periodSize);
    device->setAttribute("audioDeviceInChans", "111");
    device->setAttribute("audioDeviceOutChans", "11");
    return device;
}
} // namespace testing_support
