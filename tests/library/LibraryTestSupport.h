#pragma once

// Shared by the model library tests: a temporary home folder with its settings store, package
// files built with the package writer, and stand-ins for the audio side and the alert windows.

#include "app/PropertiesFileManager.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "models/TestPackage.h"
#include "package/PackageWriter.h"
#include "package/Pupack.h"
#include "support/JuceTestEnvironment.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace library_test
{

using Bytes = std::vector<std::uint8_t>;

/** What a test package says about itself. */
struct PackageSpec
{
    std::string target = "Alice";
    std::string narrator = "Male";
    double version = 1.0;
    std::string japaneseTarget;       ///< "ja" object's "target" when not empty
    std::vector<int> imageSizes;      ///< one PNG "img<N>.png" per size, N x N pixels
    std::string description = "test"; ///< changes the bytes without changing the identity

    PackageSpec withJapaneseTarget(std::string text) const
    {
        auto s = *this;
        s.japaneseTarget = std::move(text);
        return s;
    }
    PackageSpec withImages(std::vector<int> sizes) const
    {
        auto s = *this;
        s.imageSizes = std::move(sizes);
        return s;
    }
    PackageSpec withDescription(std::string text) const
    {
        auto s = *this;
        s.description = std::move(text);
        return s;
    }
};

/** A package of target and narrator at a version; its identifier is target + narrator. */
inline PackageSpec spec(std::string target, double version = 1.0, std::string narrator = "Male")
{
    PackageSpec s;
    s.target = std::move(target);
    s.narrator = std::move(narrator);
    s.version = version;
    return s;
}

/** A PNG of size x size pixels in one colour. */
inline Bytes pngBytes(int size, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, size, size, true);
    image.clear(image.getBounds(), colour);
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream(image, out);
    const auto* data = static_cast<const std::uint8_t*>(out.getData());
    return Bytes(data, data + out.getDataSize());
}

/** The bytes of a complete 44100-Hz package of the shared test helper (one mixture class, so the
    files stay small) with its own description, so that each spec has its own identifier, version
    and texts, and the requested images. */
inline Bytes packageBytes(const PackageSpec& spec)
{
    juce::DynamicObject::Ptr json = new juce::DynamicObject();
    json->setProperty("version", spec.version);
    json->setProperty("formatVersion", 3);
    json->setProperty("target", juce::String::fromUTF8(spec.target.c_str()));
    json->setProperty("narrator", juce::String::fromUTF8(spec.narrator.c_str()));
    json->setProperty("title", juce::String::fromUTF8((spec.target + " / " + spec.narrator).c_str()));
    json->setProperty("description", juce::String::fromUTF8(spec.description.c_str()));
    if (!spec.japaneseTarget.empty())
    {
        juce::DynamicObject::Ptr ja = new juce::DynamicObject();
        ja->setProperty("target", juce::String::fromUTF8(spec.japaneseTarget.c_str()));
        json->setProperty("ja", ja.get());
    }
    const auto description = juce::JSON::toString(juce::var(json.get())).toStdString();

    test_models::TestPackageOptions options;
    options.classes = 1;
    options.zeroDifference = true;
    auto members = test_models::testPackageMembers(options);
    test_models::findMember(members, "model.json")->bytes.assign(description.begin(), description.end());
    for (int size : spec.imageSizes)
        members.push_back({"img" + std::to_string(size) + ".png", pngBytes(size, juce::Colours::red)});
    return test_models::packageBytes(members);
}

inline void writeBytes(const juce::File& file, const Bytes& bytes)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE(file.replaceWithData(bytes.data(), bytes.size())) << file.getFullPathName();
}

inline Bytes readBytes(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    const auto* data = static_cast<const std::uint8_t*>(block.getData());
    return Bytes(data, data + block.getSize());
}

/** The audio side as the library sees it, recording what it is told. */
struct RecordingAudioTarget : tessel::PupackAudioTarget
{
    void setModel(Pupack* package) override
    {
        ++setModelCalls;
        model = package;
        modelIdentifier = package != nullptr ? package->displayName() : "";
    }
    void setOffsetDecibel(float decibels) override { offsetDecibel = decibels; }
    void setCoefficientGV(float coefficient) override { coefficientGV = coefficient; }

