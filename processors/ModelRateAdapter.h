#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>

class Vocaform;

namespace tessel
{

/** Runs a conversion facade at its model's rate inside a stream at the device's rate.

    Each block of N device samples is resampled to M = trunc(N × modelRate / deviceRate) samples
    with one fourth-order Lagrange interpolator (speed N / M), converted in place by the facade in
    double precision, and resampled back to N samples with a second interpolator (speed M / N). Both
    interpolators keep their history from block to block, so the stream stays continuous; at equal
    rates they pass the samples through exactly, two samples late each. The engine therefore runs at
    deviceRate × M / N, which is the model's rate whenever N × modelRate / deviceRate is whole (480
    samples at 48000 Hz for 44100 Hz, say) and within a sample per block of it otherwise.

    All buffers are sized by `prepare`; `process` allocates nothing. The adapter has no lock: its
    owner serialises `prepare` and `process` with every call on the facade. */
class ModelRateAdapter
{
public:
    ModelRateAdapter();
    ~ModelRateAdapter();

    ModelRateAdapter(const ModelRateAdapter&) = delete;
    ModelRateAdapter& operator=(const ModelRateAdapter&) = delete;

    /** Sizes the buffers for blocks of up to maxBlockSize device samples and resets both
        interpolators. Rates in Hz; a rate or block size that is not positive leaves the adapter
        unprepared (`process` then leaves the samples as they are). */
    void prepare(double deviceRate, double modelRate, int maxBlockSize);

    /** Forgets the interpolators' history, as after `prepare`. */
    void reset() noexcept;

    /** Converts n device samples in place through the facade. Blocks longer than the prepared
        size are taken in pieces of that size. A block too short to give one model sample (M = 0)
        is not passed to the facade and comes back silent. */
    void process(float* samples, int n, Vocaform& facade) noexcept;

    /** Model samples the facade receives for a block of n device samples: trunc(n × modelRate /
        deviceRate); 0 when unprepared. */
    int modelSamplesFor(int n) const noexcept;

    /** Delay in device samples of the whole path for blocks of n device samples, given the
        facade's latency in model samples (`Vocaform::latencySamples`): the two interpolators'
        delays (two input samples each, less the whole input samples the first block leaves
        unread at high speed ratios) and the facade's delay at speed N / M. Fractional in general. */
    double latencySamples(std::int64_t facadeLatency, int n) const noexcept;

    bool isPrepared() const noexcept { return prepared; }
    double deviceRate() const noexcept { return deviceSampleRate; }
    double modelRate() const noexcept { return modelSampleRate; }
    int maxBlockSize() const noexcept { return maxBlock; }

private:
    void processBlock(float* samples, int n, Vocaform& facade) noexcept;

    bool prepared = false;
    double deviceSampleRate = 0.0;
    double modelSampleRate = 0.0;
    int maxBlock = 0;

    juce::LagrangeInterpolator downInterpolator;
    juce::LagrangeInterpolator upInterpolator;
    juce::AudioBuffer<float> downBuffer;   // M model samples
    juce::AudioBuffer<double> modelBuffer; // M model samples, converted in place by the facade
    juce::AudioBuffer<float> convertedBuffer;
    juce::AudioBuffer<float> upBuffer; // N device samples
};

} // namespace tessel
