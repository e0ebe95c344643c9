#include "tools/training/EngineConfiguration.h"

#include "tools/training/TrainingError.h"

#include <cmath>
#include <string>

namespace training
{

std::int64_t EngineConfiguration::frameLength() const noexcept
{
    return static_cast<std::int64_t>(std::llround(sampleRate * frameMs / 1000.0));
}

const EngineConfiguration& engineConfigurationFor(double sampleRate)
{
    static const EngineConfiguration at16000{16000.0, 512, 24, 3, 25.0, 5.0, 0.42, 80};
    static const EngineConfiguration at44100{44100.0, 1024, 60, 5, 20.0, 5.0, 0.5, 221};
    static const EngineConfiguration at48000{48000.0, 1024, 65, 5, 20.0, 5.0, 0.5, 240};
    if (sampleRate == 16000.0)
        return at16000;
    if (sampleRate == 44100.0)
        return at44100;
    if (sampleRate == 48000.0)
        return at48000;
    throw TrainingError("sample rate " + std::to_string(sampleRate) +
                        " Hz is not one the engine runs at; use 16000, 44100 or 48000");
}

std::vector<double> deltaWindowCoefficients(DeltaWindowLayout layout)
{
    if (layout == DeltaWindowLayout::threeCoefficients)
        return {-0.5, 0.5, 0.0};
    return {-0.5, 0.5};
}

} // namespace training
