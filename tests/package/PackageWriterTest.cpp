#include "package/PackageWriter.h"
#include "package/MemData.h"
#include "package/Pupack.h"
#include "package/Tar.h"

#include "package/PackageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace package_test;

namespace
{

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// Writes the members as files of a folder.
void fillFolder(const std::string& folder, const std::vector<zo::PackageWriter::Member>& members)
{
    std::filesystem::create_directories(folder);
    for (const auto& member : members)
        writeFile(folder + "/" + member.name, member.bytes);
}

ResultCode tarIndexResult(const Bytes& archive)
{
    void* copy = std::malloc(archive.size());
    std::memcpy(copy, archive.data(), archive.size());
    auto* stream = new zo::MemData;
    stream->attach(copy, true, static_cast<std::int64_t>(archive.size()));
    zo::Tar tar;
    return tar.open(stream, true);
}

} // namespace

TEST(PackageWriter, ArchiveShapeIsWhatTheReaderAccepts)
{
    const auto members = completePackageMembers();
    const Bytes archive = archiveOf(members);

    std::size_t expectedLength = 1024;
    for (const auto& member : members)
        expectedLength += 512 + (member.bytes.size() + 511) / 512 * 512;
    EXPECT_EQ(archive.size(), expectedLength);
    EXPECT_TRUE(std::all_of(archive.end() - 1024, archive.end(), [](std::uint8_t b) { return b == 0; }));

    // Header fields of the first member.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&archive[100])), "0000644");
    char size[16];
    std::snprintf(size, sizeof size, "%011o", static_cast<unsigned>(members[0].bytes.size()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&archive[124])), size);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&archive[136])), "14544400200"); // 2024-01-01
    EXPECT_EQ(archive[156], '0');
    EXPECT_EQ(std::memcmp(&archive[257],
                          "ustar\0"
                          "00",
                          8),
              0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&archive[265])), "tavilo");

    EXPECT_EQ(tarIndexResult(archive), 0);
    Pupack package(archive.data(), archive.size());
    EXPECT_EQ(package.status(), 0);
}

TEST(PackageWriter, SameMembersGiveTheSameBytes)
{
    TemporaryFolder folder;
    fillFolder(folder.file("model"), completePackageMembers());

    zo::PackageWriter first, second;
    ASSERT_EQ(first.addFolder(folder.file("model")), 0) << first.lastError();
    ASSERT_EQ(second.addFolder(folder.file("model")), 0) << second.lastError();
    EXPECT_EQ(first.toBytes(), second.toBytes());

    // Folder members come in byte order of their names.
    std::vector<std::string> names;
    for (const auto& member : first.members())
        names.push_back(member.name);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(names.size(), completePackageMembers().size());

    zo::PackageWriter later;
    ASSERT_EQ(later.addFolder(folder.file("model")), 0);
    ASSERT_EQ(later.setModificationTime(1800000000), 0);
    EXPECT_NE(later.toBytes(), first.toBytes());
}

TEST(PackageWriter, RefusesWhatTheReaderCannotHold)
{
    zo::PackageWriter writer;
    const std::string longest(99, 'a');
    EXPECT_EQ(writer.addMember(longest, textBytes("ok")), 0);

    struct Case
    {
        std::string name;
        const char* messagePart;
    };
    const Case cases[]{
        {std::string(100, 'a'), "shorter than 100"},
        {std::string(250, 'b'), "shorter than 100"},
        {"", "needs a name"},
        {std::string("bad\0name", 8), "zero byte"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name.size());
        EXPECT_EQ(writer.addMember(c.name, textBytes("x")), result::invalidArgument);
        EXPECT_NE(writer.lastError().find(c.messagePart), std::string::npos) << writer.lastError();
    }
    EXPECT_EQ(writer.members().size(), 1u);
    EXPECT_EQ(writer.setModificationTime(-1), result::invalidArgument);

    TemporaryFolder folder;
    fillFolder(folder.file("model"), {{"model.json", textBytes("{}")}});
    std::filesystem::create_directories(folder.file("model/nested"));
    EXPECT_EQ(writer.addFolder(folder.file("model")), result::invalidArgument);
    EXPECT_NE(writer.lastError().find("nested"), std::string::npos);
    EXPECT_EQ(writer.addFolder(folder.file("absent")), result::openFailed);
    EXPECT_EQ(writer.addFile("x", folder.file("absent.bin")), result::openFailed);
    EXPECT_EQ(writer.members().size(), 1u);
}

TEST(PackageWriter, FolderLeavesOutHiddenFiles)
{
    TemporaryFolder folder;
    fillFolder(folder.file("model"), {{"model.json", textBytes("{}")}, {".DS_Store", textBytes("junk")}});
    zo::PackageWriter writer;
    ASSERT_EQ(writer.addFolder(folder.file("model")), 0);
    ASSERT_EQ(writer.members().size(), 1u);
    EXPECT_EQ(writer.members()[0].name, "model.json");
}

