#include "package/Tar.h"
#include "package/MemData.h"

#include "package/PackageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace package_test;

namespace
{

// A MemData over a copy of bytes, destroyed by whoever owns it.
zo::MemData* streamOver(const Bytes& bytes)
{
    auto* stream = new zo::MemData;
    void* copy = std::malloc(bytes.size() > 0 ? bytes.size() : 1);
    if (!bytes.empty())
        std::memcpy(copy, bytes.data(), bytes.size());
    stream->attach(copy, true, static_cast<std::int64_t>(bytes.size()));
    return stream;
}

ResultCode indexResult(const Bytes& bytes)
{
    zo::Tar tar;
    return tar.open(streamOver(bytes), true);
}

// Recomputes the checksum of the header at offset after a test changed it.
void fixChecksum(Bytes& archive, std::size_t offset)
{
    std::memset(&archive[offset + 148], ' ', 8);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 512; ++i)
        sum += archive[offset + i];
    std::snprintf(reinterpret_cast<char*>(&archive[offset + 148]), 8, "%06o", sum);
    archive[offset + 155] = ' ';
}

void setSizeField(Bytes& archive, std::size_t offset, const char* octal)
{
    std::memset(&archive[offset + 124], 0, 12);
    std::memcpy(&archive[offset + 124], octal, std::strlen(octal));
    fixChecksum(archive, offset);
}

/** A stream that records its destruction. */
class WatchedStream : public zo::MemData
{
public:
    explicit WatchedStream(bool& destroyedFlag) : destroyed(destroyedFlag) {}
    ~WatchedStream() override { destroyed = true; }

private:
    bool& destroyed;
};

const std::vector<zo::PackageWriter::Member> threeMembers{
    {"model.json", textBytes("{}")},
    {"empty.bin", {}},
    {"folder/44100.gmm", patternBytes(1030, 9)},
};

} // namespace

TEST(Tar, IndexesMembersAndReadsTheirData)
{
    const Bytes archive = archiveOf(threeMembers);
    zo::Tar tar;
    ASSERT_EQ(tar.open(streamOver(archive), true), 0);
    ASSERT_EQ(tar.memberCount(), 3);
    EXPECT_STREQ(tar.memberName(0), "model.json");
    EXPECT_STREQ(tar.memberName(2), "folder/44100.gmm");
    EXPECT_EQ(tar.memberSize(0), 2);
    EXPECT_EQ(tar.memberSize(1), 0);
    EXPECT_EQ(tar.memberSize(2), 1030);
    EXPECT_EQ(tar.memberSize(3), -2);
    EXPECT_EQ(tar.memberSize(-1), -2);

    // Data offsets: 512 * (1 + sum of (blocks + 1) of the members before). The empty member takes
    // its header only, so the third header follows it directly.
    EXPECT_EQ(tar.memberDataOffset(0), 512);
    EXPECT_EQ(tar.memberDataOffset(1), 1536);
    EXPECT_EQ(tar.memberDataOffset(2), 2048);

    Bytes data(1030);
    ASSERT_EQ(tar.openMember(2), 0);
    EXPECT_EQ(tar.readMember(data.data(), 1000), 0);
    EXPECT_EQ(tar.readMember(data.data() + 1000, 30), 0);
    EXPECT_EQ(data, threeMembers[2].bytes);
    EXPECT_EQ(tar.closeMember(), 0);
}

TEST(Tar, ReadingIsCutAtTheMemberEnd)
{
    const Bytes archive = archiveOf(threeMembers);
    zo::Tar tar;
    ASSERT_EQ(tar.open(streamOver(archive), true), 0);
    ASSERT_EQ(tar.openMember(0), 0);
    Bytes buffer(600, 0xAA);
    EXPECT_EQ(tar.readMember(buffer.data(), buffer.size()), 0);
    EXPECT_EQ(buffer[0], '{');
    EXPECT_EQ(buffer[1], '}');
    EXPECT_EQ(buffer[2], 0xAA); // the zero padding after the member stays unread
    EXPECT_EQ(tar.readMember(buffer.data(), buffer.size()), 0);
    EXPECT_EQ(buffer[0], '{');
}

TEST(Tar, CallsInTheWrongStateAreRefused)
{
    zo::Tar tar;
    EXPECT_EQ(tar.close(), result::wrongState);
    EXPECT_EQ(tar.memberSize(0), -1);
    EXPECT_EQ(tar.openMember(0), result::wrongState);
    EXPECT_EQ(tar.readMember(nullptr, 1), result::wrongState);
    EXPECT_EQ(tar.closeMember(), result::wrongState);
    EXPECT_EQ(tar.open(nullptr, false), result::invalidArgument);
    EXPECT_STREQ(tar.memberName(0), "");

    const Bytes archive = archiveOf(threeMembers);
    zo::MemData* first = streamOver(archive);
    ASSERT_EQ(tar.open(first, true), 0);
    EXPECT_EQ(tar.openMember(3), result::invalidArgument);
    ASSERT_EQ(tar.openMember(0), 0);
    EXPECT_EQ(tar.openMember(1), result::wrongState);

    // Opening over an open archive closes it and does not take the new stream.
    std::unique_ptr<zo::MemData> second(streamOver(archive));
    EXPECT_EQ(tar.open(second.get(), true), result::wrongState);
    EXPECT_EQ(tar.memberCount(), 0);
    EXPECT_EQ(tar.close(), result::wrongState);
}

