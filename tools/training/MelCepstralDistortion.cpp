#include "tools/training/MelCepstralDistortion.h"

#include "tools/training/SincResampler.h"
#include "tools/training/SpeechAnalysis.h"
#include "tools/training/TrainingError.h"

#include <cmath>

namespace training
{

namespace
{
constexpr double analysisRate = 16000.0;
}

double frameDistortionDb(const double* a, const double* b, std::size_t count) noexcept
{
    double sum = 0.0;
    for (std::size_t d = 0; d < count; ++d)
    {
        const double e = a[d] - b[d];
        sum += e * e;
    }
    return 10.0 / std::log(10.0) * std::sqrt(2.0 * sum);
}

double meanDistortionDb(const FrameMatrix& a, const FrameMatrix& b, const Alignment& alignment,
                        std::size_t firstColumn, std::size_t count)
{
    if (alignment.path.empty())
        return 0.0;
    double sum = 0.0;
    for (const AlignedFrames& step : alignment.path)
        sum += frameDistortionDb(a.row(step.first) + firstColumn, b.row(step.second) + firstColumn, count);
    return sum / static_cast<double>(alignment.path.size());
}

DistortionMeter::DistortionMeter()
    : analyser(std::make_unique<SpeechAnalyser>(engineConfigurationFor(analysisRate)))
{
}

DistortionMeter::~DistortionMeter() = default;

FrameMatrix DistortionMeter::speechCepstra(const Recording& recording)
{
    const AnalysedSpeech speech =
        analyser->analyse(resampleKeepingBandEdge(recording.samples, recording.sampleRate, analysisRate));
    const std::vector<std::size_t> frames = speechFrames(speech.levelDb);
    if (frames.empty())
        throw TrainingError("a recording to compare holds no speech");
    return selectFrames(speech.cepstra, frames, 0, speech.cepstra.columns);
}

DistortionMeasurement DistortionMeter::measure(const Recording& test, const Recording& reference)
{
    const FrameMatrix a = speechCepstra(test);
    const FrameMatrix b = speechCepstra(reference);
    const std::size_t order = a.columns - 1;
    const Alignment alignment = alignByDynamicTimeWarping(a, b, 1, order);
    return {meanDistortionDb(a, b, alignment, 1, order), alignment.path.size()};
}

} // namespace training
