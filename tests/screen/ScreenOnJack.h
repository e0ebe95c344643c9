#pragma once

#include "BinaryData.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "support/JackTestServer.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"
#include "ui/InterfaceImages.h"
#include "ui/LookAndFeel_Ostrel.h"
#include "ui/OstrelUI.h"

#include <cmath>
#include <memory>
#include <vector>

namespace tessel::test
{
/** The look and feel for the whole run, installed as the application installs it. */
LookAndFeel_Ostrel& screenLookAndFeel();

/** What the main window shows behind the screen: the background picture at 87 % over a dark fill. */
class ScreenHost : public juce::Component
{
public:
    ScreenHost(OstrelAudioService& service, PupackManager& library);
    void paint(juce::Graphics& g) override;
    void resized() override;

    OstrelUI screen;

private:
    juce::Image background;
};

/** The main screen in a real window (on the test's virtual display) on the audio service, which runs
    on a private JACK server whose device is the test's own client: its three sources are the device
    inputs (voice, AUX left, AUX right), its two sinks the outputs. The conversion is bypassed and the
    reverb's wet signal off, so that levels can be predicted. */
class ScreenOnJack : public ::testing::Test
{
protected:
    static constexpr int sampleRate = 44100;
    static constexpr int periodSize = 256;

    void SetUp() override;
    void TearDown() override;

    /** Starts the JACK server, its client, the audio service with this routing and the model library
        in this language. With models, the library holds three: "Alice" spoken by "Anna" and by "Ben"
        (one character group) and "Bob" by "Anna", each with a picture. */
    void startService(const RoutingOrders& routing, const juce::String& language = "en",
                      bool withModels = false);
    /** Builds the model library again on the settings folder (and the built-in packages of
        `builtInPupacks`), in this language, as a restart of the application does. */
    void startLibrary(const juce::String& language = "en");

    /** A test model package of a target spoken by a narrator (identifier: both names in lower
        case), with Japanese names and a portrait disc of its own colour. */
    static std::vector<std::uint8_t> modelPackage(const juce::String& target, const juce::String& narrator,
                                                  const juce::String& targetJa,
                                                  const juce::String& narratorJa, juce::Colour colour);

    /** The identifier of a test model, once the library lists it. */
    juce::String modelIdentifier(const juce::String& target, const juce::String& narrator) const;
    /** Builds the screen in a window of this size at the display's top-left corner. */
    void showScreen(int width, int height);
    /** Removes the window and the screen. */
    void closeScreen();

    OstrelUI& screen() { return host->screen; }
    PupackSelectorViewModel& viewModel() { return *library->getSelectorViewModel(); }

    /** Clicks at a point of the screen with the real mouse of the display (xdotool), then lets the
        message loop deliver the events. */
    void clickAt(juce::Point<int> pointInScreen);

    /** A looping sine at the device rate. */
    static std::vector<float> sine(double hz, float amplitude);

    /** Renders the window's content. */
    juce::Image snapshot();

    /** Built-in packages of the library that `startService` builds (none unless a test adds some). */
    std::vector<PupackManager::EmbeddedPupack> builtInPupacks;
    /** Whether the library may show warnings: they then open the real alert windows; otherwise a
        warning fails the test. */
    bool libraryWarningsExpected = false;

    std::unique_ptr<testing_support::PrivateJackServer> server;
    std::unique_ptr<testing_support::JackTestClient> client;
    std::unique_ptr<testing_support::ScopedSettingsStore> settings;
    std::unique_ptr<OstrelAudioService> service;
    std::unique_ptr<PupackManager> library;
    std::unique_ptr<ScreenHost> host;
};

/** Counts how often a buffered panel renders its content again: a transparent child over the whole
    panel, painted whenever any part of the panel's cached image is rebuilt. */
class RepaintProbe : public juce::Component
{
public:
    explicit RepaintProbe(juce::Component& panel);
    ~RepaintProbe() override;
    void paint(juce::Graphics&) override { ++paints; }

    int paints = 0;

private:
    juce::Component& panel;
};
} // namespace tessel::test
