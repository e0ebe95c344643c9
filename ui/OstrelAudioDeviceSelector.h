#pragma once

#include "ui/AudioDeviceSettingsPanel.h"
#include "ui/AudioInputRoutingPanel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tessel
{
class OstrelAudioService;

/** The audio section of the settings: a title, the device type (when there is more than one), the
    device settings panel with the active channels, sample rate and buffer size (all shown directly),
    and the input routing panel that assigns active input channels to the voice and the AUX inputs.
    No MIDI devices are offered.

    Everything is brought up to date when the device manager reports a change and once a second, so
    that channels that appear or disappear show within a second. Layout, for a width W with rows of
    24 pixels and 6-pixel spaces: the title over the top 48 pixels, then the device type in the
    column from 0.35 W (0.6 W wide), the settings panel over the full width, and the routing panel in
    the same column as the device type. The selector shrinks to its content plus up to 24 pixels.
    Message thread only. */
class OstrelAudioDeviceSelector : public juce::Component, private juce::ChangeListener, private juce::Timer
{
public:
    /** A selector for the service's device manager that allows minInputChannels to maxInputChannels
        active inputs and minOutputChannels to maxOutputChannels active outputs, listed one by one
        or (showChannelsAsStereoPairs) as pairs. */
    OstrelAudioDeviceSelector(juce::AudioDeviceManager& deviceManager, int minInputChannels,
                              int maxInputChannels, int minOutputChannels, int maxOutputChannels,
                              bool showChannelsAsStereoPairs, OstrelAudioService& audioService);
    ~OstrelAudioDeviceSelector() override;

    /** Builds the settings panel for the current device type when needed, refreshes it and the
        routing panel, and lays everything out. */
    void updateAllControls();

    void resized() override;

    /** Rows are this high, in pixels. */
    static constexpr int itemHeight = 24;

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    juce::ComboBox* getDeviceTypeDropDown() const noexcept { return deviceTypeDropDown.get(); }
    AudioDeviceSettingsPanel* getSettingsPanel() const noexcept { return settingsPanel.get(); }
    AudioInputRoutingPanel& getRoutingPanel() noexcept { return routingPanel; }
    juce::Label& getRoutingLabel() noexcept { return routingLabel; }

private:
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void timerCallback() override;
    void deviceTypeChosen();
    void layOut();

    juce::AudioDeviceManager& deviceManager;
    OstrelAudioService& audioService;
    AudioDeviceSetupDetails setupDetails;

    juce::Label titleLabel;
    std::unique_ptr<juce::ComboBox> deviceTypeDropDown;
    std::unique_ptr<juce::Label> deviceTypeLabel;
    std::unique_ptr<AudioDeviceSettingsPanel> settingsPanel;
    juce::String settingsPanelType;
    AudioInputRoutingPanel routingPanel;
    juce::Label routingLabel;

    /** The height the owner gave, and the height the selector last gave itself: a resize to any
        other height comes from the owner. */
    int availableHeight = 0;
    int ownHeight = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelAudioDeviceSelector)
};
} // namespace tessel
