#include "package/FileData.h"
#include "package/MemData.h"

#include "package/PackageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <type_traits>

using namespace package_test;

namespace
{

// A MemData that owns a malloc'ed copy of bytes.
void attachCopy(zo::MemData& stream, const Bytes& bytes)
{
    void* copy = std::malloc(bytes.size() > 0 ? bytes.size() : 1);
    std::memcpy(copy, bytes.data(), bytes.size());
    ASSERT_EQ(stream.attach(copy, true, static_cast<std::int64_t>(bytes.size())), 0);
}

const Bytes sampleBytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};

} // namespace

// Reads one value with the given typed reader and widens its bit pattern.
template <typename T>
std::function<ResultCode(zo::Data&, std::uint64_t&)> through(ResultCode (zo::Data::*reader)(T*))
{
    return [reader](zo::Data& stream, std::uint64_t& out)
    {
        T value{};
        const ResultCode code = (stream.*reader)(&value);
        out = static_cast<std::make_unsigned_t<T>>(value);
        return code;
    };
}

TEST(DataTypedReaders, DecodeEachWidthAndByteOrder)
{
    struct Case
    {
        const char* name;
        std::uint64_t expected;
        std::function<ResultCode(zo::Data&, std::uint64_t&)> readValue;
    };
    // Every reader gets the same eight bytes; the signed readers keep the bit pattern.
    const std::vector<Case> cases{
        {"UInt16BE", 0x1234, through(&zo::Data::readUInt16BE)},
        {"UInt16LE", 0x3412, through(&zo::Data::readUInt16LE)},
        {"Int16BE", 0x1234, through(&zo::Data::readInt16BE)},
        {"UInt32BE", 0x12345678, through(&zo::Data::readUInt32BE)},
        {"UInt32LE", 0x78563412, through(&zo::Data::readUInt32LE)},
        {"Int32LE", 0x78563412, through(&zo::Data::readInt32LE)},
        {"UInt64BE", 0x123456789ABCDEF0, through(&zo::Data::readUInt64BE)},
        {"UInt64LE", 0xF0DEBC9A78563412, through(&zo::Data::readUInt64LE)},
        {"Int64LE", 0xF0DEBC9A78563412, through(&zo::Data::readInt64LE)},
        {"UInt8", 0x12, through(&zo::Data::readUInt8)},
        {"FourCC", 0x12345678, through(&zo::Data::readFourCC)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        zo::MemData stream;
        attachCopy(stream, sampleBytes);
        std::uint64_t value = 0;
        EXPECT_EQ(c.readValue(stream, value), 0);
        EXPECT_EQ(value, c.expected);
    }
}

TEST(DataTypedReaders, SignedValuesAndFourCC)
{
    zo::MemData stream;
    attachCopy(stream, {0xFF, 0xFE, 0xFE, 0xFF, 0x80, 'R', 'I', 'F', 'F'});
    std::int16_t a = 0, b = 0;
    std::int8_t c = 0;
    std::uint32_t fourCC = 0;
    EXPECT_EQ(stream.readInt16BE(&a), 0);
    EXPECT_EQ(stream.readInt16LE(&b), 0);
    EXPECT_EQ(stream.readInt8(&c), 0);
    EXPECT_EQ(stream.readFourCC(&fourCC), 0);
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, -128);
    EXPECT_EQ(fourCC, 0x52494646u);
}

TEST(DataTypedReaders, NullTargetDiscardsTheBytes)
{
    zo::MemData stream;
    attachCopy(stream, sampleBytes);
    EXPECT_EQ(stream.readUInt32BE(nullptr), 0);
    std::uint16_t next = 0;
    EXPECT_EQ(stream.readUInt16BE(&next), 0);
    EXPECT_EQ(next, 0x9ABC);
}

TEST(DataTypedReaders, NeverOpenedStreamGivesNotOpenWithoutReading)
{
    zo::MemData memory;
    zo::FileData file;
    std::uint32_t value = 7;
    EXPECT_EQ(memory.readUInt32LE(&value), result::streamNotOpen);
    EXPECT_EQ(file.readUInt32LE(&value), result::streamNotOpen);
    EXPECT_EQ(file.readUInt8(nullptr), result::streamNotOpen);
    EXPECT_EQ(value, 7u);
}

TEST(DataTypedReaders, ShortReadConsumesWhatIsLeft)
{
    zo::MemData stream;
    attachCopy(stream, {1, 2, 3});
    std::int32_t value = 99;
    EXPECT_EQ(stream.readInt32LE(&value), result::shortRead);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(stream.tell(), 3);
    EXPECT_EQ(stream.readUInt8(nullptr), result::shortRead);
}

