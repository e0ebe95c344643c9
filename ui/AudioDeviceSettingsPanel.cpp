#include "ui/AudioDeviceSettingsPanel.h"

#include "ui/SimpleDeviceManagerInputLevelMeter.h"

namespace tessel
{
AudioDeviceSettingsPanel::AudioDeviceSettingsPanel(juce::AudioIODeviceType& deviceType,
                                                   const AudioDeviceSetupDetails& setupDetails, int height)
    : type(deviceType), setup(setupDetails), itemHeight(height)
{
    type.scanForDevices();
    setup.manager->addChangeListener(this);
}

AudioDeviceSettingsPanel::~AudioDeviceSettingsPanel()
{
    setup.manager->removeChangeListener(this);
}

juce::String AudioDeviceSettingsPanel::sampleRateText(int rate)
{
    return juce::String(rate) + " Hz";
}

juce::String AudioDeviceSettingsPanel::bufferSizeText(int samples, double sampleRate)
{
    return juce::String(samples) + " samples (" + juce::String(samples * 1000.0 / sampleRate, 1) + " ms)";
}

void AudioDeviceSettingsPanel::resized()
{
    juce::Rectangle<int> r(proportionOfWidth(0.35f), 0, proportionOfWidth(0.6f), 3000);
    const int maxListBoxHeight = 100;
    const int h = itemHeight;
    const int space = h / 4;

    if (outputDeviceDropDown != nullptr)
    {
        auto row = r.removeFromTop(h);
        if (testButton != nullptr)
        {
            testButton->changeWidthToFitText(h);
            testButton->setBounds(row.removeFromRight(testButton->getWidth()));
            row.removeFromRight(space);
        }
        outputDeviceDropDown->setBounds(row);
        r.removeFromTop(space);
    }

    if (inputDeviceDropDown != nullptr)
    {
        auto row = r.removeFromTop(h);
        inputLevelMeter->setBounds(
            row.removeFromRight(testButton != nullptr ? testButton->getWidth() : row.getWidth() / 6));
        row.removeFromRight(space);
        inputDeviceDropDown->setBounds(row);
        r.removeFromTop(space);
    }

    for (auto* list : {outputChanList.get(), inputChanList.get()})
    {
        if (list == nullptr)
            continue;
        list->setRowHeight(juce::jmin(22, h));
        list->setBounds(r.removeFromTop(list->getBestHeight(maxListBoxHeight)));
        auto* label = list == outputChanList.get() ? outputChanLabel.get() : inputChanLabel.get();
        label->setBounds(0, list->getBounds().getCentreY() - h / 2, r.getX(), h);
        r.removeFromTop(space);
    }

    r.removeFromTop(space * 2);

    // The advanced settings are always shown: no button hides them.
    for (auto* box : {sampleRateDropDown.get(), bufferSizeDropDown.get()})
    {
        if (box == nullptr)
            continue;
        box->setBounds(r.removeFromTop(h));
        r.removeFromTop(space);
    }

    r.removeFromTop(space);

    if (showUIButton != nullptr || resetDeviceButton != nullptr)
    {
        auto buttons = r.removeFromTop(h);
        if (showUIButton != nullptr)
        {
            showUIButton->changeWidthToFitText(h);
            showUIButton->setBounds(buttons.removeFromLeft(showUIButton->getWidth()));
            buttons.removeFromLeft(space);
        }
        if (resetDeviceButton != nullptr)
        {
            resetDeviceButton->changeWidthToFitText(h);
            resetDeviceButton->setBounds(buttons.removeFromLeft(resetDeviceButton->getWidth()));
        }
        r.removeFromTop(space);
    }

    setSize(getWidth(), r.getY());
}

void AudioDeviceSettingsPanel::updateConfig(bool updateOutputDevice, bool updateInputDevice,
                                            bool updateSampleRate, bool updateBufferSize)
{
    auto config = setup.manager->getAudioDeviceSetup();
    juce::String error;

    if (updateOutputDevice || updateInputDevice)
    {
        if (outputDeviceDropDown != nullptr)
            config.outputDeviceName =
                outputDeviceDropDown->getSelectedId() < 0 ? juce::String() : outputDeviceDropDown->getText();
        if (inputDeviceDropDown != nullptr)
            config.inputDeviceName =
                inputDeviceDropDown->getSelectedId() < 0 ? juce::String() : inputDeviceDropDown->getText();
        if (!type.hasSeparateInputsAndOutputs())
            config.inputDeviceName = config.outputDeviceName;

        if (updateInputDevice)
            config.useDefaultInputChannels = true;
        else
            config.useDefaultOutputChannels = true;

        error = setup.manager->setAudioDeviceSetup(config, true);

        showCorrectDeviceName(inputDeviceDropDown.get(), true);
        showCorrectDeviceName(outputDeviceDropDown.get(), false);
        updateControlPanelButton();
        resized();
    }
    else if (updateSampleRate)
    {
        if (sampleRateDropDown->getSelectedId() > 0)
        {
            config.sampleRate = sampleRateDropDown->getSelectedId();
            error = setup.manager->setAudioDeviceSetup(config, true);
        }
    }
    else if (updateBufferSize)
    {
        if (bufferSizeDropDown->getSelectedId() > 0)
        {
            config.bufferSize = bufferSizeDropDown->getSelectedId();
            error = setup.manager->setAudioDeviceSetup(config, true);
        }
    }

    if (error.isNotEmpty())
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon,
                                               juce::translate("AudioDevice_OpenError"), error);
}

