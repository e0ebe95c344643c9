#include "SettingsTestSupport.h"

#include "ui/AboutDialog.h"
#include "ui/OSSCreditsDialog.h"
#include "ui/OstrelAudioDeviceSelector.h"

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

using SettingsOverlay = OverlayOnScreen;

/** The recorder's settings as the settings file on disk holds them. */
juce::String storedRecorderSettings(testing_support::ScopedSettingsStore& settings)
{
    const juce::PropertiesFile onDisk(settings.getFile().getFile(), PropertiesFileManager::createOptions());
    return onDisk.getValue(PropertiesFileManager::audioRecorderSetupKey);
}

TEST_F(SettingsOverlay, CommandFifteenOpensAndClosesItAndTheExtraPanelsComeBackEachTime)
{
    openScreen(1600, 1000);
    auto* recorder = screen().getExtraSettingsPanels()[0].get();
    auto* osc = screen().getExtraSettingsPanels()[1].get();
    const auto folder = settings->getFolder();

    // Opening saves the settings.
    service->setRecordingDirectory(folder.getChildFile("chosen-before-opening"));
    commands.invokeDirectly(15, true);
    ASSERT_TRUE(runUntil([&] { return overlay() != nullptr; }, 2000));
    EXPECT_TRUE(storedRecorderSettings(*settings).contains("chosen-before-opening"));

    // It covers the whole screen, in front of every panel and the message overlay.
    auto* shown = overlay();
    EXPECT_EQ(shown->getParentComponent(), &screen());
    EXPECT_EQ(shown->getBounds(), screen().getLocalBounds());
    EXPECT_TRUE(shown->isOpaque());
    EXPECT_EQ(screen().getChildren().getLast(), shown);
    EXPECT_EQ(shown->getExtraPanels(), (std::vector<juce::Component*>{recorder, osc}));
    for (auto* panel : {recorder, osc})
    {
        EXPECT_EQ(panel->getParentComponent(), shown);
        EXPECT_TRUE(panel->isShowing());
    }
    EXPECT_EQ(shown->getTitleLabel().getText(), "Application Settings");
    juce::Component::SafePointer<juce::Component> firstEditor(&shown->getModelEditor()),
        firstAudioSection(&shown->getAudioSection());

    // Closing saves them too and leaves the panels with the screen.
    service->setRecordingDirectory(folder.getChildFile("chosen-while-open"));
    commands.invokeDirectly(15, true);
    ASSERT_TRUE(runUntil([&] { return overlay() == nullptr; }, 2000));
    EXPECT_TRUE(storedRecorderSettings(*settings).contains("chosen-while-open"));
    EXPECT_EQ(screen().getExtraSettingsPanels()[0].get(), recorder);
    EXPECT_EQ(recorder->getParentComponent(), nullptr);
    EXPECT_EQ(osc->getParentComponent(), nullptr);
    EXPECT_EQ(firstEditor.getComponent(), nullptr) << "the sections go with the overlay";
    EXPECT_EQ(firstAudioSection.getComponent(), nullptr);

    // The next opening has fresh sections and the same panels.
    commands.invokeDirectly(15, true);
    ASSERT_TRUE(runUntil([&] { return overlay() != nullptr; }, 2000));
    EXPECT_EQ(recorder->getParentComponent(), overlay());
    EXPECT_EQ(osc->getParentComponent(), overlay());
    EXPECT_EQ(target.performed, 3);
}

TEST_F(SettingsOverlay, CloseButtonInvokesTheCommandThatClosesIt)
{
    openScreen(1600, 1000);
    toggleSettings();
    ASSERT_NE(overlay(), nullptr);
    auto& close = overlay()->getCloseButton();
    clickAt(pointOf(close, close.getLocalBounds().getCentre()));
    ASSERT_TRUE(runUntil([&] { return overlay() == nullptr; }, 2000));
    EXPECT_EQ(target.performed, 1);
}

