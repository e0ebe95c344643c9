#include "app/OstrelPCApplication.h"

#include "app/ErrorMessageManager.h"
#include "app/MainComponent.h"
#include "app/MainWindow.h"
#include "app/OperatingSystemVersion.h"
#include "app/PropertiesFileManager.h"
#include "engine/Vocaform.h"
#include "remote/UpdateChecker.h"
#include "ui/LookAndFeel_Ostrel.h"

namespace tessel
{

OstrelPCApplication::OstrelPCApplication() = default;

OstrelPCApplication::~OstrelPCApplication()
{
    // The properties (which write any change they still hold) go before the look and feel; JUCE
    // must not keep the look and feel as its default once it is gone.
    properties.closeFiles();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    lookAndFeel.reset();
}

OstrelPCApplication* OstrelPCApplication::getApp()
{
    return dynamic_cast<OstrelPCApplication*>(juce::JUCEApplication::getInstance());
}

void OstrelPCApplication::initialise(const juce::String&)
{
    // 1, 2. Commands, and the look every component created from now on uses.
    commandManager = std::make_unique<juce::ApplicationCommandManager>();
    lookAndFeel = std::make_unique<LookAndFeel_Ostrel>();
    juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel.get());

    // 3. Texts in the user's language.
    Translations::getInstance()->loadAndInstallForUser();

    // 4. The settings file.
    properties.setStorageParameters(PropertiesFileManager::createOptions());
    auto* store = PropertiesFileManager::getInstance();
    store->setPropertiesFile(properties.getUserSettings());
    store->loadAll();

    // 5. Settings of a newer version: reset them or quit. Start-up goes on either way; a quit
    // request ends the application once the message loop runs, and saving stays disabled.
    const auto decision =
        store->checkVersionAndMigrate(getApplicationVersion(), PropertiesFileManager::askUserToResetPreferences);
    if (decision == PropertiesFileManager::VersionDecision::quit)
        quit();

    // 6. Lasting conditions shown over the main screen.
    ErrorMessageManager::getInstance();

    // 7. The operating system: a warning only.
    const auto system = OperatingSystemVersion::read();
    warnAboutOperatingSystem(system);

    // 8. The update check runs to its end before the window opens.
    if (decision != PropertiesFileManager::VersionDecision::quit)
    {
        UpdateChecker checker;
        checker.checkForUpdate(false);
    }

    // 9, 10. The window, unless the screen is too small for it.
    if (decision != PropertiesFileManager::VersionDecision::quit)
        createMainWindow();

    // 11. The boot log of this start, in every outcome (a refused save writes nothing).
    store->setXml(PropertiesFileManager::bootLogKey,
                  createBootLog(getApplicationVersion(), juce::Time::currentTimeMillis(),
                                Translations::getUserLocale(), system.toString()));
    store->save();
}

void OstrelPCApplication::createMainWindow()
{
    mainWindow = MainWindow::create(getApplicationName(), properties.getUserSettings(), *commandManager);

    if (!mainWindow->isScreenLargeEnough())
    {
        // The window was only put on the desktop to learn its frame: it is neither shown nor filled.
        mainWindow->setVisible(false);
        mainWindow->removeFromDesktop();

        // The quit waits for the user to close the message: quitting at once would take the
        // message away before it could be read.
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon,
                                               juce::translate("MSG_StartupError"),
                                               juce::translate("MSG_ScreenSizeTooSmall"),
                                               juce::translate("General_Close"), nullptr,
                                               juce::ModalCallbackFunction::create([](int) { quit(); }));
        return;
    }

    mainWindow->open();

    // Messages of the earlier start-up steps (the update check, the system check) are modal: they
    // must stay in front of the window that they block.
    juce::ModalComponentManager::getInstance()->bringModalComponentsToFront();
}

void OstrelPCApplication::shutdown()
{
    // 1. The window, with the main component and everything it owns.
    mainWindow.reset();
    // 2.
    commandManager.reset();
    // 3. The process-wide objects.
    Translations::deleteInstance();
    ErrorMessageManager::deleteInstance();
    // 4. A last save, then the store.
    PropertiesFileManager::getInstance()->save();
    PropertiesFileManager::deleteInstance();
}

void OstrelPCApplication::suspended()
{
    PropertiesFileManager::getInstance()->save();
}

std::unique_ptr<juce::XmlElement> OstrelPCApplication::createBootLog(const juce::String& version,
                                                                     juce::int64 unixTimeMillis,
                                                                     const UserLocale& locale,
                                                                     const juce::String& operatingSystemVersion)
{
    auto bootLog = std::make_unique<juce::XmlElement>("BOOTLOG");
    bootLog->setAttribute("ApplicationVersion", version);
    bootLog->setAttribute("UnixTimeMillis", juce::String(unixTimeMillis));
    bootLog->setAttribute("Region", locale.region);
    bootLog->setAttribute("Language", locale.language);
    bootLog->setAttribute("OperatingSystemVersion", operatingSystemVersion);
    bootLog->setAttribute("VocaformVersion", juce::String(Vocaform::version()));
    return bootLog;
}

bool OstrelPCApplication::warnAboutOperatingSystem(const OperatingSystemVersion& system)
{
    if (!system.isBelowMinimum())
        return false;

    juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, juce::translate("MSG_Deprecated"),
                                           juce::translate("MSG_DeprecatedSystem"),
                                           juce::translate("General_Close"));
    return true;
}

} // namespace tessel
