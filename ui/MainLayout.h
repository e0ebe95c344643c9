#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** Where the main screen puts its parts, in the parent's coordinates (floats, rounded when applied).

    The content area is the largest rectangle of the content aspect inside the screen, centred in the
    parent. The header runs along its top; below it the middle row holds the input, model and output
    panels (with a gap before the output panel); below that the bottom row holds the AUX input,
    ducking, mix level, reverb and noise gate panels; the footer sits at the bottom. */
struct MainLayout
{
    juce::Rectangle<float> content;
    juce::Rectangle<float> header;
    juce::Rectangle<float> input;
    juce::Rectangle<float> model;
    juce::Rectangle<float> output;
    juce::Rectangle<float> auxInput;
    juce::Rectangle<float> ducking;
    juce::Rectangle<float> mixLevel;
    juce::Rectangle<float> reverb;
    juce::Rectangle<float> noiseGate;
    juce::Rectangle<float> footer;

    /** The aspect (width / height) of the content area for a main display whose user area is
        displayWidth pixels wide: D / (int) (D / 1.6) with D = max((int) (0.7 * displayWidth), 1065). */
    static double contentAspect(int displayWidth);

    /** The user-area width of the main display (the first display flagged as main, else the first
        display); 0 without a display. */
    static int mainDisplayWidth();

    /** The layout for a parent of parentSize holding a screen of screenSize, with the content aspect
        of a main display displayWidth pixels wide. */
    static MainLayout compute(juce::Point<int> parentSize, juce::Point<int> screenSize, int displayWidth);
};
} // namespace tessel
