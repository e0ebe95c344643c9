#pragma once

#include "ui/AudioDeviceSetupDetails.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The list of a device's input or output channels, one row per channel (or per stereo pair "a + b"
    when the setup details ask for pairs), each row a tick box with the channel name. The ticked rows
    are the active channels of the device setup; clicking a tick box (or double-clicking a row, or
    Return) switches the channel on or off within the setup's minimum and maximum: switching one on
    beyond the maximum switches another off, switching one off below the minimum does nothing.

    It is its own list box model. Message thread only. */
class ChannelSelectorListBox : public juce::ListBox, private juce::ListBoxModel
{
public:
    enum BoxType
    {
        audioInputType,
        audioOutputType
    };

    /** A list of the current device's channels of that type; noItemsText is shown when the device has
        none. */
    ChannelSelectorListBox(const AudioDeviceSetupDetails& setupDetails, BoxType boxType,
                           const juce::String& noItemsText);

    /** Re-reads the channel names of the current device and repaints. */
    void refresh();

    /** The height for all rows, at least two and at most what fits into maxHeight, plus the outline. */
    int getBestHeight(int maxHeight);

    /** The names shown, one per row. */
    const juce::StringArray& getItems() const noexcept { return items; }
    /** Whether the channel (or pair) of a row is active in the device setup. */
    bool isRowActive(int row) const;
    /** Switches the channel (or pair) of a row on or off, as a click on its tick box does. */
    void flipEnablement(int row);

    void paint(juce::Graphics& g) override;

    /** The text of a stereo pair: the first name, " + ", and what differs in the second name after
        their common prefix (cut back to a blank, so that "input 11" and "input 12" do not become
        "input 11 + 2"). */
    static juce::String getNameForChannelPair(const juce::String& name1, const juce::String& name2);

private:
    int getNumRows() override;
    void paintListBoxItem(int row, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    void listBoxItemClicked(int row, const juce::MouseEvent& e) override;
    void listBoxItemDoubleClicked(int row, const juce::MouseEvent& e) override;
    void returnKeyPressed(int row) override;

    static void flipBit(juce::BigInteger& channels, int index, int minNumber, int maxNumber);
    int getTickX() const;

    const AudioDeviceSetupDetails setup;
    const BoxType type;
    const juce::String noItemsMessage;
    juce::StringArray items;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ChannelSelectorListBox)
};
} // namespace tessel
