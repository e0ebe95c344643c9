#include "app/PropertiesFileManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <cstdlib>

namespace tessel
{

std::int64_t versionNumber(const juce::String& version)
{
    juce::StringArray tokens;
    tokens.addTokens(version, ".", "");

    static constexpr std::int64_t weights[] = {1000000, 1000, 1};
    std::int64_t number = 0;
    for (int i = 0; i < 3 && i < tokens.size(); ++i)
        number += std::strtoll(tokens[i].toRawUTF8(), nullptr, 10) * weights[i];
    return number;
}

JUCE_IMPLEMENT_SINGLETON(PropertiesFileManager)

const juce::StringArray& PropertiesFileManager::getKeys()
{
    static const juce::StringArray keys{bootLogKey,
                                        audioDeviceSetupKey,
                                        audioRoutingSetupKey,
                                        audioRecorderSetupKey,
                                        audioProcessorParametersKey,
                                        pupackSelectorSlotKey,
                                        pupackMetaDataKey,
                                        menuSetupKey,
                                        updateSetupKey,
                                        oscSetupKey};
    return keys;
}

PropertiesFileManager::PropertiesFileManager()
{
    for (const auto& key : getKeys())
        trees[key] = nullptr;
}

PropertiesFileManager::~PropertiesFileManager()
{
    clearSingletonInstance();
}

juce::PropertiesFile::Options PropertiesFileManager::createOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Tavilo";
    options.filenameSuffix = ".settings";
    // JUCE puts the file in ~/<folderName> on Linux; this keeps it in the usual configuration
    // folder instead of a visible ~/Tavilo.
    options.folderName = ".config/Tavilo";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsCompressedBinary;
    options.processLock = nullptr;
    return options;
}

void PropertiesFileManager::setPropertiesFile(juce::PropertiesFile* file)
{
    propertiesFile = file;
}

juce::File PropertiesFileManager::getSettingsFolder() const
{
    if (propertiesFile != nullptr)
        return propertiesFile->getFile().getParentDirectory();
    return createOptions().getDefaultFile().getParentDirectory();
}

void PropertiesFileManager::loadAll()
{
    if (propertiesFile == nullptr)
        return;

    propertiesFile->reload();
    for (auto& [key, tree] : trees)
    {
        const auto text = propertiesFile->getValue(key);
        tree = text.isNotEmpty() ? juce::parseXML(text) : nullptr;
    }
    loaded = true;
}

juce::XmlElement* PropertiesFileManager::getXml(const juce::String& key) const
{
    const auto found = trees.find(key);
    return found != trees.end() ? found->second.get() : nullptr;
}

void PropertiesFileManager::setXml(const juce::String& key, std::unique_ptr<juce::XmlElement> element)
{
    const auto found = trees.find(key);
    if (found == trees.end())
    {
        jassertfalse; // every feature's key is in the table
        return;
    }

    if (element != nullptr && element.get() == found->second.get())
    {
        // Handed back the very tree that is stored: keep a copy, and do not let the two owners
        // destroy it twice.
        auto copy = std::make_unique<juce::XmlElement>(*element);
        element.release();
        found->second = std::move(copy);
        return;
    }
    found->second = std::move(element);
}

void PropertiesFileManager::resetAll()
{
    for (auto& entry : trees)
        entry.second.reset();
}

void PropertiesFileManager::save()
{
    if (propertiesFile == nullptr || !saveEnabled || !loaded)
        return;

    // In the order they were added; a copy, because a listener may remove itself or another one.
    const auto toTell = listeners;
    for (auto* listener : toTell)
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
            listener->propertiesWillBeSaved();

    for (const auto& [key, tree] : trees)
    {
        const juce::String text = tree != nullptr ? tree->toString() : juce::String();
        if (propertiesFile->getValue(key) != text)
            propertiesFile->setValue(key, text);
    }
    propertiesFile->saveIfNeeded();
}

void PropertiesFileManager::addListener(Listener* listener)
{
    if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void PropertiesFileManager::removeListener(Listener* listener)
{
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

std::vector<PropertiesFileManager::MigrationTask> PropertiesFileManager::createMigrationTasks()
{
    std::vector<MigrationTask> tasks;
    tasks.push_back({"1.1.0", [this]
                     {
                         // Settings from before 1.1.0: extract the built-in packages again.
                         const auto bundleFolder = getSettingsFolder().getChildFile("BundleData");
                         bundleFolder.createDirectory();
                         for (const auto& entry : juce::RangedDirectoryIterator(bundleFolder, true, "*.ppc",
                                                                                juce::File::findFiles))
                         {
                             const auto file = entry.getFile();
                             if (file.existsAsFile())
                                 file.deleteFile();
                         }
                     }});

    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const MigrationTask& a, const MigrationTask& b)
                     { return versionNumber(a.version) < versionNumber(b.version); });
    return tasks;
}

PropertiesFileManager::VersionDecision
PropertiesFileManager::checkVersionAndMigrate(const juce::String& runningVersion,
                                              const std::function<bool()>& userChoosesReset)
{
    const auto running = versionNumber(runningVersion);
    auto decision = VersionDecision::keepSettings;

    if (const auto* bootLog = getXml(bootLogKey))
    {
        const auto stored = versionNumber(bootLog->getStringAttribute("ApplicationVersion"));
        if (stored > running)
        {
            if (userChoosesReset != nullptr && userChoosesReset())
            {
                resetAll();
                decision = VersionDecision::resetPreferences;
            }
            else
            {
                setSaveEnabled(false);
                return VersionDecision::quit;
            }
        }
    }

    std::int64_t lowerBound = versionNumber("1.0.0");
    if (const auto* bootLog = getXml(bootLogKey))
        lowerBound = versionNumber(bootLog->getStringAttribute("ApplicationVersion"));

    for (auto& task : createMigrationTasks())
    {
        const auto version = versionNumber(task.version);
        if (version > lowerBound && version <= running)
            pendingTasks.push_back(std::move(task));
    }
    runPendingMigrations();
    return decision;
}

void PropertiesFileManager::runPendingMigrations()
{
    auto tasks = std::move(pendingTasks);
    pendingTasks.clear();
    for (auto& task : tasks)
        if (task.action != nullptr)
            task.action();
}

bool PropertiesFileManager::askUserToResetPreferences()
{
    juce::AlertWindow window(juce::translate("MSG_LaunchingOldVersion"),
                             juce::translate("MSG_ConfirmToResetPreferences"),
                             juce::MessageBoxIconType::QuestionIcon);
    window.addButton(juce::translate("MSG_QuitTavilo"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
    window.addButton(juce::translate("MSG_ResetAndGo"), 1, juce::KeyPress(juce::KeyPress::returnKey));
    return window.runModalLoop() == 1;
}

} // namespace tessel
