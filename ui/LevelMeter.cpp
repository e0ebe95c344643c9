#include "ui/LevelMeter.h"

#include "processors/LevelMeterProcessor.h"

#include <cmath>

namespace tessel
{
LevelMeter::LevelMeter()
{
    setInterfaceImage(scale, "level_meter_scale_guide.png", 0xffffffff);
    setInterfaceImage(fill, "level_meter_max_gradient.png", 0);
    scale.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(scale);
    startTimer(updateIntervalMs);
}

LevelMeter::~LevelMeter()
{
    stopTimer();
}

void LevelMeter::setUpdateCallback(std::function<void()> callback)
{
    updateCallback = std::move(callback);
}

void LevelMeter::setLevel(float newLevel)
{
    level = juce::jlimit(0.0f, 1.0f, newLevel);
    repaint();
}

float LevelMeter::levelForReading(float rms, float minimumDecibels, float maximumDecibels)
{
    if (!(maximumDecibels > minimumDecibels))
        return 0.0f;

    float decibels = rms > 0.0f ? 20.0f * std::log10(rms) : -100.0f;
    decibels = juce::jmax(decibels, -100.0f);
    return (juce::jlimit(minimumDecibels, maximumDecibels, decibels) - minimumDecibels) /
           (maximumDecibels - minimumDecibels);
}

void LevelMeter::updateFromProcessor(const NodeSource& node, float& lastReading)
{
    auto* meter = findProcessor<LevelMeterProcessor>(node);

    if (meter == nullptr)
        return;

    const float reading = meter->getRMS();

    if (reading == lastReading)
        return;

    setLevel(levelForReading(reading, minimumLevel, maximumLevel));
    lastReading = reading;
}

void LevelMeter::timerCallback()
{
    if (updateCallback)
        updateCallback();
}

void LevelMeter::paint(juce::Graphics& g)
{
    const auto& image = fill.getImage();

    if (!image.isValid() || level <= 0.0f)
        return;

    // The fill picture stretched over the whole meter and clipped to its lower part: source row
    // (1 - level) * image height lands on (1 - level) * meter height, so the bar shows the lower part
    // of the gradient.
    const int top = juce::roundToInt((1.0f - level) * (float)getHeight());
    juce::Graphics::ScopedSaveState state(g);
    g.reduceClipRegion(0, top, getWidth(), getHeight() - top);
    g.setOpacity(1.0f);
    g.drawImage(image, 0, 0, getWidth(), getHeight(), 0, 0, image.getWidth(), image.getHeight(), false);
}

void LevelMeter::resized()
{
    if (getWidth() < 1 || getHeight() < 1)
        return;

    fitDrawable(scale, getLocalBounds().toFloat());
}
} // namespace tessel
