// The Tavilo program as a user runs it: on a JACK server (the dummy driver) whose device is this
// test's client, which plays speech into the program's voice input and a chord into its AUX input
// and records its two outputs. Remote control comes from oscsend, keys and clicks from xdotool, the
// quit from the window's close request. Every process the test starts is ended by its id.

#include "ProgramUnderTest.h"
#include "SignalMeasures.h"
#include "WindowClose.h"

#include "BinaryData.h"
#include "app/PropertiesFileManager.h"
#include "audio/RoutingOrders.h"
#include "package/Pupack.h"
#include "processors/ProcessorSettings.h"
#include "processors/VocaformProcessor.h"
#include "ui/MainLayout.h"
#include "support/JackTestServer.h"
#include "support/JuceTestEnvironment.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <jack/jack.h>

#include <cmath>

namespace
{
using namespace testing_support;

constexpr int sampleRate = 44100;
constexpr int periodSize = 256;
constexpr int menuBarHeight = 24;

std::vector<float> readSpeech(const char* name)
{
    const auto file = juce::File(TAVILO_TEST_DATA_DIR).getChildFile("speech").getChildFile(name);
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(file));
    if (reader == nullptr)
        return {};
    juce::AudioBuffer<float> buffer(1, static_cast<int>(reader->lengthInSamples));
    reader->read(&buffer, 0, buffer.getNumSamples(), 0, true, false);

    // To the device rate.
    const double ratio = reader->sampleRate / sampleRate;
    std::vector<float> result(static_cast<size_t>(buffer.getNumSamples() / ratio));
    juce::LagrangeInterpolator interpolator;
    interpolator.process(ratio, buffer.getReadPointer(0), result.data(), static_cast<int>(result.size()));
    return result;
}

/** A major triad (4 : 5 : 6) above the band of the voice: 10, 12.5 and 15 kHz at 0.06 each, so
    that the AUX can be measured under the voice. */
constexpr double chordTones[] = {10000.0, 12500.0, 15000.0};
std::vector<float> chord(size_t length)
{
    std::vector<float> result(length);
    for (size_t i = 0; i < length; ++i)
        for (double hz : chordTones)
            result[i] += 0.06f * static_cast<float>(std::sin(2.0 * M_PI * hz * static_cast<double>(i) / sampleRate));
    return result;
}

/** The share of 20-ms windows from `from` on whose level exceeds `threshold`. */
double fractionAbove(const std::vector<float>& signal, size_t from, double threshold)
{
    const size_t window = sampleRate / 50;
    int loud = 0, all = 0;
    for (size_t start = from; start + window <= signal.size(); start += window, ++all)
        loud += rms(signal, start, start + window) > threshold ? 1 : 0;
    return all > 0 ? static_cast<double>(loud) / all : 1.0;
}

double chordLevel(const std::vector<float>& signal, size_t from, size_t to)
{
    double sum = 0.0;
    for (double hz : chordTones)
        sum += toneAmplitude(signal, from, to, hz, sampleRate);
    return sum / 3.0;
}

std::vector<float> repeated(const std::vector<float>& loop, size_t length)
{
    std::vector<float> result(length);
    for (size_t i = 0; i < length; ++i)
        result[i] = loop[i % loop.size()];
    return result;
}

struct WindowGeometry
{
    int x = 0, y = 0, width = 0, height = 0;
};

WindowGeometry geometryOf(const juce::String& window)
{
    WindowGeometry geometry;
    for (const auto& line : juce::StringArray::fromLines(runCommand({"xdotool", "getwindowgeometry", "--shell", window})))
    {
        const auto value = line.fromFirstOccurrenceOf("=", false, false).getIntValue();
        if (line.startsWith("X="))
            geometry.x = value;
        else if (line.startsWith("Y="))
            geometry.y = value;
        else if (line.startsWith("WIDTH="))
            geometry.width = value;
        else if (line.startsWith("HEIGHT="))
            geometry.height = value;
    }
    return geometry;
}

