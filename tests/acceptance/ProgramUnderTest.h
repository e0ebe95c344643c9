#pragma once

#include <juce_core/juce_core.h>

#include <sys/types.h>

namespace testing_support
{
/** The Tavilo program started by a test with its own home folder (so its settings, models and
    recordings live there), its output going to a log file. It is ended by its process id: when
    the test asks, in the destructor, and by the kernel (SIGKILL) when the test process dies. */
class ProgramUnderTest
{
public:
    ProgramUnderTest(const juce::File& program, const juce::File& home, const juce::File& log);
    /** Any command (the program and its arguments), with these environment variables set. */
    ProgramUnderTest(const juce::StringArray& command, const juce::StringPairArray& environment,
                     const juce::File& log);
    /** Kills the program if it still runs and waits for it. */
    ~ProgramUnderTest();

    pid_t getProcessId() const noexcept { return pid; }
    bool isRunning();
    /** Waits for the program to end by itself; true with its exit status when it did. */
    bool waitForExit(int timeoutMs, int& exitStatus);
    /** Ends it: SIGTERM, and SIGKILL when it has not ended within 3 s; waits for it. */
    void kill();

private:
    pid_t pid = -1;
};

/** Runs a short command (xdotool, oscsend) and returns its standard output; empty after a failure
    or when it did not end within `timeoutMs`. */
juce::String runCommand(const juce::StringArray& command, int timeoutMs = 10000);

/** The visible top-level windows named exactly `name`, by X window id. */
juce::StringArray findWindows(const juce::String& name);

/** Waits until a visible window named `name` exists; its id, or empty after `timeoutMs`. */
juce::String waitForWindow(const juce::String& name, int timeoutMs);

/** Whether a UDP socket of this machine is bound to the port (from /proc/net/udp and udp6). */
bool isUdpPortBound(int port);
} // namespace testing_support
