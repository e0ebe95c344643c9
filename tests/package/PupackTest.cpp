#include "package/Pupack.h"

#include "package/PackageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace package_test;
using Members = std::vector<zo::PackageWriter::Member>;

namespace
{

Members withDescription(Members members, const std::string& description)
{
    for (auto& member : members)
        if (member.name == "model.json")
            member.bytes = textBytes(description);
    return members;
}

Members without(Members members, const std::string& name)
{
    members.erase(
        std::remove_if(members.begin(), members.end(), [&](const auto& m) { return m.name == name; }),
        members.end());
    return members;
}

Members with(Members members, const std::string& name, Bytes bytes)
{
    members.push_back({name, std::move(bytes)});
    return members;
}

std::unique_ptr<Pupack> openInMemory(const Bytes& archive)
{
    return std::make_unique<Pupack>(archive.data(), archive.size());
}

std::unique_ptr<Pupack> openInMemory(const Members& members)
{
    return openInMemory(archiveOf(members));
}

// Opens the package and returns what the scan wrote to standard output.
std::string scanOutput(const Members& members, ResultCode expectedStatus)
{
    const Bytes archive = archiveOf(members);
    ::testing::internal::CaptureStdout();
    Pupack package(archive.data(), archive.size());
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(package.status(), expectedStatus);
    return output;
}

} // namespace

TEST(Pupack, CompletePackageLoadsAndAnswersItsQueries)
{
    const Members members = completePackageMembers();
    const auto package = openInMemory(members);
    ASSERT_EQ(package->status(), 0);
    EXPECT_EQ(package->load(), 0);
    EXPECT_EQ(package->path(), "");
    EXPECT_DOUBLE_EQ(package->version(), 3.0);
    EXPECT_DOUBLE_EQ(package->formatVersion(), 3.0);
    EXPECT_DOUBLE_EQ(package->pitch(), 1.5);
    EXPECT_DOUBLE_EQ(package->volume(), 0.8);
    EXPECT_EQ(package->targetIdentifier(), "Ririka");
    EXPECT_EQ(package->narratorIdentifier(), "Male");
    EXPECT_EQ(package->displayName(), "RirikaMale");
    EXPECT_EQ(package->title(nullptr), "Ririka for male voices");
    EXPECT_EQ(package->title("ja_JP"), "りりか（男性用）");
    EXPECT_EQ(package->target("zh_CN"), "莉莉卡");
    EXPECT_EQ(package->sampleRates(), std::vector<double>{44100.0});
    EXPECT_TRUE(package->supportsSampleRate(44100.0));
    EXPECT_FALSE(package->supportsSampleRate(48000.0));
    EXPECT_FALSE(package->supportsSampleRate(16000.0));
    EXPECT_EQ(package->memberNames().size(), members.size());
}

TEST(Pupack, ReadsMembersByBaseName)
{
    Members members = completePackageMembers();
    members[2].name = "voices/ririka/44100.gmm";
    const auto package = openInMemory(members);
    ASSERT_EQ(package->status(), 0);

    std::int64_t length = -1;
    ASSERT_EQ(package->readPackageMember("dyn.win", nullptr, &length), 0);
    ASSERT_EQ(length, 24);
    Bytes window(static_cast<std::size_t>(length));
    ASSERT_EQ(package->readPackageMember("dyn.win", window.data(), &length), 0);
    EXPECT_EQ(window, members[1].bytes);

    Bytes gmm;
    ASSERT_EQ(package->readRateMember(".gmm", 44100.0, gmm), 0);
    EXPECT_EQ(gmm, members[2].bytes);
    Bytes postFilter;
    ASSERT_EQ(package->readRateMember(".gvpf", 44100, postFilter), 0);
    EXPECT_EQ(postFilter, members[5].bytes);

    EXPECT_EQ(package->readRateMember(".gmm", 48000, gmm), result::missingMember);
    EXPECT_EQ(package->readPackageMember("absent", nullptr, &length), result::missingMember);
    EXPECT_EQ(package->readPackageMember("dyn.win", nullptr, nullptr), result::invalidArgument);

    // A buffer smaller than the member gets nothing; the length tells what is needed.
    Bytes small(10, 0xAA);
    length = static_cast<std::int64_t>(small.size());
    EXPECT_EQ(package->readPackageMember("dyn.win", small.data(), &length), result::memberReadFailed);
    EXPECT_EQ(length, 24);
    EXPECT_EQ(small, Bytes(10, 0xAA));
}

