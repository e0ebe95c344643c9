#pragma once

#include "audio/OstrelAudioService.h"
#include "support/JackDeviceSetup.h"
#include "support/JackTestServer.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"

#include <cmath>
#include <memory>
#include <vector>

/** The audio service on a private JACK server. The test's own client is the device: its three
    sources are the device inputs (voice, AUX left, AUX right), its two sinks receive the device
    outputs. The stored settings route voice = 0, AUX = 1 and 2 (stereo), bypass the conversion and
    switch the reverb's wet signal off, so that levels can be measured exactly. */
class ServiceOnJack : public testing::Test
{
protected:
    static constexpr int sampleRate = 44100;
    static constexpr int periodSize = 256;
    static constexpr float voiceAmplitude = 0.25f;
    static constexpr float auxAmplitude = 0.2f;
    static constexpr double voiceHz = 440.0;
    static constexpr double auxLeftHz = 1000.0;
    static constexpr double auxRightHz = 1500.0;

    void SetUp() override
    {
        server = std::make_unique<testing_support::PrivateJackServer>(
            testing_support::PrivateJackServer::Options{sampleRate, periodSize, 2, 2});
        ASSERT_TRUE(server->isRunning()) << server->getError();
        client = std::make_unique<testing_support::JackTestClient>("tavilo_test", 3, 2);
        ASSERT_TRUE(client->isOpen());
        client->setIdleFunction([] { testing_support::runMessageLoop(2); });

        settings = std::make_unique<testing_support::ScopedSettingsStore>();
        auto& store = settings->store();
        store.setXml(tessel::PropertiesFileManager::audioDeviceSetupKey,
                     testing_support::jackDeviceSetup(juce::String(client->getName()), sampleRate, periodSize));
        store.setXml(tessel::PropertiesFileManager::audioRoutingSetupKey,
                     tessel::RoutingOrders{0, 1, 2, 1}.toXml());
        ProcessorSettings values;
        values.reverbLevel = 0.0f;
        values.voiceVocaformBypass = 1.0f;
        store.setXml(tessel::PropertiesFileManager::audioProcessorParametersKey, values.toXml());
        store.setXml(tessel::PropertiesFileManager::audioRecorderSetupKey,
                     juce::parseXML("<RECORDERSETUP Directory=\"" +
                                    settings->getFolder().getChildFile("recordings").getFullPathName() +
                                    "\"/>"));

        service = std::make_unique<tessel::OstrelAudioService>();
        testing_support::runMessageLoop(200);
        ASSERT_NE(service->getDeviceManager().getCurrentAudioDevice(), nullptr)
            << "the JACK device did not open";
    }

    void TearDown() override
    {
        service.reset();
        client.reset();
        server.reset();
        settings.reset();
    }

    /** A looping sine of whole cycles per second, at the device rate. */
    static std::vector<float> sine(double hz, float amplitude)
    {
        std::vector<float> samples(static_cast<size_t>(sampleRate));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = amplitude * static_cast<float>(std::sin(juce::MathConstants<double>::twoPi * hz *
                                                                 static_cast<double>(i) / sampleRate));
        return samples;
    }

    /** The three test tones on voice, AUX left and AUX right. */
    static std::vector<std::vector<float>> tones()
    {
        return {sine(voiceHz, voiceAmplitude), sine(auxLeftHz, auxAmplitude), sine(auxRightHz, auxAmplitude)};
    }

    /** Records `frames` frames of both outputs, again when the server reported an xrun. */
    void recordClean(int frames)
    {
        const bool clean = testing_support::runWithoutXruns(
            [&]
            {
                EXPECT_TRUE(client->record(frames));
                return client->xrunsDuringRecording();
            });
        if (!clean)
            GTEST_SKIP() << "every attempt had an xrun";
    }

    /** The amplitude of the component at `hz` in the last `length` samples of a recording. */
    static double amplitudeAt(const std::vector<float>& signal, double hz, int length = sampleRate / 2)
    {
        const int start = static_cast<int>(signal.size()) - length;
        if (start < 0)
        {
            ADD_FAILURE() << "a signal of " << signal.size() << " samples is too short to measure";
            return -1.0;
        }
        double s = 0.0, c = 0.0;
        for (int i = 0; i < length; ++i)
        {
            const double phase = juce::MathConstants<double>::twoPi * hz * (start + i) / sampleRate;
            s += signal[static_cast<size_t>(start + i)] * std::sin(phase);
            c += signal[static_cast<size_t>(start + i)] * std::cos(phase);
        }
        return 2.0 * std::sqrt(s * s + c * c) / length;
    }

    static double rms(const std::vector<float>& signal, int start, int length)
    {
        double sum = 0.0;
        for (int i = start; i < start + length; ++i)
            sum += static_cast<double>(signal[static_cast<size_t>(i)]) * signal[static_cast<size_t>(i)];
        return std::sqrt(sum / length);
    }

    void setParameter(const juce::AudioProcessorGraph::Node::Ptr& node, int index, float value)
    {
        const juce::ScopedLock sl(service->getGraphLock());
        node->getProcessor()->getParameters()[index]->setValue(value);
    }

    std::unique_ptr<testing_support::PrivateJackServer> server;
    std::unique_ptr<testing_support::JackTestClient> client;
    std::unique_ptr<testing_support::ScopedSettingsStore> settings;
    std::unique_ptr<tessel::OstrelAudioService> service;
};
