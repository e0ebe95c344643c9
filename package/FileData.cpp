#include "package/FileData.h"

#include <sys/types.h>

namespace zo
{

FileData::~FileData()
{
    if (file != nullptr)
        std::fclose(file);
}

ResultCode FileData::open(const std::string& newPath, int newMode)
{
    // Opening again must not leak the previous handle.
    if (file != nullptr)
        close();

    path = newPath;
    mode = newMode;

    const char* stdioMode = "wb";
    if ((newMode & (modeWrite | modeCreate)) == 0)
        stdioMode = "rb";
    else if ((newMode & modeRead) != 0)
        stdioMode = "w+b";

    file = std::fopen(newPath.c_str(), stdioMode);
    if (file == nullptr)
        return result::openFailed;
    isOpenFlag = true;
    return result::success;
}

ResultCode FileData::seek(std::int64_t offset, int whence)
{
    if (file == nullptr)
        return result::seekFailed;
    int origin = SEEK_SET;
    switch (whence)
    {
        case fromStart:
            origin = SEEK_SET;
            break;
        case fromCurrent:
            origin = SEEK_CUR;
            break;
        case fromEnd:
            origin = SEEK_END;
            break;
        default:
            return result::seekFailed;
    }
    if (fseeko(file, static_cast<off_t>(offset), origin) != 0)
        return result::seekFailed;
    return result::success;
}

std::size_t FileData::read(void* buffer, std::size_t count)
{
    if (file == nullptr || buffer == nullptr || count == 0)
        return 0;
    return std::fread(buffer, 1, count, file);
}

std::size_t FileData::write(const void* buffer, std::size_t count)
{
    if (file == nullptr || buffer == nullptr || count == 0)
        return 0;
    return std::fwrite(buffer, 1, count, file);
}

std::int64_t FileData::tell()
{
    if (file == nullptr)
        return -1;
    return static_cast<std::int64_t>(ftello(file));
}

ResultCode FileData::flush()
{
    // fflush(nullptr) would flush every stream of the process: a stream without a file fails.
    if (file == nullptr || std::fflush(file) != 0)
        return result::flushFailed;
    return result::success;
}

ResultCode FileData::close()
{
    ResultCode code = result::success;
    if (file != nullptr && std::fclose(file) != 0)
        code = result::closeFailed;
    file = nullptr;
    Data::close();
    return code;
}

} // namespace zo
