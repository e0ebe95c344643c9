#include "app/ErrorMessageManager.h"

#include <algorithm>

namespace tessel
{

namespace
{
struct MessageEntry
{
    int code;
    const char* key;
    bool blocking;
};

constexpr MessageEntry messageTable[] = {
    {ErrorMessageManager::noVoiceInputRouting, "MSG_NoVoiceInputRouting", true},
    {ErrorMessageManager::noInputDevice, "MSG_NoInputDevice", true},
    {ErrorMessageManager::noOutputDevice, "MSG_NoOutputDevice", true},
    {ErrorMessageManager::recording, "MSG_Recording", false},
};

const MessageEntry* findEntry(int code)
{
    for (const auto& entry : messageTable)
        if (entry.code == code)
            return &entry;
    return nullptr;
}
} // namespace

JUCE_IMPLEMENT_SINGLETON(ErrorMessageManager)

ErrorMessageManager::ErrorMessageManager() = default;

ErrorMessageManager::~ErrorMessageManager()
{
    cancelPendingUpdate();
    clearSingletonInstance();
}

void ErrorMessageManager::raiseMessage(int code)
{
    if (findEntry(code) != nullptr)
        pending |= 1u << code;
}

void ErrorMessageManager::clearMessage(int code)
{
    if (findEntry(code) != nullptr)
        pending &= ~(1u << code);
}

bool ErrorMessageManager::isMessageRaised(int code) const
{
    return findEntry(code) != nullptr && (pending & (1u << code)) != 0;
}

void ErrorMessageManager::addDisplay(Display* display)
{
    if (display != nullptr && std::find(displays.begin(), displays.end(), display) == displays.end())
        displays.push_back(display);
}

void ErrorMessageManager::removeDisplay(Display* display)
{
    displays.erase(std::remove(displays.begin(), displays.end(), display), displays.end());
}

juce::String ErrorMessageManager::getKey(int code)
{
    const auto* entry = findEntry(code);
    return entry != nullptr ? juce::String(entry->key) : juce::String();
}

bool ErrorMessageManager::isBlocking(int code)
{
    const auto* entry = findEntry(code);
    return entry != nullptr && entry->blocking;
}

void ErrorMessageManager::handleAsyncUpdate()
{
    // A copy, so that a display that removes itself while being told does not upset the loop.
    const auto targets = displays;

    if (pending == 0)
    {
        for (auto* display : targets)
            display->hideMessage();
        return;
    }

    int highest = 31;
    while ((pending & (1u << highest)) == 0)
        --highest;

    const auto text = juce::translate(getKey(highest));
    const bool blocking = isBlocking(highest);
    for (auto* display : targets)
        display->showMessage(text, blocking);
}

} // namespace tessel
