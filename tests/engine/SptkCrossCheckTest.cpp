// Cross-checks of the mel-cepstral analysis, the frequency warping and the MLSA filter against
// SPTK 3.9, an independent implementation of the same methods. Both sides get the same real
// speech data; SPTK's programs read and write single-precision floats, so the data handed to
// both is first rounded to float, and SPTK's results carry float rounding (half a float step is
// 6e-8 relative). SPTK computes in double inside, so nothing else separates the two: the
// tolerances below are a few float steps, relative to the value (analysis) or to the largest
// value of the result (warping, filtering).
//
// Matching options:
//   analysis  mcep -a alpha -m m -l fftl -q 3 -i 1 -j 1 -d 0.001 -e 0
//             (-q 3: the input is the amplitude spectrum |X|, fftl/2 + 1 points per frame, which
//             SPTK mirrors to fftl points as the engine's spectrum is; -i 1 -j 1 is the engine's
//             one-iteration setting; -i 2 -j 30 its full iteration; the determinant limit -f
//             defaults to the engine's 1e-6)
//   warping   freqt -m m1 -M m2 -a 0 -A a   (warps by a; -a a -A 0 warps by -a)
//   synthesis mlsadf -m m -a alpha -p shift -i 1 -P 5 -k
//             (-k: no gain from c0, as the engine's filter; the first mel-cepstrum frame only
//             sets the coefficients, as the engine's first synthesizeFrame call)

#include "engine/FEAT_CLASS.h"

#include "models/SpeechFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

const std::string sptkBin = TAVILO_SPTK_BIN_DIR;

/** A temporary folder for SPTK's input and output files, removed afterwards. */
class SptkFolder
{
public:
    SptkFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tavilo-sptk-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        dir = pattern;
    }
    ~SptkFolder() { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void write(const std::string& name, const std::vector<float>& values) const
    {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(values.data()),
                  static_cast<std::streamsize>(values.size() * sizeof(float)));
    }

    std::vector<float> read(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary | std::ios::ate);
        const auto bytes = static_cast<std::size_t>(in.tellg());
        std::vector<float> values(bytes / sizeof(float));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(bytes));
        return values;
    }

    /** Runs an SPTK program with arguments, reading `input` and writing `output` (file names). */
    void run(const std::string& program, const std::string& arguments, const std::string& input,
             const std::string& output) const
    {
        const std::string command = "'" + sptkBin + "/" + program + "' " + arguments + " < '" + path(input) +
                                    "' > '" + path(output) + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

private:
    fs::path dir;
};

struct Config
{
    const char* name;
    double sampleRate;
    std::int64_t fftMin;
    std::int64_t order;
    double frameMs;
    double alpha;
};

const Config configs[] = {{"16000", 16000.0, 512, 24, 25.0, 0.42}, {"44100", 44100.0, 1024, 60, 20.0, 0.5}};

std::vector<double> speechAt(double sampleRate, const char* file = "vcc2016_SF1_100001.wav")
{
    const auto speech = test_models::readSpeech(std::string(TAVILO_TEST_DATA_DIR) + "/speech/" + file);
    return test_models::resampleLinear(speech.samples, speech.sampleRate, sampleRate);
}

/** Frame starts spread over the voiced middle of the recording. */
std::vector<std::size_t> frameStarts(const std::vector<double>& speech, std::int64_t frameLength, int count)
{
    std::vector<std::size_t> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(static_cast<std::size_t>((0.2 + 0.6 * i / count) * (speech.size() - frameLength)));
    return starts;
}

