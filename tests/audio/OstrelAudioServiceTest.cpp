#include "audio/OstrelAudioService.h"
#include "app/ErrorMessageManager.h"
#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/ReverbProcessor.h"
#include "processors/VocaformProcessor.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"

using tessel::ErrorMessageManager;
using tessel::OstrelAudioService;
using tessel::PropertiesFileManager;

// These tests run without an audio server: the device manager finds no device, so the chain is
// built and wired against an audio input without channels. The device paths are tested against a
// real JACK server in the audio device suite.

namespace
{
float parameter(const juce::AudioProcessorGraph::Node::Ptr& node, int index)
{
    return node->getProcessor()->getParameters()[index]->getValue();
}

/** Equal up to the rounding of a parameter's normalised value. */
void expectSettingsNear(const ProcessorSettings& a, const ProcessorSettings& b)
{
    const float tolerance = 1e-6f;
    EXPECT_NEAR(a.voiceMuteState, b.voiceMuteState, tolerance);
    EXPECT_NEAR(a.bgmMuteState, b.bgmMuteState, tolerance);
    EXPECT_NEAR(a.duckingChoice, b.duckingChoice, tolerance);
    EXPECT_NEAR(a.reverbLevel, b.reverbLevel, tolerance);
    EXPECT_EQ(a.reverbProgram, b.reverbProgram);
    EXPECT_NEAR(a.voiceVocaformBypass, b.voiceVocaformBypass, tolerance);
    EXPECT_NEAR(a.voiceVocaformCoefficientGV, b.voiceVocaformCoefficientGV, tolerance);
    EXPECT_NEAR(a.voiceOffsetGainLevel, b.voiceOffsetGainLevel, tolerance);
    EXPECT_NEAR(a.noiseGateLevel, b.noiseGateLevel, tolerance);
    EXPECT_NEAR(a.mixerInputBLevel, b.mixerInputBLevel, tolerance);
    EXPECT_NEAR(a.mixerOutputLevel, b.mixerOutputLevel, tolerance);
}

void clearMessages()
{
    auto* messages = ErrorMessageManager::getInstance();
    for (int code = 2; code <= 5; ++code)
        messages->clearMessage(code);
}
} // namespace

TEST(OstrelAudioService, FirstStartWithoutSettings)
{
    testing_support::ScopedSettingsStore settings;
    clearMessages();
    {
        OstrelAudioService service;
        testing_support::runMessageLoop(100);

        EXPECT_EQ(service.getRouting(), (tessel::RoutingOrders{-1, -1, -1, 0}));
        EXPECT_FALSE(service.isVoiceConnected());
        auto* messages = ErrorMessageManager::getInstance();
        EXPECT_TRUE(messages->isMessageRaised(ErrorMessageManager::noVoiceInputRouting));
        EXPECT_TRUE(messages->isMessageRaised(ErrorMessageManager::noInputDevice));
        EXPECT_TRUE(messages->isMessageRaised(ErrorMessageManager::noOutputDevice));

        service.gatherProcessorSettings();
        expectSettingsNear(service.getProcessorSettings(), ProcessorSettings::firstRun());
        EXPECT_EQ(service.getReverb()->getCurrentProgram(), 1);
        EXPECT_NEAR(parameter(service.getReverbNode(), 1), 0.1f, 1e-6f);
        EXPECT_EQ(service.getRecordingDirectory(), OstrelAudioService::defaultRecordingDirectory());
        EXPECT_EQ(service.getVocaform()->getConversionRate(), 44100.0) << "prepared without a model";

        // Without a running device nothing can be recorded, and nothing claims otherwise.
        int stateChanges = 0;
        service.onStateChanged = [&] { ++stateChanges; };
        service.toggleRecording();
        EXPECT_FALSE(service.isRecording());
        EXPECT_FALSE(messages->isMessageRaised(ErrorMessageManager::recording));
        EXPECT_EQ(stateChanges, 0);
    }

    // Destroying the service stored its trees; without an opened device there is no device state.
    auto& store = settings.store();
    EXPECT_EQ(store.getXml(PropertiesFileManager::audioDeviceSetupKey), nullptr);
    const auto* routing = store.getXml(PropertiesFileManager::audioRoutingSetupKey);
    ASSERT_NE(routing, nullptr);
    EXPECT_EQ(routing->getIntAttribute("Voice", 99), -1);
    EXPECT_EQ(routing->getIntAttribute("BGMInputAsStereo", 99), 0);
    const auto* recorder = store.getXml(PropertiesFileManager::audioRecorderSetupKey);
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->getStringAttribute("Directory"),
              OstrelAudioService::defaultRecordingDirectory().getFullPathName());
    expectSettingsNear(
        ProcessorSettings::fromXml(store.getXml(PropertiesFileManager::audioProcessorParametersKey)),
        ProcessorSettings::firstRun());
}