    Pupack* model = nullptr;
    std::string modelIdentifier;
    int setModelCalls = 0;
    float offsetDecibel = -99.0f; ///< never set
    float coefficientGV = -99.0f;
};

/** One warning that would have been shown. */
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

/** A temporary home folder, so the settings folder is a fresh ~/.config/Tavilo; the settings file
    and store of one run of the application; and the library built in it. `restart()` saves the
    settings and builds everything again from the files on disk. */
class LibraryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* previous = std::getenv("HOME"))
            oldHome = previous;
        home = juce::File::createTempFile("");
        ASSERT_TRUE(home.createDirectory());
        setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
    }

    void TearDown() override
    {
        stop();
        setenv("HOME", oldHome.toRawUTF8(), 1);
        home.deleteRecursively();
    }

    juce::File settingsFolder() const { return home.getChildFile(".config/Tavilo"); }
    juce::File bundleFolder() const { return settingsFolder().getChildFile("BundleData"); }
    juce::File appendFolder() const { return settingsFolder().getChildFile("AppendData"); }

    /** Adds a built-in package to the next start. */
    void addBuiltIn(const juce::String& fileName, const PackageSpec& spec)
    {
        builtInBytes.push_back(std::make_unique<Bytes>(packageBytes(spec)));
        builtIns.push_back({fileName, builtInBytes.back()->data(), builtInBytes.back()->size()});
    }

    /** Writes a package file somewhere outside the library, to be installed. */
    juce::File makePackageFile(const juce::String& relativePath, const PackageSpec& spec)
    {
        const auto file = home.getChildFile("downloads").getChildFile(relativePath);
        writeBytes(file, packageBytes(spec));
        return file;
    }

    /** Starts the application's library: settings file loaded, library built, view model handed to
        it and loaded, as the main component and the main screen do. */
    void start(const juce::String& language = "en")
    {
        stop();
        auto options = tessel::PropertiesFileManager::createOptions();
        options.millisecondsBeforeSaving = -1;
        settingsFile = std::make_unique<juce::PropertiesFile>(options);
        store = std::make_unique<tessel::PropertiesFileManager>();
        store->setPropertiesFile(settingsFile.get());
        store->loadAll();

        auto target = std::make_unique<RecordingAudioTarget>();
        audio = target.get();
        library =
            std::make_unique<tessel::PupackManager>(store->getSettingsFolder(), std::move(target), language,
                                                    builtIns, std::make_unique<RecordingNotifier>(warnings));
        library->setSelectorViewModel(std::make_unique<tessel::PupackSelectorViewModel>(*library, *store));
        viewModel().load();
    }

    /** Quits: the view model stores its trees, the store saves, everything is destroyed. */
    void stop()
    {
        if (store != nullptr)
            store->save();
        library.reset();
        audio = nullptr;
        store.reset();
        settingsFile.reset();
    }

    void restart(const juce::String& language = "en")
    {
        stop();
        start(language);
    }

    tessel::PupackSelectorViewModel& viewModel() { return *library->getSelectorViewModel(); }

    juce::StringArray recordIdentifiers() const
    {
        juce::StringArray ids;
        for (const auto& record : library->getRecords())
            ids.add(record->identifier);
        return ids;
    }

    /** Identifiers in the user's order. */
    juce::StringArray orderedIdentifiers()
    {
        juce::StringArray ids;
        for (int order = 0; order < static_cast<int>(viewModel().getEntries().size()); ++order)
            ids.add(viewModel().findEntryByOrder(order).getIdentifier());
        return ids;
    }

    juce::StringArray groupTargets()
    {
        juce::StringArray targets;
        for (const auto& group : viewModel().getGroups())
            targets.add(group.target);
        return targets;
    }

    juce::File home;
    juce::String oldHome;
    std::vector<std::unique_ptr<Bytes>> builtInBytes;
    std::vector<tessel::PupackManager::EmbeddedPupack> builtIns;
    std::vector<Warning> warnings;
    std::unique_ptr<juce::PropertiesFile> settingsFile;
    std::unique_ptr<tessel::PropertiesFileManager> store;
    std::unique_ptr<tessel::PupackManager> library;
    RecordingAudioTarget* audio = nullptr;
};

} // namespace library_test
