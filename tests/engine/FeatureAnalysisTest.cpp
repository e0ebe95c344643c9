#include "engine/EngineError.h"
#include "engine/FEAT_CLASS.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace
{
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(FeatureAnalysis, ConstructionDerivesSizesPerSampleRate)
{
    struct Case
    {
        double sampleRate;
        double frameMs;
        std::int64_t fftMin;
        std::int64_t order;
        const char* line;
    };
    const Case cases[] = {
        {44100, 20, 1024, 60, "fftl = 1024, framel = 882, shiftl = 221\n"},
        {16000, 25, 512, 24, "fftl = 512, framel = 400, shiftl = 80\n"},
        {48000, 20, 1024, 65, "fftl = 1024, framel = 960, shiftl = 240\n"},
        {44100, 50, 1024, 60, "fftl = 4096, framel = 2205, shiftl = 221\n"},
    };
    for (const Case& c : cases)
    {
        CaptureStderr();
        FEAT_CLASS analysis(c.fftMin, c.order, c.sampleRate, c.frameMs, 5.0, 0.5);
        const std::string lines = GetCapturedStderr();
        EXPECT_EQ(lines.substr(0, lines.find('\n') + 1), c.line);
        EXPECT_EQ(analysis.window->length, analysis.frameLength);
        EXPECT_EQ(analysis.spectrum->length, analysis.fftLength);
        EXPECT_EQ(analysis.filter.block.size(), static_cast<std::size_t>(8 * c.order + 31));
    }
    CaptureStderr();
    {
        FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    }
    EXPECT_NE(GetCapturedStderr().find("FEAT_CLASS was destructed.\n"), std::string::npos);
}

TEST(FeatureAnalysis, HighpassRemovesLowFrequenciesOnly)
{
    FEAT_CLASS analysis(1024, 60, 44100, 20, 5, 0.5);
    const double* h = analysis.highpassResponse->re;
    EXPECT_LT(h[0], 0.02);                     // DC
    EXPECT_NEAR(h[256], 1.0, 0.01);            // 11 kHz
    EXPECT_NEAR(h[10], 1.0, 0.02);             // 430 Hz
    EXPECT_NEAR(h[100], h[1024 - 100], 1e-12); // the response of a real filter is symmetric
}

TEST(FeatureAnalysis, SpectrumIsTheWeightedAmplitudeOfTheWindowedFrame)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    std::vector<double> frame(400);
    for (int i = 0; i < 400; ++i)
        frame[i] = 1000.0 * std::sin(2.0 * std::numbers::pi * 64.0 * i / 512.0); // 2 kHz
    analysis.analyzeSpectrum(frame.data());
    const double* s = analysis.spectrum->re;
    int peak = 1;
    for (int k = 1; k < 256; ++k)
        if (s[k] > s[peak])
            peak = k;
    EXPECT_EQ(peak, 64);
    // Amplitude, not power: doubling the frame doubles the spectrum.
    const double before = s[64];
    for (double& x : frame)
        x *= 2.0;
    analysis.analyzeSpectrum(frame.data());
    EXPECT_NEAR(s[64], 2.0 * before, 1e-9 * before);
    for (int k = 1; k < 256; ++k)
        EXPECT_EQ(s[k], s[512 - k]);
}

TEST(FeatureAnalysis, OnlyAllZeroFramesAreDithered)
{
    FEAT_CLASS first(1024, 60, 44100, 20, 5, 0.5);
    FEAT_CLASS second(1024, 60, 44100, 20, 5, 0.5);
    std::vector<double> a(882, 0.0);
    std::vector<double> b(882, 0.0);
    first.ditherSilentFrame(a.data());
    second.ditherSilentFrame(b.data());
    double squares = 0.0;
    for (double x : a)
        squares += x * x;
    EXPECT_NEAR(std::sqrt(squares / 882.0), 7.63e-6, 0.8e-6);
    // Each object has its own noise source, starting from the same state.
    EXPECT_EQ(a, b);
    // The source moves on: the next silent frame gets different noise.
    std::vector<double> c(882, 0.0);
    first.ditherSilentFrame(c.data());
    EXPECT_NE(a, c);

    std::vector<double> single(882, 0.0);
    single[400] = 1e-12;
    const auto unchanged = single;
    first.ditherSilentFrame(single.data());
    EXPECT_EQ(single, unchanged);
}

TEST(FeatureAnalysis, SynthesisSwallowsTheFirstFrameAndPassesAFlatEnvelopeUnchanged)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-30000.0, 30000.0);
    const std::vector<double> zeros(25, 0.0);
    std::vector<double> x(80);
    std::vector<double> y(80, -1.0);
    for (double& v : x)
        v = uniform(random);
    EXPECT_EQ(analysis.synthesizeFrame(x.data(), zeros.data(), y.data()), 0);
    EXPECT_EQ(y, std::vector<double>(80, -1.0));
    for (int frame = 0; frame < 5; ++frame)
    {
        for (double& v : x)
            v = uniform(random);
        ASSERT_EQ(analysis.synthesizeFrame(x.data(), zeros.data(), y.data()), 80);
        EXPECT_EQ(y, x);
    }
}

