#include "app/SimpleSettingsOverlay.h"

#include "app/CommandIds.h"
#include "app/PropertiesFileManager.h"
#include "audio/OstrelAudioService.h"
#include "ui/MainLayout.h"

namespace tessel
{
namespace
{
struct OverlayLayout
{
    juce::Rectangle<int> header;
    juce::Rectangle<int> left;
    juce::Rectangle<int> right;
};

OverlayLayout layoutFor(juce::Point<int> size)
{
    const auto content = MainLayout::compute(size, size, MainLayout::mainDisplayWidth()).content;
    const float margin = 0.0139f * content.getWidth();
    auto inner = content.reduced(margin, 0.0f);
    OverlayLayout layout;
    layout.header = inner.removeFromTop(0.156f * content.getHeight()).toNearestInt();
    layout.left = inner.removeFromLeft(inner.getWidth() / 2.0f).toNearestInt();
    layout.right = inner.toNearestInt();
    return layout;
}
} // namespace

SimpleSettingsOverlay::SimpleSettingsOverlay(OstrelAudioService& audioService, PupackManager&)
{
    titleLabel.setText(juce::translate("SettingUI_Title"), juce::dontSendNotification);
    titleLabel.setJustificationType(juce::Justification::centredLeft);
    addAndMakeVisible(titleLabel);

    closeButton.setButtonText(juce::translate("General_Close"));
    closeButton.onClick = [this]
    {
        if (onCommand)
            onCommand(CommandIds::showHideSettingsUI);
    };
    addAndMakeVisible(closeButton);

    deviceSelector = audioService.createSettingsComponent();
    if (deviceSelector != nullptr)
        addAndMakeVisible(*deviceSelector);

    PropertiesFileManager::getInstance()->save();
}

SimpleSettingsOverlay::~SimpleSettingsOverlay()
{
    PropertiesFileManager::getInstance()->save();
    for (auto* panel : extraPanels)
        removeChildComponent(panel);
}

void SimpleSettingsOverlay::setExtraPanels(const std::vector<juce::Component*>& panels)
{
    for (auto* panel : extraPanels)
        removeChildComponent(panel);
    extraPanels = panels;
    for (auto* panel : extraPanels)
        addAndMakeVisible(panel);
    resized();
}

std::vector<juce::Rectangle<int>> SimpleSettingsOverlay::extraPanelBounds(juce::Point<int> size, int panelCount)
{
    std::vector<juce::Rectangle<int>> bounds;
    if (panelCount <= 0)
        return bounds;

    auto column = layoutFor(size).right.toFloat();
    column.removeFromTop(0.7f * column.getHeight());
    column.removeFromTop(0.35f * column.getHeight());
    const float each = column.getHeight() / static_cast<float>(panelCount);
    for (int i = 0; i < panelCount; ++i)
        bounds.push_back(column.removeFromTop(each).toNearestInt());
    return bounds;
}

void SimpleSettingsOverlay::paint(juce::Graphics& g)
{
    // Opaque over the main screen: the panels below must not show through.
    g.fillAll(juce::Colour(0xf0101820));
}

void SimpleSettingsOverlay::resized()
{
    const auto layout = layoutFor({getWidth(), getHeight()});
    auto header = layout.header;
    closeButton.setBounds(header.removeFromRight(header.getHeight() * 2).reduced(header.getHeight() / 5));
    titleLabel.setBounds(header);
    titleLabel.setFont(juce::Font(0.4f * static_cast<float>(header.getHeight())));

    if (deviceSelector != nullptr)
        deviceSelector->setBounds(layout.left);

    const auto bounds = extraPanelBounds({getWidth(), getHeight()}, static_cast<int>(extraPanels.size()));
    for (size_t i = 0; i < extraPanels.size(); ++i)
        extraPanels[i]->setBounds(bounds[i]);
}
} // namespace tessel
