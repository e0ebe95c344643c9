// tavilo-screen: shows the main screen on the running audio service.
//
//   tavilo-screen [--language en|ja] [--size WIDTHxHEIGHT] [--settings FILE] [--open-settings]
//                 [--screenshot FILE.png]
//
// The audio service opens the device stored in the settings (the application's own settings file
// unless --settings names another), else the default device; with a JACK server running, that is
// JACK. The model library is the one of the settings folder (its "BundleData" and "AppendData").
// The settings button (and Command+comma) shows and hides the settings over the screen, with the
// recorder and OSC panels; --open-settings shows them at start. --screenshot renders the window's
// content into a PNG after two seconds and quits.

#include "BinaryData.h"
#include "app/ErrorMessageManager.h"
#include "app/PropertiesFileManager.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "processors/VocaformProcessor.h"
#include "remote/OstrelOSCReciever.h"
#include "remote/OstrelOSCRecieverEditor.h"
#include "ui/ApplicationSettingsUI.h"
#include "ui/AudioRecorderEditor.h"
#include "ui/InterfaceImages.h"
#include "ui/LookAndFeel_Ostrel.h"
#include "ui/OstrelUI.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
juce::String argumentAfter(const juce::StringArray& args, const juce::String& option)
{
    const int i = args.indexOf(option);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : juce::String();
}

/** The audio service as the model library drives it. */
class ServiceAudioTarget : public tessel::PupackAudioTarget
{
public:
    explicit ServiceAudioTarget(tessel::OstrelAudioService& s) : service(s) {}
    void setModel(Pupack* model) override { service.setModel(model); }
    void setOffsetDecibel(float decibels) override { service.setOffsetDecibel(decibels); }
    void setCoefficientGV(float coefficient) override
    {
        const juce::ScopedLock sl(service.getGraphLock());
        if (auto node = service.getVocaformNode())
            node->getProcessor()->getParameters()[tessel::VocaformProcessor::gvCoefficientIndex]->setValue(
                coefficient);
    }

private:
    tessel::OstrelAudioService& service;
};

/** The commands the screen's buttons reach: the settings (through `onShowHideSettings`), and soft and
    hard reset on the audio service. */
class ScreenCommands : public juce::ApplicationCommandTarget
{
public:
    explicit ScreenCommands(tessel::OstrelAudioService& s) : service(s) {}

    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }

    void getAllCommands(juce::Array<juce::CommandID>& commands) override { commands.addArray({15, 25, 26}); }

    void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        info.setInfo(id == 15 ? "Show/Hide Settings UI" : id == 25 ? "Soft Reset" : "Hard Reset", {}, {}, 0);
        if (id == 15)
            info.addDefaultKeypress(',', juce::ModifierKeys::commandModifier);
    }

    bool perform(const InvocationInfo& info) override
    {
        switch (info.commandID)
        {
            case 25:
                service.softReset();
                return true;
            case 26:
                service.hardReset();
                return true;
            case 15:
                if (onShowHideSettings)
                    onShowHideSettings();
                return true;
            default:
                return false;
        }
    }

    std::function<void()> onShowHideSettings;

private:
    tessel::OstrelAudioService& service;
};

/** The window's content: the background picture at 87 % over a dark fill, with the screen on top. */
class ScreenHost : public juce::Component, private juce::AsyncUpdater
{
public:
    ScreenHost(tessel::OstrelAudioService& s, tessel::PupackManager& library) : service(s), screen(s, library)
    {
        background = tessel::getInterfaceImage("OstrelPC_GUI_Main_Sample_Bg.png");
        addAndMakeVisible(screen);

        // The service reports changes from the message thread; the screen catches up on the next loop.
        service.onDeviceChanged = [this] { triggerAsyncUpdate(); };
        service.onGraphRebuilt = [this] { triggerAsyncUpdate(); };
        service.onStateChanged = [this] { triggerAsyncUpdate(); };
    }

    ~ScreenHost() override
    {
        service.onDeviceChanged = nullptr;
        service.onGraphRebuilt = nullptr;
        service.onStateChanged = nullptr;
    }

    void paint(juce::Graphics& g) override
    {
        g.fillAll(juce::Colour(0xff0b1119));
        g.setOpacity(0.87f);
        g.drawImage(background, getLocalBounds().toFloat(), juce::RectanglePlacement::fillDestination);
    }

    void resized() override { screen.setBounds(getLocalBounds()); }

    tessel::OstrelUI& getScreen() noexcept { return screen; }

private:
    void handleAsyncUpdate() override { screen.refresh(); }

    tessel::OstrelAudioService& service;
    tessel::OstrelUI screen;
    juce::Image background;
};

class ScreenWindow : public juce::DocumentWindow
{
public:
    ScreenWindow(tessel::OstrelAudioService& service, tessel::PupackManager& library, int width, int height)
        : juce::DocumentWindow("Tavilo", juce::Colours::black, juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar(true);
        setContentOwned(new ScreenHost(service, library), false);
        setResizable(true, false);
        centreWithSize(width, height);
        setVisible(true);
    }

    void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
};

class ScreenApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "tavilo-screen"; }
    const juce::String getApplicationVersion() override { return TAVILO_VERSION; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise(const juce::String& commandLine) override
    {
        const auto args = juce::StringArray::fromTokens(commandLine, true);

        lookAndFeel = std::make_unique<tessel::LookAndFeel_Ostrel>();
        juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel.get());

        const auto language = argumentAfter(args, "--language");
        const bool japanese = language == "ja";
        juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(
            japanese ? juce::String::fromUTF8(BinaryData::ja_tra, BinaryData::ja_traSize)
                     : juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize),
            true));

        const auto settingsPath = argumentAfter(args, "--settings");
        const auto options = tessel::PropertiesFileManager::createOptions();
        settingsFile = settingsPath.isNotEmpty()
                           ? std::make_unique<juce::PropertiesFile>(
                                 juce::File::getCurrentWorkingDirectory().getChildFile(settingsPath), options)
                           : std::make_unique<juce::PropertiesFile>(options);
        auto& store = *tessel::PropertiesFileManager::getInstance();
        store.setPropertiesFile(settingsFile.get());
        store.loadAll();

        tessel::ErrorMessageManager::getInstance();
        service = std::make_unique<tessel::OstrelAudioService>();
        library = std::make_unique<tessel::PupackManager>(store.getSettingsFolder(),
                                                          std::make_unique<ServiceAudioTarget>(*service),
                                                          japanese ? "ja" : "en");
        library->setSelectorViewModel(std::make_unique<tessel::PupackSelectorViewModel>(*library, store));
        commands = std::make_unique<ScreenCommands>(*service);
        commandManager.registerAllCommandsForTarget(commands.get());
        commandManager.setFirstCommandTarget(commands.get());

        int width = 1792, height = 1120;
        const auto size = argumentAfter(args, "--size");
        if (size.containsChar('x'))
        {
            width = juce::jmax(200, size.upToFirstOccurrenceOf("x", false, false).getIntValue());
            height = juce::jmax(200, size.fromFirstOccurrenceOf("x", false, false).getIntValue());
        }

        window = std::make_unique<ScreenWindow>(*service, *library, width, height);
        auto* host = dynamic_cast<ScreenHost*>(window->getContentComponent());
        auto& screen = host->getScreen();
        screen.setCommandManager(&commandManager);
        window->addKeyListener(commandManager.getKeyMappings());

        // The panels the settings show below their own sections, as the application has them.
        receiver = std::make_unique<tessel::OstrelOSCReciever>();
        screen.getExtraSettingsPanels().push_back(std::make_unique<tessel::AudioRecorderEditor>(*service));
        screen.getExtraSettingsPanels().push_back(
            std::make_unique<tessel::OstrelOSCRecieverEditor>(*receiver));
        commands->onShowHideSettings = [this, &screen]
        { tessel::ApplicationSettingsUI::toggle(screen, *service, *library); };
        if (args.contains("--open-settings"))
            tessel::ApplicationSettingsUI::toggle(screen, *service, *library);

        screenshotFile = argumentAfter(args, "--screenshot");
        if (screenshotFile.isNotEmpty())
            juce::Timer::callAfterDelay(2000, [this] { writeScreenshot(); });
    }

    void shutdown() override
    {
        window.reset();
        receiver.reset();
        commandManager.setFirstCommandTarget(nullptr);
        commands.reset();
        library.reset();
        service.reset();
        tessel::ErrorMessageManager::deleteInstance();
        auto& store = *tessel::PropertiesFileManager::getInstance();
        store.save();
        store.setPropertiesFile(nullptr);
        tessel::PropertiesFileManager::deleteInstance();
        settingsFile.reset();
        juce::LocalisedStrings::setCurrentMappings(nullptr);
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        lookAndFeel.reset();
    }

    void systemRequestedQuit() override { quit(); }
    void anotherInstanceStarted(const juce::String&) override {}

private:
    void writeScreenshot()
    {
        auto* content = window->getContentComponent();
        const auto image = content->createComponentSnapshot(content->getLocalBounds(), true, 1.0f);
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile(screenshotFile);
        file.deleteFile();
        juce::FileOutputStream stream(file);
        juce::PNGImageFormat png;
        const bool written = stream.openedOk() && png.writeImageToStream(image, stream);
        std::cout << (written ? "wrote " : "could not write ") << file.getFullPathName() << std::endl;
        setApplicationReturnValue(written ? 0 : 1);
        quit();
    }

    std::unique_ptr<tessel::LookAndFeel_Ostrel> lookAndFeel;
    std::unique_ptr<juce::PropertiesFile> settingsFile;
    std::unique_ptr<tessel::OstrelAudioService> service;
    std::unique_ptr<tessel::PupackManager> library;
    std::unique_ptr<ScreenCommands> commands;
    std::unique_ptr<tessel::OstrelOSCReciever> receiver;
    juce::ApplicationCommandManager commandManager;
    std::unique_ptr<ScreenWindow> window;
    juce::String screenshotFile;
};
} // namespace

START_JUCE_APPLICATION(ScreenApplication)