TEST(Pupack, LaterMemberOfTheSameNameWins)
{
    const Members members = with(with(completePackageMembers(), "dyn.win", patternBytes(16, 77)),
                                 "model.json", textBytes(R"({"title": "second"})"));
    const auto package = openInMemory(members);
    ASSERT_EQ(package->status(), 0);
    EXPECT_EQ(package->title(nullptr), "second");
    Bytes window;
    ASSERT_EQ(package->readPackageMember("dyn.win", window), 0);
    EXPECT_EQ(window, patternBytes(16, 77));
}

TEST(Pupack, ResourceForkCompanionIsIgnoredSilently)
{
    const Members members = with(completePackageMembers(), "._model.json", patternBytes(82, 3));
    EXPECT_EQ(scanOutput(members, 0), "");
}

TEST(Pupack, UnknownMemberIsReportedAndIgnored)
{
    const Members members = with(completePackageMembers(), "extras/notes.txt", textBytes("hello"));
    EXPECT_EQ(scanOutput(members, 0), "unknown file type in archive [notes.txt]");

    // Empty members are ignored without a message, whatever their name.
    EXPECT_EQ(scanOutput(with(completePackageMembers(), "readme", {}), 0), "");
}

TEST(Pupack, RecognisedMemberNames)
{
    struct Case
    {
        const char* name;
        bool known;
    };
    const Case cases[]{
        {"16000.intragmm", true}, {"48000.diffgmm", true},   {"44100abc.gvpf", true},
        {"22050.gmm", false},     {"x.gmm", false},          {"img", true},
        {"imgfoo.jpg", true},     {"model.json.bak", false}, {"99999999999999999999999.gmm", false},
        {"a:b\\c/dyn.win", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string output = scanOutput(with(completePackageMembers(), c.name, textBytes("x")), 0);
        EXPECT_EQ(output.empty(), c.known) << output;
    }
}

TEST(Pupack, RateNeedsAllFourParameterMembers)
{
    const auto noPostFilter = openInMemory(without(completePackageMembers(), "44100.gvpf"));
    ASSERT_EQ(noPostFilter->status(), 0);
    EXPECT_TRUE(noPostFilter->sampleRates().empty());
    EXPECT_FALSE(noPostFilter->supportsSampleRate(44100));

    Members all = completePackageMembers();
    for (const char* extension : {".gmm", ".intragmm", ".diffgmm", ".gvpf"})
    {
        all = with(all, std::string("48000") + extension, patternBytes(8));
        all = with(all, std::string("16000") + extension, patternBytes(8));
    }
    const auto three = openInMemory(all);
    EXPECT_EQ(three->sampleRates(), (std::vector<double>{16000.0, 44100.0, 48000.0}));
}

TEST(Pupack, ImageChoice)
{
    const Members members =
        with(with(with(without(completePackageMembers(), "img256.png"), "img256.png", patternBytes(256, 1)),
                  "art/img512.png", patternBytes(512, 2)),
             "img1024.png", patternBytes(1024, 3));
    const auto package = openInMemory(members);
    ASSERT_EQ(package->status(), 0);

    struct Case
    {
        int size;
        bool atLeast;
        ResultCode expected;
        std::int64_t length; // the images are as long as their nominal size
    };
    const Case cases[]{
        {300, false, 0, 256},   {300, true, 0, 512},
        {384, false, 0, 256}, // equal distance: earlier wins
        {5000, false, 0, 1024}, {5000, true, result::noImage, 0},
        {0, true, 0, 256},      {70000, false, result::noImage, 0},
        {-100, false, 0, 256},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.size << (c.atLeast ? " at least" : ""));
        std::int64_t length = 0;
        EXPECT_EQ(package->image(nullptr, &length, c.size, c.atLeast), c.expected);
        if (c.expected == 0)
        {
            EXPECT_EQ(length, c.length);
        }
    }

    std::int64_t length = 0;
    ASSERT_EQ(package->image(nullptr, &length, 600, true), 0);
    Bytes bytes(static_cast<std::size_t>(length));
    ASSERT_EQ(package->image(bytes.data(), &length, 600, true), 0);
    EXPECT_EQ(bytes, patternBytes(1024, 3));
    EXPECT_EQ(package->image(nullptr, nullptr, 600, true), 0);

    const auto noImages = openInMemory(without(completePackageMembers(), "img256.png"));
    EXPECT_EQ(noImages->image(nullptr, &length, 256, false), result::noImage);
}

