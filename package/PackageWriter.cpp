#include "package/PackageWriter.h"

#include "package/FileData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zo
{

namespace
{

constexpr std::size_t blockSize = 512;

// Writes value as octal digits filling width - 1 characters, then a zero byte, as GNU tar does.
void putOctal(std::uint8_t* field, std::size_t width, std::uint64_t value)
{
    field[width - 1] = 0;
    for (std::size_t i = width - 1; i-- > 0;)
    {
        field[i] = static_cast<std::uint8_t>('0' + (value & 7));
        value >>= 3;
    }
}

void putText(std::uint8_t* field, std::size_t width, const std::string& text)
{
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

ResultCode PackageWriter::fail(ResultCode code, std::string message) const
{
    error = std::move(message);
    return code;
}

ResultCode PackageWriter::setModificationTime(std::int64_t secondsSinceEpoch)
{
    if (secondsSinceEpoch < 0 || secondsSinceEpoch > 077777777777)
        return fail(result::invalidArgument,
                    "modification time " + std::to_string(secondsSinceEpoch) + " does not fit a tar header");
    modificationTime = secondsSinceEpoch;
    error.clear();
    return result::success;
}

ResultCode PackageWriter::checkMember(const std::string& name, std::int64_t size) const
{
    if (name.empty())
        return fail(result::invalidArgument, "a package member needs a name");
    if (name.find('\0') != std::string::npos)
        return fail(result::invalidArgument,
                    "member name \"" + std::string(name.c_str()) + "...\" contains a zero byte");
    if (name.size() > maxNameLength)
        return fail(result::invalidArgument,
                    "member name \"" + name + "\" is " + std::to_string(name.size()) +
                        " bytes long; package member names must be shorter than 100 bytes");
    if (size > maxMemberSize)
        return fail(result::invalidArgument,
                    "member \"" + name + "\" is larger than a tar header can describe");
    return result::success;
}

ResultCode PackageWriter::addMember(const std::string& name, std::vector<std::uint8_t> bytes)
{
    if (const ResultCode code = checkMember(name, static_cast<std::int64_t>(bytes.size()));
        code != result::success)
        return code;
    memberList.push_back({name, std::move(bytes)});
    error.clear();
    return result::success;
}

ResultCode PackageWriter::addMember(const std::string& name, const std::string& text)
{
    return addMember(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

ResultCode PackageWriter::addFile(const std::string& name, const std::string& path)
{
    if (const ResultCode code = checkMember(name, 0); code != result::success)
        return code;
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes))
        return fail(result::openFailed, "cannot read \"" + path + "\"");
    return addMember(name, std::move(bytes));
}

ResultCode PackageWriter::addFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code failure;
    std::vector<std::string> names;
    fs::directory_iterator entries(folder, failure);
    if (failure)
        return fail(result::openFailed, "cannot list folder \"" + folder + "\": " + failure.message());
    for (const fs::directory_entry& entry : entries)
    {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        if (entry.is_directory(failure))
            return fail(result::invalidArgument, "folder \"" + folder + "\" holds the subfolder \"" + name +
                                                     "\"; package members are flat");
        if (!entry.is_regular_file(failure))
        {
            const std::string entryPath = entry.path().string();
            return fail(result::invalidArgument, "\"" + entryPath + "\" is not a regular file");
        }
        if (const ResultCode code = checkMember(name, 0); code != result::success)
            return code;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());

    std::vector<Member> added;
    for (const std::string& name : names)
    {
        Member member{name, {}};
        const std::string filePath = (fs::path(folder) / name).string();
        if (!readWholeFile(filePath, member.bytes))
            return fail(result::openFailed, "cannot read \"" + filePath + "\"");
        if (const ResultCode code = checkMember(name, static_cast<std::int64_t>(member.bytes.size()));
            code != result::success)
            return code;
        added.push_back(std::move(member));
    }
    for (Member& member : added)
        memberList.push_back(std::move(member));
    error.clear();
    return result::success;
}

void PackageWriter::appendHeader(std::vector<std::uint8_t>& out, const Member& member) const
{
    std::uint8_t header[blockSize] = {};
    putText(header + 0, 100, member.name);
    putOctal(header + 100, 8, 0644);
    putOctal(header + 108, 8, 0);
    putOctal(header + 116, 8, 0);
    putOctal(header + 124, 12, member.bytes.size());
    putOctal(header + 136, 12, static_cast<std::uint64_t>(modificationTime));
    header[156] = '0';
    std::memcpy(header + 257, "ustar", 6); // magic with its zero byte
    std::memcpy(header + 263, "00", 2);
    putText(header + 265, 32, "tavilo");
    putText(header + 297, 32, "tavilo");
    putOctal(header + 329, 8, 0);
    putOctal(header + 337, 8, 0);

    // The checksum counts its own field as spaces; it is written as six digits, a zero byte and
    // a space.
    std::memset(header + 148, ' ', 8);
    unsigned sum = 0;
    for (const std::uint8_t byte : header)
        sum += byte;
    putOctal(header + 148, 7, sum);
    header[155] = ' ';
    out.insert(out.end(), header, header + blockSize);
}

std::vector<std::uint8_t> PackageWriter::toBytes() const
{
    std::size_t total = 2 * blockSize;
    for (const Member& member : memberList)
        total += blockSize + (member.bytes.size() + blockSize - 1) / blockSize * blockSize;

    std::vector<std::uint8_t> out;
    out.reserve(total);
    for (const Member& member : memberList)
    {
        appendHeader(out, member);
        out.insert(out.end(), member.bytes.begin(), member.bytes.end());
        out.resize((out.size() + blockSize - 1) / blockSize * blockSize, 0);
    }
    out.resize(out.size() + 2 * blockSize, 0);
    return out;
}

ResultCode PackageWriter::writeToFile(const std::string& path) const
{
    const std::vector<std::uint8_t> bytes = toBytes();
    const std::string temporary = path + ".part";

    FileData file;
    if (file.open(temporary, FileData::modeWrite) != result::success)
        return fail(result::openFailed, "cannot create \"" + temporary + "\"");
    ResultCode code = result::success;
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        code = fail(result::shortWrite, "cannot write \"" + temporary + "\"");
    else if (file.flush() != result::success)
        code = fail(result::flushFailed, "cannot write \"" + temporary + "\"");
    if (file.close() != result::success && code == result::success)
        code = fail(result::closeFailed, "cannot write \"" + temporary + "\"");
    if (code != result::success)
    {
        std::remove(temporary.c_str());
        return code;
    }

    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure)
    {
        std::remove(temporary.c_str());
        return fail(result::openFailed, "cannot replace \"" + path + "\": " + failure.message());
    }
    error.clear();
    return result::success;
}

} // namespace zo