/** Where the settings overlay of a screen of `size` puts its second extra panel, the OSC panel
    (below the recorder's): the body under a header of 0.156 of the height, its right half, below the
    audio section (0.7 of the body) and a gap of 0.35 of the rest, the lower of two equal shares. */
juce::Rectangle<int> oscPanelBounds(juce::Point<int> size)
{
    const auto content = tessel::MainLayout::compute(size, size, tessel::MainLayout::mainDisplayWidth()).content;
    const double margin = 0.0139 * content.getWidth();
    const int x = juce::roundToInt(content.getX() + margin);
    const int inner = juce::roundToInt(content.getWidth() - 2.0 * margin);
    const double header = std::min(static_cast<double>(content.getHeight()), 0.156 * size.y);
    const int bodyY = juce::roundToInt(content.getY() + header);
    const int body = juce::roundToInt(content.getHeight() - header);
    const int leftWidth = std::min(inner, static_cast<int>(0.5 * (content.getWidth() - 2.0 * margin)));
    const int audioHeight = std::min(body, static_cast<int>(0.7 * body));
    const int rest = body - audioHeight;
    const int gap = std::min(rest, static_cast<int>(0.35 * rest));
    const int share = static_cast<int>(0.5 * (rest - gap));
    return {x + leftWidth, bodyY + audioHeight + gap + share, inner - leftWidth, share};
}

/** The delay through the converter of the built-in model Tobin for female speakers, in device
    samples, as the program's conversion stage reports it. */
int conversionLatency()
{
    Pupack model(BinaryData::tobin_female_ppc, static_cast<size_t>(BinaryData::tobin_female_ppcSize));
    tessel::VocaformProcessor converter;
    converter.prepareToPlay(sampleRate, periodSize);
    converter.setModel(&model);
    const double samples =
        static_cast<double>(converter.getEngineLatencySamples()) * sampleRate / converter.getConversionRate();
    converter.setModel(nullptr);
    return static_cast<int>(std::lround(samples));
}

