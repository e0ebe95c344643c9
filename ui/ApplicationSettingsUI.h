#pragma once

#include "ui/PupackSelectorEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace tessel
{
class OstrelAudioService;
class OstrelUI;
class PupackManager;

/** The settings overlay ("Application Settings"): covers the whole main screen while it is open and
    gathers the model settings (`PupackSelectorEditor`) in the left half of the body and, in the
    right half, the audio section with the extra panels (recorder, OSC) below it.

    Each opening builds a fresh model editor and audio section; the extra panels belong to the main
    screen and are only shown here. The settings are saved when the overlay is built and again when
    it is destroyed. Layout, for W x H: the content area of the main screen (the largest rectangle of
    the content aspect, centred) with a margin of 0.0139 of its width on either side; a header of
    0.156 H with the title and, at its right end, the close button; below it the model editor in the
    left half; the audio section over 0.7 of the right column, then a gap of 0.35 of the rest and the
    extra panels sharing what remains.

    The application shows and hides it with `toggle` (command 15, "Show/Hide Settings UI"); the close
    button invokes that command again, asynchronously, through the main screen. Message thread only. */
class ApplicationSettingsUI : public juce::Component
{
public:
    /** Builds the title, the close button, the model editor (from the library's view model) and the
        audio section (from the service), then saves the settings. */
    ApplicationSettingsUI(OstrelAudioService& audioService, PupackManager& library);
    /** Saves the settings, lets go of the extra panels without destroying them, then destroys its
        own parts. */
    ~ApplicationSettingsUI() override;

    /** Command 15: when an overlay is shown over the screen, removes and destroys it (which saves the
        settings) and returns false. Otherwise builds a new one (saving the settings), makes it the
        screen's overlay, shows the screen's extra settings panels in it, in their order, has its
        close button invoke command 15 through the screen, lays the screen out and returns true. */
    static bool toggle(OstrelUI& screen, OstrelAudioService& audioService, PupackManager& library);

    /** The overlay shown over the screen, or null. */
    static ApplicationSettingsUI* findShownOver(const OstrelUI& screen);

    /** Shows these panels (not owned; they outlive the overlay) below the audio section, in order. */
    void setExtraPanels(const std::vector<juce::Component*>& panels);
    const std::vector<juce::Component*>& getExtraPanels() const noexcept { return extraPanels; }

    /** Called with command 15 (show or hide the settings) when the close button is clicked; `toggle`
        has it invoke the command asynchronously through the screen's command manager. */
    std::function<void(int commandId)> onCommand;

    void paint(juce::Graphics& g) override;
    void resized() override;

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    juce::ImageButton& getCloseButton() noexcept { return closeButton; }
    PupackSelectorEditor& getModelEditor() noexcept { return *modelEditor; }
    /** The audio section, shown in `getAudioViewport()`, which scrolls it when the section needs more
        height than the layout gives (small windows). */
    juce::Component& getAudioSection() noexcept { return *audioSection; }
    juce::Viewport& getAudioViewport() noexcept { return audioViewport; }

private:
    void layOutAudioSection();

    OstrelAudioService& audioService;
    PupackManager& library;
    juce::Viewport audioViewport;
    std::unique_ptr<juce::Component> audioSection;
    std::unique_ptr<PupackSelectorEditor> modelEditor;
    std::vector<juce::Component*> extraPanels;
    juce::Label titleLabel;
    juce::ImageButton closeButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ApplicationSettingsUI)
};
} // namespace tessel
