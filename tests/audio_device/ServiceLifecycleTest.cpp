#include "ServiceOnJack.h"

#include "app/ErrorMessageManager.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "processors/MixerProcessor.h"
#include "processors/ReverbProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

using tessel::ErrorMessageManager;

namespace
{
struct WavFile
{
    double sampleRate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<float> left, right;
};

WavFile readWav(const juce::File& file)
{
    WavFile wav;
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader(
        format.createReaderFor(new juce::FileInputStream(file), true));
    if (reader == nullptr)
        return wav;
    wav.sampleRate = reader->sampleRate;
    wav.channels = static_cast<int>(reader->numChannels);
    wav.bits = static_cast<int>(reader->bitsPerSample);
    juce::AudioBuffer<float> samples(wav.channels, static_cast<int>(reader->lengthInSamples));
    reader->read(&samples, 0, samples.getNumSamples(), 0, true, true);
    wav.left.assign(samples.getReadPointer(0), samples.getReadPointer(0) + samples.getNumSamples());
    if (wav.channels > 1)
        wav.right.assign(samples.getReadPointer(1), samples.getReadPointer(1) + samples.getNumSamples());
    return wav;
}

/** RMS of consecutive 50-ms windows (whole cycles of the voice tone). */
std::vector<double> envelope(const std::vector<float>& signal)
{
    const size_t window = 2205;
    std::vector<double> windows;
    for (size_t start = 0; start + window <= signal.size(); start += window)
    {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i)
            sum += static_cast<double>(signal[i]) * signal[i];
        windows.push_back(std::sqrt(sum / window));
    }
    return windows;
}
} // namespace

class ServiceLifecycle : public ServiceOnJack
{
protected:
    /** Hands a valid 44100-Hz test model to the service (the conversion stays bypassed). */
    Pupack* installModel()
    {
        const auto bytes = test_models::testPackageBytes();
        model = std::make_unique<Pupack>(bytes.data(), bytes.size());
        service->setModel(model.get());
        return model.get();
    }

    void TearDown() override
    {
        if (service != nullptr)
            service->setModel(nullptr);
        ServiceOnJack::TearDown();
        model.reset();
    }

    std::unique_ptr<Pupack> model;

    /** Plays the voice tone and records 2 s of output while `action` runs on the message thread;
        returns the left output's envelope. */
    std::vector<double> envelopeAround(const std::function<void()>& action)
    {
        client->startPlaying({sine(voiceHz, voiceAmplitude)});
        testing_support::runMessageLoop(300);
        std::vector<double> result;
        const bool clean = testing_support::runWithoutXruns(
            [&]
            {
                // The reset starts 0.3 s into the recording, on the message thread, which the
                // client keeps running while it waits.
                juce::Timer::callAfterDelay(300, action);
                EXPECT_TRUE(client->record(2 * sampleRate));
                result = envelope(client->recorded(0));
                return client->xrunsDuringRecording();
            });
        if (!clean)
            ADD_FAILURE() << "every attempt had an xrun";
        return result;
    }

    static void expectFadeOutAndIn(const std::vector<double>& windows)
    {
        ASSERT_FALSE(windows.empty());
        const double normal = windows.front();
        ASSERT_NEAR(normal, voiceAmplitude / std::sqrt(2.0), 0.01);
        const auto quietest = std::min_element(windows.begin(), windows.end());
        EXPECT_LT(*quietest, 1e-4) << "the output fades to silence";
        EXPECT_NEAR(windows.back(), normal, normal * 0.05) << "and back to the full level";
        // Not a cut: the level falls through intermediate values on the way down.
        const bool gradual = std::any_of(windows.begin(), quietest,
                                         [&](double w) { return w < normal * 0.5 && w > normal * 0.01; });
        EXPECT_TRUE(gradual);
    }
};

TEST_F(ServiceLifecycle, SoftResetFadesOutRebuildsAndFadesInWithTheSameSettings)
{
    setParameter(service->getMixerNode(), 1, 0.5f);
    setParameter(service->getDuckingNode(), 0, 0.5f);
    service->gatherProcessorSettings();
    const auto before = service->getProcessorSettings();
    auto* const chosen = installModel();
    int rebuilds = 0;
    service->onGraphRebuilt = [&] { ++rebuilds; };

    const auto windows = envelopeAround([&] { service->softReset(); });
    expectFadeOutAndIn(windows);
    EXPECT_FALSE(service->getPlayer().isFading());
    EXPECT_GE(rebuilds, 1) << "the chain was rebuilt";
    service->gatherProcessorSettings();
    EXPECT_EQ(service->getProcessorSettings(), before);
    EXPECT_EQ(service->getModel(), chosen);
}