class Acceptance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(internWindowManagerAtoms());
        server = std::make_unique<PrivateJackServer>(PrivateJackServer::Options{sampleRate, periodSize, 2, 2});
        ASSERT_TRUE(server->isRunning()) << server->getError();
        client = std::make_unique<JackTestClient>("tavilo_acceptance", 2, 2);
        ASSERT_TRUE(client->isOpen());

        ASSERT_TRUE(home.createDirectory());
        settingsFile = home.getChildFile(".config/Tavilo/Tavilo.settings");
        recordings = home.getChildFile("recordings");

        // A free UDP port for the remote control.
        juce::DatagramSocket probe;
        ASSERT_TRUE(probe.bindToPort(0));
        oscPort = probe.getBoundPort();
        probe.shutdown();

        speech = readSpeech("vcc2016_SF1_100001.wav");
        target = readSpeech("vcc2016_TM1_100001.wav");
        ASSERT_FALSE(speech.empty());
        ASSERT_FALSE(target.empty());
        // The sentence, 1.5 s of silence in which the ducked AUX comes back, then its loudest
        // 200 ms again as a marker whose delay is easy to find.
        voiceLoop = speech;
        burstStart = speech.size() + static_cast<size_t>(1.5 * sampleRate);
        const size_t markerLength = sampleRate / 5;
        size_t loudest = 0;
        double loudestLevel = 0.0;
        for (size_t from = 0; from + markerLength < speech.size(); from += markerLength / 4)
            if (const double level = rms(speech, from, from + markerLength); level > loudestLevel)
            {
                loudestLevel = level;
                loudest = from;
            }
        marker.assign(speech.begin() + static_cast<long>(loudest),
                      speech.begin() + static_cast<long>(loudest + markerLength));
        voiceLoop.resize(burstStart + static_cast<size_t>(0.35 * sampleRate), 0.0f);
        std::copy(marker.begin(), marker.end(), voiceLoop.begin() + static_cast<long>(burstStart));
        auxLoop = chord(voiceLoop.size());
    }

    void TearDown() override
    {
        program.reset();
        client.reset();
        server.reset();
        home.deleteRecursively();
    }

    /** The settings a user would have after choosing the device and routing: JACK with this test's
        client as the device, voice on input 1, AUX (mono) on input 2, strong ducking, no reverb. */
    void prepareSettings()
    {
        ASSERT_TRUE(settingsFile.getParentDirectory().createDirectory());
        auto options = tessel::PropertiesFileManager::createOptions();
        options.millisecondsBeforeSaving = -1;
        juce::PropertiesFile file(settingsFile, options);

        juce::XmlElement device("DEVICESETUP");
        device.setAttribute("deviceType", "JACK");
        device.setAttribute("audioOutputDeviceName", juce::String(client->getName()));
        device.setAttribute("audioInputDeviceName", juce::String(client->getName()));
        device.setAttribute("audioDeviceRate", sampleRate);
        device.setAttribute("audioDeviceBufferSize", periodSize);
        device.setAttribute("audioDeviceInChans", "11");
        device.setAttribute("audioDeviceOutChans", "11");
        file.setValue(tessel::PropertiesFileManager::audioDeviceSetupKey, &device);

        tessel::RoutingOrders routing;
        routing.voice = 0;
        routing.bgmLeft = 1;
        routing.bgmInputAsStereo = 0;
        file.setValue(tessel::PropertiesFileManager::audioRoutingSetupKey, routing.toXml().get());

        ProcessorSettings values;
        values.duckingChoice = 1.0f; // "STRONG"
        values.reverbLevel = 0.0f;
        values.voiceVocaformBypass = 1.0f;
        file.setValue(tessel::PropertiesFileManager::audioProcessorParametersKey, values.toXml().get());

        // The user put the Tobin models first: "/VOICE1" selects Tobin for a female speaker.
        juce::XmlElement models("PUPACKMETADATA");
        int order = 0;
        for (const char* identifier : {"TobinFemale", "TobinMale", "MiraFemale", "MiraMale"})
        {
            auto* model = models.createNewChildElement("PUPACK");
            model->setAttribute("Identifier", identifier);
            model->setAttribute("Order", order++);
            model->setAttribute("OffsetDecibel", 0.0);
            model->setAttribute("CoefficientGV", 1.0);
        }
        file.setValue(tessel::PropertiesFileManager::pupackMetaDataKey, &models);

        juce::XmlElement recorder("RECORDERSETUP");
        recorder.setAttribute("Directory", recordings.getFullPathName());
        file.setValue(tessel::PropertiesFileManager::audioRecorderSetupKey, &recorder);

        juce::XmlElement osc("OSCSETUP");
        osc.setAttribute("PortNumber", oscPort);
        file.setValue(tessel::PropertiesFileManager::oscSetupKey, &osc);
        ASSERT_TRUE(file.save());
    }

    /** Starts the program and waits for its window and for its device to reach this test's client. */
    void start(int run)
    {
        program = std::make_unique<ProgramUnderTest>(juce::File(TAVILO_PROGRAM), home,
                                                     home.getChildFile("tavilo-" + juce::String(run) + ".log"));
        window = waitForWindow("Tavilo", 40000);
        ASSERT_TRUE(window.isNotEmpty()) << "no window; log:\n" << log(run);

        // Without a network the start-up update check leaves its warning, which appears once the
        // message loop runs; the user closes it.
        const auto alert = waitForWindow("Update confirmation error", 3000);
        if (alert.isNotEmpty())
        {
            for (int attempt = 0; attempt < 20 && !findWindows("Update confirmation error").isEmpty(); ++attempt)
            {
                requestWindowClose(static_cast<unsigned long>(alert.getLargeIntValue()));
                juce::Thread::sleep(200);
            }
            ASSERT_TRUE(findWindows("Update confirmation error").isEmpty()) << "the warning did not close";
        }

        const auto end = juce::Time::getMillisecondCounter() + 10000;
        while (!connected() && juce::Time::getMillisecondCounter() < end)
            juce::Thread::sleep(100);
        ASSERT_TRUE(connected()) << "the program's outputs never reached the test client; log:\n" << log(run);

        const auto geometry = geometryOf(window);
        runCommand({"xdotool", "mousemove", juce::String(geometry.x + geometry.width / 2),
                    juce::String(geometry.y + geometry.height / 2)});
    }

    juce::String log(int run) const { return home.getChildFile("tavilo-" + juce::String(run) + ".log").loadFileAsString(); }

    bool connected() const
    {
        for (int sink = 0; sink < 2; ++sink)
        {
            auto* port = jack_port_by_name(client->getHandle(), client->sinkPort(sink).c_str());
            if (port == nullptr || jack_port_connected(port) == 0)
                return false;
        }
        return true;
    }

    /** Plays the loops from their start and records the left output, `seconds` long. */
    std::vector<float> playAndRecord(double seconds)
    {
        std::vector<float> left;
        runWithoutXruns(
            [&]
            {
                EXPECT_TRUE(client->playAndRecord({voiceLoop, auxLoop}, static_cast<int>(seconds * sampleRate), true));
                left = client->recorded(0);
                return client->xrunsDuringRecording();
            },
            3);
        return left;
    }

    /** Types keys into the window (focused first: there is no window manager to focus it). */
    void key(const char* keys)
    {
        runCommand({"xdotool", "windowfocus", window});
        runCommand({"xdotool", "key", keys});
    }

    void osc(const char* address)
    {
        runCommand({"oscsend", "localhost", juce::String(oscPort), address});
        juce::Thread::sleep(300);
    }

    /** Connects the remote control as a user does: the settings overlay, its Connect button, close. */
    void connectRemoteControl()
    {
        key("ctrl+comma");
        juce::Thread::sleep(700);
        const auto geometry = geometryOf(window);
        const juce::Point<int> screen(geometry.width, geometry.height - menuBarHeight);
        const auto panel = oscPanelBounds(screen);
        // The OSC panel's button: the right end of its second row (0.4 to 0.8 of its height).
        const int x = geometry.x + panel.getX() + static_cast<int>(0.935 * panel.getWidth());
        const int y = geometry.y + menuBarHeight + panel.getY() + static_cast<int>(0.6 * panel.getHeight());
        runCommand({"xdotool", "mousemove", juce::String(x), juce::String(y), "click", "1"});

        const auto end = juce::Time::getMillisecondCounter() + 3000;
        while (!isUdpPortBound(oscPort) && juce::Time::getMillisecondCounter() < end)
            juce::Thread::sleep(50);
        key("ctrl+comma");
        juce::Thread::sleep(300);
    }

    /** Closes the window as a window manager's close button does and waits for the program to end. */
    void quit(int run)
    {
        int status = -1;
        bool ended = false;
        // A second request if the first went unanswered, as a user clicks again.
        for (int attempt = 0; attempt < 3 && !ended; ++attempt)
        {
            ASSERT_TRUE(requestWindowClose(static_cast<unsigned long>(window.getLargeIntValue())));
            ended = program->waitForExit(10000, status);
        }
        if (!ended)
        {
            const auto stacks = runCommand({"gdb", "-p", juce::String(program->getProcessId()), "-batch", "-ex",
                                            "thread apply all bt"},
                                           60000);
            FAIL() << "the program did not end; log:\n" << log(run) << "\nthreads:\n" << stacks;
        }
        EXPECT_EQ(status, 0);
        program.reset();
    }

    std::unique_ptr<juce::XmlElement> stored(const char* key) const
    {
        juce::PropertiesFile file(settingsFile, tessel::PropertiesFileManager::createOptions());
        return file.getXmlValue(key);
    }

    std::unique_ptr<PrivateJackServer> server;
    std::unique_ptr<JackTestClient> client;
    std::unique_ptr<ProgramUnderTest> program;
    juce::File home = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getChildFile("tavilo-acceptance-" + juce::String::toHexString(juce::Random().nextInt64()));
    juce::File settingsFile, recordings;
    juce::String window;
    int oscPort = 0;
    std::vector<float> speech, target, voiceLoop, auxLoop;
    size_t burstStart = 0;
    std::vector<float> marker;

    /** The delay of the voice in a recording that started with the loops: where the marker came out. */
    int voiceDelay(const std::vector<float>& recorded) const
    {
        return eventDelay(marker, recorded, burstStart, sampleRate / 10);
    }
};

