#include "ScreenOnJack.h"

#include "app/ErrorMessageManager.h"
#include "models/TestPackage.h"
#include "processors/ProcessorSettings.h"
#include "processors/VocaformProcessor.h"
#include "support/JackDeviceSetup.h"

namespace tessel::test
{
namespace
{
struct ScreenEnvironment : ::testing::Environment
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
        ErrorMessageManager::deleteInstance();
        juce::LocalisedStrings::setCurrentMappings(nullptr);
        initialiser.reset();
    }

    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
    std::unique_ptr<LookAndFeel_Ostrel> lookAndFeel;
};

ScreenEnvironment* const environment =
    static_cast<ScreenEnvironment*>(::testing::AddGlobalTestEnvironment(new ScreenEnvironment));

/** The audio service as the model library drives it, as the main component wires them. */
struct ServiceAudioTarget : PupackAudioTarget
{
    explicit ServiceAudioTarget(OstrelAudioService& s) : service(s) {}
    void setModel(Pupack* model) override { service.setModel(model); }
    void setOffsetDecibel(float decibels) override { service.setOffsetDecibel(decibels); }
    void setCoefficientGV(float coefficient) override
    {
        const juce::ScopedLock sl(service.getGraphLock());
        if (auto node = service.getVocaformNode())
            node->getProcessor()->getParameters()[VocaformProcessor::gvCoefficientIndex]->setValue(
                coefficient);
    }
    OstrelAudioService& service;
};

/** Warnings of the library would open alert windows; the screen tests do not expect any. */
struct NoWarnings : PupackAlertNotifier
{
    void showWarning(const juce::String& title, const juce::String& message,
                     const juce::String& detail) override
    {
        ADD_FAILURE() << "library warning " << title << " " << message << " " << detail;
    }
};

/** A portrait for a test model: a disc in a colour of its own with the character's initial. */
std::vector<std::uint8_t> portrait(const juce::String& target, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, 256, 256, true);
    {
        juce::Graphics g(image);
        g.setColour(colour);
        g.fillEllipse(16.0f, 16.0f, 224.0f, 224.0f);
        g.setColour(juce::Colours::white);
        g.setFont(juce::Font(150.0f, juce::Font::bold));
        g.drawText(target.substring(0, 1), image.getBounds(), juce::Justification::centred);
    }
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream(image, out);
    const auto* data = static_cast<const std::uint8_t*>(out.getData());
    return {data, data + out.getDataSize()};
}
} // namespace

LookAndFeel_Ostrel& screenLookAndFeel()
{
    return *environment->lookAndFeel;
}

ScreenHost::ScreenHost(OstrelAudioService& service, PupackManager& library) : screen(service, library)
{
    background = getInterfaceImage("OstrelPC_GUI_Main_Sample_Bg.png");
    addAndMakeVisible(screen);
}

void ScreenHost::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xff0b1119));
    g.setOpacity(0.87f);
    g.drawImage(background, getLocalBounds().toFloat(), juce::RectanglePlacement::fillDestination);
}

void ScreenHost::resized()
{
    screen.setBounds(getLocalBounds());
}

void ScreenOnJack::SetUp() {}

void ScreenOnJack::TearDown()
{
    closeScreen();
    library.reset();
    service.reset();
    client.reset();
    server.reset();
    settings.reset();
    juce::LocalisedStrings::setCurrentMappings(nullptr);
    // Conditions raised by this test's service must not show in the next one.
    for (int code : {2, 3, 4, 5})
        ErrorMessageManager::getInstance()->clearMessage(code);
}

void ScreenOnJack::startService(const RoutingOrders& routing, const juce::String& language, bool withModels)
{
    juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(
        language == "ja" ? juce::String::fromUTF8(BinaryData::ja_tra, BinaryData::ja_traSize)
                         : juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize),
        true));

    server = std::make_unique<testing_support::PrivateJackServer>(
        testing_support::PrivateJackServer::Options{sampleRate, periodSize, 2, 2});
    ASSERT_TRUE(server->isRunning()) << server->getError();
    client = std::make_unique<testing_support::JackTestClient>("tavilo_screen_test", 3, 2);
    ASSERT_TRUE(client->isOpen());
    client->setIdleFunction([] { testing_support::runMessageLoop(2); });

    settings = std::make_unique<testing_support::ScopedSettingsStore>();
    auto& store = settings->store();
    store.setXml(PropertiesFileManager::audioDeviceSetupKey,
                 testing_support::jackDeviceSetup(juce::String(client->getName()), sampleRate, periodSize));
    store.setXml(PropertiesFileManager::audioRoutingSetupKey, routing.toXml());
    ProcessorSettings values;
    values.reverbLevel = 0.0f;
    values.voiceVocaformBypass = 1.0f;
    store.setXml(PropertiesFileManager::audioProcessorParametersKey, values.toXml());
    store.setXml(PropertiesFileManager::audioRecorderSetupKey,
                 juce::parseXML("<RECORDERSETUP Directory=\"" +
                                settings->getFolder().getChildFile("recordings").getFullPathName() + "\"/>"));

    service = std::make_unique<OstrelAudioService>();
    testing_support::runMessageLoop(200);
    ASSERT_NE(service->getDeviceManager().getCurrentAudioDevice(), nullptr) << "the JACK device did not open";

    const auto addOns = settings->getFolder().getChildFile("AppendData");
    if (withModels)
    {
        ASSERT_TRUE(addOns.createDirectory());
        const struct
        {
            const char *target, *narrator, *targetJa, *narratorJa;
            juce::uint32 colour;
        } models[] = {{"Alice", "Anna", "アリス", "アンナ", 0xffd0508a},
                      {"Alice", "Ben", "アリス", "ベン", 0xff9a62d8},
                      {"Bob", "Anna", "ボブ", "アンナ", 0xff3e9d6a}};
        for (const auto& m : models)
        {
            const auto file = addOns.getChildFile(juce::String(m.target) + "_" + m.narrator + ".ppc");
            const auto bytes = modelPackage(m.target, m.narrator, juce::String::fromUTF8(m.targetJa),
                                            juce::String::fromUTF8(m.narratorJa), juce::Colour(m.colour));
            ASSERT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
        }
    }

    startLibrary(language);
}

