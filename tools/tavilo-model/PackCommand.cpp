// tavilo-model pack and unpack: a model package from the files of a folder, and back.

#include "CommandLine.h"
#include "Commands.h"

#include "package/PackageWriter.h"
#include "package/Pupack.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const char* const packUsage =
    "Usage: tavilo-model pack DIR OUT.ppc [--force]\n"
    "\n"
    "Makes a voice model package of the files directly in DIR (in byte order of their names; hidden\n"
    "files are left out, subfolders are refused): model.json, dyn.win, the parameter members such as\n"
    "44100.gmm, 44100.intragmm, 44100.diffgmm and 44100.gvpf, and images such as img256.png. The\n"
    "package is checked with the package reader before it is written; one that would not load is\n"
    "refused. The file is written to a temporary file beside OUT.ppc first, so a failure leaves\n"
    "nothing half-written.\n"
    "\n"
    "  --force  replace OUT.ppc when it exists\n"
    "\n"
    "Exit status: 0 when the package was written, 1 when not, 2 for a usage error.\n";

const char* const unpackUsage =
    "Usage: tavilo-model unpack FILE.ppc DIR [--force]\n"
    "\n"
    "Extracts the members of a voice model package into DIR (created when missing), each named by its\n"
    "base name, as the application reads them. Where several members share a base name, the last one\n"
    "(the one the reader uses) is extracted. Hidden members (names beginning with '.') are left out.\n"
    "Existing files are not replaced unless --force is given; nothing is written then.\n"
    "\n"
    "  --force  replace files that exist in DIR\n"
    "\n"
    "Exit status: 0 when every member was extracted, 1 when not, 2 for a usage error.\n";

std::string rateList(const Pupack& package)
{
    std::string list;
    for (const double rate : package.sampleRates())
    {
        if (!list.empty())
            list += ", ";
        list += std::to_string(static_cast<long>(rate));
        list += " Hz";
    }
    return list.empty() ? "none" : list;
}

} // namespace

int runPack(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "pack";
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv, {}, {"--force"}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(packUsage, stdout);
        return exitSuccess;
    }
    if (arguments.positional.size() != 2)
        return usageError(command, "needs a folder and an output file (DIR OUT.ppc)");
    const std::string folder = arguments.positional[0];
    const std::string output = arguments.positional[1];

    std::error_code ignored;
    if (!fs::is_directory(folder, ignored))
        return failure(command, folder + " is not a folder");
    if (fs::exists(output, ignored) && !arguments.has("--force"))
        return failure(command, output + " exists; give --force to replace it");

    zo::PackageWriter writer;
    if (writer.addFolder(folder) != result::success)
        return failure(command, writer.lastError());

    const std::vector<std::uint8_t> bytes = writer.toBytes();
    SdkOutputCapture capture;
    Pupack check(bytes.data(), bytes.size());
    const std::string notes = capture.finish();
    std::fputs(prefixLines(notes, "note: ").c_str(), stderr);
    if (check.status() != result::success)
        return failure(command, "the files of " + folder + " do not make a package that loads: status " +
                                    describeResult(check.status()) + "; nothing written");
    std::vector<std::uint8_t> windows;
    if (check.readPackageMember("dyn.win", windows) != result::success)
        std::fprintf(stderr, "warning: no dyn.win: the model cannot convert\n");
    if (check.sampleRates().empty())
        std::fprintf(stderr,
                     "warning: no sample rate has all four parameter members: the model cannot convert\n");

    if (writer.writeToFile(output) != result::success)
        return failure(command, writer.lastError());
    std::printf("Packed %zu members into %s (%zu bytes); sample rates: %s\n", writer.members().size(),
                output.c_str(), bytes.size(), rateList(check).c_str());
    return exitSuccess;
}

int runUnpack(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "unpack";
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv, {}, {"--force"}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(unpackUsage, stdout);
        return exitSuccess;
    }
    if (arguments.positional.size() != 2)
        return usageError(command, "needs a package and a folder (FILE.ppc DIR)");
    const std::string path = arguments.positional[0];
    const fs::path folder = arguments.positional[1];

    std::string notes;
    const auto package = openPackage(path, notes);
    const ResultCode status = package->status();
    if (status == result::noStream)
        return failure(command, "cannot read " + path);
    const std::vector<std::string> names = package->memberNames();
    if (names.empty() && status != result::success)
        return failure(command, path + " is not a package: status " + describeResult(status));
    if (status != result::success)
        std::fprintf(stderr, "warning: %s does not load (status %s); its members are extracted anyway\n",
                     path.c_str(), describeResult(status).c_str());

    // One file per base name; the reader uses the last member of a name.
    std::vector<std::string> extract;
    std::set<std::string> seen;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
    {
        if (!seen.insert(*it).second)
        {
            std::fprintf(stderr, "note: several members are called %s; the last one is extracted\n",
                         it->c_str());
            continue;
        }
        if (it->empty() || (*it)[0] == '.')
        {
            if (!it->empty())
                std::fprintf(stderr, "note: hidden member %s left out\n", it->c_str());
            continue;
        }
        extract.insert(extract.begin(), *it);
    }

    std::error_code code;
    if (fs::exists(folder, code) && !fs::is_directory(folder, code))
        return failure(command, folder.string() + " exists and is not a folder");
    if (!arguments.has("--force"))
        for (const std::string& name : extract)
            if (fs::exists(folder / name, code))
                return failure(command, (folder / name).string() + " exists; give --force to replace files");
    fs::create_directories(folder, code);
    if (code)
        return failure(command, "cannot create " + folder.string() + ": " + code.message());

    for (const std::string& name : extract)
    {
        std::vector<std::uint8_t> bytes;
        const ResultCode read = package->readPackageMember(name, bytes);
        if (read != result::success)
            return failure(command, "cannot read member " + name + ": " + describeResult(read));
        const fs::path target = folder / name;
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            return failure(command, "cannot write " + target.string());
    }
    std::printf("Extracted %zu members of %s into %s\n", extract.size(), path.c_str(),
                folder.string().c_str());
    return exitSuccess;
}
