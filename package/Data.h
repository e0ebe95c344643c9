#pragma once

#include "package/ResultCode.h"

#include <cstddef>
#include <cstdint>

namespace zo
{

/** A seekable byte stream with byte-order aware integer readers and writers.

    The tar reader and the model package see files on disk (FileData) and blocks of memory
    (MemData) through this one interface. Every operation that can fail returns a ResultCode;
    nothing is printed and nothing throws. A stream has no locking: one thread uses it at a time.

    Typed readers take a pointer to the value, which may be null (the bytes are then read and
    discarded). They return result::streamNotOpen when the stream is not open, result::shortRead
    when fewer bytes than the width arrive (the bytes that did arrive are consumed), else store the
    value and return 0. Typed writers write their bytes with one write() call and return
    result::shortWrite when fewer were written, else 0; they do not ask isOpen(). The signed and
    unsigned entry of each pair behave identically. */
class Data
{
public:
    /** Origins of seek(). */
    enum Whence
    {
        fromStart = 0,
        fromCurrent = 1,
        fromEnd = 2
    };

    Data() = default;
    virtual ~Data() = default;

    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;

    /** Moves the position to offset bytes from whence (0 start, 1 current, 2 end). */
    virtual ResultCode seek(std::int64_t offset, int whence) = 0;

    /** Reads up to count bytes into buffer; returns the number of bytes read. */
    virtual std::size_t read(void* buffer, std::size_t count) = 0;

    /** Writes up to count bytes from buffer; returns the number of bytes written. */
    virtual std::size_t write(const void* buffer, std::size_t count) = 0;

    /** The current position in bytes from the start, or -1 when it cannot be told. */
    virtual std::int64_t tell() = 0;

    /** Pushes buffered bytes to their destination. The base has nothing to flush: 0. */
    virtual ResultCode flush();

    /** Closes the stream; the base only marks it closed and returns 0. */
    virtual ResultCode close();

    /** Whether the stream has been opened and not closed since. */
    virtual bool isOpen() const;

    /** Length of the stream in bytes, found by seeking to the end; the position is left where it
        was. -1 when the stream cannot seek. */
    virtual std::int64_t size();

    /** Reads four bytes as a big-endian 32-bit value ("RIFF" gives 0x52494646). */
    virtual ResultCode readFourCC(std::uint32_t* value);
    virtual ResultCode readInt16BE(std::int16_t* value);
    virtual ResultCode readUInt16BE(std::uint16_t* value);
    virtual ResultCode readInt32BE(std::int32_t* value);
    virtual ResultCode readUInt32BE(std::uint32_t* value);
    virtual ResultCode readInt64BE(std::int64_t* value);
    virtual ResultCode readUInt64BE(std::uint64_t* value);
    virtual ResultCode readInt16LE(std::int16_t* value);
    virtual ResultCode readUInt16LE(std::uint16_t* value);
    virtual ResultCode readInt32LE(std::int32_t* value);
    virtual ResultCode readUInt32LE(std::uint32_t* value);
    virtual ResultCode readInt64LE(std::int64_t* value);
    virtual ResultCode readUInt64LE(std::uint64_t* value);
    virtual ResultCode readInt8(std::int8_t* value);
    virtual ResultCode readUInt8(std::uint8_t* value);

    /** Writes the four bytes at fourBytes in their order in memory (writeFourCC("RIFF") writes
        'R', 'I', 'F', 'F'). */
    virtual ResultCode writeFourCC(const char* fourBytes);
    virtual ResultCode writeInt16BE(std::int16_t value);
    virtual ResultCode writeUInt16BE(std::uint16_t value);
    virtual ResultCode writeInt32BE(std::int32_t value);
    virtual ResultCode writeUInt32BE(std::uint32_t value);
    virtual ResultCode writeInt64BE(std::int64_t value);
    virtual ResultCode writeUInt64BE(std::uint64_t value);
    virtual ResultCode writeInt16LE(std::int16_t value);
    virtual ResultCode writeUInt16LE(std::uint16_t value);
    virtual ResultCode writeInt32LE(std::int32_t value);
    virtual ResultCode writeUInt32LE(std::uint32_t value);
    virtual ResultCode writeInt64LE(std::int64_t value);
    virtual ResultCode writeUInt64LE(std::uint64_t value);
    virtual ResultCode writeInt8(std::int8_t value);
    virtual ResultCode writeUInt8(std::uint8_t value);

protected:
    /** Set by the concrete classes when they open, cleared by close(). */
    bool isOpenFlag = false;

private:
    ResultCode readUnsigned(std::uint64_t& value, int width, bool bigEndian);
    ResultCode writeUnsigned(std::uint64_t value, int width, bool bigEndian);
};

} // namespace zo
