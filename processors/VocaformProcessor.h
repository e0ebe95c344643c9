#pragma once

#include "engine/Vocaform.h"
#include "processors/ModelRateAdapter.h"
#include "processors/ProcessorBase.h"

#include <atomic>
#include <cstdint>
#include <memory>

class Pupack;

namespace tessel
{

/** The chain stage that converts the speaker's voice into the selected character's voice (one
    channel in and out, after the noise gate).

    It owns one conversion engine facade (`Vocaform`) and feeds it the voice block by block in
    double precision at the model's rate: 16000 Hz for a model that offers exactly that rate,
    44100 Hz otherwise. Each block of N samples at the device rate r is resampled to
    M = trunc(N * rate / r) samples with a fourth-order Lagrange interpolator, converted, and
    resampled back to N samples (441 samples per 480-sample block at 48000 Hz for a 44100-Hz model,
    185 per 512-sample block at 44100 Hz for a 16000-Hz model). The facade delays the voice by its
    own latency (2141 samples at 44100 Hz with its gate and limiter); the interpolators add only
    their short history.

    Parameters (index, ID): 0 "NoiseGateOnOff" (engine gate, default on), 1 "NoiseGateLevel"
    (engine gate trigger, 0 to 1, default 0), 2 "GVCoefficient" (0 to 1, default 1),
    3 "AdaptiveLimiterOnOff" (default on). They are copied into the facade at the start of every
    block and of every preparation, and only when they differ; the two switches take effect at the
    facade's next preparation, the level and the coefficient at once.

    Threads: `processBlock` runs on the audio thread, everything else on the message thread. A
    recursive lock serialises every facade call and every use of the work buffers. A model swap
    holds it from the new package to the prepared engine, so the audio thread never sees a
    half-built engine; the audio thread does not wait for it: a block that finds the lock taken
    passes unconverted (a swap builds the engine, which takes far longer than a block). A model
    that the facade cannot use leaves the voice passing unconverted. Buffers are sized in
    `prepareToPlay`; processing does not allocate. */
class VocaformProcessor : public ProcessorBase
{
public:
    VocaformProcessor();
    /** Destroys the facade (not the model package). */
    ~VocaformProcessor() override;

    /** The empty string. */
    const juce::String getName() const override;

    /** Copies the parameters into the facade; with a valid rate (Hz) and block size (samples)
        also stores both, resets the interpolators, sizes the work buffers and prepares the facade
        at the conversion rate. Zeros leave the processor as it was. */
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;

    /** Converts channel 0 in place. */
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    /** Converts a double-precision block through the float path. */
    void processBlock(juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi) override;

    /** Hands a model package (not owned; may be null) to the facade, chooses the conversion rate
        and the limiter, and prepares the engine for the current device rate and block size.
        Message thread; the caller holds the audio service's graph lock. */
    void setModel(Pupack* model);

    /** The package last accepted by the facade, or null. */
    Pupack* getModel() const;

    /** The rate (Hz) the facade runs at: 16000 or 44100, 0 before the first model swap. */
    double getConversionRate() const;

    /** Samples the last converted block handed to the facade (0 before the first one). */
    int getLastEngineBlockSamples() const noexcept { return lastEngineBlockSamples.load(); }

    /** The facade's delay of the voice in samples at the conversion rate, for the prepared
        engine (0 when it converts nothing). */
    std::int64_t getEngineLatencySamples() const;

    /** Samples handed to the facade for a block of `numSamples` at `deviceRate` (Hz):
        trunc(numSamples * conversionRate / deviceRate). */
    static int conversionSamplesFor(int numSamples, double deviceRate, double conversionRate) noexcept;

    /** Parameter indices. */
    enum ParameterIndex
    {
        noiseGateOnOffIndex = 0,
        noiseGateLevelIndex = 1,
        gvCoefficientIndex = 2,
        adaptiveLimiterOnOffIndex = 3
    };

private:
    void synchroniseParameters();
    void resetResampling();

    std::unique_ptr<Vocaform> facade;
    Pupack* currentModel = nullptr;
    juce::CriticalSection lock;
    double deviceRate = 0.0;
    int blockSize = 0;
    double conversionRate = 0.0;
    ModelRateAdapter adapter; // resampling between the device and the conversion rate

    std::atomic<int> lastEngineBlockSamples{0};

    juce::AudioParameterBool* noiseGateOnOff;
    juce::AudioParameterFloat* noiseGateLevel;
    juce::AudioParameterFloat* gvCoefficient;
    juce::AudioParameterBool* adaptiveLimiterOnOff;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VocaformProcessor)
};

} // namespace tessel
