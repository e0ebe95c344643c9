#pragma once

#include "tools/training/ModelTrainer.h"
#include "tools/training/WavFile.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class Pupack;
class Vocaform;

namespace training
{

/** How a model is run for evaluation. The defaults are the application's: the engine rate it
    picks for the package, the facade's input gate on at the application's default level, the
    limiter off at 16000 Hz and on otherwise. */
struct EvaluationSettings
{
    /** Engine rate in Hz; by default 16000 when the package has that rate, else 44100. */
    std::optional<double> sampleRate;
    double gvCoefficient = 0.0; ///< strength of the global-variance post-filter, 0..1
    bool gateEnabled = true;
    double gateTrigger = 0.0; ///< the application's default noise-gate level
    /** Whether the adaptive limiter runs; by default off at 16000 Hz and on otherwise, as the
        application's conversion stage sets it. */
    std::optional<bool> limiter;
};

/** Figures of one held-out sentence. */
struct SentenceEvaluation
{
    std::string name;
    double convertedDb = 0.0;   ///< mel-cepstral distortion of the converted source to the target
    double unconvertedDb = 0.0; ///< the same for the source as recorded
    double sourceF0Hz = 0.0;    ///< median F0 over voiced frames
    double targetF0Hz = 0.0;
    double convertedF0Hz = 0.0;
};

/** Figures of a model over held-out sentences. F0 figures are medians over the voiced frames of
    all sentences together. */
struct ModelEvaluation
{
    double sampleRate = 0.0;
    bool limiter = false;
    double gvCoefficient = 0.0;
    std::vector<SentenceEvaluation> sentences;
    double meanConvertedDb = 0.0;
    double meanUnconvertedDb = 0.0;
    double sourceF0Hz = 0.0;
    double targetF0Hz = 0.0;
    double convertedF0Hz = 0.0;
    /** Levels in dB (RMS, full scale 0 dB) of the input and the output over the speech frames
        (10 ms frames of the input within `speechBelowPeakDb` of its loudest one) and over the
        pauses (frames more than `pauseBelowPeakDb` below it), all sentences together, leaving out
        each sentence's first 200 ms (the facade's silent start). */
    double inputSpeechDb = 0.0;
    double outputSpeechDb = 0.0;
    double inputPauseDb = 0.0;
    double outputPauseDb = 0.0;
    static constexpr double speechBelowPeakDb = 30.0;
    static constexpr double pauseBelowPeakDb = 45.0;
};

/** Passes a recording through a prepared facade exactly as the application's conversion stage
    feeds it (blocks of 512 samples at the engine rate), followed by enough silence to bring the
    voice out, and returns the converted voice with the facade's latency removed, as long as the
    input. The recording must be at the facade's rate. */
std::vector<double> convertWithFacade(Vocaform& facade, const std::vector<double>& samples);

/** Converts each pair's source recording with the package through the facade and measures the
    mel-cepstral distortion to the target (DistortionMeter) next to that of the unconverted
    source, and the F0. `converted` (when given) receives every converted recording at the engine
    rate. Raises TrainingError for unreadable recordings or a package the facade cannot prepare
    (with its result code). */
ModelEvaluation
evaluateModel(Pupack& package, const std::vector<RecordingPair>& pairs, const EvaluationSettings& settings,
              const std::function<void(const RecordingPair&, const Recording&)>& converted = {});

} // namespace training
