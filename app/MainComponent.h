#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace tessel
{

class MainWindow;
class OstrelAudioService;
class OstrelCommandTarget;
class OstrelMenuBarModel;
class OstrelMenuBarRefresher;
class OstrelOSCReciever;
class OstrelUI;
class PupackManager;

/** The content of the main window and the place where everything the user works with is built
    and wired: the audio service, the model library with its view model, the main screen, the OSC
    receiver, the command target and the menu bar.

    `initialize()` builds them in a fixed order; the destructor takes them down in a fixed order
    (screen, menu bar, OSC receiver, command target, then the services, each dying with its last
    owner). The menu bar sits at the top; the main screen fills the rest and keeps its own aspect.
    Behind both the component draws the window background: a dark fill with the background
    picture at 0.87 opacity. Message thread only.

    The settings overlay that command 15 shows is built by `createSettingsOverlay`, which shows the
    screen's extra settings panels (recorder and OSC) below its own sections. */
class MainComponent : public juce::Component, private juce::AsyncUpdater
{
public:
    /** Height of the in-window menu bar, in pixels. */
    static constexpr int menuBarHeight = 24;
    /** Opacity of the background picture over the dark fill. */
    static constexpr float backgroundOpacity = 0.87f;

    /** Stores the settings file, the window (either may be null in tests) and the command manager;
        builds nothing else. */
    MainComponent(juce::PropertiesFile* settingsFile, MainWindow* window,
                  juce::ApplicationCommandManager& commandManager);
    ~MainComponent() override;

    /** Creates the menu bar model and its refresher and registers the refresher with the command
        manager (window creation, before `initialize()`). */
    void createMenuBar();

    /** Builds the services, the screen and the commands (once, after the window is sized). */
    void initialize();

    /** Asks the main screen to refresh itself from the services. */
    void refreshScreen();

    void resized() override;
    void paint(juce::Graphics& g) override;

    /** The settings overlay command 15 shows over the main screen, with the extra panels (owned by
        the screen). Its close button invokes command 15 again through `commandManager`. */
    static std::unique_ptr<juce::Component> createSettingsOverlay(OstrelAudioService& audioService,
                                                                  PupackManager& library,
                                                                  const std::vector<juce::Component*>& extraPanels,
                                                                  juce::ApplicationCommandManager& commandManager);

    /** What `initialize()` built (null before it). */
    std::shared_ptr<OstrelAudioService> getAudioService() const { return audioService; }
    std::shared_ptr<PupackManager> getLibrary() const { return library; }
    std::shared_ptr<OstrelUI> getMainScreen() const { return mainScreen; }
    std::shared_ptr<OstrelCommandTarget> getCommandTarget() const { return commandTarget; }
    OstrelOSCReciever* getOSCReceiver() const noexcept { return oscReceiver.get(); }
    juce::MenuBarComponent& getMenuBar() noexcept { return menuBar; }
    OstrelMenuBarModel* getMenuBarModel() const noexcept { return menuBarModel.get(); }

private:
    void handleAsyncUpdate() override;

    juce::PropertiesFile* settingsFile;
    MainWindow* mainWindow;
    juce::ApplicationCommandManager& commandManager;

    std::shared_ptr<OstrelAudioService> audioService;
    std::shared_ptr<PupackManager> library;
    std::shared_ptr<OstrelUI> mainScreen;
    std::unique_ptr<OstrelOSCReciever> oscReceiver;
    std::shared_ptr<OstrelCommandTarget> commandTarget;
    std::unique_ptr<OstrelMenuBarModel> menuBarModel;
    std::unique_ptr<OstrelMenuBarRefresher> menuBarRefresher;
    juce::MenuBarComponent menuBar;
    /** The main screen's parent below the menu bar: the screen centres its content in its parent. */
    juce::Component screenArea;
    juce::Image backgroundImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComponent)
};

} // namespace tessel
