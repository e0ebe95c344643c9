#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The Acknowledgements dialog: a read-only, scrolling 700 x 400 text that names every open-source
    library the program contains and the data its built-in voice models were trained on, each with
    its licence, and an OK button that also answers Return. It runs modally; at most one is open at
    a time. Message thread only. */
class OSSCreditsDialog : public juce::AlertWindow
{
public:
    /** The acknowledgement text. */
    class CreditsComp : public juce::TextEditor
    {
    public:
        CreditsComp();
    };

    OSSCreditsDialog();
    ~OSSCreditsDialog() override;

    /** Shows the dialog and waits until it is closed, unless one is open already (then returns at
        once). */
    static void show();

    /** The dialog that is open, or null. */
    static OSSCreditsDialog* getOpenDialog() noexcept { return openDialog; }

    /** The acknowledgement text: an introduction, then one notice per library or data set,
        separated by three empty lines. */
    static juce::String getAcknowledgementText();

    CreditsComp& getCreditsComponent() noexcept { return creditsComp; }

private:
    static OSSCreditsDialog* openDialog;
    CreditsComp creditsComp;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OSSCreditsDialog)
};
} // namespace tessel
