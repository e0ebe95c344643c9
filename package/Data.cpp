#include "package/Data.h"

namespace zo
{

ResultCode Data::flush()
{
    return result::success;
}

ResultCode Data::close()
{
    isOpenFlag = false;
    return result::success;
}

bool Data::isOpen() const
{
    return isOpenFlag;
}

std::int64_t Data::size()
{
    const std::int64_t remembered = tell();
    if (remembered < 0 || seek(0, fromEnd) != result::success)
        return -1;
    const std::int64_t length = tell();
    seek(remembered, fromStart);
    return length;
}

ResultCode Data::readUnsigned(std::uint64_t& value, int width, bool bigEndian)
{
    if (!isOpen())
        return result::streamNotOpen;
    unsigned char bytes[8] = {};
    if (read(bytes, static_cast<std::size_t>(width)) != static_cast<std::size_t>(width))
        return result::shortRead;
    value = 0;
    for (int i = 0; i < width; ++i)
    {
        const int index = bigEndian ? i : width - 1 - i;
        value = (value << 8) | bytes[index];
    }
    return result::success;
}

ResultCode Data::writeUnsigned(std::uint64_t value, int width, bool bigEndian)
{
    unsigned char bytes[8] = {};
    for (int i = 0; i < width; ++i)
    {
        const int index = bigEndian ? width - 1 - i : i;
        bytes[index] = static_cast<unsigned char>(value >> (8 * i));
    }
    if (write(bytes, static_cast<std::size_t>(width)) != static_cast<std::size_t>(width))
        return result::shortWrite;
    return result::success;
}

namespace
{

// Reads through the common unsigned path and stores the value (bit pattern kept for signed
// types) only when the read succeeded and the caller asked for it.
template <typename T, typename Reader> ResultCode readTyped(T* out, Reader&& reader)
{
    std::uint64_t value = 0;
    const ResultCode code = reader(value);
    if (code == result::success && out != nullptr)
        *out = static_cast<T>(value);
    return code;
}

} // namespace

#define ZO_DATA_READER(name, type, width, bigEndian)                                                         \
    ResultCode Data::name(type* value)                                                                       \
    {                                                                                                        \
        return readTyped(value, [this](std::uint64_t& v) { return readUnsigned(v, width, bigEndian); });     \
    }

#define ZO_DATA_WRITER(name, type, width, bigEndian)                                                         \
    ResultCode Data::name(type value)                                                                        \
    {                                                                                                        \
        return writeUnsigned(static_cast<std::uint64_t>(value), width, bigEndian);                           \
    }

ZO_DATA_READER(readFourCC, std::uint32_t, 4, true)
ZO_DATA_READER(readInt16BE, std::int16_t, 2, true)
ZO_DATA_READER(readUInt16BE, std::uint16_t, 2, true)
ZO_DATA_READER(readInt32BE, std::int32_t, 4, true)
ZO_DATA_READER(readUInt32BE, std::uint32_t, 4, true)
ZO_DATA_READER(readInt64BE, std::int64_t, 8, true)
ZO_DATA_READER(readUInt64BE, std::uint64_t, 8, true)
ZO_DATA_READER(readInt16LE, std::int16_t, 2, false)
ZO_DATA_READER(readUInt16LE, std::uint16_t, 2, false)
ZO_DATA_READER(readInt32LE, std::int32_t, 4, false)
ZO_DATA_READER(readUInt32LE, std::uint32_t, 4, false)
ZO_DATA_READER(readInt64LE, std::int64_t, 8, false)
ZO_DATA_READER(readUInt64LE, std::uint64_t, 8, false)
ZO_DATA_READER(readInt8, std::int8_t, 1, true)
ZO_DATA_READER(readUInt8, std::uint8_t, 1, true)

ZO_DATA_WRITER(writeInt16BE, std::int16_t, 2, true)
ZO_DATA_WRITER(writeUInt16BE, std::uint16_t, 2, true)
ZO_DATA_WRITER(writeInt32BE, std::int32_t, 4, true)
ZO_DATA_WRITER(writeUInt32BE, std::uint32_t, 4, true)
ZO_DATA_WRITER(writeInt64BE, std::int64_t, 8, true)
ZO_DATA_WRITER(writeUInt64BE, std::uint64_t, 8, true)
ZO_DATA_WRITER(writeInt16LE, std::int16_t, 2, false)
ZO_DATA_WRITER(writeUInt16LE, std::uint16_t, 2, false)
ZO_DATA_WRITER(writeInt32LE, std::int32_t, 4, false)
ZO_DATA_WRITER(writeUInt32LE, std::uint32_t, 4, false)
ZO_DATA_WRITER(writeInt64LE, std::int64_t, 8, false)
ZO_DATA_WRITER(writeUInt64LE, std::uint64_t, 8, false)
ZO_DATA_WRITER(writeInt8, std::int8_t, 1, true)
ZO_DATA_WRITER(writeUInt8, std::uint8_t, 1, true)

#undef ZO_DATA_READER
#undef ZO_DATA_WRITER

ResultCode Data::writeFourCC(const char* fourBytes)
{
    if (fourBytes == nullptr)
        return result::invalidArgument;
    if (write(fourBytes, 4) != 4)
        return result::shortWrite;
    return result::success;
}

} // namespace zo
