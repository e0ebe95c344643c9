#include "engine/Kernel.h"

#include "engine/EngineError.h"
#include "engine/Fft.h"
#include "engine/MemoryFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <sys/stat.h>

static_assert(std::endian::native == std::endian::little,
              "parameter data is little-endian and is read without conversion");

namespace
{
constexpr double twoPi = 2.0 * std::numbers::pi;

template <typename T> std::unique_ptr<T> newObject()
{
    T* object = new (std::nothrow) T();
    if (object == nullptr)
        raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc %zu bytes\n", sizeof(T));
    return std::unique_ptr<T>(object);
}

double* allocateDoubles(std::int64_t n)
{
    return static_cast<double*>(
        allocate(sizeof(double) * static_cast<std::size_t>(std::max<std::int64_t>(n, 1))));
}

VectorPtr makeVector(std::int64_t n, bool complex)
{
    auto v = newObject<DoubleVector>();
    v->length = std::max<std::int64_t>(n, 0);
    v->re = allocateDoubles(v->length);
    if (complex)
        v->im = allocateDoubles(v->length);
    return v;
}
} // namespace

DoubleVector::~DoubleVector()
{
    std::free(re);
    std::free(im);
}

DoubleMatrix::~DoubleMatrix()
{
    if (re != nullptr)
        std::free(re[0]);
    std::free(re);
    if (im != nullptr)
        std::free(im[0]);
    std::free(im);
}

// ---- memory management ------------------------------------------------------------------------

void* allocate(std::size_t bytes)
{
    void* p = std::malloc(std::max<std::size_t>(bytes, 1));
    if (p == nullptr)
        raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc %lld bytes\n",
                         static_cast<long long>(bytes));
    return p;
}

void* allocateZeroed(std::size_t count, std::size_t elementSize)
{
    void* p = nullptr;
    if (count == 0 || elementSize == 0)
        p = std::calloc(1, 1);
    else
        p = std::calloc(count, elementSize);
    if (p == nullptr)
        raiseEngineError(EngineError::Kind::outOfMemory, 3, "Memory allocation error !\n");
    return p;
}

namespace
{
void* allocateOffsetBlock(std::int64_t count, std::size_t elementSize)
{
    if (count < 0)
        raiseEngineError(EngineError::Kind::outOfMemory, 1, "Cannot Allocate Memory\n");
    void* p = std::calloc(static_cast<std::size_t>(std::max<std::int64_t>(count, 1)), elementSize);
    if (p == nullptr)
        raiseEngineError(EngineError::Kind::outOfMemory, 1, "Cannot Allocate Memory\n");
    return p;
}
} // namespace

double* allocateOffsetArray(std::int64_t count, std::int64_t origin)
{
    return static_cast<double*>(allocateOffsetBlock(count, sizeof(double))) + origin;
}

void freeOffsetArray(double* array, std::int64_t origin) noexcept
{
    if (array != nullptr)
        std::free(array - origin);
}

double** allocateOffsetArray2D(std::int64_t rows, std::int64_t columns, std::int64_t rowOrigin,
                               std::int64_t columnOrigin)
{
    auto** rowArray = static_cast<double**>(allocateOffsetBlock(rows, sizeof(double*)));
    double* block = nullptr;
    try
    {
        block = static_cast<double*>(
            allocateOffsetBlock(std::max<std::int64_t>(rows, 1) * columns, sizeof(double)));
    }
    catch (...)
    {
        std::free(rowArray);
        throw;
    }
    for (std::int64_t r = 0; r < std::max<std::int64_t>(rows, 1); ++r)
        rowArray[r] = block + r * columns + columnOrigin;
    return rowArray + rowOrigin;
}

void freeOffsetArray2D(double** array, std::int64_t rowOrigin, std::int64_t columnOrigin) noexcept
{
    if (array == nullptr)
        return;
    double** rowArray = array - rowOrigin;
    std::free(rowArray[0] - columnOrigin);
    std::free(rowArray);
}

