#pragma once

// Shared by the settings tests: the main screen's fixture (the audio service on a private JACK
// server whose device has three inputs, the settings store on a temporary file, the model library on
// package files) and small helpers for driving the settings' components as a user does.

#include "ScreenOnJack.h"
#include "audio/OstrelAudioService.h"
#include "package/Pupack.h"
#include "remote/OstrelOSCReciever.h"
#include "remote/OstrelOSCRecieverEditor.h"
#include "ui/ApplicationSettingsUI.h"
#include "ui/AudioRecorderEditor.h"

#include <functional>

namespace tessel::test
{
/** Runs the message loop until the condition holds or the time is up; true when it holds. */
inline bool runUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        testing_support::runMessageLoop(5);
    }
    return true;
}

/** The texts of a drop-down's items, in order. */
inline juce::StringArray itemsOf(const juce::ComboBox& box)
{
    juce::StringArray items;
    for (int i = 0; i < box.getNumItems(); ++i)
        items.add(box.getItemText(i));
    return items;
}

/** Chooses an item by its text as the user does (the drop-down tells its owner at once). */
inline void choose(juce::ComboBox& box, const juce::String& text)
{
    for (int i = 0; i < box.getNumItems(); ++i)
        if (box.getItemText(i) == text)
            box.setSelectedItemIndex(i, juce::sendNotificationSync);
}

/** The alert windows on the desktop. */
inline std::vector<juce::AlertWindow*> alertWindows()
{
    std::vector<juce::AlertWindow*> alerts;
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(desktop.getComponent(i)))
            alerts.push_back(alert);
    return alerts;
}

/** Closes every alert window that is open. */
inline void closeAlertWindows()
{
    for (auto* alert : alertWindows())
        alert->exitModalState(0);
    testing_support::runMessageLoop(100);
}

/** The main screen's fixture with the names the settings tests use. */
class SettingsOnJack : public ScreenOnJack
{
protected:
    /** The routing with nothing assigned: the service starts without a voice channel. */
    static constexpr RoutingOrders nothingRouted{-1, -1, -1, 0};

    void TearDown() override
    {
        closeAlertWindows();
        ScreenOnJack::TearDown();
    }

    /** Identifier of the model in the selected slot. */
    juce::String activeSlot() { return viewModel().getSlotIdentifier(viewModel().getSelectedSlot()); }

    /** The identifier of the model the conversion processor runs, or empty. */
    juce::String runningModel() const
    {
        auto* model = service->getModel();
        return model != nullptr ? juce::String(model->displayName()) : juce::String();
    }

    /** The targets of the model groups, in the order of the model-selection commands. */
    juce::StringArray groupTargets()
    {
        juce::StringArray targets;
        for (const auto& group : viewModel().getGroups())
            targets.add(group.target);
        return targets;
    }

    /** Writes a package file outside the library (a download), to be installed. */
    juce::File downloadedFile(const juce::String& name, const std::vector<std::uint8_t>& bytes)
    {
        const auto folder = settings->getFolder().getChildFile("Downloads");
        folder.createDirectory();
        const auto file = folder.getChildFile(name);
        file.replaceWithData(bytes.data(), bytes.size());
        return file;
    }
};

/** The settings overlay over the main screen in a real window, as the application shows it: the
    screen holds the recorder and OSC panels as its extra settings panels, and its command manager
    runs command 15 through `ApplicationSettingsUI::toggle`. */
class OverlayOnScreen : public SettingsOnJack
{
protected:
    /** Starts the service (voice, stereo AUX) and the library, and shows the screen at that size. */
    void openScreen(int width, int height, const juce::String& language = "en", bool withModels = true)
    {
        startService({0, 1, 2, 1}, language, withModels);
        if (::testing::Test::HasFatalFailure())
            return;
        showScreen(width, height);
        receiver = std::make_unique<OstrelOSCReciever>();
        screen().getExtraSettingsPanels().push_back(std::make_unique<AudioRecorderEditor>(*service));
        screen().getExtraSettingsPanels().push_back(std::make_unique<OstrelOSCRecieverEditor>(*receiver));
        commands.registerAllCommandsForTarget(&target);
        commands.setFirstCommandTarget(&target);
        screen().setCommandManager(&commands);
    }

    void TearDown() override
    {
        closeScreen();
        receiver.reset();
        SettingsOnJack::TearDown();
    }

    /** What command 15 does. */
    void toggleSettings()
    {
        ApplicationSettingsUI::toggle(screen(), *service, *library);
        testing_support::runMessageLoop(100);
    }

    /** The overlay shown, or null. */
    ApplicationSettingsUI* overlay() { return ApplicationSettingsUI::findShownOver(screen()); }

    /** A point of a component in the screen's coordinates. */
    juce::Point<int> pointOf(const juce::Component& c, juce::Point<int> local)
    {
        return screen().getLocalPoint(&c, local);
    }

    /** The centre of a row of a table, in the screen's coordinates. */
    juce::Point<int> rowOf(const juce::TableListBox& table, int row)
    {
        return pointOf(table, table.getRowPosition(row, true).getCentre());
    }

    /** Command 15 as the application's command target handles it. */
    struct SettingsCommand : juce::ApplicationCommandTarget
    {
        explicit SettingsCommand(OverlayOnScreen& t) : test(t) {}
        juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
        void getAllCommands(juce::Array<juce::CommandID>& ids) override { ids.add(15); }
        void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
        {
            info.setInfo("Show/Hide Settings UI", {}, {}, 0);
            info.commandID = id;
        }
        bool perform(const InvocationInfo& info) override
        {
            if (info.commandID != 15)
                return false;
            ++performed;
            ApplicationSettingsUI::toggle(test.screen(), *test.service, *test.library);
            return true;
        }
        OverlayOnScreen& test;
        int performed = 0;
    };

    std::unique_ptr<OstrelOSCReciever> receiver;
    juce::ApplicationCommandManager commands;
    SettingsCommand target{*this};
};
} // namespace tessel::test