void AudioDeviceSettingsPanel::showDeviceUIPanel()
{
    auto* device = setup.manager->getCurrentAudioDevice();
    if (device == nullptr)
        return;

    bool changed = false;
    {
        // The device's own panel runs modally; an empty opaque window keeps the application's
        // windows from taking input meanwhile.
        juce::Component modalWindow;
        modalWindow.setOpaque(true);
        modalWindow.addToDesktop(0);
        modalWindow.enterModalState();
        changed = device->showControlPanel();
    }

    if (changed)
    {
        setup.manager->closeAudioDevice();
        setup.manager->restartLastAudioDevice();
        getTopLevelComponent()->toFront(true);
    }
}

void AudioDeviceSettingsPanel::resetDevice()
{
    setup.manager->closeAudioDevice();
    setup.manager->restartLastAudioDevice();
}

void AudioDeviceSettingsPanel::updateAllControls()
{
    updateOutputsComboBox();
    updateInputsComboBox();
    updateControlPanelButton();
    updateResetButton();

    if (auto* device = setup.manager->getCurrentAudioDevice())
    {
        updateChannelLists(*device);
        updateSampleRateComboBox(*device);
        updateBufferSizeComboBox(*device);
    }
    else
    {
        inputChanLabel.reset();
        outputChanLabel.reset();
        sampleRateLabel.reset();
        bufferSizeLabel.reset();
        inputChanList.reset();
        outputChanList.reset();
        sampleRateDropDown.reset();
        bufferSizeDropDown.reset();

        if (outputDeviceDropDown != nullptr)
            outputDeviceDropDown->setSelectedId(-1, juce::dontSendNotification);
        if (inputDeviceDropDown != nullptr)
            inputDeviceDropDown->setSelectedId(-1, juce::dontSendNotification);
    }

    sendLookAndFeelChange();
    resized();
    setSize(getWidth(), getLowestY() + 4);
}

