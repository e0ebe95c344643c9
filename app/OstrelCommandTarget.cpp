#include "app/OstrelCommandTarget.h"

#include "app/PropertiesFileManager.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "remote/UpdateChecker.h"
#include "remote/UpdateDialog.h"
#include "ui/AboutDialog.h"
#include "ui/OSSCreditsDialog.h"
#include "ui/OstrelUI.h"

namespace tessel
{

namespace
{
/** Keys whose translation names commands 16 to 28 (command 27 is named by its state). */
const char* nameKeyOf(juce::CommandID commandID)
{
    switch (commandID)
    {
        case CommandIds::aboutApp: return "MENUm_AboutApp";
        case CommandIds::acknowledgements: return "MENUc_Acknowledgements";
        case CommandIds::linkUserGuide: return "Link_UserGuide";
        case CommandIds::linkOstrel: return "Link_Ostrel";
        case CommandIds::linkEULA: return "Link_EULA";
        case CommandIds::linkPrivacyPolicy: return "Link_PrivacyPolicy";
        case CommandIds::linkGuidelineUsingCharacters: return "Link_GuidelineUsingCharacters";
        case CommandIds::checkUpdate: return "MENUm_CheckUpdate";
        case CommandIds::exitApp: return "MENUm_ExitApp";
        case CommandIds::restartAudioProcessor: return "Tool_RestartAudioProcessor";
        case CommandIds::restartAudioDevice: return "Tool_RestartAudioDevice";
        case CommandIds::openPropertyDirectory: return "Tool_OpenPropertyDirectory";
        default: return nullptr;
    }
}

const char* urlKeyOf(juce::CommandID commandID)
{
    switch (commandID)
    {
        case CommandIds::linkUserGuide: return "URL_UserGuideMacECStore";
        case CommandIds::linkOstrel: return "URL_Ostrel";
        case CommandIds::linkEULA: return "URL_EULA";
        case CommandIds::linkPrivacyPolicy: return "URL_PrivacyPolicy";
        case CommandIds::linkGuidelineUsingCharacters: return "URL_GuidelineUsingCharacters";
        default: return nullptr;
    }
}

} // namespace

OstrelCommandTarget::SystemActions OstrelCommandTarget::SystemActions::standard()
{
    SystemActions actions;
    actions.openInBrowser = [](const juce::URL& address) { address.launchInDefaultBrowser(); };
    actions.revealFile = [](const juce::File& file) { file.revealToUser(); };
    actions.quit = [] { juce::JUCEApplicationBase::quit(); };
    actions.checkForUpdate = []
    {
        UpdateChecker checker;
        checker.checkForUpdate(true);
    };
    actions.showAbout = [] { AboutDialog::show(); };
    actions.showAcknowledgements = [] { OSSCreditsDialog::show(); };
    return actions;
}

OstrelCommandTarget::OstrelCommandTarget(std::weak_ptr<OstrelAudioService> service,
                                         std::weak_ptr<PupackManager> modelLibrary,
                                         std::weak_ptr<OstrelUI> screen)
    : audioService(std::move(service)), library(std::move(modelLibrary)), mainScreen(std::move(screen))
{
}

OstrelCommandTarget::~OstrelCommandTarget() = default;

void OstrelCommandTarget::getAllCommands(juce::Array<juce::CommandID>& commands)
{
    for (juce::CommandID id = CommandIds::first; id <= CommandIds::last; ++id)
        commands.add(id);
}

void OstrelCommandTarget::getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    using juce::KeyPress;
    using juce::ModifierKeys;

    if (commandID >= CommandIds::selectModelOrder1 && commandID <= CommandIds::selectModelOrder9)
    {
        const int position = commandID - CommandIds::selectModelOrder1 + 1;
        result.setInfo("Select Model Order " + juce::String(position), {}, {}, 0);
        result.addDefaultKeypress('0' + position, ModifierKeys::ctrlModifier);
        return;
    }

    switch (commandID)
    {
        case CommandIds::changeBypassOn:
            result.setInfo("Change Bypass On", {}, {}, 0);
            result.addDefaultKeypress('0', ModifierKeys::ctrlModifier);
            return;
        case CommandIds::changeMuteOn: result.setInfo("Change Mute On", {}, {}, 0); return;
        case CommandIds::changeMuteOff: result.setInfo("Change Mute Off", {}, {}, 0); return;
        case CommandIds::changeMuteOnOff:
            result.setInfo("Change Mute On/Off", {}, {}, 0);
            result.addDefaultKeypress(KeyPress::spaceKey, ModifierKeys::noModifiers);
            return;
        case CommandIds::startStopRecording:
            result.setInfo("Start/Stop Recording", {}, {}, 0);
            result.addDefaultKeypress('r', ModifierKeys::ctrlModifier);
            return;
        case CommandIds::showHideSettingsUI:
            // The command modifier is the control key on this platform.
            result.setInfo("Show/Hide Settings UI", {}, {}, 0);
            result.addDefaultKeypress(',', ModifierKeys::commandModifier);
            return;
        case CommandIds::startStopAudioLogging:
        {
            const auto service = audioService.lock();
            if (service == nullptr)
            {
                result.setInfo("Start/Stop Audio Logging", {}, {}, 0);
                result.setActive(false);
                return;
            }
            const bool logging = service->isAudioLogging();
            result.setInfo(juce::translate(logging ? "Tool_StopAudioLogging" : "Tool_StartAudioLogging"), {}, {},
                           0);
            result.setTicked(logging);
            return;
        }
        default: break;
    }

