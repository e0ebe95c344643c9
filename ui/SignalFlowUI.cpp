#include "ui/SignalFlowUI.h"

#include "ui/InterfaceImages.h"
#include "ui/Palette.h"
#include "ui/PanelParts.h"

namespace tessel
{
namespace
{
constexpr float twoPi = juce::MathConstants<float>::twoPi;
constexpr float pi = juce::MathConstants<float>::pi;

float wrapPhase(float phase)
{
    return phase > twoPi ? phase - twoPi : phase;
}
} // namespace

SignalFlowUI::SignalFlowUI()
{
    for (int i = 0; i < 4; ++i)
    {
        const auto n = juce::String(i + 1);
        activePictures[(size_t)i] = getInterfaceImage("signalflow_bypass_off_" + n + "of4.png");
        bypassPictures[(size_t)i] = getInterfaceImage("signalflow_bypass_on_" + n + "of4.png");
    }

    for (int i = 0; i < 4; ++i)
    {
        auto& layer = flow[(size_t)i];
        layer.setOverlayColour(juce::Colour(palette::activeCyan));
        addAndMakeVisible(layer);

        pulses[(size_t)i].phase = initialPhase(i);
        applyPulse(i);
    }

    setInterfaceImage(shared, "signalflow_shared.png", palette::activeCyan);
    addAndMakeVisible(shared);
    setInterfaceImage(annotation, "space_annotation_line.png", palette::activeCyan);
    addAndMakeVisible(annotation);

    setInterceptsMouseClicks(false, false);
    setBufferedToImage(true);
    setBypass(false);
}

SignalFlowUI::~SignalFlowUI()
{
    stopTimer();
}

float SignalFlowUI::initialPhase(int layer)
{
    return wrapPhase((0.2f * (float)layer + 0.13f) * 13.368481f);
}

float SignalFlowUI::opacityForPhase(float phase)
{
    const float brightness = phase < pi ? phase / pi : (twoPi - phase) / pi;
    return 0.15f + 0.85f * brightness;
}

void SignalFlowUI::applyPulse(int layer)
{
    auto& pulse = pulses[(size_t)layer];
    pulse.brightness = pulse.phase < pi ? pulse.phase / pi : (twoPi - pulse.phase) / pi;
    flow[(size_t)layer].setOpacity(opacityForPhase(pulse.phase));
}

void SignalFlowUI::advancePulse()
{
    for (int i = 0; i < 4; ++i)
    {
        auto& pulse = pulses[(size_t)i];
        pulse.phase += pulse.step;

        if (pulse.phase >= twoPi)
            pulse.phase -= twoPi;

        applyPulse(i);
    }

    repaint();
}

void SignalFlowUI::timerCallback()
{
    advancePulse();
}

void SignalFlowUI::setBypass(bool shouldBypass)
{
    const juce::ScopedLock sl(lock);

    // The screen asks on every refresh; the buffered picture is redrawn only when the set changes.
    if (shouldBypass == bypassed && flow[0].getImage().isValid())
        return;

    bypassed = shouldBypass;

    for (size_t i = 0; i < flow.size(); ++i)
        flow[i].setImage(bypassed ? bypassPictures[i] : activePictures[i]);

    resized();
    repaint();
}

void SignalFlowUI::resized()
{
    const float w = (float)getWidth();
    const float h = (float)getHeight();

    // The flow runs through the middle row of the screen (its centre line is at y) and down into the
    // bottom row by d.
    const float e = juce::jmin(h, 0.5216165f * h);
    const float d = juce::jmin(h - e, 0.28238344f * h) * 0.618f;
    const float half = 0.5f * e;
    const float f = half + d;
    const float m0 = 0.0139f * w;
    const float inner = juce::jmax(w - 2.0f * m0, 0.0f);
    const float l = (2.0f * inner / 6.0f) * 0.38197097f * 0.5f;
    const float x = m0 + l;
    const float s = inner / 6.0f;
    const float g = inner - l - s;
    const float y = 0.41680825f * h;

    if (f > 0.0f && g > 0.0f)
        for (auto& layer : flow)
            fitDrawable(layer, {x, y, g, f});

    const float sharedX = x + g - 2.5f * s - 5.0f;
    fitDrawable(shared, {sharedX, y, inner / 3.0f, f});

    if (s > 0.0f && d > 0.0f)
        fitDrawable(annotation, {sharedX + s, y + half, s, d});
}
} // namespace tessel
