// Time to open a package from memory (copy, index, scan, parse the description) and to read a
// parameter member of it, for a package of four members of realistic sizes.

#include "package/PackageWriter.h"
#include "package/Pupack.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::uint8_t> fourMemberPackage()
{
    const std::string description = R"({"version": 3, "formatVersion": 3, "targetIdentifier": "Ririka",
        "narratorIdentifier": "Male", "title": "Ririka", "pitch": 1.5, "volume": 0.8,
        "ja": {"title": "りりか", "description": "明るい声。"}, "zh": {"title": "莉莉卡"}})";
    zo::PackageWriter writer;
    writer.addMember("model.json", description);
    writer.addMember("dyn.win", std::vector<std::uint8_t>(24, 1));
    // A 32-class GMM at mel-cepstral order 60: 32 * (10 * 60 + 1) doubles.
    writer.addMember("44100.gmm", std::vector<std::uint8_t>(153856, 2));
    writer.addMember("44100.gvpf", std::vector<std::uint8_t>(960, 3));
    return writer.toBytes();
}

void openFromMemory(benchmark::State& state)
{
    const std::vector<std::uint8_t> archive = fourMemberPackage();
    for (auto _ : state)
    {
        Pupack package(archive.data(), archive.size());
        benchmark::DoNotOptimize(package.status());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * archive.size()));
}
BENCHMARK(openFromMemory);

void readGmmMember(benchmark::State& state)
{
    const std::vector<std::uint8_t> archive = fourMemberPackage();
    Pupack package(archive.data(), archive.size());
    std::vector<std::uint8_t> bytes;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(package.readRateMember(".gmm", 44100, bytes));
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(readGmmMember);

} // namespace
