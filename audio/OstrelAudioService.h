#pragma once

#include "app/PropertiesFileManager.h"
#include "audio/AudioService.h"
#include "audio/RoutingOrders.h"
#include "processors/ProcessorSettings.h"

#include <functional>

class DuckingProcessor;
class GainProcessor;
class MixerProcessor;
class MonoToStereoProcessor;
class MuteProcessor;
class Pupack;
class ReverbProcessor;

namespace tessel
{

class LevelMeterProcessor;
class NoiseGateProcessor;
class VocaformProcessor;

/** The application's audio service: the audio device, the processing chain in the processor graph,
    the routing of the device's input channels, the user recording, the resets and audio logging,
    and their settings.

    The chain has twelve nodes. The voice runs from its input channel through the input meter, the
    noise gate, the voice conversion, the offset gain, the voice mute, mono to stereo and the
    reverb into the mixer's channels A (inputs 0 and 1); the AUX (background) channels run through
    the ducker, which lowers them while the raw voice is loud, and the AUX mute into the mixer's
    channels B (inputs 2 and 3); the mixer's two outputs feed the device outputs 0 and 1, the output
    meter and the recorder. The chain is rebuilt with new processors after every real change of the
    device, every routing change and by the soft reset; the eleven values of `ProcessorSettings` and
    the current model survive every rebuild, everything else returns to its defaults.

    Settings (trees of the settings store): "DEVICESETUP" (the device manager's own state),
    "ROUTINGSETUP", "RECORDERSETUP" and "PROCESSORSETUP"; read when the service is built, handed to
    the store before every save and when the service is destroyed.

    Every operation runs on the message thread and takes the graph lock (recursive); the screens and
    remote control take it too before they touch a node, because a rebuild replaces every processor. */
class OstrelAudioService : public AudioService, public PropertiesFileManager::Listener
{
public:
    /** Opens the device from the stored setup (1 input and 2 outputs needed, falling back to the
        default devices), builds and wires the chain from the stored routing and processor values,
        and starts the player. */
    OstrelAudioService();
    /** Stores the settings, then closes the device. */
    ~OstrelAudioService() override;

    /** Called after every device change handled by the service. */
    std::function<void()> onDeviceChanged;
    /** Called at the end of every chain rebuild, under the graph lock. */
    std::function<void()> onGraphRebuilt;
    /** Called after every mute change and every start or end of a user recording. */
    std::function<void()> onStateChanged;

    /** A change of the device manager: updates "MSG_NoOutputDevice" and "MSG_NoInputDevice",
        rebuilds the chain when one of the eight fields of the device setup changed, then calls
        onDeviceChanged. Other sources are ignored. */
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

    /** A new audio section for the settings (owned by the caller): the device, its channels, rate
        and buffer size, and the routing of the input channels (`tessel::OstrelAudioDeviceSelector`
        with 0 to 3 active inputs and exactly 2 active outputs, listed one by one). */
    std::unique_ptr<juce::Component> createSettingsComponent() override;

    /** Hands the four settings trees to the store. */
    void propertiesWillBeSaved() override;
    /** Hands the four settings trees to the store (nothing is written to disk here). */
    virtual void saveSettings();

    //==================================================================================================
    /** Clears the graph (nodes and connections), adds the four I/O nodes and enables the buses of
        the two log recorders. */
    void initialiseGraph();
    /** Creates the twelve chain processors with their parameters and channel counts and adds each
        as a new node. */
    void buildProcessors();
    /** Rebuilds the chain with new processors and wires it from the routing, keeping the model and
        the persistent values; raises or clears "MSG_NoVoiceInputRouting". A user recording that is
        running ends with a complete file, and "MSG_Recording" is cleared. `callback`, when given,
        is called when everything is done. */
    void rebuildGraph(std::function<void()> callback = nullptr);
    /** Reads the eleven persistent values from the processors into the mirror. */
    void gatherProcessorSettings();
    /** Writes the mirror into the processors (listeners are not notified). */
    void applyProcessorSettings();
    /** The mirror of the persistent values, as last gathered or read. */
    ProcessorSettings getProcessorSettings() const;
    /** Replaces the mirror (applied by the next `applyProcessorSettings()` or rebuild). */
    void setProcessorSettings(const ProcessorSettings& settings);

    /** Hands a model package (not owned; may be null) to the conversion processor and rebuilds its
        engine. The caller keeps the package alive while it is in use. */
    void setModel(Pupack* model);
    /** The model package the conversion processor runs, or null. */
    Pupack* getModel() const;
    /** Mutes or unmutes the voice and the AUX signal together, then calls onStateChanged. */
    void setMuted(bool muted);
    /** Whether the voice mute is on. */
    bool isMuted() const;
    /** Bypasses the conversion (the gated voice passes unconverted) or ends the bypass. */
    void setConversionBypassed(bool bypassed);
    bool isConversionBypassed() const;
    /** Sets the offset gain of the converted voice, in dB (clamped to -12..+12). */
    void setOffsetDecibel(float decibels);

