#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/** A byte image that stands in for a parameter file.

    Layout: the characters "mmp" and a zero byte, the data length L as a signed 64-bit
    little-endian integer, then the L data bytes. Every parameter reader of the engine takes a
    `const char*` that is either a file path or the start of such an image; it names an image
    exactly when it compares equal to "mmp" as a C string. Pass `name()` where a path is
    accepted; the object must outlive the call. */
class MemoryFile
{
public:
    /** Bytes before the data: the tag with its zero byte and the 64-bit length. */
    static constexpr std::size_t headerSize = 12;

    /** An image of no data bytes. */
    MemoryFile();

    /** An image holding a copy of `size` bytes from `data` (which may be null when size is 0).
        Raises EngineError when memory runs out. */
    MemoryFile(const void* data, std::size_t size);

    /** An image holding a copy of `data`. */
    explicit MemoryFile(const std::vector<unsigned char>& data);

    /** The image as the engine's readers take it. */
    const char* name() const noexcept { return reinterpret_cast<const char*>(bytes.data()); }

    /** Number of data bytes (L). */
    std::size_t dataSize() const noexcept { return bytes.size() - headerSize; }

    /** The whole image: header and data. */
    const std::vector<unsigned char>& image() const noexcept { return bytes; }

private:
    std::vector<unsigned char> bytes;
};

/** Whether a reader argument names a memory image rather than a file path. Null is neither. */
bool isMemoryFile(const char* name) noexcept;

/** The length field of a memory image, as stored (it may be negative in a damaged image). */
std::int64_t memoryFileLength(const char* name) noexcept;

/** The first data byte of a memory image. */
const unsigned char* memoryFileData(const char* name) noexcept;
