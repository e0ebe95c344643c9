#pragma once

#include <string>
#include <vector>

namespace training
{

/** A mono recording: samples in -1..1 at a sample rate in Hz. */
struct Recording
{
    double sampleRate = 0.0;
    std::vector<double> samples;
};

/** Reads a WAV file: PCM of 8, 16, 24 or 32 bits or IEEE float of 32 or 64 bits (plain or
    extensible format), any number of channels. Several channels are averaged into one. Raises
    TrainingError naming the file when it cannot be read or is not such a WAV file. */
Recording readWavFile(const std::string& path);

/** Writes samples (-1..1, clamped) as a mono 16-bit PCM WAV file. Raises TrainingError when the
    file cannot be written. */
void writeWavFile(const std::string& path, const Recording& recording);

} // namespace training
