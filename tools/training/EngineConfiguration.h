#pragma once

#include <cstdint>

namespace training
{

/** The conversion engine's settings at one sample rate, as the facade builds the engine: every
    rate uses a 5 ms frame shift (and block) and one iteration of mel-cepstral analysis. */
struct EngineConfiguration
{
    double sampleRate = 0.0;  ///< Hz
    std::int64_t fftMin = 0;  ///< smallest analysis FFT length
    std::int64_t order = 0;   ///< mel-cepstral order m
    std::int64_t lag = 0;     ///< look-ahead of the trajectory generators, frames
    double frameMs = 0.0;     ///< analysis frame length, ms
    double shiftMs = 5.0;     ///< frame shift, ms
    double alpha = 0.0;       ///< frequency-warping factor
    std::int64_t blockSize = 0; ///< samples per 5 ms block and per frame shift

    /** Analysis frame length in samples (rounded half away from zero). */
    std::int64_t frameLength() const noexcept;
};

/** The settings for 16000, 44100 or 48000 Hz (order 24, 60, 65). Raises TrainingError for any
    other rate. */
const EngineConfiguration& engineConfigurationFor(double sampleRate);

/** The delta window of every shipped model, -0.5, 0.5, 0 over offsets -1..1, matching the
    engine's delta 0.5 (c_t - c_(t-1)). */
inline constexpr double deltaWindowCoefficients[3] = {-0.5, 0.5, 0.0};

} // namespace training
