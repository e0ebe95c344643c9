#include "BinaryData.h"
#include "support/JuceTestEnvironment.h"

TEST(LibraryTranslations, WarningsAndInstallTypesHaveEnglishAndJapaneseTexts)
{
    const juce::LocalisedStrings english(juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize),
                                         true);
    const juce::LocalisedStrings japanese(juce::String::fromUTF8(BinaryData::ja_tra, BinaryData::ja_traSize),
                                          true);
    const struct
    {
        const char* key;
        const char* english;
        const char* japanese;
    } texts[] = {
        {"General_OK", "OK", "OK"},
        {"Pupack_Bundle", "Bundle", "同梱"},
        {"Pupack_Append", "Add-on", "追加"},
        {"Pupack_Msg_CanNotInstall", "Can not install the Voice Conversion Model file",
         "声質変換モデルファイルをインストールできません"},
        {"Pupack_Msg_FileHasError", "This Voice Conversion Model file is not correct.",
         "この声質変換モデルファイルは正しくありません。"},
        {"Pupack_Msg_CanNotCopy", "The Voice Conversion Model file could not be copied into the library.",
         "声質変換モデルファイルをライブラリにコピーできませんでした。"},
        {"Pupack_Msg_CanNotUninstall", "Can not uninstall Voice Conversion Model",
         "声質変換モデルをアンインストールできません"},
        {"Pupack_Msg_ItIsBundled", "This Voice Conversion Model file is bundled with application.",
         "この声質変換モデルファイルはアプリケーションに同梱されています。"},
    };
    for (const auto& t : texts)
    {
        EXPECT_EQ(english.translate(t.key), juce::String::fromUTF8(t.english)) << t.key;
        EXPECT_EQ(japanese.translate(t.key), juce::String::fromUTF8(t.japanese)) << t.key;
    }
}