double maxAbs(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

void skipWithoutSptk()
{
    if (sptkBin.empty() || !fs::exists(sptkBin + "/mcep"))
        GTEST_SKIP() << "SPTK not installed";
}

TEST(SptkCrossCheck, MelCepstralAnalysisMatchesMcep)
{
    skipWithoutSptk();
    struct Iterations
    {
        int first, last;
        const char* options;
    };
    const Iterations settings[] = {{1, 1, "-i 1 -j 1"}, {2, 30, "-i 2 -j 30"}};
    for (const Config& c : configs)
    {
        FEAT_CLASS analysis(c.fftMin, c.order, c.sampleRate, c.frameMs, 5.0, c.alpha);
        const std::int64_t n = analysis.fftLength;
        const std::int64_t m = analysis.order;
        const auto speech = speechAt(c.sampleRate);
        std::vector<float> sptkInput;
        std::vector<std::vector<double>> amplitudes;
        for (const std::size_t start : frameStarts(speech, analysis.frameLength, 8))
        {
            analysis.analyzeSpectrum(speech.data() + start);
            std::vector<double> amplitude(static_cast<std::size_t>(n));
            for (std::int64_t k = 0; k <= n / 2; ++k)
            {
                const auto rounded = static_cast<float>(analysis.spectrum->re[k]);
                sptkInput.push_back(rounded);
                amplitude[k] = rounded;
            }
            for (std::int64_t k = 1; k < n / 2; ++k)
                amplitude[n - k] = amplitude[k];
            amplitudes.push_back(amplitude);
        }

        SptkFolder folder;
        folder.write("spectrum.f", sptkInput);
        for (const Iterations& it : settings)
        {
            SCOPED_TRACE(std::string(c.name) + " Hz, " + it.options);
            folder.run("mcep",
                       "-a " + std::to_string(c.alpha) + " -m " + std::to_string(m) + " -l " +
                           std::to_string(n) + " -q 3 " + it.options + " -d 0.001 -e 0",
                       "spectrum.f", "mcep.f");
            const auto expected = folder.read("mcep.f");
            ASSERT_EQ(expected.size(), amplitudes.size() * static_cast<std::size_t>(m + 1));
            for (std::size_t f = 0; f < amplitudes.size(); ++f)
            {
                std::vector<double> mc(static_cast<std::size_t>(m + 1));
                ASSERT_EQ(analysis.mcep(amplitudes[f].data(), n, mc.data(), m, c.alpha, it.first, it.last,
                                        0.001, 0.0),
                          0);
                for (std::int64_t i = 0; i <= m; ++i)
                {
                    const double reference = expected[f * (m + 1) + i];
                    // SPTK's float output: half a float step is 6e-8 relative (seen: 2.3e-7 at 6.8).
                    EXPECT_NEAR(mc[i], reference, 1e-7 + 1e-7 * std::fabs(reference))
                        << "frame " << f << " coefficient " << i;
                }
            }
        }
    }
}

TEST(SptkCrossCheck, FrequencyWarpingMatchesFreqt)
{
    skipWithoutSptk();
    FEAT_CLASS analysis(512, 24, 16000.0, 25.0, 5.0, 0.42);
    const auto speech = speechAt(16000.0);
    analysis.analyzeSpectrum(speech.data() + speech.size() / 2);
    // The plain cepstrum of the frame: the analysis without warping and of full length.
    std::vector<double> cepstrum(257);
    analysis.mcep(analysis.spectrum->re, 512, cepstrum.data(), 256, 0.0, 0, 0, 0.001, 0.0);
    std::vector<float> asFloat(cepstrum.begin(), cepstrum.end());
    std::vector<double> rounded(asFloat.begin(), asFloat.end());

    struct Case
    {
        std::int64_t m1, m2;
        double a;
        const char* options;
    };
    const Case cases[] = {
        {256, 24, 0.42, "-m 256 -M 24 -a 0 -A 0.42"},
        {256, 60, 0.5, "-m 256 -M 60 -a 0 -A 0.5"},
        {24, 256, -0.42, "-m 24 -M 256 -a 0.42 -A 0"},
        {256, 30, 0.0, "-m 256 -M 30 -a 0 -A 0"},
    };
    SptkFolder folder;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.options);
        std::vector<float> input(asFloat.begin(), asFloat.begin() + c.m1 + 1);
        folder.write("c.f", input);
        folder.run("freqt", c.options, "c.f", "warped.f");
        const auto expected = folder.read("warped.f");
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(c.m2 + 1));
        std::vector<double> warped(static_cast<std::size_t>(c.m2 + 1));
        analysis.warpCepstrum(rounded.data(), c.m1, warped.data(), c.m2, c.a);
        const double scale = maxAbs(warped);
        for (std::int64_t i = 0; i <= c.m2; ++i)
            EXPECT_NEAR(warped[i], expected[i], 2e-7 * scale) << "coefficient " << i; // seen: 3e-8
    }
}