    if (const char* key = nameKeyOf(commandID))
        result.setInfo(juce::translate(key), {}, {}, 0);
}

juce::String OstrelCommandTarget::getInformationPageAddress(juce::CommandID commandID)
{
    const char* key = urlKeyOf(commandID);
    return key != nullptr ? juce::translate(key) : juce::String();
}

bool OstrelCommandTarget::perform(const InvocationInfo& info)
{
    const auto id = info.commandID;
    if (id < CommandIds::first || id > CommandIds::last)
        return false;

    if (id >= CommandIds::selectModelOrder1 && id <= CommandIds::selectModelOrder9)
    {
        selectModelGroup(id - CommandIds::selectModelOrder1 + 1);
        return true;
    }

    switch (id)
    {
        case CommandIds::changeBypassOn:
            if (const auto service = audioService.lock())
                service->setConversionBypassed(true);
            break;
        case CommandIds::changeMuteOn:
            if (const auto service = audioService.lock())
                service->setMuted(true);
            break;
        case CommandIds::changeMuteOff:
            if (const auto service = audioService.lock())
                service->setMuted(false);
            break;
        case CommandIds::changeMuteOnOff: toggleMute(); break;
        case CommandIds::startStopRecording:
            // The service raises or clears "MSG_Recording" and tells the main component, which
            // refreshes the screen.
            if (const auto service = audioService.lock())
                service->toggleRecording();
            break;
        case CommandIds::showHideSettingsUI: toggleSettingsOverlay(); break;
        case CommandIds::aboutApp:
            if (systemActions.showAbout != nullptr)
                systemActions.showAbout();
            break;
        case CommandIds::acknowledgements:
            if (systemActions.showAcknowledgements != nullptr)
                systemActions.showAcknowledgements();
            break;
        case CommandIds::linkUserGuide:
        case CommandIds::linkOstrel:
        case CommandIds::linkEULA:
        case CommandIds::linkPrivacyPolicy:
        case CommandIds::linkGuidelineUsingCharacters:
            if (systemActions.openInBrowser != nullptr)
                systemActions.openInBrowser(juce::URL(getInformationPageAddress(id)));
            break;
        case CommandIds::checkUpdate:
            if (UpdateDialog::getOpenDialog() == nullptr && systemActions.checkForUpdate != nullptr)
                systemActions.checkForUpdate();
            break;
        case CommandIds::exitApp:
            if (systemActions.quit != nullptr)
                systemActions.quit();
            break;
        case CommandIds::restartAudioProcessor:
            if (const auto service = audioService.lock())
                service->softReset();
            break;
        case CommandIds::restartAudioDevice:
            if (const auto service = audioService.lock())
                service->hardReset();
            break;
        case CommandIds::startStopAudioLogging: toggleAudioLogging(); break;
        case CommandIds::openPropertyDirectory:
            if (auto* file = PropertiesFileManager::getInstance()->getPropertiesFile())
                if (systemActions.revealFile != nullptr)
                    systemActions.revealFile(file->getFile());
            break;
        default: break;
    }
    return true;
}

void OstrelCommandTarget::selectModelGroup(int position)
{
    const auto modelLibrary = library.lock();
    auto* viewModel = modelLibrary != nullptr ? modelLibrary->getSelectorViewModel() : nullptr;
    if (viewModel == nullptr)
        return;

    const auto& groups = viewModel->getGroups();
    if (position < 1 || static_cast<std::size_t>(position) > groups.size())
        return;

    const auto& group = groups[static_cast<std::size_t>(position - 1)];
    if (group.members.empty())
        return;

    // Copied: setSlot rebuilds the groups.
    const auto identifier = group.members.front()->getIdentifier();
    viewModel->setSlot(viewModel->getSelectedSlot(), identifier);

    if (const auto service = audioService.lock())
        service->setConversionBypassed(false);
}

void OstrelCommandTarget::toggleSettingsOverlay()
{
    const auto screen = mainScreen.lock();
    if (screen == nullptr)
        return;

    // Closing destroys the overlay, whose destructor saves the settings.
    if (screen->getSettingsOverlay() != nullptr)
    {
        screen->setSettingsOverlay(nullptr);
        return;
    }

    const auto service = audioService.lock();
    const auto modelLibrary = library.lock();
    if (service == nullptr || modelLibrary == nullptr || settingsOverlayFactory == nullptr)
        return;

    std::vector<juce::Component*> extraPanels;
    for (const auto& panel : screen->getExtraSettingsPanels())
        extraPanels.push_back(panel.get());

    screen->setSettingsOverlay(settingsOverlayFactory(*service, *modelLibrary, extraPanels));
    PropertiesFileManager::getInstance()->save();
}

void OstrelCommandTarget::toggleMute()
{
    if (const auto service = audioService.lock())
        service->setMuted(!service->isMuted());
}

void OstrelCommandTarget::toggleAudioLogging()
{
    const auto service = audioService.lock();
    if (service == nullptr)
        return;

    service->toggleAudioLogging();
    // Command 27 is now named and ticked differently.
    if (commandManager != nullptr)
        commandManager->commandStatusChanged();
}

} // namespace tessel
