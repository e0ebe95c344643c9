#include "ui/HeaderUI.h"

#include "app/CommandIds.h"
#include "ui/InterfaceImages.h"
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
    settings.onClick = [this] { invoke(CommandIds::showHideSettingsUI); };
    addAndMakeVisible(settings);

    hairline.setImage(getInterfaceImage("hairline_slice9_l1_t1_r3_b3.png"), hairlineInsets,
                      juce::Colour(palette::accentBlue));
    addAndMakeVisible(hairline);

    setInterfaceImage(logo, "app_logo.png", 0xffffffff);
    logo.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(logo);

    setUpResetButton(softReset, "SOFT RESET", "OstrelGeneric_SoftResetButton");
    softReset.onClick = [this] { invoke(CommandIds::restartAudioProcessor); };
    addAndMakeVisible(softReset);

    setUpResetButton(hardReset, "HARD RESET", "OstrelGeneric_HardResetButton");
    hardReset.onClick = [this] { invoke(CommandIds::restartAudioDevice); };
    addAndMakeVisible(hardReset);

    setBufferedToImage(true);
}

HeaderUI::~HeaderUI() = default;

void HeaderUI::invoke(int commandId)
{
    if (onCommand)
        onCommand(commandId);
}

namespace
{
/** The header's horizontal layout, shared by resized() and freeBand(). */
struct HeaderColumns
{
    HeaderColumns(int w, int h)
    {
        lineHeight = juce::jmin(h, 2);
        innerHeight = h - lineHeight;
        logoWidth = juce::jmin(w, (int)(2.5 * h));

        int g = w - logoWidth;
        const int s = juce::jmin(g, h);
        g = max0(g - s - 47);
        resetTop = (int)(0.35 * innerHeight);
        hardWidth = juce::jmin(g, h);
        hardX = logoWidth + g - hardWidth;

        g = max0(g - hardWidth - 47);
        softWidth = juce::jmin(g, h);
        softX = logoWidth + g - softWidth;
    }

    int lineHeight, innerHeight, logoWidth, resetTop, hardX, hardWidth, softX, softWidth;
};
} // namespace

juce::Rectangle<int> HeaderUI::freeBand(int width, int height)
{
    const HeaderColumns columns(width, height);
    const int right = columns.softWidth > 0 ? columns.softX : width;
    return {columns.logoWidth, 0, max0(right - columns.logoWidth), height};
}

void HeaderUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const HeaderColumns columns(w, h);

    hairline.setBounds(0, h - columns.lineHeight, w, columns.lineHeight);

    const int logoInset = (int)(0.2 * columns.innerHeight);
    fitDrawable(
        logo,
        juce::Rectangle<int>(0, logoInset, columns.logoWidth, columns.innerHeight - 2 * logoInset).toFloat());

    settings.setBounds(SettingsButton::boundsInHeader(w, h));

    const int resetHeight = max0(columns.innerHeight - 2 * columns.resetTop);
    hardReset.setBounds(columns.hardX, columns.resetTop, columns.hardWidth, resetHeight);
    softReset.setBounds(columns.softX, columns.resetTop, columns.softWidth, resetHeight);
}
} // namespace tessel
