#pragma once

#include "package/Data.h"

namespace zo
{

/** A Data stream over a heap buffer.

    Packages embedded in the application are read through it. The stream either owns its buffer
    (allocated with std::malloc; it then grows on writes and is freed with std::free) or borrows
    one it may read and overwrite but never reallocate or write past. A stream made by the
    default constructor owns an empty buffer: writes grow it, and attach(nullptr, true, 0) opens
    it for the typed readers as well. */
class MemData : public Data
{
public:
    MemData() = default;
    ~MemData() override;

    /** Frees the previous buffer when owned, then takes buffer with its length in bytes:
        capacity and length become length, the position 0, and the stream is open. An owned
        buffer must come from std::malloc. result::invalidArgument (nothing changed) for a
        negative length or a null buffer with a length above 0. */
    virtual ResultCode attach(void* buffer, bool owns, std::int64_t length);

    /** Sets the capacity of an owned buffer to size bytes.

        A borrowed buffer cannot be reallocated (result::wrongState). A size below the length is
        refused without allowShrink (result::wrongState); with it the length is cut to size and the
        position kept within it. Without allowShrink a capacity of at least size is left alone.
        Otherwise the buffer is reallocated to exactly size bytes, keeping the valid bytes.
        result::outOfMemory when the allocation fails (nothing changed). */
    virtual ResultCode reserve(std::int64_t size, bool allowShrink);

    /** Moves to offset from the start, the position or the length; a target below 0 or beyond
        the length is result::seekFailed and leaves the position. */
    ResultCode seek(std::int64_t offset, int whence) override;

    /** Copies min(count, length - position) bytes and advances; returns that count. */
    std::size_t read(void* buffer, std::size_t count) override;

    /** Copies the bytes at the position, growing an owned buffer as needed, and advances; the
        length grows to the position when it passes it. On a borrowed buffer only the bytes that
        fit within its capacity are written. Returns the number of bytes written. */
    std::size_t write(const void* buffer, std::size_t count) override;

    /** The position in bytes. */
    std::int64_t tell() override;

    /** The bytes (null when there are none). */
    const unsigned char* data() const { return buffer; }

    /** Number of valid bytes. */
    std::int64_t dataLength() const { return length; }

    /** Allocated size of the buffer in bytes. */
    std::int64_t bufferCapacity() const { return capacity; }

    /** Whether the stream frees the buffer. */
    bool ownsData() const { return ownsBuffer; }

private:
    void releaseBuffer();

    unsigned char* buffer = nullptr;
    std::int64_t capacity = 0;
    std::int64_t length = 0;
    std::int64_t position = 0;
    bool ownsBuffer = true;
};

} // namespace zo
