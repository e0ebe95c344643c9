#include "tools/training/ModelTrainer.h"

#include "tools/training/Artwork.h"
#include "tools/training/DynamicTimeWarping.h"
#include "tools/training/FundamentalFrequency.h"
#include "tools/training/MelCepstralDistortion.h"
#include "tools/training/ModelDerivation.h"
#include "tools/training/ModelEvaluation.h"
#include "tools/training/SincResampler.h"
#include "tools/training/SpeechAnalysis.h"
#include "tools/training/TrainingError.h"
#include "tools/training/WavFile.h"

#include "engine/PitchShifter.h"
#include "package/PackageWriter.h"
#include "package/Pupack.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

namespace training
{

namespace fs = std::filesystem;

namespace
{

template <typename... Values> std::string format(const char* pattern, Values... values)
{
    char line[256];
    std::snprintf(line, sizeof line, pattern, values...);
    return line;
}

bool endsWithWav(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending == ".wav";
}

/** A speaker's recordings after resampling, with their analysis. */
struct Utterance
{
    std::vector<double> samples; ///< at the model's rate (transposed for the source)
    FrameMatrix features;        ///< dynamicFeatures of the analysis
    std::vector<std::size_t> speech;
};

/** The recording at the model's rate (by the same resampling as evaluation). */
std::vector<double> loadAtRate(const std::string& path, double rate)
{
    const Recording recording = readWavFile(path);
    if (recording.samples.empty())
        throw TrainingError(path + ": the recording is empty");
    return resampleKeepingBandEdge(recording.samples, recording.sampleRate, rate);
}

/** Transposes by the pitch ratio with the engine's pitch shifter exactly as the facade does: one
    5 ms block at a time, with the facade's arguments. The input is followed by silence long
    enough to bring the shifter's latency out. */
std::vector<double> transpose(const std::vector<double>& samples, double pitch, const EngineConfiguration& c)
{
    if (static_cast<float>(pitch) == 1.0f)
        return samples;
    const auto block = static_cast<std::size_t>(c.blockSize);
    zo::PitchShifter shifter(static_cast<int>(block), 2, c.sampleRate, pitch, 60.0, 400.0);
    const std::size_t latency = static_cast<std::size_t>(2.0 * c.sampleRate / 60.0) + 2 * block;
    const std::size_t blocks = (samples.size() + latency + block - 1) / block;
    std::vector<double> input(blocks * block, 0.0);
    std::copy(samples.begin(), samples.end(), input.begin());
    std::vector<double> output(input.size());
    for (std::size_t at = 0; at < input.size(); at += block)
        shifter.process(output.data() + at, 1, input.data() + at, 1, static_cast<int>(block));
    return output;
}

/** Fisher-Yates on the generator's raw outputs, so that the choice does not depend on the
    standard library's distributions. */
std::vector<std::size_t> seededSubset(std::size_t count, std::size_t wanted, std::uint32_t seed)
{
    std::vector<std::size_t> indices(count);
    for (std::size_t i = 0; i < count; ++i)
        indices[i] = i;
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < wanted; ++i)
    {
        const std::size_t j = i + static_cast<std::size_t>(random() % (count - i));
        std::swap(indices[i], indices[j]);
    }
    indices.resize(wanted);
    std::sort(indices.begin(), indices.end());
    return indices;
}

struct PairedFrames
{
    FrameMatrix source;
    FrameMatrix target;
    double meanDistanceDb = 0.0;
};

/** Aligns each utterance's speech frames (`alignedSource`, static m columns per speech frame)
    with the target's, and pairs the source's features with the target's along the paths. */
PairedFrames pairFrames(const std::vector<Utterance>& sources, const std::vector<FrameMatrix>& alignedSource,
                        const std::vector<Utterance>& targets, std::size_t order, WarpingSteps warping)
{
    PairedFrames paired{FrameMatrix(0, 2 * order), FrameMatrix(0, 2 * order)};
    double distance = 0.0;
    std::size_t steps = 0;
    for (std::size_t u = 0; u < sources.size(); ++u)
    {
        const FrameMatrix targetStatic = selectFrames(targets[u].features, targets[u].speech, 0, order);
        const Alignment alignment =
            alignByDynamicTimeWarping(alignedSource[u], targetStatic, 0, order, warping);
        distance += meanDistortionDb(alignedSource[u], targetStatic, alignment, 0, order) *
                    static_cast<double>(alignment.path.size());
        steps += alignment.path.size();
        for (const AlignedFrames& step : alignment.path)
        {
            paired.source.appendRow(sources[u].features.row(sources[u].speech[step.first]));
            paired.target.appendRow(targets[u].features.row(targets[u].speech[step.second]));
        }
    }
    paired.meanDistanceDb = distance / static_cast<double>(std::max<std::size_t>(steps, 1));
    return paired;
}

GvPostFilter identityPostFilter(std::size_t order)
{
    return {std::vector<double>(order, 1.0), std::vector<double>(order, 0.0)};
}

/** Recordings with fewer speech frames than this (50 ms) cannot be aligned usefully. */
constexpr std::size_t minimumSpeechFrames = 10;

std::string rateName(double rate)
{
    return std::to_string(static_cast<long>(rate));
}

} // namespace