TEST(PackageWriter, WriteToFileReplacesAtOnce)
{
    TemporaryFolder folder;
    const std::string path = folder.file("ririka.ppc");
    writeFile(path, textBytes("old content"));

    zo::PackageWriter writer;
    for (const auto& member : completePackageMembers())
        ASSERT_EQ(writer.addMember(member.name, member.bytes), 0);
    ASSERT_EQ(writer.writeToFile(path), 0) << writer.lastError();
    EXPECT_EQ(readFile(path), writer.toBytes());
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    EXPECT_EQ(writer.writeToFile(folder.file("no/such/folder/x.ppc")), result::openFailed);
    EXPECT_FALSE(writer.lastError().empty());
}

// GNU tar as a second, independent implementation of the format.
class GnuTar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (run("tar --version").first != 0)
            GTEST_SKIP() << "GNU tar is not installed";
        fillFolder(folder.file("model"), members());
    }

    // The members of a complete package, sized so that 20-block records need padding.
    static std::vector<zo::PackageWriter::Member> members()
    {
        auto all = completePackageMembers();
        all.push_back({"img512.png", patternBytes(512, 41)});
        return all;
    }

    std::string gnuArchive(const std::string& name, const std::string& options)
    {
        const std::string archive = folder.file(name);
        std::string command =
            "tar " + options + " -cf " + quoted(archive) + " -C " + quoted(folder.file("model"));
        for (const auto& member : members())
            command += " " + member.name;
        const auto [status, output] = run(command);
        EXPECT_EQ(status, 0) << output;
        return archive;
    }

    TemporaryFolder folder;
};

TEST_F(GnuTar, DefaultRecordPaddingIsRefused)
{
    const std::string archive = gnuArchive("default.tar", "--format=ustar");
    const Bytes bytes = readFile(archive);
    // Padded to whole 20-block records, so more than two zero blocks close it.
    ASSERT_EQ(bytes.size() % 10240, 0u);
    ASSERT_GT(bytes.size(), archiveOf(members()).size());

    EXPECT_EQ(tarIndexResult(bytes), result::malformedArchive);
    Pupack package(archive);
    EXPECT_EQ(package.status(), result::indexFailed);
}

TEST_F(GnuTar, SingleBlockRecordsLoad)
{
    const std::string archive = gnuArchive("b1.tar", "-b1 --format=ustar");
    EXPECT_EQ(tarIndexResult(readFile(archive)), 0);

    Pupack package(archive);
    ASSERT_EQ(package.status(), 0);
    EXPECT_EQ(package.displayName(), "RirikaMale");
    EXPECT_EQ(package.sampleRates(), std::vector<double>{44100.0});
    for (const auto& member : members())
    {
        Bytes bytes;
        EXPECT_EQ(package.readPackageMember(member.name, bytes), 0);
        EXPECT_EQ(bytes, member.bytes) << member.name;
    }
}

TEST_F(GnuTar, ListsAndExtractsWriterArchives)
{
    zo::PackageWriter writer;
    ASSERT_EQ(writer.addFolder(folder.file("model")), 0);
    ASSERT_EQ(writer.addMember("voices/ririka/extra.bin", patternBytes(513, 40)), 0);
    const std::string archive = folder.file("writer.ppc");
    ASSERT_EQ(writer.writeToFile(archive), 0);

    const auto [listStatus, listing] = run("TZ=UTC tar -tvf " + quoted(archive));
    ASSERT_EQ(listStatus, 0) << listing;
    std::istringstream lines(listing);
    std::string line;
    std::size_t index = 0;
    while (std::getline(lines, line))
    {
        ASSERT_LT(index, writer.members().size()) << listing;
        const auto& member = writer.members()[index++];
        SCOPED_TRACE(line);
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, name;
        fields >> mode >> owner >> size >> date >> time >> name;
        EXPECT_EQ(mode, "-rw-r--r--");
        EXPECT_EQ(owner, "tavilo/tavilo");
        EXPECT_EQ(size, std::to_string(member.bytes.size()));
        EXPECT_EQ(date, "2024-01-01");
        EXPECT_EQ(time, "00:00");
        EXPECT_EQ(name, member.name);
    }
    EXPECT_EQ(index, writer.members().size());

    std::filesystem::create_directories(folder.file("out"));
    const auto [extractStatus, output] =
        run("tar -xf " + quoted(archive) + " -C " + quoted(folder.file("out")));
    ASSERT_EQ(extractStatus, 0) << output;
    for (const auto& member : writer.members())
        EXPECT_EQ(readFile(folder.file("out/" + member.name)), member.bytes) << member.name;
}
