#pragma once

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** A small meter of the device manager's input level, drawn by the look and feel's level meter.
    Every 50 ms, while it is showing, it reads the level and repaints when it moved by more than
    0.005; while hidden it keeps 0. The level is drawn as its cube root, so that quiet input still
    shows. */
class SimpleDeviceManagerInputLevelMeter : public juce::Component, private juce::Timer
{
public:
    explicit SimpleDeviceManagerInputLevelMeter(juce::AudioDeviceManager& manager);
    ~SimpleDeviceManagerInputLevelMeter() override;

    void paint(juce::Graphics& g) override;

    /** The level last shown (linear, 0 to 1). */
    float getShownLevel() const noexcept { return level; }

private:
    void timerCallback() override;

    juce::AudioDeviceManager::LevelMeter::Ptr inputLevelGetter;
    float level = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SimpleDeviceManagerInputLevelMeter)
};
} // namespace tessel