ModelMembers deriveMembers(const JointDensityGmm& joint, const GvPostFilter& postFilter,
                           DeltaWindowLayout window)
{
    ModelMembers members;
    members.classGmm = joint.toBytes();
    members.intraGmm = intraSpeakerGmm(joint).toBytes();
    members.differenceGmm = differenceGmm(joint).toBytes();
    members.postFilter = postFilter.toBytes();
    members.windows = doublesToBytes(deltaWindowCoefficients(window));
    return members;
}

std::vector<std::string> listRecordings(const std::string& folderOrList)
{
    std::vector<std::string> paths;
    std::error_code error;
    if (fs::is_directory(folderOrList, error))
    {
        fs::directory_iterator it(folderOrList, error);
        if (error)
            throw TrainingError(folderOrList + ": cannot read the folder (" + error.message() + ")");
        for (const fs::directory_entry& entry : it)
            if (entry.is_regular_file(error) && endsWithWav(entry.path().filename().string()))
                paths.push_back(entry.path().string());
    }
    else
    {
        std::ifstream list(folderOrList);
        if (!list)
            throw TrainingError(folderOrList + ": neither a folder of WAV files nor a readable list of them");
        const fs::path base = fs::path(folderOrList).parent_path();
        std::string line;
        while (std::getline(list, line))
        {
            while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
                line.pop_back();
            std::size_t start = 0;
            while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start])))
                ++start;
            line = line.substr(start);
            if (line.empty() || line[0] == '#')
                continue;
            const fs::path path(line);
            paths.push_back(path.is_absolute() ? path.string() : (base / path).string());
        }
    }
    if (paths.empty())
        throw TrainingError(folderOrList + ": no WAV recordings found");
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<RecordingPair> pairRecordings(const std::vector<std::string>& sources,
                                          const std::vector<std::string>& targets)
{
    auto byName = [](const std::vector<std::string>& paths, const char* side)
    {
        std::map<std::string, std::string> named;
        for (const std::string& path : paths)
        {
            const std::string name = fs::path(path).filename().string();
            if (!named.emplace(name, path).second)
                throw TrainingError(std::string("two ") + side + " recordings are named " + name + ": " +
                                    named[name] + " and " + path);
        }
        return named;
    };
    const auto sourceByName = byName(sources, "source");
    const auto targetByName = byName(targets, "target");
    std::vector<std::string> unmatched;
    std::vector<RecordingPair> pairs;
    for (const auto& [name, path] : sourceByName)
    {
        const auto partner = targetByName.find(name);
        if (partner == targetByName.end())
            unmatched.push_back("source " + path);
        else
            pairs.push_back({name, path, partner->second});
    }
    for (const auto& [name, path] : targetByName)
        if (sourceByName.count(name) == 0)
            unmatched.push_back("target " + path);
    if (!unmatched.empty())
    {
        std::string message = "recordings without a partner of the same name:";
        for (std::size_t i = 0; i < unmatched.size() && i < 10; ++i)
            message += "\n  " + unmatched[i];
        if (unmatched.size() > 10)
            message += "\n  ... and " + std::to_string(unmatched.size() - 10) + " more";
        throw TrainingError(message);
    }
    return pairs;
}

