#pragma once

// Shared by the remote-control and update-check tests: a private settings folder with a loaded
// settings store, the English texts, a command target that records what it performs, and a
// bounded wait on the message loop.

#include "BinaryData.h"
#include "app/CommandIds.h"
#include "app/PropertiesFileManager.h"
#include "support/JuceTestEnvironment.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace remote_test
{

/** Installs the English translation for the lifetime of the object. */
struct EnglishTexts
{
    EnglishTexts()
    {
        juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(
            juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize), true));
    }
    ~EnglishTexts() { juce::LocalisedStrings::setCurrentMappings(nullptr); }
};

/** A fresh home folder (so the settings live in a fresh ~/.config/Tavilo) with a loaded store on
    the application's settings file. `reopen()` starts again from what is on disk, as a restart does. */
class SettingsFolder
{
public:
    SettingsFolder()
    {
        if (const char* previous = std::getenv("HOME"))
            oldHome = previous;
        home = juce::File::createTempFile("");
        home.createDirectory();
        setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
        reopen();
    }

    ~SettingsFolder()
    {
        store.reset();
        file.reset();
        setenv("HOME", oldHome.toRawUTF8(), 1);
        home.deleteRecursively();
    }

    void reopen()
    {
        store.reset();
        file = std::make_unique<juce::PropertiesFile>(tessel::PropertiesFileManager::createOptions());
        store = std::make_unique<tessel::PropertiesFileManager>();
        store->setPropertiesFile(file.get());
        store->loadAll();
    }

    tessel::PropertiesFileManager& getStore() { return *store; }

private:
    juce::File home;
    juce::String oldHome;
    std::unique_ptr<juce::PropertiesFile> file;
    std::unique_ptr<tessel::PropertiesFileManager> store;
};

/** Handles every application command and records the IDs in the order performed. */
class RecordingCommandTarget : public juce::ApplicationCommandTarget
{
public:
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }

    void getAllCommands(juce::Array<juce::CommandID>& commands) override
    {
        for (int id = tessel::CommandIds::first; id <= tessel::CommandIds::last; ++id)
            commands.add(id);
    }

    void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        info.setInfo("Command " + juce::String(id), {}, {}, 0);
    }

    bool perform(const InvocationInfo& info) override
    {
        performed.push_back(info.commandID);
        return true;
    }

    std::vector<int> performed;
};

/** A command manager whose only target records. */
struct RecordingCommands
{
    RecordingCommands()
    {
        manager.registerAllCommandsForTarget(&target);
        manager.setFirstCommandTarget(&target);
    }
    ~RecordingCommands() { manager.setFirstCommandTarget(nullptr); }

    RecordingCommandTarget target;
    juce::ApplicationCommandManager manager;
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

} // namespace remote_test
