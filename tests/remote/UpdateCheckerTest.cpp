#include "remote/UpdateChecker.h"
#include "tests/remote/LocalHttpServer.h"
#include "tests/remote/RemoteTestSupport.h"

using tessel::UpdateChecker;
using Outcome = UpdateChecker::Outcome;

namespace
{

const char* const trackerPath = "/_appresource/%s/version_tracker.xml";

/** A tracker with an entry of another channel first, then ours (tags in other cases), with
    release notes in Japanese and English. */
juce::String
tracker(const juce::String& current, const juce::String& required,
        const juce::String& englishAttributes = "xml:lang=\"en\" info_uri=\"https://example.org/info\" "
                                                "download_uri=\"https://example.org/download\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tracker>\n"
           "  <entry><name>another-channel</name><currentVersion>9.9.9</currentVersion></entry>\n"
           "  <entry>\n"
           "    <NAME>" +
           juce::String(UpdateChecker::updateChannel) +
           "</NAME>\n"
           "    <CurrentVersion>" +
           current +
           "</CurrentVersion>\n"
           "    <requiredversion>" +
           required +
           "</requiredversion>\n"
           "    <notes xml:lang=\"ja\" info_uri=\"https://example.org/ja/info\" "
           "download_uri=\"https://example.org/ja/download\">Japanese notes</notes>\n"
           "    <notes " +
           englishAttributes +
           ">First line\\nSecond line</notes>\n"
           "  </entry>\n"
           "</tracker>\n";
}

UpdateChecker::Settings englishSettings()
{
    UpdateChecker::Settings settings;
    settings.language = "en";
    return settings;
}

/** The whole check against the local server, with the boxes, the dialog and the browser recorded. */
class UpdateCheck : public testing::Test
{
protected:
    UpdateChecker makeChecker(int timeoutMs = 2000, const juce::String& address = {})
    {
        auto settings = englishSettings();
        settings.trackerAddress = address.isNotEmpty() ? address : server.address(trackerPath);
        settings.timeoutMs = timeoutMs;
        UpdateChecker checker(settings, folder.getStore());
        checker.setMessageBoxPresenter(
            [this](juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message)
            {
                const char* iconName = icon == juce::MessageBoxIconType::InfoIcon      ? "info"
                                       : icon == juce::MessageBoxIconType::WarningIcon ? "warning"
                                                                                       : "other";
                boxes.add(juce::String(iconName) + " | " + title + " | " + message);
            });
        checker.setDialogPresenter(
            [this](const tessel::UpdateOffer& offer)
            {
                offers.push_back(offer);
                return answer;
            });
        checker.setBrowserLauncher([this](const juce::URL& url) { opened.add(url.toString(true)); });
        return checker;
    }

    juce::String storedSkipVersion()
    {
        const auto* tree = folder.getStore().getXml(tessel::PropertiesFileManager::updateSetupKey);
        if (tree == nullptr)
            return "(nothing)";
        EXPECT_EQ(tree->getTagName(), "UPDATESETUP");
        return tree->getStringAttribute("SkipVersion");
    }

    void storeSkipVersion(const juce::String& version)
    {
        auto tree = std::make_unique<juce::XmlElement>("UPDATESETUP");
        tree->setAttribute("SkipVersion", version);
        folder.getStore().setXml(tessel::PropertiesFileManager::updateSetupKey, std::move(tree));
    }

    remote_test::EnglishTexts english;
    remote_test::SettingsFolder folder;
    remote_test::LocalHttpServer server;
    juce::StringArray boxes;
    std::vector<tessel::UpdateOffer> offers;
    UpdateChecker::DialogAnswer answer;
    juce::StringArray opened;
};

} // namespace

