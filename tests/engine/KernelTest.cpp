#include "engine/Kernel.h"
#include "engine/EngineError.h"
#include "engine/Fft.h"
#include "engine/MemoryFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

MemoryFile imageOf(const std::vector<double>& values)
{
    return MemoryFile(values.data(), values.size() * sizeof(double));
}

/** A memory image whose length field says `length` while holding `stored` bytes. */
std::vector<unsigned char> imageWithLength(std::int64_t length, std::size_t stored)
{
    std::vector<unsigned char> image(MemoryFile::headerSize + stored, 0);
    std::memcpy(image.data(), "mmp", 4);
    for (int i = 0; i < 8; ++i)
        image[4 + i] = static_cast<unsigned char>(static_cast<std::uint64_t>(length) >> (8 * i));
    return image;
}

TEST(Fft, RefusesSizesThatAreNotPowersOfTwoAndLeavesTheDataAlone)
{
    FftSetup setup;
    std::vector<double> re(1000, 1.5);
    std::vector<double> im(1000, -2.5);
    CaptureStderr();
    const int result = fft(setup, re.data(), im.data(), 1000, false);
    EXPECT_EQ(GetCapturedStderr(), "fft error: fft point must be a power of 2\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(re, std::vector<double>(1000, 1.5));
    EXPECT_EQ(im, std::vector<double>(1000, -2.5));
    EXPECT_TRUE(setup.empty());
}

TEST(Fft, GrowsItsSetupOnlyForLargerSizes)
{
    FftSetup setup;
    std::vector<double> re(2048, 0.0);
    std::vector<double> im(2048, 0.0);
    CaptureStderr();
    fft(setup, re.data(), im.data(), 1024, false);
    EXPECT_EQ(GetCapturedStderr(), "fft setup(n = 10)\n");
    CaptureStderr();
    fft(setup, re.data(), im.data(), 512, false);
    EXPECT_EQ(GetCapturedStderr(), "");
    CaptureStderr();
    fft(setup, re.data(), im.data(), 2048, true);
    EXPECT_EQ(GetCapturedStderr(), "fft setup(n = 11)\n");
    EXPECT_EQ(setup.log2Points(), 11);
}

TEST(Fft, ForwardIsTheUnscaledDftWithTheNegativeKernel)
{
    FftSetup setup;
    for (const std::int64_t n : {2, 8, 64})
    {
        std::vector<double> re(n);
        std::vector<double> im(n);
        for (std::int64_t i = 0; i < n; ++i)
        {
            re[i] = std::sin(0.7 * i) + 0.1 * i;
            im[i] = std::cos(1.3 * i);
        }
        std::vector<std::complex<double>> expected(n);
        for (std::int64_t k = 0; k < n; ++k)
            for (std::int64_t j = 0; j < n; ++j)
                expected[k] += std::complex<double>(re[j], im[j]) *
                               std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k * j) / n);
        ASSERT_EQ(fft(setup, re.data(), im.data(), n, false), 1);
        for (std::int64_t k = 0; k < n; ++k)
        {
            EXPECT_NEAR(re[k], expected[k].real(), 1e-12 * n) << "n " << n << " bin " << k;
            EXPECT_NEAR(im[k], expected[k].imag(), 1e-12 * n) << "n " << n << " bin " << k;
        }
    }
}

TEST(Fft, InverseAfterForwardRestoresRealPartsAndNegatesImaginaryParts)
{
    FftSetup setup;
    const std::int64_t n = 1024;
    std::vector<double> re(n);
    std::vector<double> im(n);
    for (std::int64_t i = 0; i < n; ++i)
    {
        re[i] = std::sin(0.01 * i * i);
        im[i] = 0.5 - std::cos(0.3 * i);
    }
    const auto originalRe = re;
    const auto originalIm = im;
    fft(setup, re.data(), im.data(), n, false);
    fft(setup, re.data(), im.data(), n, true);
    for (std::int64_t i = 0; i < n; ++i)
    {
        EXPECT_NEAR(re[i], originalRe[i], 1e-13);
        EXPECT_NEAR(im[i], -originalIm[i], 1e-13);
    }
}