void AudioDeviceSettingsPanel::updateChannelLists(juce::AudioIODevice& device)
{
    const struct
    {
        std::unique_ptr<ChannelSelectorListBox>& list;
        std::unique_ptr<juce::Label>& label;
        ChannelSelectorListBox::BoxType boxType;
        int maximum;
        int minimum;
        int available;
        const char* labelKey;
        const char* noChannelsKey;
    } kinds[] = {
        {outputChanList, outputChanLabel, ChannelSelectorListBox::audioOutputType, setup.maxNumOutputChannels,
         setup.minNumOutputChannels, device.getOutputChannelNames().size(),
         "AudioDevice_ActiveOutputChannels", "AudioDevice_NoOutputChannels"},
        {inputChanList, inputChanLabel, ChannelSelectorListBox::audioInputType, setup.maxNumInputChannels,
         setup.minNumInputChannels, device.getInputChannelNames().size(), "AudioDevice_ActiveInputChannels",
         "AudioDevice_NoInputChannels"},
    };

    for (const auto& kind : kinds)
    {
        // A list only makes sense when the user has a choice: more channels than must be active.
        if (kind.maximum > 0 && kind.minimum < kind.available)
        {
            if (kind.list == nullptr)
            {
                kind.list = std::make_unique<ChannelSelectorListBox>(setup, kind.boxType,
                                                                     juce::translate(kind.noChannelsKey));
                addAndMakeVisible(kind.list.get());
                kind.label = std::make_unique<juce::Label>(juce::String(), juce::translate(kind.labelKey));
                kind.label->setJustificationType(juce::Justification::centredRight);
                kind.label->attachToComponent(kind.list.get(), true);
            }
            kind.list->refresh();
        }
        else
        {
            kind.label.reset();
            kind.list.reset();
        }
    }
}

void AudioDeviceSettingsPanel::changeListenerCallback(juce::ChangeBroadcaster*)
{
    updateAllControls();
}

void AudioDeviceSettingsPanel::showCorrectDeviceName(juce::ComboBox* box, bool isInput)
{
    if (box == nullptr)
        return;

    const int index = type.getIndexOfDevice(setup.manager->getCurrentAudioDevice(), isInput);
    box->setSelectedId(index < 0 ? index : index + 1, juce::dontSendNotification);

    if (testButton != nullptr && !isInput)
        testButton->setEnabled(index >= 0);
}

void AudioDeviceSettingsPanel::addNamesToDeviceBox(juce::ComboBox& combo, bool isInputs)
{
    const juce::StringArray devices(type.getDeviceNames(isInputs));

    combo.clear(juce::dontSendNotification);
    for (int i = 0; i < devices.size(); ++i)
        combo.addItem(devices[i], i + 1);
    combo.addItem(getNoneEntryText(), -1);
    combo.setSelectedId(-1, juce::dontSendNotification);
}

int AudioDeviceSettingsPanel::getLowestY() const
{
    int y = 0;
    for (auto* child : getChildren())
        y = juce::jmax(y, child->getBottom());
    return y;
}

void AudioDeviceSettingsPanel::updateControlPanelButton()
{
    auto* device = setup.manager->getCurrentAudioDevice();
    showUIButton.reset();

    if (device != nullptr && device->hasControlPanel())
    {
        showUIButton = std::make_unique<juce::TextButton>(juce::translate("AudioDevice_ControlPanel"));
        addAndMakeVisible(showUIButton.get());
        showUIButton->onClick = [this] { showDeviceUIPanel(); };
    }

    resized();
}

void AudioDeviceSettingsPanel::updateResetButton()
{
    auto* device = setup.manager->getCurrentAudioDevice();
    if (device != nullptr && device->hasControlPanel())
    {
        if (resetDeviceButton == nullptr)
        {
            resetDeviceButton = std::make_unique<juce::TextButton>(juce::translate("AudioDevice_Reset"));
            addAndMakeVisible(resetDeviceButton.get());
            resetDeviceButton->onClick = [this] { resetDevice(); };
            resized();
        }
        return;
    }

    resetDeviceButton.reset();
}

