#include "app/OperatingSystemVersion.h"

#include "app/PropertiesFileManager.h"

namespace tessel
{

namespace
{
juce::String unquote(const juce::String& value)
{
    const auto trimmed = value.trim();
    if (trimmed.length() >= 2 && (trimmed.startsWithChar('"') || trimmed.startsWithChar('\'')) &&
        trimmed.getLastCharacter() == trimmed[0])
        return trimmed.substring(1, trimmed.length() - 1);
    return trimmed;
}
} // namespace

juce::File OperatingSystemVersion::getReleaseFile()
{
    return juce::File("/etc/os-release");
}

OperatingSystemVersion OperatingSystemVersion::parse(const juce::String& releaseFileText)
{
    OperatingSystemVersion result;
    result.known = true;

    juce::StringArray lines;
    lines.addLines(releaseFileText);
    for (const auto& line : lines)
    {
        const auto trimmed = line.trim();
        if (trimmed.isEmpty() || trimmed.startsWithChar('#') || !trimmed.containsChar('='))
            continue;

        const auto key = trimmed.upToFirstOccurrenceOf("=", false, false).trim();
        const auto value = unquote(trimmed.fromFirstOccurrenceOf("=", false, false));
        if (key == "ID")
            result.distribution = value.toLowerCase();
        else if (key == "VERSION_ID")
            result.version = value;
    }
    return result;
}

OperatingSystemVersion OperatingSystemVersion::read(const juce::File& releaseFile)
{
    if (!releaseFile.existsAsFile())
        return {};

    juce::FileInputStream stream(releaseFile);
    if (!stream.openedOk())
        return {};
    return parse(stream.readEntireStreamAsString());
}

juce::String OperatingSystemVersion::getMinimumVersion(const juce::String& distribution)
{
    if (distribution == "debian")
        return "12";
    if (distribution == "ubuntu")
        return "22.04";
    return {};
}

bool OperatingSystemVersion::isBelowMinimum() const
{
    // Nothing is known about a system whose release file cannot be read: warn, as for a system
    // that reports no version at all.
    if (!known)
        return true;

    const auto minimum = getMinimumVersion(distribution);
    if (minimum.isEmpty() || version.isEmpty())
        return false;
    return versionNumber(version) < versionNumber(minimum);
}

juce::String OperatingSystemVersion::toString() const
{
    if (!known)
        return {};
    return (distribution + " " + version).trim();
}

} // namespace tessel
