#pragma once

#include <juce_graphics/juce_graphics.h>

namespace tessel
{
/** The typeface every text of the interface is written in: a sans-serif face that covers Latin,
    Japanese (kana and kanji) and Chinese (simplified and traditional), so that every translation
    renders. It is Noto Sans CJK (Debian package fonts-noto-cjk), whose Japanese face comes first.

    JUCE's own font scan on Linux skips font collections (".ttc"), which is how Debian ships Noto Sans
    CJK, so the face is looked up by family name first (in case a single-face file is installed) and
    otherwise read from its collection file. Returns null when no such font is installed. */
juce::Typeface::Ptr loadInterfaceTypeface();

/** The font files loadInterfaceTypeface reads from when the family is not found by name: Debian's
    collection when it is installed, otherwise the matching files under the usual font folders. */
juce::Array<juce::File> findInterfaceFontFiles();
} // namespace tessel
