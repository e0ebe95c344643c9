#pragma once

#include "audio/RoutingOrders.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

namespace tessel
{
class OstrelAudioService;

/** Assigns the device's active input channels to the three signal roles: the voice, and the left
    and right AUX (background) inputs, with a toggle for a stereo AUX input.

    Each role has a drop-down with the none entry followed by the names of the active input
    channels; the role holds the position of the chosen channel among the active input channels
    (-1 for none), as the audio service's routing does. Every choice writes the routing to the
    service and rebuilds its chain. The AUX-right row is shown only while the AUX input is stereo;
    the AUX-left label then reads "AUX Left" instead of "AUX".

    `refresh()` brings the lists up to date with the device: a role whose channel is no longer active
    is cleared (a role keeps its channel when other channels come or go before it), and without a
    voice channel the first active channel becomes the voice. A refresh that changes the routing
    writes it and rebuilds the chain, so that what the lists show is what is wired. Without an open
    device every list holds only the none entry and the routing is left as it is. Message thread
    only. */
class AudioInputRoutingPanel : public juce::Component
{
public:
    /** A panel for the device manager's current device and the service's routing (both not owned;
        they outlive the panel). */
    AudioInputRoutingPanel(juce::AudioDeviceManager& deviceManager, OstrelAudioService& service);

    /** Re-reads the active input channels and the routing and shows them. */
    void refresh();

    /** Drop-downs of 140 pixels (at most the width) in rows 50 pixels apart, labels to their right. */
    void resized() override;

    /** 200 pixels while the AUX input is stereo (four rows), else 150. */
    int getPreferredHeight() const;

    /** Called when the preferred height changed (the stereo toggle), so that the owner lays out again. */
    std::function<void()> onPreferredHeightChanged;

    juce::ComboBox& getVoiceDropDown() noexcept { return voiceDropDown; }
    juce::ComboBox& getBgmLeftDropDown() noexcept { return bgmLeftDropDown; }
    juce::ComboBox& getBgmRightDropDown() noexcept { return bgmRightDropDown; }
    juce::Label& getVoiceLabel() noexcept { return voiceLabel; }
    juce::Label& getBgmLeftLabel() noexcept { return bgmLeftLabel; }
    juce::Label& getBgmRightLabel() noexcept { return bgmRightLabel; }
    juce::ToggleButton& getStereoToggle() noexcept { return stereoToggle; }

private:
    /** An active input channel: its index on the device and its name. */
    struct ActiveChannel
    {
        int deviceIndex;
        juce::String name;
        bool operator==(const ActiveChannel&) const = default;
    };

    void routingChosen();
    void stereoToggled();
    void showStereoState(bool stereo);
    int positionChosenIn(const juce::ComboBox& box) const;
    void fillDropDown(juce::ComboBox& box, const juce::StringArray& names, int role);

    juce::AudioDeviceManager& deviceManager;
    OstrelAudioService& audioService;

    /** The active input channels of the last refresh, in position order, and the device they
        belong to. */
    std::vector<ActiveChannel> activeChannels;
    juce::String activeDeviceKey;
    bool stereoShown = false;

    juce::ComboBox voiceDropDown{"Voice Input"};
    juce::ComboBox bgmLeftDropDown{"BGM Left Input"};
    juce::ComboBox bgmRightDropDown{"BGM Right Input"};
    juce::Label voiceLabel;
    juce::Label bgmLeftLabel;
    juce::Label bgmRightLabel;
    juce::ToggleButton stereoToggle;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioInputRoutingPanel)
};
} // namespace tessel
