#include "tests/ui/UiTestEnvironment.h"
#include "ui/InterfaceImages.h"
#include "ui/LookAndFeel_Ostrel.h"
#include "ui/Palette.h"
#include "ui/UIScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel
{
namespace
{
using test::near;
using test::pixel;
using test::renderComponent;

/** Stands in for the main screen: its height sets the interface scale. */
struct ScreenStandIn : juce::Component, UIScaleRoot
{
    explicit ScreenStandIn(int height) { setSize(height * 16 / 10, height); }
};

juce::Colour colour(juce::uint32 argb)
{
    return juce::Colour(argb);
}

juce::Image blankImage(int w, int h)
{
    return juce::Image(juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
}

float degrees(float radians)
{
    return juce::radiansToDegrees(radians);
}

TEST(LookAndFeel, KnobAngleSweeps280DegreesLinearlyOverTheRange)
{
    EXPECT_NEAR(degrees(LookAndFeel_Ostrel::getKnobAngle(0.0, 0.0, 100.0)), -140.0f, 1e-4f);
    EXPECT_NEAR(degrees(LookAndFeel_Ostrel::getKnobAngle(100.0, 0.0, 100.0)), 140.0f, 1e-4f);
    EXPECT_NEAR(degrees(LookAndFeel_Ostrel::getKnobAngle(50.0, 0.0, 100.0)), 0.0f, 1e-4f);
    EXPECT_NEAR(degrees(LookAndFeel_Ostrel::getKnobAngle(-5.0, -10.0, 10.0)), -70.0f, 1e-4f);
    EXPECT_NEAR(degrees(LookAndFeel_Ostrel::getKnobAngle(3.0, 3.0, 3.0)), -140.0f, 1e-4f) << "empty range";
}

TEST(LookAndFeel, KnobPointerAndArcLandWhereTheValueSays)
{
    // Without the guide and wheel drawn on top, the white pointer and the cyan arc are all there is.
    LookAndFeel_Ostrel lf(
        [](const juce::String& name) {
            return name == "knob_guide.png" || name == "knob_wheel.png" ? juce::Image()
                                                                        : getInterfaceImage(name);
        });
    juce::Slider knob(juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    knob.setLookAndFeel(&lf);
    knob.setRange(0.0, 100.0);
    knob.setSkewFactor(0.3); // the knob ignores the skew
    knob.setBounds(0, 0, 200, 200);

    // The pointer is a bar from 0.14 to 0.30 of the knob size out from the centre.
    auto pointerAt = [](const juce::Image& image, float angleDegrees)
    {
        const float a = juce::degreesToRadians(angleDegrees);
        return pixel(image, juce::roundToInt(100.0f + 45.0f * std::sin(a)),
                     juce::roundToInt(100.0f - 45.0f * std::cos(a)));
    };
    const auto top = juce::Point<int>(100, 10); // on the arc (radius 0.45 * 200) straight up

    knob.setValue(0.0, juce::dontSendNotification);
    auto image = renderComponent(knob);
    EXPECT_TRUE(near(pointerAt(image, -140.0f), juce::Colours::white, 8));
    EXPECT_EQ(pointerAt(image, 140.0f).getAlpha(), 0);
    EXPECT_EQ(pointerAt(image, 0.0f).getAlpha(), 0);
    EXPECT_EQ(pixel(image, top.x, top.y).getAlpha(), 0) << "no arc at the minimum";

    knob.setValue(100.0, juce::dontSendNotification);
    image = renderComponent(knob);
    EXPECT_TRUE(near(pointerAt(image, 140.0f), juce::Colours::white, 8));
    EXPECT_EQ(pointerAt(image, -140.0f).getAlpha(), 0);
    EXPECT_TRUE(near(pixel(image, top.x, top.y), colour(palette::activeCyan)));
    EXPECT_EQ(pixel(image, 100, 190).getAlpha(), 0) << "the 80-degree gap at the bottom";

    knob.setValue(50.0, juce::dontSendNotification);
    EXPECT_TRUE(near(pointerAt(renderComponent(knob), 0.0f), juce::Colours::white, 8))
        << "linear, not skewed";
}

struct LayoutCase
{
    const char* name;
    juce::Slider::SliderStyle style;
    juce::Slider::TextEntryBoxPosition textBox;
    int width;
    int height;
    juce::Rectangle<int> sliderBounds;
    juce::Rectangle<int> textBoxBounds;
    int thumb;
};

TEST(LookAndFeel, SliderLayoutLeavesHalfTheThumbAtEachEnd)
{
    using S = juce::Slider;
    const LayoutCase cases[] = {
        {"horizontal 40 high", S::LinearHorizontal, S::NoTextBox, 200, 40, {20, 0, 160, 40}, {}, 40},
        {"vertical 30 wide", S::LinearVertical, S::NoTextBox, 30, 200, {0, 15, 30, 170}, {}, 30},
        {"text box left",
         S::LinearHorizontal,
         S::TextBoxLeft,
         200,
         40,
         {70, 0, 110, 40},
         {0, 10, 50, 20},
         40},
        {"text box below",
         S::LinearVertical,
         S::TextBoxBelow,
         40,
         200,
         {0, 20, 40, 140},
         {0, 180, 40, 20},
         40},
        {"too short to travel", S::LinearHorizontal, S::NoTextBox, 30, 40, {20, 0, 0, 40}, {}, 40},
        {"bar", S::LinearBar, S::TextBoxLeft, 200, 40, {1, 1, 198, 38}, {0, 0, 200, 40}, 40},
    };

    auto& lf = test::sharedLookAndFeel();

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        juce::Slider slider(c.style, c.textBox);
        slider.setTextBoxStyle(c.textBox, false, 50, 20);
        slider.setSize(c.width, c.height);

        const auto layout = lf.getSliderLayout(slider);
        EXPECT_EQ(layout.sliderBounds, c.sliderBounds);
        EXPECT_EQ(layout.textBoxBounds, c.textBoxBounds);
        EXPECT_EQ(lf.getSliderThumbRadius(slider), c.thumb);
    }
}

TEST(LookAndFeel, LinearSliderTrackAndThumb)
{
    juce::Slider slider(juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setRange(0.0, 100.0);
    slider.setValue(50.0, juce::dontSendNotification);
    slider.setBounds(0, 0, 200, 40);
    const auto image = renderComponent(slider);
    const auto green = colour(palette::levelGreen);
    const auto grey = colour(palette::guideGrey);

    // The track is 10 pixels thick around y = 20 and runs from x = 20 to x = 180.
    EXPECT_TRUE(near(pixel(image, 21, 20), green));
    EXPECT_TRUE(near(pixel(image, 60, 16), green));
    EXPECT_TRUE(near(pixel(image, 60, 24), green));
    EXPECT_EQ(pixel(image, 60, 13).getAlpha(), 0);
    EXPECT_EQ(pixel(image, 60, 26).getAlpha(), 0);
    EXPECT_TRUE(near(pixel(image, 179, 20), grey));
    EXPECT_EQ(pixel(image, 18, 20).getAlpha(), 0);
    EXPECT_EQ(pixel(image, 182, 20).getAlpha(), 0);

    // The thumb picture fills a 40-pixel square centred on the value.
    const auto thumbCentre = pixel(image, 100, 20);
    EXPECT_GT(thumbCentre.getAlpha(), 200);
    EXPECT_FALSE(near(thumbCentre, green, 40));
    EXPECT_GT(pixel(image, 100, 5).getAlpha(), 200) << "the thumb's ring, 15 pixels above its centre";
    EXPECT_EQ(pixel(image, 100, 0).getAlpha(), 0) << "the square's transparent corner area";
}

TEST(LookAndFeel, ComboBoxFontByStyleKey)
{
    struct Case
    {
        const char* id;
        int height;
        float expected;
    };
    const Case cases[] = {
        {"OstrelStyle_VoiceModelComboBox_HideLabel", 30, 0.1f},
        {"Plain_HideLabel", 30, 0.1f},
        {"OstrelStyle_SpaceTypeDropDown", 20, 16.0f},
        {"OstrelStyle_SpaceTypeDropDown", 50, 25.0f},
        {"", 10, 8.5f},
        {"", 30, 16.0f},
        {"ostrelstyle_lower_case", 10, 8.5f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(juce::String(c.id) + " " + juce::String(c.height));
        juce::ComboBox box;
        box.setComponentID(c.id);
        box.setSize(200, c.height);
        EXPECT_NEAR(test::sharedLookAndFeel().getComboBoxFont(box).getHeight(), c.expected, 1e-4f);
    }
}

TEST(LookAndFeel, TextButtonFontIsAtLeast16)
{
    juce::TextButton button;
    auto& lf = test::sharedLookAndFeel();
    EXPECT_FLOAT_EQ(lf.getTextButtonFont(button, 20).getHeight(), 16.0f);
    EXPECT_FLOAT_EQ(lf.getTextButtonFont(button, 100).getHeight(), 40.0f);
}

struct BackgroundCase
{
    const char* name;
    const char* id;
    bool toggled;
    bool over;
    bool down;
    juce::Colour centre; // transparent: nothing drawn anywhere
    int tolerance;
};

TEST(LookAndFeel, ButtonBackgroundFollowsTheStyleKey)
{
    const auto blue = colour(palette::accentBlue);
    const auto fill = colour(palette::genericFill);
    // The default small-button image has a 14 % fill inside its outline, the selected one is solid.
    const BackgroundCase cases[] = {
        {"styled off", "OstrelStyle_MuteButton", false, false, false, blue.withAlpha(0.14f), 6},
        {"styled on", "OstrelStyle_MuteButton", true, false, false, blue, 3},
        {"styled on, pressed", "OstrelStyle_MuteButton", true, true, true, blue.withAlpha(0.75f), 3},
        {"transparent", "Transparent_PupackSlotButton", true, true, false, juce::Colours::transparentBlack,
         0},
        {"generic", "OstrelGeneric_SoftResetButton", false, false, false, fill, 2},
        {"generic under the mouse", "OstrelGeneric_SoftResetButton", false, true, false,
         fill.contrasting(0.2f), 2},
        {"generic pressed", "OstrelGeneric_HardResetButton", false, true, true,
         juce::Colours::green.contrasting(0.5f), 2},
    };

    ScreenStandIn screen(900); // scale 0.5: the small button's corners are 10 and 9 pixels
    auto& lf = test::sharedLookAndFeel();

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        juce::TextButton button;
        screen.addChildComponent(button);
        button.setComponentID(c.id);
        button.setToggleState(c.toggled, juce::dontSendNotification);
        button.setColour(juce::TextButton::buttonColourId, blue);
        button.setColour(juce::TextButton::buttonOnColourId, juce::Colours::red);
        button.setBounds(0, 0, 80, 30);

        auto image = blankImage(80, 30);
        {
            juce::Graphics g(image);
            lf.drawButtonBackground(g, button, button.findColour(juce::TextButton::buttonColourId), c.over,
                                    c.down);
        }

        if (c.centre.isTransparent())
        {
            EXPECT_EQ(test::countVisiblePixels(image), 0);
            continue;
        }

        EXPECT_TRUE(near(pixel(image, 40, 15), c.centre, c.tolerance))
            << pixel(image, 40, 15).toDisplayString(true) << " expected " << c.centre.toDisplayString(true);

        if (juce::String(c.id).contains("OstrelStyle"))
            EXPECT_GT(pixel(image, 1, 15).getAlpha(), pixel(image, 40, 15).getAlpha() - 1) << "outline";
        else
            EXPECT_TRUE(near(pixel(image, 0, 15), colour(palette::genericOutline), 3)) << "outline";
    }

    // Without a style key: V4's rounded rectangle, which leaves the very corner empty.
    juce::TextButton plain;
    plain.setColour(juce::TextButton::buttonColourId, blue);
    plain.setBounds(0, 0, 80, 30);
    auto image = blankImage(80, 30);
    {
        juce::Graphics g(image);
        lf.drawButtonBackground(g, plain, blue, false, false);
    }
    EXPECT_EQ(pixel(image, 40, 15).getAlpha(), 255);
    EXPECT_LT(pixel(image, 0, 0).getAlpha(), 128);
}

TEST(LookAndFeel, ButtonTextUsesTheOnColourAndFadesWhilePressed)
{
    juce::TextButton button("MMMM");
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::red);
    button.setColour(juce::TextButton::textColourOnId, colour(palette::inkBlack));
    button.setBounds(0, 0, 160, 60);
    auto& lf = test::sharedLookAndFeel();

    auto render = [&](bool toggled, bool down)
    {
        button.setToggleState(toggled, juce::dontSendNotification);
        auto image = blankImage(160, 60);
        juce::Graphics g(image);
        lf.drawButtonText(g, button, false, down);
        return image;
    };
    auto mostOpaque = [](const juce::Image& image)
    {
        juce::Colour best;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt(x, y).getAlpha() > best.getAlpha())
                    best = image.getPixelAt(x, y);
        return best;
    };

    EXPECT_TRUE(near(mostOpaque(render(false, false)), juce::Colours::red));
    EXPECT_TRUE(near(mostOpaque(render(true, false)), colour(palette::inkBlack)));
    EXPECT_TRUE(near(mostOpaque(render(true, true)), colour(palette::inkBlack).withAlpha(0.75f)));

    button.setEnabled(false);
    EXPECT_TRUE(near(mostOpaque(render(true, false)), colour(palette::inkBlack)))
        << "no dimming when disabled";
}

TEST(LookAndFeel, StyledDropDownHidesItsTextWithHideLabel)
{
    ScreenStandIn screen(900);

    auto renderBox = [&](const char* id, bool withText)
    {
        juce::ComboBox box;
        screen.addAndMakeVisible(box);
        box.setComponentID(id); // before the layout, which sets the label's font
        box.setColour(juce::ComboBox::buttonColourId, colour(palette::accentBlue));
        box.setColour(juce::ComboBox::arrowColourId, colour(palette::activeCyan));
        box.addItem("Tavilo voice", 1);
        if (withText)
            box.setSelectedId(1, juce::dontSendNotification);
        box.setBounds(0, 0, 240, 40);
        return renderComponent(box);
    };

    const auto hidden = renderBox("OstrelStyle_VoiceModelComboBox_HideLabel", true);
    const auto empty = renderBox("OstrelStyle_VoiceModelComboBox_HideLabel", false);
    const auto shown = renderBox("OstrelStyle_VoiceModelComboBox_ShowLabel", true);

    int differHidden = 0;
    int differShown = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 240; ++x)
        {
            differHidden += hidden.getPixelAt(x, y) != empty.getPixelAt(x, y) ? 1 : 0;
            differShown += shown.getPixelAt(x, y) != empty.getPixelAt(x, y) ? 1 : 0;
        }
    EXPECT_EQ(differHidden, 0) << "no text with HideLabel";
    EXPECT_GT(differShown, 50) << "text with ShowLabel";

    // Background frame in the button colour, arrow in the arrow colour inside x 200 .. 220.
    EXPECT_TRUE(near(pixel(hidden, 120, 0).withAlpha((juce::uint8)255), colour(palette::accentBlue), 6));
    int arrowPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 240; ++x)
            if (near(hidden.getPixelAt(x, y), colour(palette::activeCyan), 6))
            {
                ++arrowPixels;
                EXPECT_TRUE(x >= 200 && x < 220) << x << "," << y;
            }
    EXPECT_GT(arrowPixels, 10);
}

