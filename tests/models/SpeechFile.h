#pragma once

#include <string>
#include <vector>

/** Reading the speech recordings of tests/data/speech for tests and benchmarks. */
namespace test_models
{

/** Samples of a mono 16-bit PCM WAV file as doubles in 16-bit scale (-32768..32767), with its
    sample rate. */
struct Speech
{
    double sampleRate = 0.0;
    std::vector<double> samples;
};

/** Reads a mono 16-bit PCM WAV file; throws std::runtime_error for anything else. */
Speech readSpeech(const std::string& path);

/** Linear interpolation of `samples` from rate `from` to rate `to` (Hz). Good enough to give a
    benchmark or an analysis test speech-like input at another rate. */
std::vector<double> resampleLinear(const std::vector<double>& samples, double from, double to);

} // namespace test_models
