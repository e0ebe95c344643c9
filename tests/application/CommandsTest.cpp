#include "MainWindowOnJack.h"

#include "app/CommandIds.h"
#include "app/OstrelCommandTarget.h"
#include "app/OstrelMenuBarModel.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "processors/MuteProcessor.h"
#include "remote/OstrelOSCReciever.h"
#include "remote/OstrelOSCRecieverEditor.h"
#include "ui/AboutDialog.h"
#include "ui/ApplicationSettingsUI.h"
#include "ui/AudioRecorderEditor.h"
#include "ui/OSSCreditsDialog.h"
#include "ui/OstrelUI.h"

namespace tessel::test
{
namespace
{
using Commands = MainWindowOnJack;

float bgmMute(OstrelAudioService& service)
{
    const juce::ScopedLock sl(service.getGraphLock());
    return service.getBgmMute()->getParameters()[0]->getValue();
}

juce::ApplicationCommandInfo infoOf(juce::ApplicationCommandManager& manager, int commandId)
{
    juce::ApplicationCommandInfo info(commandId);
    manager.getFirstCommandTarget(commandId)->getCommandInfo(commandId, info);
    return info;
}

int alertWindowsTitled(const juce::String& title)
{
    int count = 0;
    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(juce::Desktop::getInstance().getComponent(i)))
            count += alert->getName() == title ? 1 : 0;
    return count;
}
} // namespace

TEST_F(Commands, EveryCommandHasItsNameAndKey)
{
    openWindow();
    const auto ctrl = juce::ModifierKeys::ctrlModifier;
    const struct
    {
        int id;
        const char* name;
        juce::KeyPress key;
    } cases[] = {
        {1, "Select Model Order 1", juce::KeyPress('1', ctrl, 0)},
        {5, "Select Model Order 5", juce::KeyPress('5', ctrl, 0)},
        {9, "Select Model Order 9", juce::KeyPress('9', ctrl, 0)},
        {10, "Change Bypass On", juce::KeyPress('0', ctrl, 0)},
        {11, "Change Mute On", {}},
        {12, "Change Mute Off", {}},
        {13, "Change Mute On/Off", juce::KeyPress(juce::KeyPress::spaceKey)},
        {14, "Start/Stop Recording", juce::KeyPress('r', ctrl, 0)},
        {15, "Show/Hide Settings UI", juce::KeyPress(',', ctrl, 0)}, // the command key is Ctrl here
        {16, "About Tavilo...", {}},
        {17, "Acknowledgements...", {}},
        {18, "User Guide", {}},
        {22, "Guidelines for using Characters", {}},
        {23, "Check Update...", {}},
        {24, "Exit Tavilo", {}},
        {25, "Soft Reset", {}},
        {26, "Hard Reset", {}},
        {27, "Start Audio Logging", {}},
        {28, "Open Log Folder...", {}},
    };

    juce::Array<juce::CommandID> all;
    component().getCommandTarget()->getAllCommands(all);
    ASSERT_EQ(all.size(), 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_EQ(all[i], i + 1);

    auto& keys = *commandManager->getKeyMappings();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.id);
        const auto info = infoOf(*commandManager, c.id);
        EXPECT_EQ(info.shortName, c.name);
        EXPECT_TRUE(info.description.isEmpty());
        EXPECT_TRUE(info.categoryName.isEmpty());
        if (c.key.isValid())
        {
            EXPECT_EQ(keys.findCommandForKeyPress(c.key), c.id);
            EXPECT_EQ(keys.getKeyPressesAssignedToCommand(c.id).size(), 1);
        }
        else
        {
            EXPECT_TRUE(keys.getKeyPressesAssignedToCommand(c.id).isEmpty());
        }
    }
}

