#include "library/AtomicFileWrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tessel
{
namespace
{
constexpr const char* partialSuffix = ".partial";

juce::String describeErrno(const juce::String& what, const juce::File& file)
{
    return what + " " + file.getFullPathName() + ": " + juce::String(std::strerror(errno));
}

bool writeAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0)
    {
        const auto written = ::write(fd, bytes, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void syncFolder(const juce::File& folder)
{
    // Makes the rename itself durable; a folder that cannot be opened only loses that guarantee.
    const int fd = ::open(folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

juce::Result writeFileAtomically(const juce::File& target, const void* data, std::size_t size,
                                 const std::function<bool(const juce::File&)>& verify)
{
    const auto folder = target.getParentDirectory();
    const auto temporary =
        folder.getChildFile("." + target.getFileName() + "." +
                            juce::String::toHexString(juce::Random().nextInt64()) + partialSuffix);

    const int fd =
        ::open(temporary.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return juce::Result::fail(describeErrno("Cannot create", temporary));

    // Every failure is described at once, before a later call can change errno.
    juce::String failure;
    if (!writeAll(fd, static_cast<const char*>(data), size))
        failure = describeErrno("Cannot write", temporary);
    else if (::fsync(fd) != 0)
        failure = describeErrno("Cannot flush", temporary);
    if (::close(fd) != 0 && failure.isEmpty())
        failure = describeErrno("Cannot close", temporary);

    if (failure.isNotEmpty())
    {
        ::unlink(temporary.getFullPathName().toRawUTF8());
        return juce::Result::fail(failure);
    }

    if (verify && !verify(temporary))
    {
        ::unlink(temporary.getFullPathName().toRawUTF8());
        return juce::Result::fail("The written file " + temporary.getFullPathName() + " does not read back");
    }

    if (std::rename(temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
    {
        const auto message = describeErrno("Cannot replace", target);
        ::unlink(temporary.getFullPathName().toRawUTF8());
        return juce::Result::fail(message);
    }

    syncFolder(folder);
    return juce::Result::ok();
}

bool isUnfinishedWrite(const juce::File& file)
{
    const auto name = file.getFileName();
    return name.startsWithChar('.') && name.endsWith(partialSuffix);
}

void removeUnfinishedWrites(const juce::File& folder)
{
    for (const auto& entry : juce::RangedDirectoryIterator(folder, true, juce::String("*") + partialSuffix,
                                                           juce::File::findFiles))
    {
        if (isUnfinishedWrite(entry.getFile()))
            entry.getFile().deleteFile();
    }
}

} // namespace tessel