TEST(UpdateDecision, VersionsDecideBetweenNothingTheLatestBoxAndTheDialog)
{
    const struct
    {
        const char* what;
        const char* current;
        const char* required;
        const char* skip;
        bool interactive;
        Outcome outcome;
        bool forced;
        bool skipMatches;
    } table[] = {
        {"latest, interactive", "1.5.0", "1.0.0", "0.0.0", true, Outcome::upToDate, false, false},
        {"latest, automatic", "1.5.0", "1.0.0", "0.0.0", false, Outcome::nothing, false, false},
        {"tracker behind the running version", "1.4.9", "1.0.0", "0.0.0", true, Outcome::upToDate, false,
         false},
        {"newer, automatic", "1.6.0", "1.0.0", "0.0.0", false, Outcome::offerUpdate, false, false},
        {"newer, nothing skipped yet", "1.6.0", "1.0.0", "", false, Outcome::offerUpdate, false, false},
        {"newer and skipped, automatic", "1.6.0", "1.0.0", "1.6.0", false, Outcome::nothing, false, false},
        {"newer and skipped, interactive", "1.6.0", "1.0.0", "1.6.0", true, Outcome::offerUpdate, false,
         true},
        {"newer than the skipped one", "1.7.0", "1.0.0", "1.6.0", false, Outcome::offerUpdate, false, false},
        {"required and skipped", "1.6.0", "1.6.0", "1.6.0", false, Outcome::offerUpdate, true, true},
        {"written 1.06.0, skipped as 1.6.0", "1.06.0", "1.0.0", "1.6.0", false, Outcome::nothing, false,
         false},
        {"written 1.06.0, interactive", "1.06.0", "1.0.0", "1.6.0", true, Outcome::offerUpdate, false, true},
        {"required above current, automatic", "1.5.0", "1.6.0", "0.0.0", false, Outcome::offerUpdate, true,
         false},
        {"required above current, interactive", "1.5.0", "1.6.0", "0.0.0", true, Outcome::upToDate, false,
         false},
        {"no versions", "", "", "0.0.0", true, Outcome::upToDate, false, false},
    };

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        const auto decision = UpdateChecker::decide(tracker(entry.current, entry.required), entry.interactive,
                                                    englishSettings(), entry.skip);
        EXPECT_EQ(decision.outcome, entry.outcome);
        if (decision.outcome == Outcome::offerUpdate)
        {
            EXPECT_EQ(decision.offer.currentVersion, entry.current);
            EXPECT_EQ(decision.offer.forced, entry.forced);
            EXPECT_EQ(decision.offer.skipMatches, entry.skipMatches);
        }
    }
}

TEST(UpdateDecision, TheOfferCarriesTheTextsOfTheChosenLanguage)
{
    remote_test::EnglishTexts english;
    const auto decision = UpdateChecker::decide(tracker("1.06.0", "1.0.0"), true, englishSettings(), "0.0.0");
    ASSERT_EQ(decision.outcome, Outcome::offerUpdate);
    EXPECT_EQ(decision.offer.message, "Version 1.06.0 available");
    EXPECT_EQ(decision.offer.notes, "First line\nSecond line");
    EXPECT_EQ(decision.offer.infoAddress, "https://example.org/info");
    EXPECT_EQ(decision.offer.downloadAddress, "https://example.org/download");

    auto japanese = englishSettings();
    japanese.language = "ja";
    const auto inJapanese = UpdateChecker::decide(tracker("1.6.0", "1.0.0"), true, japanese, "0.0.0");
    EXPECT_EQ(inJapanese.offer.notes, "Japanese notes");
    EXPECT_EQ(inJapanese.offer.downloadAddress, "https://example.org/ja/download");

    // Missing addresses read as empty texts.
    const auto bare =
        UpdateChecker::decide(tracker("1.6.0", "1.0.0", "xml:lang=\"en\""), true, englishSettings(), "");
    ASSERT_EQ(bare.outcome, Outcome::offerUpdate);
    EXPECT_EQ(bare.offer.infoAddress, "");
    EXPECT_EQ(bare.offer.downloadAddress, "");
}

