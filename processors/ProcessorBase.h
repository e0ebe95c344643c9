#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Common base of every stage of the audio chain.

    A chain stage is a small `juce::AudioProcessor` that sits as one node in the processor graph. This
    base fixes everything a stage never uses: no editor, no programs, no state, no MIDI, no tail, and
    double precision does nothing. A concrete stage supplies its name, its parameters,
    `prepareToPlay` and the float `processBlock` (and `reset` where it keeps state).

    Parameters are JUCE parameter objects registered with `addParameter`; their position in the
    parameter list is their index. Stages read parameter values at the start of each block without
    smoothing and treat a boolean parameter as on when its value is at least 0.5. The processor is
    constructed with JUCE's default bus layout; whoever places it fixes its channel counts with
    `setPlayConfigDetails`. */
class ProcessorBase : public juce::AudioProcessor
{
public:
    ProcessorBase();
    ~ProcessorBase() override;

    using juce::AudioProcessor::processBlock;

    /** Nothing to release. */
    void releaseResources() override;

    /** Double precision is never requested; the buffer is left as it is. */
    void processBlock(juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi) override;

    /** No tail: 0 seconds. */
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    /** No editor: returns nullptr. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    /** No programs unless a stage offers them. */
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    /** State is not stored through JUCE: the block is left empty. Persistence goes through the
        audio service's settings. */
    void getStateInformation(juce::MemoryBlock& destData) override;
    /** Restoring state has no effect. */
    void setStateInformation(const void* data, int sizeInBytes) override;

    /** Whether a boolean parameter counts as on (value at least 0.5). */
    static bool isOn(const juce::AudioParameterBool& parameter) noexcept;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ProcessorBase)
};