    //==================================================================================================
    /** The routing of the input channels. */
    RoutingOrders getRouting() const;
    /** Replaces the routing; takes effect at the next `rebuildGraph()`. */
    void setRouting(const RoutingOrders& routing);
    /** Results of the last wiring of the voice, AUX left and AUX right inputs. */
    bool isVoiceConnected() const;
    bool isBgmLeftConnected() const;
    bool isBgmRightConnected() const;

    //==================================================================================================
    /** Starts a user recording in the recording folder, or ends the one running: "MSG_Recording"
        is raised while it runs. An existing file is never replaced: a second recording of the day
        goes to the first free sibling ("Ostrel_20200414 (2).wav"). A file that cannot be created
        starts nothing. */
    void toggleRecording();
    /** Whether a user recording runs. */
    bool isRecording() const;
    /** The folder of the user recordings. */
    juce::File getRecordingDirectory() const;
    void setRecordingDirectory(const juce::File& directory);
    /** The file a user recording started now would be written to: the day's name in the recording
        folder, or its first free sibling when that file exists. */
    juce::File getNextRecordingFile() const;
    /** The name of a recording started at `time`: "Ostrel_YYYYMMDD.wav" in local time. */
    static juce::String recordingFileNameFor(juce::Time time);
    /** The folder of user recordings when none is stored: the user's music folder + "Tavilo". */
    static juce::File defaultRecordingDirectory();

    /** Soft reset: fades out, rebuilds the chain, fades back in. */
    void softReset();
    /** Hard reset: fades out, closes and reopens the device with the same setup, fades back in. */
    void hardReset();
    /** Starts audio logging (the device input and the output into two new WAV files in the
        settings folder's "AudioLog") or stops it. */
    void toggleAudioLogging();
    /** Whether the output log is being written. */
    bool isAudioLogging() const;
    /** The folder of the audio logs: "AudioLog" in the settings folder. */
    static juce::File audioLogFolder();
    /** The time stamp of log names: YYYYMMDDhhmmss in local time. */
    static juce::String audioLogTimestamp(juce::Time time);

    //==================================================================================================
    /** The chain's nodes (null before the chain exists); take the graph lock while using them. */
    Node::Ptr getInputMeterNode() const { return nodeOf(inputMeterNode); }
    Node::Ptr getVoiceMuteNode() const { return nodeOf(voiceMuteNode); }
    Node::Ptr getMonoToStereoNode() const { return nodeOf(monoToStereoNode); }
    Node::Ptr getReverbNode() const { return nodeOf(reverbNode); }
    Node::Ptr getVocaformNode() const { return nodeOf(vocaformNode); }
    Node::Ptr getNoiseGateNode() const { return nodeOf(noiseGateNode); }
    Node::Ptr getGainNode() const { return nodeOf(gainNode); }
    Node::Ptr getDuckingNode() const { return nodeOf(duckingNode); }
    Node::Ptr getBgmMuteNode() const { return nodeOf(bgmMuteNode); }
    Node::Ptr getMixerNode() const { return nodeOf(mixerNode); }
    Node::Ptr getRecorderNode() const { return nodeOf(recorderNode); }
    Node::Ptr getOutputMeterNode() const { return nodeOf(outputMeterNode); }

    /** The chain's processors (null before the chain exists); take the graph lock while using them. */
    LevelMeterProcessor* getInputMeter() const;
    MuteProcessor* getVoiceMute() const;
    MonoToStereoProcessor* getMonoToStereo() const;
    ReverbProcessor* getReverb() const;
    VocaformProcessor* getVocaform() const;
    NoiseGateProcessor* getNoiseGate() const;
    GainProcessor* getGain() const;
    DuckingProcessor* getDucking() const;
    MuteProcessor* getBgmMute() const;
    MixerProcessor* getMixer() const;
    AudioRecorderProcessor* getRecorder() const;
    LevelMeterProcessor* getOutputMeter() const;

private:
    Node::Ptr nodeOf(const Node::Ptr& node) const;
    template <typename ProcessorType> ProcessorType* processorOf(const Node::Ptr& node) const;
    Node::Ptr addChainNode(std::unique_ptr<juce::AudioProcessor> processor, int inputs, int outputs);
    void connectChain();
    void storeSettingsTrees();
    void readSettingsTrees();

    Node::Ptr inputMeterNode;
    Node::Ptr voiceMuteNode;
    Node::Ptr monoToStereoNode;
    Node::Ptr reverbNode;
    Node::Ptr vocaformNode;
    Node::Ptr noiseGateNode;
    Node::Ptr gainNode;
    Node::Ptr duckingNode;
    Node::Ptr bgmMuteNode;
    Node::Ptr mixerNode;
    Node::Ptr recorderNode;
    Node::Ptr outputMeterNode;

    ProcessorSettings processorSettings = ProcessorSettings::firstRun();
    RoutingOrders routing;
    bool voiceConnected = false;
    bool bgmLeftConnected = false;
    bool bgmRightConnected = false;
    juce::AudioDeviceManager::AudioDeviceSetup lastSetup;
    juce::File recordingDirectory = defaultRecordingDirectory();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelAudioService)
};

} // namespace tessel
