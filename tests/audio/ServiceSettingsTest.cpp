#include "audio/RoutingOrders.h"
#include "processors/ProcessorSettings.h"
#include "support/JuceTestEnvironment.h"
#include "support/ScopedSettingsStore.h"

#include <limits>

using tessel::RoutingOrders;

namespace
{
std::unique_ptr<juce::XmlElement> parse(const char* text)
{
    return juce::parseXML(juce::String(text));
}
} // namespace

TEST(ProcessorSettings, FirstRunMissingAttributesAndStoredValues)
{
    const auto firstRun = ProcessorSettings::fromXml(nullptr);
    EXPECT_EQ(firstRun, ProcessorSettings::firstRun());
    EXPECT_FLOAT_EQ(firstRun.reverbLevel, 0.1f);
    EXPECT_EQ(firstRun.reverbProgram, 1);
    EXPECT_FLOAT_EQ(firstRun.noiseGateLevel, 0.0f);
    EXPECT_FLOAT_EQ(firstRun.voiceOffsetGainLevel, 0.5f);
    EXPECT_FLOAT_EQ(firstRun.voiceVocaformCoefficientGV, 1.0f);
    EXPECT_FLOAT_EQ(firstRun.mixerInputBLevel, 1.0f);

    // An element without attributes: each attribute's own default, not the first-run value.
    const auto empty = parse("<PROCESSORSETUP/>");
    const auto missing = ProcessorSettings::fromXml(empty.get());
    EXPECT_FLOAT_EQ(missing.reverbLevel, 0.3f);
    EXPECT_EQ(missing.reverbProgram, 0);
    EXPECT_FLOAT_EQ(missing.noiseGateLevel, 0.5f);
    EXPECT_FLOAT_EQ(missing.voiceOffsetGainLevel, 0.5f);
    EXPECT_FLOAT_EQ(missing.mixerOutputLevel, 1.0f);

    const auto stored =
        parse("<PROCESSORSETUP VoiceMuteState=\"1\" DuckingChoice=\"0.5\" ReverbLevel=\"0.25\" "
              "ReverbProgram=\"4\" VoiceVocaformBypass=\"1\" VoiceOffsetGainLevel=\"0.75\" "
              "NoiseGateLevel=\"abc\" MixerOutputLevel=\"7\" BGMMuteState=\"nan\" Unknown=\"3\"/>");
    const auto s = ProcessorSettings::fromXml(stored.get());
    EXPECT_FLOAT_EQ(s.voiceMuteState, 1.0f);
    EXPECT_FLOAT_EQ(s.duckingChoice, 0.5f);
    EXPECT_FLOAT_EQ(s.reverbLevel, 0.25f);
    EXPECT_EQ(s.reverbProgram, 4);
    EXPECT_FLOAT_EQ(s.voiceVocaformBypass, 1.0f);
    EXPECT_FLOAT_EQ(s.voiceOffsetGainLevel, 0.75f);
    EXPECT_FLOAT_EQ(s.noiseGateLevel, 0.0f) << "text that is no number reads as 0";
    EXPECT_FLOAT_EQ(s.mixerOutputLevel, 1.0f) << "normalised values stay within 0..1";
    EXPECT_FLOAT_EQ(s.bgmMuteState, 0.0f);
}

TEST(ProcessorSettings, RoundTripThroughTheSettingsFile)
{
    testing_support::ScopedSettingsStore settings;
    ProcessorSettings s;
    s.voiceMuteState = 1.0f;
    s.duckingChoice = 1.0f;
    s.reverbLevel = 0.42f;
    s.reverbProgram = 5;
    s.voiceVocaformBypass = 1.0f;
    s.voiceVocaformCoefficientGV = 0.3f;
    s.voiceOffsetGainLevel = 0.625f;
    s.noiseGateLevel = 0.77f;
    s.mixerInputBLevel = 0.2f;
    s.mixerOutputLevel = 0.9f;
    settings.store().setXml(tessel::PropertiesFileManager::audioProcessorParametersKey, s.toXml());
    settings.saveAndReload();

    const auto* element = settings.store().getXml(tessel::PropertiesFileManager::audioProcessorParametersKey);
    ASSERT_NE(element, nullptr);
    EXPECT_TRUE(element->hasTagName("PROCESSORSETUP"));
    EXPECT_EQ(element->getStringAttribute("ReverbProgram"), "5");
    EXPECT_EQ(ProcessorSettings::fromXml(element), s);
}

TEST(RoutingOrders, MissingAttributesMissingElementAndStereoFlag)
{
    const auto none = RoutingOrders::fromXml(nullptr);
    EXPECT_EQ(none, (RoutingOrders{-1, -1, -1, 0})) << "no element: unassigned, AUX mono";

    const auto withoutFlag = parse("<ROUTINGSETUP Voice=\"0\" BGMLeft=\"1\"/>");
    EXPECT_EQ(RoutingOrders::fromXml(withoutFlag.get()), (RoutingOrders{0, 1, -1, -1}))
        << "a missing stereo flag reads -1, which counts as stereo";

    const auto notNumbers =
        parse("<ROUTINGSETUP Voice=\"x\" BGMLeft=\"2\" BGMRight=\"3\" BGMInputAsStereo=\"0\"/>");
    EXPECT_EQ(RoutingOrders::fromXml(notNumbers.get()), (RoutingOrders{0, 2, 3, 0}));

    testing_support::ScopedSettingsStore settings;
    const RoutingOrders routing{2, 0, 1, 1};
    settings.store().setXml(tessel::PropertiesFileManager::audioRoutingSetupKey, routing.toXml());
    settings.saveAndReload();
    EXPECT_EQ(
        RoutingOrders::fromXml(settings.store().getXml(tessel::PropertiesFileManager::audioRoutingSetupKey)),
        routing);
}
