// Soak run of the audio service on a private JACK server (dummy driver, 44100 Hz, 128 samples per
// period), for a figure of xruns: first a plain pass-through client alone, then the application
// with its whole chain converting a voice tone, each for the same time, in one run.
//
// Usage: audio_soak [seconds-per-phase] [model]   (default 120 s; model: a ".ppc" path,
// "synthetic" (the default: a 44100-Hz test model of random, valid GMMs) or "none" (conversion
// bypassed)). Run it outside the build lock, with nice, on an otherwise quiet machine.

#include "audio/OstrelAudioService.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/JackTestServer.h"
#include "support/ScopedSettingsStore.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace
{
/** Copies its input port to its output port. */
struct PassThrough
{
    explicit PassThrough(const char* name)
    {
        jack_status_t status{};
        client = jack_client_open(name, JackNoStartServer, &status);
        if (client == nullptr)
            return;
        in = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        out = jack_port_register(client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(client, process, this);
        jack_activate(client);
        const std::string self = jack_get_client_name(client);
        jack_connect(client, "system:capture_1", (self + ":in").c_str());
        jack_connect(client, (self + ":out").c_str(), "system:playback_1");
    }
    ~PassThrough()
    {
        if (client != nullptr)
        {
            jack_deactivate(client);
            jack_client_close(client);
        }
    }
    static int process(jack_nframes_t frames, void* self)
    {
        auto* p = static_cast<PassThrough*>(self);
        const auto* source = static_cast<const float*>(jack_port_get_buffer(p->in, frames));
        auto* destination = static_cast<float*>(jack_port_get_buffer(p->out, frames));
        std::copy_n(source, frames, destination);
        return 0;
    }
    jack_client_t* client = nullptr;
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
};

/** Counts the server's xruns while it lives. */
struct XrunCounter
{
    XrunCounter()
    {
        jack_status_t status{};
        client = jack_client_open("xrun-counter", JackNoStartServer, &status);
        if (client == nullptr)
            return;
        jack_set_xrun_callback(
            client, [](void* self) { return ++*static_cast<std::atomic<int>*>(self), 0; }, &xruns);
        jack_activate(client);
    }
    ~XrunCounter()
    {
        if (client != nullptr)
        {
            jack_deactivate(client);
            jack_client_close(client);
        }
    }
    jack_client_t* client = nullptr;
    std::atomic<int> xruns{0};
};

void runFor(double seconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(static_cast<int>(seconds * 1000.0));
}
} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 120.0;
    const std::string modelPath = argc > 2 ? argv[2] : "synthetic";
    juce::ScopedJuceInitialiser_GUI juce;

    testing_support::PrivateJackServer server({44100, 128, 2, 2});
    if (!server.isRunning())
    {
        std::fprintf(stderr, "audio_soak: %s\n", server.getError().c_str());
        return 1;
    }

    XrunCounter counter;
    int passThroughXruns = 0;
    {
        PassThrough passThrough("pass-through");
        const int before = counter.xruns.load();
        runFor(seconds);
        passThroughXruns = counter.xruns.load() - before;
    }

    testing_support::JackTestClient voice("voice", 1, 0);
    std::vector<float> tone(44100);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] =
            0.3f * static_cast<float>(std::sin(juce::MathConstants<double>::twoPi * 180.0 * i / 44100.0));
    voice.startPlaying({tone});

    testing_support::ScopedSettingsStore settings;
    auto device = std::make_unique<juce::XmlElement>("DEVICESETUP");
    device->setAttribute("deviceType", "JACK");
    device->setAttribute("audioInputDeviceName", juce::String(voice.getName()));
    device->setAttribute("audioOutputDeviceName", "system");
    device->setAttribute("audioDeviceInChans", "1");
    device->setAttribute("audioDeviceOutChans", "11");
    settings.store().setXml(tessel::PropertiesFileManager::audioDeviceSetupKey, std::move(device));
    settings.store().setXml(tessel::PropertiesFileManager::audioRoutingSetupKey,
                            tessel::RoutingOrders{0, -1, -1, 0}.toXml());

    std::unique_ptr<Pupack> model;
    int applicationXruns = 0;
    int deviceXruns = 0;
    {
        tessel::OstrelAudioService service;
        if (modelPath != "none")
        {
            if (modelPath == "synthetic")
            {
                const auto bytes = test_models::testPackageBytes();
                model = std::make_unique<Pupack>(bytes.data(), bytes.size());
            }
            else
            {
                model = std::make_unique<Pupack>(modelPath);
            }
            service.setModel(model.get());
            service.setConversionBypassed(false);
        }
        else
        {
            service.setConversionBypassed(true);
        }
        runFor(1.0);
        const int before = counter.xruns.load();
        const int deviceBefore = service.getDeviceManager().getXRunCount();
        runFor(seconds);
        applicationXruns = counter.xruns.load() - before;
        deviceXruns = service.getDeviceManager().getXRunCount() - deviceBefore;
        service.setModel(nullptr);
    }

    const double minutes = seconds / 60.0;
    std::printf("period 128 samples at 44100 Hz, %.0f s per phase, %s\n", seconds,
                modelPath == "none" ? "conversion bypassed" : ("model " + modelPath).c_str());
    std::printf("pass-through client: %d xruns (%.1f per minute)\n", passThroughXruns,
                passThroughXruns / minutes);
    std::printf("application:         %d xruns (%.1f per minute; device reported %d)\n", applicationXruns,
                applicationXruns / minutes, deviceXruns);
    return 0;
}
