#include "ui/ApplicationSettingsUI.h"

#include "app/CommandIds.h"
#include "app/PropertiesFileManager.h"
#include "audio/OstrelAudioService.h"
#include "library/PupackManager.h"
#include "ui/InterfaceImages.h"
#include "ui/MainLayout.h"
#include "ui/OstrelUI.h"
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

    audioViewport.setScrollBarsShown(true, false);
    addAndMakeVisible(audioViewport);
    audioSection = audioService.createSettingsComponent();
    if (audioSection != nullptr)
        audioViewport.setViewedComponent(audioSection.get(), false);

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

bool ApplicationSettingsUI::toggle(OstrelUI& screen, OstrelAudioService& service, PupackManager& manager)
{
    if (auto* shown = screen.getSettingsOverlay(); shown != nullptr && shown->isVisible())
    {
        // Destroying it saves the settings and hands the extra panels back to the screen.
        screen.setSettingsOverlay(nullptr);
        return false;
    }

    auto overlay = std::make_unique<ApplicationSettingsUI>(service, manager);
    // Asynchronously: run inside the close button's click, the command would destroy the button
    // that is still handling it.
    overlay->onCommand = [&screen](int commandId) { screen.invokeCommand(commandId); };
    auto* shown = overlay.get();
    screen.setSettingsOverlay(std::move(overlay));

    std::vector<juce::Component*> panels;
    for (const auto& panel : screen.getExtraSettingsPanels())
        if (panel != nullptr)
            panels.push_back(panel.get());
    shown->setExtraPanels(panels);
    screen.resized();
    return true;
}

ApplicationSettingsUI* ApplicationSettingsUI::findShownOver(const OstrelUI& screen)
{
    return dynamic_cast<ApplicationSettingsUI*>(screen.getSettingsOverlay());
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

void ApplicationSettingsUI::layOutAudioSection()
{
    if (audioSection == nullptr)
        return;
    // Given all the height it could want, the section shrinks itself to its content. In small
    // windows that is more than its share of the overlay: it then scrolls, beside the scroll bar.
    constexpr int unlimited = 1 << 20;
    const int width = audioViewport.getWidth();
    audioSection->setBounds(0, 0, width, unlimited);
    if (audioSection->getHeight() > audioViewport.getHeight())
        audioSection->setBounds(0, 0, juce::jmax(width - audioViewport.getScrollBarThickness(), 0),
                                unlimited);
}

void ApplicationSettingsUI::paint(juce::Graphics& g)
{
    g.fillAll(getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
}

void ApplicationSettingsUI::resized()
{
    // The main screen's content area for a screen of the overlay's size.
    const auto content =
        MainLayout::compute(getLocalBounds().getBottomRight(), getLocalBounds().getBottomRight(),
                            MainLayout::mainDisplayWidth())
            .content;
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
    audioViewport.setBounds(x2, bodyY, w2, audioHeight);
    layOutAudioSection();

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