TEST(LookAndFeel, StyledTickBoxIsATintedPictureWithoutText)
{
    juce::ToggleButton toggle("Some text that must not show");
    toggle.setComponentID("OstrelStyle_Tick");
    toggle.setBounds(0, 0, 50, 50);

    toggle.setToggleState(false, juce::dontSendNotification);
    const auto unticked = renderComponent(toggle);
    toggle.setToggleState(true, juce::dontSendNotification);
    const auto ticked = renderComponent(toggle);

    // The box is 0.6 x 50 = 30 pixels square at (8, 10).
    const juce::Rectangle<int> box(8, 10, 30, 30);
    int tickedPixels = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
        {
            const auto p = ticked.getPixelAt(x, y);
            if (!box.contains(x, y))
            {
                ASSERT_EQ(p.getAlpha(), 0) << x << "," << y;
                ASSERT_EQ(unticked.getPixelAt(x, y).getAlpha(), 0) << x << "," << y;
            }
            else if (p.getAlpha() > 128)
            {
                ++tickedPixels;
                EXPECT_TRUE(near(p.withAlpha((juce::uint8)255), colour(palette::activeCyan), 4));
            }
        }
    EXPECT_GT(tickedPixels, test::countVisiblePixels(unticked, 128));
}

TEST(LookAndFeel, PopupMenuColours)
{
    auto& lf = test::sharedLookAndFeel();
    auto image = blankImage(200, 90);
    {
        juce::Graphics g(image);
        lf.drawPopupMenuBackground(g, 200, 90);
        lf.drawPopupMenuItem(g, {0, 0, 200, 30}, false, true, true, false, false, "MMMM", {}, nullptr,
                             nullptr);
        lf.drawPopupMenuItem(g, {0, 30, 200, 30}, true, true, false, false, false, {}, {}, nullptr, nullptr);
    }

    EXPECT_TRUE(near(pixel(image, 100, 75), colour(palette::menuNavy)));
    EXPECT_TRUE(near(pixel(image, 0, 75), colour(palette::inkBlack)));
    EXPECT_TRUE(near(pixel(image, 199, 89), colour(palette::inkBlack)));
    EXPECT_TRUE(near(pixel(image, 190, 15), colour(palette::accentBlue))) << "highlighted row";

    bool whiteText = false;
    for (int y = 0; y < 30 && !whiteText; ++y)
        for (int x = 0; x < 200 && !whiteText; ++x)
            whiteText = near(image.getPixelAt(x, y), juce::Colours::white, 10);
    EXPECT_TRUE(whiteText) << "highlighted text is white";

    // Separator: a faint line from x = 5 to x = 190, half-way down its row.
    const auto line =
        colour(palette::menuNavy).overlaidWith(juce::Colours::white.withAlpha((juce::uint8)0x4c));
    EXPECT_TRUE(near(pixel(image, 5, 44), line, 2)) << pixel(image, 5, 44).toDisplayString(true);
    EXPECT_TRUE(near(pixel(image, 189, 44), line, 2));
    EXPECT_TRUE(near(pixel(image, 4, 44), colour(palette::menuNavy)));
    EXPECT_TRUE(near(pixel(image, 190, 44), colour(palette::menuNavy)));
}

