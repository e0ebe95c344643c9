#include "ui/OstrelAudioDeviceSelector.h"

#include "audio/OstrelAudioService.h"

namespace tessel
{
namespace
{
constexpr int space = 6;
constexpr int titleHeight = 48;
} // namespace

OstrelAudioDeviceSelector::OstrelAudioDeviceSelector(juce::AudioDeviceManager& manager, int minInputChannels,
                                                     int maxInputChannels, int minOutputChannels,
                                                     int maxOutputChannels, bool showChannelsAsStereoPairs,
                                                     OstrelAudioService& service)
    : deviceManager(manager), audioService(service), routingPanel(manager, service)
{
    jassert(minInputChannels >= 0 && minInputChannels <= maxInputChannels);
    jassert(minOutputChannels >= 0 && minOutputChannels <= maxOutputChannels);
    setupDetails.manager = &deviceManager;
    setupDetails.minNumInputChannels = minInputChannels;
    setupDetails.maxNumInputChannels = maxInputChannels;
    setupDetails.minNumOutputChannels = minOutputChannels;
    setupDetails.maxNumOutputChannels = maxOutputChannels;
    setupDetails.useStereoPairs = showChannelsAsStereoPairs;

    titleLabel.setText(juce::translate("SettingUI_AudioDevice"), juce::dontSendNotification);
    titleLabel.setJustificationType(juce::Justification::centred);
    addAndMakeVisible(titleLabel);

    const auto& types = deviceManager.getAvailableDeviceTypes();
    if (types.size() > 1)
    {
        deviceTypeDropDown = std::make_unique<juce::ComboBox>("Device Type");
        for (int i = 0; i < types.size(); ++i)
            deviceTypeDropDown->addItem(types.getUnchecked(i)->getTypeName(), i + 1);
        addAndMakeVisible(deviceTypeDropDown.get());
        deviceTypeDropDown->onChange = [this] { deviceTypeChosen(); };

        deviceTypeLabel = std::make_unique<juce::Label>(juce::String(), juce::translate("AudioDevice_Type"));
        deviceTypeLabel->setJustificationType(juce::Justification::centredRight);
        deviceTypeLabel->attachToComponent(deviceTypeDropDown.get(), true);
    }

    addAndMakeVisible(routingPanel);
    routingPanel.onPreferredHeightChanged = [this] { layOut(); };
    routingLabel.setText(juce::translate("AudioRouting_InputChannels"), juce::dontSendNotification);
    routingLabel.setJustificationType(juce::Justification::topRight);
    routingLabel.attachToComponent(&routingPanel, true);

    deviceManager.addChangeListener(this);
    updateAllControls();
    startTimer(1000);
}

OstrelAudioDeviceSelector::~OstrelAudioDeviceSelector()
{
    stopTimer();
    deviceManager.removeChangeListener(this);
}

void OstrelAudioDeviceSelector::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source == &deviceManager)
        updateAllControls();
}

void OstrelAudioDeviceSelector::timerCallback()
{
    updateAllControls();
}

void OstrelAudioDeviceSelector::deviceTypeChosen()
{
    if (auto* type = deviceManager.getAvailableDeviceTypes()[deviceTypeDropDown->getSelectedId() - 1])
    {
        settingsPanel.reset();
        deviceManager.setCurrentAudioDeviceType(type->getTypeName(), true);
        // Also needed when the type did not actually change: the panel was deleted.
        updateAllControls();
    }
}

void OstrelAudioDeviceSelector::updateAllControls()
{
    const auto currentType = deviceManager.getCurrentAudioDeviceType();
    if (deviceTypeDropDown != nullptr)
        deviceTypeDropDown->setText(currentType, juce::dontSendNotification);

    if (settingsPanel == nullptr || settingsPanelType != currentType)
    {
        settingsPanelType = currentType;
        settingsPanel.reset();

        juce::AudioIODeviceType* type = nullptr;
        for (auto* candidate : deviceManager.getAvailableDeviceTypes())
            if (candidate->getTypeName() == currentType)
                type = candidate;

        if (type != nullptr)
        {
            settingsPanel = std::make_unique<AudioDeviceSettingsPanel>(*type, setupDetails, itemHeight);
            addAndMakeVisible(settingsPanel.get());
        }
    }

    if (settingsPanel != nullptr)
        settingsPanel->updateAllControls();

    routingPanel.refresh();
    layOut();
}

void OstrelAudioDeviceSelector::resized()
{
    // A size the selector did not give itself comes from its owner: that is the space it may use.
    if (getHeight() != ownHeight)
        availableHeight = getHeight();
    layOut();
}

void OstrelAudioDeviceSelector::layOut()
{
    const int width = getWidth();

    const int titleRow = juce::jmin(availableHeight, titleHeight);
    titleLabel.setBounds(0, 0, width, titleRow);
    const float fontHeight = juce::jlimit(0.1f, 10000.0f, 0.6f * static_cast<float>(titleRow));
    if (titleLabel.getFont().getHeight() != fontHeight)
        titleLabel.setFont(titleLabel.getFont().withHeight(fontHeight));

    const int columnX = proportionOfWidth(0.35f);
    const int columnWidth = proportionOfWidth(0.6f);
    int y = titleHeight + space;

    if (deviceTypeDropDown != nullptr)
    {
        deviceTypeDropDown->setBounds(columnX, y, columnWidth, itemHeight);
        y += itemHeight + 3 * space;
    }

    if (settingsPanel != nullptr)
    {
        // The panel sets its own height from its content when it is laid out.
        settingsPanel->setBounds(0, y, width, settingsPanel->getHeight());
        settingsPanel->resized();
        y = settingsPanel->getBottom() + space;
    }

    routingPanel.setBounds(columnX, y, columnWidth, routingPanel.getPreferredHeight());
    y = routingPanel.getBottom() + space;

    const int newHeight = y + juce::jmin(availableHeight - y, itemHeight);
    if (newHeight != getHeight())
    {
        ownHeight = newHeight;
        setSize(width, newHeight);
    }
}
} // namespace tessel
