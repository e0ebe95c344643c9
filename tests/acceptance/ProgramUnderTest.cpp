#include "ProgramUnderTest.h"

#include <csignal>
#include <string>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support
{
ProgramUnderTest::ProgramUnderTest(const juce::File& program, const juce::File& home, const juce::File& log)
    : ProgramUnderTest(juce::StringArray{program.getFullPathName()}, [&]
                       {
                           juce::StringPairArray environment;
                           environment.set("HOME", home.getFullPathName());
                           return environment;
                       }(),
                       log)
{
}

ProgramUnderTest::ProgramUnderTest(const juce::StringArray& command, const juce::StringPairArray& environment,
                                   const juce::File& log)
{
    std::vector<std::string> arguments;
    for (const auto& argument : command)
        arguments.push_back(argument.toStdString());
    std::vector<std::pair<std::string, std::string>> variables;
    for (const auto& key : environment.getAllKeys())
        variables.emplace_back(key.toStdString(), environment[key].toStdString());
    const auto logPath = log.getFullPathName().toStdString();
    const pid_t parent = getpid();

    pid = fork();
    if (pid == 0)
    {
        // The program ends with the test, whatever happens to the test.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        const int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
        {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

ProgramUnderTest::~ProgramUnderTest()
{
    kill();
}

bool ProgramUnderTest::isRunning()
{
    if (pid <= 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
    {
        pid = -1;
        return false;
    }
    return true;
}

bool ProgramUnderTest::waitForExit(int timeoutMs, int& exitStatus)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (pid > 0 && juce::Time::getMillisecondCounter() < end)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
        {
            pid = -1;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        }
        juce::Thread::sleep(50);
    }
    return false;
}

void ProgramUnderTest::kill()
{
    if (pid <= 0)
        return;
    // Asked first, so that it can clean up after itself (an X server removes its lock file).
    ::kill(pid, SIGTERM);
    int status = 0;
    if (waitForExit(3000, status))
        return;
    ::kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    pid = -1;
}

juce::String runCommand(const juce::StringArray& command, int timeoutMs)
{
    juce::ChildProcess process;
    if (!process.start(command))
        return {};
    // Short outputs only: reading after the end cannot block on a full pipe.
    if (!process.waitForProcessToFinish(timeoutMs))
    {
        process.kill();
        return {};
    }
    return process.readAllProcessOutput();
}

juce::StringArray findWindows(const juce::String& name)
{
    auto ids = juce::StringArray::fromLines(
        runCommand({"xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"}).trim());
    ids.removeEmptyStrings();
    return ids;
}

juce::String waitForWindow(const juce::String& name, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    do
    {
        const auto ids = findWindows(name);
        if (!ids.isEmpty())
            return ids[0];
        juce::Thread::sleep(100);
    } while (juce::Time::getMillisecondCounter() < end);
    return {};
}

bool isUdpPortBound(int port)
{
    const auto local = ":" + juce::String::toHexString(port).toUpperCase().paddedLeft('0', 4) + " ";
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"})
    {
        juce::StringArray lines;
        juce::File(table).readLines(lines);
        for (int i = 1; i < lines.size(); ++i)
        {
            // "  sl  local_address rem_address ...": the local address is the second column.
            auto columns = juce::StringArray::fromTokens(lines[i].trim(), " ", "");
            columns.removeEmptyStrings();
            if (columns.size() > 1 && (columns[1] + " ").endsWith(local))
                return true;
        }
    }
    return false;
}
} // namespace testing_support
