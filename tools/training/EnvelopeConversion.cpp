#include "tools/training/EnvelopeConversion.h"

#include "engine/GMMMAP.h"
#include "engine/MemoryFile.h"

#include <algorithm>

namespace training
{

EnvelopeConverter::EnvelopeConverter(const EngineConfiguration& configuration, const ModelMembers& members)
    : m(configuration.order)
{
    const MemoryFile windows(members.windows.data(), members.windows.size());
    const MemoryFile classGmm(members.classGmm.data(), members.classGmm.size());
    const MemoryFile intraGmm(members.intraGmm.data(), members.intraGmm.size());
    const MemoryFile differenceGmm(members.differenceGmm.data(), members.differenceGmm.size());
    classMap = std::make_unique<GMMMAP>(m, configuration.lag, classGmm.name(), windows.name());
    intraMap = std::make_unique<GMMMAP>(m, configuration.lag, intraGmm.name(), windows.name());
    differenceMap = std::make_unique<GMMMAP>(m, configuration.lag, differenceGmm.name(), windows.name());
}

EnvelopeConverter::~EnvelopeConverter() = default;

std::int64_t EnvelopeConverter::generatorDelay() const noexcept
{
    return intraMap->trajectory().lag() + intraMap->trajectory().windows().maxRight;
}

ConvertedEnvelopes EnvelopeConverter::convert(const FrameMatrix& features)
{
    const auto order = static_cast<std::size_t>(m);
    const auto delay = static_cast<std::size_t>(generatorDelay());
    ConvertedEnvelopes out{FrameMatrix(features.rows, order), FrameMatrix(features.rows, order),
                           FrameMatrix(features.rows, order)};
    std::vector<double> intra(order + 1, 0.0);
    std::vector<double> difference(order + 1, 0.0);
    for (std::size_t step = 0; step < features.rows + delay && features.rows > 0; ++step)
    {
        const double* x = features.row(std::min(step, features.rows - 1));
        const std::int64_t k = classMap->bestClass(x);
        intraMap->map(k, x, intra.data());
        differenceMap->map(k, x, difference.data());
        if (step < delay)
            continue;
        const std::size_t row = step - delay;
        for (std::size_t i = 0; i < order; ++i)
        {
            out.intra.at(row, i) = intra[i + 1];
            out.difference.at(row, i) = difference[i + 1];
            out.converted.at(row, i) = intra[i + 1] + difference[i + 1];
        }
    }
    return out;
}

} // namespace training
