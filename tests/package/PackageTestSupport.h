#pragma once

// Helpers shared by the package tests: temporary folders, files, shell commands and small
// package fixtures built with the package writer.

#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace package_test
{

using Bytes = std::vector<std::uint8_t>;

/** A fresh folder under the system's temporary folder, removed with its content at the end. */
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavilo-package-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "cannot create a temporary folder";
        folder = pattern;
    }

    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return folder; }

    std::string file(const std::string& name) const { return (folder / name).string(); }

private:
    std::filesystem::path folder;
};

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFile(const std::string& path, const std::string& text)
{
    writeFile(path, Bytes(text.begin(), text.end()));
}

/** Runs a shell command; returns its exit status and standard output (standard error is kept
    with it, so failures explain themselves). */
inline std::pair<int, std::string> run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return {-1, "popen failed"};
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline Bytes textBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

/** Bytes of the given length with a recognisable pattern (different per seed). */
inline Bytes patternBytes(std::size_t length, unsigned seed = 1)
{
    Bytes bytes(length);
    std::uint32_t state = 2463534242u ^ seed;
    for (auto& byte : bytes)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return bytes;
}

/** A description with every key, a "ja" and a "zh" object. */
inline std::string fullDescription()
{
    return R"({
  "version": 3, "formatVersion": 3,
  "targetIdentifier": "Ririka", "narratorIdentifier": "Male",
  "title": "Ririka for male voices", "narrator": "Male", "target": "Ririka",
  "description": "A bright voice.",
  "pitch": 1.5, "volume": 0.8,
  "ja": { "title": "りりか（男性用）", "narrator": "男性", "target": "りりか", "description": "明るい声。" },
  "zh": { "title": "莉莉卡（男声用）", "narrator": "男声", "target": "莉莉卡", "description": "明亮的声音。" }
})";
}

/** Member names and contents of a complete 44100 Hz package. */
inline std::vector<zo::PackageWriter::Member> completePackageMembers()
{
    return {
        {"model.json", textBytes(fullDescription())}, {"dyn.win", patternBytes(24, 2)},
        {"44100.gmm", patternBytes(1500, 3)},         {"44100.intragmm", patternBytes(700, 4)},
        {"44100.diffgmm", patternBytes(512, 5)},      {"44100.gvpf", patternBytes(960, 6)},
        {"img256.png", patternBytes(300, 7)},
    };
}

/** The archive of the given members as the package writer makes it. */
inline Bytes archiveOf(const std::vector<zo::PackageWriter::Member>& members)
{
    zo::PackageWriter writer;
    for (const auto& member : members)
        EXPECT_EQ(writer.addMember(member.name, member.bytes), 0) << writer.lastError();
    return writer.toBytes();
}

} // namespace package_test
