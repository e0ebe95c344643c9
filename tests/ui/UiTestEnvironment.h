#pragma once

#include "ui/LookAndFeel_Ostrel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel::test
{
/** The look and feel shared by the interface tests; installed as JUCE's default look and feel for
    the whole run, as the application does. */
LookAndFeel_Ostrel& sharedLookAndFeel();

/** Renders a component and its children into a cleared ARGB image of its size (software renderer). */
juce::Image renderComponent(juce::Component& component);

/** The unpremultiplied colour of a pixel. */
juce::Colour pixel(const juce::Image& image, int x, int y);

/** True when two colours differ by at most tolerance in each of the four channels. */
bool near(juce::Colour a, juce::Colour b, int tolerance = 3);

/** The number of pixels whose alpha is above threshold. */
int countVisiblePixels(const juce::Image& image, int threshold = 0);
} // namespace tessel::test
