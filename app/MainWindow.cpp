#include "app/MainWindow.h"

#include "app/MainComponent.h"
#include "app/PropertiesFileManager.h"

namespace tessel
{

namespace
{
juce::BorderSize<int> frameOf(const juce::Component& window)
{
    if (auto* peer = window.getPeer())
        if (const auto frame = peer->getFrameSizeIfPresent())
            return *frame;
    return {};
}

int mainUserWidth(const std::vector<WindowGeometry::Display>& displays)
{
    const auto* main = WindowGeometry::findMainDisplay(displays);
    return main != nullptr ? main->userArea.getWidth() : 0;
}
} // namespace

WindowAutoAdjuster::WindowAutoAdjuster(juce::DocumentWindow& window) : adjustedWindow(window) {}

WindowAutoAdjuster::~WindowAutoAdjuster()
{
    stopTimer();
}

void WindowAutoAdjuster::timerCallback()
{
    if (!adjustedWindow.isOnDesktop() || adjustedWindow.isMinimised() ||
        juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
        return;

    const auto correction = WindowGeometry::getTitleBarCorrection(
        adjustedWindow.getScreenBounds(), frameOf(adjustedWindow), WindowGeometry::getDesktopDisplays());
    if (correction.has_value())
        adjustedWindow.setTopLeftPosition(*correction);
}

//======================================================================================================
MainWindow::MainWindow(const juce::String& name)
    : juce::DocumentWindow(name, juce::Colours::black, juce::DocumentWindow::allButtons),
      WindowAutoAdjuster(static_cast<juce::DocumentWindow&>(*this))
{
    setUsingNativeTitleBar(true);
    setResizable(true, true);
    setConstrainer(&constrainer);
    startTimer(WindowGeometry::titleBarCheckPeriodMs);
}

std::unique_ptr<MainWindow> MainWindow::create(const juce::String& name, juce::PropertiesFile* settingsFile,
                                               juce::ApplicationCommandManager& commandManager)
{
    auto window = std::make_unique<MainWindow>(name);
    window->setContentTopInset(MainComponent::menuBarHeight);

    auto* content = new MainComponent(settingsFile, window.get(), commandManager);
    const auto size = window->getDefaultContentSize();
    content->setSize(size.x, size.y);
    content->createMenuBar();

    window->setContentOwned(content, true);
    window->addToDesktop();
    window->applyInitialLimits();
    return window;
}

void MainWindow::open()
{
    centreAndRememberDisplay();
    if (auto* content = getMainComponent())
        content->initialize();
    setVisible(true);
}

MainComponent* MainWindow::getMainComponent() const
{
    return dynamic_cast<MainComponent*>(getContentComponent());
}

MainWindow::~MainWindow()
{
    stopTimer();
    setConstrainer(nullptr);
}

juce::BorderSize<int> MainWindow::getNativeFrame() const
{
    return frameOf(*this);
}

juce::BorderSize<int> MainWindow::getInsideFrame() const
{
    // The constrainer works on the window's own bounds, which JUCE keeps inside the native frame;
    // only the menu bar is added to the main screen's size there.
    return {contentTopInset, 0, 0, 0};
}

juce::Point<int> MainWindow::getDefaultContentSize() const
{
    const auto size = WindowGeometry::getDefaultContentSize(mainUserWidth(WindowGeometry::getDesktopDisplays()));
    return {size.x, size.y + contentTopInset};
}

void MainWindow::applyInitialLimits()
{
    limits = WindowGeometry::getInitialLimits(mainUserWidth(WindowGeometry::getDesktopDisplays()), getInsideFrame());
    applyLimits();
}

void MainWindow::applyLimits()
{
    constrainer.setSizeLimits(limits.minimumWidth, limits.minimumHeight, limits.maximumWidth,
                              limits.maximumHeight);
    constrainer.setFixedAspectRatio(limits.aspectRatio);
}

bool MainWindow::isScreenLargeEnough() const
{
    const auto displays = WindowGeometry::getDesktopDisplays();
    const auto native = getNativeFrame();
    auto whole = limits;
    whole.minimumWidth += native.getLeftAndRight();
    whole.minimumHeight += native.getTopAndBottom();
    return WindowGeometry::isScreenLargeEnough(displays, whole);
}

void MainWindow::centreAndRememberDisplay()
{
    centreWithSize(getWidth(), getHeight());
    rememberedDisplay = WindowGeometry::findDisplayIndex(WindowGeometry::getDesktopDisplays(), getPosition());
}

void MainWindow::checkDisplay(const std::vector<WindowGeometry::Display>& displays)
{
    const int index = WindowGeometry::findDisplayIndex(displays, getScreenPosition());
    if (index < 0 || index == rememberedDisplay)
        return;
    rememberedDisplay = index;

    const auto& display = displays[static_cast<size_t>(index)];
    limits = WindowGeometry::getLimitsForDisplay(limits, display.userArea.getWidth(), mainUserWidth(displays),
                                                 getInsideFrame());
    applyLimits();

    if (const auto bounds = WindowGeometry::getBoundsForDisplay(getBounds(), display, limits))
        setSize(bounds->getWidth(), bounds->getHeight());
}

void MainWindow::closeButtonPressed()
{
    if (onCloseRequested != nullptr)
        onCloseRequested();
    else if (auto* application = juce::JUCEApplicationBase::getInstance())
        application->systemRequestedQuit();
}

void MainWindow::activeWindowStatusChanged()
{
    juce::DocumentWindow::activeWindowStatusChanged();
    if (!isActiveWindow())
        PropertiesFileManager::getInstance()->save();
}

void MainWindow::moved()
{
    juce::DocumentWindow::moved();
    if (rememberedDisplay >= 0)
        checkDisplay(WindowGeometry::getDesktopDisplays());
}

} // namespace tessel
