#pragma once

#include <jack/jack.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support
{

/** A private JACK server with the dummy driver (clocked, no hardware), started by a test and always
    stopped by its process id: in the destructor, and by the kernel when the test process dies
    (the server is told to end with its parent).

    The constructor points this process's JACK clients at the server (JACK_DEFAULT_SERVER = its
    name, JACK_NO_START_SERVER = 1), so that JUCE's "JACK" device type and `JackTestClient` find it. */
class PrivateJackServer
{
public:
    struct Options
    {
        int sampleRate = 44100;
        int periodSize = 256;
        int capturePorts = 2;
        int playbackPorts = 2;
    };

    PrivateJackServer();
    explicit PrivateJackServer(const Options& options);
    /** Stops the server and waits for it to end. */
    ~PrivateJackServer();

    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    /** Whether the server came up and accepts clients. */
    bool isRunning() const noexcept { return running; }
    /** Why it did not come up (empty when it runs). */
    const std::string& getError() const noexcept { return error; }
    /** The server name (unique per process and instance). */
    const std::string& getName() const noexcept { return name; }
    pid_t getProcessId() const noexcept { return pid; }
    const Options& getOptions() const noexcept { return options; }

    /** Stops the server now (also done by the destructor). */
    void stop();

private:
    Options options;
    std::string name;
    std::string error;
    pid_t pid = -1;
    bool running = false;
};

/** A JACK client of the test: plays signals from its output ports ("sources") into whatever they
    are connected to, and records its input ports ("sinks").

    Playing and recording start in the same process cycle (`playAndRecord`), so that what was
    played and what came back can be compared sample by sample; a path that leaves this client and
    comes back into it is delayed by one period. Buffers are prepared before the cycle starts: the
    client's process callback neither allocates nor locks. Xruns of the server are counted. */
class JackTestClient
{
public:
    /** Opens the client on the current server (see PrivateJackServer) and activates it, with ports
        "source_1".. and "sink_1".. */
    JackTestClient(const std::string& clientName, int numSources, int numSinks);
    ~JackTestClient();

    JackTestClient(const JackTestClient&) = delete;
    JackTestClient& operator=(const JackTestClient&) = delete;

    bool isOpen() const noexcept { return client != nullptr; }
    const std::string& getName() const noexcept { return name; }
    jack_client_t* getHandle() const noexcept { return client; }
    int getSampleRate() const;
    int getBufferSize() const;

    /** Full port names ("client:source_1"). */
    std::string sourcePort(int index) const;
    std::string sinkPort(int index) const;
    /** Connects two ports by full name; true when connected (also when already connected). */
    bool connect(const std::string& from, const std::string& to);
    /** Asks the server for a new period size (samples); true when the server accepted it. */
    bool setBufferSize(int frames);

    /** Plays `signals` (one per source, missing or short ones silent; a looping signal repeats)
        and records `numFrames` frames of every sink, both from the same cycle on. Returns when the
        recording is complete, or false after `timeoutMs`. */
    bool playAndRecord(const std::vector<std::vector<float>>& signals, int numFrames, bool loop,
                       int timeoutMs = 20000);

    /** Starts playing (looping) without recording; `stopPlaying()` silences the sources. */
    void startPlaying(const std::vector<std::vector<float>>& signals);
    void stopPlaying();
    /** Records `numFrames` frames from the next cycle on, while whatever plays keeps playing. */
    bool record(int numFrames, int timeoutMs = 20000);

    /** The last recording of a sink. */
    const std::vector<float>& recorded(int sink) const { return recordings[static_cast<size_t>(sink)]; }
    /** Xruns during the last recording. */
    int xrunsDuringRecording() const noexcept { return recordingXruns; }
    /** Xruns since the client opened. */
    int xruns() const noexcept { return xrunCount.load(); }
    /** Process cycles run so far. */
    long long cycles() const noexcept { return cycleCount.load(); }

    /** Waits until the process callback has run `count` more cycles (false after `timeoutMs`). */
    bool waitCycles(int count, int timeoutMs = 5000) const;

    /** Called repeatedly while this client waits for its recording or for cycles, instead of
        sleeping: a test on JUCE's message thread passes a function that runs the message loop for a
        few milliseconds, so that asynchronous work goes on while it waits. */
    void setIdleFunction(std::function<void()> function) { idleFunction = std::move(function); }

private:
    static int processCallback(jack_nframes_t frames, void* self);
    static int xrunCallback(void* self);
    void process(jack_nframes_t frames);
    void installSignals(const std::vector<std::vector<float>>& signals, bool loop);
    void idle() const;

    std::string name;
    jack_client_t* client = nullptr;
    std::vector<jack_port_t*> sources;
    std::vector<jack_port_t*> sinks;
    std::vector<std::vector<float>> playing;
    std::vector<std::vector<float>> recordings;
    std::atomic<bool> playOn{false};
    std::atomic<bool> recordOn{false};
    std::atomic<bool> startTogether{false};
    bool looping = false;
    std::size_t playPosition = 0;
    std::size_t recordPosition = 0;
    std::size_t recordLength = 0;
    std::atomic<int> xrunCount{0};
    std::atomic<long long> cycleCount{0};
    int recordingXruns = 0;
    std::function<void()> idleFunction;
};

/** Runs `attempt` until one run had no xrun, at most `tries` times; returns whether a run was
    free of xruns. `attempt` returns the number of xruns it saw. */
bool runWithoutXruns(const std::function<int()>& attempt, int tries = 5);

} // namespace testing_support
