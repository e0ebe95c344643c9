// tavilo-model inspect: the status, description, rates, settings, images and members of a package.

#include "CommandLine.h"
#include "Commands.h"

#include "engine/Vocaform.h"
#include "package/Pupack.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const char* const usage =
    "Usage: tavilo-model inspect FILE.ppc [--locale LOCALE]\n"
    "\n"
    "Shows what a voice model package holds: whether it loads (its status code and what the code\n"
    "means), its texts, identifiers and version, the sample rates it has models for and the rate\n"
    "the application converts it at, whether the engine accepts its parameters at each rate (and the\n"
    "latency there), its pitch and volume, its images and every member.\n"
    "\n"
    "  --locale LOCALE  show the texts for a locale such as ja_JP or zh_TW (the package's object for\n"
    "                   ja-JP, then ja, then its top-level texts)\n"
    "\n"
    "Exit status: 0 when the package loads and the engine accepts it at every rate it lists, 1 when\n"
    "not (or the file cannot be read), 2 for a usage error.\n";

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

/** Why the reader ignores a member, or "" when it uses it. */
std::string ignoredBecause(const std::string& name, std::int64_t size)
{
    if (startsWith(name, "."))
        return "hidden";
    if (size == 0)
        return "empty";
    if (name == "model.json" || name == "dyn.win" || startsWith(name, "img"))
        return "";
    for (const char* extension : {".gmm", ".intragmm", ".diffgmm", ".gvpf"})
        if (endsWith(name, extension))
        {
            const long rate = std::strtol(name.c_str(), nullptr, 10);
            if (rate == 16000 || rate == 44100 || rate == 48000)
                return "";
        }
    return "unknown kind";
}

/** The nominal size N of an image member "img" + N + any ending. */
long nominalImageSize(const std::string& name)
{
    return std::strtol(name.c_str() + 3, nullptr, 10);
}

/** "PNG 256 x 256" for PNG bytes, else "". */
std::string pngDimensions(const std::vector<std::uint8_t>& bytes)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), signature, 8) != 0 ||
        std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return "";
    const auto bigEndian = [&](std::size_t at)
    {
        return (static_cast<std::uint32_t>(bytes[at]) << 24) |
               (static_cast<std::uint32_t>(bytes[at + 1]) << 16) |
               (static_cast<std::uint32_t>(bytes[at + 2]) << 8) | static_cast<std::uint32_t>(bytes[at + 3]);
    };
    return "PNG " + std::to_string(bigEndian(16)) + " x " + std::to_string(bigEndian(20));
}

std::string formatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

} // namespace

