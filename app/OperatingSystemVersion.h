#pragma once

#include <juce_core/juce_core.h>

namespace tessel
{

/** The operating system's identity as the start-up check and the boot log see it, read from the
    distribution's release file ("/etc/os-release": lines KEY=value, values optionally quoted).

    The check only ever warns: it never stops the start. It warns when the release file cannot be
    read (nothing is known about the system), and when the distribution is one of those with a known
    minimum (Debian 12, Ubuntu 22.04) and its VERSION_ID is older. Other distributions, and releases
    without a VERSION_ID (Debian testing), are not judged. */
struct OperatingSystemVersion
{
    /** Whether the release file was read. */
    bool known = false;
    /** The distribution's ID, for example "debian" or "ubuntu" (lower case). */
    juce::String distribution;
    /** VERSION_ID, for example "12" or "22.04"; empty when the file has none. */
    juce::String version;

    /** The default release file. */
    static juce::File getReleaseFile();

    /** Parses the text of a release file. */
    static OperatingSystemVersion parse(const juce::String& releaseFileText);

    /** Reads and parses a release file; an unreadable file gives a version that is not known. */
    static OperatingSystemVersion read(const juce::File& releaseFile = getReleaseFile());

    /** The oldest supported VERSION_ID of a distribution, or empty when none is known. */
    static juce::String getMinimumVersion(const juce::String& distribution);

    /** Whether start-up shows the "not recommended system environment" warning. */
    bool isBelowMinimum() const;

    /** The text stored in the boot log: distribution and version ("debian 12"), or empty when the
        release file could not be read. */
    juce::String toString() const;
};

} // namespace tessel
