// tavilo_measure: the Tavilo program's figures as a user meets them, measured on private JACK
// servers (dummy driver) under the current X display:
//   - launch to a visible window, and memory (resident set) two seconds after the start, with the
//     built-in models;
//   - the delay from the voice input to the outputs at 128 and 256 samples per period, bypassed and
//     converting (the first built-in model for female speakers, Tobin);
//   - the program's CPU share (user + system time over wall time, of one core) while converting at
//     48000 Hz with 256 samples per period.
// Usage: xvfb-run -a -s "-screen 0 1920x1200x24" build/bench/application/tavilo_measure

#include "ProgramUnderTest.h"
#include "SignalMeasures.h"
#include "WindowClose.h"

#include "app/PropertiesFileManager.h"
#include "audio/RoutingOrders.h"
#include "processors/ProcessorSettings.h"
#include "support/JackDeviceSetup.h"
#include "support/JackTestServer.h"

#include <juce_events/juce_events.h>

#include <jack/jack.h>

#include <cmath>
#include <iomanip>
#include <iostream>
#include <unistd.h>

using namespace testing_support;

namespace
{
struct Run
{
    double launchToWindowMs = 0.0;
    double residentMegabytes = 0.0;
    int delaySamples = -1;
    double cpuShare = 0.0;
};

double residentMegabytes(pid_t pid)
{
    juce::StringArray lines;
    juce::File("/proc/" + juce::String(pid) + "/status").readLines(lines);
    for (const auto& line : lines)
        if (line.startsWith("VmRSS:"))
            return line.fromFirstOccurrenceOf(":", false, false).trim().getDoubleValue() / 1024.0;
    return 0.0;
}

/** User plus system time of a process, in seconds. */
double cpuSeconds(pid_t pid)
{
    const auto stat = juce::File("/proc/" + juce::String(pid) + "/stat").loadFileAsString();
    // The fields after the command name (which is in parentheses): utime is the 14th field, stime the 15th.
    const auto fields = juce::StringArray::fromTokens(stat.fromLastOccurrenceOf(")", false, false).trim(), " ", "");
    return (fields[11].getDoubleValue() + fields[12].getDoubleValue()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void writeSettings(const juce::File& home, const juce::String& client, int rate, int period, bool converting)
{
    const auto file = home.getChildFile(".config/Tavilo/Tavilo.settings");
    file.getParentDirectory().createDirectory();
    auto options = tessel::PropertiesFileManager::createOptions();
    options.millisecondsBeforeSaving = -1;
    juce::PropertiesFile settings(file, options);

    auto device = jackDeviceSetup(client, rate, period);
    device->setAttribute("audioDeviceInChans", "11");
    settings.setValue(tessel::PropertiesFileManager::audioDeviceSetupKey, device.get());
    tessel::RoutingOrders routing;
    routing.voice = 0;
    routing.bgmLeft = 1;
    settings.setValue(tessel::PropertiesFileManager::audioRoutingSetupKey, routing.toXml().get());
    ProcessorSettings values;
    values.reverbLevel = 0.0f;
    values.voiceVocaformBypass = converting ? 0.0f : 1.0f;
    settings.setValue(tessel::PropertiesFileManager::audioProcessorParametersKey, values.toXml().get());
    if (converting)
    {
        juce::XmlElement slots("PUPACKSELECTORSLOT");
        slots.createNewChildElement("SELECTED_SLOT")->setAttribute("SelectedSlot", 0);
        slots.createNewChildElement("SLOT_A")->setAttribute("Identifier", "TobinFemale");
        slots.createNewChildElement("SLOT_B")->setAttribute("Identifier", "");
        settings.setValue(tessel::PropertiesFileManager::pupackSelectorSlotKey, &slots);
    }
    settings.save();
}

bool connected(const JackTestClient& client)
{
    for (int sink = 0; sink < 2; ++sink)
    {
        auto* port = jack_port_by_name(client.getHandle(), client.sinkPort(sink).c_str());
        if (port == nullptr || jack_port_connected(port) == 0)
            return false;
    }
    return true;
}

/** One start of the program: its figures. */
Run measure(int rate, int period, bool converting, bool measureCpu)
{
    Run run;
    PrivateJackServer server(PrivateJackServer::Options{rate, period, 2, 2});
    if (!server.isRunning())
    {
        std::cerr << "jackd: " << server.getError() << std::endl;
        return run;
    }
    JackTestClient client("tavilo_measure", 2, 2);
    const auto home = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getChildFile("tavilo-measure-" + juce::String::toHexString(juce::Random().nextInt64()));
    home.createDirectory();
    writeSettings(home, client.getName(), rate, period, converting);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    {
        ProgramUnderTest program(juce::File(TAVILO_PROGRAM), home, home.getChildFile("tavilo.log"));
        const auto window = waitForWindow("Tavilo", 60000);
        run.launchToWindowMs = juce::Time::getMillisecondCounterHiRes() - started;
        if (window.isEmpty())
            return run;

        if (const auto alert = waitForWindow("Update confirmation error", 3000); alert.isNotEmpty())
            requestWindowClose(static_cast<unsigned long>(alert.getLargeIntValue()));
        for (int i = 0; i < 100 && !connected(client); ++i)
            juce::Thread::sleep(100);
        juce::Thread::sleep(2000);
        run.residentMegabytes = residentMegabytes(program.getProcessId());

        // A 1 kHz burst of 10 ms every 0.5 s; its loudest sample marks where it came out. The
        // converter's pitch shifter moves it by up to 20 ms from burst to burst: the median counts.
        const size_t spacing = static_cast<size_t>(rate / 2), length = static_cast<size_t>(rate / 100);
        std::vector<float> bursts(spacing * 8, 0.0f);
        for (size_t start = 0; start < bursts.size(); start += spacing)
            for (size_t i = 0; i < length; ++i)
                bursts[start + i] = 0.4f * static_cast<float>(std::sin(M_PI * double(i) / double(length)) *
                                                              std::sin(2.0 * M_PI * 1000.0 * double(i) / rate));
        if (client.playAndRecord({bursts}, static_cast<int>(bursts.size()), false))
        {
            std::vector<int> delays;
            for (size_t start = spacing; start + spacing <= bursts.size(); start += spacing)
                delays.push_back(static_cast<int>(loudestSample(client.recorded(0), start, start + spacing / 2) -
                                                  static_cast<long>(start + length / 2)));
            std::sort(delays.begin(), delays.end());
            run.delaySamples = delays[delays.size() / 2];
        }

        if (measureCpu)
        {
            // Speech-like load: the bursts keep playing in a loop while the time is taken.
            client.startPlaying({bursts});
            const double cpu0 = cpuSeconds(program.getProcessId());
            const double wall0 = juce::Time::getMillisecondCounterHiRes();
            juce::Thread::sleep(10000);
            run.cpuShare = (cpuSeconds(program.getProcessId()) - cpu0) /
                           ((juce::Time::getMillisecondCounterHiRes() - wall0) / 1000.0);
            client.stopPlaying();
        }

        requestWindowClose(static_cast<unsigned long>(window.getLargeIntValue()));
        int status = 0;
        program.waitForExit(20000, status);
    }
    home.deleteRecursively();
    return run;
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    if (!internWindowManagerAtoms())
    {
        std::cerr << "tavilo_measure: no X display (run it under xvfb-run -a)" << std::endl;
        return 1;
    }

    std::cout << std::fixed << std::setprecision(1);
    for (const int period : {256, 128})
    {
        for (const bool converting : {false, true})
        {
            const auto run = measure(44100, period, converting, false);
            std::cout << "44100 Hz, " << period << " samples per period, " << (converting ? "converting" : "bypassed")
                      << ": launch to window " << run.launchToWindowMs << " ms, resident memory "
                      << run.residentMegabytes << " MB, input to output " << run.delaySamples << " samples ("
                      << 1000.0 * run.delaySamples / 44100.0 << " ms)" << std::endl;
        }
    }
    const auto run = measure(48000, 256, true, true);
    std::cout << "48000 Hz, 256 samples per period, converting: CPU " << 100.0 * run.cpuShare
              << " % of one core (whole program, window shown), input to output " << run.delaySamples
              << " samples (" << 1000.0 * run.delaySamples / 48000.0 << " ms)" << std::endl;
    return 0;
}
