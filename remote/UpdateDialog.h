#pragma once

#include "remote/UpdateOffer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tessel
{

/** The update dialog: an alert window with an info icon, the title "VerChk_Title", the message
    "Version ... available", the release notes, a link to the update information, the tick box "Skip
    this version" and the buttons "Use without update" (result 0, Escape) and "Open download
    page..." (result 1, Return).

    While a dialog exists, `getOpenDialog()` returns it; the interactive update check does nothing
    then. Message thread only. */
class UpdateDialog : public juce::AlertWindow
{
public:
    /** The dialog's custom component: the link, the tick box and the two buttons, laid out below the
        release notes. It owns its children. */
    class UpdateComponent : public juce::Component
    {
    public:
        /** An empty component for a dialog (not owned, used to measure the buttons). `forced`: the
            running version is older than the required one; `skipMatches`: the stored skip version
            is the announced one. */
        UpdateComponent(juce::AlertWindow& owner, bool forced, bool skipMatches);
        ~UpdateComponent() override;

        /** Adds a button that behaves like an alert window's own: it takes keyboard focus but not by
            a click, both keys are its shortcuts, and a click ends the modal state of the alert
            window that holds this component with `returnValue`. Sized by the look and feel's alert
            button widths and height. */
        juce::TextButton& addButton(const juce::String& text, int returnValue,
                                    const juce::KeyPress& shortcutKey1,
                                    const juce::KeyPress& shortcutKey2 = juce::KeyPress());

        /** Adds a link 22 pixels high, its width fitted to its text, justified left. */
        juce::HyperlinkButton& addHyperlink(const juce::String& text, const juce::URL& address);

        /** Adds an unticked tick box as high as an alert button, its width fitted to its text. */
        juce::ToggleButton& addToggle(const juce::String& text);

        /** Sizes this component and places the children: the others stacked at x 16 with 10-pixel
            gaps, the buttons centred side by side along the bottom, 16 pixels apart. */
        void updateLayout();

        /** Clicks the button registered for a key; false when none is. */
        bool triggerShortcut(const juce::KeyPress& key);

        bool isForced() const noexcept { return forced; }
        bool doesSkipMatch() const noexcept { return skipMatches; }

        const juce::Array<juce::TextButton*>& getTextButtons() const noexcept { return textButtons; }
        const juce::Array<juce::ToggleButton*>& getToggleButtons() const noexcept { return toggleButtons; }
        const juce::Array<juce::HyperlinkButton*>& getHyperlinkButtons() const noexcept
        {
            return hyperlinkButtons;
        }
        /** Every child but the text buttons, in the order added. */
        const juce::Array<juce::Component*>& getOtherChildren() const noexcept { return otherChildren; }

    private:
        juce::AlertWindow& alertWindow;
        const bool forced;
        const bool skipMatches;
        juce::Array<juce::TextButton*> textButtons;
        juce::Array<juce::ToggleButton*> toggleButtons;
        juce::Array<juce::HyperlinkButton*> hyperlinkButtons;
        juce::Array<juce::Component*> otherChildren;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(UpdateComponent)
    };

    /** Builds the dialog for an offer (on the desktop, not yet visible) and makes it the open
        dialog. `infoAddress` is what the link opens; an empty address opens nothing. */
    UpdateDialog(const UpdateOffer& offer, const juce::URL& infoAddress);
    /** Clears the open-dialog pointer, then deletes the component. */
    ~UpdateDialog() override;

    /** The update dialog on screen, or nullptr. */
    static UpdateDialog* getOpenDialog() noexcept;

    /** Makes the dialog modal (visible, in front) without waiting, with the keyboard focus on the
        download button; `callback` (owned by JUCE) gets the result. */
    void showModal(juce::ModalComponentManager::Callback* callback = nullptr);

    /** Runs the modal loop until it ends with 0 ("VerChk_Cancel", Escape) or 1 ("VerChk_Proceed",
        Return), and returns that result. */
    int runUntilAnswered();

    /** Whether the skip tick box is ticked. */
    bool isSkipTicked() const;

    UpdateComponent& getUpdateComponent() noexcept { return *component; }

    /** The buttons' shortcuts first, then the alert window's own keys (Escape gives 0). */
    bool keyPressed(const juce::KeyPress& key) override;

private:
    std::unique_ptr<UpdateComponent> component;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(UpdateDialog)
};

} // namespace tessel
