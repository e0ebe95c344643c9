#pragma once

// Include from test files that build parts of the application which read or write settings.

#include "app/PropertiesFileManager.h"

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace testing_support
{

/** A settings file of its own in a new temporary folder, attached to the process-wide settings
    store and loaded, for the lifetime of the object; the store is detached and emptied afterwards
    and the folder deleted. The store's settings folder (audio logs, packages) is that folder. */
class ScopedSettingsStore
{
public:
    ScopedSettingsStore()
    {
        folder.createDirectory();
        auto options = tessel::PropertiesFileManager::createOptions();
        options.millisecondsBeforeSaving = -1;
        file = std::make_unique<juce::PropertiesFile>(folder.getChildFile("Tavilo.settings"), options);
        store().resetAll();
        store().setPropertiesFile(file.get());
        store().loadAll();
    }

    ~ScopedSettingsStore()
    {
        store().resetAll();
        store().setPropertiesFile(nullptr);
        file.reset();
        folder.deleteRecursively();
    }

    static tessel::PropertiesFileManager& store() { return *tessel::PropertiesFileManager::getInstance(); }

    /** Writes the file and parses it again, as a restart of the application would. */
    void saveAndReload()
    {
        store().save();
        store().resetAll();
        store().loadAll();
    }

    const juce::File& getFolder() const noexcept { return folder; }
    juce::PropertiesFile& getFile() noexcept { return *file; }

private:
    juce::File folder =
        juce::File::getSpecialLocation(juce::File::tempDirectory)
            .getChildFile("tavilo-settings-" + juce::String::toHexString(juce::Random().nextInt64()));
    std::unique_ptr<juce::PropertiesFile> file;
};

} // namespace testing_support