TEST(DataTypedWriters, WriteEachWidthAndReadBack)
{
    zo::MemData stream;
    EXPECT_EQ(stream.writeFourCC("RIFF"), 0);
    EXPECT_EQ(stream.writeUInt16BE(0x1234), 0);
    EXPECT_EQ(stream.writeInt16LE(-2), 0);
    EXPECT_EQ(stream.writeUInt32BE(0xA1B2C3D4), 0);
    EXPECT_EQ(stream.writeInt32LE(-3), 0);
    EXPECT_EQ(stream.writeUInt64BE(0x0102030405060708), 0);
    EXPECT_EQ(stream.writeInt64LE(-4), 0);
    EXPECT_EQ(stream.writeInt8(-5), 0);
    EXPECT_EQ(stream.writeUInt8(0xEE), 0);

    const Bytes expected{'R',  'I',  'F',  'F',  0x12, 0x34, 0xFE, 0xFF, 0xA1, 0xB2, 0xC3, 0xD4,
                         0xFD, 0xFF, 0xFF, 0xFF, 1,    2,    3,    4,    5,    6,    7,    8,
                         0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 0xEE};
    ASSERT_EQ(stream.dataLength(), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(Bytes(stream.data(), stream.data() + stream.dataLength()), expected);

    // The writers do not need an open stream; the readers do.
    ASSERT_EQ(stream.attach(nullptr, true, 0), 0);
    ASSERT_EQ(stream.writeUInt64LE(0x1122334455667788), 0);
    ASSERT_EQ(stream.seek(0, zo::Data::fromStart), 0);
    std::uint64_t value = 0;
    EXPECT_EQ(stream.readUInt64LE(&value), 0);
    EXPECT_EQ(value, 0x1122334455667788u);
}

TEST(MemData, SeekTargetsAndRefusals)
{
    zo::MemData stream;
    attachCopy(stream, sampleBytes);
    struct Case
    {
        std::int64_t offset;
        int whence;
        ResultCode expected;
        std::int64_t positionAfter;
    };
    // Cases run in order on one stream; refusals leave the position.
    const Case cases[]{
        {0, zo::Data::fromEnd, 0, 8},
        {1, zo::Data::fromEnd, result::seekFailed, 8},
        {-3, zo::Data::fromEnd, 0, 5},
        {2, zo::Data::fromCurrent, 0, 7},
        {2, zo::Data::fromCurrent, result::seekFailed, 7},
        {-1, zo::Data::fromStart, result::seekFailed, 7},
        {std::numeric_limits<std::int64_t>::max(), zo::Data::fromCurrent, result::seekFailed, 7},
        {std::numeric_limits<std::int64_t>::min(), zo::Data::fromCurrent, result::seekFailed, 7},
        {0, 3, result::seekFailed, 7},
        {4, zo::Data::fromStart, 0, 4},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.offset << " from " << c.whence);
        EXPECT_EQ(stream.seek(c.offset, c.whence), c.expected);
        EXPECT_EQ(stream.tell(), c.positionAfter);
    }
    EXPECT_EQ(stream.size(), 8);
    EXPECT_EQ(stream.tell(), 4);
}

TEST(MemData, ReadPastTheEndReturnsTheRestThenNothing)
{
    zo::MemData stream;
    attachCopy(stream, sampleBytes);
    ASSERT_EQ(stream.seek(5, zo::Data::fromStart), 0);
    unsigned char out[16] = {};
    EXPECT_EQ(stream.read(out, sizeof out), 3u);
    EXPECT_EQ(out[0], 0xBC);
    EXPECT_EQ(out[2], 0xF0);
    EXPECT_EQ(stream.read(out, sizeof out), 0u);
    EXPECT_EQ(stream.tell(), 8);
}

TEST(MemData, WriteGrowsAnOwnedBufferAndOverwritesInPlace)
{
    zo::MemData stream;
    attachCopy(stream, {1, 2, 3, 4});
    ASSERT_EQ(stream.seek(2, zo::Data::fromStart), 0);
    const unsigned char more[]{9, 9, 9, 9};
    EXPECT_EQ(stream.write(more, 4), 4u);
    EXPECT_EQ(stream.tell(), 6);
    EXPECT_EQ(Bytes(stream.data(), stream.data() + stream.dataLength()), (Bytes{1, 2, 9, 9, 9, 9}));
}

