#include "BinaryData.h"
#include "support/JuceTestEnvironment.h"

TEST(ServiceTranslations, ResetAndLoggingCommandsHaveEnglishAndJapaneseTexts)
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
        {"Tool_RestartAudioProcessor", "Soft Reset", "ソフトリセット"},
        {"Tool_RestartAudioDevice", "Hard Reset", "ハードリセット"},
        {"Tool_StartAudioLogging", "Start Audio Logging", "オーディオのロギング開始"},
        {"Tool_StopAudioLogging", "Stop Audio Logging", "オーディオのロギング停止"},
    };
    for (const auto& t : texts)
    {
        EXPECT_EQ(english.translate(t.key), juce::String::fromUTF8(t.english)) << t.key;
        EXPECT_EQ(japanese.translate(t.key), juce::String::fromUTF8(t.japanese)) << t.key;
    }
}