TEST_F(Acceptance, TaviloConvertsMutesDucksRecordsAndKeepsItsSettings)
{
    prepareSettings();
    start(1);

    const double seconds = static_cast<double>(voiceLoop.size()) / sampleRate + 0.5;
    const auto played = repeated(voiceLoop, static_cast<size_t>(seconds * sampleRate));
    const auto speechEnd = speech.size();

    // Bypassed, as stored: the voice comes out delayed by the noise gate's look-ahead and one period.
    const auto bypassed = playAndRecord(seconds);
    const int plainLag = voiceDelay(bypassed);
    std::cout << "voice delay, bypassed: " << plainLag << " samples" << std::endl;
    EXPECT_NEAR(plainLag, 44 + periodSize, 40);

    // The AUX is ducked while the voice is loud: its chord during the sentence against the end of
    // the silence after it.
    {
        const double during = chordLevel(bypassed, speechEnd / 4, speechEnd * 3 / 4);
        const double after = chordLevel(bypassed, burstStart - sampleRate / 4, burstStart);
        EXPECT_GT(after, 0.5 * 0.06) << "the AUX plays while the voice is silent";
        EXPECT_LT(during, 0.2 * after) << "the AUX is lowered while the voice is loud";
    }

    // "/VOICE1" through the remote control selects the first group's model (Tobin for female
    // speakers) and ends the bypass.
    connectRemoteControl();
    ASSERT_TRUE(isUdpPortBound(oscPort)) << "Connect did not bind the OSC port";
    osc("/VOICE1");
    juce::Thread::sleep(2500);
    const auto converted = playAndRecord(seconds);
    const int convertedLag = voiceDelay(converted);
    std::cout << "voice delay, converted: " << convertedLag << " samples" << std::endl;
    // The model shifts the pitch: its time stretcher repeats or drops whole pitch periods, which
    // moves the speech by up to its analysis window (20 ms) around the converter's latency.
    const int expectedLag = plainLag + conversionLatency() + 4;
    const int stretcherJitter = sampleRate / 50;
    EXPECT_NEAR(convertedLag, expectedLag, stretcherJitter)
        << "the voice is delayed by the converter's latency on top of the device's";

    const auto targetSpectrum = averageSpectrum(target, sampleRate);
    const auto inputSpectrum = averageSpectrum(speech, sampleRate);
    const std::vector<float> convertedSpeech(converted.begin() + convertedLag,
                                             converted.begin() + convertedLag + static_cast<long>(speechEnd));
    const auto outputSpectrum = averageSpectrum(convertedSpeech, sampleRate);
    const double before = spectralDistance(inputSpectrum, targetSpectrum);
    const double after = spectralDistance(outputSpectrum, targetSpectrum);
    EXPECT_LT(after, before - 0.5) << "the spectral envelope moves toward the character's";
    EXPECT_GT(spectralDistance(outputSpectrum, inputSpectrum), 1.0);

    // "/MUTEON" silences voice and AUX, "/MUTEOFF" brings both back.
    osc("/MUTEON");
    const auto muted = playAndRecord(1.5);
    // A period damaged by an xrun of the dummy driver may click; the rest is silent.
    EXPECT_LT(fractionAbove(muted, sampleRate / 2, 1e-4), 0.1);
    EXPECT_LT(chordLevel(muted, sampleRate / 2, muted.size()), 1e-4);
    osc("/MUTEOFF");
    const auto unmuted = playAndRecord(1.5);
    EXPECT_GT(rms(unmuted, sampleRate / 2), 0.01);
    EXPECT_GT(chordLevel(unmuted, sampleRate / 2, unmuted.size()), 0.001) << "the AUX plays again";

    // Ctrl+R records the output into a WAV file; Ctrl+R again ends it.
    client->startPlaying({voiceLoop, auxLoop});
    key("ctrl+r");
    juce::Thread::sleep(2000);
    key("ctrl+r");
    juce::Thread::sleep(500);
    client->stopPlaying();
    const auto files = recordings.findChildFiles(juce::File::findFiles, false, "Ostrel_*.wav");
    ASSERT_EQ(files.size(), 1);
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(files[0]));
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->numChannels, 2u);
        EXPECT_EQ(reader->sampleRate, 44100.0);
        EXPECT_EQ(reader->bitsPerSample, 16u);
        EXPECT_GT(reader->lengthInSamples, sampleRate * 3 / 2);
        juce::AudioBuffer<float> buffer(2, static_cast<int>(reader->lengthInSamples));
        reader->read(&buffer, 0, buffer.getNumSamples(), 0, true, true);
        EXPECT_GT(buffer.getRMSLevel(0, 0, buffer.getNumSamples()), 0.01f);
    }

    // A second launch ends at once and leaves the running program alone.
    {
        ProgramUnderTest second(juce::File(TAVILO_PROGRAM), home, home.getChildFile("tavilo-second.log"));
        int status = -1;
        EXPECT_TRUE(second.waitForExit(15000, status)) << "a second instance kept running";
        EXPECT_EQ(findWindows("Tavilo").size(), 1);
        EXPECT_TRUE(program->isRunning());
    }
    const auto firstBoot = stored(tessel::PropertiesFileManager::bootLogKey);
    ASSERT_NE(firstBoot, nullptr);

    // The close button quits; the settings file holds what the user set.
    quit(1);
    const auto device = stored(tessel::PropertiesFileManager::audioDeviceSetupKey);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->getStringAttribute("deviceType"), "JACK");
    EXPECT_EQ(device->getStringAttribute("audioInputDeviceName"), juce::String(client->getName()));
    EXPECT_EQ(device->getStringAttribute("audioOutputDeviceName"), juce::String(client->getName()));
    const auto routing = tessel::RoutingOrders::fromXml(stored(tessel::PropertiesFileManager::audioRoutingSetupKey).get());
    EXPECT_EQ(routing.voice, 0);
    EXPECT_EQ(routing.bgmLeft, 1);
    const auto values = ProcessorSettings::fromXml(
        stored(tessel::PropertiesFileManager::audioProcessorParametersKey).get());
    EXPECT_EQ(values.duckingChoice, 1.0f);
    EXPECT_EQ(values.reverbLevel, 0.0f);
    EXPECT_EQ(values.voiceVocaformBypass, 0.0f) << "the model selection ended the bypass";
    EXPECT_EQ(values.voiceMuteState, 0.0f);
    const auto slots = stored(tessel::PropertiesFileManager::pupackSelectorSlotKey);
    ASSERT_NE(slots, nullptr);
    const int selected = slots->getChildByName("SELECTED_SLOT")->getIntAttribute("SelectedSlot");
    const auto slotIdentifier =
        slots->getChildByName(selected == 0 ? "SLOT_A" : "SLOT_B")->getStringAttribute("Identifier");
    EXPECT_EQ(slotIdentifier, "TobinFemale");
    const auto oscSetup = stored(tessel::PropertiesFileManager::oscSetupKey);
    ASSERT_NE(oscSetup, nullptr);
    EXPECT_EQ(oscSetup->getIntAttribute("PortNumber"), oscPort);

    // A second start restores them: the device, the routing and the converted voice at once; the
    // remote control keeps its port and waits, disconnected, for the user.
    start(2);
    EXPECT_FALSE(isUdpPortBound(oscPort));
    const auto restored = playAndRecord(seconds);
    const int restoredLag = voiceDelay(restored);
    EXPECT_NEAR(restoredLag, expectedLag, stretcherJitter);
    const std::vector<float> restoredSpeech(restored.begin() + restoredLag,
                                            restored.begin() + restoredLag + static_cast<long>(speechEnd));
    EXPECT_LT(spectralDistance(averageSpectrum(restoredSpeech, sampleRate), outputSpectrum), 1.0);
    quit(2);
    EXPECT_EQ(stored(tessel::PropertiesFileManager::oscSetupKey)->getIntAttribute("PortNumber"), oscPort);

    // Every start replaces the boot log.
    const auto secondBoot = stored(tessel::PropertiesFileManager::bootLogKey);
    ASSERT_NE(secondBoot, nullptr);
    EXPECT_EQ(secondBoot->getStringAttribute("ApplicationVersion"), "1.5.0");
    EXPECT_GT(secondBoot->getStringAttribute("UnixTimeMillis").getLargeIntValue(),
              firstBoot->getStringAttribute("UnixTimeMillis").getLargeIntValue());
}
} // namespace