TEST_F(Commands, ModelGroupCommandSelectsTheFirstModelOfItsGroupAndEndsTheBypass)
{
    openWindow("en", 3); // the built-in characters and three more: five groups
    auto& vm = viewModel();
    ASSERT_EQ(vm.getGroups().size(), 5u);
    const auto slot = vm.getSelectedSlot();
    const auto before = vm.getSlotIdentifier(slot);

    invoke(CommandIds::changeBypassOn);
    EXPECT_TRUE(service().isConversionBypassed());

    invoke(CommandIds::selectModelOrder(6)); // no sixth group: nothing happens
    EXPECT_EQ(vm.getSlotIdentifier(slot), before);
    EXPECT_TRUE(service().isConversionBypassed());

    // Ctrl+5 as the keyboard delivers it.
    ASSERT_TRUE(commandManager->getKeyMappings()->keyPressed(
        juce::KeyPress('5', juce::ModifierKeys::ctrlModifier, 0), &component()));
    testing_support::runMessageLoop(300);
    const auto fifth = vm.getGroups()[4].members.front()->getIdentifier();
    EXPECT_EQ(vm.getSlotIdentifier(slot), fifth);
    EXPECT_EQ(vm.getSelectedSlot(), slot);
    EXPECT_FALSE(service().isConversionBypassed());
    EXPECT_NE(service().getModel(), nullptr);

    invoke(CommandIds::selectModelOrder(1));
    EXPECT_EQ(vm.getSlotIdentifier(slot), vm.getGroups()[0].members.front()->getIdentifier());
}

TEST_F(Commands, MuteCommandsSetAndToggleVoiceAndAuxMutes)
{
    openWindow();
    invoke(CommandIds::changeMuteOn);
    invoke(CommandIds::changeMuteOn); // no toggle: still on
    EXPECT_TRUE(service().isMuted());
    EXPECT_EQ(bgmMute(service()), 1.0f);

    invoke(CommandIds::changeMuteOff);
    EXPECT_FALSE(service().isMuted());
    EXPECT_EQ(bgmMute(service()), 0.0f);

    // Space twice: on, then back off.
    auto& keys = *commandManager->getKeyMappings();
    ASSERT_TRUE(keys.keyPressed(juce::KeyPress(juce::KeyPress::spaceKey), &component()));
    testing_support::runMessageLoop(100);
    EXPECT_TRUE(service().isMuted());
    ASSERT_TRUE(keys.keyPressed(juce::KeyPress(juce::KeyPress::spaceKey), &component()));
    testing_support::runMessageLoop(100);
    EXPECT_FALSE(service().isMuted());
    EXPECT_EQ(bgmMute(service()), 0.0f);
}

TEST_F(Commands, RecordingCommandWritesAFileAndShowsTheMessage)
{
    openWindow();
    const auto folder = settings->getFolder().getChildFile("recordings");
    invoke(CommandIds::startStopRecording);
    EXPECT_TRUE(service().isRecording());
    testing_support::runMessageLoop(200);
    EXPECT_EQ(screen().getMessageOverlay().label.getText(), "Recording now.");

    client->startPlaying({std::vector<float>(4410, 0.25f)});
    testing_support::runMessageLoop(700);
    invoke(CommandIds::startStopRecording);
    client->stopPlaying();
    EXPECT_FALSE(service().isRecording());
    testing_support::runMessageLoop(200);
    EXPECT_FALSE(screen().getMessageOverlay().isVisible());

    const auto files = folder.findChildFiles(juce::File::findFiles, false, "*.wav");
    ASSERT_EQ(files.size(), 1);
    EXPECT_GT(files[0].getSize(), 44100 * 4 / 4) << "at least a quarter of a second of 16-bit stereo";
}

