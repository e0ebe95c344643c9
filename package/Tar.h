#pragma once

#include "package/Data.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zo
{

/** One parsed ustar member header: the 512 header bytes and the member size. */
class TarContent
{
public:
    /** Size of a tar block in bytes. */
    static constexpr int blockSize = 512;

    /** Length of the header's name field in bytes. */
    static constexpr int nameFieldLength = 100;

    /** What a block turned out to be. */
    enum class BlockKind
    {
        header,    ///< a ustar header with a correct checksum
        zeroBlock, ///< 512 zero bytes
        bad        ///< anything else
    };

    /** Parses one 512-byte block. For a header, fills `content` (its bytes and size). */
    static BlockKind parseBlock(const unsigned char* block, TarContent& content);

    /** The header bytes, followed by a terminating zero byte. */
    const unsigned char* headerBytes() const { return header.data(); }

    /** The member path of the name field as a C string: the characters up to the first zero byte
        or all 100 when the field has none (the prefix field is not joined). */
    const char* name() const { return nameText.data(); }

    /** Member size in bytes. */
    std::int64_t size() const { return memberSize; }

    /** Reads an octal number from a header field: leading spaces skipped, then digits '0'..'7'
        up to any other character or the field's end; 0 when the first other character is not an
        octal digit. */
    static std::int64_t parseOctal(const unsigned char* field, int fieldLength);

private:
    std::array<unsigned char, blockSize + 1> header{};
    std::array<char, nameFieldLength + 1> nameText{};
    std::int64_t memberSize = 0;
};

/** A strict reader of POSIX ustar archives held in a Data stream.

    An archive is accepted only in this shape: for each member a header block with a correct
    checksum followed by its data padded with zeros to a multiple of 512 bytes, then exactly two
    zero blocks and nothing else. open() indexes the headers; one member at a time is then opened
    and read. One thread uses an archive object at a time. */
class Tar
{
public:
    Tar() = default;
    /** Closes the archive (see close()). */
    ~Tar();

    Tar(const Tar&) = delete;
    Tar& operator=(const Tar&) = delete;

    /** Indexes the archive in stream, from its start. When ownsStream is set, closing the
        archive closes and destroys the stream (also when indexing fails).

        Returns result::malformedArchive for any other shape than the one above,
        result::shortRead when a block cannot be read, result::seekFailed when the stream cannot
        seek, result::outOfMemory when the index cannot be allocated; the archive is then closed.
        An archive of 0 bytes is valid and has no members. An archive that already holds a stream
        is closed and result::wrongState returned; the new stream is then not taken (the caller
        keeps it). A null stream is result::invalidArgument. */
    ResultCode open(Data* stream, bool ownsStream);

    /** Ends an open member, forgets the index and the stream (closing and destroying it when
        owned); result::wrongState when there is no stream. */
    ResultCode close();

    /** Number of indexed members. */
    int memberCount() const;

    /** The name of member i (see TarContent::name()); "" when i is out of range. */
    const char* memberName(int i) const;

    /** Size of member i in bytes; -1 without a stream, -2 when i is out of range. */
    std::int64_t memberSize(int i) const;

    /** Opens member i for reading: result::wrongState without a stream or while a member is open,
        result::invalidArgument when i is out of range, result::seekFailed when the stream cannot
        seek to the data. */
    ResultCode openMember(int i);

    /** Reads min(count, bytes left in the member) bytes of the open member into buffer:
        result::wrongState when no member is open, result::shortRead when fewer bytes arrive. */
    ResultCode readMember(void* buffer, std::size_t count);

    /** Ends the open member; result::wrongState when none is open. */
    ResultCode closeMember();

    /** Offset in bytes of member i's data from the start of the stream; -1 when out of range. */
    std::int64_t memberDataOffset(int i) const;

private:
    ResultCode index();

    Data* stream = nullptr;
    bool ownsStream = false;
    std::vector<TarContent> members;
    std::vector<std::int64_t> dataOffsets;
    bool memberOpen = false;
    std::int64_t memberStart = 0;
    std::int64_t memberPosition = 0;
    std::int64_t openMemberSize = 0;
};

} // namespace zo
