#include "models/TestPackage.h"

#include "models/SyntheticModels.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace test_models
{
namespace
{
std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string jsonNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.17g", value);
    return text;
}

std::string rateName(double rate)
{
    return std::to_string(static_cast<long long>(rate));
}

std::vector<std::uint8_t> asBytes(const std::vector<unsigned char>& data)
{
    return std::vector<std::uint8_t>(data.begin(), data.end());
}
} // namespace

int orderForRate(double rate)
{
    if (rate == 16000.0)
        return 24;
    if (rate == 44100.0)
        return 60;
    if (rate == 48000.0)
        return 65;
    return 0;
}

std::string testDescription(const TestPackageOptions& options)
{
    std::ostringstream json;
    json << "{\n"
         << "  \"version\": 1,\n"
         << "  \"formatVersion\": 3,\n"
         << "  \"targetIdentifier\": \"tester\",\n"
         << "  \"narratorIdentifier\": \"anyone\",\n"
         << "  \"title\": " << jsonString(options.title) << ",\n"
         << "  \"target\": " << jsonString(options.target) << ",\n"
         << "  \"narrator\": " << jsonString(options.narrator) << ",\n"
         << "  \"description\": " << jsonString(options.description) << ",\n"
         << "  \"pitch\": " << jsonNumber(options.pitch) << ",\n"
         << "  \"volume\": " << jsonNumber(options.volume) << ",\n"
         << "  \"ja\": {\"title\": \"\u30c6\u30b9\u30c8\u306e\u58f0\", \"target\": "
            "\"\u30c6\u30b9\u30bf\u30fc\"}\n"
         << "}\n";
    return json.str();
}

std::vector<zo::PackageWriter::Member> testPackageMembers(const TestPackageOptions& options)
{
    std::vector<zo::PackageWriter::Member> members;
    const std::string description = testDescription(options);
    members.push_back({"model.json", std::vector<std::uint8_t>(description.begin(), description.end())});
    if (options.withWindows)
        members.push_back({"dyn.win", asBytes(deltaWindows())});
    for (const double rate : options.rates)
    {
        const int order = orderForRate(rate);
        const std::string name = rateName(rate);
        const std::uint32_t seed = options.seed * 16u;
        members.push_back({name + ".gmm", asBytes(gmmParameters(order, options.classes, seed + 1))});
        if (options.zeroDifference)
        {
            members.push_back(
                {name + ".intragmm", asBytes(zeroMappingGmmParameters(order, options.classes, seed + 2))});
            members.push_back(
                {name + ".diffgmm", asBytes(zeroMappingGmmParameters(order, options.classes, seed + 3))});
            members.push_back({name + ".gvpf", asBytes(postFilter(order))});
        }
        else
        {
            members.push_back({name + ".intragmm", asBytes(gmmParameters(order, options.classes, seed + 2))});
            members.push_back({name + ".diffgmm", asBytes(gmmParameters(order, options.classes, seed + 3))});
            members.push_back({name + ".gvpf", asBytes(postFilter(order, 1.1, 0.01))});
        }
    }
    return members;
}

std::vector<std::uint8_t> packageBytes(const std::vector<zo::PackageWriter::Member>& members)
{
    zo::PackageWriter writer;
    for (const auto& member : members)
        writer.addMember(member.name, member.bytes);
    return writer.toBytes();
}

ResultCode writePackage(const std::string& path, const std::vector<zo::PackageWriter::Member>& members)
{
    zo::PackageWriter writer;
    for (const auto& member : members)
        if (const ResultCode code = writer.addMember(member.name, member.bytes); code != result::success)
            return code;
    return writer.writeToFile(path);
}

std::vector<std::uint8_t> testPackageBytes(const TestPackageOptions& options)
{
    return packageBytes(testPackageMembers(options));
}

ResultCode writeTestPackage(const std::string& path, const TestPackageOptions& options)
{
    return writePackage(path, testPackageMembers(options));
}

zo::PackageWriter::Member* findMember(std::vector<zo::PackageWriter::Member>& members,
                                      const std::string& name)
{
    for (auto& member : members)
        if (member.name == name)
            return &member;
    return nullptr;
}

bool removeMember(std::vector<zo::PackageWriter::Member>& members, const std::string& name)
{
    const auto before = members.size();
    members.erase(std::remove_if(members.begin(), members.end(),
                                 [&](const zo::PackageWriter::Member& m) { return m.name == name; }),
                  members.end());
    return members.size() != before;
}

} // namespace test_models
