#pragma once

#include "tools/training/EngineConfiguration.h"
#include "tools/training/FrameMatrix.h"

#include <memory>
#include <vector>

class FEAT_CLASS;

namespace training
{

/** The engine's analysis of one recording: a mel-cepstrum per frame shift, exactly as the
    real-time pipeline frames and analyses its input. */
struct AnalysedSpeech
{
    /** One row c0..cm per frame shift. Row j analyses the frameLength samples that end with
        sample (j + 1) x shift, with zeros before the recording's start and after its end. */
    FrameMatrix cepstra;
    /** Level of each frame (mean square of its samples) in dB. */
    std::vector<double> levelDb;
};

/** Analyses recordings with the engine's FEAT_CLASS at one configuration: the frame buffer
    starts as zeros and takes one shift of samples per frame, all-zero frames are dithered, and
    the mel-cepstrum comes from the high-pass-weighted spectrum with one iteration, as in the
    conversion pipeline. One analyser serves any number of recordings, one after another (the
    dither's noise source continues from one to the next). Not thread-safe. */
class SpeechAnalyser
{
public:
    explicit SpeechAnalyser(const EngineConfiguration& configuration);
    ~SpeechAnalyser();

    SpeechAnalyser(const SpeechAnalyser&) = delete;
    SpeechAnalyser& operator=(const SpeechAnalyser&) = delete;

    /** The analysis of samples (in -1..1) at the configuration's rate: ceil(samples / shift)
        frames. */
    AnalysedSpeech analyse(const std::vector<double>& samples);

    const EngineConfiguration& configuration() const noexcept { return config; }

private:
    EngineConfiguration config;
    std::unique_ptr<FEAT_CLASS> analysis;
};

/** The features the engine maps: per frame [c1..cm, delta c1..delta cm] with
    delta c_t = 0.5 (c_t - c_(t-1)) and c_(-1) = 0, from cepstra rows c0..cm. */
FrameMatrix dynamicFeatures(const FrameMatrix& cepstra);

/** Level in dB (10 log10 of the mean square, -200 for silence) of each frame as the analysis
    frames a recording: frame j holds the frameLength samples that end with sample (j + 1) x shift,
    zeros outside the recording. */
std::vector<double> frameLevelsDb(const std::vector<double>& samples, std::size_t frameLength,
                                  std::size_t shift);

/** Indices of the frames that hold speech: those whose level is at most `belowLoudestDb` below
    the level that only 2 % of the frames exceed. */
std::vector<std::size_t> speechFrames(const std::vector<double>& levelDb, double belowLoudestDb = 35.0);

/** The rows `indices` of m, columns firstColumn .. firstColumn + columnCount - 1. */
FrameMatrix selectFrames(const FrameMatrix& m, const std::vector<std::size_t>& indices,
                         std::size_t firstColumn, std::size_t columnCount);

} // namespace training