TEST(SptkCrossCheck, SynthesisFilterMatchesMlsadf)
{
    skipWithoutSptk();
    for (const Config& c : configs)
    {
        SCOPED_TRACE(c.name);
        FEAT_CLASS source(c.fftMin, c.order, c.sampleRate, c.frameMs, 5.0, c.alpha);
        FEAT_CLASS target(c.fftMin, c.order, c.sampleRate, c.frameMs, 5.0, c.alpha);
        FEAT_CLASS filter(c.fftMin, c.order, c.sampleRate, c.frameMs, 5.0, c.alpha);
        const std::int64_t m = c.order;
        const std::int64_t shift = filter.frameShift;
        const auto from = speechAt(c.sampleRate, "vcc2016_SF1_100001.wav");
        const auto to = speechAt(c.sampleRate, "vcc2016_TF1_100001.wav");

        // Filter the source voice by half the envelope difference of the two speakers, frame by
        // frame, as the conversion does.
        const int frames = 120;
        const std::size_t offset = from.size() / 4;
        std::vector<float> cepstra;
        std::vector<float> input;
        std::vector<double> engineOutput;
        std::vector<double> mcFrom(static_cast<std::size_t>(m + 1));
        std::vector<double> mcTo(static_cast<std::size_t>(m + 1));
        std::vector<double> mc(static_cast<std::size_t>(m + 1));
        std::vector<double> x(static_cast<std::size_t>(shift));
        std::vector<double> y(static_cast<std::size_t>(shift));
        for (int j = 0; j < frames; ++j)
        {
            const std::size_t at = offset + static_cast<std::size_t>(j * shift);
            source.analyzeSpectrum(from.data() + at);
            source.analyzeMelCepstrum(mcFrom.data(), FEAT_CLASS::oneIteration);
            target.analyzeSpectrum(to.data() + at);
            target.analyzeMelCepstrum(mcTo.data(), FEAT_CLASS::oneIteration);
            for (std::int64_t i = 0; i <= m; ++i)
            {
                const auto rounded = static_cast<float>(0.5 * (mcTo[i] - mcFrom[i]));
                cepstra.push_back(rounded);
                mc[i] = rounded;
            }
            for (std::int64_t s = 0; s < shift; ++s)
                x[s] = static_cast<float>(from[at + s]);
            const int produced = filter.synthesizeFrame(x.data(), mc.data(), y.data());
            ASSERT_EQ(produced, j == 0 ? 0 : shift);
            if (j > 0)
            {
                input.insert(input.end(), x.begin(), x.end());
                engineOutput.insert(engineOutput.end(), y.begin(), y.end());
            }
        }

        SptkFolder folder;
        folder.write("mc.f", cepstra);
        folder.write("x.f", input);
        const std::string options = "-m " + std::to_string(m) + " -a " + std::to_string(c.alpha) + " -p " +
                                    std::to_string(shift) + " -i 1 -P 5 -k '" + folder.path("mc.f") + "'";
        folder.run("mlsadf", options, "x.f", "y.f");
        const auto expected = folder.read("y.f");
        ASSERT_EQ(expected.size(), engineOutput.size());
        const double scale = maxAbs(engineOutput);
        ASSERT_GT(scale, 100.0);
        ASSERT_TRUE(std::isfinite(scale));
        for (std::size_t s = 0; s < expected.size(); ++s)
            ASSERT_NEAR(engineOutput[s], expected[s], 2e-7 * scale) << "sample " << s; // seen: 4.2e-8
    }
}

} // namespace
