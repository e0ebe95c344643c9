#include "CommandLine.h"

#include "package/Pupack.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace model_tool
{

std::string Arguments::value(const std::string& name) const
{
    const auto found = options.find(name);
    return found == options.end() ? std::string() : found->second;
}

bool parseArguments(int argc, char** argv, const std::set<std::string>& valued,
                    const std::set<std::string>& flags, Arguments& arguments, std::string& error)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
        {
            arguments.positional.push_back(argument);
            continue;
        }
        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help")
        {
            arguments.options["--help"] = "";
            continue;
        }
        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (valued.count(name) != 0)
        {
            if (equals != std::string::npos)
                arguments.options[name] = argument.substr(equals + 1);
            else if (i + 1 < argc)
                arguments.options[name] = argv[++i];
            else
            {
                error = "option " + name + " needs a value";
                return false;
            }
        }
        else if (flags.count(name) != 0 && equals == std::string::npos)
        {
            arguments.options[name] = "";
        }
        else
        {
            error =
                flags.count(name) != 0 ? "option " + name + " takes no value" : "unknown option " + argument;
            return false;
        }
    }
    return true;
}

int usageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "tavilo-model %s: %s\nTry 'tavilo-model %s --help'.\n", command.c_str(),
                 message.c_str(), command.c_str());
    return exitUsage;
}

int failure(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "tavilo-model %s: %s\n", command.c_str(), message.c_str());
    return exitFailure;
}

std::string describeResult(ResultCode code)
{
    return std::to_string(code) + " (" + resultCodeMeaning(code) + ")";
}

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parseInteger(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size())
        return false;
    value = parsed;
    return true;
}

bool parseSwitch(const std::string& text, bool& value)
{
    for (const char* on : {"on", "true", "1", "yes"})
        if (text == on)
        {
            value = true;
            return true;
        }
    for (const char* off : {"off", "false", "0", "no"})
        if (text == off)
        {
            value = false;
            return true;
        }
    return false;
}

SdkOutputCapture::SdkOutputCapture(bool active)
{
    if (!active)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    file = std::tmpfile();
    if (file == nullptr)
        return;
    savedOut = dup(STDOUT_FILENO);
    savedErr = dup(STDERR_FILENO);
    if (savedOut < 0 || savedErr < 0 || dup2(fileno(file), STDOUT_FILENO) < 0 ||
        dup2(fileno(file), STDERR_FILENO) < 0)
    {
        // Leave the streams as they were: the SDK's lines then simply show.
        if (savedOut >= 0)
            dup2(savedOut, STDOUT_FILENO);
        if (savedErr >= 0)
            dup2(savedErr, STDERR_FILENO);
        return;
    }
    capturing = true;
}

SdkOutputCapture::~SdkOutputCapture()
{
    finish();
    if (file != nullptr)
        std::fclose(file);
}

std::string SdkOutputCapture::finish()
{
    if (capturing)
    {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(savedOut, STDOUT_FILENO);
        dup2(savedErr, STDERR_FILENO);
        capturing = false;
        std::rewind(file);
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, n);
    }
    if (savedOut >= 0)
        close(savedOut);
    if (savedErr >= 0)
        close(savedErr);
    savedOut = savedErr = -1;
    return text;
}

void SdkOutputCapture::toTerminal(const std::string& line) const
{
    const int fd = capturing ? savedErr : STDERR_FILENO;
    if (!capturing)
        std::fflush(stderr);
    std::size_t written = 0;
    while (written < line.size())
    {
        const ssize_t n = write(fd, line.data() + written, line.size() - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
}

std::unique_ptr<Pupack> openPackage(const std::string& path, std::string& notes)
{
    SdkOutputCapture capture;
    auto package = std::make_unique<Pupack>(path);
    std::string text = capture.finish();
    // The reader ends its notes without a line break.
    const std::string marker = "unknown file type in archive";
    for (std::size_t at = text.find(marker, 1); at != std::string::npos; at = text.find(marker, at + 1))
        if (text[at - 1] != '\n')
            text.insert(at++, "\n");
    notes = text;
    if (!notes.empty() && notes.back() != '\n')
        notes += '\n';
    return package;
}

std::string prefixLines(const std::string& text, const std::string& prefix)
{
    std::string out;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            out += prefix + text.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return out;
}

} // namespace model_tool
