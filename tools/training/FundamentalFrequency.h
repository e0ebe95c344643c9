#pragma once

#include <vector>

namespace training
{

/** Settings of the fundamental-frequency (F0) estimate. */
struct FundamentalFrequencySettings
{
    double lowestHz = 60.0;   ///< lowest F0 looked for
    double highestHz = 500.0; ///< highest F0 looked for
    double hopSeconds = 0.01; ///< distance between estimates
    /** A frame counts as voiced when its cumulative-mean-normalised difference falls below this
        value at some period. */
    double voicingThreshold = 0.2;
    /** A frame next to a voiced one is voiced too when its difference function has a minimum
        below this value within `continuityRatio` of the neighbour's period. */
    double continuityThreshold = 0.5;
    double continuityRatio = 1.15; ///< how far the period may move between neighbouring frames
    /** Frames more than this many dB below the loudest frame of the signal are unvoiced. */
    double silenceBelowPeakDb = 35.0;
};

/** F0 of a voice recording, one value in Hz per hop (0 for an unvoiced or silent frame).

    The signal is band-limited to 8 kHz, and each frame's period is the first minimum of the
    cumulative-mean-normalised squared difference function that falls below the voicing
    threshold (the YIN method), refined by parabolic interpolation. Voicing then spreads from
    frame to frame into neighbours whose difference function has a clear minimum near the
    neighbour's period, so that onsets, endings and creaky stretches count as they do for
    trackers with a continuity constraint. */
std::vector<double> estimateFundamentalFrequency(const std::vector<double>& samples, double sampleRate,
                                                 const FundamentalFrequencySettings& settings = {});

/** The median of the positive values (the voiced frames' F0), 0 when there is none. */
double voicedMedian(const std::vector<double>& f0);

} // namespace training
