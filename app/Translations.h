#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

namespace tessel
{

/** The user's locale as the application reads it: a lower-case language code ("ja") and an
    upper-case region code ("JP"), either of which may be empty. */
struct UserLocale
{
    juce::String language;
    juce::String region;
};

/** The translation files of the application and the language it shows.

    The application carries one translation file per supported language among its embedded
    resources ("en.tra", "ja.tra", "zh.tra"), in JUCE's translation format with case-insensitive
    keys. `load()` parses every embedded resource whose name ends in ".tra", once per process, into
    a list in resource order; `install()` makes the file meant for a language JUCE's current
    translation, so that every `juce::translate(key)` shows its text. A key without a text shows
    the key itself.

    The list is process-wide: `getInstance()` creates it on first use under a lock of its own, the
    application destroys it at shutdown with `deleteInstance()`. Everything else runs on the message
    thread. */
class Translations
{
public:
    /** The languages the application has texts for, in order of preference: "en", "ja", "zh". */
    static const juce::StringArray& getSupportedLanguages();

    /** The language shown for a locale's language code: the first supported language equal to it
        (ignoring case), else "en". */
    static juce::String chooseLanguage(const juce::String& languageCode);

    /** Splits a POSIX locale name ("ja_JP.UTF-8", "zh_CN@pinyin", "fr") into its codes. "C",
        "POSIX" and an empty name give no language. */
    static UserLocale parseLocaleName(const juce::String& localeName);

    /** The locale of the user's messages from the environment, in POSIX order of precedence: the
        first non-empty one of LC_ALL, LC_MESSAGES and LANG. */
    static UserLocale getUserLocale();

    Translations();
    ~Translations();

    /** Parses every embedded ".tra" resource into the list (only the first call does anything). */
    void load();

    /** Parses one translation text and appends it to the list. */
    void addFile(const juce::String& fileContents);

    /** The parsed files, in the order they were added. */
    const std::vector<std::unique_ptr<juce::LocalisedStrings>>& getFiles() const noexcept { return files; }

    /** Installs, as JUCE's current translation, a copy of every file that lists `language` among its
        countries (of the three files exactly one), and remembers the language. Pass a supported
        language: with none installed, `juce::translate` shows the keys themselves. */
    void install(const juce::String& language);

    /** `load()`, then `install(chooseLanguage(user's language))`. Returns the language installed. */
    juce::String loadAndInstallForUser();

    /** The language last installed ("en" before any). */
    const juce::String& getLanguage() const noexcept { return language; }

    JUCE_DECLARE_SINGLETON(Translations, false)

private:
    std::vector<std::unique_ptr<juce::LocalisedStrings>> files;
    bool loaded = false;
    juce::String language{"en"};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Translations)
};

} // namespace tessel
