#pragma once

#include <juce_events/juce_events.h>

#include <atomic>

namespace tessel
{

class OstrelAudioService;

/** One reset of the audio service, carried out inside a fade of the output.

    The processor player owns the installed delegate and fades its working buffer with it: down to
    -100 dB (silence) at 200 dB per second of audio, then it calls `beginAction()`, which moves the
    action to the message thread; when the action is done the player fades back up to 0 dB and
    retires the delegate. The player writes the rate and the levels on the audio thread; `state`
    is also written by the action on the message thread and is therefore atomic. */
class RestartActionDelegate
{
public:
    /** The steps of one reset, in order. */
    enum State
    {
        fadingOut = 0,      ///< set on creation
        fadedOut = 1,       ///< set by the player when the level reached -100 dB
        actionUnderWay = 2, ///< set by `beginAction()`; the signal stays silent
        fadingIn = 3,       ///< set by the action when it is done
        finished = 4        ///< set by the player when the level is back at 0 dB
    };

    virtual ~RestartActionDelegate();

    /** Called by the player on the audio thread once the fade-out is complete: starts the action
        on the message thread. Must not block. */
    virtual void beginAction() = 0;

    /** Device rate (Hz) of the last faded block. */
    double sampleRate = 0.0;
    /** Level (dB, 0 = unity, -100 = silence) at the start of the next block. */
    float currentGainDb = 0.0f;
    /** Level (dB) at the end of the last faded block. */
    float targetGainDb = 0.0f;
    /** One of `State`. */
    std::atomic<int> state{fadingOut};
};

/** Soft reset: rebuilds the processing chain while the output is silent. */
class RestartAudioProcessorActionDelegate : public RestartActionDelegate, private juce::AsyncUpdater
{
public:
    explicit RestartAudioProcessorActionDelegate(OstrelAudioService& service);
    ~RestartAudioProcessorActionDelegate() override;

    /** Marks the action as under way and schedules the rebuild on the message thread. */
    void beginAction() override;

private:
    /** Rebuilds the chain; its completion starts the fade-in. */
    void handleAsyncUpdate() override;

    OstrelAudioService* service;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(RestartAudioProcessorActionDelegate)
};

/** Hard reset: closes the audio device and opens it again with the same setup while the output
    is silent. */
class RestartAudioDeviceActionDelegate : public RestartActionDelegate, private juce::AsyncUpdater
{
public:
    explicit RestartAudioDeviceActionDelegate(OstrelAudioService& service);
    ~RestartAudioDeviceActionDelegate() override;

    /** Marks the action as under way and schedules the device restart on the message thread. */
    void beginAction() override;

private:
    /** Closes the device, restarts the last one with its last setup, then starts the fade-in. The
        first block of the reopened device fades in. */
    void handleAsyncUpdate() override;

    OstrelAudioService* service;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(RestartAudioDeviceActionDelegate)
};

} // namespace tessel
