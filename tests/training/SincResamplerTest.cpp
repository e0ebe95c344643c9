#include "tools/training/SincResampler.h"

#include "TrainingTestData.h"
#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <cmath>

using training::SincResampler;

namespace
{

std::vector<double> sine(double frequency, double rate, std::size_t count)
{
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i)
        x[i] = 0.5 * std::sin(training_test::twoPi * frequency * static_cast<double>(i) / rate);
    return x;
}

double rms(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

} // namespace

// A tone in the pass band must come out as the same tone sampled at the new rate: the error
// away from the edges bounds pass-band ripple, phase error and interpolation of the kernel.
TEST(SincResampler, PassBandToneMatchesTheToneSampledAtTheNewRate)
{
    struct Case
    {
        double from, to, frequency;
    };
    for (const Case c : {Case{16000, 44100, 1000}, Case{16000, 48000, 6500}, Case{44100, 16000, 3000},
                         Case{48000, 16000, 6600}, Case{44100, 48000, 15000}})
    {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << " Hz, tone " << c.frequency);
        const auto input = sine(c.frequency, c.from, static_cast<std::size_t>(c.from));
        const auto output =
            SincResampler(static_cast<std::int64_t>(c.from), static_cast<std::int64_t>(c.to)).process(input);
        ASSERT_EQ(output.size(), static_cast<std::size_t>(std::ceil(input.size() * c.to / c.from)));
        const auto expected = sine(c.frequency, c.to, output.size());
        double worst = 0.0;
        for (std::size_t i = output.size() / 10; i < output.size() * 9 / 10; ++i)
            worst = std::max(worst, std::fabs(output[i] - expected[i]));
        EXPECT_LT(worst, 5e-4);
    }
}

// Downsampling must remove what the new rate cannot hold instead of folding it back.
TEST(SincResampler, ToneAboveTheNewNyquistFrequencyIsRemoved)
{
    const auto input = sine(10000.0, 44100.0, 44100);
    const auto output = SincResampler(44100, 16000).process(input);
    EXPECT_LT(rms(output, 1000, output.size() - 1000), 0.5 / std::sqrt(2.0) * 1e-4); // below -80 dB
}

TEST(SincResampler, EqualRatesCopyAndBadRatesAreRefused)
{
    const std::vector<double> x = {0.1, -0.2, 0.3};
    EXPECT_EQ(training::resampleSignal(x, 16000, 16000), x);
    EXPECT_THROW(training::resampleSignal(x, 16000.5, 44100), training::TrainingError);
    EXPECT_THROW(SincResampler(0, 16000), training::TrainingError);
}
