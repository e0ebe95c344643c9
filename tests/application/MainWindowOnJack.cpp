#include "MainWindowOnJack.h"

#include "app/ErrorMessageManager.h"
#include "app/Translations.h"
#include "audio/RoutingOrders.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "models/TestPackage.h"
#include "support/JackDeviceSetup.h"
#include "ui/LookAndFeel_Ostrel.h"

namespace tessel::test
{
namespace
{
struct ApplicationEnvironment : ::testing::Environment
{
    void SetUp() override
    {
        initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        lookAndFeel = std::make_unique<LookAndFeel_Ostrel>();
        juce::LookAndFeel::setDefaultLookAndFeel(lookAndFeel.get());
    }

    void TearDown() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        lookAndFeel.reset();
        Translations::deleteInstance();
        ErrorMessageManager::deleteInstance();
        initialiser.reset();
    }

    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
    std::unique_ptr<LookAndFeel_Ostrel> lookAndFeel;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

void writeCharacter(const juce::File& folder, const juce::String& target)
{
    test_models::TestPackageOptions options;
    options.classes = 2;
    auto members = test_models::testPackageMembers(options);
    juce::DynamicObject::Ptr json = new juce::DynamicObject();
    json->setProperty("version", 1);
    json->setProperty("formatVersion", 3);
    json->setProperty("targetIdentifier", target.toLowerCase());
    json->setProperty("narratorIdentifier", "anna");
    json->setProperty("title", target);
    json->setProperty("target", target);
    json->setProperty("narrator", "Anna");
    json->setProperty("description", "A synthetic model for the application tests.");
    const auto text = juce::JSON::toString(juce::var(json.get())).toStdString();
    members[0] = {"model.json", std::vector<std::uint8_t>(text.begin(), text.end())};
    const auto file = folder.getChildFile(target + ".ppc");
    ASSERT_EQ(test_models::writePackage(file.getFullPathName().toStdString(), members), 0);
}
} // namespace

void MainWindowOnJack::TearDown()
{
    closeWindow();
    client.reset();
    server.reset();
    settings.reset();
    for (int code : {2, 3, 4, 5})
        ErrorMessageManager::getInstance()->clearMessage(code);
}

void MainWindowOnJack::openWindow(const juce::String& language, int extraCharacters, bool withJack)
{
    auto& translations = *Translations::getInstance();
    translations.load();
    translations.install(language);

    settings = std::make_unique<testing_support::ScopedSettingsStore>();
    auto& store = settings->store();
    if (withJack)
    {
        server = std::make_unique<testing_support::PrivateJackServer>(
            testing_support::PrivateJackServer::Options{sampleRate, periodSize, 2, 2});
        ASSERT_TRUE(server->isRunning()) << server->getError();
        client = std::make_unique<testing_support::JackTestClient>("tavilo_app_test", 3, 2);
        ASSERT_TRUE(client->isOpen());
        client->setIdleFunction([] { testing_support::runMessageLoop(2); });

        store.setXml(PropertiesFileManager::audioDeviceSetupKey,
                     testing_support::jackDeviceSetup(client->getName(), sampleRate, periodSize));
        RoutingOrders routing;
        routing.voice = 0;
        routing.bgmLeft = 1;
        routing.bgmRight = 2;
        routing.bgmInputAsStereo = 1;
        store.setXml(PropertiesFileManager::audioRoutingSetupKey, routing.toXml());
    }
    else
    {
        // No server, and no client may start one.
        setenv("JACK_DEFAULT_SERVER", "tavilo_no_such_server", 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
    }
    store.setXml(PropertiesFileManager::audioRecorderSetupKey,
                 juce::parseXML("<RECORDERSETUP Directory=\"" +
                                settings->getFolder().getChildFile("recordings").getFullPathName() + "\"/>"));

    if (extraCharacters > 0)
    {
        const auto addOns = settings->getFolder().getChildFile("AppendData");
        ASSERT_TRUE(addOns.createDirectory());
        for (int i = 0; i < extraCharacters; ++i)
            writeCharacter(addOns, "Zed" + juce::String(i + 1));
    }

    commandManager = std::make_unique<juce::ApplicationCommandManager>();
    window = MainWindow::create("Tavilo", &settings->getFile(), *commandManager);
    ASSERT_TRUE(window->isScreenLargeEnough());
    window->open();
    testing_support::runMessageLoop(300);
}

void MainWindowOnJack::closeWindow()
{
    window.reset();
    commandManager.reset();
}

PupackSelectorViewModel& MainWindowOnJack::viewModel()
{
    return *component().getLibrary()->getSelectorViewModel();
}

void MainWindowOnJack::invoke(int commandId)
{
    ASSERT_TRUE(commandManager->invokeDirectly(commandId, true));
    testing_support::runMessageLoop(100);
}
} // namespace tessel::test