void AudioDeviceSettingsPanel::updateOutputsComboBox()
{
    if (setup.maxNumOutputChannels > 0 || !type.hasSeparateInputsAndOutputs())
    {
        if (outputDeviceDropDown == nullptr)
        {
            outputDeviceDropDown = std::make_unique<juce::ComboBox>("Output Device");
            outputDeviceDropDown->onChange = [this] { updateConfig(true, false, false, false); };
            addAndMakeVisible(outputDeviceDropDown.get());

            outputDeviceLabel = std::make_unique<juce::Label>(
                juce::String(), juce::translate(type.hasSeparateInputsAndOutputs() ? "AudioDevice_Output"
                                                                                   : "AudioDevice_Device"));
            outputDeviceLabel->attachToComponent(outputDeviceDropDown.get(), true);

            if (setup.maxNumOutputChannels > 0)
            {
                testButton = std::make_unique<juce::TextButton>(juce::translate("AudioDevice_Test"));
                addAndMakeVisible(testButton.get());
                testButton->onClick = [this] { setup.manager->playTestSound(); };
            }
        }

        addNamesToDeviceBox(*outputDeviceDropDown, false);
    }

    showCorrectDeviceName(outputDeviceDropDown.get(), false);
}

void AudioDeviceSettingsPanel::updateInputsComboBox()
{
    if (setup.maxNumInputChannels > 0 && type.hasSeparateInputsAndOutputs())
    {
        if (inputDeviceDropDown == nullptr)
        {
            inputDeviceDropDown = std::make_unique<juce::ComboBox>("Input Device");
            inputDeviceDropDown->onChange = [this] { updateConfig(false, true, false, false); };
            addAndMakeVisible(inputDeviceDropDown.get());

            inputDeviceLabel =
                std::make_unique<juce::Label>(juce::String(), juce::translate("AudioDevice_Input"));
            inputDeviceLabel->attachToComponent(inputDeviceDropDown.get(), true);

            inputLevelMeter = std::make_unique<SimpleDeviceManagerInputLevelMeter>(*setup.manager);
            addAndMakeVisible(inputLevelMeter.get());
        }

        addNamesToDeviceBox(*inputDeviceDropDown, true);
    }

    showCorrectDeviceName(inputDeviceDropDown.get(), true);
}

void AudioDeviceSettingsPanel::updateSampleRateComboBox(juce::AudioIODevice& device)
{
    if (sampleRateDropDown == nullptr)
    {
        sampleRateDropDown = std::make_unique<juce::ComboBox>("Sample Rate");
        addAndMakeVisible(sampleRateDropDown.get());
        sampleRateLabel =
            std::make_unique<juce::Label>(juce::String(), juce::translate("AudioDevice_SampleRate"));
        sampleRateLabel->attachToComponent(sampleRateDropDown.get(), true);
    }
    else
    {
        sampleRateDropDown->clear(juce::dontSendNotification);
        sampleRateDropDown->onChange = nullptr;
    }

    for (auto rate : device.getAvailableSampleRates())
    {
        const int intRate = juce::roundToInt(rate);
        sampleRateDropDown->addItem(sampleRateText(intRate), intRate);
    }
    sampleRateDropDown->setText(sampleRateText(juce::roundToInt(device.getCurrentSampleRate())),
                                juce::dontSendNotification);
    sampleRateDropDown->onChange = [this] { updateConfig(false, false, true, false); };
}

void AudioDeviceSettingsPanel::updateBufferSizeComboBox(juce::AudioIODevice& device)
{
    if (bufferSizeDropDown == nullptr)
    {
        bufferSizeDropDown = std::make_unique<juce::ComboBox>("Buffer Size");
        addAndMakeVisible(bufferSizeDropDown.get());
        bufferSizeLabel =
            std::make_unique<juce::Label>(juce::String(), juce::translate("AudioDevice_BufferSize"));
        bufferSizeLabel->attachToComponent(bufferSizeDropDown.get(), true);
    }
    else
    {
        bufferSizeDropDown->clear(juce::dontSendNotification);
        bufferSizeDropDown->onChange = nullptr;
    }

    double rate = device.getCurrentSampleRate();
    if (rate == 0.0)
        rate = 48000.0;

    for (auto size : device.getAvailableBufferSizes())
        bufferSizeDropDown->addItem(bufferSizeText(size, rate), size);
    bufferSizeDropDown->setSelectedId(device.getCurrentBufferSizeSamples(), juce::dontSendNotification);
    bufferSizeDropDown->onChange = [this] { updateConfig(false, false, false, true); };
}
} // namespace tessel