TEST(UpdateDecision, DocumentsWithoutTheEntryOrTheLanguage)
{
    const struct
    {
        const char* what;
        juce::String document;
        bool interactive;
        Outcome outcome;
    } table[] = {
        {"nothing read", "", true, Outcome::networkError},
        {"nothing read, automatic", "", false, Outcome::networkError},
        {"not XML", "Service Unavailable", false, Outcome::networkError},
        {"malformed XML", "<tracker><entry>", true, Outcome::networkError},
        {"no entry for the channel", "<tracker><entry><name>other</name></entry></tracker>", true,
         Outcome::nothing},
        {"channel name with blanks around it",
         "<tracker><entry><name> " + juce::String(UpdateChecker::updateChannel) +
             " </name><currentVersion>1.6.0</currentVersion></entry></tracker>",
         true, Outcome::nothing},
        {"an HTML page", "<html><body>Not here</body></html>", true, Outcome::nothing},
        {"no language element, update due", tracker("1.6.0", "1.0.0", "xml:lang=\"zh\""), true,
         Outcome::informationError},
        {"no language element, automatic", tracker("1.6.0", "1.0.0", "xml:lang=\"zh\""), false,
         Outcome::informationError},
        {"no language element, nothing due", tracker("1.5.0", "1.0.0", "xml:lang=\"zh\""), false,
         Outcome::nothing},
        {"attribute name in another case", tracker("1.6.0", "1.0.0", "XML:LANG=\"en\""), true,
         Outcome::informationError},
    };

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        EXPECT_EQ(
            UpdateChecker::decide(entry.document, entry.interactive, englishSettings(), "0.0.0").outcome,
            entry.outcome);
    }
}

TEST_F(UpdateCheck, InteractiveCheckOfTheLatestVersionSaysSoAndTheAutomaticOneStaysSilent)
{
    server.respond(200, tracker("1.5.0", "1.0.0"));

    makeChecker().checkForUpdate(true);
    EXPECT_EQ(boxes, juce::StringArray("info | Version Confirmation | This Tavilo is the latest version."));
    EXPECT_EQ(server.getRequestLines(),
              juce::StringArray("GET /_appresource/a00/version_tracker.xml HTTP/1.1"));

    boxes.clear();
    makeChecker().checkForUpdate(false);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_TRUE(offers.empty());
}

TEST_F(UpdateCheck, SkippingAVersionIsStoredAsWrittenAndSilencesTheAutomaticCheck)
{
    server.respond(200, tracker("1.06.0", "1.0.0"));
    answer = {0, true};
    makeChecker().checkForUpdate(true);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_FALSE(offers[0].skipMatches);
    EXPECT_EQ(storedSkipVersion(), "1.06.0");

    makeChecker().checkForUpdate(false);
    EXPECT_EQ(offers.size(), 1u) << "no dialog for the skipped version";
    EXPECT_TRUE(boxes.isEmpty());

    // Asked again, the dialog comes with the tick box ticked; leaving it unticked stores "0.0.0".
    answer = {0, false};
    makeChecker().checkForUpdate(true);
    ASSERT_EQ(offers.size(), 2u);
    EXPECT_TRUE(offers[1].skipMatches);
    EXPECT_EQ(storedSkipVersion(), "0.0.0");
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(UpdateCheck, ARequiredVersionForcesTheDialogAtStartDespiteTheSkip)
{
    server.respond(200, tracker("1.6.0", "1.6.0"));
    storeSkipVersion("1.6.0");
    answer = {0, false};

    makeChecker().checkForUpdate(false);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_TRUE(offers[0].forced);
    EXPECT_EQ(storedSkipVersion(), "0.0.0");
}

TEST_F(UpdateCheck, ProceedingOpensTheDownloadPageAndKeepsTheSkipVersion)
{
    server.respond(200, tracker("1.6.0", "1.0.0"));
    storeSkipVersion("1.4.0");
    answer = {1, true};

    makeChecker().checkForUpdate(true);
    EXPECT_EQ(opened, juce::StringArray("https://example.org/download"));
    EXPECT_EQ(storedSkipVersion(), "1.4.0");

    // Without a download address nothing is opened.
    opened.clear();
    server.respond(200, tracker("1.6.0", "1.0.0", "xml:lang=\"en\""));
    makeChecker().checkForUpdate(true);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(UpdateCheck, ErrorsAndMissingTextsShowTheirWarnings)
{
    const struct
    {
        const char* what;
        int status;
        juce::String body;
        bool interactive;
        const char* box; // nullptr: nothing shown
    } table[] = {
        {"an error status with a tracker in it", 404, tracker("1.6.0", "1.0.0"), true,
         "warning | Update confirmation error | Failed to get update information. Please check your internet "
         "connection."},
        {"a server error, automatic", 500, "<error/>", false,
         "warning | Update confirmation error | Failed to get update information. Please check your internet "
         "connection."},
        {"an empty answer", 200, "", false,
         "warning | Update confirmation error | Failed to get update information. Please check your internet "
         "connection."},
        {"no text in the language", 200, tracker("1.6.0", "1.0.0", "xml:lang=\"zh\""), false,
         "warning | Update confirmation error | Update information is incorrect. Please contact the "
         "application's support team."},
        {"no entry for the channel", 200, "<tracker/>", true, nullptr},
    };

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        boxes.clear();
        server.respond(entry.status, entry.body);
        makeChecker().checkForUpdate(entry.interactive);
        EXPECT_EQ(boxes, entry.box != nullptr ? juce::StringArray(entry.box) : juce::StringArray());
        EXPECT_TRUE(offers.empty());
    }
}

TEST_F(UpdateCheck, AnUnreachableServerGivesTheNetworkWarningWithinTheTimeOut)
{
    server.stall();

    juce::StreamingSocket closed;
    closed.createListener(0, "127.0.0.1");
    const int closedPort = closed.getBoundPort();
    closed.close();

    const struct
    {
        const char* what;
        juce::String address;
    } table[] = {
        {"a port nobody listens on", "http://127.0.0.1:" + juce::String(closedPort) + trackerPath},
        {"an address that is not routed", juce::String("http://10.255.255.1") + trackerPath},
        {"a server that never answers", server.address(trackerPath)},
    };

    constexpr int timeoutMs = 2000;
    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        boxes.clear();
        auto checker = makeChecker(timeoutMs, entry.address);
        const auto started = juce::Time::getMillisecondCounterHiRes();
        checker.checkForUpdate(false);
        const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;

        EXPECT_LT(elapsed, timeoutMs + 1000.0);
        EXPECT_EQ(boxes, juce::StringArray("warning | Update confirmation error | Failed to get update "
                                           "information. Please check your internet connection."));
    }
}

