#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace tessel
{
class OstrelAudioService;
class PupackManager;

/** A plain settings overlay over the whole main screen: the title "SettingUI_Title", a close
    button, the audio service's device selector and, in the right column below it, the extra
    panels of the main screen (recorder, OSC), which it shows but does not own.

    Layout, in the content area of the main screen (the largest rectangle of the content aspect,
    centred) less a margin of 0.0139 of its width on either side: a header of 0.156 of the height
    with the title and, at its right end, the close button; below it the device selector in the
    left half; in the right half a gap of 0.7 of the column, then 0.35 of the rest, and the extra
    panels sharing what remains, one below the other. The settings are saved when it is destroyed.
    Message thread only. */
class SimpleSettingsOverlay : public juce::Component
{
public:
    SimpleSettingsOverlay(OstrelAudioService& audioService, PupackManager& library);
    /** Saves the settings and lets go of the extra panels without destroying them. */
    ~SimpleSettingsOverlay() override;

    /** Shows these panels (not owned; they outlive the overlay) in the right column, in order. */
    void setExtraPanels(const std::vector<juce::Component*>& panels);

    /** Called with command 15 (show or hide the settings) when the close button is clicked. */
    std::function<void(int commandId)> onCommand;

    /** Where the extra panels go for an overlay of `size` holding `panelCount` of them. */
    static std::vector<juce::Rectangle<int>> extraPanelBounds(juce::Point<int> size, int panelCount);

    void paint(juce::Graphics& g) override;
    void resized() override;

    juce::TextButton& getCloseButton() noexcept { return closeButton; }

private:
    juce::Label titleLabel;
    juce::TextButton closeButton;
    std::unique_ptr<juce::Component> deviceSelector;
    std::vector<juce::Component*> extraPanels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SimpleSettingsOverlay)
};
} // namespace tessel
