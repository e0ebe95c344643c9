#include "remote/OstrelOSCRecieverEditor.h"

namespace tessel
{

OstrelOSCRecieverEditor::OstrelOSCRecieverEditor(OstrelOSCReciever& receiverToEdit) : receiver(receiverToEdit)
{
    titleLabel.setComponentID("title");
    titleLabel.setText(juce::translate("SettingUI_OSCReceiver"), juce::dontSendNotification);
    titleLabel.setJustificationType(juce::Justification::centred);
    addAndMakeVisible(titleLabel);

    captionLabel.setComponentID("listenPort");
    captionLabel.setText(juce::translate("OSC_ListenPort"), juce::dontSendNotification);
    captionLabel.setJustificationType(juce::Justification::centredRight);
    addAndMakeVisible(captionLabel);

    portLabel.setComponentID("port");
    portLabel.setJustificationType(juce::Justification::centredLeft);
    // One click opens the editor; leaving the field keeps what was typed.
    portLabel.setEditable(true, false, false);
    portLabel.addListener(this);
    addAndMakeVisible(portLabel);

    connectButton.setComponentID("connect");
    connectButton.onClick = [this] { connectButtonClicked(); };
    addAndMakeVisible(connectButton);

    refresh();
}

OstrelOSCRecieverEditor::~OstrelOSCRecieverEditor()
{
    portLabel.removeListener(this);
}

void OstrelOSCRecieverEditor::refresh()
{
    portLabel.setText(juce::String(receiver.getPort()), juce::dontSendNotification);
    connectButton.setButtonText(juce::translate(receiver.isConnected() ? "OSC_Connected" : "OSC_Connect"));
    repaint();
}

void OstrelOSCRecieverEditor::setFontHeight(juce::Label& label, float height)
{
    const float limited = juce::jlimit(0.1f, 10000.0f, height);
    if (label.getFont().getHeight() != limited)
        label.setFont(label.getFont().withHeight(limited));
}

void OstrelOSCRecieverEditor::resized()
{
    const int width = getWidth();
    const int height = getHeight();

    const int titleHeight = juce::jmin(height, static_cast<int>(0.4 * height));
    titleLabel.setBounds(0, 0, width, titleHeight);
    setFontHeight(titleLabel, 0.6f * static_cast<float>(titleHeight));

    const int rowHeight = juce::jmin(height - titleHeight, static_cast<int>(0.4 * height));
    const int captionWidth = juce::jmin(width, static_cast<int>(0.2 * width));
    captionLabel.setBounds(0, titleHeight, captionWidth, rowHeight);
    setFontHeight(captionLabel, 0.5f * static_cast<float>(rowHeight));

    const int portWidth = juce::jmin(width - captionWidth, static_cast<int>(0.65 * width));
    portLabel.setBounds(captionWidth, titleHeight, portWidth, rowHeight);
    setFontHeight(portLabel, 0.4f * static_cast<float>(rowHeight));

    const int gap = juce::jmin(width - captionWidth - portWidth, static_cast<int>(0.02 * width));
    const int buttonX = captionWidth + portWidth + gap;
    connectButton.setBounds(buttonX, titleHeight, width - buttonX, rowHeight);
}

void OstrelOSCRecieverEditor::labelTextChanged(juce::Label* label)
{
    if (label != &portLabel)
        return;

    const int newPort = OstrelOSCReciever::parsePortText(portLabel.getText());
    if (receiver.isConnected())
    {
        receiver.disconnect();
        receiver.setPort(newPort);
        receiver.storeSettings();
        receiver.connect();
    }
    else
    {
        receiver.setPort(newPort);
        receiver.storeSettings();
    }
    refresh();
}

void OstrelOSCRecieverEditor::connectButtonClicked()
{
    if (receiver.isConnected())
        receiver.disconnect();
    else
        receiver.connect();
    refresh();
}

} // namespace tessel
