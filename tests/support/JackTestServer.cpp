#include "support/JackTestServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support
{

namespace
{
std::atomic<int> serverCounter{0};

bool processEnded(pid_t pid, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        int status = 0;
        const pid_t result = waitpid(pid, &status, WNOHANG);
        if (result == pid || (result < 0 && errno == ECHILD))
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
/** JACK keeps a registry of at most eight running servers in shared memory and frees the entry of
    a server that ends normally. A server that was killed keeps its entry, and JACK reclaims it
    only for a new server of the same name; since every test server has a name of its own, such
    entries would pile up until no server can start ("Too many servers already active"). Frees the
    entries whose process no longer exists, as JACK does for a reused name. */
void reclaimEntriesOfEndedServers()
{
    const int fd = open("/dev/shm/jack-shm-registry", O_RDWR);
    if (fd < 0)
        return;
    struct stat info{};
    constexpr std::size_t headerFields = 6 * sizeof(std::int32_t); // magic, protocol, type, size, hdr_len, entry_len
    constexpr int maxServers = 8;
    if (fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) > headerFields)
    {
        void* mapped = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED)
        {
            auto* bytes = static_cast<unsigned char*>(mapped);
            std::int32_t headerLength = 0;
            std::memcpy(&headerLength, bytes + 4 * sizeof(std::int32_t), sizeof headerLength);
            const bool known = std::memcmp(bytes, "KCAJ", 4) == 0 && headerLength > static_cast<int>(headerFields) &&
                               headerLength <= info.st_size && (headerLength - static_cast<int>(headerFields)) % maxServers == 0;
            if (known)
            {
                const std::size_t entrySize = static_cast<std::size_t>(headerLength - static_cast<int>(headerFields)) / maxServers;
                for (int i = 0; i < maxServers; ++i)
                {
                    unsigned char* entry = bytes + headerFields + static_cast<std::size_t>(i) * entrySize;
                    pid_t serverPid = 0;
                    std::memcpy(&serverPid, entry, sizeof serverPid);
                    if (serverPid > 0 && kill(serverPid, 0) != 0 && errno == ESRCH)
                        std::memset(entry, 0, entrySize);
                }
            }
            munmap(mapped, static_cast<std::size_t>(info.st_size));
        }
    }
    close(fd);
}
} // namespace

PrivateJackServer::PrivateJackServer() : PrivateJackServer(Options{}) {}

