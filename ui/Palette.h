#pragma once

#include <juce_graphics/juce_graphics.h>

/** The colours of the interface, as 32-bit ARGB values. Wrap them in juce::Colour where a colour is
    needed: `juce::Colour (tessel::palette::accentBlue)`. */
namespace tessel::palette
{
/** Panel frames, nine-slice buttons and drop-downs, popup-menu highlight, ducking buttons, hairline. */
inline constexpr juce::uint32 accentBlue = 0xff4ab4e4;
/** Active state: selected ducking picture, knob arc, knob pointer while dragged, ticks, ripple, reverb. */
inline constexpr juce::uint32 activeCyan = 0xff51ede5;
/** Inactive pictures, knob guide ring, slider track background, footer text, pressed settings icon. */
inline constexpr juce::uint32 guideGrey = 0xff827f93;
/** Settings icon under the mouse, microphone symbol. */
inline constexpr juce::uint32 hoverGrey = 0xffb6bcca;
/** Mute button, ducking reactor dot. */
inline constexpr juce::uint32 alertRed = 0xfffe5454;
/** Bypass button. */
inline constexpr juce::uint32 bypassOrange = 0xffe6a84a;
/** Text on a toggled-on button, popup-menu outline. */
inline constexpr juce::uint32 inkBlack = 0xff030407;
/** Value part of a linear slider track. */
inline constexpr juce::uint32 levelGreen = 0xff26f79c;
/** Popup-menu background. */
inline constexpr juce::uint32 menuNavy = 0xff212b46;
/** Fill of "OstrelGeneric" buttons. */
inline constexpr juce::uint32 genericFill = 0xff19273a;
/** Outline of "OstrelGeneric" buttons. */
inline constexpr juce::uint32 genericOutline = 0xff5bb3e4;
} // namespace tessel::palette