TEST(LookAndFeel, MissingImagesDrawNothing)
{
    LookAndFeel_Ostrel lf([](const juce::String&) { return juce::Image(); });
    ScreenStandIn screen(900);

    juce::TextButton button;
    button.setComponentID("OstrelStyle_BypassButton");
    juce::ToggleButton toggle;
    toggle.setComponentID("OstrelStyle_Tick");
    toggle.setToggleState(true, juce::dontSendNotification);
    juce::ComboBox box;
    box.setComponentID("OstrelStyle_SpaceTypeDropDown_HideLabel");
    juce::Slider knob(juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    juce::Slider slider(juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);

    juce::Component* all[] = {&button, &toggle, &box, &knob, &slider};
    for (auto* c : all)
    {
        c->setLookAndFeel(&lf);
        screen.addAndMakeVisible(c);
        c->setBounds(0, 0, 120, 40);
    }
    knob.setValue(knob.getMinimum(), juce::dontSendNotification);

    EXPECT_EQ(test::countVisiblePixels(renderComponent(button)), 0);
    EXPECT_EQ(test::countVisiblePixels(renderComponent(toggle)), 0);
    EXPECT_EQ(test::countVisiblePixels(renderComponent(box)), 0);
    EXPECT_EQ(test::countVisiblePixels(renderComponent(knob)), 0) << "no pictures and no arc at the minimum";
    EXPECT_GT(test::countVisiblePixels(renderComponent(slider)), 0) << "the tracks are still drawn";

    for (auto* c : all)
        c->setLookAndFeel(nullptr);
}

TEST(LookAndFeel, ColourSchemeIsV4Dark)
{
    auto scheme = test::sharedLookAndFeel().getCurrentColourScheme();
    EXPECT_TRUE(scheme == juce::LookAndFeel_V4::getDarkColourScheme());
    EXPECT_EQ(scheme.getUIColour(juce::LookAndFeel_V4::ColourScheme::highlightedFill).getARGB(), 0xff181f22u);
}
} // namespace
} // namespace tessel
