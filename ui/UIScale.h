#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** Width of the design frame that every interface image is drawn for, in pixels. */
inline constexpr int designFrameWidth = 2880;
/** Height of the design frame that every interface image is drawn for, in pixels. */
inline constexpr int designFrameHeight = 1800;

/** Marks the component whose height sets the scale of the interface images inside it: the main
    screen. A component implementing this must also be a juce::Component. */
class UIScaleRoot
{
public:
    virtual ~UIScaleRoot() = default;
};

/** The scale of the interface images for a component: the height of the nearest UIScaleRoot among
    the component and its parents, divided by designFrameHeight. 1 outside any UIScaleRoot. */
float getUIScale(const juce::Component& component);
} // namespace tessel