TEST_F(SettingsOverlay, LayoutFollowsTheMainScreensContentArea)
{
    // The virtual display is 1920 pixels wide, which gives the content aspect 1.6.
    const struct
    {
        int width, height, x0;
    } sizes[] = {{1600, 1000, 0}, {2000, 1000, 200}};
    for (const auto& size : sizes)
    {
        SCOPED_TRACE(juce::String(size.width) + "x" + juce::String(size.height));
        openScreen(size.width, size.height);
        toggleSettings();
        ASSERT_NE(overlay(), nullptr);
        auto& o = *overlay();
        const int x = size.x0 + 22; // margin 0.0139 * 1600 = 22.24
        EXPECT_EQ(o.getTitleLabel().getBounds(), juce::Rectangle<int>(x, 0, 1556, 156));
        EXPECT_EQ(o.getCloseButton().getBounds(), juce::Rectangle<int>(x + 1556 - 156 + 12, 12, 132, 132));
        EXPECT_EQ(o.getModelEditor().getBounds(), juce::Rectangle<int>(x, 156, 777, 844));
        EXPECT_EQ(o.getAudioViewport().getBounds(), juce::Rectangle<int>(x + 777, 156, 779, 590));
        const auto audio = o.getAudioSection().getBounds();
        EXPECT_EQ(audio.getWidth(), 779) << "it fits: no scroll bar";
        EXPECT_LE(audio.getHeight(), 590) << "the audio section shrinks to its content";
        EXPECT_GT(audio.getHeight(), 300);
        ASSERT_EQ(o.getExtraPanels().size(), 2u);
        EXPECT_EQ(o.getExtraPanels()[0]->getBounds(), juce::Rectangle<int>(x + 777, 834, 779, 83));
        EXPECT_EQ(o.getExtraPanels()[1]->getBounds(), juce::Rectangle<int>(x + 777, 917, 779, 83));
        TearDown();
    }

    // In the smallest window the audio section needs more than its share: it scrolls, and the whole
    // routing panel can be reached.
    openScreen(1065, 665);
    toggleSettings();
    ASSERT_NE(overlay(), nullptr);
    auto& viewport = overlay()->getAudioViewport();
    auto& selector = dynamic_cast<OstrelAudioDeviceSelector&>(overlay()->getAudioSection());
    EXPECT_GT(selector.getHeight(), viewport.getHeight());
    EXPECT_TRUE(viewport.getVerticalScrollBar().isVisible());
    EXPECT_EQ(selector.getWidth(), viewport.getWidth() - viewport.getScrollBarThickness());
    EXPECT_LE(selector.getRoutingPanel().getBottom(), selector.getHeight());
}

TEST_F(SettingsOverlay, BrowseStoresTheChosenFolderWithoutIllegalCharacters)
{
    openScreen(1600, 1000);
    toggleSettings();
    auto& recorder = dynamic_cast<AudioRecorderEditor&>(*screen().getExtraSettingsPanels()[0]);
    juce::File answer;
    int asked = 0;
    recorder.setDirectoryChooser(
        [&](std::function<void(const juce::File&)> chosen)
        {
            ++asked;
            chosen(answer);
        });
    const auto before = service->getRecordingDirectory();
    EXPECT_EQ(recorder.getDirectoryLabel().getText(), before.getFullPathName());
    EXPECT_EQ(recorder.getOutputLabel().getText(),
              "Recording data will save to\"" +
                  OstrelAudioService::recordingFileNameFor(juce::Time::getCurrentTime()) + "\"");
    EXPECT_TRUE(recorder.getOutputLabel().getText().endsWith(".wav\""));

    // Cancelled: nothing changes.
    recorder.getBrowseButton().triggerClick();
    runMessageLoop(50);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(service->getRecordingDirectory(), before);

    // A recording of the day exists already: the next one goes to its sibling, and the label says so.
    const auto today =
        before.getChildFile(OstrelAudioService::recordingFileNameFor(juce::Time::getCurrentTime()));
    ASSERT_TRUE(before.createDirectory());
    ASSERT_TRUE(today.create());
    recorder.refresh();
    const auto next = service->getNextRecordingFile();
    EXPECT_EQ(next.getParentDirectory(), before);
    EXPECT_NE(next.getFileName(), today.getFileName());
    EXPECT_EQ(recorder.getOutputLabel().getText(), "Recording data will save to\"" + next.getFileName() + "\"");

    answer = juce::File("/Users/a:b/rec");
    recorder.getBrowseButton().triggerClick();
    runMessageLoop(50);
    EXPECT_EQ(service->getRecordingDirectory().getFullPathName(), "/Users/ab/rec");
    EXPECT_EQ(recorder.getDirectoryLabel().getText(), "/Users/ab/rec");
}

