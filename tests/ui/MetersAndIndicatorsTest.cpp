#include "processors/DuckingProcessor.h"
#include "support/JuceTestEnvironment.h"
#include "tests/ui/TestChain.h"
#include "tests/ui/UiTestEnvironment.h"
#include "ui/DuckingUI.h"
#include "ui/InterfaceImages.h"
#include "ui/LevelMeter.h"
#include "ui/Palette.h"
#include "ui/SignalFlowUI.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel
{
namespace
{
using test::constantSignal;
using test::TestChain;
using testing_support::runMessageLoop;

float decibelsToReading(float dB)
{
    return std::pow(10.0f, dB / 20.0f);
}

TEST(LevelMeter, MapsTheReadingInDecibelsLinearlyFromMinus65ToPlus12)
{
    const struct
    {
        const char* name;
        float reading;
        float level;
    } cases[] = {
        {"0 dB fills 65/77", 1.0f, 65.0f / 77.0f},
        {"+12 dB is full", decibelsToReading(12.0f), 1.0f},
        {"+20 dB stays full", 10.0f, 1.0f},
        {"-65 dB is empty", decibelsToReading(-65.0f), 0.0f},
        {"-80 dB is empty", decibelsToReading(-80.0f), 0.0f},
        {"-20 dB", 0.1f, 45.0f / 77.0f},
        {"silence", 0.0f, 0.0f},
        {"a negative reading", -0.5f, 0.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(LevelMeter::levelForReading(c.reading, -65.0f, 12.0f), c.level, 1e-5f);
    }
}

TEST(LevelMeter, FollowsTheProcessorEveryTickAndIgnoresAnEmptyNode)
{
    TestChain chain;
    LevelMeter meter;
    float lastReading = 0.0f;
    meter.setUpdateCallback([&]
                            { meter.updateFromProcessor(TestChain::of(chain.inputMeterNode), lastReading); });

    auto full = constantSignal(1, 4000, 1.0f);
    chain.feed(chain.inputMeterNode, full);
    runMessageLoop(150);
    EXPECT_NEAR(meter.getLevel(), 65.0f / 77.0f, 1e-5f);
    EXPECT_EQ(lastReading, 1.0f);

    auto quiet = constantSignal(1, 4000, 0.1f);
    chain.feed(chain.inputMeterNode, quiet);
    runMessageLoop(150);
    EXPECT_NEAR(meter.getLevel(), 45.0f / 77.0f, 1e-4f);

    // A node that is empty (or holds another processor) leaves the meter as it is.
    meter.setUpdateCallback([&] { meter.updateFromProcessor(TestChain::of(chain.emptyNode), lastReading); });
    runMessageLoop(100);
    meter.setUpdateCallback([&] { meter.updateFromProcessor(TestChain::of(chain.mixerNode), lastReading); });
    runMessageLoop(100);
    EXPECT_NEAR(meter.getLevel(), 45.0f / 77.0f, 1e-4f);
}

TEST(LevelMeter, BarGrowsFromTheBottomUnderTheScale)
{
    LevelMeter meter;
    meter.setBounds(0, 0, 151, 530);
    meter.scale.setVisible(false); // the bar alone

    meter.setLevel(0.0f);
    EXPECT_EQ(test::countVisiblePixels(test::renderComponent(meter)), 0);

    meter.setLevel(0.5f);
    const auto half = test::renderComponent(meter);
    int visibleTop = 0, visibleBottom = 0;
    for (int y = 0; y < 530; ++y)
        for (int x = 0; x < 151; ++x)
            if (half.getPixelAt(x, y).getAlpha() > 0)
                ++(y < 265 ? visibleTop : visibleBottom);
    // The lower half of the (segmented) fill picture, pixel for pixel.
    const auto fillPicture = getInterfaceImage("level_meter_max_gradient.png");
    int pictureBottom = 0;
    for (int y = 265; y < 530; ++y)
        for (int x = 0; x < 151; ++x)
            if (fillPicture.getPixelAt(x, y).getAlpha() > 0)
                ++pictureBottom;
    EXPECT_EQ(visibleTop, 0);
    EXPECT_NEAR(visibleBottom, pictureBottom, pictureBottom / 50);

    // At full level the bar is the fill picture itself, untinted.
    meter.setLevel(1.0f);
    const auto image = test::renderComponent(meter);
    const auto fill = getInterfaceImage("level_meter_max_gradient.png");
    for (const auto& p : {juce::Point<int>(75, 10), juce::Point<int>(75, 265), juce::Point<int>(75, 520)})
        EXPECT_TRUE(test::near(image.getPixelAt(p.x, p.y), fill.getPixelAt(p.x, p.y), 4)) << p.toString();
}

TEST(LevelMeter, ScaleIsFittedUniformlyAndCentred)
{
    LevelMeter meter;
    meter.setBounds(0, 0, 302, 2000); // twice the picture's width: 1060 high, centred vertically
    const auto bounds = meter.scale.getBoundsInParent();
    EXPECT_EQ(bounds, juce::Rectangle<int>(0, 470, 302, 1060));
}

struct DuckingIndicators : ::testing::Test
{
    void SetUp() override
    {
        panel.setBounds(0, 0, 400, 280);
        choice = dynamic_cast<juce::AudioParameterChoice*>(
            chain.processor<DuckingProcessor>(chain.duckingNode).getParameters()[0]);
    }

    void select(int index) { *choice = index; }

    void speak()
    {
        auto voice = constantSignal(3, 3000, 1.0f);
        chain.feed(chain.duckingNode, voice);
    }

    juce::Colour rippleColour() { return panel.ripple.drawable.getOverlayColour(); }
    float dotOpacity() { return panel.reactor.drawable.getOpacity(); }

    TestChain chain;
    DuckingUI panel{TestChain::of(chain.duckingNode)};
    juce::AudioParameterChoice* choice = nullptr;
};

TEST_F(DuckingIndicators, RippleLightsWithTheVoiceAndTheDotWhileTheAuxIsLowered)
{
    runMessageLoop(100);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::guideGrey));
    EXPECT_EQ(dotOpacity(), 0.0f);

    select(1);
    speak();
    runMessageLoop(100);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::activeCyan));
    EXPECT_EQ(dotOpacity(), 1.0f);

    // Long silence: the voice leaves the window and the gain climbs back to 1.
    auto silence = constantSignal(3, 44100 * 2, 0.0f);
    chain.feed(chain.duckingNode, silence);
    runMessageLoop(100);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::guideGrey));
    EXPECT_EQ(dotOpacity(), 0.0f);
}

