#pragma once

#include "package/Data.h"

#include <cstdio>
#include <string>

namespace zo
{

/** A Data stream over a C standard I/O file.

    Model packages on disk are read through it (mode `modeRead`); the package writer writes
    through it. The destructor closes a file that is still open. */
class FileData : public Data
{
public:
    /** Bits of the open mode. Without `modeWrite` and `modeCreate` the file is opened for reading
        ("rb"); with one of them and `modeRead` for reading and writing, truncated ("w+b");
        otherwise for writing, truncated ("wb"). */
    enum Mode : int
    {
        modeWrite = 0x01,
        modeRead = 0x02,
        modeCreate = 0x10
    };

    FileData() = default;
    ~FileData() override;

    /** Opens the file at path with the given mode bits. A stream that is open already closes its
        file first. Returns result::openFailed (the stream stays closed) when the file cannot be
        opened. */
    virtual ResultCode open(const std::string& path, int mode);

    /** The 64-bit standard seek; result::seekFailed on failure or without a file. */
    ResultCode seek(std::int64_t offset, int whence) override;
    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t tell() override;
    /** result::flushFailed when the standard flush fails or there is no file. */
    ResultCode flush() override;
    /** Closes the file (result::closeFailed when that fails) and forgets it. */
    ResultCode close() override;

    /** The path given to the last open(). */
    const std::string& filePath() const { return path; }

    /** The mode bits given to the last open(). */
    int openMode() const { return mode; }

private:
    std::string path;
    int mode = 0;
    std::FILE* file = nullptr;
};

} // namespace zo
