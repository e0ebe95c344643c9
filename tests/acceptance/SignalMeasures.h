#pragma once

#include <cstdint>
#include <vector>

namespace testing_support
{
/** Root mean square of a stretch of samples. */
double rms(const std::vector<float>& signal, std::size_t from = 0, std::size_t to = SIZE_MAX);

/** Where the loudest sample of `signal` lies in [from, to), or -1 for an empty range. */
long loudestSample(const std::vector<float>& signal, std::size_t from, std::size_t to);

/** The amplitude of a sine of `hz` in [from, to) of a signal at `sampleRate` (its Fourier
    coefficient at that frequency). */
double toneAmplitude(const std::vector<float>& signal, std::size_t from, std::size_t to, double hz,
                     double sampleRate);

/** Where `event` (a short sound surrounded by silence) comes out in `signal`: the shift in
    [0, maxLag] that best matches the energy envelopes (frames of 32 samples), starting from
    `eventStart` in `signal`'s time. */
int eventDelay(const std::vector<float>& event, const std::vector<float>& signal, std::size_t eventStart,
               int maxLag);

/** The speech frames' long-term average spectrum in 20 bands spaced logarithmically from 300 Hz to
    7000 Hz, in dB, with its mean removed (the level does not count): a spectral-envelope summary.
    Frames within 30 dB of the loudest are speech. */
std::vector<double> averageSpectrum(const std::vector<float>& signal, double sampleRate);

/** Root mean square difference of two spectra of `averageSpectrum`, in dB. */
double spectralDistance(const std::vector<double>& a, const std::vector<double>& b);
} // namespace testing_support