TEST_F(DuckingIndicators, DotStaysDarkUnderOffEvenWhileTheGainIsStillBelowOne)
{
    select(2);
    speak();
    select(0);
    auto moreVoice = constantSignal(3, 512, 1.0f);
    chain.feed(chain.duckingNode, moreVoice);
    ASSERT_LT(chain.processor<DuckingProcessor>(chain.duckingNode).getGain(), 1.0f);

    runMessageLoop(100);
    EXPECT_EQ(dotOpacity(), 0.0f);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::activeCyan)) << "the voice is still heard";
}

TEST_F(DuckingIndicators, DisabledPanelForcesGreyAndDarkAndShowsTheTruthWhenEnabledAgain)
{
    select(1);
    speak();
    runMessageLoop(100);
    ASSERT_EQ(dotOpacity(), 1.0f);

    juce::Component parent;
    parent.addAndMakeVisible(panel);
    parent.setEnabled(false);
    runMessageLoop(100);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::guideGrey));
    EXPECT_EQ(dotOpacity(), 0.0f);

    parent.setEnabled(true);
    runMessageLoop(100);
    EXPECT_EQ(rippleColour(), juce::Colour(palette::activeCyan));
    EXPECT_EQ(dotOpacity(), 1.0f);
    parent.removeChildComponent(&panel);
}

