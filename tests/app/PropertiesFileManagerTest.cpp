#include "app/PropertiesFileManager.h"
#include "support/JuceTestEnvironment.h"

#include <cstdlib>
#include <map>

using tessel::PropertiesFileManager;

namespace
{
/** Gives every test its own home folder, so the settings live in a fresh ~/.config/Tavilo. */
class SettingsStore : public testing::Test
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
        setenv("HOME", oldHome.toRawUTF8(), 1);
        home.deleteRecursively();
    }

    juce::File settingsFile() const { return home.getChildFile(".config/Tavilo/Tavilo.settings"); }
    juce::File bundleFolder() const { return home.getChildFile(".config/Tavilo/BundleData"); }

    /** Writes a settings file the way the application's properties object does. */
    void writeSettings(const std::map<juce::String, juce::String>& values)
    {
        juce::PropertiesFile file(PropertiesFileManager::createOptions());
        for (const auto& [key, value] : values)
            file.setValue(key, value);
        ASSERT_TRUE(file.saveIfNeeded());
    }

    /** A store on its own properties file, loaded. */
    struct Opened
    {
        Opened()
        {
            store.setPropertiesFile(&file);
            store.loadAll();
        }
        juce::PropertiesFile file{PropertiesFileManager::createOptions()};
        PropertiesFileManager store;
    };

    static juce::String document(const juce::String& tag, const juce::String& value)
    {
        juce::XmlElement element(tag);
        element.setAttribute("Value", value);
        return element.toString();
    }

    juce::File home;
    juce::String oldHome;
};

/** Hands a tree to the store before every save. */
struct Feature : PropertiesFileManager::Listener
{
    Feature(PropertiesFileManager& s, juce::String k, juce::String tagName, juce::StringArray* log = nullptr)
        : store(s), key(std::move(k)), tag(std::move(tagName)), calls(log)
    {
    }
    void propertiesWillBeSaved() override
    {
        auto element = std::make_unique<juce::XmlElement>(tag);
        element->setAttribute("Saved", ++saves);
        store.setXml(key, std::move(element));
        if (calls != nullptr)
            calls->add(key);
    }
    PropertiesFileManager& store;
    juce::String key, tag;
    juce::StringArray* calls;
    int saves = 0;
};

void addPackages(const juce::File& bundle)
{
    bundle.getChildFile("a.ppc").create();
    bundle.getChildFile("character/b.ppc").create();
    bundle.getChildFile("notes.txt").create();
}
} // namespace

TEST_F(SettingsStore, SettingsFileLivesInTheConfigFolderOfHome)
{
    EXPECT_EQ(PropertiesFileManager::createOptions().getDefaultFile(), settingsFile());
    PropertiesFileManager store;
    EXPECT_EQ(store.getSettingsFolder(), settingsFile().getParentDirectory());
    Opened opened;
    EXPECT_EQ(opened.store.getSettingsFolder(), settingsFile().getParentDirectory());
}

TEST_F(SettingsStore, EveryKeyRoundTripsThroughTheCompressedBinaryFile)
{
    std::map<juce::String, juce::String> values;
    for (const auto& key : PropertiesFileManager::getKeys())
        values[key] = document(key.toUpperCase(), "stored " + key);
    values["SomethingElse"] = "kept <as> it is";
    writeSettings(values);

    juce::MemoryBlock bytes;
    ASSERT_TRUE(settingsFile().loadFileAsData(bytes));
    ASSERT_GE(bytes.getSize(), 4u);
    EXPECT_EQ(juce::String(static_cast<const char*>(bytes.getData()), 4), "CPRP");

    {
        Opened opened;
        for (const auto& key : PropertiesFileManager::getKeys())
        {
            auto* tree = opened.store.getXml(key);
            ASSERT_NE(tree, nullptr) << key;
            EXPECT_EQ(tree->getTagName(), key.toUpperCase());
            EXPECT_EQ(tree->getStringAttribute("Value"), "stored " + key);
        }
        Feature osc(opened.store, PropertiesFileManager::oscSetupKey, "OSCSETUP");
        opened.store.addListener(&osc);
        opened.store.save();
        opened.store.removeListener(&osc);
    }

    juce::PropertiesFile reread(PropertiesFileManager::createOptions());
    EXPECT_EQ(reread.getValue("SomethingElse"), "kept <as> it is");
    auto osc = juce::parseXML(reread.getValue(PropertiesFileManager::oscSetupKey));
    ASSERT_NE(osc, nullptr);
    EXPECT_EQ(osc->getIntAttribute("Saved"), 1);
    EXPECT_TRUE(reread.getValue(PropertiesFileManager::oscSetupKey).startsWith("<?xml"));
    auto device = juce::parseXML(reread.getValue(PropertiesFileManager::audioDeviceSetupKey));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->getStringAttribute("Value"), "stored AudioDeviceSetup");
}