double*** allocateOffsetArray3D(std::int64_t planes, std::int64_t rows, std::int64_t columns,
                                std::int64_t planeOrigin, std::int64_t rowOrigin, std::int64_t columnOrigin)
{
    const std::int64_t planeCount = std::max<std::int64_t>(planes, 1);
    auto*** planeArray = static_cast<double***>(allocateOffsetBlock(planeCount, sizeof(double**)));
    std::int64_t made = 0;
    try
    {
        for (; made < planeCount; ++made)
            planeArray[made] = allocateOffsetArray2D(rows, columns, rowOrigin, columnOrigin);
    }
    catch (...)
    {
        for (std::int64_t p = 0; p < made; ++p)
            freeOffsetArray2D(planeArray[p], rowOrigin, columnOrigin);
        std::free(planeArray);
        throw;
    }
    return planeArray + planeOrigin;
}

void freeOffsetArray3D(double*** array, std::int64_t planes, std::int64_t planeOrigin, std::int64_t rowOrigin,
                       std::int64_t columnOrigin) noexcept
{
    if (array == nullptr)
        return;
    double*** planeArray = array - planeOrigin;
    for (std::int64_t p = 0; p < std::max<std::int64_t>(planes, 1); ++p)
        freeOffsetArray2D(planeArray[p], rowOrigin, columnOrigin);
    std::free(planeArray);
}

// ---- vectors ----------------------------------------------------------------------------------

VectorPtr newVector(std::int64_t n)
{
    return makeVector(n, false);
}

VectorPtr newRangeVector(double start, double step, double end)
{
    double count = 0.0;
    if (step != 0.0)
    {
        if ((step > 0.0 && start > end) || (step < 0.0 && start < end))
        {
            std::fputs("bad increment value\n", stderr);
            return newVector(0);
        }
        count = std::fabs(std::trunc((end - start) / step)) + 1.0;
    }
    else
    {
        count = std::trunc(end);
    }
    if (!(count >= 1.0) || count > 9.0e15)
    {
        std::fputs("wrong value\n", stderr);
        return newVector(0);
    }
    auto v = newVector(static_cast<std::int64_t>(count));
    for (std::int64_t i = 0; i < v->length; ++i)
        v->re[i] = step == 0.0 ? start : start + static_cast<double>(i) * step;
    return v;
}

VectorPtr newComplexZeroVector(std::int64_t n)
{
    auto v = makeVector(n, true);
    std::fill(v->re, v->re + v->length, 0.0);
    std::fill(v->im, v->im + v->length, 0.0);
    return v;
}

VectorPtr cloneVector(const DoubleVector& v)
{
    auto c = makeVector(v.length, v.isComplex());
    std::copy(v.re, v.re + v.length, c->re);
    if (v.isComplex())
        std::copy(v.im, v.im + v.length, c->im);
    return c;
}

void copyVector(DoubleVector& dst, const DoubleVector& src) noexcept
{
    const std::int64_t n = std::min(dst.length, src.length);
    std::copy(src.re, src.re + n, dst.re);
    if (dst.isComplex() && src.isComplex())
        std::copy(src.im, src.im + n, dst.im);
}

void pasteVector(DoubleVector& dst, const DoubleVector& src, std::int64_t at, std::int64_t count,
                 bool add) noexcept
{
    if (count < 1 || count > src.length)
        count = src.length;
    const bool withImaginary = dst.isComplex() && src.isComplex();
    for (std::int64_t i = 0; i < count; ++i)
    {
        const std::int64_t k = at + i;
        if (k < 0 || k >= dst.length)
            continue;
        if (add)
        {
            dst.re[k] += src.re[i];
            if (withImaginary)
                dst.im[k] += src.im[i];
        }
        else
        {
            dst.re[k] = src.re[i];
            if (withImaginary)
                dst.im[k] = src.im[i];
        }
    }
}

void magnitude(DoubleVector& v) noexcept
{
    if (v.isComplex())
    {
        for (std::int64_t i = 0; i < v.length; ++i)
            v.re[i] = std::sqrt(v.re[i] * v.re[i] + v.im[i] * v.im[i]);
        std::free(v.im);
        v.im = nullptr;
    }
    else
    {
        for (std::int64_t i = 0; i < v.length; ++i)
            v.re[i] = std::fabs(v.re[i]);
    }
}

