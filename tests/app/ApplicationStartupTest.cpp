#include "app/OperatingSystemVersion.h"
#include "app/OstrelPCApplication.h"
#include "app/Translations.h"
#include "engine/Vocaform.h"
#include "support/JuceTestEnvironment.h"

#include <cstdlib>

using namespace tessel;

namespace
{
/** Sets the locale variables for one scope and restores them afterwards. */
class ScopedLocaleEnvironment
{
public:
    ScopedLocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang)
    {
        for (const char* name : names)
        {
            const char* value = std::getenv(name);
            saved.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        set("LC_ALL", lcAll);
        set("LC_MESSAGES", lcMessages);
        set("LANG", lang);
    }

    ~ScopedLocaleEnvironment()
    {
        for (size_t i = 0; i < std::size(names); ++i)
            set(names[i], saved[i] ? saved[i]->c_str() : nullptr);
    }

private:
    static void set(const char* name, const char* value)
    {
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

    static constexpr const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
};

juce::String utf8(const char* text)
{
    return juce::String::fromUTF8(text);
}
} // namespace

TEST(ApplicationStartup, LanguageComesFromTheLocaleInPosixPrecedence)
{
    const struct
    {
        const char *lcAll, *lcMessages, *lang;
        const char *language, *region, *shown;
    } cases[] = {
        {nullptr, nullptr, "fr_FR.UTF-8", "fr", "FR", "en"}, // no French texts: English
        {nullptr, nullptr, "ja_JP.UTF-8", "ja", "JP", "ja"},
        {nullptr, nullptr, "zh_CN.UTF-8", "zh", "CN", "zh"},
        {nullptr, nullptr, "zh_TW@radical", "zh", "TW", "zh"},
        {nullptr, nullptr, "C.UTF-8", "", "", "en"},
        {nullptr, nullptr, nullptr, "", "", "en"},
        {"ja_JP.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8", "ja", "JP", "ja"}, // LC_ALL wins
        {"", "ja_JP", "en_US.UTF-8", "ja", "JP", "ja"},                 // an empty variable is skipped
        {nullptr, nullptr, "EN_gb", "en", "GB", "en"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(juce::String(c.lcAll ? c.lcAll : "-") + " " + (c.lcMessages ? c.lcMessages : "-") + " " +
                     (c.lang ? c.lang : "-"));
        const ScopedLocaleEnvironment environment(c.lcAll, c.lcMessages, c.lang);
        const auto locale = Translations::getUserLocale();
        EXPECT_EQ(locale.language, c.language);
        EXPECT_EQ(locale.region, c.region);
        EXPECT_EQ(Translations::chooseLanguage(locale.language), c.shown);
    }
}

TEST(ApplicationStartup, InstalledLanguageTranslatesEveryText)
{
    Translations translations;
    translations.load();
    ASSERT_EQ(translations.getFiles().size(), 3u);

    const struct
    {
        const char* language;
        const char* tools;
        const char* startup;
    } cases[] = {{"en", "Tool", "Startup Error"}, {"ja", "ツール", "起動時エラー"}, {"zh", "工具", "启动错误"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.language);
        translations.install(c.language);
        EXPECT_EQ(juce::translate("MENUc_Tools"), utf8(c.tools));
        EXPECT_EQ(juce::translate("msg_startuperror"), utf8(c.startup)) << "keys ignore case";
        EXPECT_EQ(juce::translate("General_AppName"), "Tavilo");
        EXPECT_EQ(juce::translate("No_Such_Key"), "No_Such_Key");
    }
    juce::LocalisedStrings::setCurrentMappings(nullptr);
}

TEST(ApplicationStartup, OperatingSystemCheckOnlyWarnsForOldOrUnknownSystems)
{
    const struct
    {
        const char* releaseFile;
        bool warns;
        const char* bootLogText;
    } cases[] = {
        {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\nVERSION_ID=\"12\"\n", false, "debian 12"},
        {"ID=debian\nVERSION_ID=\"11\"\n", true, "debian 11"},
        {"ID=ubuntu\nVERSION_ID=\"20.04\"\n", true, "ubuntu 20.04"},
        {"ID=ubuntu\nVERSION_ID='22.04'\n", false, "ubuntu 22.04"},
        {"ID=\"Ubuntu\"\nVERSION_ID=24.04\n", false, "ubuntu 24.04"},
        {"ID=debian\n# testing has no version\n", false, "debian"},
        {"ID=fedora\nVERSION_ID=39\n", false, "fedora 39"}, // no known minimum: not judged
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.releaseFile);
        const auto system = OperatingSystemVersion::parse(c.releaseFile);
        EXPECT_EQ(system.isBelowMinimum(), c.warns);
        EXPECT_EQ(system.toString(), c.bootLogText);
    }

    // Nothing known: the warning, and an empty version in the boot log.
    const auto missing = OperatingSystemVersion::read(juce::File("/nonexistent/os-release"));
    EXPECT_TRUE(missing.isBelowMinimum());
    EXPECT_EQ(missing.toString(), "");
    EXPECT_TRUE(OperatingSystemVersion::read().known) << "this machine has a release file";
}

TEST(ApplicationStartup, BootLogHoldsItsAttributesInOrder)
{
    const auto bootLog = OstrelPCApplication::createBootLog("1.5.0", 1765400000123, {"ja", "JP"}, "debian 12");
    ASSERT_TRUE(bootLog->hasTagName("BOOTLOG"));
    const char* names[] = {"ApplicationVersion", "UnixTimeMillis", "Region", "Language", "OperatingSystemVersion",
                           "VocaformVersion"};
    const juce::String values[] = {"1.5.0", "1765400000123", "JP", "ja", "debian 12", Vocaform::version()};
    ASSERT_EQ(bootLog->getNumAttributes(), 6);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(bootLog->getAttributeName(i), names[i]);
        EXPECT_EQ(bootLog->getAttributeValue(i), values[i]);
    }
}
