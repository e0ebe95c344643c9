#include "library/PupackRecord.h"

#include "package/Pupack.h"

namespace tessel
{

juce::String getInstallTypeKey(int installType)
{
    switch (installType)
    {
        case pupackBundle:
            return "Pupack_Bundle";
        case pupackAppend:
            return "Pupack_Append";
        default:
            return {};
    }
}

PupackRecord PupackRecord::fromPackage(const Pupack& package, const juce::String& language, int installType)
{
    const auto text = [](const std::string& s) { return juce::String::fromUTF8(s.data(), (int)s.size()); };
    const auto locale = language.toStdString();
    const char* localeOrNull = locale.empty() ? nullptr : locale.c_str();

    PupackRecord record;
    record.identifier = text(package.displayName());
    record.targetIdentifier = text(package.targetIdentifier());
    record.narratorIdentifier = text(package.narratorIdentifier());
    record.title = text(package.title(localeOrNull));
    record.narrator = text(package.narrator(localeOrNull));
    record.target = text(package.target(localeOrNull));
    record.description = text(package.description(localeOrNull));
    record.filePath = text(package.path());
    record.language = language;
    record.version = package.version();
    record.formatVersion = package.formatVersion();
    record.pitch = package.pitch();
    record.volume = package.volume();
    record.installType = installType;
    return record;
}

} // namespace tessel
