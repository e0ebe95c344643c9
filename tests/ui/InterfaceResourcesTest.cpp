#include "tests/ui/UiTestEnvironment.h"
#include "ui/InterfaceImages.h"
#include "ui/InterfaceTypeface.h"
#include "ui/LookAndFeel_Ostrel.h"
#include "ui/Slice9.h"

#include <gtest/gtest.h>

namespace tessel
{
namespace
{
TEST(InterfaceImages, EveryImageTheLookLoadsIsEmbedded)
{
    const auto names = LookAndFeel_Ostrel::getImageFileNames();
    EXPECT_EQ(names.size(), 11); // the drop-down background is the small button's default image

    for (const auto& name : names)
    {
        SCOPED_TRACE(name);
        EXPECT_TRUE(hasInterfaceImage(name));
        EXPECT_TRUE(getInterfaceImage(name).isValid());
    }

    EXPECT_FALSE(hasInterfaceImage("no_such_image.png"));
    EXPECT_TRUE(getInterfaceImage("no_such_image.png").isNull());
}

TEST(InterfaceImages, NineSliceImagesMatchTheirInsets)
{
    struct Case
    {
        const char* file;
        const Slice9Insets& insets;
        int size;
    };
    const Case cases[] = {
        {"button_small_default_slice9_l20_t20_r24_b24.png", smallButtonInsets, 43},
        {"button_small_selected_slice9_l20_t20_r24_b24.png", smallButtonInsets, 43},
        {"button_large_default_slice9_l52_t52_r53_b53.png", largeButtonInsets, 105},
        {"hud_panel_slice9_l205_t190_r225_b240.png", hudPanelInsets, 431},
        {"hairline_slice9_l1_t1_r3_b3.png", hairlineInsets, 4},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        const auto image = getInterfaceImage(c.file);
        ASSERT_TRUE(image.isValid());
        EXPECT_EQ(image.getWidth(), c.size);
        EXPECT_EQ(image.getHeight(), c.size);
        EXPECT_TRUE(0 < c.insets.left && c.insets.left <= c.insets.right && c.insets.right < c.size);
        EXPECT_TRUE(0 < c.insets.top && c.insets.top <= c.insets.bottom && c.insets.bottom < c.size);
    }
}

// Texts of the kinds the translations hold: Latin, Japanese kana and kanji, simplified and
// traditional Chinese, full-width punctuation.
const char* const sampleTexts[] = {
    "Tavilo: No Input Device (44100 Hz) 100%",
    "入力デバイスがありません。",
    "声質変換「モデル」",
    "没有输入设备，请检查设置",
    "變聲器設定錄音",
};

TEST(InterfaceTypeface, DefaultFontIsTheCjkFaceAndCoversEveryTranslation)
{
    // JUCE's own scan skips font collections; the face comes from the Noto Sans CJK collection file.
    ASSERT_FALSE(findInterfaceFontFiles().isEmpty()) << "fonts-noto-cjk is not installed";

    const juce::Font font(24.0f);
    auto typeface = font.getTypefacePtr();
    ASSERT_NE(typeface, nullptr);
    EXPECT_EQ(typeface->getName(), "Noto Sans CJK JP");

    // With no fallback font, a character the face lacks has no outline.
    const auto fallback = juce::Font::getFallbackFontName();
    juce::Font::setFallbackFontName("No Such Fallback Font");

    for (auto* text : sampleTexts)
    {
        const auto s = juce::String::fromUTF8(text);
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        typeface->getGlyphPositions(s, glyphs, offsets);
        ASSERT_EQ(glyphs.size(), s.length());

        for (int i = 0; i < s.length(); ++i)
        {
            if (juce::CharacterFunctions::isWhitespace(s[i]))
                continue;
            juce::Path outline;
            EXPECT_TRUE(typeface->getOutlineForGlyph(glyphs[i], outline) && !outline.isEmpty())
                << "no glyph for U+" << juce::String::toHexString((int)s[i]);
        }
    }

    juce::Font::setFallbackFontName(fallback);
}

TEST(InterfaceTypeface, JapaneseTextRendersWithTheDefaultFont)
{
    juce::Image image(juce::Image::ARGB, 400, 40, true, juce::SoftwareImageType());
    {
        juce::Graphics g(image);
        g.setColour(juce::Colours::white);
        g.setFont(juce::Font(24.0f));
        g.drawText(juce::String::fromUTF8(sampleTexts[1]), image.getBounds(),
                   juce::Justification::centredLeft);
    }
    EXPECT_GT(test::countVisiblePixels(image, 128), 300);
}
} // namespace
} // namespace tessel
