#include "LibraryTestSupport.h"

#include "library/AtomicFileWrite.h"

#include <set>
#include <string>

using namespace library_test;
using tessel::PupackManager;

namespace
{
using PupackManagerTest = LibraryTest;

juce::StringArray fileNames(const juce::File& folder)
{
    juce::StringArray names;
    for (const auto& file : folder.findChildFiles(juce::File::findFiles, true, "*"))
        names.add(file.getRelativePathFrom(folder));
    names.sort(false);
    return names;
}
} // namespace

TEST_F(PupackManagerTest, FirstStartExtractsEveryBuiltInPackageAndCreatesAnEmptyAddOnFolder)
{
    addBuiltIn("alice.ppc", spec("Alice", 1.0, "Male").withJapaneseTarget("アリス"));
    addBuiltIn("bob.ppc", spec("Bob", 1.0, "Female"));
    start("ja");

    EXPECT_EQ(fileNames(bundleFolder()), juce::StringArray("alice.ppc", "bob.ppc"));
    EXPECT_TRUE(appendFolder().isDirectory());
    EXPECT_TRUE(fileNames(appendFolder()).isEmpty());
    EXPECT_EQ(readBytes(bundleFolder().getChildFile("alice.ppc")), *builtInBytes[0]);

    ASSERT_EQ(recordIdentifiers(), juce::StringArray("AliceMale", "BobFemale"));
    const auto& alice = *library->getRecords()[0];
    EXPECT_EQ(alice.installType, tessel::pupackBundle);
    EXPECT_EQ(alice.filePath, bundleFolder().getChildFile("alice.ppc").getFullPathName());
    EXPECT_EQ(alice.target, juce::String::fromUTF8("アリス"));
    EXPECT_EQ(alice.targetIdentifier, "Alice");
    EXPECT_EQ(alice.narratorIdentifier, "Male");
    EXPECT_EQ(alice.language, "ja");
    EXPECT_EQ(alice.formatVersion, 3.0);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(PupackManagerTest, BuiltInPackageIsWrittenOnlyWhenMissingOrOlderOnDisk)
{
    const struct
    {
        const char* name;
        double onDisk;
        double inApplication;
        const char* applicationFileName;
        double listedVersion;
        bool bytesOnDiskKept;
    } cases[] = {
        {"newer built-in replaces the older file", 1.0, 2.0, "alice.ppc", 2.0, false},
        {"newer built-in under another name removes the older file", 1.0, 2.0, "alice-v2.ppc", 2.0, false},
        {"equal version writes nothing", 1.0, 1.0, "alice.ppc", 1.0, true},
        {"older built-in writes nothing", 3.0, 2.0, "alice.ppc", 3.0, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        stop();
        bundleFolder().deleteRecursively();
        const auto onDisk = bundleFolder().getChildFile("alice.ppc");
        const auto diskBytes = packageBytes(spec("Alice", c.onDisk).withDescription("on disk"));
        writeBytes(onDisk, diskBytes);

        builtIns.clear();
        addBuiltIn(c.applicationFileName,
                   spec("Alice", c.inApplication).withDescription("in the application"));
        start();

        ASSERT_EQ(library->getRecords().size(), 1u);
        EXPECT_EQ(library->getRecords()[0]->version, c.listedVersion);
        EXPECT_EQ(fileNames(bundleFolder()), juce::StringArray(c.applicationFileName));
        const auto listedFile = juce::File(library->getRecords()[0]->filePath);
        EXPECT_EQ(readBytes(listedFile), c.bytesOnDiskKept ? diskBytes : *builtInBytes.back());
    }
}

TEST_F(PupackManagerTest, InstallCopiesANewPackageAndIgnoresOneThatIsNotNewer)
{
    addBuiltIn("alice.ppc", spec("Alice", 2.0));
    start();
    const auto bob = makePackageFile("bob.ppc", spec("Bob", 1.0));

    EXPECT_EQ(library->install(bob), PupackManager::InstallResult::installed);
    const auto copy = appendFolder().getChildFile("bob.ppc");
    EXPECT_EQ(readBytes(copy), readBytes(bob));
    ASSERT_EQ(recordIdentifiers(), juce::StringArray("AliceMale", "BobMale"));
    EXPECT_EQ(library->getRecords()[1]->installType, tessel::pupackAppend);
    EXPECT_EQ(library->getRecords()[1]->filePath, copy.getFullPathName());

    // Same version again, and an older version of the built-in: nothing changes, nothing is shown.
    const auto sameBob = makePackageFile("again/bob.ppc", spec("Bob", 1.0).withDescription("x"));
    const auto oldAlice = makePackageFile("alice.ppc", spec("Alice", 1.0));
    EXPECT_EQ(library->install(sameBob), PupackManager::InstallResult::alreadyInstalled);
    EXPECT_EQ(library->install(oldAlice), PupackManager::InstallResult::alreadyInstalled);
    EXPECT_EQ(fileNames(appendFolder()), juce::StringArray("bob.ppc"));
    EXPECT_EQ(readBytes(copy), readBytes(bob));
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("AliceMale", "BobMale"));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(PupackManagerTest, InstallingANewerAddOnReplacesTheOldFileAndRecordAndGoesLast)
{
    start();
    library->install(makePackageFile("bob.ppc", spec("Bob", 1.0)));
    library->install(makePackageFile("carol.ppc", spec("Carol")));
    ASSERT_EQ(recordIdentifiers(), juce::StringArray("BobMale", "CarolMale"));

    const auto newer = makePackageFile("new/bob-2.ppc", spec("Bob", 2.0));
    EXPECT_EQ(library->install(newer), PupackManager::InstallResult::installed);

    EXPECT_EQ(fileNames(appendFolder()), juce::StringArray("bob-2.ppc", "carol.ppc"));
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("CarolMale", "BobMale"));
    EXPECT_EQ(library->getRecords()[1]->version, 2.0);

    // Same file name as the installed older version: the copy takes its place.
    const auto third = makePackageFile("newest/bob-2.ppc", spec("Bob", 3.0));
    EXPECT_EQ(library->install(third), PupackManager::InstallResult::installed);
    EXPECT_EQ(fileNames(appendFolder()), juce::StringArray("bob-2.ppc", "carol.ppc"));
    EXPECT_EQ(readBytes(appendFolder().getChildFile("bob-2.ppc")), readBytes(third));
    EXPECT_EQ(library->getRecords()[1]->version, 3.0);
}

TEST_F(PupackManagerTest, NewerAddOnOfABuiltInPackageOutlivesTheNextExtraction)
{
    addBuiltIn("alice.ppc", spec("Alice", 1.0));
    start();
    EXPECT_EQ(library->install(makePackageFile("alice.ppc", spec("Alice", 5.0))),
              PupackManager::InstallResult::installed);
    EXPECT_FALSE(bundleFolder().getChildFile("alice.ppc").exists());
    ASSERT_EQ(library->getRecords().size(), 1u);
    EXPECT_EQ(library->getRecords()[0]->installType, tessel::pupackAppend);

    restart();
    EXPECT_TRUE(bundleFolder().getChildFile("alice.ppc").existsAsFile()); // extracted again
    ASSERT_EQ(library->getRecords().size(), 1u);
    EXPECT_EQ(library->getRecords()[0]->installType, tessel::pupackAppend);
    EXPECT_EQ(library->getRecords()[0]->version, 5.0);
}

TEST_F(PupackManagerTest, AnotherPackageWithTheSameFileNameGetsAFreeName)
{
    start();
    const auto bob = makePackageFile("one/voice.ppc", spec("Bob"));
    const auto carol = makePackageFile("two/voice.ppc", spec("Carol"));
    ASSERT_EQ(library->install(bob), PupackManager::InstallResult::installed);
    ASSERT_EQ(library->install(carol), PupackManager::InstallResult::installed);

    EXPECT_EQ(fileNames(appendFolder()), juce::StringArray("voice(2).ppc", "voice.ppc"));
    EXPECT_EQ(readBytes(appendFolder().getChildFile("voice.ppc")), readBytes(bob));
    EXPECT_EQ(library->findRecord("CarolMale")->filePath,
              appendFolder().getChildFile("voice(2).ppc").getFullPathName());

    restart();
    auto listed = recordIdentifiers();
    listed.sort(false);
    EXPECT_EQ(listed, juce::StringArray("BobMale", "CarolMale"));
    EXPECT_EQ(readBytes(juce::File(library->findRecord("BobMale")->filePath)), readBytes(bob));
}

TEST_F(PupackManagerTest, CopyIsNamedSoThatTheNextStartFindsIt)
{
    start();
    ASSERT_EQ(library->install(makePackageFile("Voice.PPC", spec("Bob"))),
              PupackManager::InstallResult::installed);
    ASSERT_EQ(library->install(makePackageFile("carol", spec("Carol"))),
              PupackManager::InstallResult::installed);
    EXPECT_EQ(fileNames(appendFolder()), juce::StringArray("Voice.ppc", "carol.ppc"));

    restart();
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("BobMale", "CarolMale"));
}

