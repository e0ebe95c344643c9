#pragma once

#include "package/ResultCode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zo
{

/** Writes model packages: POSIX ustar archives of the strict shape the package reader accepts.

    Members are added from memory, from files or from a folder and written in the order they
    were added: each as a ustar header (correct checksum, mode 0644, owner "tavilo", a fixed
    modification time unless another is set) followed by its data padded with zeros to a multiple
    of 512 bytes, then exactly two zero blocks and no further padding. The same members give the
    same bytes. Member names must be 1 to 99 bytes long without zero bytes; the reader keeps no
    longer names. Failures return a ResultCode and leave a message in lastError(). */
class PackageWriter
{
public:
    /** Default modification time of every member: 2024-01-01 00:00:00 UTC, in seconds since the
        epoch. */
    static constexpr std::int64_t defaultModificationTime = 1704067200;

    /** Longest member name the reader holds, in bytes. */
    static constexpr std::size_t maxNameLength = 99;

    /** Largest member the header's size field holds, in bytes (8 GiB - 1). */
    static constexpr std::int64_t maxMemberSize = 077777777777;

    /** One member: its path in the archive and its bytes. */
    struct Member
    {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };

    /** Sets the modification time written into every header, in seconds since the epoch
        (0 .. 8^11 - 1); result::invalidArgument outside that range. */
    ResultCode setModificationTime(std::int64_t secondsSinceEpoch);

    /** Adds a member with the given bytes. result::invalidArgument for a name the reader cannot
        hold (empty, 100 bytes or more, containing a zero byte) or data beyond maxMemberSize. */
    ResultCode addMember(const std::string& name, std::vector<std::uint8_t> bytes);

    /** Adds a member whose bytes are the text. */
    ResultCode addMember(const std::string& name, const std::string& text);

    /** Adds the file at path as a member called name; result::openFailed when it cannot be
        read. */
    ResultCode addFile(const std::string& name, const std::string& path);

    /** Adds every regular file directly in folder, named by its file name, in byte order of the
        names. Hidden entries (names beginning with '.') are left out. result::openFailed when the
        folder or a file cannot be read, result::invalidArgument when it holds a subfolder (packages
        are flat) or a name the reader cannot hold; nothing is added then. */
    ResultCode addFolder(const std::string& folder);

    /** The members added so far, in order. */
    const std::vector<Member>& members() const { return memberList; }

    /** The archive's bytes. */
    std::vector<std::uint8_t> toBytes() const;

    /** Writes the archive to path: first to a temporary file beside it, which then replaces path,
        so that a failed write leaves an existing file as it was. result::openFailed,
        result::shortWrite, result::flushFailed or result::closeFailed on failure. */
    ResultCode writeToFile(const std::string& path) const;

    /** The message of the last failure ("" when there was none). */
    const std::string& lastError() const { return error; }

private:
    ResultCode fail(ResultCode code, std::string message) const;
    ResultCode checkMember(const std::string& name, std::int64_t size) const;
    void appendHeader(std::vector<std::uint8_t>& out, const Member& member) const;

    std::vector<Member> memberList;
    std::int64_t modificationTime = defaultModificationTime;
    mutable std::string error;
};

} // namespace zo
