#pragma once

#include "tools/training/EngineConfiguration.h"
#include "tools/training/EnvelopeConversion.h"
#include "tools/training/ExpectationMaximization.h"
#include "tools/training/JointDensityGmm.h"
#include "tools/training/ModelDerivation.h"
#include "tools/training/ModelDescription.h"

#include "package/PackageWriter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace training
{

/** The same sentence read by the source speaker (narrator) and by the target speaker. */
struct RecordingPair
{
    std::string name;   ///< the file name both recordings share
    std::string source; ///< path
    std::string target; ///< path
};

/** The WAV files of a folder (names ending in ".wav" in any case, not descending into
    subfolders), or the paths listed in a text file, one per line (relative paths count from the
    list's folder; blank lines and lines starting with '#' are skipped). Sorted by path. Raises
    TrainingError when the folder or list cannot be read or names no recording. */
std::vector<std::string> listRecordings(const std::string& folderOrList);

/** Pairs source and target recordings by file name. Raises TrainingError naming the recordings
    that have no partner, or a file name that occurs twice on one side. */
std::vector<RecordingPair> pairRecordings(const std::vector<std::string>& sources,
                                          const std::vector<std::string>& targets);

/** Settings of model training. */
struct TrainingSettings
{
    double sampleRate = 16000.0; ///< engine rate of the model: 16000, 44100 or 48000 Hz
    GmmTrainingSettings gmm;     ///< classes, EM iterations, variance floor
    /** Alignment rounds: the first aligns the source's mel-cepstra with the target's, each
        further one aligns the source converted by the previous round's model. */
    int rounds = 3;
    /** Pitch ratio applied to the source before conversion; estimated from the recordings when
        not given. */
    std::optional<double> pitch;
    /** Seed of the random choice of training frames when there are more than maxFrames. */
    std::uint32_t seed = 1;
    std::size_t maxFrames = 200000;
    /** Frames more than this far below the loudest ones count as silence and are not trained
        on. */
    double silenceBelowLoudestDb = 35.0;
    /** Layout of the delta window the package stores (and training converts with). */
    DeltaWindowLayout deltaWindow = DeltaWindowLayout::twoCoefficients;
    /** Largest scale of the global-variance post-filter. The speech-frame statistics ask for
        scales up to 2.5 on the high coefficients; the engine applies them to every frame, and
        in the pauses between words they raise the noise by 30 dB and more. At 1.1 the noise
        rises by a few dB at most. */
    double gvMaximumScale = 1.1;
    /** Whether the package's volume brings the converted speech (GV coefficient 1, the
        application's default) back to the level of the speaker's own: the difference filter
        changes the level of speech by up to 9 dB. */
    bool matchSpeechLevel = true;
};

/** Figures of a training run. */
struct TrainingSummary
{
    std::size_t recordings = 0;
    double sourceF0Hz = 0.0; ///< median F0 over the source's voiced frames
    double targetF0Hz = 0.0; ///< median F0 over the target's voiced frames
    double pitch = 1.0;      ///< pitch ratio the model applies
    double volume = 1.0;     ///< the package's output gain
    /** Median F0 of the converted training speech through the real-time path at GV 1, 0 when
        not measured (without matchSpeechLevel). */
    double convertedF0Hz = 0.0;
    /** Level of the converted training speech over the source's, dB, with the volume of 1. */
    double speechLevelChangeDb = 0.0;
    std::size_t sourceSpeechFrames = 0;
    std::size_t targetSpeechFrames = 0;
    std::size_t trainingFrames = 0;          ///< frame pairs of the last round
    std::vector<double> alignmentDistanceDb; ///< mean distortion along the alignment, per round
    double logLikelihood = 0.0;              ///< per frame, of the final model
};

/** A trained model: the joint-density GMM and the members the engine loads. */
struct TrainedModel
{
    EngineConfiguration configuration;
    JointDensityGmm joint;
    ModelMembers members;
    TrainingSummary summary;
};

/** The engine's members for a joint model: the class GMM (the joint model itself), the intra
    and the difference GMM derived from it, the post-filter and the delta window. */
ModelMembers deriveMembers(const JointDensityGmm& joint, const GvPostFilter& postFilter,
                           DeltaWindowLayout window);

/** A line of progress ("round 2/3: ...", EM iterations with their log-likelihood). */
using ProgressLog = std::function<void(const std::string&)>;

/** The pitch ratio for two speakers' median F0: target / source within 0.25 .. 4 (the
    engine's pitch shifter's range), rounded to two
    decimals, and exactly 1 when the two are within 3 % of each other. Raises TrainingError when
    either median is 0 (no voiced speech found). */
double pitchRatioFor(double sourceF0Hz, double targetF0Hz);

/** Trains a model from parallel recordings with the engine's own analysis, pitch shifter and
    mapping, so that training sees what conversion will see:

    1. Every recording is brought to the model's rate; the pitch ratio comes from the two
       speakers' median F0 (pitchRatioFor) unless given, and the source is transposed by it with
       the engine's pitch shifter, block by block as the facade does.
    2. Both speakers are analysed with the engine's analysis at the rate; silent frames are left
       out. The features are [c1..cm, delta] as the engine computes them.
    3. Source and target frames are aligned by dynamic time warping on the static mel-cepstra
       (any warp in the first round), then in each further round the source converted by the
       previous round's model along the real-time path is aligned with the target (slope-limited
       warps).
    4. A joint-density GMM is fitted on the aligned pairs by EM; each round refines the previous
       round's model.
    5. The members: the class GMM (the joint model), the intra GMM [x ; x] and the difference GMM
       [x ; y - x] (ModelDerivation.h), and the post-filter from the target's global variance and
       that of the training source converted along the real-time path.

    The same recordings and settings give the same model. Raises TrainingError for unreadable
    recordings, unusable settings or too little speech. */
TrainedModel trainModel(const std::vector<RecordingPair>& pairs, const TrainingSettings& settings,
                        const ProgressLog& log = {});

/** One artwork image: its nominal size (the N of "imgN.png") and its PNG bytes. */
using ArtworkImage = std::pair<int, std::vector<std::uint8_t>>;

/** The model package (".ppc" bytes): "model.json" (the description with the model's pitch and
    formatVersion 3), "dyn.win", the rate's four parameter members and the artwork; without
    images, portraits of 256 and 512 pixels drawn for the target identifier. The same model and
    texts give the same bytes. */
std::vector<std::uint8_t> buildPackage(const TrainedModel& model, ModelDescription description,
                                       const std::vector<ArtworkImage>& images);

/** The members of buildPackage() in a package writer, to write the package to a file. */
zo::PackageWriter packageWriter(const TrainedModel& model, ModelDescription description,
                                const std::vector<ArtworkImage>& images);

} // namespace training
