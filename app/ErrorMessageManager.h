#pragma once

#include <juce_events/juce_events.h>

#include <cstdint>
#include <vector>

namespace tessel
{

/** The process-wide set of lasting conditions shown as one message line over the main screen.

    Conditions are raised and cleared as message codes; the highest pending code wins and is shown,
    translated, on every registered display. Raising and clearing do not redraw: callers ask for a
    refresh with `triggerAsyncUpdate()`, and any number of requests in a row give one refresh on the
    message thread. Every operation runs on the message thread; only creation is guarded. */
class ErrorMessageManager : private juce::AsyncUpdater
{
public:
    /** Message codes; a higher code wins when several are pending. */
    enum Code
    {
        noVoiceInputRouting = 2, ///< "MSG_NoVoiceInputRouting", blocking
        noInputDevice = 3,       ///< "MSG_NoInputDevice", blocking
        noOutputDevice = 4,      ///< "MSG_NoOutputDevice", blocking
        recording = 5            ///< "MSG_Recording", not blocking
    };

    /** Something that shows the current message, for example the main screen's message overlay. */
    class Display
    {
    public:
        virtual ~Display() = default;
        /** Shows the translated text; a blocking message dims the screen and stops clicks on it. */
        virtual void showMessage(const juce::String& text, bool blocking) = 0;
        /** Nothing is pending: hides the message. */
        virtual void hideMessage() = 0;
    };

    ErrorMessageManager();
    ~ErrorMessageManager() override;

    /** Adds a code to the pending set; codes without a message are ignored. Does not redraw. */
    void raiseMessage(int code);
    /** Removes a code from the pending set. Does not redraw. */
    void clearMessage(int code);
    /** Whether the code is pending. */
    bool isMessageRaised(int code) const;

    /** Asks for one asynchronous refresh of every display. */
    using juce::AsyncUpdater::triggerAsyncUpdate;

    /** Adds a display (not owned) at the end of the list; a display already listed is ignored. */
    void addDisplay(Display* display);
    /** Removes a display from the list. */
    void removeDisplay(Display* display);

    /** The translation key of a code, or an empty string for a code without a message. */
    static juce::String getKey(int code);
    /** Whether the message of a code dims the screen. */
    static bool isBlocking(int code);

    JUCE_DECLARE_SINGLETON(ErrorMessageManager, false)

private:
    void handleAsyncUpdate() override;

    std::uint32_t pending = 0;
    std::vector<Display*> displays;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ErrorMessageManager)
};

} // namespace tessel