TEST(Pupack, LocalisedLookup)
{
    const std::string description = R"({
        "title": "Top", "narrator": "Top narrator", "description": "Top description", "target": "",
        "ja": { "title": "ja title", "narrator": "" },
        "zh-TW": { "title": "zh-TW title" },
        "zh": { "title": "zh title", "description": "zh description", "target": 5 },
        "ko": "not an object"
    })";
    const auto package = openInMemory(withDescription(completePackageMembers(), description));
    ASSERT_EQ(package->status(), 0);

    struct Case
    {
        const char* locale;
        std::string (Pupack::*query)(const char*) const;
        std::string expected;
    };
    const Case cases[]{
        {"ja_JP", &Pupack::title, "ja title"},
        {"ja_JP", &Pupack::description, "Top description"}, // "ja" has no description
        {"ja_JP", &Pupack::narrator, "Top narrator"},       // an empty localised string
        {"ja", &Pupack::title, "ja title"},
        {"zh_TW", &Pupack::title, "zh-TW title"},
        {"zh_TW", &Pupack::description, "zh description"}, // zh-TW, then zh
        {"zh_TW", &Pupack::narrator, "Top narrator"},      // zh-TW, zh, then the top level
        {"zh_CN", &Pupack::title, "zh title"},
        {"zh_CN", &Pupack::target, ""}, // not a string anywhere
        {"ko_KR", &Pupack::title, "Top"},
        {"en_US", &Pupack::title, "Top"},
        {nullptr, &Pupack::title, "Top"},
        {"", &Pupack::title, "Top"},
        {"zh_TW_with_a_very_long_variant_beyond_thirty_one_characters", &Pupack::title, "zh title"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.locale == nullptr ? "(null)" : c.locale);
        EXPECT_EQ(((*package).*c.query)(c.locale), c.expected);
    }
}

TEST(Pupack, DefaultsForMissingOrMistypedKeys)
{
    struct Case
    {
        const char* description;
        double version, formatVersion, pitch, volume;
        const char* target;
        const char* narrator;
    };
    const Case cases[]{
        {R"({})", 0, 2, 1, 1, "", ""},
        {R"({"volume": "loud", "pitch": true, "version": null, "formatVersion": [3]})", 0, 2, 1, 1, "", ""},
        {R"({"volume": 2, "pitch": 0.5, "version": 7, "formatVersion": 3.5})", 7, 3.5, 0.5, 2, "", ""},
        {R"({"target": "T", "narrator": "N", "targetIdentifier": "", "narratorIdentifier": 4})", 0, 2, 1, 1,
         "T", "N"},
        {R"({"targetIdentifier": "tid", "target": "T", "narratorIdentifier": "nid"})", 0, 2, 1, 1, "tid",
         "nid"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.description);
        const auto package = openInMemory(withDescription(completePackageMembers(), c.description));
        ASSERT_EQ(package->status(), 0);
        EXPECT_DOUBLE_EQ(package->version(), c.version);
        EXPECT_DOUBLE_EQ(package->formatVersion(), c.formatVersion);
        EXPECT_DOUBLE_EQ(package->pitch(), c.pitch);
        EXPECT_DOUBLE_EQ(package->volume(), c.volume);
        EXPECT_EQ(package->targetIdentifier(), c.target);
        EXPECT_EQ(package->narratorIdentifier(), c.narrator);
    }
}

TEST(Pupack, LoadFailures)
{
    Bytes padded = archiveOf(completePackageMembers());
    padded.resize(padded.size() + 512, 0);

    struct Case
    {
        const char* name;
        Bytes archive;
        ResultCode expected;
    };
    const std::vector<Case> cases{
        {"no model.json", archiveOf(without(completePackageMembers(), "model.json")),
         result::invalidDescription},
        {"empty model.json", archiveOf(withDescription(completePackageMembers(), "")),
         result::invalidDescription},
        {"model.json not JSON", archiveOf(withDescription(completePackageMembers(), "{\"title\": ")),
         result::invalidDescription},
        {"root not an object", archiveOf(withDescription(completePackageMembers(), "[1, 2]")),
         result::invalidDescription},
        {"number beyond double", archiveOf(withDescription(completePackageMembers(), R"({"volume": 1e999})")),
         result::invalidDescription},
        {"nesting too deep", archiveOf(withDescription(completePackageMembers(), std::string(5000, '['))),
         result::invalidDescription},
        {"extra zero blocks", padded, result::indexFailed},
        {"not an archive", textBytes("hello"), result::indexFailed},
        {"empty archive", {}, result::invalidDescription},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto package = openInMemory(c.archive);
        EXPECT_EQ(package->status(), c.expected);
        // A failed package scans again on every load and fails the same way.
        EXPECT_EQ(package->load(), c.expected);
        // Its queries answer the defaults.
        EXPECT_DOUBLE_EQ(package->volume(), 1.0);
        EXPECT_DOUBLE_EQ(package->formatVersion(), 2.0);
        EXPECT_EQ(package->title("ja_JP"), "");
        EXPECT_TRUE(package->sampleRates().empty());
        EXPECT_FALSE(package->supportsSampleRate(44100));
    }
}

