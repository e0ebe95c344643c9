#include "ui/Slice9.h"
#include "tests/ui/UiTestEnvironment.h"
#include "ui/InterfaceImages.h"
#include "ui/UIScale.h"

#include <gtest/gtest.h>

namespace tessel
{
namespace
{
using test::pixel;
using test::renderComponent;

/** Stands in for the main screen: its height sets the interface scale. */
struct ScreenStandIn : juce::Component, UIScaleRoot
{
    explicit ScreenStandIn(int height) { setSize(height * 16 / 10, height); }
};

juce::Image blankImage(int w, int h)
{
    return juce::Image(juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
}

// A source whose left half is opaque white and right half transparent.
juce::Image halfOpaqueImage(int w, int h)
{
    auto image = blankImage(w, h);
    juce::Graphics g(image);
    g.setColour(juce::Colours::white);
    g.fillRect(0, 0, w / 2, h);
    return image;
}

struct RescaleCase
{
    const char* name;
    int size;
    Slice9Insets insets;
    float scale;
    int expectedSize;
    Slice9Insets expectedInsets;
};

TEST(RescaleSlice9, ScalesLeftTopFromStartsAndRightBottomFromWidths)
{
    const RescaleCase cases[] = {
        // A 1440-pixel screen: the small button's right column is (int) (19 * 0.8) = 15 wide.
        {"small button at 0.8", 43, smallButtonInsets, 1440.0f / 1800.0f, 34, {16, 16, 19, 19}},
        {"HUD panel at 0.8", 431, hudPanelInsets, 0.8f, 344, {164, 152, 180, 192}},
        {"large button at 0.5", 105, largeButtonInsets, 0.5f, 52, {26, 26, 26, 26}},
        {"hairline at 2", 4, hairlineInsets, 2.0f, 8, {2, 2, 6, 6}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        juce::Image out;
        Slice9Insets outInsets;
        rescaleSlice9(blankImage(c.size, c.size), c.insets, out, outInsets, c.scale);

        EXPECT_EQ(out.getWidth(), c.expectedSize);
        EXPECT_EQ(out.getHeight(), c.expectedSize);
        EXPECT_EQ(outInsets, c.expectedInsets);
    }

    juce::Image out;
    Slice9Insets outInsets;
    rescaleSlice9(blankImage(43, 43), smallButtonInsets, out, outInsets, 0.8f);
    EXPECT_EQ(outInsets.left, 16) << "left corner width";
    EXPECT_EQ(out.getWidth() - outInsets.right, 15) << "right corner width";
}

TEST(RescaleSlice9, TooSmallKeepsThePreviousImageOrFallsBackToTheSource)
{
    // Nothing made yet: the 4 x 4 hairline under a screen below 1800 pixels is used as it is.
    const auto hairline = blankImage(4, 4);
    juce::Image out;
    Slice9Insets outInsets;
    rescaleSlice9(hairline, hairlineInsets, out, outInsets, 0.8f);
    EXPECT_TRUE(out == hairline);
    EXPECT_EQ(outInsets, hairlineInsets);

    // A previous scaled image stays in use when the new scale would shrink the source to 4 pixels.
    const auto button = blankImage(43, 43);
    rescaleSlice9(button, smallButtonInsets, out, outInsets, 0.5f);
    const auto previous = out;
    const auto previousInsets = outInsets;
    rescaleSlice9(button, smallButtonInsets, out, outInsets, 0.05f);
    EXPECT_TRUE(out == previous);
    EXPECT_EQ(outInsets, previousInsets);

    // A missing image stays missing.
    juce::Image none;
    rescaleSlice9(juce::Image(), smallButtonInsets, none, outInsets, 1.0f);
    EXPECT_TRUE(none.isNull());
}

TEST(DrawSlice9, CornersKeepTheirPixelsAndTheCentreStretches)
{
    const auto source = getInterfaceImage("button_small_default_slice9_l20_t20_r24_b24.png");
    ASSERT_TRUE(source.isValid());
    const int w = 200;
    const int h = 90;
    auto target = blankImage(w, h);
    {
        juce::Graphics g(target);
        drawSlice9(g, source, smallButtonInsets, w, h, juce::Colours::white);
    }

    auto alphaAt = [](const juce::Image& image, int x, int y)
    { return (int)image.getPixelAt(x, y).getAlpha(); };

    // Left column and top row 20 pixels, right column and bottom row 43 - 24 = 19 pixels.
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 19; ++x)
        {
            ASSERT_NEAR(alphaAt(target, x, y), alphaAt(source, x, y), 1) << "top-left " << x << "," << y;
            ASSERT_NEAR(alphaAt(target, w - 19 + x, y), alphaAt(source, 24 + x, y), 1) << "top-right";
            ASSERT_NEAR(alphaAt(target, x, h - 19 + y), alphaAt(source, x, 24 + y), 1) << "bottom-left";
            ASSERT_NEAR(alphaAt(target, w - 19 + x, h - 19 + y), alphaAt(source, 24 + x, 24 + y), 1)
                << "bottom-right";
        }

    // The edges and the centre are uniform in the source, so they stay uniform when stretched.
    for (int y = 0; y < h; y += 7)
    {
        const int sourceY = y < 20 ? y : (y >= h - 19 ? y - (h - 43) : 22);
        EXPECT_NEAR(alphaAt(target, w / 2, y), alphaAt(source, 22, sourceY), 2) << "centre column, y " << y;
    }

    EXPECT_TRUE(test::near(pixel(target, w / 2, h / 2).withAlpha((juce::uint8)255), juce::Colours::white));
}

TEST(DrawSlice9, EdgesStayWhenTheCentreColumnScalesAway)
{
    // The large button has a one-pixel centre column and row; at half size both round to zero.
    const auto source = getInterfaceImage("button_large_default_slice9_l52_t52_r53_b53.png");
    juce::Image scaled;
    Slice9Insets insets;
    rescaleSlice9(source, largeButtonInsets, scaled, insets, 0.5f);
    ASSERT_EQ(insets.left, insets.right);

    const int w = 300;
    const int h = 120;
    auto target = blankImage(w, h);
    {
        juce::Graphics g(target);
        drawSlice9(g, scaled, insets, w, h, juce::Colours::white);
    }

    // Along the middle of each edge the frame's line is there, as it is next to the corners.
    auto strongestAlpha = [&](int x0, int y0, int dx, int dy, int steps)
    {
        int best = 0;
        for (int i = 0; i < steps; ++i)
            best = juce::jmax(best, (int)pixel(target, x0 + i * dx, y0 + i * dy).getAlpha());
        return best;
    };
    EXPECT_GT(strongestAlpha(w / 2, 0, 0, 1, insets.top), 100) << "top edge";
    EXPECT_GT(strongestAlpha(w / 2, h - 1, 0, -1, scaled.getHeight() - insets.bottom), 100) << "bottom edge";
    EXPECT_GT(strongestAlpha(0, h / 2, 1, 0, insets.left), 100) << "left edge";
    EXPECT_GT(strongestAlpha(w - 1, h / 2, -1, 0, scaled.getWidth() - insets.right), 100) << "right edge";
}

TEST(DrawSlice9, AreaSmallerThanItsCornersDrawsTheWholeImageStretched)
{
    // 20 pixels wide, left half opaque; corners 8 wide on each side, so a 12-pixel area cannot hold
    // both. Stretched to 12 pixels the opaque half covers columns 0-5; sliced, it would cover 0-7.
    const auto source = halfOpaqueImage(20, 20);
    const Slice9Insets insets{8, 8, 12, 12};
    auto target = blankImage(12, 30);
    {
        juce::Graphics g(target);
        drawSlice9(g, source, insets, 12, 30, juce::Colours::white);
    }

    for (int y : {2, 15, 27})
    {
        EXPECT_GT(pixel(target, 1, y).getAlpha(), 240) << y;
        EXPECT_GT(pixel(target, 4, y).getAlpha(), 240) << y;
        EXPECT_LT(pixel(target, 7, y).getAlpha(), 16) << y;
        EXPECT_LT(pixel(target, 10, y).getAlpha(), 16) << y;
    }
}

TEST(DrawSlice9, PaintsInTheColourAndNothingWithoutAnImage)
{
    const auto source = getInterfaceImage("button_small_selected_slice9_l20_t20_r24_b24.png");
    auto target = blankImage(100, 60);
    {
        juce::Graphics g(target);
        drawSlice9(g, source, smallButtonInsets, 100, 60, juce::Colour(0x80ff0000));
        drawSlice9(g, juce::Image(), smallButtonInsets, 100, 60, juce::Colours::white);
        drawSlice9(g, source, smallButtonInsets, 0, 60, juce::Colours::white);
    }
    EXPECT_TRUE(test::near(pixel(target, 50, 30), juce::Colour(0x80ff0000)));
}

TEST(Slice9Component, HairlineShowsUnderAScreenSmallerThan1800Pixels)
{
    for (int screenHeight : {900, 1440, 1800, 2700})
    {
        SCOPED_TRACE(screenHeight);
        ScreenStandIn screen(screenHeight);
        Slice9 line;
        screen.addAndMakeVisible(line);
        line.setImage(getInterfaceImage("hairline_slice9_l1_t1_r3_b3.png"), hairlineInsets,
                      juce::Colour(0xff4ab4e4));
        line.setBounds(0, 0, 600, 4);

        const auto image = renderComponent(line);
        for (int x : {0, 300, 599})
        {
            EXPECT_GT(pixel(image, x, 1).getAlpha(), 200) << x;
            EXPECT_TRUE(test::near(pixel(image, x, 2).withAlpha((juce::uint8)255), juce::Colour(0xff4ab4e4)));
        }
    }
}

TEST(Slice9Component, TintsWithOverlayTimesOpacityAndDrawsNothingWhenUnset)
{
    ScreenStandIn screen(900);
    Slice9 frame;
    screen.addAndMakeVisible(frame);
    frame.setBounds(0, 0, 120, 60);

    EXPECT_EQ(test::countVisiblePixels(renderComponent(frame)), 0) << "no drawable";

    frame.setImage(juce::Image(), smallButtonInsets, juce::Colours::white);
    EXPECT_EQ(test::countVisiblePixels(renderComponent(frame)), 0) << "no image";

    frame.setImage(getInterfaceImage("button_small_selected_slice9_l20_t20_r24_b24.png"), smallButtonInsets,
                   juce::Colour(0xff51ede5));
    frame.drawable->setOpacity(0.5f);
    const auto image = renderComponent(frame);
    EXPECT_TRUE(test::near(pixel(image, 60, 30), juce::Colour(0xff51ede5).withAlpha(0.5f)));
}

TEST(Slice9Component, NewImageShowsEvenWhenTooSmallToRescale)
{
    // At this scale neither image can be rescaled; the frame must still switch pictures.
    ScreenStandIn screen(100);
    Slice9 frame;
    screen.addAndMakeVisible(frame);
    frame.setBounds(0, 0, 100, 100);

    frame.setImage(getInterfaceImage("button_small_default_slice9_l20_t20_r24_b24.png"), smallButtonInsets,
                   juce::Colours::white);
    EXPECT_LT(pixel(renderComponent(frame), 50, 50).getAlpha(), 80) << "faint fill of the default image";

    frame.setImage(getInterfaceImage("button_small_selected_slice9_l20_t20_r24_b24.png"), smallButtonInsets,
                   juce::Colours::white);
    EXPECT_GT(pixel(renderComponent(frame), 50, 50).getAlpha(), 250) << "solid fill of the selected image";
}

TEST(UIScale, IsTheNearestScreenHeightOver1800)
{
    juce::Component loose;
    loose.setSize(100, 3600);
    EXPECT_FLOAT_EQ(getUIScale(loose), 1.0f) << "outside a main screen";

    ScreenStandIn outer(3600);
    ScreenStandIn screen(1440);
    juce::Component panel;
    juce::Component button;
    outer.addChildComponent(screen);
    screen.addChildComponent(panel);
    panel.addChildComponent(button);

    EXPECT_FLOAT_EQ(getUIScale(button), 0.8f);
    EXPECT_FLOAT_EQ(getUIScale(panel), 0.8f);
    EXPECT_FLOAT_EQ(getUIScale(screen), 0.8f);
    EXPECT_FLOAT_EQ(getUIScale(outer), 2.0f);
}
} // namespace
} // namespace tessel
