#pragma once

#include <juce_graphics/juce_graphics.h>

namespace tessel
{
/** The embedded interface image with this original file name (for example "knob_guide.png"),
    decoded through the image cache. A null image when no embedded resource has that name. */
juce::Image getInterfaceImage(const juce::String& fileName);

/** True when an embedded resource has this original file name. */
bool hasInterfaceImage(const juce::String& fileName);
} // namespace tessel
