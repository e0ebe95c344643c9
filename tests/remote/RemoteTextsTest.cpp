#include "remote/UpdateChecker.h"
#include "tests/remote/RemoteTestSupport.h"

TEST(RemoteTexts, EveryKeyHasAnEnglishAndAJapaneseText)
{
    const juce::LocalisedStrings english(juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize),
                                         true);
    const juce::LocalisedStrings japanese(juce::String::fromUTF8(BinaryData::ja_tra, BinaryData::ja_traSize),
                                          true);

    for (const char* key :
         {"General_OK", "SettingUI_OSCReceiver", "OSC_ListenPort", "OSC_Connect", "OSC_Connected",
          "OSC_ErrTitle_UDPConnection", "OSC_ErrMsg_UDPConnection", "VerChk_Title", "VerChk_Available",
          "VerChk_UpdateInfo", "VerChk_Skip", "VerChk_Cancel", "VerChk_Proceed", "VerChk_Error",
          "VerChk_NetworkError", "VerChk_InformationError", "VerChk_UpToDate"})
    {
        SCOPED_TRACE(key);
        EXPECT_NE(english.translate(key), key);
        EXPECT_NE(japanese.translate(key), key);
    }
    EXPECT_EQ(japanese.translate("OSC_Connect"), juce::String::fromUTF8("接続する"));
    EXPECT_EQ(japanese.translate("OSC_Connected"), juce::String::fromUTF8("切断する"));
}

TEST(RemoteTexts, TheUpdateCheckFollowsTheInstalledLanguage)
{
    juce::LocalisedStrings::setCurrentMappings(
        new juce::LocalisedStrings(juce::String::fromUTF8(BinaryData::ja_tra, BinaryData::ja_traSize), true));
    EXPECT_EQ(tessel::UpdateChecker::getCurrentLanguage(), "ja");

    tessel::PropertiesFileManager store;
    const tessel::UpdateChecker checker({}, store);
    EXPECT_EQ(checker.getSettings().language, "ja");
    const auto decision = checker.decide("<t><e><name>" + juce::String(tessel::UpdateChecker::updateChannel) +
                                             "</name><currentVersion>1.06.0</currentVersion>"
                                             "<n xml:lang=\"ja\">notes</n></e></t>",
                                         true);
    ASSERT_EQ(decision.outcome, tessel::UpdateChecker::Outcome::offerUpdate);
    EXPECT_EQ(decision.offer.message, juce::String::fromUTF8("バージョン1.06.0がリリースされました"));

    juce::LocalisedStrings::setCurrentMappings(
        new juce::LocalisedStrings(juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize), true));
    EXPECT_EQ(tessel::UpdateChecker::getCurrentLanguage(), "en");
    juce::LocalisedStrings::setCurrentMappings(nullptr);
}
