#pragma once

// Shared by the settings tests: the application's audio service on a private JACK server (dummy
// driver) whose device is a test client with three input channels, the process-wide settings store
// on a temporary file, the translations, and the model library built from package files.

#include "BinaryData.h"
#include "audio/OstrelAudioService.h"
#include "library/AudioServicePupackTarget.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/JackTestServer.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace settings_test
{

using Bytes = std::vector<std::uint8_t>;

/** Installs the English or Japanese translation for the lifetime of the object. */
struct Texts
{
    explicit Texts(const juce::String& language = "en") { use(language); }
    ~Texts() { juce::LocalisedStrings::setCurrentMappings(nullptr); }

    static void use(const juce::String& language)
    {
        const bool japanese = language == "ja";
        const auto text = juce::String::fromUTF8(japanese ? BinaryData::ja_tra : BinaryData::en_tra,
                                                 japanese ? BinaryData::ja_traSize : BinaryData::en_traSize);
        juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(text, true));
    }
};

/** Runs the message loop until the condition holds or the time is up; true when it holds. */
inline bool runUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        testing_support::runMessageLoop(5);
    }
    return true;
}

/** The bytes of a small loadable 44100-Hz package of a target and narrator (its identifier is
    target + narrator), at a version. */
inline Bytes packageBytes(const std::string& target, const std::string& narrator, double version = 1.0)
{
    juce::DynamicObject::Ptr json = new juce::DynamicObject();
    json->setProperty("version", version);
    json->setProperty("formatVersion", 3);
    json->setProperty("target", juce::String::fromUTF8(target.c_str()));
    json->setProperty("narrator", juce::String::fromUTF8(narrator.c_str()));
    json->setProperty("title", juce::String::fromUTF8((target + " / " + narrator).c_str()));
    json->setProperty("description", "test");
    const auto description = juce::JSON::toString(juce::var(json.get())).toStdString();

    test_models::TestPackageOptions options;
    options.classes = 1;
    options.zeroDifference = true;
    auto members = test_models::testPackageMembers(options);
    test_models::findMember(members, "model.json")->bytes.assign(description.begin(), description.end());
    return test_models::packageBytes(members);
}

inline juce::File writePackage(const juce::File& file, const Bytes& bytes)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithData(bytes.data(), bytes.size());
    return file;
}

/** A warning of the model library that would have been shown. */
struct Warning
{
    juce::String title, message, detail;
};

struct RecordingNotifier : tessel::PupackAlertNotifier
{
    explicit RecordingNotifier(std::vector<Warning>& log) : warnings(log) {}
    void showWarning(const juce::String& titleKey, const juce::String& messageKey,
                     const juce::String& detail) override
    {
        warnings.push_back({titleKey, messageKey, detail});
    }
    std::vector<Warning>& warnings;
};

/** The audio service on a private JACK server. The device is the test's own client: its three
    sources are the device inputs ("source_1" .. "source_3"), its two sinks the outputs. Nothing of
    the routing is stored, so the service starts without a voice channel. */
class ServiceFixture : public testing::Test
{
protected:
    static constexpr int sampleRate = 44100;
    static constexpr int periodSize = 256;

