// Malformed model data and settings: every reader and setter refuses them with a clear line and
// an EngineError, never a crash, and a configured pipeline that refuses new data goes on
// converting exactly as before.

#include "engine/EngineError.h"
#include "engine/FEAT_CLASS.h"
#include "engine/RTVC_CLASS.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{
using namespace engine_fixtures;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

const RateConfig& rate = rate16000;
const int m = rate16000.order;

std::vector<unsigned char> gmmBytes()
{
    return test_models::gmmParameters(m, 4, 9);
}

std::vector<unsigned char> withDouble(std::vector<unsigned char> bytes, std::size_t index, double value)
{
    std::memcpy(bytes.data() + index * sizeof(double), &value, sizeof(double));
    return bytes;
}

std::vector<unsigned char> truncated(std::vector<unsigned char> bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

/** A memory image whose length field is `length` (with no data behind it). */
std::vector<unsigned char> imageWithLength(std::int64_t length)
{
    std::vector<unsigned char> image(MemoryFile::headerSize, 0);
    std::memcpy(image.data(), "mmp", 4);
    for (int i = 0; i < 8; ++i)
        image[4 + i] = static_cast<unsigned char>(static_cast<std::uint64_t>(length) >> (8 * i));
    return image;
}

RTVC_CLASS construct(const char* windows, std::int64_t lag = rate.lag, int iterations = 1)
{
    return RTVC_CLASS(rate.fftMin, m, lag, windows, rate.sampleRate, rate.frameMs, 5.0, rate.alpha,
                      iterations);
}

/** Builds a pipeline with these windows and sets a valid class GMM: where the windows are read. */
void setGmmWithWindows(const std::vector<unsigned char>& windowBytes)
{
    const MemoryFile windows(windowBytes);
    RTVC_CLASS engine = construct(windows.name());
    engine.setGmm(MemoryFile(gmmBytes()).name());
}

struct Row
{
    const char* what;
    /** Acts on a configured pipeline (may be ignored by rows that build their own objects). */
    std::function<void(RTVC_CLASS&)> action;
    const char* message; ///< expected in the error stream
};

TEST(BadParameterData, IsRefusedWithAClearMessage)
{
    const std::string missing = "/nonexistent/tavilo/44100.gmm";
    const std::string longPath(300, 'x');
    const std::vector<Row> rows = {
        // GMM members
        {"GMM of 7 bytes", [](RTVC_CLASS& e) { e.setGmm(MemoryFile(truncated(gmmBytes(), 7)).name()); },
         "Error GMM parameter; mmp\n"},
        {"empty GMM", [](RTVC_CLASS& e) { e.setIntraGmm(MemoryFile().name()); },
         "Error GMM parameter; mmp\n"},
        {"GMM one double short",
         [](RTVC_CLASS& e) { e.setDiffGmm(MemoryFile(truncated(gmmBytes(), gmmBytes().size() - 8)).name()); },
         "Error get_paramvec [963], class [3], dimension X[48] Y[48], all diag covs\n"},
        {"GMM with NaN",
         [](RTVC_CLASS& e) { e.setGmm(MemoryFile(withDouble(gmmBytes(), 5, std::nan(""))).name()); },
         "Error GMM parameter; mmp: value 5 is not a finite number\n"},
        {"GMM with an infinite covariance",
         [](RTVC_CLASS& e)
         { e.setIntraGmm(MemoryFile(withDouble(gmmBytes(), 4 + 3 * 4 * 48, HUGE_VAL)).name()); },
         "Error GMM parameter; mmp: value 580 is not a finite number\n"},
        {"GMM image with a negative length",
         [](RTVC_CLASS& e)
         {
             const auto image = imageWithLength(-8);
             e.setGmm(reinterpret_cast<const char*>(image.data()));
         },
         "Error GMM parameter; mmp\n"},
        {"GMM path missing", [&](RTVC_CLASS& e) { e.setGmm(missing.c_str()); },
         "Error GMM parameter; /nonexistent/tavilo/44100.gmm\n"},
        // post-filters
        {"post-filter of 2m - 1 values",
         [](RTVC_CLASS& e)
         { e.setGvPostfilter(MemoryFile(truncated(test_models::postFilter(m), 8 * (2 * m - 1))).name()); },
         "wrong data format: mmp\nCan't read GV postfilter file: mmp\n"},
        {"post-filter of one row",
         [](RTVC_CLASS& e)
         { e.setGvPostfilter(MemoryFile(truncated(test_models::postFilter(m), 8 * m)).name()); },
         "GV postfilter mmp holds 1 row of 24 values; it needs scales and offsets\n"},
        {"post-filter with infinity",
         [](RTVC_CLASS& e)
         { e.setGvPostfilter(MemoryFile(withDouble(test_models::postFilter(m), 30, -HUGE_VAL)).name()); },
         "GV postfilter mmp: value 30 is not a finite number\n"},
        {"empty post-filter", [](RTVC_CLASS& e) { e.setGvPostfilter(MemoryFile().name()); },
         "Can't read GV postfilter file: mmp\n"},
        // delta windows
        {"empty window description", [](RTVC_CLASS&) { setGmmWithWindows({}); }, "Error: file format mmp\n"},
        {"window with NaN",
         [](RTVC_CLASS&) {
             setGmmWithWindows(test_models::toBytes({-0.5, std::nan(""), 0.0}));
         },
         "delta window mmp: coefficient 1 is not a finite number\n"},
        {"window reaching back beyond the lag",
         [](RTVC_CLASS&) { setGmmWithWindows(test_models::toBytes(std::vector<double>(9, 0.1))); },
         "delta window of 9 coefficients reaches 4 frames back, beyond the look-ahead of 3 frames\n"},
        {"window description larger than the copy buffer",
         [](RTVC_CLASS&) { construct(MemoryFile(std::vector<unsigned char>(245, 0)).name()); },
         "delta window description of 245 bytes does not fit the 244 bytes the engine keeps\n"},
        {"window image with a negative length",
         [](RTVC_CLASS&)
         {
             const auto image = imageWithLength(-1);
             construct(reinterpret_cast<const char*>(image.data()));
         },
         "delta window description of -1 bytes does not fit the 244 bytes the engine keeps\n"},
        {"window path missing",
         [&](RTVC_CLASS&)
         {
             RTVC_CLASS engine = construct(missing.c_str());
             engine.setGmm(MemoryFile(gmmBytes()).name());
         },
         "file /nonexistent/tavilo/44100.gmm not found\n"},
        {"window path longer than the copy buffer", [&](RTVC_CLASS&) { construct(longPath.c_str()); },
         "delta window path of 300 characters is longer than 255\n"},
        // settings and sizes
        {"coefficient NaN", [](RTVC_CLASS& e) { e.setGvCoefficient(std::nan("")); },
         "GV coefficient nan is not a finite number\n"},
        {"gain NaN", [](RTVC_CLASS& e) { e.setGain(std::nan("")); }, "output gain is not a number\n"},
        {"lag beyond the delay line",
         [](RTVC_CLASS&) { construct(MemoryFile(test_models::deltaWindows()).name(), 20); },
         "RTVC_CLASS: lag 20 outside 0..19 frames\n"},
        {"unknown iteration mode",
         [](RTVC_CLASS&) { construct(MemoryFile(test_models::deltaWindows()).name(), 3, 3); },
         "RTVC_CLASS: iteration mode 3 outside 0..2\n"},
        {"frame of no samples", [](RTVC_CLASS&) { FEAT_CLASS(512, 24, 16000, 0.0, 5.0, 0.42); },
         "FEAT_CLASS: frame and shift must give 3 or more samples per frame and 1..frame length per shift\n"},
        {"warping factor of 1", [](RTVC_CLASS&) { FEAT_CLASS(512, 24, 16000, 25.0, 5.0, 1.0); },
         "FEAT_CLASS: the warping factor must lie strictly between -1 and 1\n"},
        {"window of one point", [](RTVC_CLASS&) { blackmanWindow(1); },
         "blackman window of 1 points: needs at least 2\n"},
        {"low-pass of odd order", [](RTVC_CLASS&) { lowpassSinc(3, 0.5); },
         "low-pass of order 3: the order must be even and at least 2\n"},
    };

    const auto model = randomModel(rate, 4);
    const auto input = speechAt(rate.sampleRate);
    const std::vector<double> part(input.begin(), input.begin() + 60 * 80);
    auto untouched = makeEngine(rate, model);
    const auto before = run(*untouched, part);
    const auto expected = run(*untouched, part);

    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        auto engine = makeEngine(rate, model);
        run(*engine, part);
        CaptureStderr();
        bool raised = false;
        try
        {
            row.action(*engine);
        }
        catch (const EngineError& error)
        {
            raised = true;
            EXPECT_NE(std::string(row.message).find(error.what()), std::string::npos) << error.what();
        }
        const std::string lines = GetCapturedStderr();
        EXPECT_TRUE(raised);
        EXPECT_NE(lines.find(row.message), std::string::npos) << lines;
        // Nothing was lost: the pipeline converts on as if the call had not been made.
        EXPECT_EQ(run(*engine, part), expected);
    }
    EXPECT_NE(before, expected); // the check above compares a running conversion
}

} // namespace