TEST_F(SettingsStore, UnparsableValuesMapToNoneAndAreReplacedAtTheNextSave)
{
    const auto menu = document("MENU", "kept");
    writeSettings({{PropertiesFileManager::updateSetupKey, "<UPDATESETUP broken"},
                   {PropertiesFileManager::oscSetupKey, "not xml at all"},
                   {PropertiesFileManager::menuSetupKey, menu}});
    {
        Opened opened;
        EXPECT_EQ(opened.store.getXml(PropertiesFileManager::updateSetupKey), nullptr);
        EXPECT_EQ(opened.store.getXml(PropertiesFileManager::oscSetupKey), nullptr);
        ASSERT_NE(opened.store.getXml(PropertiesFileManager::menuSetupKey), nullptr);

        Feature update(opened.store, PropertiesFileManager::updateSetupKey, "UPDATESETUP");
        opened.store.addListener(&update);
        opened.store.save();
        opened.store.removeListener(&update);
    }

    juce::PropertiesFile reread(PropertiesFileManager::createOptions());
    auto update = juce::parseXML(reread.getValue(PropertiesFileManager::updateSetupKey));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->getTagName(), "UPDATESETUP");
    EXPECT_EQ(reread.getValue(PropertiesFileManager::oscSetupKey, "missing"), ""); // nobody writes it
    auto kept = juce::parseXML(reread.getValue(PropertiesFileManager::menuSetupKey));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->getStringAttribute("Value"), "kept"); // nobody writes it either, but it was valid
}

TEST_F(SettingsStore, NothingIsWrittenBeforeLoadingOrWhileSavingIsDisabled)
{
    juce::StringArray calls;
    {
        juce::PropertiesFile file(PropertiesFileManager::createOptions());
        PropertiesFileManager store;
        Feature osc(store, PropertiesFileManager::oscSetupKey, "OSCSETUP", &calls);
        store.addListener(&osc);
        store.save(); // no file attached
        store.setPropertiesFile(&file);
        store.save(); // not loaded
        store.loadAll();
        store.setSaveEnabled(false);
        store.save(); // disabled
        store.removeListener(&osc);
    }
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_FALSE(settingsFile().exists());
}

TEST_F(SettingsStore, ListenersAreToldOnceEachInTheOrderAdded)
{
    Opened opened;
    juce::StringArray calls;
    Feature osc(opened.store, PropertiesFileManager::oscSetupKey, "OSCSETUP", &calls);
    Feature device(opened.store, PropertiesFileManager::audioDeviceSetupKey, "DEVICESETUP", &calls);
    Feature slot(opened.store, PropertiesFileManager::pupackSelectorSlotKey, "PUPACKSELECTORSLOT", &calls);
    opened.store.addListener(&osc);
    opened.store.addListener(&device);
    opened.store.addListener(&osc);
    opened.store.addListener(&slot);
    opened.store.removeListener(&slot);
    opened.store.save();
    EXPECT_EQ(calls, juce::StringArray(PropertiesFileManager::oscSetupKey,
                                       PropertiesFileManager::audioDeviceSetupKey));
    EXPECT_TRUE(settingsFile().existsAsFile());
    opened.store.removeListener(&osc);
    opened.store.removeListener(&device);
}

TEST_F(SettingsStore, SetXmlWithTheStoredTreeKeepsACopy)
{
    Opened opened;
    opened.store.setXml(PropertiesFileManager::oscSetupKey, std::make_unique<juce::XmlElement>("OSCSETUP"));
    auto* stored = opened.store.getXml(PropertiesFileManager::oscSetupKey);
    opened.store.setXml(PropertiesFileManager::oscSetupKey, std::unique_ptr<juce::XmlElement>(stored));
    ASSERT_NE(opened.store.getXml(PropertiesFileManager::oscSetupKey), nullptr);
    EXPECT_EQ(opened.store.getXml(PropertiesFileManager::oscSetupKey)->getTagName(), "OSCSETUP");
}

