#include "tools/training/SpeechAnalysis.h"

#include "engine/FEAT_CLASS.h"

#include <algorithm>
#include <cmath>

namespace training
{

namespace
{

double decibelLevel(double energy, std::size_t frameLength)
{
    return energy > 0.0 ? 10.0 * std::log10(energy / static_cast<double>(frameLength)) : -200.0;
}

} // namespace

SpeechAnalyser::SpeechAnalyser(const EngineConfiguration& configuration)
    : config(configuration),
      analysis(std::make_unique<FEAT_CLASS>(configuration.fftMin, configuration.order,
                                            configuration.sampleRate, configuration.frameMs,
                                            configuration.shiftMs, configuration.alpha))
{
}

SpeechAnalyser::~SpeechAnalyser() = default;

AnalysedSpeech SpeechAnalyser::analyse(const std::vector<double>& samples)
{
    const auto framel = static_cast<std::size_t>(analysis->frameLength);
    const auto shift = static_cast<std::size_t>(analysis->frameShift);
    const auto width = static_cast<std::size_t>(config.order) + 1;
    const std::size_t frames = (samples.size() + shift - 1) / shift;

    AnalysedSpeech result;
    result.cepstra = FrameMatrix(frames, width);
    result.levelDb.resize(frames);
    std::vector<double> buffer(framel, 0.0);
    std::vector<double> frame(framel);
    for (std::size_t j = 0; j < frames; ++j)
    {
        // Shift in the next block as the pipeline does; past the end the input is silence.
        std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(shift), buffer.end(), buffer.begin());
        for (std::size_t i = 0; i < shift; ++i)
        {
            const std::size_t at = j * shift + i;
            buffer[framel - shift + i] = at < samples.size() ? samples[at] : 0.0;
        }
        double energy = 0.0;
        for (const double s : buffer)
            energy += s * s;
        result.levelDb[j] = decibelLevel(energy, framel);

        // The pipeline dithers a copy: the next frame is built from the undithered samples.
        frame = buffer;
        analysis->ditherSilentFrame(frame.data());
        analysis->analyzeSpectrum(frame.data());
        analysis->analyzeMelCepstrum(result.cepstra.row(j), FEAT_CLASS::oneIteration);
    }
    return result;
}

std::vector<double> frameLevelsDb(const std::vector<double>& samples, std::size_t frameLength,
                                  std::size_t shift)
{
    const std::size_t frames = shift == 0 ? 0 : (samples.size() + shift - 1) / shift;
    std::vector<double> levels(frames);
    for (std::size_t j = 0; j < frames; ++j)
    {
        const std::size_t end = (j + 1) * shift;
        double energy = 0.0;
        for (std::size_t i = end > frameLength ? end - frameLength : 0; i < end && i < samples.size(); ++i)
            energy += samples[i] * samples[i];
        levels[j] = decibelLevel(energy, frameLength);
    }
    return levels;
}

FrameMatrix dynamicFeatures(const FrameMatrix& cepstra)
{
    const std::size_t m = cepstra.columns - 1;
    FrameMatrix features(cepstra.rows, 2 * m);
    for (std::size_t t = 0; t < cepstra.rows; ++t)
        for (std::size_t i = 0; i < m; ++i)
        {
            const double current = cepstra.at(t, i + 1);
            const double previous = t > 0 ? cepstra.at(t - 1, i + 1) : 0.0;
            features.at(t, i) = current;
            features.at(t, m + i) = 0.5 * (current - previous);
        }
    return features;
}

std::vector<std::size_t> speechFrames(const std::vector<double>& levelDb, double belowLoudestDb)
{
    std::vector<std::size_t> indices;
    if (levelDb.empty())
        return indices;
    std::vector<double> sorted = levelDb;
    const std::size_t at =
        std::min(sorted.size() - 1, static_cast<std::size_t>(0.98 * static_cast<double>(sorted.size())));
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(at), sorted.end());
    const double threshold = sorted[at] - belowLoudestDb;
    for (std::size_t j = 0; j < levelDb.size(); ++j)
        if (levelDb[j] >= threshold && levelDb[j] > -200.0)
            indices.push_back(j);
    return indices;
}

FrameMatrix selectFrames(const FrameMatrix& m, const std::vector<std::size_t>& indices,
                         std::size_t firstColumn, std::size_t columnCount)
{
    FrameMatrix selected(indices.size(), columnCount);
    for (std::size_t r = 0; r < indices.size(); ++r)
        std::copy(m.row(indices[r]) + firstColumn, m.row(indices[r]) + firstColumn + columnCount,
                  selected.row(r));
    return selected;
}

} // namespace training
