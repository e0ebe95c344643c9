#include "ui/MainLayout.h"

#include <gtest/gtest.h>

namespace tessel
{
namespace
{
constexpr int displayOf1344 = 1920; // D = 0.7 * 1920 = 1344, a multiple of 8: aspect exactly 1.6

TEST(MainLayout, ContentAspectComesFromTheMainDisplayWithA1065PixelFloor)
{
    EXPECT_DOUBLE_EQ(MainLayout::contentAspect(displayOf1344), 1.6);
    EXPECT_DOUBLE_EQ(MainLayout::contentAspect(1280), 1065.0 / 665.0); // 0.7 * 1280 < 1065
    EXPECT_DOUBLE_EQ(MainLayout::contentAspect(0), 1065.0 / 665.0);
    EXPECT_DOUBLE_EQ(MainLayout::contentAspect(2560), 1792.0 / 1120.0);
}

TEST(MainLayout, WideWindowGetsBarsLeftAndRight)
{
    const auto layout = MainLayout::compute({2000, 1000}, {2000, 1000}, displayOf1344);
    EXPECT_EQ(layout.content, juce::Rectangle<float>(200.0f, 0.0f, 1600.0f, 1000.0f));

    const float m = 0.0139f * 1600.0f;
    const float inner = 1600.0f - 2.0f * m;
    EXPECT_NEAR(layout.header.getX(), 200.0f + m, 1e-3f);
    EXPECT_NEAR(layout.header.getWidth(), inner, 1e-3f);
    EXPECT_NEAR(layout.header.getHeight(), 156.0f, 1e-3f);

    // Middle row: input and model share two thirds in the golden ratio, a gap, then the output panel.
    EXPECT_NEAR(layout.input.getY(), 156.0f, 1e-3f);
    EXPECT_NEAR(layout.input.getHeight(), 521.61652f, 1e-3f);
    EXPECT_NEAR(layout.input.getWidth(), 0.38197097f * 2.0f * inner / 3.0f, 1e-3f);
    EXPECT_NEAR(layout.model.getX(), layout.input.getRight(), 1e-3f);
    EXPECT_NEAR(layout.model.getWidth(), 0.61802906f * 2.0f * inner / 3.0f, 1e-3f);
    EXPECT_NEAR(layout.output.getX() - layout.model.getRight(), 0.38197097f * inner / 3.0f, 1e-3f);
    EXPECT_NEAR(layout.output.getRight(), layout.header.getRight(), 1e-2f);

    // Bottom row fills the inner width without gaps; the footer sits on the bottom edge.
    EXPECT_NEAR(layout.auxInput.getY(), 156.0f + 521.61652f, 1e-3f);
    EXPECT_NEAR(layout.auxInput.getHeight(), 1000.0f - 156.0f - 521.61652f - 40.0f, 1e-3f);
    EXPECT_NEAR(layout.ducking.getX(), layout.auxInput.getRight(), 1e-3f);
    EXPECT_NEAR(layout.mixLevel.getWidth(), inner / 6.0f, 1e-3f);
    EXPECT_NEAR(layout.reverb.getWidth(), inner / 3.0f, 1e-3f);
    EXPECT_NEAR(layout.noiseGate.getWidth(), inner / 6.0f, 1e-2f);
    EXPECT_NEAR(layout.noiseGate.getRight(), layout.header.getRight(), 1e-2f);
    EXPECT_EQ(layout.footer.getBottom(), 1000.0f);
    EXPECT_NEAR(layout.footer.getHeight(), 40.0f, 1e-3f);
}

TEST(MainLayout, TallWindowGetsBarsAboveAndBelow)
{
    const auto layout = MainLayout::compute({1000, 1000}, {1000, 1000}, displayOf1344);
    EXPECT_EQ(layout.content, juce::Rectangle<float>(0.0f, 187.5f, 1000.0f, 625.0f));
    EXPECT_NEAR(layout.header.getY(), 187.5f, 1e-3f);
    EXPECT_NEAR(layout.footer.getBottom(), 812.5f, 1e-3f);
}

TEST(MainLayout, DegenerateSizesGiveEmptyButOrderedRectangles)
{
    for (const auto size : {juce::Point<int>(0, 0), juce::Point<int>(10, 0), juce::Point<int>(0, 10)})
    {
        const auto layout = MainLayout::compute(size, size, displayOf1344);
        for (const auto& r : {layout.header, layout.input, layout.model, layout.output, layout.footer,
                              layout.auxInput, layout.noiseGate})
        {
            EXPECT_GE(r.getWidth(), 0.0f);
            EXPECT_GE(r.getHeight(), 0.0f);
            EXPECT_TRUE(std::isfinite(r.getX()) && std::isfinite(r.getY()));
        }
    }
}
} // namespace
} // namespace tessel