    void SetUp() override
    {
        server = std::make_unique<testing_support::PrivateJackServer>(
            testing_support::PrivateJackServer::Options{sampleRate, periodSize, 2, 2});
        ASSERT_TRUE(server->isRunning()) << server->getError();
        client = std::make_unique<testing_support::JackTestClient>("tavilo_test", 3, 2);
        ASSERT_TRUE(client->isOpen());

        settings = std::make_unique<testing_support::ScopedSettingsStore>();
        auto device = std::make_unique<juce::XmlElement>("DEVICESETUP");
        device->setAttribute("deviceType", "JACK");
        device->setAttribute("audioOutputDeviceName", juce::String(client->getName()));
        device->setAttribute("audioInputDeviceName", juce::String(client->getName()));
        device->setAttribute("audioDeviceRate", sampleRate);
        device->setAttribute("audioDeviceBufferSize", periodSize);
        device->setAttribute("audioDeviceInChans", "111");
        device->setAttribute("audioDeviceOutChans", "11");
        settings->store().setXml(tessel::PropertiesFileManager::audioDeviceSetupKey, std::move(device));
        settings->store().setXml(tessel::PropertiesFileManager::audioRecorderSetupKey,
                                 juce::parseXML("<RECORDERSETUP Directory=\"" +
                                                settings->getFolder().getChildFile("recordings").getFullPathName() +
                                                "\"/>"));
        beforeService();

        service = std::make_shared<tessel::OstrelAudioService>();
        service->onGraphRebuilt = [this] { ++rebuilds; };
        testing_support::runMessageLoop(100);
        ASSERT_NE(service->getDeviceManager().getCurrentAudioDevice(), nullptr) << "the JACK device did not open";
    }

    void TearDown() override
    {
        library.reset();
        service.reset();
        client.reset();
        server.reset();
        settings.reset();
    }

    /** Called before the service is built, with the settings store loaded. */
    virtual void beforeService() {}

    /** Adds a built-in package for the next `startLibrary`. */
    void addBuiltIn(const juce::String& fileName, const Bytes& bytes)
    {
        builtInBytes.push_back(std::make_unique<Bytes>(bytes));
        builtIns.push_back({fileName, builtInBytes.back()->data(), builtInBytes.back()->size()});
    }

    /** Builds the model library on the settings folder with its view model driving the service,
        and loads it, as the main component and the main screen do. Warnings are recorded unless
        `notifier` is given. */
    void startLibrary(std::unique_ptr<tessel::PupackAlertNotifier> notifier = nullptr)
    {
        library.reset();
        if (notifier == nullptr)
            notifier = std::make_unique<RecordingNotifier>(warnings);
        library = std::make_unique<tessel::PupackManager>(
            settings->store().getSettingsFolder(), std::make_unique<tessel::AudioServicePupackTarget>(service), "en",
            builtIns, std::move(notifier));
        library->setSelectorViewModel(
            std::make_unique<tessel::PupackSelectorViewModel>(*library, settings->store()));
        viewModel().load();
    }

    /** Saves, then builds the library again from the files and the settings on disk. */
    void restartLibrary()
    {
        settings->saveAndReload();
        startLibrary();
    }

    tessel::PupackSelectorViewModel& viewModel() { return *library->getSelectorViewModel(); }

    /** The identifier of the model the conversion processor runs, or empty. */
    juce::String runningModel() const
    {
        auto* model = service->getModel();
        return model != nullptr ? juce::String(model->displayName()) : juce::String();
    }

    /** Identifier of the model in the selected slot. */
    juce::String activeSlot() { return viewModel().getSlotIdentifier(viewModel().getSelectedSlot()); }

    juce::StringArray groupTargets()
    {
        juce::StringArray targets;
        for (const auto& group : viewModel().getGroups())
            targets.add(group.target);
        return targets;
    }

    /** A package file outside the library, to be installed. */
    juce::File downloadedPackage(const juce::String& name, const Bytes& bytes)
    {
        return writePackage(settings->getFolder().getChildFile("downloads").getChildFile(name), bytes);
    }

    Texts english;
    std::unique_ptr<testing_support::PrivateJackServer> server;
    std::unique_ptr<testing_support::JackTestClient> client;
    std::unique_ptr<testing_support::ScopedSettingsStore> settings;
    std::shared_ptr<tessel::OstrelAudioService> service;
    int rebuilds = 0;
    std::vector<std::unique_ptr<Bytes>> builtInBytes;
    std::vector<tessel::PupackManager::EmbeddedPupack> builtIns;
    std::vector<Warning> warnings;
    std::unique_ptr<tessel::PupackManager> library;
};

} // namespace settings_test
