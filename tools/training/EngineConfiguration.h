#pragma once

#include <cstdint>
#include <vector>

namespace training
{

/** The conversion engine's settings at one sample rate, as the facade builds the engine: every
    rate uses a 5 ms frame shift (and block) and one iteration of mel-cepstral analysis. */
struct EngineConfiguration
{
    double sampleRate = 0.0;    ///< Hz
    std::int64_t fftMin = 0;    ///< smallest analysis FFT length
    std::int64_t order = 0;     ///< mel-cepstral order m
    std::int64_t lag = 0;       ///< look-ahead of the trajectory generators, frames
    double frameMs = 0.0;       ///< analysis frame length, ms
    double shiftMs = 5.0;       ///< frame shift, ms
    double alpha = 0.0;         ///< frequency-warping factor
    std::int64_t blockSize = 0; ///< samples per 5 ms block and per frame shift

    /** Analysis frame length in samples (rounded half away from zero). */
    std::int64_t frameLength() const noexcept;
};

/** The settings for 16000, 44100 or 48000 Hz (order 24, 60, 65). Raises TrainingError for any
    other rate. */
const EngineConfiguration& engineConfigurationFor(double sampleRate);

/** Layouts of the delta window ("dyn.win"). Both describe the engine's delta
    0.5 (c_t - c_(t-1)); they differ in how long the trajectory generator waits for a frame. */
enum class DeltaWindowLayout
{
    /** -0.5, 0.5 over offsets -1..0. The generator needs no later frame, so its envelopes lag
        the analysis by exactly the lag L, as the pipeline delays the waveform they filter. */
    twoCoefficients,
    /** -0.5, 0.5, 0 over offsets -1..1, the layout of the first shipped models. The zero
        coefficient at offset +1 makes the generator wait one frame more, so every envelope
        filters the waveform one frame (5 ms) after the one it was computed for. */
    threeCoefficients
};

/** The coefficients of a delta-window layout, as "dyn.win" stores them. */
std::vector<double> deltaWindowCoefficients(DeltaWindowLayout layout);

} // namespace training