TEST(SignalFlow, LayersStartAtTheirPulseOpacitiesAndBypassSwapsAllFourKeepingThem)
{
    SignalFlowUI flow;
    const float expected[4] = {0.620f, 0.656f, 0.367f, 0.910f};

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(flow.flow[(size_t)i].getOpacity(), expected[i], 0.0015f) << i;
        EXPECT_EQ(flow.flow[(size_t)i].getImage(),
                  getInterfaceImage("signalflow_bypass_off_" + juce::String(i + 1) + "of4.png"));
        EXPECT_EQ(flow.flow[(size_t)i].getOverlayColour(), juce::Colour(palette::activeCyan));
    }

    flow.setBypass(true);
    EXPECT_TRUE(flow.isBypassed());
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(flow.flow[(size_t)i].getImage(),
                  getInterfaceImage("signalflow_bypass_on_" + juce::String(i + 1) + "of4.png"));
        EXPECT_NEAR(flow.flow[(size_t)i].getOpacity(), expected[i], 0.0015f) << i;
    }

    flow.setBypass(false);
    EXPECT_EQ(flow.flow[0].getImage(), getInterfaceImage("signalflow_bypass_off_1of4.png"));
}

TEST(SignalFlow, PulseStepAdvancesTheTriangleWaveAndWraps)
{
    EXPECT_NEAR(SignalFlowUI::opacityForPhase(0.0f), 0.15f, 1e-6f);
    EXPECT_NEAR(SignalFlowUI::opacityForPhase(juce::MathConstants<float>::pi), 1.0f, 1e-6f);
    EXPECT_NEAR(SignalFlowUI::opacityForPhase(1.5f * juce::MathConstants<float>::pi), 0.575f, 1e-6f);

    SignalFlowUI flow;
    const float before = flow.pulses[3].phase;
    for (int i = 0; i < 20; ++i)
        flow.advancePulse();
    const float expected = std::fmod(before + 20.0f * 0.55702f, juce::MathConstants<float>::twoPi);
    EXPECT_NEAR(flow.pulses[3].phase, expected, 1e-4f);
    EXPECT_NEAR(flow.flow[3].getOpacity(), SignalFlowUI::opacityForPhase(expected), 1e-4f);
}

TEST(SignalFlow, LayersFollowTheMiddleRowAndIgnoreTheMouse)
{
    SignalFlowUI flow;
    flow.setBounds(0, 0, 1600, 1000);
    EXPECT_EQ(flow.getComponentAt(800, 500), nullptr);

    // Flow box: x = m0 + l, y = 0.41680825 H, g wide, f high (see SignalFlowUI::resized); the 2154 x 792
    // pictures are limited by the box's width.
    const float m0 = 0.0139f * 1600.0f, inner = 1600.0f - 2.0f * m0;
    const float l = (2.0f * inner / 6.0f) * 0.38197097f * 0.5f, s = inner / 6.0f, g = inner - l - s;
    const float e = 0.5216165f * 1000.0f, d = 0.28238344f * 1000.0f * 0.618f, f = 0.5f * e + d;
    const auto box = juce::Rectangle<float>(m0 + l, 416.80825f, g, f);
    const auto fitted = juce::RectanglePlacement(juce::RectanglePlacement::centred)
                            .appliedTo(juce::Rectangle<float>(0, 0, 2154, 792), box);

    for (auto& layer : flow.flow)
    {
        const auto bounds = layer.getBoundsInParent();
        EXPECT_NEAR(bounds.getX(), fitted.getX(), 1.0f);
        EXPECT_NEAR(bounds.getY(), fitted.getY(), 1.0f);
        EXPECT_NEAR(bounds.getWidth(), fitted.getWidth(), 1.5f);
    }

    const auto annotationBox =
        juce::Rectangle<float>(m0 + l + g - 2.5f * s - 5.0f + s, 416.80825f + 0.5f * e, s, d);
    EXPECT_TRUE(annotationBox.expanded(1.0f).contains(flow.annotation.getBoundsInParent().toFloat()));
}
} // namespace
} // namespace tessel