TEST_F(PupackManagerTest, BrokenFilesAreSkippedAndABrokenInstallIsReported)
{
    writeBytes(appendFolder().getChildFile("truncated.ppc"),
               []
               {
                   auto b = packageBytes(spec("Trunc"));
                   b.resize(700);
                   return b;
               }());
    writeBytes(appendFolder().getChildFile("nested/garbage.ppc"), Bytes(3000, 0x5a));
    writeBytes(bundleFolder().getChildFile("empty.ppc"), Bytes());
    writeBytes(appendFolder().getChildFile("deep/good.ppc"), packageBytes(spec("Good")));
    start();
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("GoodMale"));

    const auto broken = home.getChildFile("downloads/broken.ppc");
    writeBytes(broken, Bytes(1024, 0));
    EXPECT_EQ(library->install(broken), PupackManager::InstallResult::failed);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].title, "Pupack_Msg_CanNotInstall");
    EXPECT_EQ(warnings[0].message, "Pupack_Msg_FileHasError");
    EXPECT_EQ(warnings[0].detail, broken.getFullPathName());
    EXPECT_FALSE(appendFolder().getChildFile("broken.ppc").exists());
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("GoodMale"));
}

TEST_F(PupackManagerTest, TemporaryFileOfAnInterruptedWriteIsNeverListedAndIsCleanedUp)
{
    // What a crash between writing and renaming leaves behind: a hidden, complete-looking file.
    const auto leftover = appendFolder().getChildFile(".bob.ppc.1234abcd.partial");
    writeBytes(leftover, packageBytes(spec("Bob")));
    start();
    EXPECT_TRUE(library->getRecords().empty());
    EXPECT_FALSE(leftover.exists());
}

