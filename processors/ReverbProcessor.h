#pragma once

#include "processors/ProcessorBase.h"

/** The room reverb on the stereo voice (two channels in and out in the chain), JUCE's
    Freeverb-style `juce::Reverb`.

    Parameters (all 0 to 1): 0 "REVERB_DRY_LEVEL" (default 1), 1 "REVERB_WET_LEVEL" (0.3),
    2 "REVERB_ROOM_SIZE" (0.5), 3 "REVERB_DAMPING" (0.3), 4 "REVERB_WIDTH" (0.3),
    5 "REVERB_FREEZE_MODE" (0). Six programs from the embedded "reverb.xml" ("ROOM S", "ROOM M",
    "HALL S", "HALL M", "HALL L", "PLATE") set room size, damping and width; selecting the current
    program does nothing. */
class ReverbProcessor : public ProcessorBase
{
public:
    ReverbProcessor();
    ~ReverbProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;

    /** Two channels are processed as a stereo pair, one as mono; other channel counts pass. */
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Clears the reverb's delay lines (the tail). */
    void reset() override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    /** Applies the program's parameter values (normalised, listeners not notified) and remembers the
        index, also an index out of range, which applies nothing. */
    void setCurrentProgram(int index) override;
    /** The program's name, or the empty string for an index out of range. */
    const juce::String getProgramName(int index) override;

private:
    juce::ValueTree getProgramList() const;

    juce::Reverb reverb;
    juce::AudioParameterFloat* dryLevel;
    juce::AudioParameterFloat* wetLevel;
    juce::AudioParameterFloat* roomSize;
    juce::AudioParameterFloat* damping;
    juce::AudioParameterFloat* width;
    juce::AudioParameterFloat* freezeMode;
    juce::ValueTree programs;
    int currentProgram = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ReverbProcessor)
};