TEST(Tar, StrictShapes)
{
    const Bytes good = archiveOf(threeMembers);
    const std::size_t lastHeader = 1536;

    struct Case
    {
        const char* name;
        std::function<void(Bytes&)> change;
        ResultCode expected;
    };
    const std::vector<Case> cases{
        {"as written", [](Bytes&) {}, 0},
        {"padded to a 10240-byte record", [](Bytes& a) { a.resize(10240, 0); }, result::malformedArchive},
        {"one extra zero block", [](Bytes& a) { a.resize(a.size() + 512, 0); }, result::malformedArchive},
        {"no closing blocks", [](Bytes& a) { a.resize(a.size() - 1024); }, result::malformedArchive},
        {"one closing block", [](Bytes& a) { a.resize(a.size() - 512); }, result::malformedArchive},
        {"length not a multiple of 512", [](Bytes& a) { a.push_back(0); }, result::malformedArchive},
        {"second closing block not zero", [](Bytes& a) { a.back() = 1; }, result::malformedArchive},
        {"wrong checksum", [](Bytes& a) { a[0] = 'M'; }, result::malformedArchive},
        {"checksum field not a number", [](Bytes& a) { std::memcpy(&a[148], "x1234  ", 7); },
         result::malformedArchive},
        {"block that is neither header nor zeros",
         [=](Bytes& a) { std::memset(&a[lastHeader + 257], 'x', 5); }, result::malformedArchive},
        {"data longer than the archive", [=](Bytes& a) { setSizeField(a, lastHeader, "00000100000"); },
         result::malformedArchive},
        {"data running into the closing blocks",
         [=](Bytes& a) { setSizeField(a, lastHeader, "00000005000"); }, result::malformedArchive},
        {"largest size the field holds", [=](Bytes& a) { setSizeField(a, lastHeader, "777777777777"); },
         result::malformedArchive},
        {"zero block before the end", [](Bytes& a) { std::memset(&a[512], 0, 1024); },
         result::malformedArchive},
        {"only two zero blocks", [](Bytes& a) { a.assign(1024, 0); }, 0},
        {"a single zero block", [](Bytes& a) { a.assign(512, 0); }, result::malformedArchive},
        {"empty", [](Bytes& a) { a.clear(); }, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes archive = good;
        c.change(archive);
        EXPECT_EQ(indexResult(archive), c.expected);
    }
}

TEST(Tar, EmptyArchiveHasNoMembers)
{
    zo::Tar tar;
    ASSERT_EQ(tar.open(streamOver({}), true), 0);
    EXPECT_EQ(tar.memberCount(), 0);
    EXPECT_EQ(tar.memberSize(0), -2);
}

TEST(Tar, ChecksumAcceptsSpacePaddedField)
{
    // Some archivers right-align the checksum with leading spaces and end it with a space.
    Bytes archive = archiveOf(threeMembers);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 512; ++i)
        sum += (i >= 148 && i < 156) ? ' ' : archive[i];
    std::snprintf(reinterpret_cast<char*>(&archive[148]), 8, "%7o", sum);
    archive[155] = ' ';
    EXPECT_EQ(indexResult(archive), 0);
}

TEST(Tar, FailedIndexClosesAndDestroysAnOwnedStream)
{
    bool destroyed = false;
    auto* stream = new WatchedStream(destroyed);
    stream->attach(nullptr, true, 0);
    stream->write("not an archive", 14);
    zo::Tar tar;
    EXPECT_EQ(tar.open(stream, true), result::malformedArchive);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(tar.close(), result::wrongState);
}

TEST(Tar, HundredCharacterNameStaysWithinItsField)
{
    const std::string longName(100, 'n');
    Bytes archive = archiveOf({{"x", textBytes("data")}});
    // Give the header a name that fills the whole field, without a terminating zero.
    std::memcpy(&archive[0], longName.data(), 100);
    fixChecksum(archive, 0);

    zo::Tar tar;
    ASSERT_EQ(tar.open(streamOver(archive), true), 0);
    EXPECT_EQ(std::string(tar.memberName(0)), longName);
}

TEST(TarContent, ParseOctal)
{
    struct Case
    {
        const char* field;
        std::int64_t expected;
    };
    const Case cases[]{
        {"0000644\0", 0644},  {"   17 \0\0", 017}, {"12345678", 01234567},
        {"x17\0\0\0\0\0", 0}, {"        ", 0},     {"0008\0\0\0\0", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(zo::TarContent::parseOctal(reinterpret_cast<const unsigned char*>(c.field), 8), c.expected);
    }
}
