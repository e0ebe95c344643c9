#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace tessel
{
/** The signal-flow picture behind the main screen's panels: four layers of the same drawing at
    different opacities, a part shared by both states and the annotation line of the reverb.

    The four layers show the "bypass off" pictures while the voice conversion runs and the "bypass on"
    pictures while it is bypassed. The component covers the main screen's content area, is buffered to
    an image and ignores the mouse (itself and its children).

    Each layer has a pulse state whose triangle wave sets the layer's opacity. The pulse can be
    advanced with advancePulse(); the screen does not run it, because every step would repaint the
    whole content area: the layers stay at their initial opacities 0.620, 0.656, 0.367 and 0.910. */
class SignalFlowUI : public juce::Component, private juce::Timer
{
public:
    SignalFlowUI();
    ~SignalFlowUI() override;

    /** Shows the bypass pictures (true) or the active pictures (false) on all four layers at once,
        keeping their opacities; lays out again and repaints. Nothing happens when that set is shown
        already. */
    void setBypass(bool bypassed);
    /** Whether the bypass pictures are shown. */
    bool isBypassed() const noexcept { return bypassed; }

    /** Advances every layer's phase by its step (wrapped into [0, 2 pi)), recomputes the opacities
        and repaints. */
    void advancePulse();

    /** The opacity of a layer for a phase in radians: 0.15 + 0.85 b, with b the triangle wave
        phase / pi below pi and (2 pi - phase) / pi above. */
    static float opacityForPhase(float phase);

    /** The initial phase of layer i (0 ... 3), in radians. */
    static float initialPhase(int layer);

    void resized() override;

    /** One layer's pulse. */
    struct Pulse
    {
        float brightness = 0.0f;
        float phase = 0.0f;
        float step = 0.55702f;
    };

    /** The four layers, back to front. */
    std::array<juce::DrawableImage, 4> flow;
    /** The part common to both states. */
    juce::DrawableImage shared;
    /** The annotation line of the reverb. */
    juce::DrawableImage annotation;
    /** The pulse state of each layer. */
    std::array<Pulse, 4> pulses;

private:
    void timerCallback() override;
    void applyPulse(int layer);

    juce::CriticalSection lock;
    std::array<juce::Image, 4> activePictures;
    std::array<juce::Image, 4> bypassPictures;
    bool bypassed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SignalFlowUI)
};
} // namespace tessel