void dvoper(DoubleVector& v, const char* operation, const DoubleVector& w)
{
    if (operation == nullptr || std::strcmp(operation, "*") != 0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "dvoper: unknown operation %s\n",
                         operation == nullptr ? "(null)" : operation);
    if (w.isComplex() && !v.isComplex())
    {
        v.im = allocateDoubles(v.length);
        std::fill(v.im, v.im + v.length, 0.0);
    }
    for (std::int64_t i = 0; i < v.length; ++i)
    {
        if (i >= w.length)
        {
            v.re[i] = 0.0;
            if (v.isComplex())
                v.im[i] = 0.0;
        }
        else if (v.isComplex() && w.isComplex())
        {
            const double a = v.re[i];
            const double b = v.im[i];
            v.re[i] = a * w.re[i] - b * w.im[i];
            v.im[i] = a * w.im[i] + b * w.re[i];
        }
        else if (v.isComplex())
        {
            v.re[i] *= w.re[i];
            v.im[i] *= w.re[i];
        }
        else
        {
            v.re[i] *= w.re[i];
        }
    }
}

void dvscoper(DoubleVector& v, const char* operation, double s)
{
    if (operation == nullptr || std::strcmp(operation, "*") != 0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "dvscoper: unknown operation %s\n",
                         operation == nullptr ? "(null)" : operation);
    for (std::int64_t i = 0; i < v.length; ++i)
        v.re[i] *= s;
    if (v.isComplex())
        for (std::int64_t i = 0; i < v.length; ++i)
            v.im[i] *= s;
}

// ---- matrices ---------------------------------------------------------------------------------

MatrixPtr newMatrix(std::int64_t rows, std::int64_t columns)
{
    auto m = newObject<DoubleMatrix>();
    m->rows = std::max<std::int64_t>(rows, 0);
    m->columns = std::max<std::int64_t>(columns, 0);
    const std::int64_t rowCount = std::max<std::int64_t>(m->rows, 1);
    const std::int64_t columnCount = std::max<std::int64_t>(m->columns, 1);
    m->re = static_cast<double**>(allocate(sizeof(double*) * static_cast<std::size_t>(rowCount)));
    m->re[0] = nullptr;
    double* block = allocateDoubles(rowCount * columnCount);
    for (std::int64_t r = 0; r < rowCount; ++r)
        m->re[r] = block + r * m->columns;
    return m;
}

MatrixPtr newFilledMatrix(std::int64_t rows, std::int64_t columns, double value)
{
    if (rows < 1 || columns < 1)
    {
        std::fputs("wrong value\n", stderr);
        return nullptr;
    }
    auto m = newMatrix(rows, columns);
    std::fill(m->re[0], m->re[0] + rows * columns, value);
    return m;
}

MatrixPtr copyMatrix(const DoubleMatrix& source)
{
    auto m = newMatrix(source.rows, source.columns);
    for (std::int64_t r = 0; r < source.rows; ++r)
        std::copy(source.re[r], source.re[r] + source.columns, m->re[r]);
    return m;
}

// ---- transforms and spectra -------------------------------------------------------------------

int fft(FftSetup& setup, double* re, double* im, std::int64_t n, bool inverse)
{
    if (n < 1 || (n & (n - 1)) != 0)
    {
        std::fputs("fft error: fft point must be a power of 2\n", stderr);
        return 0;
    }
    // The logarithm is taken as in the engine's tradition; for every power of two in use it is
    // the exact base-2 logarithm.
    const int log2n = static_cast<int>(std::log(static_cast<double>(n)) / 0.693);
    if (setup.empty() || setup.log2Points() < log2n)
        setup.reserve(log2n);

    if (n == 1)
    {
        if (inverse)
            im[0] = im[0] / -1.0;
        return 1;
    }
    double* inRe = setup.real();
    double* inIm = setup.imag();
    if (re != inRe)
        std::copy(re, re + n, inRe);
    if (im != inIm)
        std::copy(im, im + n, inIm);
    const double* outRe = setup.outputReal();
    const double* outIm = setup.outputImag();
    if (inverse)
    {
        setup.backward(n);
        const double scale = static_cast<double>(n);
        for (std::int64_t k = 0; k < n; ++k)
        {
            re[k] = outRe[k] / scale;
            im[k] = outIm[k] / -scale;
        }
    }
    else
    {
        setup.forward(n);
        std::copy(outRe, outRe + n, re);
        std::copy(outIm, outIm + n, im);
    }
    return 1;
}

VectorPtr fftPadded(FftSetup& setup, const DoubleVector& v, std::int64_t minLength)
{
    const std::int64_t n = std::int64_t{1} << ceilLog2(std::max(v.length, minLength));
    auto spectrum = newComplexZeroVector(n);
    std::copy(v.re, v.re + v.length, spectrum->re);
    if (v.isComplex())
        std::copy(v.im, v.im + v.length, spectrum->im);
    fft(setup, spectrum->re, spectrum->im, n, false);
    return spectrum;
}

