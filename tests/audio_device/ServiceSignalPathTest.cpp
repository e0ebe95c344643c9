#include "ServiceOnJack.h"

#include "app/ErrorMessageManager.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "processors/VocaformProcessor.h"

using tessel::ErrorMessageManager;

namespace
{
struct Levels
{
    double voiceLeft, voiceRight, auxLeftOnLeft, auxLeftOnRight, auxRightOnLeft, auxRightOnRight;
};
} // namespace

class ServiceSignalPath : public ServiceOnJack
{
protected:
    Levels measure()
    {
        testing_support::runMessageLoop(50);
        recordClean(sampleRate);
        const auto& left = client->recorded(0);
        const auto& right = client->recorded(1);
        return {amplitudeAt(left, voiceHz),    amplitudeAt(right, voiceHz),   amplitudeAt(left, auxLeftHz),
                amplitudeAt(right, auxLeftHz), amplitudeAt(left, auxRightHz), amplitudeAt(right, auxRightHz)};
    }
};

TEST_F(ServiceSignalPath, VoiceAndAuxReachTheOutputsWithTheMixerGainsAndMute)
{
    client->startPlaying(tones());

    struct Case
    {
        const char* what;
        std::function<void()> change;
        double voice, aux;
    };
    // The voice is spread at -6 dB to both sides and the reverb's dry path restores it; AUX left
    // and right stay on their sides.
    const std::vector<Case> cases = {
        {"defaults", [] {}, voiceAmplitude, auxAmplitude},
        {"channel B gain 0.5", [&] { setParameter(service->getMixerNode(), 1, 0.5f); }, voiceAmplitude,
         auxAmplitude * 0.5},
        {"output gain 0.5", [&] { setParameter(service->getMixerNode(), 2, 0.5f); }, voiceAmplitude * 0.5,
         auxAmplitude * 0.25},
        {"muted", [&] { service->setMuted(true); }, 0.0, 0.0},
        {"unmuted", [&] { service->setMuted(false); }, voiceAmplitude * 0.5, auxAmplitude * 0.25},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.change();
        const auto levels = measure();
        const double tolerance = 0.01;
        EXPECT_NEAR(levels.voiceLeft, c.voice, tolerance);
        EXPECT_NEAR(levels.voiceRight, c.voice, tolerance);
        EXPECT_NEAR(levels.auxLeftOnLeft, c.aux, tolerance);
        EXPECT_NEAR(levels.auxRightOnRight, c.aux, tolerance);
        EXPECT_LT(levels.auxLeftOnRight, 0.002);
        EXPECT_LT(levels.auxRightOnLeft, 0.002);
    }
}

TEST_F(ServiceSignalPath, DuckingLowersTheAuxWhileTheVoiceIsLoud)
{
    client->startPlaying(tones());
    setParameter(service->getDuckingNode(), 0, 1.0f); // "STRONG"
    testing_support::runMessageLoop(300);
    const auto levels = measure();
    EXPECT_NEAR(levels.voiceLeft, voiceAmplitude, 0.01);
    EXPECT_NEAR(levels.auxLeftOnLeft, auxAmplitude * 0.025, 0.002);
    EXPECT_NEAR(levels.auxRightOnRight, auxAmplitude * 0.025, 0.002);

    // Without the voice the AUX comes back (1.07 s from the strong level to unity).
    client->startPlaying({{}, sine(auxLeftHz, auxAmplitude), sine(auxRightHz, auxAmplitude)});
    testing_support::runMessageLoop(1500);
    const auto quiet = measure();
    EXPECT_NEAR(quiet.auxLeftOnLeft, auxAmplitude, 0.01);
}

TEST_F(ServiceSignalPath, BypassOffRunsTheConversionStage)
{
    client->startPlaying(tones());
    service->setConversionBypassed(false);
    // Without a model the conversion stage passes the voice through its two resampling passes.
    const auto levels = measure();
    EXPECT_NEAR(levels.voiceLeft, voiceAmplitude, 0.01);
    EXPECT_NEAR(levels.auxLeftOnLeft, auxAmplitude, 0.01);
}

