#pragma once

#include "ui/PanelParts.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace tessel
{
/** The ducking panel of the main screen: three curve pictures (OFF, WEAK, STRONG) with the selected
    one lit, the voice-activity ripple over them, the title with the ducking dot, and the three radio
    buttons that choose the ducking processor's level. Buffered to an image. */
class DuckingUI : public juce::Component
{
public:
    /** Lights (activeCyan) while the ducking processor hears the voice; grey (guideGrey) otherwise and
        whenever it or a parent is disabled. Checks every 41 ms. */
    class RippleIndicator : public juce::Component, private juce::Timer
    {
    public:
        explicit RippleIndicator(NodeSource duckingNode);
        ~RippleIndicator() override;
        void resized() override;

        /** The ripple picture. */
        juce::DrawableImage drawable;

    private:
        void timerCallback() override;

        NodeSource node;
        bool lastShown = false;
    };

    /** A red dot, shown while the ducking processor lowers the AUX signal (its level is not "OFF" and
        its gain is below 1); hidden whenever it or a parent is disabled. Checks every 41 ms. */
    class ReactorIndicator : public juce::Component, private juce::Timer
    {
    public:
        explicit ReactorIndicator(NodeSource duckingNode);
        ~ReactorIndicator() override;
        void resized() override;

        /** The dot picture; its opacity is 1 while lit, 0 otherwise. */
        juce::DrawableImage drawable;

    private:
        void timerCallback() override;

        NodeSource node;
        bool lastShown = false;
    };

    /** @param duckingNode  the audio service's ducking node pointer (followed across rebuilds) */
    explicit DuckingUI(NodeSource duckingNode);
    ~DuckingUI() override;

    /** Shows the processor's level: lights its button and its curve picture. Does nothing when the
        parameter's value is the one shown last. */
    void updateDuckingPanel();

    void resized() override;
    void enablementChanged() override;

    /** The three curve pictures, OFF, WEAK, STRONG. */
    std::array<juce::DrawableImage, 3> curves;
    RippleIndicator ripple;
    PanelTitle title;
    ReactorIndicator reactor;
    /** OFF, WEAK, STRONG. */
    std::array<juce::TextButton, 3> buttons;

    /** The mode last shown: 0 none (disabled), 1 OFF, 2 WEAK, 3 STRONG. */
    int getShownMode() const noexcept { return shownMode; }

    /** The radio group of the three buttons. */
    static constexpr int radioGroup = 15;

private:
    void buttonClicked(int index);

    NodeSource node;
    float cachedValue = -1.0f;
    int shownMode = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DuckingUI)
};
} // namespace tessel
