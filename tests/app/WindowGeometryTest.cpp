#include "app/WindowGeometry.h"

#include <gtest/gtest.h>

using namespace tessel;
using WindowGeometry::Display;

namespace
{
Display display(int x, int y, int width, int height, bool isMain = false, int panel = 0)
{
    const juce::Rectangle<int> total(x, y, width, height);
    return {total, total.withTrimmedTop(panel), isMain};
}
} // namespace

TEST(WindowGeometry, DefaultAndMinimumSizesFollowTheMainDisplay)
{
    const struct
    {
        int userWidth;
        int defaultWidth, defaultHeight, minimumWidth;
    } cases[] = {
        {1024, 1065, 665, 1065}, // both floors at the smallest base width
        {1440, 1065, 665, 1065},
        {1920, 1344, 840, 1065},
        {2560, 1792, 1120, 1280},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.userWidth);
        EXPECT_EQ(WindowGeometry::getDefaultContentSize(c.userWidth), juce::Point<int>(c.defaultWidth, c.defaultHeight));
        EXPECT_EQ(WindowGeometry::getMinimumContentWidth(c.userWidth), c.minimumWidth);
    }
}

TEST(WindowGeometry, LimitsAndAspectIncludeTheFrame)
{
    const juce::BorderSize<int> frame(30, 2, 4, 2); // top, left, bottom, right

    const auto limits = WindowGeometry::getInitialLimits(2560, frame);
    EXPECT_EQ(limits.minimumContentWidth, 1280);
    EXPECT_EQ(limits.minimumWidth, 1284);
    EXPECT_EQ(limits.minimumHeight, 800 + 34);
    EXPECT_EQ(limits.maximumWidth, 2884);
    EXPECT_EQ(limits.maximumHeight, 1834);
    EXPECT_DOUBLE_EQ(limits.aspectRatio, (1792.0 + 4.0) / (1120.0 + 34.0));

    // Without a frame the window keeps the content's own ratio of the default size.
    EXPECT_DOUBLE_EQ(WindowGeometry::getInitialLimits(1440, {}).aspectRatio, 1065.0 / 665.0);
}

TEST(WindowGeometry, ScreenCheckUsesTheLargestUserArea)
{
    const auto limits = WindowGeometry::getInitialLimits(1024, {});
    EXPECT_FALSE(WindowGeometry::isScreenLargeEnough({display(0, 0, 1024, 768, true)}, limits))
        << "a 1024-wide display is narrower than the minimum content width 1065";

    const auto limits1440 = WindowGeometry::getInitialLimits(1440, {});
    EXPECT_TRUE(WindowGeometry::isScreenLargeEnough({display(0, 0, 1440, 900, true)}, limits1440));
    // A task bar that leaves less than the minimum height fails.
    EXPECT_FALSE(WindowGeometry::isScreenLargeEnough({display(0, 0, 1440, 700, true, 40)}, limits1440));

    // A later display replaces the largest only when it is both wider and higher.
    const std::vector<Display> displays{display(0, 0, 1024, 768, true), display(1024, 0, 1920, 600),
                                        display(2944, 0, 1440, 900)};
    EXPECT_EQ(WindowGeometry::getLargestUserArea(displays), juce::Rectangle<int>(2944, 0, 1440, 900));
    EXPECT_TRUE(WindowGeometry::isScreenLargeEnough(displays, limits1440));
    EXPECT_FALSE(WindowGeometry::isScreenLargeEnough({displays[0], displays[1]}, limits1440));
}

TEST(WindowGeometry, WindowBelongsToTheDisplayHoldingItsCornerElseTheNearest)
{
    const std::vector<Display> displays{display(0, 0, 1000, 1000, true), display(2000, 0, 1000, 1000)};
    EXPECT_EQ(WindowGeometry::findDisplayIndex(displays, {10, 10}), 0);
    EXPECT_EQ(WindowGeometry::findDisplayIndex(displays, {2500, 900}), 1);
    EXPECT_EQ(WindowGeometry::findDisplayIndex(displays, {1200, 500}), 0); // nearer the first centre
    EXPECT_EQ(WindowGeometry::findDisplayIndex(displays, {1500, 500}), 1); // equal distance: the later
    EXPECT_EQ(WindowGeometry::findDisplayIndex({}, {0, 0}), -1);
}

TEST(WindowGeometry, MovingFrom2560To1440KeepsTheMinimumAndShrinksALargerWindow)
{
    const juce::BorderSize<int> frame(24, 0, 0, 0);
    const auto start = WindowGeometry::getInitialLimits(2560, frame);
    const auto small = display(2560, 0, 1440, 900);

    const auto moved = WindowGeometry::getLimitsForDisplay(start, 1440, 2560, frame);
    EXPECT_EQ(moved.minimumContentWidth, 1280) << "the minimum never shrinks";
    EXPECT_EQ(moved.minimumWidth, 1280);
    EXPECT_EQ(moved.minimumHeight, 800 + 24);
    EXPECT_EQ(moved.maximumWidth, 2880);
    EXPECT_DOUBLE_EQ(moved.aspectRatio, start.aspectRatio) << "the ratio follows the main display";

    // The default-size window of the 2560 display is wider than the new user area.
    const auto bounds = WindowGeometry::getBoundsForDisplay({2600, 10, 1792, 1144}, small, moved);
    ASSERT_TRUE(bounds.has_value());
    EXPECT_EQ(bounds->getPosition(), juce::Point<int>(2600, 10));
    EXPECT_EQ(bounds->getWidth(), 1280);
    EXPECT_EQ(bounds->getHeight(), static_cast<int>(1280 / moved.aspectRatio));

    // A window that fits stays as it is.
    EXPECT_FALSE(WindowGeometry::getBoundsForDisplay({2600, 10, 1280, 824}, small, moved).has_value());

    // Moving on to a still larger display raises the minimum.
    EXPECT_EQ(WindowGeometry::getLimitsForDisplay(moved, 3840, 2560, frame).minimumContentWidth, 1920);
}

TEST(WindowGeometry, TitleBarIsBroughtBackWithTheLeastMove)
{
    const juce::BorderSize<int> frame(30, 0, 0, 0);
    const std::vector<Display> displays{display(0, 0, 1920, 1080, true, 40), display(1920, 0, 1280, 1024)};

    // Inside a user area: nothing to do.
    EXPECT_FALSE(WindowGeometry::getTitleBarCorrection({100, 100, 800, 500}, frame, displays).has_value());

    // Title bar under the top panel of the first display: moved down just below it.
    EXPECT_EQ(WindowGeometry::getTitleBarCorrection({100, 50, 800, 500}, frame, displays),
              std::optional<juce::Point<int>>({100, 70}));

    // Sticking out to the right of the second display: moved left by the overhang.
    EXPECT_EQ(WindowGeometry::getTitleBarCorrection({2900, 300, 800, 500}, frame, displays),
              std::optional<juce::Point<int>>({2400, 300}));

    // Off every display: its top-left corner goes to the main display's user area.
    EXPECT_EQ(WindowGeometry::getTitleBarCorrection({5000, 3000, 800, 500}, frame, displays),
              std::optional<juce::Point<int>>({0, 70}));
}
