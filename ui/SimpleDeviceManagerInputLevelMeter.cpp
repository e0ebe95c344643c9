#include "ui/SimpleDeviceManagerInputLevelMeter.h"

#include <cmath>

namespace tessel
{
SimpleDeviceManagerInputLevelMeter::SimpleDeviceManagerInputLevelMeter(juce::AudioDeviceManager& manager)
    : inputLevelGetter(manager.getInputLevelGetter())
{
    startTimer(50);
}

SimpleDeviceManagerInputLevelMeter::~SimpleDeviceManagerInputLevelMeter()
{
    stopTimer();
}

void SimpleDeviceManagerInputLevelMeter::timerCallback()
{
    if (!isShowing())
    {
        level = 0.0f;
        return;
    }

    const auto newLevel = static_cast<float>(inputLevelGetter->getCurrentLevel());
    if (std::abs(level - newLevel) > 0.005f)
    {
        level = newLevel;
        repaint();
    }
}

void SimpleDeviceManagerInputLevelMeter::paint(juce::Graphics& g)
{
    // The cube root lifts quiet input into view.
    getLookAndFeel().drawLevelMeter(g, getWidth(), getHeight(), std::exp(std::log(level) / 3.0f));
}
} // namespace tessel