TEST_F(SettingsStore, NewerSettingsAndTheAnswerQuitLeaveTheFileByteForByte)
{
    writeSettings({{PropertiesFileManager::bootLogKey,
                    "<?xml version=\"1.0\"?><BOOTLOG ApplicationVersion=\"1.5.1\"/>"},
                   {PropertiesFileManager::oscSetupKey, document("OSCSETUP", "newer")}});
    addPackages(bundleFolder());
    juce::MemoryBlock before;
    ASSERT_TRUE(settingsFile().loadFileAsData(before));

    {
        Opened opened;
        int asked = 0;
        const auto decision = opened.store.checkVersionAndMigrate("1.5.0", [&] { return ++asked, false; });
        EXPECT_EQ(decision, PropertiesFileManager::VersionDecision::quit);
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(opened.store.isSaveEnabled());

        // The rest of start-up still runs: the boot log is stored and a save is attempted.
        auto bootLog = std::make_unique<juce::XmlElement>("BOOTLOG");
        bootLog->setAttribute("ApplicationVersion", "1.5.0");
        opened.store.setXml(PropertiesFileManager::bootLogKey, std::move(bootLog));
        opened.store.save();
    }

    juce::MemoryBlock after;
    ASSERT_TRUE(settingsFile().loadFileAsData(after));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(bundleFolder().getChildFile("a.ppc").existsAsFile()); // no migration
}

TEST_F(SettingsStore, NewerSettingsAndTheAnswerResetStartFromDefaultsAndMigrate)
{
    writeSettings({{PropertiesFileManager::bootLogKey,
                    "<?xml version=\"1.0\"?><BOOTLOG ApplicationVersion=\"1.5.1\"/>"},
                   {PropertiesFileManager::oscSetupKey, document("OSCSETUP", "newer")}});
    addPackages(bundleFolder());

    Opened opened;
    const auto decision = opened.store.checkVersionAndMigrate("1.5.0", [] { return true; });
    EXPECT_EQ(decision, PropertiesFileManager::VersionDecision::resetPreferences);
    for (const auto& key : PropertiesFileManager::getKeys())
        EXPECT_EQ(opened.store.getXml(key), nullptr) << key;

    // The 1.1.0 migration removed the packages (in sub-folders too) and nothing else.
    EXPECT_FALSE(bundleFolder().getChildFile("a.ppc").exists());
    EXPECT_FALSE(bundleFolder().getChildFile("character/b.ppc").exists());
    EXPECT_TRUE(bundleFolder().getChildFile("notes.txt").existsAsFile());

    opened.store.save();
    juce::PropertiesFile reread(PropertiesFileManager::createOptions());
    EXPECT_EQ(reread.getValue(PropertiesFileManager::oscSetupKey, "missing"), "");
}

TEST_F(SettingsStore, StoredVersionDecidesTheQuestionAndTheMigrations)
{
    const struct
    {
        const char* bootLog; // nullptr: no boot log
        bool asked;
        bool migrated;
    } cases[] = {
        {nullptr, false, true},      // first start
        {"<BOOTLOG/>", false, true}, // no version: counts as 0
        {"<BOOTLOG ApplicationVersion=\"1.0.9\"/>", false, true},
        {"<BOOTLOG ApplicationVersion=\"1.1.0\"/>", false, false},
        {"<BOOTLOG ApplicationVersion=\"1.4.2\"/>", false, false},
        {"<BOOTLOG ApplicationVersion=\"1.5\"/>", false, false},     // same as 1.5.0
        {"<BOOTLOG ApplicationVersion=\"1.5.0.7\"/>", false, false}, // fourth token ignored
        {"<BOOTLOG ApplicationVersion=\"1.5.1\"/>", true, true},     // answered with reset
        {"<BOOTLOG ApplicationVersion=\"2.0\"/>", true, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bootLog != nullptr ? c.bootLog : "none");
        settingsFile().getParentDirectory().deleteRecursively();
        if (c.bootLog != nullptr)
            writeSettings({{PropertiesFileManager::bootLogKey, c.bootLog}});
        addPackages(bundleFolder());

        Opened opened;
        bool asked = false;
        opened.store.checkVersionAndMigrate("1.5.0", [&] { return asked = true; });
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(!bundleFolder().getChildFile("a.ppc").exists(), c.migrated);
    }

    // The first start's save creates the file.
    settingsFile().getParentDirectory().deleteRecursively();
    Opened first;
    first.store.checkVersionAndMigrate("1.5.0", [] { return true; });
    first.store.setXml(PropertiesFileManager::bootLogKey, std::make_unique<juce::XmlElement>("BOOTLOG"));
    first.store.save();
    EXPECT_TRUE(settingsFile().existsAsFile());
}

TEST(VersionNumber, CombinesTheFirstThreeTokens)
{
    const struct
    {
        const char* text;
        std::int64_t number;
    } cases[] = {{"10.13", 10013000},  {"1.5.0", 1005000},      {"1.5", 1005000},   {"", 0},
                 {"1.2.3.4", 1002003}, {"1.1.0", 1001000},      {"2x.3y", 2003000}, {"a.b.c", 0},
                 {"0.0.9", 9},         {"3000.0.0", 3000000000}};
    for (const auto& c : cases)
        EXPECT_EQ(tessel::versionNumber(c.text), c.number) << c.text;
}
