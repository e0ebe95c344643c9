#include "engine/PitchDetector.h"

#include "engine/EngineError.h"

#include <array>
#include <cmath>

namespace zo
{

namespace
{

using ScoreTable = std::array<std::int8_t, 65536>;

ScoreTable makeScoreTable()
{
    ScoreTable table{};
    for (std::uint32_t value = 0; value < 65536; ++value)
    {
        int score = 0;
        for (int field = 0; field < 8; ++field)
        {
            const std::uint32_t bits = (value >> (2 * field)) & 3u;
            if (bits == 0)
                ++score;
            else if (bits == 2)
                --score;
        }
        table[value] = static_cast<std::int8_t>(score);
    }
    return table;
}

// Built once for the whole process by the first detector. A function-local static is initialised
// exactly once even when two engines are built on different threads at the same time.
const ScoreTable& scoreTable()
{
    static const ScoreTable table = makeScoreTable();
    return table;
}

} // namespace

PitchDetector::PitchDetector(int lagStepIn, double sampleRateIn, double lowestFrequencyIn,
                             double highestFrequencyIn)
    : sampleRate(sampleRateIn), lowestFrequency(lowestFrequencyIn), highestFrequency(highestFrequencyIn),
      lagStep(lagStepIn), minPeriodSamples(0), maxPeriodSamples(0)
{
    const bool finite =
        std::isfinite(sampleRate) && std::isfinite(lowestFrequency) && std::isfinite(highestFrequency);
    if (!finite || lagStep < 1 || sampleRate <= 0.0 || lowestFrequency <= 0.0 ||
        highestFrequency < lowestFrequency || sampleRate / highestFrequency < 1.0 ||
        sampleRate / lowestFrequency > 1.0e6)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "PitchDetector: unusable settings (lag step %d, %f Hz, %f..%f Hz)\n", lagStep,
                         sampleRate, lowestFrequency, highestFrequency);

    minPeriodSamples = static_cast<int>(sampleRate / highestFrequency);
    maxPeriodSamples = static_cast<int>(sampleRate / lowestFrequency);
    codes.assign(static_cast<std::size_t>(2 * maxPeriodSamples), 0);
    scoreTable();
}

PitchDetector::~PitchDetector() = default;

int PitchDetector::score(std::uint16_t codeXor) noexcept
{
    return scoreTable()[codeXor];
}

int PitchDetector::detect(const double* samples, int direction) noexcept
{
    const int b = maxPeriodSamples;
    const int n = 2 * b;
    const double* window = direction <= 0 ? samples - b : samples;

    double energy = 0.0;
    for (int i = 0; i < n; ++i)
        energy += window[i] * window[i];
    const double c = 0.5 * std::sqrt(energy / n);

    auto code = [c](double s) -> std::uint32_t { return s > c ? 1u : (s < -c ? 3u : 0u); };

    // The register first takes the codes of the first eight samples; then the samples are pushed
    // again from the first one, so code[k] for k ≥ 8 packs samples k − 8 .. k − 1.
    std::uint32_t reg = 0;
    for (int i = 0; i < 8 && i < n; ++i)
        reg = (reg << 2) | code(window[i]);
    codes[0] = static_cast<std::uint16_t>(reg);
    for (int i = 0; i <= n - 9; ++i)
    {
        reg = (reg << 2) | code(window[i]);
        codes[static_cast<std::size_t>(i + 1)] = static_cast<std::uint16_t>(reg);
    }

    const int entries = b / 8;
    if (minPeriodSamples >= b || entries == 0)
        return b;

    const ScoreTable& table = scoreTable();
    const int reference = direction > 0 ? 0 : b;
    const double norm = 1.0 / (8.0 * entries);
    double bestScore = 0.0;
    int bestLag = b;
    for (int lag = minPeriodSamples; lag < b; lag += lagStep)
    {
        const int lagged = direction > 0 ? reference + lag : reference - lag;
        int sum = 0;
        for (int k = 0; k < entries; ++k)
        {
            const std::uint16_t x = codes[static_cast<std::size_t>(reference + 8 * k)] ^
                                    codes[static_cast<std::size_t>(lagged + 8 * k)];
            sum += table[x];
        }
        const double s = sum * norm;
        // Equal scores: the longer lag wins.
        if (s >= bestScore)
        {
            bestScore = s;
            bestLag = lag;
        }
    }
    return bestLag;
}

} // namespace zo
