#pragma once

#include <cstdint>
#include <vector>

namespace training
{

/** Band-limited sample-rate conversion between two integer rates with a Kaiser-windowed sinc
    kernel.

    Output sample n lies at input position n x fromRate / toRate (computed exactly in integers)
    and is the input convolved with h(t) = 2 fc sinc(2 fc t) w(t / T), where fc is the cutoff in
    cycles per input sample (`passband` x half the lower of the two rates), T the kernel's half
    length of `zeroCrossings` zero crossings and w the Kaiser window of shape `kaiserBeta`.
    With the defaults the pass band is flat (error below -60 dB) up to about 84 % of the lower
    Nyquist frequency, the transition band ends just above it and images and aliases beyond are
    attenuated by more than 80 dB. The signal counts as zero
    outside its samples. The kernel is tabulated once per object; `process` may be called from
    several threads. */
class SincResampler
{
public:
    /** @param fromRate, toRate rates in Hz, positive integers
        @param zeroCrossings    kernel half length in zero crossings of the cutoff (at least 2)
        @param passband         cutoff as a fraction of the lower Nyquist frequency, 0 < passband <= 1
        @param kaiserBeta       Kaiser window shape
        Raises TrainingError for values outside these ranges. */
    SincResampler(std::int64_t fromRate, std::int64_t toRate, int zeroCrossings = 32, double passband = 0.94,
                  double kaiserBeta = 9.0);

    /** The input converted to the new rate: ceil(input.size() x toRate / fromRate) samples.
        Equal rates copy the input. */
    std::vector<double> process(const std::vector<double>& input) const;

    std::int64_t fromRate() const noexcept { return from; }
    std::int64_t toRate() const noexcept { return to; }

private:
    double kernel(double inputDistance) const noexcept;

    std::int64_t from;
    std::int64_t to;
    std::int64_t reducedFrom; // from / gcd
    std::int64_t reducedTo;   // to / gcd
    int crossings;
    double cutoff;     // fc, cycles per input sample
    double halfLength; // T, input samples
    static constexpr int tableResolution = 512;
    std::vector<double>
        table; // sinc x window at u = k / resolution zero crossings, k = 0..Z x resolution + 1
};

/** Converts samples from one rate to another (both in Hz, integers) with the default
    SincResampler. Equal rates return the input unchanged. */
std::vector<double> resampleSignal(const std::vector<double>& input, double fromRate, double toRate);

/** Converts samples between rates with a kernel that keeps the band almost up to the lower
    Nyquist frequency (64 zero crossings, pass band 99 %), at the price of a narrow band of
    aliases and images around it. For analyses that compare a recording with a resampled one:
    the mel-cepstral analysis reacts strongly to an empty band below the Nyquist frequency.
    Equal rates return the input unchanged. */
std::vector<double> resampleKeepingBandEdge(const std::vector<double>& input, double fromRate, double toRate);

} // namespace training
