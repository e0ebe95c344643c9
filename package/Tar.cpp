#include "package/Tar.h"

#include <cstring>
#include <new>

namespace zo
{

namespace
{

constexpr int sizeOffset = 124;
constexpr int sizeLength = 12;
constexpr int checksumOffset = 148;
constexpr int checksumLength = 8;
constexpr int magicOffset = 257;

bool isZeroBlock(const unsigned char* block)
{
    for (int i = 0; i < TarContent::blockSize; ++i)
        if (block[i] != 0)
            return false;
    return true;
}

} // namespace

std::int64_t TarContent::parseOctal(const unsigned char* field, int fieldLength)
{
    int i = 0;
    while (i < fieldLength && field[i] == ' ')
        ++i;
    // At most 12 octal digits fit a field, so the value stays far below the 64-bit limit.
    std::int64_t value = 0;
    for (; i < fieldLength && field[i] >= '0' && field[i] <= '7'; ++i)
        value = value * 8 + (field[i] - '0');
    return value;
}

TarContent::BlockKind TarContent::parseBlock(const unsigned char* block, TarContent& content)
{
    if (std::memcmp(block + magicOffset, "ustar", 5) != 0)
        return isZeroBlock(block) ? BlockKind::zeroBlock : BlockKind::bad;

    // The checksum counts its own eight bytes as spaces.
    std::int64_t sum = 8 * ' ';
    for (int i = 0; i < blockSize; ++i)
        if (i < checksumOffset || i >= checksumOffset + checksumLength)
            sum += block[i];
    if (parseOctal(block + checksumOffset, checksumLength) != sum)
        return BlockKind::bad;

    std::memcpy(content.header.data(), block, blockSize);
    content.header[blockSize] = 0;
    // The name field holds 100 characters without a terminating zero when the name is that
    // long; the copy stops at the field's end either way.
    const std::size_t nameLength = strnlen(reinterpret_cast<const char*>(block), nameFieldLength);
    std::memcpy(content.nameText.data(), block, nameLength);
    content.nameText[nameLength] = 0;
    content.memberSize = parseOctal(block + sizeOffset, sizeLength);
    return BlockKind::header;
}

Tar::~Tar()
{
    if (stream != nullptr)
        close();
}

ResultCode Tar::open(Data* newStream, bool owns)
{
    if (stream != nullptr)
    {
        close();
        return result::wrongState;
    }
    if (newStream == nullptr)
        return result::invalidArgument;

    stream = newStream;
    ownsStream = owns;
    const ResultCode code = index();
    if (code != result::success)
        close();
    return code;
}

ResultCode Tar::index()
{
    constexpr std::int64_t block = TarContent::blockSize;
    unsigned char buffer[TarContent::blockSize];

    if (stream->seek(0, Data::fromEnd) != result::success)
        return result::seekFailed;
    const std::int64_t length = stream->tell();
    if (length < 0)
        return result::seekFailed;
    if (length % block != 0)
        return result::malformedArchive;
    if (length == 0)
        return result::success;
    if (stream->seek(0, Data::fromStart) != result::success)
        return result::seekFailed;

    // remaining: bytes not yet consumed, including the block about to be read.
    std::int64_t remaining = length;
    std::int64_t offset = 0;
    try
    {
        while (remaining > 0)
        {
            if (stream->read(buffer, block) != static_cast<std::size_t>(block))
                return result::shortRead;

            TarContent content;
            switch (TarContent::parseBlock(buffer, content))
            {
                case TarContent::BlockKind::header:
                {
                    const std::int64_t padded = (content.size() + block - 1) / block * block;
                    // The member's data must fit between its header and the end of the archive;
                    // ending right after it means the closing blocks are missing.
                    if (remaining - block < padded)
                        return result::malformedArchive;
                    if (remaining == padded + block)
                        return result::malformedArchive;
                    if (stream->seek(padded, Data::fromCurrent) != result::success)
                        return result::seekFailed;
                    members.push_back(content);
                    dataOffsets.push_back(offset + block);
                    remaining -= padded + block;
                    offset += padded + block;
                    break;
                }
                case TarContent::BlockKind::zeroBlock:
                {
                    if (remaining != 2 * block)
                        return result::malformedArchive;
                    if (stream->read(buffer, block) != static_cast<std::size_t>(block))
                        return result::shortRead;
                    return isZeroBlock(buffer) ? result::success : result::malformedArchive;
                }
                case TarContent::BlockKind::bad:
                    return result::malformedArchive;
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        return result::outOfMemory;
    }
    return result::malformedArchive;
}

ResultCode Tar::close()
{
    if (stream == nullptr)
        return result::wrongState;
    memberOpen = false;
    members.clear();
    members.shrink_to_fit();
    dataOffsets.clear();
    dataOffsets.shrink_to_fit();
    if (ownsStream)
    {
        stream->close();
        delete stream;
    }
    stream = nullptr;
    ownsStream = false;
    return result::success;
}

int Tar::memberCount() const
{
    return static_cast<int>(members.size());
}

const char* Tar::memberName(int i) const
{
    if (i < 0 || i >= memberCount())
        return "";
    return members[static_cast<std::size_t>(i)].name();
}

std::int64_t Tar::memberSize(int i) const
{
    if (stream == nullptr)
        return -1;
    if (i < 0 || i >= memberCount())
        return -2;
    return members[static_cast<std::size_t>(i)].size();
}

std::int64_t Tar::memberDataOffset(int i) const
{
    if (i < 0 || i >= memberCount())
        return -1;
    return dataOffsets[static_cast<std::size_t>(i)];
}

ResultCode Tar::openMember(int i)
{
    if (stream == nullptr || memberOpen)
        return result::wrongState;
    if (i < 0 || i >= memberCount())
        return result::invalidArgument;
    const std::int64_t start = dataOffsets[static_cast<std::size_t>(i)];
    if (stream->seek(start, Data::fromStart) != result::success)
        return result::seekFailed;
    memberOpen = true;
    memberStart = start;
    memberPosition = start;
    openMemberSize = members[static_cast<std::size_t>(i)].size();
    return result::success;
}

ResultCode Tar::readMember(void* buffer, std::size_t count)
{
    if (!memberOpen)
        return result::wrongState;
    const std::int64_t left = memberStart + openMemberSize - memberPosition;
    const std::size_t wanted =
        static_cast<std::uint64_t>(left) < count ? static_cast<std::size_t>(left) : count;
    if (wanted == 0)
        return result::success;
    const std::size_t got = stream->read(buffer, wanted);
    memberPosition += static_cast<std::int64_t>(got);
    if (got != wanted)
        return result::shortRead;
    return result::success;
}

ResultCode Tar::closeMember()
{
    if (!memberOpen)
        return result::wrongState;
    memberOpen = false;
    return result::success;
}

} // namespace zo