TEST_F(PupackManagerTest, UninstallRemovesAnAddOnButKeepsABuiltInPackageWithAWarning)
{
    addBuiltIn("alice.ppc", spec("Alice"));
    start();
    library->install(makePackageFile("bob.ppc", spec("Bob")));

    EXPECT_FALSE(library->uninstall("AliceMale"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].title, "Pupack_Msg_CanNotUninstall");
    EXPECT_EQ(warnings[0].message, "Pupack_Msg_ItIsBundled");
    EXPECT_EQ(warnings[0].detail, bundleFolder().getChildFile("alice.ppc").getFullPathName());
    EXPECT_TRUE(bundleFolder().getChildFile("alice.ppc").existsAsFile());

    EXPECT_TRUE(library->uninstall("BobMale"));
    EXPECT_FALSE(library->uninstall("NobodyMale"));
    EXPECT_EQ(recordIdentifiers(), juce::StringArray("AliceMale"));
    EXPECT_TRUE(fileNames(appendFolder()).isEmpty());
    EXPECT_EQ(warnings.size(), 1u);
}

TEST(AtomicFileWrite, ReplacesTheWholeFileOrLeavesEverythingAsItWas)
{
    const auto folder = juce::File::createTempFile("");
    ASSERT_TRUE(folder.createDirectory());
    const auto target = folder.getChildFile("model.ppc");
    const char first[] = "first version";
    const char second[] = "second";

    EXPECT_TRUE(tessel::writeFileAtomically(target, first, sizeof first).wasOk());
    EXPECT_TRUE(tessel::writeFileAtomically(target, second, sizeof second).wasOk());
    EXPECT_EQ(target.loadFileAsString(), juce::String(second));
    EXPECT_EQ(target.getSize(), (juce::int64)sizeof second);

    // A copy that does not read back never takes the name.
    bool asked = false;
    const auto rejectIt = [&asked](const juce::File& temporary)
    {
        asked = temporary.existsAsFile() && temporary.loadFileAsString() == juce::String("third");
        return false;
    };
    EXPECT_TRUE(tessel::writeFileAtomically(target, "third", 5, rejectIt).failed());
    EXPECT_TRUE(asked);
    EXPECT_EQ(target.loadFileAsString(), juce::String(second));

    // A folder in the way, and a folder that does not exist: failures, and nothing is left.
    const auto blocked = folder.getChildFile("blocked.ppc");
    ASSERT_TRUE(blocked.getChildFile("inside").create().wasOk());
    EXPECT_TRUE(tessel::writeFileAtomically(blocked, first, sizeof first).failed());
    EXPECT_TRUE(blocked.getChildFile("inside").existsAsFile());
    EXPECT_TRUE(
        tessel::writeFileAtomically(folder.getChildFile("missing/model.ppc"), first, sizeof first).failed());

    EXPECT_EQ(folder.findChildFiles(juce::File::findFilesAndDirectories, false, "*").size(), 2);
    folder.deleteRecursively();
}

TEST(EmbeddedPupacks, EveryEmbeddedPackageOpensWithItsOwnIdentifier)
{
    // Whatever resources/models held at build time; the images and translations are not packages.
    std::set<std::string> identifiers;
    for (const auto& embedded : PupackManager::getEmbeddedPupacks())
    {
        SCOPED_TRACE(embedded.fileName);
        EXPECT_TRUE(embedded.fileName.endsWith(".ppc"));
        const Pupack package(embedded.data, embedded.size);
        EXPECT_EQ(package.status(), 0);
        EXPECT_FALSE(package.sampleRates().empty());
        EXPECT_TRUE(identifiers.insert(package.displayName()).second)
            << "two built-in packages share an identifier";
    }
}
