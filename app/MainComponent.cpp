#include "app/MainComponent.h"

#include "app/MainWindow.h"
#include "app/OstrelCommandTarget.h"
#include "app/OstrelMenuBarModel.h"
#include "app/PropertiesFileManager.h"
#include "app/Translations.h"
#include "audio/OstrelAudioService.h"
#include "library/AudioServicePupackTarget.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "remote/OstrelOSCReciever.h"
#include "remote/OstrelOSCRecieverEditor.h"
#include "ui/ApplicationSettingsUI.h"
#include "ui/AudioRecorderEditor.h"
#include "ui/InterfaceImages.h"
#include "ui/OstrelUI.h"

namespace tessel
{

MainComponent::MainComponent(juce::PropertiesFile* file, MainWindow* window,
                             juce::ApplicationCommandManager& manager)
    : settingsFile(file), mainWindow(window), commandManager(manager)
{
    backgroundImage = getInterfaceImage("OstrelPC_GUI_Main_Sample_Bg.png");
    setOpaque(true);
    screenArea.setInterceptsMouseClicks(false, true);
    addAndMakeVisible(screenArea);
}

MainComponent::~MainComponent()
{
    cancelPendingUpdate();

    // The service may outlive this component by a moment (the command target's and the library's
    // references are weak, but a callback would still reach a component that is gone).
    if (audioService != nullptr)
    {
        audioService->onDeviceChanged = nullptr;
        audioService->onGraphRebuilt = nullptr;
        audioService->onStateChanged = nullptr;
    }

    // The screen first: hidden and released (the settings overlay and the extra panels go with it).
    if (mainScreen != nullptr)
    {
        mainScreen->setVisible(false);
        screenArea.removeChildComponent(mainScreen.get());
    }
    mainScreen.reset();

    menuBar.setModel(nullptr);
    oscReceiver.reset();

    if (menuBarRefresher != nullptr)
        commandManager.removeListener(menuBarRefresher.get());
    menuBarRefresher.reset();
    menuBarModel.reset();

    if (commandTarget != nullptr)
    {
        if (mainWindow != nullptr)
            mainWindow->removeKeyListener(commandManager.getKeyMappings());
        if (commandManager.getFirstCommandTarget(0) == commandTarget.get())
            commandManager.setFirstCommandTarget(nullptr);
    }
    commandTarget.reset();
    audioService.reset();
    library.reset();
}

void MainComponent::createMenuBar()
{
    menuBarModel = std::make_unique<OstrelMenuBarModel>(commandManager);
    menuBarRefresher = std::make_unique<OstrelMenuBarRefresher>(*menuBarModel, menuBar);
    commandManager.addListener(menuBarRefresher.get());
    addAndMakeVisible(menuBar);
}

void MainComponent::initialize()
{
    // 1. The audio service; its callbacks only ask for a refresh on the message loop.
    audioService = std::make_shared<OstrelAudioService>();
    audioService->onDeviceChanged = [this] { triggerAsyncUpdate(); };
    audioService->onGraphRebuilt = [this] { triggerAsyncUpdate(); };
    audioService->onStateChanged = [this] { triggerAsyncUpdate(); };

    // 2. The model library, which extracts the built-in packages and lists every package.
    auto* store = PropertiesFileManager::getInstance();
    const auto settingsFolder =
        settingsFile != nullptr ? settingsFile->getFile().getParentDirectory() : store->getSettingsFolder();
    library = std::make_shared<PupackManager>(
        settingsFolder, std::make_unique<AudioServicePupackTarget>(std::weak_ptr<OstrelAudioService>(audioService)),
        Translations::getInstance()->getLanguage());

    // 3. Its view model, registered with the settings store by its constructor.
    library->setSelectorViewModel(std::make_unique<PupackSelectorViewModel>(*library, *store));

    // 4. The main screen, which has the view model reopen the stored slots and hand the selected
    // slot's model to the service.
    mainScreen = std::make_shared<OstrelUI>(*audioService, *library);
    screenArea.addAndMakeVisible(mainScreen.get());

    // 5. The OSC receiver, disconnected until the user connects it; it registers with the store.
    oscReceiver = std::make_unique<OstrelOSCReciever>();

    // 6. The panels the settings overlay shows below its own sections: the recorder's first.
    mainScreen->getExtraSettingsPanels().push_back(std::make_unique<AudioRecorderEditor>(*audioService));
    mainScreen->getExtraSettingsPanels().push_back(std::make_unique<OstrelOSCRecieverEditor>(*oscReceiver));

    // 7. The command target and the keyboard shortcuts, anywhere in the window.
    commandTarget = std::make_shared<OstrelCommandTarget>(std::weak_ptr<OstrelAudioService>(audioService),
                                                          std::weak_ptr<PupackManager>(library),
                                                          std::weak_ptr<OstrelUI>(mainScreen));
    commandTarget->setCommandManager(&commandManager);
    commandTarget->setSettingsOverlayFactory(
        [&manager = commandManager](OstrelAudioService& service, PupackManager& modelLibrary,
                                    const std::vector<juce::Component*>& extraPanels)
        { return createSettingsOverlay(service, modelLibrary, extraPanels, manager); });
    commandManager.registerAllCommandsForTarget(commandTarget.get());
    commandManager.setFirstCommandTarget(commandTarget.get());
    if (mainWindow != nullptr)
        mainWindow->addKeyListener(commandManager.getKeyMappings());

    // 8. Remote messages, and the screen's buttons, invoke commands through the same manager.
    oscReceiver->setCommandManager(&commandManager);
    mainScreen->setCommandManager(&commandManager);

    // 9. The menu bar follows the commands.
    if (menuBarModel == nullptr)
        createMenuBar();
    menuBarModel->setApplicationCommandManagerToWatch(&commandManager);
    menuBarRefresher->install();

    // 10. The first refresh of the screen happens on the message loop.
    triggerAsyncUpdate();
    resized();
}

std::unique_ptr<juce::Component> MainComponent::createSettingsOverlay(
    OstrelAudioService& service, PupackManager& modelLibrary, const std::vector<juce::Component*>& extraPanels,
    juce::ApplicationCommandManager& manager)
{
    auto overlay = std::make_unique<ApplicationSettingsUI>(service, modelLibrary);
    overlay->setExtraPanels(extraPanels);
    // Asynchronous: the overlay is destroyed by the command, which must not happen inside its own
    // button's click.
    overlay->onCommand = [&manager](int commandId) { manager.invokeDirectly(commandId, true); };
    return overlay;
}

void MainComponent::refreshScreen()
{
    if (mainScreen != nullptr)
        mainScreen->refresh();
}

void MainComponent::handleAsyncUpdate()
{
    refreshScreen();
}

void MainComponent::resized()
{
    auto area = getLocalBounds();
    menuBar.setBounds(area.removeFromTop(menuBarHeight));
    screenArea.setBounds(area);
    if (mainScreen != nullptr)
        mainScreen->setBounds(screenArea.getLocalBounds());
}

void MainComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xff0d1117));
    if (backgroundImage.isValid())
    {
        g.setOpacity(backgroundOpacity);
        g.drawImage(backgroundImage, getLocalBounds().toFloat(), juce::RectanglePlacement::fillDestination);
    }
}

} // namespace tessel
