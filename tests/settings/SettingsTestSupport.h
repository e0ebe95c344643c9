#pragma once

// Shared by the settings tests: the main screen's fixture (the audio service on a private JACK
// server whose device has three inputs, the settings store on a temporary file, the model library on
// package files) and small helpers for driving the settings' components as a user does.

#include "ScreenOnJack.h"
#include "package/Pupack.h"

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
} // namespace tessel::test