TEST(Spectra, PaddedTransformAndConjugateCompletion)
{
    FftSetup setup;
    auto v = newVector(5);
    for (int i = 0; i < 5; ++i)
        v->re[i] = 1.0 + i;
    const auto spectrum = magnitudeSpectrum(setup, *v, 3);
    ASSERT_EQ(spectrum->length, 8); // the next power of two above 5
    EXPECT_FALSE(spectrum->isComplex());
    EXPECT_DOUBLE_EQ(spectrum->re[0], 15.0);
    EXPECT_NEAR(spectrum->re[4], 3.0, 1e-12); // 1 - 2 + 3 - 4 + 5

    auto half = newComplexZeroVector(8);
    for (int i = 0; i < 8; ++i)
    {
        half->re[i] = i;
        half->im[i] = 10 + i;
    }
    completeConjugateSymmetric(*half);
    const double expectedRe[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    const double expectedIm[8] = {10, 11, 12, 13, 14, -13, -12, -11};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(half->re[i], expectedRe[i]);
        EXPECT_EQ(half->im[i], expectedIm[i]);
    }
    EXPECT_EQ(ceilLog2(1), 1);
    EXPECT_EQ(ceilLog2(882), 10);
    EXPECT_EQ(ceilLog2(1024), 10);
}

TEST(Vectors, RangeVectors)
{
    struct Case
    {
        double start, step, end;
        std::vector<double> values;
        const char* message;
    };
    const Case cases[] = {
        {0, 0, 5, {0, 0, 0, 0, 0}, ""},          {1, 1, 0, {}, "bad increment value\n"},
        {0, -1, 3, {}, "bad increment value\n"}, {0, 0, 0, {}, "wrong value\n"},
        {2, 0.5, 3.9, {2, 2.5, 3, 3.5}, ""},     {3, -1, 1, {3, 2, 1}, ""},
    };
    for (const Case& c : cases)
    {
        CaptureStderr();
        const auto v = newRangeVector(c.start, c.step, c.end);
        EXPECT_EQ(GetCapturedStderr(), c.message) << c.start << " " << c.step << " " << c.end;
        ASSERT_EQ(v->length, static_cast<std::int64_t>(c.values.size()));
        ASSERT_NE(v->re, nullptr); // storage for one element even when empty
        for (std::size_t i = 0; i < c.values.size(); ++i)
            EXPECT_DOUBLE_EQ(v->re[i], c.values[i]);
    }
}

TEST(Vectors, ElementWiseProductCoversRealAndComplexOperands)
{
    auto realV = newRangeVector(1, 1, 4); // 1 2 3 4
    auto complexW = newComplexZeroVector(3);
    for (int i = 0; i < 3; ++i)
    {
        complexW->re[i] = 2;
        complexW->im[i] = 1;
    }
    // Real times complex: v becomes complex; the element beyond w's length becomes 0.
    dvoper(*realV, "*", *complexW);
    ASSERT_TRUE(realV->isComplex());
    const double re[4] = {2, 4, 6, 0};
    const double im[4] = {1, 2, 3, 0};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(realV->re[i], re[i]);
        EXPECT_EQ(realV->im[i], im[i]);
    }
    // Complex times complex: (2 + i)(2 + i) = 3 + 4i.
    dvoper(*realV, "*", *complexW);
    EXPECT_EQ(realV->re[0], 3.0);
    EXPECT_EQ(realV->im[0], 4.0);
    // Complex times real scales both parts.
    auto scale = newRangeVector(2, 0, 4);
    dvoper(*realV, "*", *scale);
    EXPECT_EQ(realV->re[0], 6.0);
    EXPECT_EQ(realV->im[0], 8.0);
    dvscoper(*realV, "*", 0.5);
    EXPECT_EQ(realV->re[0], 3.0);
    EXPECT_EQ(realV->im[0], 4.0);
    magnitude(*realV);
    EXPECT_FALSE(realV->isComplex());
    EXPECT_EQ(realV->re[0], 5.0);
    EXPECT_THROW(dvoper(*realV, "/", *scale), EngineError);
}

