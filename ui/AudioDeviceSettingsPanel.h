#pragma once

#include "ui/AudioDeviceSetupDetails.h"
#include "ui/ChannelSelectorListBox.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tessel
{
/** The device part of the audio settings: for one device type, the output device (with a test
    button), the input device (with an input level meter), the active output and input channels, the
    sample rate, the buffer size, and the device's control-panel and reset buttons. Each control
    exists only when the device type and the open device support it; every text is translated.

    Controls take the column from 0.35 of the width, 0.6 of the width wide, with their labels to the
    left; rows are one item height high with a quarter item height between them. The panel's height
    follows its content. Choosing a device, rate or buffer size changes the device manager's setup;
    a setup the device refuses shows the device's error in a warning box. Message thread only. */
class AudioDeviceSettingsPanel : public juce::Component, private juce::ChangeListener
{
public:
    /** A panel for a device type of setupDetails' manager; rows are itemHeight pixels high. */
    AudioDeviceSettingsPanel(juce::AudioIODeviceType& deviceType, const AudioDeviceSetupDetails& setupDetails,
                             int itemHeight);
    ~AudioDeviceSettingsPanel() override;

    /** Re-reads the devices, channels, rates and buffer sizes and lays the panel out again. */
    void updateAllControls();

    /** Lays the controls out for the current width and sets the panel's height to its content. */
    void resized() override;

    juce::AudioIODeviceType& getDeviceType() const noexcept { return type; }

    juce::ComboBox* getOutputDeviceDropDown() const noexcept { return outputDeviceDropDown.get(); }
    juce::ComboBox* getInputDeviceDropDown() const noexcept { return inputDeviceDropDown.get(); }
    juce::ComboBox* getSampleRateDropDown() const noexcept { return sampleRateDropDown.get(); }
    juce::ComboBox* getBufferSizeDropDown() const noexcept { return bufferSizeDropDown.get(); }
    ChannelSelectorListBox* getInputChannelList() const noexcept { return inputChanList.get(); }
    ChannelSelectorListBox* getOutputChannelList() const noexcept { return outputChanList.get(); }
    juce::TextButton* getTestButton() const noexcept { return testButton.get(); }
    juce::Component* getInputLevelMeter() const noexcept { return inputLevelMeter.get(); }

    /** The text of a sample rate in the list: "44100 Hz". */
    static juce::String sampleRateText(int rate);
    /** The text of a buffer size in the list: "256 samples (5.8 ms)". */
    static juce::String bufferSizeText(int samples, double sampleRate);

private:
    void changeListenerCallback(juce::ChangeBroadcaster*) override;
    void updateConfig(bool updateOutputDevice, bool updateInputDevice, bool updateSampleRate,
                      bool updateBufferSize);
    void showDeviceUIPanel();
    void resetDevice();
    void showCorrectDeviceName(juce::ComboBox* box, bool isInput);
    void addNamesToDeviceBox(juce::ComboBox& combo, bool isInputs);
    int getLowestY() const;
    void updateControlPanelButton();
    void updateResetButton();
    void updateOutputsComboBox();
    void updateInputsComboBox();
    void updateChannelLists(juce::AudioIODevice& device);
    void updateSampleRateComboBox(juce::AudioIODevice& device);
    void updateBufferSizeComboBox(juce::AudioIODevice& device);

    juce::AudioIODeviceType& type;
    const AudioDeviceSetupDetails setup;
    const int itemHeight;

    std::unique_ptr<juce::ComboBox> outputDeviceDropDown, inputDeviceDropDown, sampleRateDropDown,
        bufferSizeDropDown;
    std::unique_ptr<juce::Label> outputDeviceLabel, inputDeviceLabel, sampleRateLabel, bufferSizeLabel,
        inputChanLabel, outputChanLabel;
    std::unique_ptr<juce::TextButton> testButton;
    std::unique_ptr<juce::Component> inputLevelMeter;
    std::unique_ptr<juce::TextButton> showUIButton, resetDeviceButton;
    std::unique_ptr<ChannelSelectorListBox> inputChanList, outputChanList;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioDeviceSettingsPanel)
};
} // namespace tessel
