#pragma once

#include "ui/Slice9.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{
/** A node of the processor graph. */
using NodePtr = juce::AudioProcessorGraph::Node::Ptr;

/** Where a panel finds the node it is bound to: a function returning the audio service's current node
    (under the service's graph lock). Panels ask for the node each time they use it, so they follow a
    rebuilt chain; an empty function stands for an empty node. */
using NodeSource = std::function<NodePtr()>;

/** The node's processor when it is of type P; null for an empty node or another type. */
template <typename P> P* findProcessor(const NodePtr& node)
{
    return node != nullptr ? dynamic_cast<P*>(node->getProcessor()) : nullptr;
}

/** The processor of the source's current node when it is of type P; null otherwise. The service keeps
    the node alive: use the pointer on the message thread only, before anything can rebuild the chain. */
template <typename P> P* findProcessor(const NodeSource& source)
{
    return source ? findProcessor<P>(source()) : nullptr;
}

/** The parameter at index of the node's processor; null for an empty node or a missing index. */
juce::AudioProcessorParameter* findParameter(const NodePtr& node, int index);
/** The parameter at index of the processor of the source's current node, or null. */
juce::AudioProcessorParameter* findParameter(const NodeSource& source, int index);

/** Fits a drawable uniformly and centred into area (in its parent's coordinates): scaled by
    min(area width / drawable width, area height / drawable height) and centred in both directions.
    Nothing happens when the area or the drawable is empty. */
void fitDrawable(juce::Drawable& drawable, juce::Rectangle<float> area);

/** Makes a drawable image show a file of the interface images with an overlay colour; the image is
    drawn as a mask in that colour unless the colour is transparent. */
void setInterfaceImage(juce::DrawableImage& drawable, const juce::String& fileName, juce::uint32 overlay);

/** Rounds a float rectangle to integer bounds, each of x, y, width and height to the nearest integer. */
juce::Rectangle<int> roundedBounds(juce::Rectangle<float> area);

/** A panel title: a label with a translated key as its text, whose font height is a fixed fraction
    of the label's height, set again on every resize. */
class PanelTitle : public juce::Label
{
public:
    /** @param translationKey  the key whose translation is shown
        @param fontProportion  font height / label height
        @param placement       where the text sits */
    PanelTitle(const juce::String& translationKey, float fontProportion,
               juce::Justification placement = juce::Justification::centred);

    void resized() override;

    /** Font height / label height. */
    const float fontProportion;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PanelTitle)
};

/** The value field of the knob panels and the output panel: an editable label centred over a small
    nine-slice frame tinted accentBlue, both filling the field. A single click opens the editor, which
    is centred and accepts at most 10 digits; losing focus keeps what was typed. The font height is
    half the field's height. */
class ValueField : public juce::Component
{
public:
    ValueField();
    ~ValueField() override;

    void resized() override;
    void enablementChanged() override;

    /** The editable label; owners set its onTextChange and its text. */
    juce::Label label;
    /** The frame behind the label. */
    Slice9 frame;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ValueField)
};

/** Binds a 0 ... 100 % control to a processor parameter: the knob and slider panels' shared logic.

    The control writes (value - minimum) / (maximum - minimum) into the parameter with setValue (no
    host notification); the value field sets the control's value from the number typed (clamped by
    the control); update() shows the parameter's value unless it is the one shown last. */
class PercentControl
{
public:
    /** @param slider          the knob or slider; its range is set to 0 ... 100, step 1
        @param field           the value field showing "<value>%"
        @param node            the node whose processor owns the parameter
        @param parameterIndex  the parameter's index in the processor's list
        @param afterChange     run after the control wrote the parameter (the panel's update) */
    PercentControl(juce::Slider& slider, ValueField& field, NodeSource node, int parameterIndex,
                   std::function<void()> afterChange);

    /** Shows the parameter's value on the control and the field unless it equals the cached one;
        returns true when something changed. The field's text stays while its editor is open. */
    bool update();

    /** The value the control shows, 0 ... 100. */
    double getValue() const;

    /** Forgets the cached value, so the next update shows the parameter again. */
    void invalidate() { cachedValue = -1.0; }

    static constexpr double minimum = 0.0;
    static constexpr double maximum = 100.0;

    /** The text of the value field for a value: its integer part followed by "%". */
    static juce::String formatValue(double value);

private:
    juce::Slider& slider;
    ValueField& field;
    NodeSource node;
    const int parameterIndex;
    std::function<void()> afterChange;
    double cachedValue = -1.0;
};

/** The frame of the three upper panels (input, model, output): the HUD panel picture tinted blue,
    passing clicks through. */
void setUpHudFrame(Slice9& frame);

/** Where the parts of an upper panel go in a component of the given size: the frame inset by
    `corner` on every side, the content starting at `origin` (x and y) with `width` x `height`, and
    the title row `titleHeight` high at its top. */
struct HudPanelArea
{
    int corner = 0;
    int origin = 0;
    int width = 0;
    int height = 0;
    int titleHeight = 0;
};

/** Places the frame in a panel of width w and height h and returns the content area. */
HudPanelArea layOutHudFrame(Slice9& frame, int w, int h);

/** A toggle button of the upper panels (MUTE, BYPASS): outlined in its colour with its text in it
    when off, filled with the colour and dark text when on; pointing-hand cursor. */
void setUpHudToggle(juce::TextButton& button, const juce::String& text, const juce::String& styleId,
                    juce::uint32 colour);

/** Sets up a knob: rotary, dragged horizontally or vertically, no text box, pointing-hand cursor. */
void setUpKnob(juce::Slider& knob);

/** The look of a disabled panel: every child gets the panel's enabled state, alpha 0.15 when disabled
    (1 when enabled), and sliders and value fields the normal cursor when disabled (pointing hand when
    enabled). Repaints the panel. */
void applyPanelEnablement(juce::Component& panel);
} // namespace tessel