TEST(Vectors, PasteSkipsPositionsOutsideTheDestination)
{
    auto dst = newRangeVector(0, 0, 4);
    auto src = newRangeVector(1, 1, 3);    // 1 2 3
    pasteVector(*dst, *src, -1, 0, false); // count 0: the whole source
    EXPECT_EQ(dst->re[0], 2.0);
    EXPECT_EQ(dst->re[1], 3.0);
    pasteVector(*dst, *src, 2, 2, true);
    const double expected[4] = {2, 3, 1, 2};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dst->re[i], expected[i]);

    auto copy = cloneVector(*dst);
    copyVector(*copy, *src);
    EXPECT_EQ(copy->re[2], 3.0);
    EXPECT_EQ(copy->re[3], 2.0);
}

TEST(Matrices, FilledAndCopiedMatricesAreContiguous)
{
    CaptureStderr();
    EXPECT_EQ(newFilledMatrix(0, 3, 1.0), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "wrong value\n");
    auto m = newFilledMatrix(3, 2, 7.0);
    m->re[2][1] = 9.0;
    EXPECT_EQ(m->re[1], m->re[0] + 2);
    const auto copy = copyMatrix(*m);
    EXPECT_EQ(copy->rows, 3);
    EXPECT_EQ(copy->columns, 2);
    EXPECT_EQ(copy->re[0][5], 9.0);
    EXPECT_EQ(copy->re[1][0], 7.0);
}

TEST(Memory, OffsetArraysAreZeroAndIndexedFromTheirOrigin)
{
    double* a = allocateOffsetArray(7, 3);
    for (int i = -3; i <= 3; ++i)
        EXPECT_EQ(a[i], 0.0);
    a[-3] = 1.0;
    a[3] = 2.0;
    freeOffsetArray(a, 3);

    double** b = allocateOffsetArray2D(5, 4, 2, 1);
    for (int r = -2; r <= 2; ++r)
        for (int c = -1; c <= 2; ++c)
            EXPECT_EQ(b[r][c], 0.0);
    b[-2][-1] = 1.0;
    b[2][2] = 3.0;
    freeOffsetArray2D(b, 2, 1);

    double*** c = allocateOffsetArray3D(3, 2, 2, 1, 0, 1);
    c[-1][0][-1] = 1.0;
    c[1][1][0] = 2.0;
    EXPECT_EQ(c[0][1][0], 0.0);
    freeOffsetArray3D(c, 3, 1, 0, 1);
}

TEST(Windows, BlackmanHasUnitEnergyAndIsSymmetric)
{
    for (const std::int64_t n : {2, 400, 882, 960})
    {
        const auto w = blackmanWindow(n);
        double energy = 0.0;
        for (std::int64_t i = 0; i < n; ++i)
            energy += w->re[i] * w->re[i];
        EXPECT_NEAR(energy, 1.0, 1e-12) << n;
        EXPECT_NEAR(w->re[0], w->re[n - 1], 1e-15);
        EXPECT_NEAR(w->re[n / 3], w->re[n - 1 - n / 3], 1e-15);
    }
}

TEST(Windows, LowpassSincIsSymmetricWithTheCutoffAtItsCentre)
{
    const auto h = lowpassSinc(1022, 70.0 / 22050.0);
    ASSERT_EQ(h->length, 1023);
    EXPECT_DOUBLE_EQ(h->re[511], 70.0 / 22050.0);
    double sum = 0.0;
    for (int i = 0; i <= 1022; ++i)
    {
        EXPECT_NEAR(h->re[i], h->re[1022 - i], 1e-17);
        sum += h->re[i];
    }
    EXPECT_NEAR(sum, 1.0, 0.01); // unit gain at DC
    const auto clamped = lowpassSinc(8, 3.0);
    EXPECT_DOUBLE_EQ(clamped->re[4], 1.0);
}

TEST(Random, EverySourceStartsFromTheSameState)
{
    // First value by hand: states 1 -> 6592 -> 15713.
    const double first = std::cos(2.0 * std::numbers::pi * 15713.0 / 29282.0) *
                         std::sqrt(-2.0 * std::log(6592.0 / 29282.0 + 1e-30));
    GaussianNoise a;
    GaussianNoise b;
    EXPECT_DOUBLE_EQ(gaussianRandom(a, 1.0), first);
    EXPECT_DOUBLE_EQ(gaussianRandom(b, 2.0), 2.0 * first);
    EXPECT_EQ(gaussianRandom(a, 1.0), gaussianRandom(b, 1.0));

    GaussianNoise c;
    const auto v = gaussianVector(c, 20000);
    double sum = 0.0;
    double squares = 0.0;
    for (std::int64_t i = 0; i < v->length; ++i)
    {
        sum += v->re[i];
        squares += v->re[i] * v->re[i];
    }
    EXPECT_NEAR(sum / 20000.0, 0.0, 0.05);
    EXPECT_NEAR(std::sqrt(squares / 20000.0), 1.0, 0.05);
}

