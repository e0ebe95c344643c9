#include "BinaryData.h"
#include "support/JuceTestEnvironment.h"

namespace
{
juce::LocalisedStrings load(const char* data, int size)
{
    return juce::LocalisedStrings(juce::String::fromUTF8(data, size), true);
}

juce::String utf8(const char* text)
{
    return juce::String::fromUTF8(text);
}
} // namespace

TEST(Translations, EnglishAndJapaneseFilesHoldTheMessageTexts)
{
    const auto english = load(BinaryData::en_tra, BinaryData::en_traSize);
    const auto japanese = load(BinaryData::ja_tra, BinaryData::ja_traSize);
    EXPECT_EQ(english.getLanguageName(), "en");
    EXPECT_EQ(english.getCountryCodes(), juce::StringArray("en"));
    EXPECT_EQ(japanese.getLanguageName(), "ja");
    EXPECT_EQ(japanese.getCountryCodes(), juce::StringArray("ja"));

    const struct
    {
        const char* key;
        const char* english;
        const char* japanese;
    } texts[] = {
        {"MSG_NoVoiceInputRouting", "Please setup Input Channels Routing (Voice)",
         "Input Channels Routing (声) を設定してください"},
        {"MSG_NoInputDevice", "Please setup Audio Device (Input)", "Audio Device (Input) を設定してください"},
        {"MSG_NoOutputDevice", "Please setup Audio Device (Output)",
         "Audio Device (Output) を設定してください"},
        {"MSG_Recording", "Recording now.", "Recording now."},
        {"MSG_Deprecated", "Not recommended system environment ", "非推奨の動作環境"},
        {"MSG_DeprecatedSystem", "This version of the operating system is not supported for Tavilo.",
         "このバージョンのオペレーティングシステムは、Tavilo のサポート対象外です。"},
        {"MSG_StartupError", "Startup Error", "起動時エラー"},
        {"MSG_ScreenSizeTooSmall",
         "Tavilo can not start because the screen size is small. Please change the screen size and "
         "restart.\n",
         "スクリーンサイズが小さいため、Taviloを起動できません。スクリーンサイズを変更してから再度起動してく"
         "ださい。"},
        {"MSG_LaunchingOldVersion", "An older version of Tavilo is about to be launched.",
         "古いバージョンのTaviloを起動しようとしています"},
        {"MSG_ConfirmToResetPreferences", "Are you sure to reset the settings?",
         "設定情報を初期化して起動しますか？"},
        {"MSG_QuitTavilo", "Quit Tavilo", "Taviloを終了する"},
        {"MSG_ResetAndGo", "Reset, and Launch", "初期化して起動する"},
    };

    for (const auto& t : texts)
    {
        SCOPED_TRACE(t.key);
        EXPECT_EQ(english.translate(t.key), utf8(t.english));
        EXPECT_EQ(japanese.translate(t.key), utf8(t.japanese));
        // Keys are case-insensitive.
        EXPECT_EQ(english.translate(juce::String(t.key).toLowerCase()), utf8(t.english));
    }
}
