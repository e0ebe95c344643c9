#pragma once

#include "processors/ProcessorBase.h"

#include <atomic>

namespace tessel
{

/** Measures the level of channel 0 for the meters: the RMS and the peak magnitude of windows of
    about 30 ms (1322 samples at 44100 Hz, 1439 at 48000 Hz), published whenever a window is full.
    The block passes unchanged; other channels are ignored. No parameters. */
class LevelMeterProcessor : public ProcessorBase
{
public:
    LevelMeterProcessor();
    ~LevelMeterProcessor() override;

    const juce::String getName() const override;

    /** Sizes the window for the sample rate and starts a new window; published values are kept. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;

    /** Starts a new window and sets both published values to 0. */
    void reset() override;

    /** RMS of the last complete window (linear, full scale 1). Safe to call from any thread. */
    float getRMS() const noexcept;
    /** Largest absolute sample of the last complete window. Safe to call from any thread. */
    float getPeak() const noexcept;

    /** The window length in samples for a sample rate: the integer part of rate * 0.03 (the
        constant held in single precision, so 1322 at 44100 Hz). */
    static int windowLengthFor(double sampleRate) noexcept;

private:
    std::atomic<float> rms{0.0f};
    std::atomic<float> peak{0.0f};
    juce::AudioBuffer<float> window;
    int windowLength = 0;
    int writeIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LevelMeterProcessor)
};

} // namespace tessel