TEST_F(UpdateCheck, TheStoredSkipVersionIsReadWithItsDefaults)
{
    auto checker = makeChecker();
    EXPECT_EQ(checker.readSkipVersion(), "0.0.0");
    folder.getStore().setXml(tessel::PropertiesFileManager::updateSetupKey,
                             std::make_unique<juce::XmlElement>("UPDATESETUP"));
    EXPECT_EQ(checker.readSkipVersion(), "");
    storeSkipVersion("1.06.0");
    EXPECT_EQ(checker.readSkipVersion(), "1.06.0");
}

TEST(UpdateAddresses, TheTrackerIsAskedForUnderTheResourceIdentifier)
{
    EXPECT_TRUE(UpdateChecker::getDefaultTrackerAddress().startsWith("https://"));
    tessel::PropertiesFileManager store;
    EXPECT_TRUE(UpdateChecker(englishSettings(), store)
                    .getTrackerAddress()
                    .endsWith("/_appresource/a00/version_tracker.xml"));
}

TEST(UpdateAddresses, OnlyWebAddressesReachTheBrowserAndNothingInThemReachesTheShell)
{
    const struct
    {
        const char* what;
        const char* address;
        const char* opened; // empty: not opened
    } table[] = {
        {"plain", "https://example.org/download?os=linux&v=1.6.0",
         "https://example.org/download?os=linux&v=1.6.0"},
        {"http, upper case scheme", "HTTP://example.org/a", "HTTP://example.org/a"},
        {"blank inside", "https://example.org/a b", "https://example.org/a%20b"},
        {"quotes and a command", "https://example.org/\"; rm -rf ~; \"",
         "https://example.org/%22;%20rm%20-rf%20~;%20%22"},
        {"command substitution", "https://example.org/$(touch x)`id`",
         "https://example.org/%24(touch%20x)%60id%60"},
        {"backslash", "https://example.org/a\\b", "https://example.org/a%5Cb"},
        {"non-ASCII", "https://example.org/\xe6\x97\xa5", "https://example.org/%E6%97%A5"},
        {"a local file", "file:///etc/passwd", ""},
        {"a program", "/usr/bin/xterm", ""},
        {"script", "javascript:alert(1)", ""},
        {"empty", "", ""},
    };

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        EXPECT_EQ(UpdateChecker::toBrowserAddress(juce::String::fromUTF8(entry.address)).toString(true),
                  entry.opened);
    }
}