int runInspect(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "inspect";
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv, {"--locale"}, {}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(usage, stdout);
        return exitSuccess;
    }
    if (arguments.positional.size() != 1)
        return usageError(command, arguments.positional.empty() ? "which package? (FILE.ppc)"
                                                                : "one package at a time");
    const std::string path = arguments.positional[0];
    const std::string localeText = arguments.value("--locale");
    const char* locale = arguments.has("--locale") ? localeText.c_str() : nullptr;

    std::string notes;
    const auto package = openPackage(path, notes);
    std::fputs(prefixLines(notes, "note: ").c_str(), stderr);

    std::printf("File:          %s\n", path.c_str());
    std::printf("Status:        %s\n", describeResult(package->status()).c_str());
    if (package->status() == result::noStream)
        return failure(command, "cannot read " + path);

    const std::vector<std::string> names = package->memberNames();
    bool unusableRates = false;
    if (package->status() == result::success)
    {
        const std::string suffix = locale != nullptr ? " (" + localeText + ")" : "";
        const auto text = [&](const char* label, const std::string& value)
        { std::printf("%-14s %s\n", (label + suffix + ":").c_str(), value.c_str()); };
        text("Title", package->title(locale));
        text("Target", package->target(locale));
        text("Narrator", package->narrator(locale));
        text("Description", package->description(locale));
        std::printf("Identifiers:   target \"%s\", narrator \"%s\" (display name \"%s\")\n",
                    package->targetIdentifier().c_str(), package->narratorIdentifier().c_str(),
                    package->displayName().c_str());
        std::printf("Version:       %s (package format %s)\n", formatNumber(package->version()).c_str(),
                    formatNumber(package->formatVersion()).c_str());

        const std::vector<double> rates = package->sampleRates();
        std::string rateList;
        for (const double rate : rates)
        {
            if (!rateList.empty())
                rateList += ", ";
            rateList += formatNumber(rate);
            rateList += " Hz";
        }
        std::printf("Sample rates:  %s\n",
                    rates.empty() ? "none (no rate has all four parameter members)" : rateList.c_str());
        // The application's conversion stage runs a model at 16000 Hz when it has that rate, else at
        // 44100 Hz, with the adaptive limiter off at 16000 Hz.
        const double conversionRate = package->supportsSampleRate(16000.0) ? 16000.0 : 44100.0;
        if (package->supportsSampleRate(conversionRate))
            std::printf("Conversion:    at %s Hz in the application, adaptive limiter %s\n",
                        formatNumber(conversionRate).c_str(), conversionRate == 16000.0 ? "off" : "on");
        else
            std::printf("Conversion:    none (the application converts at 16000 or 44100 Hz)\n");
        // Build the engine for every rate, as the application's conversion stage would (the limiter
        // off at 16000 Hz): the package's parameter data is only checked there.
        for (const double rate : rates)
        {
            Vocaform facade;
            facade.setPupack(package.get());
            facade.setSampleRate(rate);
            facade.setParameter(Vocaform::ParamLimiterEnabled, rate != 16000.0);
            SdkOutputCapture capture;
            const ResultCode code = facade.prepare();
            const std::int64_t latency = facade.latencySamples();
            const std::string engineLines = capture.finish();
            if (code == result::success)
            {
                std::printf("Engine:        %s Hz builds; latency %lld samples (%s ms)\n",
                            formatNumber(rate).c_str(), static_cast<long long>(latency),
                            formatNumber(std::round(10000.0 * latency / rate) / 10.0).c_str());
            }
            else
            {
                std::printf("Engine:        %s Hz refused: status %s\n", formatNumber(rate).c_str(),
                            describeResult(code).c_str());
                std::fputs(prefixLines(engineLines, "engine: ").c_str(), stderr);
                unusableRates = true;
            }
        }
        std::printf("Pitch:         %s%s\n", formatNumber(package->pitch()).c_str(),
                    static_cast<float>(package->pitch()) == 1.0f ? " (no pitch shift)" : " (pitch shifted)");
        std::printf("Volume:        %s\n", formatNumber(package->volume()).c_str());
        std::int64_t windowLength = 0;
        const bool hasWindows =
            package->readPackageMember("dyn.win", nullptr, &windowLength) == result::success;
        std::printf("Delta window:  %s\n",
                    hasWindows ? ("dyn.win, " + std::to_string(windowLength) + " bytes").c_str()
                               : "missing (\"dyn.win\"): the model cannot convert");

        std::string images;
        for (const std::string& name : names)
        {
            if (!startsWith(name, "img"))
                continue;
            std::vector<std::uint8_t> bytes;
            if (package->readPackageMember(name, bytes) != result::success || bytes.empty())
                continue;
            const std::string dimensions = pngDimensions(bytes);
            images += "\n  " + name + "  size " + std::to_string(nominalImageSize(name)) + ", " +
                      std::to_string(bytes.size()) + " bytes" + (dimensions.empty() ? "" : ", " + dimensions);
        }
        std::printf("Images:        %s\n", images.empty() ? "none" : images.c_str() + 1);
    }

    std::printf("Members (%zu):\n", names.size());
    for (const std::string& name : names)
    {
        std::int64_t size = -1;
        package->readPackageMember(name, nullptr, &size);
        const std::string ignored = ignoredBecause(name, size);
        std::printf("  %-24s %10lld bytes%s\n", name.c_str(), static_cast<long long>(size),
                    ignored.empty() ? "" : ("  (ignored: " + ignored + ")").c_str());
    }

    if (package->status() != result::success)
        return failure(command, path + " does not load: status " + describeResult(package->status()));
    if (unusableRates)
        return failure(command, "the engine refuses the parameters of " + path + " at a rate it lists");
    return exitSuccess;
}
