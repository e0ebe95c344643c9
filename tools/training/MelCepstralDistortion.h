#pragma once

#include "tools/training/DynamicTimeWarping.h"
#include "tools/training/FrameMatrix.h"
#include "tools/training/WavFile.h"

#include <memory>

namespace training
{

class SpeechAnalyser;

/** Mel-cepstral distortion of one pair of frames in dB: (10 / ln 10) sqrt(2 sum_d (a_d - b_d)^2)
    over `count` coefficients. */
double frameDistortionDb(const double* a, const double* b, std::size_t count) noexcept;

/** Mean of frameDistortionDb over the aligned frames, on columns firstColumn ..
    firstColumn + count - 1. */
double meanDistortionDb(const FrameMatrix& a, const FrameMatrix& b, const Alignment& alignment,
                        std::size_t firstColumn, std::size_t count);

/** The mel-cepstral distortion between two recordings of the same sentence. */
struct DistortionMeasurement
{
    double distortionDb = 0.0;     ///< mean over the aligned frames
    std::size_t alignedFrames = 0; ///< steps of the alignment path
};

/** Measures mel-cepstral distortion between recordings the same way for every model: both are
    brought to 16 kHz (resampleKeepingBandEdge; 16 kHz recordings as they are) and analysed with the engine's
   16 kHz analysis (order 24, alpha 0.42, 25 ms frames, 5 ms shift, one iteration); silent frames
   (speechFrames) are removed from each; the speech frames are aligned by slope-limited dynamic time warping
   on c1..c24 and the distortion of c1..c24 is averaged over the path. Not thread-safe. */
class DistortionMeter
{
public:
    DistortionMeter();
    ~DistortionMeter();

    DistortionMeter(const DistortionMeter&) = delete;
    DistortionMeter& operator=(const DistortionMeter&) = delete;

    /** Raises TrainingError when either recording holds no speech. */
    DistortionMeasurement measure(const Recording& test, const Recording& reference);

private:
    FrameMatrix speechCepstra(const Recording& recording);

    std::unique_ptr<SpeechAnalyser> analyser;
};

} // namespace training
