#pragma once

#include "ui/PanelParts.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The reverb ("space") panel: on the left the picture of the reverb program over a ring whose size
    follows the wet level and the program drop-down; on the right the wet-level knob, the title and
    the value field. Buffered to an image. */
class ReverbUI : public juce::Component
{
public:
    /** @param reverbNode  the audio service's reverb node pointer (followed across rebuilds) */
    explicit ReverbUI(NodeSource reverbNode);
    ~ReverbUI() override;

    /** Shows the processor's program and wet level, unless both are the ones shown last. */
    void updateReverbPanel();

    /** The picture shown for a program index: "space_type_a.png" ... "space_type_f.png", repeating
        after six programs. */
    static juce::String getProgramPictureName(int programIndex);

    void paint(juce::Graphics& g) override;
    void resized() override;

    /** The program picture (tinted activeCyan). */
    juce::DrawableImage programPicture;
    /** The size ring, drawn by paint (tinted activeCyan). */
    juce::DrawableImage ring;
    juce::ComboBox programs;
    juce::Slider knob;
    PanelTitle title;
    ValueField valueField;

    /** Where the ring is drawn at full size, in the panel's coordinates. */
    juce::Rectangle<int> getRingArea() const noexcept { return ringArea; }
    /** The box the ring is fitted into for the knob's current value: the ring area scaled by
        0.45 + 0.55 * value / 100 about its centre. */
    juce::Rectangle<float> getRingBox() const;
    /** The program whose picture is shown. */
    int getShownPicture() const noexcept { return shownPicture; }

private:
    void fillProgramList();
    void showPicture(int programIndex);

    NodeSource node;
    PercentControl control;
    juce::Rectangle<int> pictureArea;
    juce::Rectangle<int> ringArea;
    int cachedProgram = -1;
    int shownPicture = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ReverbUI)
};
} // namespace tessel
