#pragma once

#include <juce_core/juce_core.h>

namespace tessel
{

/** A newer version announced by the version tracker, prepared for the update dialog. */
struct UpdateOffer
{
    /** The announced version, exactly as the tracker writes it (for example "1.06.0"). */
    juce::String currentVersion;
    /** The translated "VerChk_Available" with every "%s" replaced by `currentVersion`. */
    juce::String message;
    /** The release notes in the user's language; a backslash followed by "n" has become a line break. */
    juce::String notes;
    /** The update-information page and the download page (may be empty). */
    juce::String infoAddress;
    juce::String downloadAddress;
    /** The running version is older than the tracker's required version: skipping is not offered. */
    bool forced = false;
    /** The stored skip version equals `currentVersion`: the skip tick box starts ticked. */
    bool skipMatches = false;
};

} // namespace tessel