TEST(Readers, MemoryImages)
{
    const std::vector<double> three = {1.5, -2.0, 1e300};
    const MemoryFile image = imageOf(three);
    EXPECT_EQ(dataLength(image.name(), 0), 24);
    EXPECT_EQ(dataLength(image.name(), 8), 16);
    EXPECT_EQ(dataLength(image.name(), 40), 0);
    const auto all = readVectorData(image.name(), 0, false);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->length, 3);
    EXPECT_EQ(all->re[2], 1e300);
    const auto skipped = readVectorData(image.name(), 8, false);
    ASSERT_EQ(skipped->length, 2);
    EXPECT_EQ(skipped->re[0], -2.0);

    // A length field of 7 holds no whole double.
    const auto seven = imageWithLength(7, 7);
    EXPECT_EQ(readVectorData(reinterpret_cast<const char*>(seven.data()), 0, false), nullptr);
    // A damaged, negative length is no data at all.
    const auto negative = imageWithLength(-16, 0);
    EXPECT_EQ(dataLength(reinterpret_cast<const char*>(negative.data()), 0), 0);
    EXPECT_EQ(readVectorData(reinterpret_cast<const char*>(negative.data()), 0, false), nullptr);

    const auto swapped = readVectorData(image.name(), 0, true);
    unsigned char bytes[8];
    std::memcpy(bytes, &swapped->re[0], 8);
    unsigned char original[8];
    std::memcpy(original, &three[0], 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bytes[i], original[7 - i]);
}

TEST(Readers, MatricesAndRecordCounts)
{
    const MemoryFile ten = imageOf(std::vector<double>(10, 1.0));
    CaptureStderr();
    EXPECT_EQ(readMatrixData(ten.name(), 3, false), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "wrong data format: mmp\n");
    const auto m = readMatrixData(ten.name(), 5, false);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->rows, 2);
    EXPECT_EQ(m->columns, 5);

    EXPECT_EQ(countRecords(ten.name(), 2), 5);
    CaptureStderr();
    EXPECT_THROW(countRecords(ten.name(), 3), EngineError);
    EXPECT_EQ(GetCapturedStderr(), "Error: file format: mmp\n");
    const MemoryFile empty;
    CaptureStderr();
    EXPECT_THROW(countRecords(empty.name(), 1), EngineError);
    EXPECT_EQ(GetCapturedStderr(), "Error: file format mmp\n");
}

TEST(Readers, FilePaths)
{
    const auto path =
        std::filesystem::temp_directory_path() / ("tavilo-kernel-" + std::to_string(::getpid()) + ".dbl");
    const std::vector<double> values = {0.25, 0.5, 0.75, 1.0};
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(values.data(), sizeof(double), values.size(), f);
        std::fputc(0x7f, f); // a trailing partial double is not read
        std::fclose(f);
    }
    EXPECT_EQ(dataLength(path.c_str(), 8), 25);
    const auto v = readVectorData(path.c_str(), 8, false);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->length, 3);
    EXPECT_EQ(v->re[0], 0.5);
    EXPECT_EQ(v->re[2], 1.0);
    const auto m = readMatrixData(path.c_str(), 2, false);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->re[1][1], 1.0);
    std::filesystem::remove(path);

    const std::string missing = path.string() + ".missing";
    CaptureStderr();
    EXPECT_EQ(readVectorData(missing.c_str(), 0, false), nullptr);
    EXPECT_EQ(GetCapturedStderr(), "can't open file: " + missing + "\n");
    CaptureStderr();
    EXPECT_EQ(dataLength(missing.c_str(), 0), 0);
    EXPECT_EQ(GetCapturedStderr(), "can't stat file: " + missing + "\n");
}

} // namespace
