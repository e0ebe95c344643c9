#include "app/Translations.h"

#include "BinaryData.h"

#include <cstdlib>

namespace tessel
{

JUCE_IMPLEMENT_SINGLETON(Translations)

const juce::StringArray& Translations::getSupportedLanguages()
{
    static const juce::StringArray languages{"en", "ja", "zh"};
    return languages;
}

juce::String Translations::chooseLanguage(const juce::String& languageCode)
{
    for (const auto& supported : getSupportedLanguages())
        if (supported.equalsIgnoreCase(languageCode))
            return supported;
    return "en";
}

UserLocale Translations::parseLocaleName(const juce::String& localeName)
{
    // language[_territory][.codeset][@modifier]
    const auto name = localeName.trim().upToFirstOccurrenceOf(".", false, false).upToFirstOccurrenceOf(
        "@", false, false);
    if (name.isEmpty() || name == "C" || name == "POSIX")
        return {};

    UserLocale locale;
    locale.language = name.upToFirstOccurrenceOf("_", false, false).toLowerCase();
    locale.region = name.fromFirstOccurrenceOf("_", false, false).toUpperCase();
    return locale;
}

UserLocale Translations::getUserLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != 0)
            return parseLocaleName(juce::String::fromUTF8(value));
    }
    return {};
}

Translations::Translations() = default;

Translations::~Translations()
{
    clearSingletonInstance();
}

void Translations::load()
{
    if (loaded)
        return;
    loaded = true;

    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const juce::String fileName = BinaryData::originalFilenames[i];
        if (!fileName.endsWithIgnoreCase(".tra"))
            continue;

        int size = 0;
        if (const char* data = BinaryData::getNamedResource(BinaryData::namedResourceList[i], size))
            addFile(juce::String::fromUTF8(data, size));
    }
}

void Translations::addFile(const juce::String& fileContents)
{
    files.push_back(std::make_unique<juce::LocalisedStrings>(fileContents, true));
}

void Translations::install(const juce::String& newLanguage)
{
    language = newLanguage;
    juce::LocalisedStrings::setCurrentMappings(nullptr);
    for (const auto& file : files)
        if (file->getCountryCodes().contains(newLanguage))
            juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(*file));
}

juce::String Translations::loadAndInstallForUser()
{
    load();
    install(chooseLanguage(getUserLocale().language));
    return language;
}

} // namespace tessel
