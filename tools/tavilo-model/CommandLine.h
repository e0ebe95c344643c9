#pragma once

// Pieces shared by the subcommands of tavilo-model: argument parsing, messages and exit statuses,
// and keeping the SDK's diagnostic lines out of the program's own output.

#include "package/ResultCode.h"

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class Pupack;

namespace model_tool
{

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

/** A subcommand's arguments: positional ones in order, and options by name ("--gv"). Options
    without a value map to "". */
struct Arguments
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string value(const std::string& name) const;
};

/** Parses argv[1..argc). Options of `valued` take a value ("--gv 0.5" or "--gv=0.5"); those of
    `flags` take none; "--help" and "-h" are always flags; "--" ends the options. Returns false with
    a message in error for an unknown option or a missing value. */
bool parseArguments(int argc, char** argv, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& arguments, std::string& error);

/** Writes "tavilo-model COMMAND: message" and a hint to see --help to the error stream; returns
    exitUsage. */
int usageError(const std::string& command, const std::string& message);

/** Writes "tavilo-model COMMAND: message" to the error stream; returns exitFailure. */
int failure(const std::string& command, const std::string& message);

/** "10 (short read, required member missing or invalid "model.json")". */
std::string describeResult(ResultCode code);

/** A decimal number, the whole text; false for anything else (including non-finite values). */
bool parseNumber(const std::string& text, double& value);

/** A whole decimal number, the whole text. */
bool parseInteger(const std::string& text, long long& value);

/** "on"/"off" (also "true"/"false", "1"/"0", "yes"/"no"). */
bool parseSwitch(const std::string& text, bool& value);

/** Collects what the SDK writes to standard output and the error stream (at the file-descriptor
    level, where its printf lines go) while it is alive, so that the program's own lines stay
    readable. `finish` ends the capture and returns the text; `toTerminal` writes a line to the real
    error stream meanwhile (progress). An inactive capture passes everything through. */
class SdkOutputCapture
{
public:
    explicit SdkOutputCapture(bool active = true);
    ~SdkOutputCapture();

    SdkOutputCapture(const SdkOutputCapture&) = delete;
    SdkOutputCapture& operator=(const SdkOutputCapture&) = delete;

    /** Ends the capture (if still running) and returns everything captured. */
    std::string finish();

    /** Writes text to the real error stream, whether or not the capture runs. */
    void toTerminal(const std::string& text) const;

private:
    bool capturing = false;
    int savedOut = -1;
    int savedErr = -1;
    std::FILE* file = nullptr;
    std::string text;
};

/** Opens a package file. What the reader writes while scanning it (members of a kind it ignores)
    is returned in notes, one line each. */
std::unique_ptr<Pupack> openPackage(const std::string& path, std::string& notes);

/** The lines of text that are not empty, each prefixed (for re-emitting SDK notes). */
std::string prefixLines(const std::string& text, const std::string& prefix);

} // namespace model_tool
