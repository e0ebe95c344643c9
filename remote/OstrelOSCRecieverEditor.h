#pragma once

#include "remote/OstrelOSCReciever.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{

/** The OSC panel of the settings window: a title, the caption "Listen Port:", the port and a
    connect button.

    The port is edited with a single click; Return or leaving the field commits the text, Escape
    restores it. A committed port is stored at once; while connected the receiver reconnects on the
    new port. The button reads "Connect" while disconnected and "Disconnect" while connected. The
    panel keeps no state of its own: `refresh()` re-reads the receiver. Message thread only. */
class OstrelOSCRecieverEditor : public juce::Component, private juce::Label::Listener
{
public:
    /** A panel for a receiver (not owned; must outlive the panel). */
    explicit OstrelOSCRecieverEditor(OstrelOSCReciever& receiverToEdit);
    ~OstrelOSCRecieverEditor() override;

    /** Shows the receiver's port and connection state. */
    void refresh();

    /** Title row 0.4 of the height; below it a row of 0.4 of the height with the caption (0.2 of
        the width), the port (0.65), a gap (0.02) and the button (the rest). */
    void resized() override;

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    juce::Label& getCaptionLabel() noexcept { return captionLabel; }
    juce::Label& getPortLabel() noexcept { return portLabel; }
    juce::TextButton& getConnectButton() noexcept { return connectButton; }

private:
    void labelTextChanged(juce::Label* label) override;
    void connectButtonClicked();
    static void setFontHeight(juce::Label& label, float height);

    OstrelOSCReciever& receiver;
    juce::Label titleLabel;
    juce::Label captionLabel;
    juce::Label portLabel;
    juce::TextButton connectButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelOSCRecieverEditor)
};

} // namespace tessel