VectorPtr magnitudeSpectrum(FftSetup& setup, const DoubleVector& v, std::int64_t minLength)
{
    auto spectrum = fftPadded(setup, v, minLength);
    magnitude(*spectrum);
    return spectrum;
}

void completeConjugateSymmetric(DoubleVector& v) noexcept
{
    const std::int64_t n = v.length;
    for (std::int64_t i = 1; i < n - n / 2; ++i)
    {
        v.re[n - i] = v.re[i];
        if (v.isComplex())
            v.im[n - i] = -v.im[i];
    }
}

int ceilLog2(std::int64_t a) noexcept
{
    int k = 1;
    while (k < 62 && (std::int64_t{1} << k) < a)
        ++k;
    return k;
}

// ---- windows and filters ----------------------------------------------------------------------

VectorPtr blackmanWindow(std::int64_t n)
{
    if (n < 2)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "blackman window of %lld points: needs at least 2\n", static_cast<long long>(n));
    auto w = newVector(n);
    const double period = static_cast<double>(n - 1);
    double energy = 0.0;
    for (std::int64_t i = 0; i < n; ++i)
    {
        const double x = static_cast<double>(i);
        w->re[i] = 0.42 - 0.5 * std::cos(twoPi * x / period) + 0.08 * std::cos(2.0 * twoPi * x / period);
        energy += w->re[i] * w->re[i];
    }
    const double norm = std::sqrt(energy);
    for (std::int64_t i = 0; i < n; ++i)
        w->re[i] /= norm;
    return w;
}

VectorPtr lowpassSinc(std::int64_t order, double cutoff)
{
    if (order < 2 || order % 2 != 0 || std::isnan(cutoff))
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "low-pass of order %lld: the order must be even and at least 2\n",
                         static_cast<long long>(order));
    const double c = std::clamp(cutoff, 0.0, 1.0);
    const std::int64_t half = order / 2;
    auto h = newVector(order + 1);
    for (std::int64_t i = 0; i <= order; ++i)
    {
        const double window =
            0.54 - 0.46 * std::cos(twoPi * static_cast<double>(i) / static_cast<double>(order));
        if (i == half)
        {
            h->re[i] = c * window;
        }
        else
        {
            const double x = std::numbers::pi * static_cast<double>(i - half);
            h->re[i] = window * std::sin(c * x) / x;
        }
    }
    return h;
}

// ---- random numbers ---------------------------------------------------------------------------

double gaussianRandom(GaussianNoise& noise, double scale) noexcept
{
    constexpr std::int64_t modulus = 29282;
    const std::int64_t a = (419 * noise.state + 6173) % modulus;
    const double u = std::log(static_cast<double>(a) / static_cast<double>(modulus) + 1e-30);
    const std::int64_t b = (419 * a + 6173) % modulus;
    noise.state = b;
    return std::cos(twoPi * static_cast<double>(b) / static_cast<double>(modulus)) * std::sqrt(-2.0 * u) *
           scale;
}

VectorPtr gaussianVector(GaussianNoise& noise, std::int64_t n)
{
    auto v = newVector(n);
    for (std::int64_t i = 0; i < v->length; ++i)
        v->re[i] = gaussianRandom(noise, 1.0);
    return v;
}

// ---- parameter readers ------------------------------------------------------------------------

namespace
{
bool namesStandardInput(const char* name)
{
    const char* slash = std::strrchr(name, '/');
    const char* last = slash == nullptr ? name : slash + 1;
    return std::strcmp(last, "-") == 0 || std::strcmp(last, "stdin") == 0;
}

void swapBytes(double* values, std::int64_t count) noexcept
{
    for (std::int64_t i = 0; i < count; ++i)
    {
        unsigned char bytes[sizeof(double)];
        std::memcpy(bytes, &values[i], sizeof(double));
        std::reverse(bytes, bytes + sizeof(double));
        std::memcpy(&values[i], bytes, sizeof(double));
    }
}

/** Opens a path for reading: standard input for "-" and ".../stdin". */
std::FILE* openForReading(const char* name, bool& isStandardInput)
{
    isStandardInput = namesStandardInput(name);
    return isStandardInput ? stdin : std::fopen(name, "rb");
}

/** Size in bytes of an open file, or -1. */
long long openFileSize(std::FILE* file)
{
    struct stat status
    {
    };
    if (fstat(fileno(file), &status) != 0)
        return -1;
    return static_cast<long long>(status.st_size);
}

bool skipBytes(std::FILE* file, std::int64_t skip, bool isStandardInput)
{
    if (skip <= 0)
        return true;
    if (!isStandardInput)
        return std::fseek(file, static_cast<long>(skip), SEEK_SET) == 0;
    for (std::int64_t i = 0; i < skip; ++i)
        if (std::fgetc(file) == EOF)
            return false;
    return true;
}
} // namespace