TEST_F(ServiceLifecycle, HardResetReopensTheSameDevice)
{
    auto* const chosen = installModel();
    service->gatherProcessorSettings();
    const auto before = service->getProcessorSettings();
    const auto setupBefore = service->getDeviceManager().getAudioDeviceSetup();

    const auto windows = envelopeAround([&] { service->hardReset(); });
    expectFadeOutAndIn(windows);

    const auto setup = service->getDeviceManager().getAudioDeviceSetup();
    EXPECT_EQ(setup.inputDeviceName, setupBefore.inputDeviceName);
    EXPECT_EQ(setup.outputDeviceName, setupBefore.outputDeviceName);
    EXPECT_EQ(setup.sampleRate, setupBefore.sampleRate);
    EXPECT_EQ(setup.bufferSize, setupBefore.bufferSize);
    service->gatherProcessorSettings();
    EXPECT_EQ(service->getProcessorSettings(), before);
    EXPECT_EQ(service->getModel(), chosen);
}

TEST_F(ServiceLifecycle, BufferSizeChangeRebuildsWithTheSameSettings)
{
    auto* const chosen = installModel();
    setParameter(service->getMixerNode(), 2, 0.5f);
    service->gatherProcessorSettings();
    const auto before = service->getProcessorSettings();
    int rebuilds = 0, deviceChanges = 0;
    service->onGraphRebuilt = [&] { ++rebuilds; };
    service->onDeviceChanged = [&] { ++deviceChanges; };

    // The same setup again: no rebuild, but the change is handled.
    auto& manager = service->getDeviceManager();
    manager.sendChangeMessage();
    testing_support::runMessageLoop(100);
    EXPECT_EQ(rebuilds, 0);
    EXPECT_EQ(deviceChanges, 1);

    // The server's period changes and the device is opened with it.
    ASSERT_TRUE(client->setBufferSize(512));
    auto setup = manager.getAudioDeviceSetup();
    setup.bufferSize = 512;
    EXPECT_EQ(manager.setAudioDeviceSetup(setup, true), juce::String());
    testing_support::runMessageLoop(300);
    EXPECT_EQ(manager.getAudioDeviceSetup().bufferSize, 512);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(service->getPlayer().getBlockSize(), 512);
    service->gatherProcessorSettings();
    EXPECT_EQ(service->getProcessorSettings(), before);
    EXPECT_EQ(service->getModel(), chosen);

    client->startPlaying(tones());
    recordClean(sampleRate);
    EXPECT_NEAR(amplitudeAt(client->recorded(0), voiceHz), voiceAmplitude * 0.5, 0.01);
}

TEST_F(ServiceLifecycle, RecordingDuringPlaybackGivesCompleteFiles)
{
    client->startPlaying(tones());
    testing_support::runMessageLoop(200);
    int stateChanges = 0;
    service->onStateChanged = [&] { ++stateChanges; };
    auto* messages = ErrorMessageManager::getInstance();

    const auto folder = service->getRecordingDirectory();
    const auto name = tessel::OstrelAudioService::recordingFileNameFor(juce::Time::getCurrentTime());
    service->toggleRecording();
    ASSERT_TRUE(service->isRecording());
    EXPECT_TRUE(messages->isMessageRaised(ErrorMessageManager::recording));
    client->waitCycles(sampleRate / periodSize); // about one second
    service->toggleRecording();
    EXPECT_FALSE(service->isRecording());
    EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::recording));
    EXPECT_EQ(stateChanges, 2);

    const auto first = readWav(folder.getChildFile(name));
    EXPECT_EQ(first.sampleRate, 44100.0);
    EXPECT_EQ(first.channels, 2);
    EXPECT_EQ(first.bits, 16);
    EXPECT_GT(first.left.size(), 40000u);
    EXPECT_LT(first.left.size(), 60000u);
    EXPECT_NEAR(amplitudeAt(first.left, voiceHz, 22050), voiceAmplitude, 0.01);
    EXPECT_NEAR(amplitudeAt(first.right, auxRightHz, 22050), auxAmplitude, 0.01);

    // A second recording of the day never replaces the first; a rebuild ends it with a whole
    // file and clears the message.
    service->toggleRecording();
    client->waitCycles(40);
    service->rebuildGraph();
    EXPECT_FALSE(service->isRecording());
    EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::recording));
    EXPECT_EQ(stateChanges, 4);
    const auto second = readWav(folder.getChildFile(name.replace(".wav", "(2).wav")));
    EXPECT_EQ(second.channels, 2);
    EXPECT_GT(second.left.size(), 5000u);
    EXPECT_EQ(readWav(folder.getChildFile(name)).left.size(), first.left.size());
}