TEST(OstrelAudioService, StoredValuesAreAppliedAndSurviveRebuilds)
{
    testing_support::ScopedSettingsStore settings;
    auto& store = settings.store();
    store.setXml(PropertiesFileManager::audioProcessorParametersKey,
                 juce::parseXML("<PROCESSORSETUP DuckingChoice=\"0.5\" VoiceOffsetGainLevel=\"0.75\" "
                                "ReverbProgram=\"2\" ReverbLevel=\"0.2\" VoiceVocaformBypass=\"1\" "
                                "MixerInputBLevel=\"0.4\" BGMMuteState=\"1\"/>"));
    const auto recordings = settings.getFolder().getChildFile("recordings");
    store.setXml(PropertiesFileManager::audioRecorderSetupKey,
                 juce::parseXML("<RECORDERSETUP Directory=\"" + recordings.getFullPathName() + "\"/>"));

    OstrelAudioService service;
    EXPECT_EQ(service.getRecordingDirectory(), recordings);

    const auto check = [&](const char* when)
    {
        SCOPED_TRACE(when);
        auto* ducking = dynamic_cast<juce::AudioParameterChoice*>(service.getDucking()->getParameters()[0]);
        EXPECT_EQ(ducking->getCurrentChoiceName(), "WEAK");
        auto* gain = dynamic_cast<juce::AudioParameterFloat*>(service.getGain()->getParameters()[0]);
        EXPECT_NEAR(gain->get(), 6.0f, 1e-4f);
        EXPECT_EQ(service.getReverb()->getCurrentProgram(), 2);
        EXPECT_NEAR(parameter(service.getReverbNode(), 1), 0.2f, 1e-6f);
        EXPECT_TRUE(service.isConversionBypassed());
        EXPECT_NEAR(parameter(service.getMixerNode(), 1), 0.4f, 1e-6f);
        EXPECT_EQ(parameter(service.getBgmMuteNode(), 0), 1.0f);
        EXPECT_EQ(parameter(service.getVoiceMuteNode(), 0), 0.0f);
        EXPECT_EQ(parameter(service.getMixerNode(), 0), 1.0f) << "channel A gain is not kept";
    };
    check("after construction");

    service.getMixerNode()->getProcessor()->getParameters()[0]->setValue(0.3f);
    int rebuilt = 0, called = 0;
    service.onGraphRebuilt = [&] { ++rebuilt; };
    service.rebuildGraph([&] { ++called; });
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(called, 1);
    check("after a rebuild");

    // The operations of the commands.
    int stateChanges = 0;
    service.onStateChanged = [&] { ++stateChanges; };
    service.setMuted(true);
    EXPECT_TRUE(service.isMuted());
    EXPECT_EQ(parameter(service.getBgmMuteNode(), 0), 1.0f);
    service.setMuted(false);
    EXPECT_EQ(parameter(service.getBgmMuteNode(), 0), 0.0f);
    EXPECT_EQ(stateChanges, 2);
    service.setConversionBypassed(false);
    EXPECT_FALSE(service.isConversionBypassed());
    service.setOffsetDecibel(-6.0f);
    EXPECT_NEAR(parameter(service.getGainNode(), 0), 0.25f, 1e-6f);
    service.setOffsetDecibel(40.0f);
    EXPECT_EQ(parameter(service.getGainNode(), 0), 1.0f);

    // A save hands every tree to the store.
    store.save();
    settings.saveAndReload();
    const auto saved =
        ProcessorSettings::fromXml(store.getXml(PropertiesFileManager::audioProcessorParametersKey));
    EXPECT_EQ(saved.voiceVocaformBypass, 0.0f);
    EXPECT_EQ(saved.voiceOffsetGainLevel, 1.0f);
    EXPECT_EQ(saved.duckingChoice, 0.5f);
    EXPECT_EQ(saved.reverbProgram, 2);
    EXPECT_EQ(store.getXml(PropertiesFileManager::audioRecorderSetupKey)->getStringAttribute("Directory"),
              recordings.getFullPathName());
}

TEST(OstrelAudioService, EmptyRecordingDirectoryGivesTheDefaultFolder)
{
    testing_support::ScopedSettingsStore settings;
    settings.store().setXml(PropertiesFileManager::audioRecorderSetupKey,
                            juce::parseXML("<RECORDERSETUP Directory=\"\"/>"));
    OstrelAudioService service;
    EXPECT_EQ(service.getRecordingDirectory(), OstrelAudioService::defaultRecordingDirectory());
    EXPECT_EQ(OstrelAudioService::recordingFileNameFor(juce::Time(2020, 3, 14, 1, 59, 7)),
              "Ostrel_20200414.wav");
    EXPECT_EQ(OstrelAudioService::audioLogTimestamp(juce::Time(2020, 3, 14, 1, 59, 7)), "20200414015907");
}