TEST(FeatureAnalysis, SynthesisGainComesFromTheEnvelopeShapeOnly)
{
    // c0 is not used: two cepstra that differ only in c0 filter identically.
    FEAT_CLASS a(512, 24, 16000, 25, 5, 0.42);
    FEAT_CLASS b(512, 24, 16000, 25, 5, 0.42);
    std::vector<double> mcA(25, 0.0);
    mcA[1] = 0.4;
    mcA[2] = -0.2;
    auto mcB = mcA;
    mcB[0] = 3.0;
    std::vector<double> x(80);
    std::vector<double> ya(80);
    std::vector<double> yb(80);
    for (int frame = 0; frame < 4; ++frame)
    {
        for (int i = 0; i < 80; ++i)
            x[i] = std::sin(0.1 * (frame * 80 + i));
        a.synthesizeFrame(x.data(), mcA.data(), ya.data());
        b.synthesizeFrame(x.data(), mcB.data(), yb.data());
        EXPECT_EQ(ya, yb);
    }
    EXPECT_NE(ya, x);
}

TEST(FeatureAnalysis, WarpingWithoutAlphaCopiesAndZeroFills)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    const std::vector<double> c = {1.0, -2.0, 3.0, 0.5};
    std::vector<double> longer(7, 9.0);
    analysis.warpCepstrum(c.data(), 3, longer.data(), 6, 0.0);
    EXPECT_EQ(longer, (std::vector<double>{1.0, -2.0, 3.0, 0.5, 0.0, 0.0, 0.0}));
    std::vector<double> shorter(2);
    analysis.warpCepstrum(c.data(), 3, shorter.data(), 1, 0.0);
    EXPECT_EQ(shorter, (std::vector<double>{1.0, -2.0}));
    // Warping by a and back by -a restores a long enough cepstrum.
    std::vector<double> warped(200);
    std::vector<double> back(4);
    analysis.warpCepstrum(c.data(), 3, warped.data(), 199, 0.42);
    analysis.warpCepstrum(warped.data(), 199, back.data(), 3, -0.42);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(back[i], c[i], 1e-9);
}

TEST(FeatureAnalysis, ToeplitzPlusHankelSolverSolvesTheSystem)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    for (const int n : {1, 2, 5, 25, 61})
    {
        std::mt19937 random(n);
        std::uniform_real_distribution<double> uniform(-0.1, 0.1);
        std::vector<double> t(n);
        std::vector<double> h(2 * n - 1);
        std::vector<double> b(n);
        for (double& v : t)
            v = uniform(random);
        t[0] = 4.0; // diagonally dominant enough to be well conditioned
        for (double& v : h)
            v = uniform(random);
        for (double& v : b)
            v = uniform(random) * 10.0;
        std::vector<double> d(n);
        ASSERT_EQ(analysis.theq(t.data(), h.data(), d.data(), b.data(), n, -1.0), 0) << n;
        for (int i = 0; i < n; ++i)
        {
            double row = 0.0;
            for (int k = 0; k < n; ++k)
                row += (t[std::abs(i - k)] + h[i + k]) * d[k];
            EXPECT_NEAR(row, b[i], 1e-12) << "n " << n << " row " << i;
        }
    }
    const std::vector<double> zeros(9, 0.0);
    std::vector<double> d(5);
    EXPECT_EQ(analysis.theq(zeros.data(), zeros.data(), d.data(), zeros.data(), 5, -1.0), -1);
}

TEST(FeatureAnalysis, SingularNewtonStepKeepsTheUnrefinedAnalysis)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    // A silent spectrum with a floor: the refined autocorrelation is all zero, so the Newton
    // system is singular.
    const std::vector<double> silent(512, 0.0);
    std::vector<double> unrefined(25, -1.0);
    ASSERT_EQ(analysis.mcep(silent.data(), 512, unrefined.data(), 24, 0.42, 0, 0, 0.001, 1.0), 0);
    std::vector<double> mc(25, -1.0);
    CaptureStderr();
    const int result = analysis.mcep(silent.data(), 512, mc.data(), 24, 0.42, 1, 1, 0.001, 1.0);
    EXPECT_EQ(GetCapturedStderr(), "mcep : Error in theq() at 1th iteration !\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(mc, unrefined);
}

TEST(FeatureAnalysis, OneIterationStopsWhenTheRefinedPowerAgrees)
{
    FEAT_CLASS analysis(512, 24, 16000, 25, 5, 0.42);
    // For a flat amplitude A the refined r[0] is 1 and the initial c[0] is ln A: with A = e the
    // two agree and no Newton step is taken.
    const std::vector<double> flat(512, std::exp(1.0));
    std::vector<double> none(25);
    std::vector<double> one(25);
    analysis.mcep(flat.data(), 512, none.data(), 24, 0.42, 0, 0, 0.001, 0.0);
    analysis.mcep(flat.data(), 512, one.data(), 24, 0.42, 1, 1, 0.001, 0.0);
    EXPECT_EQ(one, none);
    EXPECT_NEAR(none[0], 1.0, 1e-12);
}

} // namespace