double pitchRatioFor(double sourceF0Hz, double targetF0Hz)
{
    if (!(sourceF0Hz > 0.0) || !(targetF0Hz > 0.0))
        throw TrainingError(
            "no voiced speech found to estimate the pitch ratio; give the ratio as an option");
    const double ratio =
        std::clamp(targetF0Hz / sourceF0Hz, zo::PitchShifter::lowestRatio, zo::PitchShifter::highestRatio);
    if (std::fabs(ratio - 1.0) < 0.03)
        return 1.0;
    return std::round(ratio * 100.0) / 100.0;
}

TrainedModel trainModel(const std::vector<RecordingPair>& pairs, const TrainingSettings& settings,
                        const ProgressLog& log)
{
    auto say = [&](const std::string& line)
    {
        if (log)
            log(line);
    };
    if (pairs.empty())
        throw TrainingError("no recordings to train on");
    if (settings.rounds < 1)
        throw TrainingError("training needs at least one alignment round");
    if (settings.pitch && !(*settings.pitch >= zo::PitchShifter::lowestRatio &&
                            *settings.pitch <= zo::PitchShifter::highestRatio))
        throw TrainingError("the pitch ratio must lie in 0.25 .. 4");
    const EngineConfiguration& config = engineConfigurationFor(settings.sampleRate);
    const auto order = static_cast<std::size_t>(config.order);

    TrainedModel model;
    model.configuration = config;
    model.summary.recordings = pairs.size();

    // Load everything first so that an unreadable file stops training at once.
    std::vector<std::vector<double>> sourceAudio, targetAudio;
    for (const RecordingPair& pair : pairs)
    {
        sourceAudio.push_back(loadAtRate(pair.source, config.sampleRate));
        targetAudio.push_back(loadAtRate(pair.target, config.sampleRate));
    }
    for (std::size_t u = 0; u < pairs.size(); ++u)
        for (const auto& [path, samples] :
             {std::pair{&pairs[u].source, &sourceAudio[u]}, std::pair{&pairs[u].target, &targetAudio[u]}})
            if (speechFrames(frameLevelsDb(*samples, static_cast<std::size_t>(config.frameLength()),
                                           static_cast<std::size_t>(config.blockSize)),
                             settings.silenceBelowLoudestDb)
                    .size() < minimumSpeechFrames)
                throw TrainingError(*path + ": too little speech to train on");
    say("read " + std::to_string(pairs.size()) + " recording pairs at " + rateName(config.sampleRate) +
        " Hz");

    std::vector<double> sourceF0, targetF0;
    for (std::size_t u = 0; u < pairs.size(); ++u)
    {
        const auto s = estimateFundamentalFrequency(sourceAudio[u], config.sampleRate);
        const auto t = estimateFundamentalFrequency(targetAudio[u], config.sampleRate);
        sourceF0.insert(sourceF0.end(), s.begin(), s.end());
        targetF0.insert(targetF0.end(), t.begin(), t.end());
    }
    model.summary.sourceF0Hz = voicedMedian(sourceF0);
    model.summary.targetF0Hz = voicedMedian(targetF0);
    model.summary.pitch =
        settings.pitch ? *settings.pitch : pitchRatioFor(model.summary.sourceF0Hz, model.summary.targetF0Hz);
    say(format("median F0: source %.1f Hz, target %.1f Hz; pitch ratio %.2f", model.summary.sourceF0Hz,
               model.summary.targetF0Hz, model.summary.pitch));

    // The source as the engine will hear it: transposed by the facade's pitch shifter.
    std::vector<Utterance> sources(pairs.size()), targets(pairs.size());
    {
        SpeechAnalyser analyser(config);
        for (std::size_t u = 0; u < pairs.size(); ++u)
        {
            sources[u].samples = transpose(sourceAudio[u], model.summary.pitch, config);
            const AnalysedSpeech s = analyser.analyse(sources[u].samples);
            sources[u].features = dynamicFeatures(s.cepstra);
            sources[u].speech = speechFrames(s.levelDb, settings.silenceBelowLoudestDb);
            targets[u].samples = std::move(targetAudio[u]);
            const AnalysedSpeech t = analyser.analyse(targets[u].samples);
            targets[u].features = dynamicFeatures(t.cepstra);
            targets[u].speech = speechFrames(t.levelDb, settings.silenceBelowLoudestDb);
            if (sources[u].speech.size() < minimumSpeechFrames)
                throw TrainingError(pairs[u].source + ": too little speech left after transposing it");
            model.summary.sourceSpeechFrames += sources[u].speech.size();
            model.summary.targetSpeechFrames += targets[u].speech.size();
        }
    }
    say("speech frames: source " + std::to_string(model.summary.sourceSpeechFrames) + ", target " +
        std::to_string(model.summary.targetSpeechFrames));

    const EmProgress emProgress = [&](const EmIteration& it)
    {
        say(format("  EM %d classes, iteration %d: log-likelihood %.4f", it.classes, it.iteration,
                   it.logLikelihood));
    };

    JointDensityGmm joint;
    for (int round = 1; round <= settings.rounds; ++round)
    {
        std::vector<FrameMatrix> alignedSource(pairs.size());
        if (round == 1)
            for (std::size_t u = 0; u < pairs.size(); ++u)
                alignedSource[u] = selectFrames(sources[u].features, sources[u].speech, 0, order);
        else
        {
            EnvelopeConverter converter(
                config, deriveMembers(joint, identityPostFilter(order), settings.deltaWindow));
            for (std::size_t u = 0; u < pairs.size(); ++u)
                alignedSource[u] = selectFrames(converter.convert(sources[u].features).converted,
                                                sources[u].speech, 0, order);
        }
        // The speakers' own mel-cepstra can be far apart, so the first alignment may warp freely;
        // once the source is converted, a slope limit keeps pauses and plosives from absorbing
        // long stretches.
        PairedFrames paired =
            pairFrames(sources, alignedSource, targets, order,
                       round == 1 ? WarpingSteps::unconstrained : WarpingSteps::slopeLimited);
        model.summary.alignmentDistanceDb.push_back(paired.meanDistanceDb);
        if (paired.source.rows > settings.maxFrames)
        {
            const auto keep = seededSubset(paired.source.rows, settings.maxFrames, settings.seed);
            paired.source = selectFrames(paired.source, keep, 0, 2 * order);
            paired.target = selectFrames(paired.target, keep, 0, 2 * order);
        }
        model.summary.trainingFrames = paired.source.rows;
        say(format("round %d/%d: %zu frame pairs, mean distance along the alignment %.2f dB", round,
                   settings.rounds, paired.source.rows, paired.meanDistanceDb));
        joint = round == 1 ? trainJointDensityGmm(paired.source, paired.target, settings.gmm, emProgress)
                           : refineJointDensityGmm(std::move(joint), paired.source, paired.target,
                                                   settings.gmm, settings.gmm.finalIterations, emProgress);
        model.summary.logLikelihood = averageLogLikelihood(joint, paired.source, paired.target);
    }

    // The post-filter: the target's global variance against that of the training source
    // converted along the real-time path.
    std::vector<FrameMatrix> converted, target;
    {
        EnvelopeConverter converter(config,
                                    deriveMembers(joint, identityPostFilter(order), settings.deltaWindow));
        for (std::size_t u = 0; u < pairs.size(); ++u)
        {
            converted.push_back(
                selectFrames(converter.convert(sources[u].features).converted, sources[u].speech, 0, order));
            target.push_back(selectFrames(targets[u].features, targets[u].speech, 0, order));
        }
    }
    const GvPostFilter postFilter =
        derivePostFilter(measureGlobalVariance(target, 0, order), measureGlobalVariance(converted, 0, order),
                         settings.gvMaximumScale);
    say(format("global variance post-filter: scale %.2f .. %.2f",
               *std::min_element(postFilter.scale.begin(), postFilter.scale.end()),
               *std::max_element(postFilter.scale.begin(), postFilter.scale.end())));

    model.joint = std::move(joint);
    model.members = deriveMembers(model.joint, postFilter, settings.deltaWindow);

    if (settings.matchSpeechLevel)
    {
        // The training sentences through the real-time path as the application runs the model.
        const std::vector<std::uint8_t> bytes = buildPackage(model, ModelDescription{}, {});
        Pupack package(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        EvaluationSettings evaluation;
        evaluation.sampleRate = config.sampleRate;
        evaluation.gvCoefficient = 1.0;
        const ModelEvaluation levels = evaluateModel(package, pairs, evaluation);
        model.summary.convertedF0Hz = levels.convertedF0Hz;
        say(format("converted training speech: median F0 %.1f Hz against the target's %.1f Hz",
                   levels.convertedF0Hz, levels.targetF0Hz));
        model.summary.speechLevelChangeDb = levels.outputSpeechDb - levels.inputSpeechDb;
        const double gain = std::pow(10.0, -model.summary.speechLevelChangeDb / 20.0);
        model.summary.volume = std::round(std::clamp(gain, 0.2, 5.0) * 100.0) / 100.0;
        say(format("speech level through the model %+.1f dB; volume %.2f", model.summary.speechLevelChangeDb,
                   model.summary.volume));
    }
    return model;
}

std::vector<std::uint8_t> buildPackage(const TrainedModel& model, ModelDescription description,
                                       const std::vector<ArtworkImage>& images)
{
    return packageWriter(model, std::move(description), images).toBytes();
}

zo::PackageWriter packageWriter(const TrainedModel& model, ModelDescription description,
                                const std::vector<ArtworkImage>& images)
{
    description.formatVersion = 3.0;
    description.pitch = model.summary.pitch;
    description.volume = model.summary.volume;
    zo::PackageWriter writer;
    auto add = [&](const std::string& name, std::vector<std::uint8_t> bytes)
    {
        if (writer.addMember(name, std::move(bytes)) != 0)
            throw TrainingError("cannot add " + name + " to the package: " + writer.lastError());
    };
    const std::string json = description.toJson();
    add("model.json", std::vector<std::uint8_t>(json.begin(), json.end()));
    add("dyn.win", model.members.windows);
    const std::string rate = rateName(model.configuration.sampleRate);
    add(rate + ".gmm", model.members.classGmm);
    add(rate + ".intragmm", model.members.intraGmm);
    add(rate + ".diffgmm", model.members.differenceGmm);
    add(rate + ".gvpf", model.members.postFilter);
    if (images.empty())
        for (const int size : {256, 512})
            add("img" + std::to_string(size) + ".png",
                encodePng(drawPortrait(size, description.targetIdentifier)));
    std::set<int> sizes;
    for (const auto& [size, png] : images)
    {
        if (!sizes.insert(size).second)
            throw TrainingError("two images of " + std::to_string(size) + " pixels");
        add("img" + std::to_string(size) + ".png", png);
    }
    return writer;
}

} // namespace training