namespace
{
/** The program on a display of 1024 x 768 pixels, smaller than its window's minimum size. */
TEST(SmallScreen, TaviloShowsTheStartupErrorQuitsAndStillLogsTheStart)
{
    const auto home = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getChildFile("tavilo-small-" + juce::String::toHexString(juce::Random().nextInt64()));
    ASSERT_TRUE(home.createDirectory());

    // A second virtual X server of that size, on a free display number.
    int number = 90;
    while (juce::File("/tmp/.X11-unix/X" + juce::String(number)).exists() ||
           juce::File("/tmp/.X" + juce::String(number) + "-lock").exists())
        ++number;
    const auto display = ":" + juce::String(number);
    ProgramUnderTest server(juce::StringArray{"Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {},
                            home.getChildFile("xvfb.log"));
    for (int i = 0; i < 100 && !juce::File("/tmp/.X11-unix/X" + juce::String(number)).exists(); ++i)
        juce::Thread::sleep(50);
    ASSERT_TRUE(internWindowManagerAtoms(display.toRawUTF8())) << "Xvfb did not start on " << display;

    const auto windows = [&](const char* name)
    {
        auto ids = juce::StringArray::fromLines(
            runCommand({"env", "DISPLAY=" + display, "xdotool", "search", "--onlyvisible", "--name",
                        "^" + juce::String(name) + "$"})
                .trim());
        ids.removeEmptyStrings();
        return ids;
    };

    juce::StringPairArray environment;
    environment.set("HOME", home.getFullPathName());
    environment.set("DISPLAY", display);
    environment.set("JACK_NO_START_SERVER", "1");
    ProgramUnderTest program(juce::StringArray{TAVILO_PROGRAM}, environment, home.getChildFile("tavilo.log"));

    juce::StringArray alerts;
    for (int i = 0; i < 200 && alerts.isEmpty(); ++i)
    {
        alerts = windows("Startup Error");
        juce::Thread::sleep(100);
    }
    ASSERT_FALSE(alerts.isEmpty()) << "no startup error";
    EXPECT_TRUE(windows("Tavilo").isEmpty()) << "the main window is not shown";
    EXPECT_TRUE(program.isRunning()) << "the message waits for the user";

    // The start is logged in this outcome too.
    const auto settingsFile = home.getChildFile(".config/Tavilo/Tavilo.settings");
    juce::PropertiesFile settings(settingsFile, tessel::PropertiesFileManager::createOptions());
    const auto bootLog = settings.getXmlValue(tessel::PropertiesFileManager::bootLogKey);
    ASSERT_NE(bootLog, nullptr);
    EXPECT_EQ(bootLog->getStringAttribute("ApplicationVersion"), "1.5.0");

    // Closing the message ends the program.
    requestWindowClose(static_cast<unsigned long>(alerts[0].getLargeIntValue()), display.toRawUTF8());
    int status = -1;
    EXPECT_TRUE(program.waitForExit(15000, status));
    EXPECT_EQ(status, 0);
    program.kill();
    server.kill();
    home.deleteRecursively();
}
} // namespace