TEST_F(ServiceLifecycle, AudioLoggingWritesTheInputAndTheOutput)
{
    client->startPlaying(tones());
    testing_support::runMessageLoop(200);
    const auto folder = settings->getFolder().getChildFile("AudioLog");

    service->toggleAudioLogging();
    ASSERT_TRUE(service->isAudioLogging());
    client->waitCycles(sampleRate / periodSize);
    service->toggleAudioLogging();
    EXPECT_FALSE(service->isAudioLogging());
    // Started again at once, within the same second as a rule: a second pair beside the first.
    service->toggleAudioLogging();
    service->toggleAudioLogging();

    const auto inputs = folder.findChildFiles(juce::File::findFiles, false, "Tavilo_Input_*.wav");
    const auto outputs = folder.findChildFiles(juce::File::findFiles, false, "Tavilo_Output_*.wav");
    ASSERT_EQ(inputs.size(), 2);
    ASSERT_EQ(outputs.size(), 2);

    // The first pair holds the second of audio; the second pair, started within the same second
    // as a rule, has the number 2 in brackets.
    const auto largest = [](const juce::Array<juce::File>& files)
    {
        auto best = files.getFirst();
        for (const auto& f : files)
            if (f.getSize() > best.getSize())
                best = f;
        return best;
    };
    const auto input = largest(inputs);
    const auto output = largest(outputs);
    EXPECT_EQ(input.getFileNameWithoutExtension().length(), juce::String("Tavilo_Input_").length() + 14);
    EXPECT_EQ(output.getFileName().replace("Output", "Input"), input.getFileName());
    for (const auto& f : inputs)
    {
        if (f != input && f.getFileName().contains("("))
        {
            EXPECT_EQ(f.getFileName(), input.getFileName().replace(".wav", "(2).wav"));
        }
    }

    // The input log mixes the device inputs down to two channels (even ones left, odd ones right);
    // the output log holds what the device played.
    const auto in = readWav(input);
    EXPECT_EQ(in.sampleRate, 44100.0);
    EXPECT_NEAR(amplitudeAt(in.left, voiceHz, 22050), voiceAmplitude, 0.01);
    EXPECT_NEAR(amplitudeAt(in.left, auxRightHz, 22050), auxAmplitude, 0.01);
    EXPECT_NEAR(amplitudeAt(in.right, auxLeftHz, 22050), auxAmplitude, 0.01);
    const auto out = readWav(output);
    EXPECT_NEAR(amplitudeAt(out.left, voiceHz, 22050), voiceAmplitude, 0.01);
    EXPECT_NEAR(amplitudeAt(out.left, auxLeftHz, 22050), auxAmplitude, 0.01);
    EXPECT_LT(amplitudeAt(out.left, auxRightHz, 22050), 0.002);
}

TEST_F(ServiceLifecycle, DeviceMessagesAndSettingsTreesAcrossARestart)
{
    auto& manager = service->getDeviceManager();
    auto* messages = ErrorMessageManager::getInstance();
    EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::noOutputDevice));
    EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::noInputDevice));

    // No output device: the message is raised; the device back: cleared.
    auto setup = manager.getAudioDeviceSetup();
    const auto withOutput = setup;
    setup.outputDeviceName = {};
    manager.setAudioDeviceSetup(setup, true);
    testing_support::runMessageLoop(200);
    EXPECT_TRUE(messages->isMessageRaised(ErrorMessageManager::noOutputDevice));
    manager.setAudioDeviceSetup(withOutput, true);
    testing_support::runMessageLoop(200);
    EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::noOutputDevice));

    // Everything the service keeps is written to the file and read back by the next start.
    setParameter(service->getMixerNode(), 1, 0.25f);
    service->getReverb()->setCurrentProgram(3);
    service->setRouting({0, 2, 1, 1});
    service->rebuildGraph();
    service.reset();
    settings->saveAndReload();
    auto& store = settings->store();
    const auto* device = store.getXml(tessel::PropertiesFileManager::audioDeviceSetupKey);
    ASSERT_NE(device, nullptr) << "a device ran, so its state is stored";
    EXPECT_EQ(device->getStringAttribute("deviceType"), "JACK");

    service = std::make_unique<tessel::OstrelAudioService>();
    testing_support::runMessageLoop(200);
    EXPECT_EQ(service->getDeviceManager().getAudioDeviceSetup().inputDeviceName,
              juce::String(client->getName()));
    EXPECT_EQ(service->getRouting(), (tessel::RoutingOrders{0, 2, 1, 1}));
    EXPECT_NEAR(service->getMixerNode()->getProcessor()->getParameters()[1]->getValue(), 0.25f, 1e-6f);
    EXPECT_EQ(service->getReverb()->getCurrentProgram(), 3);
    EXPECT_TRUE(service->isConversionBypassed());
}
