#pragma once

#include "app/CommandIds.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace tessel
{

class OstrelAudioService;
class OstrelUI;
class PupackManager;

/** The one target of the application's commands 1 to 28: the keyboard shortcuts, the menu bar,
    the screen's buttons and remote OSC messages all end here.

    The target holds only weak references to the audio service, the model library and the main
    screen; a command whose object is gone does nothing. It has no next target. Commands 1 to 15
    are named by fixed texts, 16 to 28 by the translation of their key; command 27 alone has flags
    (disabled without an audio service, named and ticked after the audio logging state).

    What the commands ask of the desktop (a browser, the file browser, quitting, the update check)
    goes through `SystemActions`, which tests replace. Message thread only. */
class OstrelCommandTarget : public juce::ApplicationCommandTarget
{
public:
    /** The desktop side of the commands. Each defaults to the real action. */
    struct SystemActions
    {
        /** Opens an address in the default browser (commands 18 to 22). */
        std::function<void(const juce::URL&)> openInBrowser;
        /** Shows a file in the system's file browser (command 28). */
        std::function<void(const juce::File&)> revealFile;
        /** Asks the application to quit (command 24). */
        std::function<void()> quit;
        /** Runs the interactive update check (command 23). */
        std::function<void()> checkForUpdate;
        /** Shows the About dialog unless it is open (command 16). */
        std::function<void()> showAbout;
        /** Shows the acknowledgements dialog unless it is open (command 17). */
        std::function<void()> showAcknowledgements;

        /** The real actions. */
        static SystemActions standard();
    };

    /** Builds the settings overlay shown over the main screen by command 15, with the screen's
        extra settings panels (owned by the screen; the overlay only shows them). */
    using SettingsOverlayFactory = std::function<std::unique_ptr<juce::Component>(
        OstrelAudioService&, PupackManager&, const std::vector<juce::Component*>& extraPanels)>;

    OstrelCommandTarget(std::weak_ptr<OstrelAudioService> audioService, std::weak_ptr<PupackManager> library,
                        std::weak_ptr<OstrelUI> mainScreen);
    ~OstrelCommandTarget() override;

    /** The command manager this target is registered with (not owned); told when command 27
        changes its name and tick, so that the menus show the new state. */
    void setCommandManager(juce::ApplicationCommandManager* manager) noexcept { commandManager = manager; }

    /** How command 15 builds the settings overlay; without one, command 15 only closes an open
        overlay. */
    void setSettingsOverlayFactory(SettingsOverlayFactory factory) { settingsOverlayFactory = std::move(factory); }

    /** Replaces the desktop actions (tests). */
    void setSystemActions(SystemActions actions) { systemActions = std::move(actions); }

    /** No next target. */
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    /** The commands 1 to 28, in ascending order. */
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    /** Name, default key and flags of a command; no description and no category. */
    void getCommandInfo(juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    /** Runs the command's action; false for IDs outside 1 to 28. */
    bool perform(const InvocationInfo& info) override;

    /** The address opened by commands 18 to 22 (the translation of their URL key), else empty. */
    static juce::String getInformationPageAddress(juce::CommandID commandID);

private:
    void selectModelGroup(int position);
    void toggleMute();
    void toggleAudioLogging();
    void toggleSettingsOverlay();

    std::weak_ptr<OstrelAudioService> audioService;
    std::weak_ptr<PupackManager> library;
    std::weak_ptr<OstrelUI> mainScreen;
    juce::ApplicationCommandManager* commandManager = nullptr;
    SystemActions systemActions = SystemActions::standard();
    SettingsOverlayFactory settingsOverlayFactory;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelCommandTarget)
};

} // namespace tessel