PrivateJackServer::PrivateJackServer(const Options& opts) : options(opts)
{
    name = "tavilo-test-" + std::to_string(getpid()) + "-" + std::to_string(serverCounter++);
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    reclaimEntriesOfEndedServers();

    const std::vector<std::string> args = {"jackd", "-n",
                                           name,    "--no-realtime",
                                           "-d",    "dummy",
                                           "-r",    std::to_string(options.sampleRate),
                                           "-p",    std::to_string(options.periodSize),
                                           "-C",    std::to_string(options.capturePorts),
                                           "-P",    std::to_string(options.playbackPorts)};
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    pid = fork();
    if (pid < 0)
    {
        error = "fork failed";
        return;
    }
    if (pid == 0)
    {
        // The server ends with the test process, also when the test crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0)
        {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execvp("jackd", argv.data());
        _exit(127);
    }

    // Up when a client can connect.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
        {
            pid = -1;
            error = "jackd exited while starting";
            return;
        }
        jack_status_t jackStatus{};
        if (auto* probe = jack_client_open("tavilo-probe", JackNoStartServer, &jackStatus))
        {
            jack_client_close(probe);
            running = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = "jackd did not accept clients within 15 s";
    stop();
}

PrivateJackServer::~PrivateJackServer()
{
    stop();
}

void PrivateJackServer::stop()
{
    running = false;
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!processEnded(pid, 5000))
    {
        kill(pid, SIGKILL);
        processEnded(pid, 5000);
    }
    pid = -1;
}

//======================================================================================================
JackTestClient::JackTestClient(const std::string& clientName, int numSources, int numSinks) : name(clientName)
{
    jack_status_t status{};
    client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return;
    name = jack_get_client_name(client);

    for (int i = 0; i < numSources; ++i)
        sources.push_back(jack_port_register(client, ("source_" + std::to_string(i + 1)).c_str(),
                                             JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0));
    for (int i = 0; i < numSinks; ++i)
        sinks.push_back(jack_port_register(client, ("sink_" + std::to_string(i + 1)).c_str(),
                                           JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
    playing.resize(sources.size());
    recordings.resize(sinks.size());

    jack_set_process_callback(client, processCallback, this);
    jack_set_xrun_callback(client, xrunCallback, this);
    if (jack_activate(client) != 0)
    {
        jack_client_close(client);
        client = nullptr;
    }
}

JackTestClient::~JackTestClient()
{
    if (client != nullptr)
    {
        jack_deactivate(client);
        jack_client_close(client);
    }
}

int JackTestClient::getSampleRate() const
{
    return client != nullptr ? static_cast<int>(jack_get_sample_rate(client)) : 0;
}

int JackTestClient::getBufferSize() const
{
    return client != nullptr ? static_cast<int>(jack_get_buffer_size(client)) : 0;
}

std::string JackTestClient::sourcePort(int index) const
{
    return name + ":source_" + std::to_string(index + 1);
}

std::string JackTestClient::sinkPort(int index) const
{
    return name + ":sink_" + std::to_string(index + 1);
}

bool JackTestClient::connect(const std::string& from, const std::string& to)
{
    if (client == nullptr)
        return false;
    const int result = jack_connect(client, from.c_str(), to.c_str());
    return result == 0 || result == EEXIST;
}

bool JackTestClient::setBufferSize(int frames)
{
    return client != nullptr && jack_set_buffer_size(client, static_cast<jack_nframes_t>(frames)) == 0;
}

int JackTestClient::processCallback(jack_nframes_t frames, void* self)
{
    static_cast<JackTestClient*>(self)->process(frames);
    return 0;
}

int JackTestClient::xrunCallback(void* self)
{
    ++static_cast<JackTestClient*>(self)->xrunCount;
    return 0;
}

void JackTestClient::process(jack_nframes_t frames)
{
    if (startTogether.exchange(false))
    {
        playPosition = 0;
        recordPosition = 0;
        playOn = true;
        recordOn = true;
    }

    const bool play = playOn.load();
    for (std::size_t c = 0; c < sources.size(); ++c)
    {
        auto* out = static_cast<float*>(jack_port_get_buffer(sources[c], frames));
        const auto& signal = playing[c];
        for (jack_nframes_t i = 0; i < frames; ++i)
        {
            float value = 0.0f;
            if (play && !signal.empty())
            {
                const std::size_t position = playPosition + i;
                if (looping)
                    value = signal[position % signal.size()];
                else if (position < signal.size())
                    value = signal[position];
            }
            out[i] = value;
        }
    }
    if (play)
        playPosition += frames;

    if (recordOn.load())
    {
        const std::size_t count = std::min<std::size_t>(frames, recordLength - recordPosition);
        for (std::size_t c = 0; c < sinks.size(); ++c)
        {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(sinks[c], frames));
            std::copy_n(in, count, recordings[c].begin() + static_cast<std::ptrdiff_t>(recordPosition));
        }
        recordPosition += count;
        if (recordPosition >= recordLength)
            recordOn = false;
    }
    ++cycleCount;
}

bool JackTestClient::waitCycles(int count, int timeoutMs) const
{
    const long long target = cycleCount.load() + count;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (cycleCount.load() < target)
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        idle();
    }
    return true;
}

void JackTestClient::idle() const
{
    if (idleFunction)
        idleFunction();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void JackTestClient::installSignals(const std::vector<std::vector<float>>& signals, bool loop)
{
    // The callback reads the signals only while playing: stop, let a cycle pass, then replace.
    playOn = false;
    recordOn = false;
    waitCycles(2);
    for (std::size_t c = 0; c < playing.size(); ++c)
        playing[c] = c < signals.size() ? signals[c] : std::vector<float>{};
    looping = loop;
}

bool JackTestClient::playAndRecord(const std::vector<std::vector<float>>& signals, int numFrames, bool loop,
                                   int timeoutMs)
{
    if (client == nullptr)
        return false;
    installSignals(signals, loop);
    for (auto& recording : recordings)
        recording.assign(static_cast<size_t>(numFrames), 0.0f);
    recordLength = static_cast<std::size_t>(numFrames);

    const int xrunsBefore = xrunCount.load();
    startTogether = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (startTogether.load() || recordOn.load())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        idle();
    }
    recordingXruns = xrunCount.load() - xrunsBefore;
    return true;
}

void JackTestClient::startPlaying(const std::vector<std::vector<float>>& signals)
{
    installSignals(signals, true);
    playPosition = 0;
    playOn = true;
}

void JackTestClient::stopPlaying()
{
    playOn = false;
    waitCycles(2);
}

bool JackTestClient::record(int numFrames, int timeoutMs)
{
    if (client == nullptr)
        return false;
    recordOn = false;
    waitCycles(2);
    for (auto& recording : recordings)
        recording.assign(static_cast<size_t>(numFrames), 0.0f);
    recordLength = static_cast<std::size_t>(numFrames);
    recordPosition = 0;

    const int xrunsBefore = xrunCount.load();
    recordOn = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (recordOn.load())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        idle();
    }
    recordingXruns = xrunCount.load() - xrunsBefore;
    return true;
}

bool runWithoutXruns(const std::function<int()>& attempt, int tries)
{
    for (int i = 0; i < tries; ++i)
        if (attempt() == 0)
            return true;
    return false;
}

} // namespace testing_support
