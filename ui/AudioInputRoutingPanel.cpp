#include "ui/AudioInputRoutingPanel.h"

#include "audio/OstrelAudioService.h"
#include "ui/AudioDeviceSetupDetails.h"

namespace tessel
{
namespace
{
// Item IDs of the drop-downs: the none entry, then the active channels in position order.
constexpr int noneItemId = 1;
constexpr int firstChannelItemId = 2;

constexpr int dropDownWidth = 140;
constexpr int rowHeight = 40;
constexpr int rowPitch = 50;
} // namespace

AudioInputRoutingPanel::AudioInputRoutingPanel(juce::AudioDeviceManager& manager, OstrelAudioService& service)
    : deviceManager(manager), audioService(service)
{
    voiceLabel.setText(juce::translate("AudioRouting_Voice"), juce::dontSendNotification);
    bgmRightLabel.setText(juce::translate("AudioRouting_AUXRight"), juce::dontSendNotification);
    stereoToggle.setButtonText(juce::translate("AudioRouting_AUXStereo"));

    for (auto* box : {&voiceDropDown, &bgmLeftDropDown, &bgmRightDropDown})
    {
        addAndMakeVisible(box);
        box->onChange = [this] { routingChosen(); };
    }
    for (auto* label : {&voiceLabel, &bgmLeftLabel, &bgmRightLabel})
        addAndMakeVisible(label);
    addAndMakeVisible(stereoToggle);
    stereoToggle.onClick = [this] { stereoToggled(); };

    showStereoState(audioService.getRouting().bgmInputAsStereo != 0);
    refresh();
}

int AudioInputRoutingPanel::getPreferredHeight() const
{
    return stereoShown ? 200 : 150;
}

void AudioInputRoutingPanel::resized()
{
    const int width = getWidth();
    const int c = juce::jmin(width, dropDownWidth);
    const int rightHeight = stereoShown ? rowHeight : 0;

    voiceDropDown.setBounds(0, 0, c, rowHeight);
    voiceLabel.setBounds(c, 0, width - c, rowHeight);
    bgmLeftDropDown.setBounds(0, rowPitch, c, rowHeight);
    bgmLeftLabel.setBounds(c, rowPitch, width - c, rowHeight);
    bgmRightDropDown.setBounds(0, 2 * rowPitch, c, rightHeight);
    bgmRightLabel.setBounds(c, 2 * rowPitch, width - c, rightHeight);
    stereoToggle.setBounds(0, stereoShown ? 3 * rowPitch : 2 * rowPitch, c, rowHeight);
}

void AudioInputRoutingPanel::showStereoState(bool stereo)
{
    stereoShown = stereo;
    stereoToggle.setToggleState(stereo, juce::dontSendNotification);
    bgmLeftLabel.setText(juce::translate(stereo ? "AudioRouting_AUXLeft" : "AudioRouting_AUX"),
                         juce::dontSendNotification);
    bgmRightDropDown.setVisible(stereo);
    bgmRightLabel.setVisible(stereo);
}

void AudioInputRoutingPanel::refresh()
{
    const auto setup = deviceManager.getAudioDeviceSetup();
    auto* device = deviceManager.getCurrentAudioDevice();
    const juce::String deviceKey =
        device != nullptr ? deviceManager.getCurrentAudioDeviceType() + "\n" + setup.inputDeviceName
                          : juce::String();

    std::vector<ActiveChannel> channels;
    if (device != nullptr)
    {
        const auto names = device->getInputChannelNames();
        for (int bit = setup.inputChannels.findNextSetBit(0); bit >= 0;
             bit = setup.inputChannels.findNextSetBit(bit + 1))
            channels.push_back({bit, names[bit]});
    }

    const auto current = audioService.getRouting();
    if (device == nullptr)
    {
        // A device that failed to open, or one being reopened: nothing can be routed now, and the
        // routing is kept for when it is back rather than cleared.
        activeChannels.clear();
        activeDeviceKey.clear();
        for (auto* box : {&voiceDropDown, &bgmLeftDropDown, &bgmRightDropDown})
            fillDropDown(*box, {}, -1);
        return;
    }

    auto routing = current;
    const bool sameDevice = deviceKey.isNotEmpty() && deviceKey == activeDeviceKey;
    for (int* role : {&routing.voice, &routing.bgmLeft, &routing.bgmRight})
    {
        if (*role < 0)
        {
            *role = -1;
            continue;
        }
        if (sameDevice && *role < static_cast<int>(activeChannels.size()))
        {
            // Roles are positions among the active channels, and positions move when channels of
            // the same device come or go: follow the channel the role was on, and clear the role
            // when that channel is no longer active.
            const int deviceIndex = activeChannels[static_cast<size_t>(*role)].deviceIndex;
            *role = -1;
            for (size_t position = 0; position < channels.size(); ++position)
                if (channels[position].deviceIndex == deviceIndex)
                    *role = static_cast<int>(position);
        }
        else if (*role >= static_cast<int>(channels.size()))
        {
            *role = -1;
        }
    }

    activeChannels = std::move(channels);
    activeDeviceKey = deviceKey;

    juce::StringArray names;
    for (const auto& channel : activeChannels)
        names.add(channel.name);

    // Without a voice channel the first active channel takes the voice.
    if (!activeChannels.empty() && routing.voice < 0)
        routing.voice = 0;

    fillDropDown(voiceDropDown, names, routing.voice);
    fillDropDown(bgmLeftDropDown, names, routing.bgmLeft);
    fillDropDown(bgmRightDropDown, names, routing.bgmRight);

    const bool stereo = routing.bgmInputAsStereo != 0;
    if (stereo != stereoShown)
    {
        showStereoState(stereo);
        resized();
        if (onPreferredHeightChanged)
            onPreferredHeightChanged();
    }

    // What the lists show is what must be wired.
    if (!(routing == current))
    {
        audioService.setRouting(routing);
        audioService.rebuildGraph();
    }
}

void AudioInputRoutingPanel::fillDropDown(juce::ComboBox& box, const juce::StringArray& names, int role)
{
    // Refilled only when the items differ, so that an open list is not disturbed every second.
    juce::StringArray shown;
    for (int i = 0; i < box.getNumItems(); ++i)
        shown.add(box.getItemText(i));
    juce::StringArray wanted(getNoneEntryText());
    wanted.addArray(names);

    if (shown != wanted)
    {
        box.clear(juce::dontSendNotification);
        for (int i = 0; i < wanted.size(); ++i)
            box.addItem(wanted[i], noneItemId + i);
    }

    box.setSelectedId(role >= 0 && role < names.size() ? firstChannelItemId + role : noneItemId,
                      juce::dontSendNotification);
}

int AudioInputRoutingPanel::positionChosenIn(const juce::ComboBox& box) const
{
    const int position = box.getSelectedId() - firstChannelItemId;
    return juce::isPositiveAndBelow(position, static_cast<int>(activeChannels.size())) ? position : -1;
}

void AudioInputRoutingPanel::routingChosen()
{
    auto routing = audioService.getRouting();
    routing.voice = positionChosenIn(voiceDropDown);
    routing.bgmLeft = positionChosenIn(bgmLeftDropDown);
    routing.bgmRight = positionChosenIn(bgmRightDropDown);
    routing.bgmInputAsStereo = stereoToggle.getToggleState() ? 1 : 0;
    audioService.setRouting(routing);
    audioService.rebuildGraph();
}

void AudioInputRoutingPanel::stereoToggled()
{
    routingChosen();
    showStereoState(stereoToggle.getToggleState());
    resized();
    if (onPreferredHeightChanged)
        onPreferredHeightChanged();
}
} // namespace tessel