void ScreenOnJack::startLibrary(const juce::String& language)
{
    library.reset();
    library = std::make_unique<PupackManager>(
        settings->getFolder(), std::make_unique<ServiceAudioTarget>(*service), language, builtInPupacks,
        libraryWarningsExpected
            ? std::unique_ptr<PupackAlertNotifier>(std::make_unique<PupackAlertWindowNotifier>())
            : std::make_unique<NoWarnings>());
    library->setSelectorViewModel(std::make_unique<PupackSelectorViewModel>(*library, settings->store()));
}

std::vector<std::uint8_t> ScreenOnJack::modelPackage(const juce::String& target, const juce::String& narrator,
                                                     const juce::String& targetJa,
                                                     const juce::String& narratorJa, juce::Colour colour)
{
    test_models::TestPackageOptions options;
    options.classes = 2;
    auto members = test_models::testPackageMembers(options);

    // A description of its own: the identifiers tell the models apart.
    juce::DynamicObject::Ptr ja = new juce::DynamicObject();
    ja->setProperty("target", targetJa);
    ja->setProperty("narrator", narratorJa);
    juce::DynamicObject::Ptr json = new juce::DynamicObject();
    json->setProperty("version", 1);
    json->setProperty("formatVersion", 3);
    json->setProperty("targetIdentifier", target.toLowerCase());
    json->setProperty("narratorIdentifier", narrator.toLowerCase());
    json->setProperty("title", target + " (" + narrator + ")");
    json->setProperty("target", target);
    json->setProperty("narrator", narrator);
    json->setProperty("description", "A synthetic model for the screen tests.");
    json->setProperty("ja", ja.get());
    const auto text = juce::JSON::toString(juce::var(json.get())).toStdString();
    members[0] = {"model.json", std::vector<std::uint8_t>(text.begin(), text.end())};
    members.push_back({"img256.png", portrait(target, colour)});
    return test_models::packageBytes(members);
}

juce::String ScreenOnJack::modelIdentifier(const juce::String& target, const juce::String& narrator) const
{
    const auto identifier = target.toLowerCase() + narrator.toLowerCase();
    return library->findRecord(identifier) != nullptr ? identifier : juce::String();
}

void ScreenOnJack::showScreen(int width, int height)
{
    closeScreen();
    host = std::make_unique<ScreenHost>(*service, *library);
    host->setBounds(0, 0, width, height);
    host->addToDesktop(0);
    host->setVisible(true);
    host->screen.refresh();
    testing_support::runMessageLoop(300);
}

void ScreenOnJack::closeScreen()
{
    host.reset();
}

void ScreenOnJack::clickAt(juce::Point<int> point)
{
    const auto global = host->screen.localPointToGlobal(point);
    juce::ChildProcess xdotool;
    // No "--sync": it waits for a motion event, and there is none when the pointer is already there.
    ASSERT_TRUE(xdotool.start(juce::StringArray{"xdotool", "mousemove", juce::String(global.x),
                                                juce::String(global.y), "click", "1"}));
    xdotool.waitForProcessToFinish(10000);
    testing_support::runMessageLoop(200);
}

std::vector<float> ScreenOnJack::sine(double hz, float amplitude)
{
    std::vector<float> samples((size_t)sampleRate);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            amplitude * (float)std::sin(juce::MathConstants<double>::twoPi * hz * (double)i / sampleRate);
    return samples;
}

juce::Image ScreenOnJack::snapshot()
{
    return host->createComponentSnapshot(host->getLocalBounds(), true, 1.0f);
}

RepaintProbe::RepaintProbe(juce::Component& p) : panel(p)
{
    setInterceptsMouseClicks(false, false);
    panel.addAndMakeVisible(this);
    setBounds(panel.getLocalBounds());
}

RepaintProbe::~RepaintProbe()
{
    panel.removeChildComponent(this);
}
} // namespace tessel::test
