#pragma once

// Data shared by the training tests: the speech recordings of tests/data/speech and small
// synthetic signals.

#include "tools/training/WavFile.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace training_test
{

constexpr double twoPi = 6.283185307179586;

inline std::string speechPath(const std::string& name)
{
    return std::string(TAVILO_TEST_DATA_DIR) + "/speech/" + name;
}

inline training::Recording loadSpeech(const std::string& name)
{
    return training::readWavFile(speechPath(name));
}

/** A buzzy voice-like tone of `seconds` at f0 Hz: harmonics with falling amplitudes. */
inline std::vector<double> harmonicTone(double f0, double sampleRate, double seconds, double amplitude = 0.3)
{
    std::vector<double> x(static_cast<std::size_t>(seconds * sampleRate), 0.0);
    for (int h = 1; h * f0 < 0.45 * sampleRate && h <= 20; ++h)
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] += amplitude / h * std::sin(twoPi * h * f0 * static_cast<double>(i) / sampleRate + 0.7 * h);
    return x;
}

/** A fresh, empty folder under the system's temporary folder, removed by the destructor. */
class TemporaryFolder
{
public:
    explicit TemporaryFolder(const std::string& name)
        : folder(std::filesystem::temp_directory_path() / ("tavilo-training-" + name))
    {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(folder); }
    std::string path(const std::string& leaf) const { return (folder / leaf).string(); }
    const std::filesystem::path& root() const { return folder; }

private:
    std::filesystem::path folder;
};

} // namespace training_test