TEST(RecorderFolderPath, KeepsADrivePrefixAndDropsIllegalCharactersFromTheRest)
{
    const juce::String longName = juce::String::repeatedString("d", 2000);
    const struct
    {
        juce::String chosen, stored;
    } cases[] = {
        {"/Users/a:b/rec", "/Users/ab/rec"},
        {"/home/u/Music/Tavilo", "/home/u/Music/Tavilo"},
        {"C:/Rec:ord", "C:/Record"},
        {"/a\"#@,;:<>*^|?b", "/ab"},
        {"/" + longName, ("/" + longName).substring(0, 1024)},
        {"C:/" + longName, "C:" + ("/" + longName).substring(0, 1024)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AudioRecorderEditor::makeLegalDirectoryPath(c.chosen), c.stored)
            << c.chosen.substring(0, 40);
}

/** The dialogs on the desktop of a kind. */
template <typename Dialog> int openDialogs()
{
    int count = 0;
    for (auto* alert : alertWindows())
        count += dynamic_cast<Dialog*>(alert) != nullptr ? 1 : 0;
    return count;
}

TEST_F(SettingsOverlay, AboutOpenedTwiceShowsOneDialogThatReturnCloses)
{
    startService({0, 1, 2, 1});
    int shownWhileOpen = -1;
    juce::String version;
    int contentHeight = 0;
    juce::MessageManager::callAsync(
        [&]
        {
            // The second request comes while the first dialog runs: it returns at once.
            AboutDialog::show();
            shownWhileOpen = openDialogs<AboutDialog>();
            auto* dialog = AboutDialog::getOpenDialog();
            if (dialog == nullptr)
                return;
            version = dialog->getAboutComponent().getVersionLabel().getText();
            contentHeight = dialog->getAboutComponent().getContent().getHeight();
            static_cast<juce::Component*>(dialog)->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        });
    AboutDialog::show();

    EXPECT_EQ(shownWhileOpen, 1);
    EXPECT_EQ(version, "Version 1.5.0 Open Source Edition");
    EXPECT_EQ(contentHeight, 134);
    EXPECT_EQ(AboutDialog::getOpenDialog(), nullptr);
    runMessageLoop(50);
    EXPECT_EQ(openDialogs<AboutDialog>(), 0);
}

TEST_F(SettingsOverlay, AcknowledgementsOpenedTwiceShowOneDialogNamingEveryLibraryAndItsLicence)
{
    startService({0, 1, 2, 1});
    int shownWhileOpen = -1;
    juce::String text;
    juce::MessageManager::callAsync(
        [&]
        {
            OSSCreditsDialog::show();
            shownWhileOpen = openDialogs<OSSCreditsDialog>();
            auto* dialog = OSSCreditsDialog::getOpenDialog();
            if (dialog == nullptr)
                return;
            text = dialog->getCreditsComponent().getText();
            static_cast<juce::Component*>(dialog)->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        });
    OSSCreditsDialog::show();

    EXPECT_EQ(shownWhileOpen, 1);
    EXPECT_EQ(OSSCreditsDialog::getOpenDialog(), nullptr);
    for (const char* name :
         {"JUCE", "GNU General Public License version 3", "picojson", "FFTW 3", "libcurl", "FreeType",
          "libpng", "libjpeg", "zlib", "ALSA", "JACK", "Noto Sans CJK", "SIL Open Font License",
          "Voice Conversion Challenge 2016", "Open Data Commons Attribution"})
        EXPECT_TRUE(text.contains(name)) << name;
}
} // namespace
} // namespace tessel::test
