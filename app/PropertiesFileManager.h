#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tessel
{

/** The integer form of a dotted version: major * 1000000 + minor * 1000 + patch. Each of the first
    three tokens counts its leading decimal digits (0 when there are none); missing tokens count as
    0 ("1.5" equals "1.5.0", "" gives 0) and tokens after the third are ignored. */
std::int64_t versionNumber(const juce::String& version);

/** The process-wide settings store.

    All persistent settings live in one JUCE `PropertiesFile` (compressed binary, "CPRP") whose
    values are XML documents, one per feature key. `loadAll()` parses every known key once; features
    read their tree with `getXml` when they are built and hand a fresh tree back through
    `Listener::propertiesWillBeSaved` just before each `save()`. Keys of the file that the store does
    not know are left as they are. The store also decides, after an update or a downgrade, whether
    the preferences are reset and which migrations run. Message thread only; creation through
    `getInstance()` is guarded. */
class PropertiesFileManager
{
public:
    /** Told just before every save; stores its current tree with `setXml` under its own key. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void propertiesWillBeSaved() = 0;
    };

    /** A settings migration: runs once when settings older than `version` are first used. */
    struct MigrationTask
    {
        juce::String version;
        std::function<void()> action;
    };

    /** What the start-up version check decided. */
    enum class VersionDecision
    {
        keepSettings,     ///< stored settings are not newer; migrations ran
        resetPreferences, ///< newer settings; the user chose to reset: defaults, migrations ran
        quit              ///< newer settings; the user chose to quit: saving is disabled, the caller quits
    };

    /** The settings keys, in table order. */
    static constexpr const char* bootLogKey = "BootLog";
    static constexpr const char* audioDeviceSetupKey = "AudioDeviceSetup";
    static constexpr const char* audioRoutingSetupKey = "AudioRoutingSetup";
    static constexpr const char* audioRecorderSetupKey = "AudioRecorderSetup";
    static constexpr const char* audioProcessorParametersKey = "AudioProcessorParameters";
    static constexpr const char* pupackSelectorSlotKey = "PupackSelectorSlotForNormal";
    static constexpr const char* pupackMetaDataKey = "PupackMetaDataForNormal";
    static constexpr const char* menuSetupKey = "MenuSetup";
    static constexpr const char* updateSetupKey = "UpdateSetup";
    static constexpr const char* oscSetupKey = "OSCSetup";

    /** Every key the store parses and writes, in table order. */
    static const juce::StringArray& getKeys();

    PropertiesFileManager();
    ~PropertiesFileManager();

    /** The options of the settings file: "Tavilo" + ".settings", compressed binary, saved 3000 ms
        after a change, in the settings folder ~/.config/Tavilo. */
    static juce::PropertiesFile::Options createOptions();

    /** Attaches the user settings file (not owned). */
    void setPropertiesFile(juce::PropertiesFile* file);
    juce::PropertiesFile* getPropertiesFile() const noexcept { return propertiesFile; }

    /** The folder that holds the settings file (the attached one, or where the options put it). The
        model library and the audio log live below it. */
    juce::File getSettingsFolder() const;

    /** Reloads the attached file and parses every key into its tree (none when empty or not
        well-formed XML). Without an attached file nothing happens and the store stays unloaded. */
    void loadAll();
    bool isLoaded() const noexcept { return loaded; }

    /** The cached tree of a key, or nullptr. Not owned; invalid after the next `setXml` for the key. */
    juce::XmlElement* getXml(const juce::String& key) const;

    /** Stores a tree under a key (taking ownership; nullptr stores none) and destroys the previous
        one. Unknown keys are ignored. Nothing is written to disk. */
    void setXml(const juce::String& key, std::unique_ptr<juce::XmlElement> element);

    /** Forgets every cached tree: every key maps to none. */
    void resetAll();

    void setSaveEnabled(bool shouldSave) noexcept { saveEnabled = shouldSave; }
    bool isSaveEnabled() const noexcept { return saveEnabled; }

    /** Asks every listener for its tree, then writes the keys whose text changed and writes the file
        at once. Does nothing without a file, before `loadAll()` or while saving is disabled. A
        failed write is not reported; the next save tries again. */
    void save();

    /** Adds a listener (not owned); one already present is ignored. */
    void addListener(Listener* listener);
    void removeListener(Listener* listener);

    /** The migrations of this version, sorted by version: "1.1.0" deletes every "*.ppc" below the
        "BundleData" folder of the settings folder, so that the built-in packages are extracted
        again. */
    std::vector<MigrationTask> createMigrationTasks();

    /** The start-up version check, right after `loadAll()`.

        When the stored "BootLog" names a version newer than `runningVersion`, `userChoosesReset` is
        asked (true for "reset and launch"): reset forgets every tree and goes on with the
        migrations, quit disables saving and runs nothing. Otherwise, and after a reset, every
        migration newer than the stored version (or "1.0.0" without a boot log) and not newer than
        `runningVersion` runs, in order. */
    VersionDecision checkVersionAndMigrate(const juce::String& runningVersion,
                                           const std::function<bool()>& userChoosesReset);

    /** Asks the user, with a modal alert, whether to reset the newer settings: buttons
        "MSG_QuitTavilo" (Escape) and "MSG_ResetAndGo" (Return). True for reset. */
    static bool askUserToResetPreferences();

    JUCE_DECLARE_SINGLETON(PropertiesFileManager, false)

private:
    void runPendingMigrations();

    juce::PropertiesFile* propertiesFile = nullptr;
    std::map<juce::String, std::unique_ptr<juce::XmlElement>> trees;
    bool saveEnabled = true;
    bool loaded = false;
    std::vector<MigrationTask> pendingTasks;
    std::vector<Listener*> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PropertiesFileManager)
};

} // namespace tessel
