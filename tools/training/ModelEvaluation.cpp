#include "tools/training/ModelEvaluation.h"

#include "tools/training/FundamentalFrequency.h"
#include "tools/training/MelCepstralDistortion.h"
#include "tools/training/SincResampler.h"
#include "tools/training/TrainingError.h"

#include "engine/Vocaform.h"
#include "package/Pupack.h"

#include <algorithm>
#include <cmath>

namespace training
{

namespace
{
constexpr std::int32_t deviceBlock = 512;

/** Power sums of the speech and the pause frames of `input` and of `output` (aligned with it). */
struct LevelSums
{
    double inputSpeech = 0.0, outputSpeech = 0.0, inputPause = 0.0, outputPause = 0.0;
    std::size_t speechSamples = 0, pauseSamples = 0;

    void add(const std::vector<double>& input, const std::vector<double>& output, double sampleRate)
    {
        const auto frame = static_cast<std::size_t>(0.01 * sampleRate);
        const std::size_t frames = std::min(input.size(), output.size()) / frame;
        std::vector<double> energy(frames, 0.0);
        double peak = 0.0;
        // The facade's output starts with 130 ms of silence: frames from 200 ms on count.
        const std::size_t first = static_cast<std::size_t>(0.2 * sampleRate) / frame;
        for (std::size_t f = first; f < frames; ++f)
        {
            for (std::size_t i = f * frame; i < (f + 1) * frame; ++i)
                energy[f] += input[i] * input[i];
            peak = std::max(peak, energy[f]);
        }
        const double speech = peak * std::pow(10.0, -ModelEvaluation::speechBelowPeakDb / 10.0);
        const double pause = peak * std::pow(10.0, -ModelEvaluation::pauseBelowPeakDb / 10.0);
        for (std::size_t f = first; f < frames; ++f)
        {
            double out = 0.0;
            for (std::size_t i = f * frame; i < (f + 1) * frame; ++i)
                out += output[i] * output[i];
            if (energy[f] >= speech)
            {
                inputSpeech += energy[f];
                outputSpeech += out;
                speechSamples += frame;
            }
            else if (energy[f] < pause)
            {
                inputPause += energy[f];
                outputPause += out;
                pauseSamples += frame;
            }
        }
    }
};

double decibels(double powerSum, std::size_t samples)
{
    return samples > 0 && powerSum > 0.0 ? 10.0 * std::log10(powerSum / static_cast<double>(samples))
                                         : -200.0;
}
} // namespace

std::vector<double> convertWithFacade(Vocaform& facade, const std::vector<double>& samples)
{
    const auto latency = static_cast<std::size_t>(std::max<std::int64_t>(0, facade.latencySamples()));
    // Room for the latency and the pitch shifter's variation around its average delay.
    const std::size_t tail = latency + static_cast<std::size_t>(0.1 * facade.sampleRate());
    std::vector<double> buffer(samples.size() + tail, 0.0);
    std::copy(samples.begin(), samples.end(), buffer.begin());
    for (std::size_t at = 0; at < buffer.size(); at += deviceBlock)
    {
        const auto count = static_cast<std::int32_t>(std::min<std::size_t>(deviceBlock, buffer.size() - at));
        facade.process(buffer.data() + at, count);
    }
    return std::vector<double>(buffer.begin() + static_cast<std::ptrdiff_t>(latency),
                               buffer.begin() + static_cast<std::ptrdiff_t>(latency + samples.size()));
}

ModelEvaluation evaluateModel(Pupack& package, const std::vector<RecordingPair>& pairs,
                              const EvaluationSettings& settings,
                              const std::function<void(const RecordingPair&, const Recording&)>& converted)
{
    if (pairs.empty())
        throw TrainingError("no recordings to evaluate");
    if (package.status() != 0)
        throw TrainingError("the model package does not load (result " + std::to_string(package.status()) +
                            ", " + resultCodeMeaning(package.status()) + ")");
    ModelEvaluation evaluation;
    evaluation.sampleRate = settings.sampleRate ? *settings.sampleRate
                                                : (package.supportsSampleRate(16000.0) ? 16000.0 : 44100.0);
    evaluation.limiter = settings.limiter ? *settings.limiter : evaluation.sampleRate != 16000.0;
    evaluation.gvCoefficient = settings.gvCoefficient;

    DistortionMeter meter;
    std::vector<double> sourceF0, targetF0, convertedF0;
    double convertedSum = 0.0;
    double unconvertedSum = 0.0;
    LevelSums levels;
    for (const RecordingPair& pair : pairs)
    {
        const Recording source = readWavFile(pair.source);
        const Recording target = readWavFile(pair.target);

        // A fresh engine per sentence, as after a model change in the application.
        Vocaform facade;
        facade.setPupack(&package);
        if (facade.setSampleRate(evaluation.sampleRate) != 0)
            throw TrainingError("the engine does not run at " + std::to_string(evaluation.sampleRate) +
                                " Hz");
        facade.setParameter(Vocaform::ParamGvCoefficient, settings.gvCoefficient);
        facade.setParameter(Vocaform::ParamNoiseGateEnabled, settings.gateEnabled);
        facade.setParameter(Vocaform::ParamNoiseGateTrigger, settings.gateTrigger);
        facade.setParameter(Vocaform::ParamLimiterEnabled, evaluation.limiter);
        if (const ResultCode code = facade.prepare(); code != 0)
            throw TrainingError("the engine cannot run the model at " +
                                std::to_string(static_cast<long>(evaluation.sampleRate)) + " Hz (result " +
                                std::to_string(code) + ", " + resultCodeMeaning(code) + ")");

        Recording output;
        output.sampleRate = evaluation.sampleRate;
        const std::vector<double> input =
            resampleKeepingBandEdge(source.samples, source.sampleRate, evaluation.sampleRate);
        output.samples = convertWithFacade(facade, input);
        levels.add(input, output.samples, evaluation.sampleRate);
        if (converted)
            converted(pair, output);

        SentenceEvaluation sentence;
        sentence.name = pair.name;
        sentence.convertedDb = meter.measure(output, target).distortionDb;
        sentence.unconvertedDb = meter.measure(source, target).distortionDb;
        const auto s = estimateFundamentalFrequency(source.samples, source.sampleRate);
        const auto t = estimateFundamentalFrequency(target.samples, target.sampleRate);
        const auto c = estimateFundamentalFrequency(output.samples, output.sampleRate);
        sentence.sourceF0Hz = voicedMedian(s);
        sentence.targetF0Hz = voicedMedian(t);
        sentence.convertedF0Hz = voicedMedian(c);
        sourceF0.insert(sourceF0.end(), s.begin(), s.end());
        targetF0.insert(targetF0.end(), t.begin(), t.end());
        convertedF0.insert(convertedF0.end(), c.begin(), c.end());
        convertedSum += sentence.convertedDb;
        unconvertedSum += sentence.unconvertedDb;
        evaluation.sentences.push_back(sentence);
    }
    const auto count = static_cast<double>(evaluation.sentences.size());
    evaluation.meanConvertedDb = convertedSum / count;
    evaluation.meanUnconvertedDb = unconvertedSum / count;
    evaluation.sourceF0Hz = voicedMedian(sourceF0);
    evaluation.targetF0Hz = voicedMedian(targetF0);
    evaluation.convertedF0Hz = voicedMedian(convertedF0);
    evaluation.inputSpeechDb = decibels(levels.inputSpeech, levels.speechSamples);
    evaluation.outputSpeechDb = decibels(levels.outputSpeech, levels.speechSamples);
    evaluation.inputPauseDb = decibels(levels.inputPause, levels.pauseSamples);
    evaluation.outputPauseDb = decibels(levels.outputPause, levels.pauseSamples);
    return evaluation;
}

} // namespace training