const char* printableName(const char* name) noexcept
{
    if (name == nullptr)
        return "(null)";
    return isMemoryFile(name) ? "mmp" : name;
}

std::int64_t dataLength(const char* name, std::int64_t skip)
{
    if (skip < 0)
        return 0;
    if (isMemoryFile(name))
        return std::max<std::int64_t>(memoryFileLength(name) - skip, 0);
    if (name == nullptr)
    {
        std::fputs("can't stat file: (null)\n", stderr);
        return 0;
    }
    struct stat status
    {
    };
    if (namesStandardInput(name))
    {
        if (fstat(0, &status) != 0)
        {
            std::fputs("can't stat stdin\n", stderr);
            return 0;
        }
    }
    else if (stat(name, &status) != 0)
    {
        std::fprintf(stderr, "can't stat file: %s\n", name);
        return 0;
    }
    return std::max<std::int64_t>(static_cast<std::int64_t>(status.st_size) - skip, 0);
}

VectorPtr readVectorData(const char* name, std::int64_t skip, bool swap)
{
    if (skip < 0)
        return nullptr;
    if (isMemoryFile(name))
    {
        const std::int64_t count = dataLength(name, skip) / static_cast<std::int64_t>(sizeof(double));
        if (count < 1)
            return nullptr;
        auto v = newVector(count);
        std::memcpy(v->re, memoryFileData(name) + skip, sizeof(double) * static_cast<std::size_t>(count));
        if (swap)
            swapBytes(v->re, count);
        return v;
    }
    if (name == nullptr)
    {
        std::fputs("can't open file: (null)\n", stderr);
        return nullptr;
    }
    bool isStandardInput = false;
    std::FILE* file = openForReading(name, isStandardInput);
    if (file == nullptr)
    {
        std::fprintf(stderr, "can't open file: %s\n", name);
        return nullptr;
    }
    const long long size = openFileSize(file);
    const std::int64_t count =
        size < 0 ? 0 : std::max<std::int64_t>(size - skip, 0) / static_cast<std::int64_t>(sizeof(double));
    VectorPtr v;
    if (count >= 1 && skipBytes(file, skip, isStandardInput))
    {
        v = newVector(count);
        if (std::fread(v->re, sizeof(double), static_cast<std::size_t>(count), file) !=
            static_cast<std::size_t>(count))
        {
            std::fprintf(stderr, "can't read file: %s\n", name);
            v.reset();
        }
        else if (swap)
        {
            swapBytes(v->re, count);
        }
    }
    if (!isStandardInput)
        std::fclose(file);
    return v;
}

MatrixPtr readMatrixData(const char* name, std::int64_t columns, bool swap)
{
    const std::int64_t doubles = dataLength(name, 0) / static_cast<std::int64_t>(sizeof(double));
    if (doubles < 1)
        return nullptr;
    if (columns < 1 || doubles % columns != 0)
    {
        std::fprintf(stderr, "wrong data format: %s\n", printableName(name));
        return nullptr;
    }
    auto data = readVectorData(name, 0, swap);
    if (!data || data->length != doubles)
        return nullptr;
    auto m = newMatrix(doubles / columns, columns);
    std::copy(data->re, data->re + doubles, m->re[0]);
    return m;
}

std::int64_t countRecords(const char* name, std::int64_t size)
{
    const std::int64_t doubles = dataLength(name, 0) / static_cast<std::int64_t>(sizeof(double));
    if (doubles < 1)
        raiseEngineError(EngineError::Kind::corruptParameters, 1, "Error: file format %s\n",
                         printableName(name));
    if (size < 1 || doubles % size != 0)
        raiseEngineError(EngineError::Kind::corruptParameters, 1, "Error: file format: %s\n",
                         printableName(name));
    return doubles / size;
}
