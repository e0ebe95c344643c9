#include "app/OstrelMenuBarModel.h"

#include "app/CommandIds.h"

namespace tessel
{

const juce::Array<juce::CommandID>& OstrelMenuBarModel::getApplicationMenuItems()
{
    static const juce::Array<juce::CommandID> items{CommandIds::aboutApp, CommandIds::checkUpdate};
    return items;
}

const juce::Array<juce::CommandID>& OstrelMenuBarModel::getToolsMenuItems()
{
    static const juce::Array<juce::CommandID> items{CommandIds::restartAudioProcessor,
                                                    CommandIds::restartAudioDevice,
                                                    CommandIds::startStopAudioLogging,
                                                    CommandIds::openPropertyDirectory};
    return items;
}

const juce::Array<juce::CommandID>& OstrelMenuBarModel::getHelpMenuItems()
{
    static const juce::Array<juce::CommandID> items{CommandIds::linkUserGuide,
                                                    CommandIds::linkOstrel,
                                                    CommandIds::linkEULA,
                                                    CommandIds::linkPrivacyPolicy,
                                                    CommandIds::linkGuidelineUsingCharacters,
                                                    CommandIds::acknowledgements};
    return items;
}

OstrelMenuBarModel::OstrelMenuBarModel(juce::ApplicationCommandManager& manager) : commandManager(manager)
{
}

OstrelMenuBarModel::~OstrelMenuBarModel()
{
    setApplicationCommandManagerToWatch(nullptr);
}

juce::StringArray OstrelMenuBarModel::getMenuBarNames()
{
    return {juce::translate("General_AppName"), juce::translate("MENUc_Tools"), juce::translate("MENUm_Help")};
}

juce::PopupMenu OstrelMenuBarModel::getMenuForIndex(int, const juce::String& menuName)
{
    if (menuName == juce::translate("General_AppName"))
        return createApplicationMenuItems();
    if (menuName == juce::translate("MENUc_Tools"))
        return createMenu(getToolsMenuItems());
    if (menuName == juce::translate("MENUm_Help"))
        return createMenu(getHelpMenuItems());
    return {};
}

void OstrelMenuBarModel::menuItemSelected(int, int) {}

juce::PopupMenu OstrelMenuBarModel::createApplicationMenuItems() const
{
    return createMenu(getApplicationMenuItems());
}

juce::PopupMenu OstrelMenuBarModel::createMenu(const juce::Array<juce::CommandID>& items) const
{
    juce::PopupMenu menu;
    for (const auto id : items)
        menu.addCommandItem(&commandManager, id);
    return menu;
}

//======================================================================================================
OstrelMenuBarRefresher::OstrelMenuBarRefresher(OstrelMenuBarModel& menuBarModel, juce::MenuBarComponent& bar)
    : model(menuBarModel), menuBar(bar)
{
}

OstrelMenuBarRefresher::~OstrelMenuBarRefresher() = default;

void OstrelMenuBarRefresher::install()
{
    menuBar.setModel(nullptr);
    menuBar.setModel(&model);
}

} // namespace tessel