TEST_F(Commands, SettingsCommandShowsTheOverlayAndClosingItSaves)
{
    openWindow();
    invoke(CommandIds::showHideSettingsUI);
    auto* overlay = screen().getSettingsOverlay();
    ASSERT_NE(dynamic_cast<ApplicationSettingsUI*>(overlay), nullptr);
    EXPECT_TRUE(overlay->isShowing());
    ASSERT_EQ(screen().getExtraSettingsPanels().size(), 2u);
    EXPECT_NE(dynamic_cast<AudioRecorderEditor*>(screen().getExtraSettingsPanels()[0].get()), nullptr)
        << "the recorder's panel comes first";
    auto* oscPanel = dynamic_cast<OstrelOSCRecieverEditor*>(screen().getExtraSettingsPanels()[1].get());
    ASSERT_NE(oscPanel, nullptr);
    EXPECT_EQ(oscPanel->getParentComponent(), overlay);

    // A change kept in memory reaches the file when the overlay closes.
    component().getOSCReceiver()->setPort(9123);
    invoke(CommandIds::showHideSettingsUI);
    EXPECT_EQ(screen().getSettingsOverlay(), nullptr);
    EXPECT_EQ(oscPanel->getParentComponent(), nullptr) << "the screen keeps the panel";
    settings->getFile().reload();
    const auto stored = juce::parseXML(settings->getFile().getValue(PropertiesFileManager::oscSetupKey));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->getIntAttribute("PortNumber"), 9123);

    // Ctrl+comma opens it again and Ctrl+comma closes it.
    auto& keys = *commandManager->getKeyMappings();
    ASSERT_TRUE(keys.keyPressed(juce::KeyPress(',', juce::ModifierKeys::ctrlModifier, 0), &component()));
    testing_support::runMessageLoop(100);
    EXPECT_NE(screen().getSettingsOverlay(), nullptr);
    ASSERT_TRUE(keys.keyPressed(juce::KeyPress(',', juce::ModifierKeys::ctrlModifier, 0), &component()));
    testing_support::runMessageLoop(100);
    EXPECT_EQ(screen().getSettingsOverlay(), nullptr);
}

TEST_F(Commands, AudioLoggingCommandIsNamedAndTickedAfterItsState)
{
    openWindow();
    auto* menus = component().getMenuBarModel();
    const auto toolsItem = [&]
    {
        const auto menu = menus->getMenuForIndex(1, "Tool");
        juce::PopupMenu::MenuItemIterator items(menu);
        for (int i = 0; i < 3; ++i)
            items.next();
        return items.getItem();
    };

    auto info = infoOf(*commandManager, CommandIds::startStopAudioLogging);
    EXPECT_EQ(info.shortName, "Start Audio Logging");
    EXPECT_EQ(info.flags & juce::ApplicationCommandInfo::isTicked, 0);
    EXPECT_EQ(info.flags & juce::ApplicationCommandInfo::isDisabled, 0);

    invoke(CommandIds::startStopAudioLogging);
    EXPECT_TRUE(service().isAudioLogging());
    info = infoOf(*commandManager, CommandIds::startStopAudioLogging);
    EXPECT_EQ(info.shortName, "Stop Audio Logging");
    EXPECT_NE(info.flags & juce::ApplicationCommandInfo::isTicked, 0);
    EXPECT_EQ(toolsItem().text, "Stop Audio Logging");
    EXPECT_TRUE(toolsItem().isTicked);

    testing_support::runMessageLoop(300);
    invoke(CommandIds::startStopAudioLogging);
    EXPECT_FALSE(service().isAudioLogging());
    EXPECT_EQ(toolsItem().text, "Start Audio Logging");
    EXPECT_FALSE(toolsItem().isTicked);

    const auto logs = settings->getFolder().getChildFile("AudioLog");
    EXPECT_EQ(logs.findChildFiles(juce::File::findFiles, false, "Tavilo_Input_*").size(), 1);
    EXPECT_EQ(logs.findChildFiles(juce::File::findFiles, false, "Tavilo_Output_*").size(), 1);
}

TEST_F(Commands, ResetCommandsRebuildTheChainAndKeepTheDevice)
{
    openWindow();
    invoke(CommandIds::changeMuteOn);
    const auto* muteBefore = service().getVoiceMute();

    invoke(CommandIds::restartAudioProcessor);
    testing_support::runMessageLoop(1500);
    EXPECT_NE(service().getVoiceMute(), muteBefore) << "a soft reset builds new processors";
    EXPECT_TRUE(service().isMuted()) << "the stored values survive";

    invoke(CommandIds::restartAudioDevice);
    testing_support::runMessageLoop(3000);
    ASSERT_NE(service().getDeviceManager().getCurrentAudioDevice(), nullptr);
    EXPECT_EQ(service().getDeviceManager().getCurrentAudioDevice()->getName(), juce::String(client->getName()));
    EXPECT_TRUE(service().isMuted());
}

