#pragma once

#include "app/Translations.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tessel
{

class LookAndFeel_Ostrel;
class MainWindow;
struct OperatingSystemVersion;

/** The application object: builds the process-wide services in a fixed order, opens the one main
    window with its main component, stores a boot log in the settings, and tears everything down
    in a fixed order.

    Start-up: command manager, look and feel, translations (language from the user's locale),
    settings store with its version check and migrations, error messages, the operating-system
    check, the automatic update check, then the main window (unless the screen is too small) and
    the boot log. Only one instance runs: a second launch ends at once and the first carries on.
    There are no command-line options. */
class OstrelPCApplication : public juce::JUCEApplication
{
public:
    static constexpr const char* applicationName = "Tavilo";
    static constexpr const char* applicationVersion = "1.5.0";

    OstrelPCApplication();
    ~OstrelPCApplication() override;

    const juce::String getApplicationName() override { return applicationName; }
    const juce::String getApplicationVersion() override { return applicationVersion; }
    bool moreThanOneInstanceAllowed() override { return false; }

    /** The start-up sequence; the command line is not used. */
    void initialise(const juce::String& commandLine) override;
    /** The shutdown sequence. */
    void shutdown() override;

    /** Quits without asking. */
    void systemRequestedQuit() override { quit(); }
    /** Nothing: the running instance carries on. */
    void anotherInstanceStarted(const juce::String&) override {}
    /** Saves the settings. */
    void suspended() override;
    void resumed() override {}
    void memoryWarningReceived() override {}
    bool backButtonPressed() override { return false; }

    /** The running application object (nullptr outside the application, for example in tests). */
    static OstrelPCApplication* getApp();
    /** The application's command manager (valid between start-up and shutdown). */
    juce::ApplicationCommandManager& getCommandManager() { return *commandManager; }

    /** The boot log of one start: element "BOOTLOG" with ApplicationVersion, UnixTimeMillis,
        Region, Language, OperatingSystemVersion and VocaformVersion, in this order. */
    static std::unique_ptr<juce::XmlElement> createBootLog(const juce::String& version, juce::int64 unixTimeMillis,
                                                           const UserLocale& locale,
                                                           const juce::String& operatingSystemVersion);

    /** Shows the warning "MSG_Deprecated" / "MSG_DeprecatedSystem" (button "General_Close") when
        the system is older than the supported one; never waits and never stops the start. True
        when it warned. */
    static bool warnAboutOperatingSystem(const OperatingSystemVersion& system);

private:
    void createMainWindow();

    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<LookAndFeel_Ostrel> lookAndFeel;
    std::unique_ptr<juce::ApplicationCommandManager> commandManager;
    juce::ApplicationProperties properties;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelPCApplication)
};

} // namespace tessel
