#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{

/** The menu bar: menus made only of command items, so that selecting an item invokes its command
    through the application's command manager and every item shows its command's current name and
    tick.

    The bar shows three menus: the application menu (named after the application, "About" and
    "Check Update"), "MENUc_Tools" (soft reset, hard reset, audio logging, the settings folder) and
    "MENUm_Help" (the information pages and the acknowledgements). A menu is recognised by comparing
    the name asked for with the translations of those names. Quitting is the window's close button. */
class OstrelMenuBarModel : public juce::MenuBarModel
{
public:
    /** Items of the menus, in order (command IDs). */
    static const juce::Array<juce::CommandID>& getApplicationMenuItems();
    static const juce::Array<juce::CommandID>& getToolsMenuItems();
    static const juce::Array<juce::CommandID>& getHelpMenuItems();

    /** A menu bar whose items are invoked through `manager` (not owned). */
    explicit OstrelMenuBarModel(juce::ApplicationCommandManager& manager);
    ~OstrelMenuBarModel() override;

    /** The translations of "General_AppName", "MENUc_Tools" and "MENUm_Help". */
    juce::StringArray getMenuBarNames() override;
    /** The command items of the menu named `menuName`; an empty menu for any other name. */
    juce::PopupMenu getMenuForIndex(int topLevelMenuIndex, const juce::String& menuName) override;
    /** Nothing: command items invoke their command themselves. */
    void menuItemSelected(int menuItemID, int topLevelMenuIndex) override;

    /** The items of the application menu as a popup menu, as a platform with a global application
        menu would place them. */
    juce::PopupMenu createApplicationMenuItems() const;

private:
    juce::PopupMenu createMenu(const juce::Array<juce::CommandID>& items) const;

    juce::ApplicationCommandManager& commandManager;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelMenuBarModel)
};

/** Keeps the menu bar current: when the command manager reports that the command list or the
    state of a command changed, it installs the menu bar again, so that items whose name or tick
    changed (audio logging) are shown correctly. An invoked command needs no refresh. */
class OstrelMenuBarRefresher : public juce::ApplicationCommandManagerListener
{
public:
    /** Refreshes `menuBar` (not owned), installing the model on it each time. */
    OstrelMenuBarRefresher(OstrelMenuBarModel& model, juce::MenuBarComponent& menuBar);
    ~OstrelMenuBarRefresher() override;

    /** Installs the model again. */
    void install();

    void applicationCommandInvoked(const juce::ApplicationCommandTarget::InvocationInfo&) override {}
    void applicationCommandListChanged() override { install(); }

private:
    OstrelMenuBarModel& model;
    juce::MenuBarComponent& menuBar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelMenuBarRefresher)
};

} // namespace tessel
