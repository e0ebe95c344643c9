#include "package/MemData.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace zo
{

MemData::~MemData()
{
    releaseBuffer();
}

void MemData::releaseBuffer()
{
    if (ownsBuffer)
        std::free(buffer);
    buffer = nullptr;
}

ResultCode MemData::attach(void* newBuffer, bool owns, std::int64_t newLength)
{
    if (newLength < 0 || (newBuffer == nullptr && newLength > 0))
        return result::invalidArgument;
    if (newBuffer != buffer)
        releaseBuffer();
    buffer = static_cast<unsigned char*>(newBuffer);
    capacity = newLength;
    length = newLength;
    position = 0;
    ownsBuffer = owns;
    isOpenFlag = true;
    return result::success;
}

ResultCode MemData::reserve(std::int64_t size, bool allowShrink)
{
    if (!ownsBuffer)
        return result::wrongState;
    if (size < 0)
        return result::invalidArgument;
    if (size < length && !allowShrink)
        return result::wrongState;
    if (size >= length && !allowShrink && capacity >= size)
        return result::success;
    if (static_cast<std::uint64_t>(size) > std::numeric_limits<std::size_t>::max())
        return result::outOfMemory;

    unsigned char* resized = nullptr;
    if (size > 0)
    {
        resized = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size)));
        if (resized == nullptr)
            return result::outOfMemory;
    }
    const std::int64_t kept = std::min(length, size);
    if (kept > 0)
        std::memcpy(resized, buffer, static_cast<std::size_t>(kept));
    std::free(buffer);
    buffer = resized;
    capacity = size;
    length = kept;
    position = std::min(position, size);
    return result::success;
}

ResultCode MemData::seek(std::int64_t offset, int whence)
{
    std::int64_t base = 0;
    switch (whence)
    {
        case fromStart:
            base = 0;
            break;
        case fromCurrent:
            base = position;
            break;
        case fromEnd:
            base = length;
            break;
        default:
            return result::seekFailed;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0 || target > length)
        return result::seekFailed;
    position = target;
    return result::success;
}

std::size_t MemData::read(void* out, std::size_t count)
{
    if (out == nullptr || position >= length)
        return 0;
    const auto available = static_cast<std::uint64_t>(length - position);
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, available));
    if (n > 0)
        std::memcpy(out, buffer + position, n);
    position += static_cast<std::int64_t>(n);
    return n;
}

std::size_t MemData::write(const void* in, std::size_t count)
{
    if (in == nullptr || count == 0)
        return 0;
    std::int64_t wanted = 0;
    if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ||
        __builtin_add_overflow(position, static_cast<std::int64_t>(count), &wanted))
        return 0;

    // A borrowed buffer (or a failed allocation) cannot grow: the bytes beyond its capacity are
    // not written, and the caller sees a short write.
    reserve(wanted, false);
    if (capacity <= position)
        return 0;
    const auto n = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, static_cast<std::uint64_t>(capacity - position)));
    std::memcpy(buffer + position, in, n);
    position += static_cast<std::int64_t>(n);
    length = std::max(length, position);
    return n;
}

std::int64_t MemData::tell()
{
    return position;
}

} // namespace zo
