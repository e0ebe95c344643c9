#pragma once

#include "ui/PanelParts.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{
/** A vertical level meter: a gradient bar that grows from the bottom under a scale picture.

    The meter shows a fraction 0 ... 1 of its height. It has no smoothing of its own: every 41 ms it
    calls its update callback, which the owning panel sets to read a level meter processor and write
    the new level (see updateFromProcessor). */
class LevelMeter : public juce::Component, private juce::Timer
{
public:
    /** Loads the scale ("level_meter_scale_guide.png", white) and the fill
        ("level_meter_max_gradient.png") and starts the 41 ms timer. */
    LevelMeter();
    ~LevelMeter() override;

    /** Called on every timer tick; empty by default. */
    void setUpdateCallback(std::function<void()> callback);

    /** Sets the displayed fraction (clamped to 0 ... 1) and repaints. */
    void setLevel(float newLevel);
    /** The displayed fraction, 0 ... 1. */
    float getLevel() const noexcept { return level; }

    /** The displayed fraction for a linear RMS reading: 20 log10(rms) dB (-100 dB for 0 or less),
        clamped to minimumDecibels ... maximumDecibels and mapped linearly to 0 ... 1. */
    static float levelForReading(float rms, float minimumDecibels, float maximumDecibels);

    /** Reads the RMS of the level meter processor in node; when it differs from lastReading, writes
        the level, repaints and stores the reading in lastReading. Does nothing for an empty node or
        a node of another type. */
    void updateFromProcessor(const NodeSource& node, float& lastReading);

    /** The level in dB shown as empty. */
    float minimumLevel = -65.0f;
    /** The level in dB shown as full. */
    float maximumLevel = 12.0f;

    /** The timer interval, in milliseconds. */
    static constexpr int updateIntervalMs = 41;

    /** The scale picture (a child, on top of the bar). */
    juce::DrawableImage scale;

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    void timerCallback() override;

    std::function<void()> updateCallback;
    float level = 0.0f;
    juce::DrawableImage fill;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LevelMeter)
};
} // namespace tessel
