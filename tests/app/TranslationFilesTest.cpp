#include "BinaryData.h"
#include "support/JuceTestEnvironment.h"

#include <map>

namespace
{
struct TranslationFile
{
    juce::String name;
    juce::StringArray groups;                    ///< in file order
    std::map<juce::String, juce::String> groupOf; ///< key -> group
};

TranslationFile parse(const char* name, const char* data, int size)
{
    TranslationFile file{name, {}, {}};
    juce::StringArray lines;
    lines.addLines(juce::String::fromUTF8(data, size));
    for (const auto& rawLine : lines)
    {
        const auto line = rawLine.trim();
        if (line.startsWith("// GROUP: "))
            file.groups.add(line.fromFirstOccurrenceOf("// GROUP: ", false, false).trim());
        else if (line.startsWithChar('"'))
            file.groupOf[line.fromFirstOccurrenceOf("\"", false, false).upToFirstOccurrenceOf("\"", false, false)] =
                file.groups[file.groups.size() - 1];
    }
    return file;
}

std::vector<TranslationFile> embeddedFiles()
{
    return {parse("en.tra", BinaryData::en_tra, BinaryData::en_traSize),
            parse("ja.tra", BinaryData::ja_tra, BinaryData::ja_traSize),
            parse("zh.tra", BinaryData::zh_tra, BinaryData::zh_traSize)};
}

/** Every literal passed to translate() or TRANS() in the application's sources. */
juce::StringArray keysUsedInSources()
{
    const auto root = juce::File(TAVILO_TEST_DATA_DIR).getParentDirectory().getParentDirectory();
    juce::StringArray keys;
    for (const char* folder : {"app", "audio", "library", "processors", "remote", "ui"})
    {
        for (const auto& entry : juce::RangedDirectoryIterator(root.getChildFile(folder), true, "*.cpp;*.h"))
        {
            const auto text = entry.getFile().loadFileAsString();
            for (const char* call : {"translate(\"", "TRANS(\""})
            {
                for (int at = text.indexOf(call); at >= 0; at = text.indexOf(at + 1, call))
                {
                    const int start = at + juce::String(call).length();
                    const int end = text.indexOfChar(start, '"');
                    if (end > start && text[end + 1] == ')')
                        keys.addIfNotAlreadyThere(text.substring(start, end));
                }
            }
        }
    }
    return keys;
}
} // namespace

TEST(TranslationFiles, EveryFileHoldsTheSameKeysInTheSameGroups)
{
    const juce::StringArray groups{"General",  "Link",     "URL",        "MENUm",        "MENUw",     "MITEMm",
                                   "MITEMw",   "MITEMc",   "MainUI",     "VoiceInput",   "VoiceModel", "AUXInput",
                                   "MSG",      "Permission", "SettingUI", "AudioDevice", "AudioRouting", "Pupack",
                                   "OSC",      "Recording", "NoTranslation", "VerChk",   "AboutDlg",  "CreditsDlg",
                                   "Tool"};
    const auto files = embeddedFiles();
    for (const auto& file : files)
    {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(file.groups, groups);
        EXPECT_EQ(file.groupOf, files.front().groupOf) << "keys or their groups differ from en.tra";
    }
}

TEST(TranslationFiles, EveryKeyTheProgramShowsHasATextInEveryLanguage)
{
    const auto keys = keysUsedInSources();
    ASSERT_GT(keys.size(), 20) << "the sources were not found";
    const auto files = embeddedFiles();
    for (const auto& file : files)
        for (const auto& key : keys)
            EXPECT_TRUE(file.groupOf.count(key) == 1) << file.name << " has no text for " << key;
}