TEST_F(Commands, DesktopCommandsOpenPagesTheSettingsFileAndOneDialogEach)
{
    openWindow();
    juce::StringArray opened;
    juce::File revealed;
    int quits = 0, updateChecks = 0;
    auto actions = OstrelCommandTarget::SystemActions::standard();
    actions.openInBrowser = [&](const juce::URL& url) { opened.add(url.toString(false)); };
    actions.revealFile = [&](const juce::File& file) { revealed = file; };
    actions.quit = [&] { ++quits; };
    actions.checkForUpdate = [&] { ++updateChecks; };
    component().getCommandTarget()->setSystemActions(actions);

    for (int id = CommandIds::linkUserGuide; id <= CommandIds::linkGuidelineUsingCharacters; ++id)
        invoke(id);
    EXPECT_EQ(opened, juce::StringArray({"https://tavilo.org/guide/", "https://tavilo.org/ostrel/",
                                         "https://tavilo.org/eula/", "https://tavilo.org/privacy/",
                                         "https://tavilo.org/characters/"}));

    invoke(CommandIds::openPropertyDirectory);
    EXPECT_EQ(revealed, settings->getFile().getFile());
    invoke(CommandIds::exitApp);
    EXPECT_EQ(quits, 1);
    invoke(CommandIds::checkUpdate);
    EXPECT_EQ(updateChecks, 1);

    // The dialogs run modally: the second request comes while the first dialog is open.
    const struct
    {
        int id;
        const char* title;
        std::function<juce::Component*()> openDialog;
    } dialogs[] = {{CommandIds::aboutApp, "About Tavilo", [] { return AboutDialog::getOpenDialog(); }},
                   {CommandIds::acknowledgements, "Acknowledgements", [] { return OSSCreditsDialog::getOpenDialog(); }}};
    for (const auto& dialog : dialogs)
    {
        SCOPED_TRACE(dialog.title);
        int shown = -1;
        juce::Timer::callAfterDelay(300,
                                    [&]
                                    {
                                        commandManager->invokeDirectly(dialog.id, false);
                                        shown = alertWindowsTitled(dialog.title);
                                        if (auto* open = dialog.openDialog())
                                            open->exitModalState(0);
                                    });
        commandManager->invokeDirectly(dialog.id, false); // returns when the dialog closes
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(dialog.openDialog(), nullptr);
    }
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    testing_support::runMessageLoop(200);
}

TEST_F(Commands, CommandsWhoseObjectsAreGoneDoNothing)
{
    OstrelCommandTarget target({}, {}, {});
    auto actions = OstrelCommandTarget::SystemActions::standard();
    actions.openInBrowser = nullptr; // no browser during tests
    actions.quit = nullptr;
    actions.checkForUpdate = nullptr;
    actions.revealFile = nullptr;
    actions.showAbout = nullptr;
    actions.showAcknowledgements = nullptr;
    target.setSystemActions(actions);

    for (int id = 0; id <= 29; ++id)
    {
        SCOPED_TRACE(id);
        juce::ApplicationCommandTarget::InvocationInfo info(id);
        EXPECT_EQ(target.perform(info), id >= 1 && id <= 28);
    }
    juce::ApplicationCommandInfo info(CommandIds::startStopAudioLogging);
    target.getCommandInfo(CommandIds::startStopAudioLogging, info);
    EXPECT_NE(info.flags & juce::ApplicationCommandInfo::isDisabled, 0);
    EXPECT_EQ(info.flags & juce::ApplicationCommandInfo::isTicked, 0);
}

TEST_F(Commands, WithoutAnyAudioDeviceTheWindowOpensWithTheDeviceMessage)
{
    openWindow("en", 0, false);
    EXPECT_TRUE(window->isShowing());
    EXPECT_EQ(service().getDeviceManager().getCurrentAudioDevice(), nullptr);
    auto& overlay = screen().getMessageOverlay();
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.label.getText(), "Please setup Audio Device (Output)");
    EXPECT_EQ(overlay.getOpacity(), 0.5f) << "a missing device blocks the screen";

    // The commands still run.
    invoke(CommandIds::changeMuteOn);
    EXPECT_TRUE(service().isMuted());
}
} // namespace tessel::test
