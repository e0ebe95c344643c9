#pragma once

#include "app/MainComponent.h"
#include "app/MainWindow.h"
#include "support/JackTestServer.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"

#include <memory>

namespace tessel
{
class OstrelAudioService;
class PupackSelectorViewModel;
class OstrelUI;
} // namespace tessel

namespace tessel::test
{
/** The main window and its main component built as the application builds them, in a language of
    the test's choice, on a private JACK server whose device is the test's own client (three
    sources: voice, AUX left, AUX right; two sinks), with a settings folder of its own. The model
    library holds the built-in models and, when asked, add-on models of further characters. */
class MainWindowOnJack : public ::testing::Test
{
protected:
    static constexpr int sampleRate = 44100;
    static constexpr int periodSize = 256;

    void TearDown() override;

    /** Starts the JACK server and the client, prepares the settings and opens the window. With
        `withJack` false no server runs (no device at all). */
    void openWindow(const juce::String& language = "en", int extraCharacters = 0, bool withJack = true);
    /** Closes the window, as the application's shutdown does. */
    void closeWindow();

    MainComponent& component() { return *window->getMainComponent(); }
    OstrelAudioService& service() { return *component().getAudioService(); }
    PupackSelectorViewModel& viewModel();
    OstrelUI& screen() { return *component().getMainScreen(); }

    /** Invokes a command as a key or a menu item does (asynchronously) and lets it run. */
    void invoke(int commandId);

    std::unique_ptr<testing_support::PrivateJackServer> server;
    std::unique_ptr<testing_support::JackTestClient> client;
    std::unique_ptr<testing_support::ScopedSettingsStore> settings;
    std::unique_ptr<juce::ApplicationCommandManager> commandManager;
    std::unique_ptr<MainWindow> window;
};
} // namespace tessel::test
