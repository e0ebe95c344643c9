#include "ui/HeaderUI.h"

#include "ui/InterfaceImages.h"
#include "ui/MainCommands.h"
#include "ui/Palette.h"

namespace tessel
{
namespace
{
int max0(int v)
{
    return juce::jmax(v, 0);
}

void setUpResetButton(juce::TextButton& button, const char* text, const char* id)
{
    button.setButtonText(text);
    button.setComponentID(id);
    button.setColour(juce::TextButton::buttonColourId, juce::Colour(palette::accentBlue));
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::white);
    button.setColour(juce::TextButton::textColourOnId, juce::Colour(palette::inkBlack));
    button.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    button.setClickingTogglesState(false);
}
} // namespace

SettingsButton::SettingsButton()
{
    const auto image = getInterfaceImage("symbol_settings.png");
    setImages(false, true, true, image, 1.0f, juce::Colours::white, image, 1.0f,
              juce::Colour(palette::hoverGrey), image, 1.0f, juce::Colour(palette::guideGrey));
    setMouseCursor(juce::MouseCursor::PointingHandCursor);
}

juce::Rectangle<int> SettingsButton::boundsInHeader(int width, int height)
{
    const int lineHeight = juce::jmin(height, 2);
    const int innerHeight = height - lineHeight;
    const int logoWidth = juce::jmin(width, (int)(2.5 * height));
    const int g = width - logoWidth;
    const int s = juce::jmin(g, height);
    return {width - s + 12, 12, max0(s - 24), max0(innerHeight - 24)};
}

HeaderUI::HeaderUI()
{
    settings.onClick = [this] { invoke(commands::showHideSettings); };
    addAndMakeVisible(settings);

    hairline.setImage(getInterfaceImage("hairline_slice9_l1_t1_r3_b3.png"), hairlineInsets,
                      juce::Colour(palette::accentBlue));
    addAndMakeVisible(hairline);

    setInterfaceImage(logo, "app_logo.png", 0xffffffff);
    logo.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(logo);

    setUpResetButton(softReset, "SOFT RESET", "OstrelGeneric_SoftResetButton");
    softReset.onClick = [this] { invoke(commands::softReset); };
    addAndMakeVisible(softReset);

    setUpResetButton(hardReset, "HARD RESET", "OstrelGeneric_HardResetButton");
    hardReset.onClick = [this] { invoke(commands::hardReset); };
    addAndMakeVisible(hardReset);

    setBufferedToImage(true);
}

HeaderUI::~HeaderUI() = default;

void HeaderUI::invoke(int commandId)
{
    if (onCommand)
        onCommand(commandId);
}

void HeaderUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int lineHeight = juce::jmin(h, 2);
    const int innerHeight = h - lineHeight;

    hairline.setBounds(0, h - lineHeight, w, lineHeight);

    const int logoWidth = juce::jmin(w, (int)(2.5 * h));
    const int logoInset = (int)(0.2 * innerHeight);
    fitDrawable(logo, juce::Rectangle<int>(0, logoInset, logoWidth, innerHeight - 2 * logoInset).toFloat());

    settings.setBounds(SettingsButton::boundsInHeader(w, h));

    int g = w - logoWidth;
    const int s = juce::jmin(g, h);
    g = max0(g - s - 47);

    const int r = (int)(0.35 * innerHeight);
    const int s2 = juce::jmin(g, h);
    hardReset.setBounds(logoWidth + g - s2, r, s2, max0(innerHeight - 2 * r));

    g = max0(g - s2 - 47);
    const int s3 = juce::jmin(g, h);
    softReset.setBounds(logoWidth + g - s3, r, s3, max0(innerHeight - 2 * r));
}
} // namespace tessel
