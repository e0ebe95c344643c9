#include "engine/MemoryFile.h"

#include "engine/EngineError.h"

#include <cstring>
#include <new>

namespace
{
void writeHeader(unsigned char* image, std::uint64_t length)
{
    image[0] = 'm';
    image[1] = 'm';
    image[2] = 'p';
    image[3] = 0;
    for (int i = 0; i < 8; ++i)
        image[4 + i] = static_cast<unsigned char>(length >> (8 * i));
}
} // namespace

MemoryFile::MemoryFile() : MemoryFile(nullptr, 0) {}

MemoryFile::MemoryFile(const void* data, std::size_t size)
{
    try
    {
        bytes.resize(headerSize + size);
    }
    catch (const std::bad_alloc&)
    {
        raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc %zu bytes\n", headerSize + size);
    }
    writeHeader(bytes.data(), size);
    if (size > 0)
        std::memcpy(bytes.data() + headerSize, data, size);
}

MemoryFile::MemoryFile(const std::vector<unsigned char>& data) : MemoryFile(data.data(), data.size()) {}

bool isMemoryFile(const char* name) noexcept
{
    return name != nullptr && std::strcmp(name, "mmp") == 0;
}

std::int64_t memoryFileLength(const char* name) noexcept
{
    const auto* image = reinterpret_cast<const unsigned char*>(name);
    std::uint64_t length = 0;
    for (int i = 0; i < 8; ++i)
        length |= static_cast<std::uint64_t>(image[4 + i]) << (8 * i);
    return static_cast<std::int64_t>(length);
}

const unsigned char* memoryFileData(const char* name) noexcept
{
    return reinterpret_cast<const unsigned char*>(name) + MemoryFile::headerSize;
}