TEST_F(ServiceSignalPath, RoutingDecidesWhichInputsFeedTheChain)
{
    client->startPlaying(tones());
    struct Case
    {
        tessel::RoutingOrders routing;
        bool voiceMessage;
        double voice, leftAt1000, leftAt1500, rightAt1500;
    };
    const double half = auxAmplitude;
    const std::vector<Case> cases = {
        // No voice: the message is raised and the AUX still plays.
        {{-1, 1, 2, 1}, true, 0.0, half, 0.0, half},
        // A voice channel the device does not have.
        {{7, 1, 2, 1}, true, 0.0, half, 0.0, half},
        // Mono AUX from input 2: it feeds both sides; AUX right is ignored.
        {{0, 2, 1, 0}, false, voiceAmplitude, 0.0, half, half},
        // A stereo flag of -1 counts as stereo.
        {{0, 1, 2, -1}, false, voiceAmplitude, half, 0.0, half},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "voice " << c.routing.voice << ", AUX " << c.routing.bgmLeft << "/"
                                        << c.routing.bgmRight << ", stereo " << c.routing.bgmInputAsStereo);
        service->setRouting(c.routing);
        service->rebuildGraph();
        EXPECT_EQ(
            ErrorMessageManager::getInstance()->isMessageRaised(ErrorMessageManager::noVoiceInputRouting),
            c.voiceMessage);
        EXPECT_EQ(service->isVoiceConnected(), !c.voiceMessage);
        EXPECT_TRUE(service->isBgmLeftConnected());
        const auto levels = measure();
        EXPECT_NEAR(levels.voiceLeft, c.voice, 0.01);
        EXPECT_NEAR(levels.auxLeftOnLeft, c.leftAt1000, 0.01);
        EXPECT_NEAR(levels.auxRightOnLeft, c.leftAt1500, 0.01);
        EXPECT_NEAR(levels.auxRightOnRight, c.rightAt1500, 0.01);
    }
}

TEST_F(ServiceSignalPath, ConversionWithAModelDelaysTheVoiceByTheEngineLatency)
{
    // A model whose envelope difference is zero gives the voice back unchanged, so what reaches
    // the outputs is the voice delayed by the chain's noise gate (its 44-sample look-ahead), the
    // engine (2141 samples at 44100 Hz), the two resampling passes (2 samples each) and the way
    // out of the test client and back (one period).
    test_models::TestPackageOptions options;
    options.zeroDifference = true;
    const auto bytes = test_models::testPackageBytes(options);
    Pupack model(bytes.data(), bytes.size());
    service->setModel(&model);
    service->setConversionBypassed(false);
    EXPECT_EQ(service->getModel(), &model);
    EXPECT_EQ(service->getVocaform()->getEngineLatencySamples(), 2141);

    // A tone burst every 4410 samples; the loudest output sample marks where a burst came out.
    std::vector<float> bursts(static_cast<size_t>(sampleRate), 0.0f);
    for (size_t start = 0; start + 4410 <= bursts.size(); start += 4410)
        for (size_t i = 0; i < 441; ++i)
            bursts[start + i] =
                0.3f * static_cast<float>(std::sin(juce::MathConstants<double>::pi * i / 441.0));
    int delay = -1;
    const bool clean = testing_support::runWithoutXruns(
        [&]
        {
            EXPECT_TRUE(client->playAndRecord({bursts}, sampleRate, true));
            const auto& left = client->recorded(0);
            // The last 0.5 s: the engine has settled.
            const auto from = left.begin() + sampleRate / 2;
            const auto loudest = std::max_element(from, left.end(),
                                                  [](float a, float b) { return std::abs(a) < std::abs(b); });
            delay = (static_cast<int>(loudest - left.begin()) - 220) % 4410;
            return client->xrunsDuringRecording();
        });
    if (!clean)
        GTEST_SKIP() << "every attempt had an xrun";
    EXPECT_NEAR(delay, (44 + 2141 + 4 + periodSize) % 4410, 2);

    // The model survives a rebuild.
    service->rebuildGraph();
    EXPECT_EQ(service->getModel(), &model);
    service->setModel(nullptr);
}
