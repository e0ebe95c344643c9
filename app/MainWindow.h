#pragma once

#include "app/WindowGeometry.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace tessel
{

/** Keeps a document window's title bar on screen: every 500 ms, unless a mouse button is held or
    the window is minimised, a window whose title strip has left the user area of every display is
    moved back by the least distance (Part of the main window, started when it is built). */
class WindowAutoAdjuster : public juce::Timer
{
public:
    /** Watches `window` (not owned); the owner starts and stops the timer. */
    explicit WindowAutoAdjuster(juce::DocumentWindow& window);
    ~WindowAutoAdjuster() override;

    /** One title-bar check. */
    void timerCallback() override;

private:
    juce::DocumentWindow& adjustedWindow;

    JUCE_DECLARE_NON_COPYABLE(WindowAutoAdjuster)
};

/** The application's one window. Its content, the main component, keeps the main screen at a
    width-to-height ratio of 1.6 below an in-window menu bar; the limits follow the display the
    window is on (`WindowGeometry`), the minimum never shrinking while the application runs. The
    window uses the native title bar and a corner resizer; its close button asks the application
    to quit, and it saves the settings whenever it stops being the active window. */
class MainComponent;

class MainWindow : public juce::DocumentWindow, private WindowAutoAdjuster
{
public:
    /** Window creation up to the screen check: the window named `name` with its main component
        (default content size, in-window menu bar, commands of `commandManager`), on the desktop,
        with its limits. Nothing is built yet and the window is not visible. */
    static std::unique_ptr<MainWindow> create(const juce::String& name, juce::PropertiesFile* settingsFile,
                                              juce::ApplicationCommandManager& commandManager);

    /** After a successful screen check: centres the window, has the main component build its
        services and shows the window. */
    void open();

    /** The window's content. */
    MainComponent* getMainComponent() const;

    /** A resizable window named `name`, with the native title bar; starts the title-bar check. */
    explicit MainWindow(const juce::String& name);
    ~MainWindow() override;

    /** Height of what the window adds inside itself above the main screen (the menu bar). */
    void setContentTopInset(int pixels) noexcept { contentTopInset = pixels; }

    /** The default content size for the main display: 0.7 of its user width, at 1.6. */
    juce::Point<int> getDefaultContentSize() const;

    /** Sets the constrainer's limits and aspect ratio from the main display (window creation, once
        the window is on the desktop and its frame is known). */
    void applyInitialLimits();

    /** Whether the largest display's user area holds the window's minimum size, frame included. */
    bool isScreenLargeEnough() const;

    /** Centres the window with its current size and remembers its display. */
    void centreAndRememberDisplay();

    /** The current limits (component coordinates: the native frame is outside them). */
    const WindowGeometry::Limits& getLimits() const noexcept { return limits; }
    /** The display the window was last found on (index into the desktop's displays), or -1. */
    int getRememberedDisplay() const noexcept { return rememberedDisplay; }

    /** The display check of a moved window, with the given displays (also used by `moved()`). */
    void checkDisplay(const std::vector<WindowGeometry::Display>& displays);

    /** Called instead of asking the application to quit, when set (tests). */
    std::function<void()> onCloseRequested;

    void closeButtonPressed() override;
    void activeWindowStatusChanged() override;
    void moved() override;

private:
    juce::BorderSize<int> getNativeFrame() const;
    juce::BorderSize<int> getInsideFrame() const;
    void applyLimits();

    juce::ComponentBoundsConstrainer constrainer;
    WindowGeometry::Limits limits;
    int rememberedDisplay = -1;
    int contentTopInset = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainWindow)
};

} // namespace tessel
