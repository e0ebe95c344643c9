#include "ui/ApplicationSettingsUI.h"

#include "app/CommandIds.h"
#include "app/PropertiesFileManager.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "ui/InterfaceImages.h"
#include "ui/Palette.h"

#include <cmath>

namespace tessel
{
namespace
{
void saveSettings()
{
    PropertiesFileManager::getInstance()->save();
}
} // namespace

ApplicationSettingsUI::ApplicationSettingsUI(OstrelAudioService& service, PupackManager& manager)
    : audioService(service), library(manager)
{
    setOpaque(true);
    setBufferedToImage(false);

    titleLabel.setText(juce::translate("SettingUI_Title"), juce::dontSendNotification);
    titleLabel.setFont(titleLabel.getFont().withHeight(32.0f));
    titleLabel.setColour(juce::Label::textColourId, juce::Colours::white);
    titleLabel.setJustificationType(juce::Justification::centred);
    addAndMakeVisible(titleLabel);

    const auto symbol = getInterfaceImage("symbol_settings.png");
    closeButton.setImages(false, true, true, symbol, 1.0f, juce::Colours::white, symbol, 1.0f,
                          juce::Colour(palette::hoverGrey), symbol, 1.0f, juce::Colour(palette::guideGrey));
    closeButton.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    closeButton.onClick = [this]
    {
        if (onCommand)
            onCommand(CommandIds::showHideSettingsUI);
    };
    addAndMakeVisible(closeButton);

    if (auto* viewModel = library.getSelectorViewModel())
    {
        modelEditor = std::make_unique<PupackSelectorEditor>(*viewModel, library);
        addAndMakeVisible(*modelEditor);
    }

    audioSection = audioService.createSettingsComponent();
    if (audioSection != nullptr)
        addAndMakeVisible(*audioSection);

    saveSettings();
}

ApplicationSettingsUI::~ApplicationSettingsUI()
{
    saveSettings();
    // The extra panels belong to the main screen, which shows them again at the next opening.
    for (auto* panel : extraPanels)
        removeChildComponent(panel);
    extraPanels.clear();
}

void ApplicationSettingsUI::setExtraPanels(const std::vector<juce::Component*>& panels)
{
    for (auto* panel : extraPanels)
        removeChildComponent(panel);
    extraPanels = panels;
    for (auto* panel : extraPanels)
        addAndMakeVisible(panel);
    resized();
}

void ApplicationSettingsUI::paint(juce::Graphics& g)
{
    g.fillAll(getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
}

int ApplicationSettingsUI::mainDisplayWidth()
{
    const auto& displays = juce::Desktop::getInstance().getDisplays();
    if (const auto* main = displays.getPrimaryDisplay())
        return main->userArea.getWidth();
    return displays.displays.isEmpty() ? 0 : displays.displays.getReference(0).userArea.getWidth();
}

juce::Rectangle<float> ApplicationSettingsUI::contentArea(int width, int height, int displayWidth)
{
    const int d = juce::jmax(static_cast<int>(0.7 * displayWidth), 1065);
    const int designHeight = static_cast<int>(d / 1.6);
    const double aspect = static_cast<double>(d) / designHeight;

    const double w = width;
    const double h = height;
    double cw = aspect * h;
    double ch = h;
    if (h > 0.0 && w / h < aspect)
    {
        cw = w;
        ch = static_cast<double>(designHeight) / d * w;
    }
    const double x0 = w / 2.0 - cw / 2.0;
    const double y0 = h / 2.0 - ch / 2.0;
    return {static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(cw), static_cast<float>(ch)};
}

void ApplicationSettingsUI::resized()
{
    const auto content = contentArea(getWidth(), getHeight(), mainDisplayWidth());
    const double cw = content.getWidth();
    const double ch = juce::jmax(0.0, static_cast<double>(content.getHeight()));
    const double x0 = content.getX();
    const double y0 = content.getY();

    const double margin = 0.0139 * cw;
    const double x = x0 + margin;
    const double inner = juce::jmax(cw - 2.0 * margin, 0.0);
    const double header = juce::jmin(ch, 0.156 * getHeight());

    const int xi = juce::roundToInt(x);
    const int yi = juce::roundToInt(y0);
    const int ii = juce::roundToInt(inner);
    const int hi = juce::roundToInt(header);
    titleLabel.setBounds(xi, yi, ii, hi);

    const int side = juce::jmin(hi, juce::jmax(ii - (static_cast<int>(ii * 0.33333334f) + hi), 0));
    closeButton.setBounds(xi + ii - side + 12, yi + 12, juce::jmax(side - 24, 0), juce::jmax(hi - 24, 0));

    const int bodyY = juce::roundToInt(y0 + header);
    const int body = juce::roundToInt(ch - header);
    const int leftWidth = juce::jmin(ii, static_cast<int>(0.5 * inner));
    if (modelEditor != nullptr)
        modelEditor->setBounds(xi, bodyY, leftWidth, body);

    const int x2 = xi + leftWidth;
    const int w2 = ii - leftWidth;
    const int audioHeight = juce::jmin(body, static_cast<int>(0.7 * body));
    if (audioSection != nullptr)
        audioSection->setBounds(x2, bodyY, w2, audioHeight);

    const int rest = body - audioHeight;
    const int gap = juce::jmin(rest, static_cast<int>(0.35 * rest));
    int remaining = rest - gap;
    const int share = static_cast<int>(0.5 * (rest - gap));
    int panelY = bodyY + audioHeight + gap;
    for (auto* panel : extraPanels)
    {
        const int panelHeight = juce::jmin(remaining, share);
        panel->setBounds(x2, panelY, w2, panelHeight);
        panelY += panelHeight;
        remaining -= panelHeight;
    }
}
} // namespace tessel