TEST(Pupack, MissingFileHasNoStream)
{
    TemporaryFolder folder;
    Pupack package(folder.file("absent.ppc"));
    EXPECT_EQ(package.status(), result::noStream);
    EXPECT_EQ(package.load(), result::noStream);
    EXPECT_EQ(package.path(), folder.file("absent.ppc"));
    std::int64_t length = 0;
    EXPECT_EQ(package.image(nullptr, &length, 256, false), result::noImage);
    EXPECT_EQ(package.readPackageMember("dyn.win", nullptr, &length), result::missingMember);

    Pupack nothing(nullptr, 10);
    EXPECT_EQ(nothing.status(), result::noStream);
}

TEST(Pupack, FileAndMemoryGiveTheSameResults)
{
    TemporaryFolder folder;
    const Members members = with(completePackageMembers(), "img512.png", patternBytes(512, 12));
    const Bytes archive = archiveOf(members);
    writeFile(folder.file("ririka.ppc"), archive);

    Pupack fromFile(folder.file("ririka.ppc"));
    Pupack fromMemory(archive.data(), archive.size());
    ASSERT_EQ(fromFile.status(), 0);
    ASSERT_EQ(fromMemory.status(), 0);
    EXPECT_EQ(fromFile.path(), folder.file("ririka.ppc"));
    EXPECT_EQ(fromFile.memberNames(), fromMemory.memberNames());
    EXPECT_EQ(fromFile.sampleRates(), fromMemory.sampleRates());
    EXPECT_EQ(fromFile.displayName(), fromMemory.displayName());
    EXPECT_EQ(fromFile.description("zh_TW"), fromMemory.description("zh_TW"));
    EXPECT_EQ(fromFile.volume(), fromMemory.volume());

    for (const auto& member : members)
    {
        SCOPED_TRACE(member.name);
        Bytes a, b;
        EXPECT_EQ(fromFile.readPackageMember(member.name, a), 0);
        EXPECT_EQ(fromMemory.readPackageMember(member.name, b), 0);
        EXPECT_EQ(a, member.bytes);
        EXPECT_EQ(b, member.bytes);
    }
    for (const int size : {100, 300, 400, 2000})
    {
        std::int64_t fileLength = 0, memoryLength = 0;
        EXPECT_EQ(fromFile.image(nullptr, &fileLength, size, true),
                  fromMemory.image(nullptr, &memoryLength, size, true));
        EXPECT_EQ(fileLength, memoryLength);
    }
}

TEST(Pupack, MembersChangedOnDiskAfterTheScanFailCleanly)
{
    TemporaryFolder folder;
    writeFile(folder.file("changing.ppc"), archiveOf(completePackageMembers()));
    Pupack package(folder.file("changing.ppc"));
    ASSERT_EQ(package.status(), 0);

    // The file is replaced by one with fewer members, then by one that is no archive.
    // Depending on what the standard I/O buffer still holds, the new index fails or lacks the
    // member; either way the read fails and nothing is read out of bounds.
    writeFile(folder.file("changing.ppc"), archiveOf({{"model.json", textBytes("{}")}}));
    Bytes bytes;
    const ResultCode fewer = package.readPackageMember("img256.png", bytes);
    EXPECT_TRUE(fewer == result::memberReadFailed || fewer == result::indexFailed) << fewer;
    writeFile(folder.file("changing.ppc"), textBytes("gone"));
    EXPECT_EQ(package.readPackageMember("dyn.win", bytes), result::indexFailed);
    std::int64_t length = 0;
    EXPECT_EQ(package.image(nullptr, &length, 256, false), result::indexFailed);
}
