// Writes a small seed corpus for the package fuzzer: packages made by the package writer, valid
// and broken in the ways the reader distinguishes. Usage: pupack_fuzz_seeds <folder>

#include "package/PackageWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

Bytes filler(std::size_t length, std::uint8_t seed)
{
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

const char* description = R"({"version": 3, "formatVersion": 3, "targetIdentifier": "Ririka",
 "narratorIdentifier": "Male", "title": "Ririka", "narrator": "Male", "target": "Ririka",
 "description": "A bright voice.", "pitch": 1.5, "volume": 0.8,
 "ja": {"title": "りりか", "description": ""}, "zh-TW": {"title": "莉莉卡"}, "zh": {"narrator": "男声"}})";

zo::PackageWriter complete(int rate)
{
    zo::PackageWriter writer;
    writer.addMember("model.json", std::string(description));
    writer.addMember("dyn.win", filler(24, 1));
    for (const char* extension : {".gmm", ".intragmm", ".diffgmm", ".gvpf"})
        writer.addMember(std::to_string(rate) + extension, filler(40, 2));
    writer.addMember("img256.png", filler(30, 3));
    writer.addMember("img512.png", filler(20, 4));
    return writer;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);

    std::vector<std::pair<std::string, Bytes>> seeds;
    seeds.emplace_back("complete-44100", complete(44100).toBytes());
    seeds.emplace_back("complete-16000", complete(16000).toBytes());

    zo::PackageWriter extras = complete(48000);
    extras.addMember("._model.json", filler(10, 5));
    extras.addMember("docs/notes.txt", std::string("notes"));
    extras.addMember("empty", Bytes{});
    extras.addMember("model.json", std::string(R"({"title": "later", "volume": "loud", "pitch": 2})"));
    seeds.emplace_back("extras", extras.toBytes());

    zo::PackageWriter invalid;
    invalid.addMember("model.json", std::string(R"({"title": [1, {"a": )"));
    invalid.addMember("img", filler(5, 6));
    seeds.emplace_back("invalid-json", invalid.toBytes());

    Bytes unclosed = complete(44100).toBytes();
    unclosed.resize(unclosed.size() - 1024);
    seeds.emplace_back("unclosed", unclosed);
    seeds.emplace_back("empty", Bytes{});

    for (const auto& [name, bytes] : seeds)
    {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
        {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    }
    return 0;
}