TEST(MemData, WriteToABorrowedBufferStopsAtItsEnd)
{
    // Eight bytes lent to the stream, guarded by bytes it must never touch.
    unsigned char storage[16];
    std::memset(storage, 0xAA, sizeof storage);
    zo::MemData stream;
    ASSERT_EQ(stream.attach(storage + 4, false, 8), 0);
    ASSERT_EQ(stream.seek(5, zo::Data::fromStart), 0);

    const unsigned char bytes[]{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(stream.write(bytes, sizeof bytes), 3u);
    EXPECT_EQ(stream.tell(), 8);
    EXPECT_EQ(stream.dataLength(), 8);
    EXPECT_EQ(stream.write(bytes, sizeof bytes), 0u);
    EXPECT_EQ(stream.writeUInt32LE(7), result::shortWrite);

    const unsigned char expected[16]{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                                     0xAA, 1,    2,    3,    0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(std::memcmp(storage, expected, sizeof storage), 0);
}

TEST(MemData, ReserveRules)
{
    unsigned char lent[4]{1, 2, 3, 4};
    zo::MemData borrowed;
    ASSERT_EQ(borrowed.attach(lent, false, 4), 0);
    EXPECT_EQ(borrowed.reserve(64, false), result::wrongState);

    zo::MemData owned;
    attachCopy(owned, sampleBytes);
    ASSERT_EQ(owned.seek(6, zo::Data::fromStart), 0);
    EXPECT_EQ(owned.reserve(4, false), result::wrongState);
    EXPECT_EQ(owned.dataLength(), 8);
    EXPECT_EQ(owned.reserve(4, true), 0);
    EXPECT_EQ(owned.dataLength(), 4);
    EXPECT_EQ(owned.tell(), 4);
    EXPECT_EQ(owned.bufferCapacity(), 4);
    EXPECT_EQ(owned.reserve(100, false), 0);
    EXPECT_EQ(owned.bufferCapacity(), 100);
    EXPECT_EQ(owned.reserve(50, false), 0); // large enough already: unchanged
    EXPECT_EQ(owned.bufferCapacity(), 100);
    EXPECT_EQ(Bytes(owned.data(), owned.data() + owned.dataLength()), (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(owned.reserve(-1, true), result::invalidArgument);
}

TEST(MemData, AttachRefusesImpossibleBuffers)
{
    zo::MemData stream;
    EXPECT_EQ(stream.attach(nullptr, true, 10), result::invalidArgument);
    unsigned char byte = 0;
    EXPECT_EQ(stream.attach(&byte, false, -1), result::invalidArgument);
    EXPECT_FALSE(stream.isOpen());
}

TEST(FileData, OpenModesReadAndWriteARealFile)
{
    TemporaryFolder folder;
    const std::string path = folder.file("stream.bin");

    zo::FileData missing;
    EXPECT_EQ(missing.open(folder.file("absent.bin"), zo::FileData::modeRead), result::openFailed);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.seek(0, zo::Data::fromStart), result::seekFailed);

    {
        zo::FileData out;
        ASSERT_EQ(out.open(path, zo::FileData::modeWrite), 0);
        EXPECT_EQ(out.writeFourCC("RIFF"), 0);
        EXPECT_EQ(out.writeUInt32LE(0xDEADBEEF), 0);
        // A write-only file cannot be read back.
        ASSERT_EQ(out.seek(0, zo::Data::fromStart), 0);
        EXPECT_EQ(out.readUInt8(nullptr), result::shortRead);
        EXPECT_EQ(out.flush(), 0);
        EXPECT_EQ(out.close(), 0);
        EXPECT_FALSE(out.isOpen());
    }
    EXPECT_EQ(readFile(path), (Bytes{'R', 'I', 'F', 'F', 0xEF, 0xBE, 0xAD, 0xDE}));

    zo::FileData in;
    ASSERT_EQ(in.open(path, zo::FileData::modeRead), 0);
    EXPECT_EQ(in.size(), 8);
    EXPECT_EQ(in.tell(), 0);
    std::uint32_t fourCC = 0, value = 0;
    EXPECT_EQ(in.readFourCC(&fourCC), 0);
    EXPECT_EQ(in.readUInt32LE(&value), 0);
    EXPECT_EQ(fourCC, 0x52494646u);
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_EQ(in.readUInt8(nullptr), result::shortRead);
    EXPECT_EQ(in.write("x", 1), 0u);

    // Read and write at once truncates the file first ("w+b").
    zo::FileData both;
    ASSERT_EQ(both.open(path, zo::FileData::modeWrite | zo::FileData::modeRead), 0);
    EXPECT_EQ(both.size(), 0);
    EXPECT_EQ(both.writeUInt16BE(0xCAFE), 0);
    ASSERT_EQ(both.seek(-2, zo::Data::fromCurrent), 0);
    std::uint16_t back = 0;
    EXPECT_EQ(both.readUInt16BE(&back), 0);
    EXPECT_EQ(back, 0xCAFE);
}
