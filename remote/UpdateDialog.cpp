#include "remote/UpdateDialog.h"

namespace tessel
{

namespace
{
UpdateDialog* openDialog = nullptr;

constexpr int spacing = 16;
constexpr int linkHeight = 22;
} // namespace

//==============================================================================
UpdateDialog::UpdateComponent::UpdateComponent(juce::AlertWindow& owner, bool isForced,
                                               bool skipVersionMatches)
    : alertWindow(owner), forced(isForced), skipMatches(skipVersionMatches)
{
}

UpdateDialog::UpdateComponent::~UpdateComponent()
{
    deleteAllChildren();
}

juce::TextButton& UpdateDialog::UpdateComponent::addButton(const juce::String& text, int returnValue,
                                                           const juce::KeyPress& shortcutKey1,
                                                           const juce::KeyPress& shortcutKey2)
{
    auto* button = new juce::TextButton(text, {});
    textButtons.add(button);

    button->setWantsKeyboardFocus(true);
    button->setExplicitFocusOrder(1);
    button->setMouseClickGrabsKeyboardFocus(false);
    button->setCommandToTrigger(nullptr, returnValue, false);
    button->addShortcut(shortcutKey1);
    button->addShortcut(shortcutKey2);
    button->onClick = [this, returnValue]
    {
        if (auto* window = findParentComponentOfClass<juce::AlertWindow>())
            window->exitModalState(returnValue);
    };

    // Every button is measured again, as an alert window does when it gets a button.
    auto& alertLookAndFeel = alertWindow.getLookAndFeel();
    const auto widths = alertLookAndFeel.getWidthsForTextButtons(alertWindow, textButtons);
    const int height = alertLookAndFeel.getAlertWindowButtonHeight();
    for (int i = 0; i < textButtons.size(); ++i)
        textButtons[i]->setSize(widths[i], height);

    addAndMakeVisible(button);
    return *button;
}

juce::HyperlinkButton& UpdateDialog::UpdateComponent::addHyperlink(const juce::String& text,
                                                                   const juce::URL& address)
{
    auto* link = new juce::HyperlinkButton(text, address);
    hyperlinkButtons.add(link);
    otherChildren.add(link);

    link->setJustificationType(juce::Justification::centredLeft);
    // The link's font follows its height, so the height comes first.
    link->setSize(100, linkHeight);
    link->changeWidthToFitText();

    addAndMakeVisible(link);
    return *link;
}

juce::ToggleButton& UpdateDialog::UpdateComponent::addToggle(const juce::String& text)
{
    auto* toggle = new juce::ToggleButton(text);
    toggleButtons.add(toggle);
    otherChildren.add(toggle);

    toggle->setToggleState(false, juce::dontSendNotification);
    toggle->setMouseCursor(juce::MouseCursor::PointingHandCursor);
    toggle->setSize(100, alertWindow.getLookAndFeel().getAlertWindowButtonHeight());
    toggle->changeWidthToFitText();

    addAndMakeVisible(toggle);
    return *toggle;
}

void UpdateDialog::UpdateComponent::updateLayout()
{
    int buttonRowWidth = spacing;
    for (auto* button : textButtons)
        buttonRowWidth += button->getWidth() + spacing;

    int height = textButtons.isEmpty() ? 8 : textButtons.getLast()->getHeight() + spacing;
    int width = buttonRowWidth;
    for (auto* child : otherChildren)
    {
        height += child->getHeight() + 8;
        width = juce::jmax(width, child->getWidth());
    }
    setSize(width, height);

    int y = 0;
    for (auto* child : otherChildren)
    {
        child->setTopLeftPosition(spacing, y);
        y += child->getHeight() + 10;
    }

    int x = (width - buttonRowWidth) / 2 + spacing;
    const int bottom = juce::roundToInt(height * 0.95);
    for (auto* button : textButtons)
    {
        button->setTopLeftPosition(x, bottom - button->getHeight());
        x += button->getWidth() + spacing;
    }
}

bool UpdateDialog::UpdateComponent::triggerShortcut(const juce::KeyPress& key)
{
    for (auto* button : textButtons)
    {
        if (button->isEnabled() && button->isRegisteredForShortcut(key))
        {
            button->triggerClick();
            return true;
        }
    }
    return false;
}

//==============================================================================
UpdateDialog::UpdateDialog(const UpdateOffer& offer, const juce::URL& infoAddress)
    : juce::AlertWindow(juce::translate("VerChk_Title"), offer.message, juce::MessageBoxIconType::InfoIcon)
{
    addTextBlock(offer.notes);

    component = std::make_unique<UpdateComponent>(*this, offer.forced, offer.skipMatches);
    component->addHyperlink(juce::translate("VerChk_UpdateInfo"), infoAddress);
    auto& skip = component->addToggle(juce::translate("VerChk_Skip"));
    component->addButton(juce::translate("VerChk_Cancel"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
    component->addButton(juce::translate("VerChk_Proceed"), 1, juce::KeyPress(juce::KeyPress::returnKey));

    if (offer.skipMatches)
        skip.setToggleState(true, juce::dontSendNotification);

    if (offer.forced)
    {
        skip.setToggleState(false, juce::dontSendNotification);
        skip.setEnabled(false);
        skip.setMouseCursor(juce::MouseCursor::NormalCursor);
        skip.setAlpha(0.25f);
    }

    component->updateLayout();
    addCustomComponent(component.get());

    openDialog = this;
}

UpdateDialog::~UpdateDialog()
{
    if (openDialog == this)
        openDialog = nullptr;

    for (int i = getNumCustomComponents(); --i >= 0;)
        if (getCustomComponent(i) == component.get())
            removeCustomComponent(i);
    component.reset();
}

UpdateDialog* UpdateDialog::getOpenDialog() noexcept
{
    return openDialog;
}

void UpdateDialog::showModal(juce::ModalComponentManager::Callback* callback)
{
    enterModalState(true, callback);

    // The window gives its focus to the first button, and a focused button takes Return for itself.
    // With the download button focused Return opens the download page, and Escape still reaches the
    // window, which cancels.
    if (auto* proceed = component->getTextButtons().getLast())
        proceed->grabKeyboardFocus();
}

int UpdateDialog::runUntilAnswered()
{
    for (;;)
    {
        showModal();
        const int result = runModalLoop();
        if (result == 0 || result == 1)
            return result;
    }
}

bool UpdateDialog::isSkipTicked() const
{
    const auto& toggles = component->getToggleButtons();
    return !toggles.isEmpty() && toggles.getFirst()->getToggleState();
}

bool UpdateDialog::keyPressed(const juce::KeyPress& key)
{
    return component->triggerShortcut(key) || juce::AlertWindow::keyPressed(key);
}

} // namespace tessel
