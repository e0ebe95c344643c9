#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class FftSetup;

// Numeric kernel of the conversion engine: vectors and matrices of doubles, memory management,
// transforms, two window designs, a Gaussian noise source and the readers that turn parameter
// data into vectors and matrices. Parameter data is a sequence of little-endian IEEE-754 doubles
// without a header, given as a file path or as a memory image (see engine/MemoryFile.h).
//
// Failures that a model or the machine can cause (exhausted memory, unusable data) are raised as
// EngineError after the diagnostic line has been written to the error stream; readers that have
// a "no data" result return null instead and leave the message to their callers.

/** A vector of doubles with an optional imaginary part. Owns both arrays; `re` always has room
    for at least one element, `im` is null for a real vector. Create with the `new...`
    functions. */
struct DoubleVector
{
    std::int64_t length = 0; ///< number of elements, never negative
    double* re = nullptr;    ///< real parts
    double* im = nullptr;    ///< imaginary parts, or null

    DoubleVector() = default;
    ~DoubleVector();
    DoubleVector(const DoubleVector&) = delete;
    DoubleVector& operator=(const DoubleVector&) = delete;

    /** Whether the vector has an imaginary part. */
    bool isComplex() const noexcept { return im != nullptr; }
};

/** A rows x columns matrix of doubles. All rows lie in one contiguous block, row after row;
    `re[i]` points to row i. The row array and the block always have room for at least one row
    of one column. `im` is always null in this engine. */
struct DoubleMatrix
{
    std::int64_t rows = 0;
    std::int64_t columns = 0;
    double** re = nullptr;
    double** im = nullptr;

    DoubleMatrix() = default;
    ~DoubleMatrix();
    DoubleMatrix(const DoubleMatrix&) = delete;
    DoubleMatrix& operator=(const DoubleMatrix&) = delete;
};

using VectorPtr = std::unique_ptr<DoubleVector>;
using MatrixPtr = std::unique_ptr<DoubleMatrix>;

// ---- memory management ------------------------------------------------------------------------

/** Allocates max(bytes, 1) bytes (free with std::free). On failure writes
    "can't malloc %d bytes\n" and raises EngineError (out of memory, status -1). */
void* allocate(std::size_t bytes);

/** Allocates count x elementSize zero bytes (at least one byte; free with std::free). On failure
    writes "Memory allocation error !\n" and raises EngineError (out of memory, status 3). */
void* allocateZeroed(std::size_t count, std::size_t elementSize);

/** A zero-filled array of count doubles indexed from -origin: the result points origin elements
    past the start, so p[-origin] .. p[count - origin - 1] are valid. On failure writes
    "Cannot Allocate Memory\n" and raises EngineError (out of memory, status 1). */
double* allocateOffsetArray(std::int64_t count, std::int64_t origin);

/** Frees an array from `allocateOffsetArray` with the same origin. Null does nothing. */
void freeOffsetArray(double* array, std::int64_t origin) noexcept;

/** An array of `rows` zero-filled offset arrays of `columns` doubles: p[r][c] for
    r = -rowOrigin .. rows - rowOrigin - 1 and c = -columnOrigin .. columns - columnOrigin - 1. */
double** allocateOffsetArray2D(std::int64_t rows, std::int64_t columns, std::int64_t rowOrigin,
                               std::int64_t columnOrigin);

/** Frees an array from `allocateOffsetArray2D` with the same origins. Null does nothing. */
void freeOffsetArray2D(double** array, std::int64_t rowOrigin, std::int64_t columnOrigin) noexcept;

/** Three levels of offset arrays: p[a][r][c], each level indexed from minus its origin. */
double*** allocateOffsetArray3D(std::int64_t planes, std::int64_t rows, std::int64_t columns,
                                std::int64_t planeOrigin, std::int64_t rowOrigin, std::int64_t columnOrigin);

/** Frees an array from `allocateOffsetArray3D` with the same plane count and origins. Null does
    nothing. */
void freeOffsetArray3D(double*** array, std::int64_t planes, std::int64_t planeOrigin, std::int64_t rowOrigin,
                       std::int64_t columnOrigin) noexcept;

// ---- vectors ----------------------------------------------------------------------------------

/** An uninitialised real vector of max(n, 0) elements. */
VectorPtr newVector(std::int64_t n);

/** A real vector filled with start + i x step. With step != 0 its length is
    |trunc((end - start) / step)| + 1; with step == 0 `end` is the length, so
    newRangeVector(0, 0, n) is a zero vector of n elements. A step pointing away from end writes
    "bad increment value\n", a length below 1 writes "wrong value\n"; both yield an empty
    vector. */
VectorPtr newRangeVector(double start, double step, double end);

/** A complex vector of n zeros (both parts). */
VectorPtr newComplexZeroVector(std::int64_t n);

/** A new vector of the same length and parts as v. */
VectorPtr cloneVector(const DoubleVector& v);

/** Copies min(dst.length, src.length) elements; imaginary parts when both vectors have them. */
void copyVector(DoubleVector& dst, const DoubleVector& src) noexcept;

/** Writes (add false) or adds (add true) src[i] into dst[at + i] for i < count; count is
    src.length when it is not in 1..src.length. Positions outside dst are skipped; imaginary
    parts take part when both vectors have them. */
void pasteVector(DoubleVector& dst, const DoubleVector& src, std::int64_t at, std::int64_t count,
                 bool add) noexcept;

/** Replaces every element by its absolute value; a complex vector becomes real. */
void magnitude(DoubleVector& v) noexcept;

/** Element-wise operation in place; "*" (the only one the engine uses) multiplies v by w. If w is
    complex and v is not, v first gets a zero imaginary part. Elements of v beyond w's length
    become 0. Raises EngineError for an unknown operation. */
void dvoper(DoubleVector& v, const char* operation, const DoubleVector& w);

/** Scalar operation in place; "*" multiplies every element (both parts) by s. Raises EngineError
    for an unknown operation. */
void dvscoper(DoubleVector& v, const char* operation, double s);

// ---- matrices ---------------------------------------------------------------------------------

/** An uninitialised rows x columns matrix (negative sizes count as 0). */
MatrixPtr newMatrix(std::int64_t rows, std::int64_t columns);

/** A matrix with every element set to value; rows < 1 or columns < 1 writes "wrong value\n" and
    yields null. */
MatrixPtr newFilledMatrix(std::int64_t rows, std::int64_t columns, double value);

/** A new matrix of the same shape and elements. */
MatrixPtr copyMatrix(const DoubleMatrix& m);

// ---- transforms and spectra -------------------------------------------------------------------

/** In-place complex transform of n points held as separate real and imaginary arrays; returns 1.
    The forward transform is the unscaled DFT with kernel e^(-2 pi i k j / n). The inverse uses
    kernel e^(+2 pi i k j / n) and then divides the real parts by n and the imaginary parts by
    -n. When n is not a power of two, writes "fft error: fft point must be a power of 2\n" and
    returns 0 with the data untouched. Grows the setup when n needs more than it has planned
    (writing its "fft setup" line), which allocates: size the setup beforehand on the audio
    path. */
int fft(FftSetup& setup, double* re, double* im, std::int64_t n, bool inverse);

/** A new complex vector of N points, N the smallest power of two that is at least 2 and at least
    max(v.length, minLength), holding v zero-padded and transformed forward. */
VectorPtr fftPadded(FftSetup& setup, const DoubleVector& v, std::int64_t minLength);

/** `fftPadded` followed by `magnitude`: the amplitude spectrum of v, N points. */
VectorPtr magnitudeSpectrum(FftSetup& setup, const DoubleVector& v, std::int64_t minLength);

/** For N = v.length sets re[N - i] = re[i] (and im[N - i] = -im[i] for a complex vector) for
    1 <= i < N - N/2: completes the first half of a real signal's spectrum. */
void completeConjugateSymmetric(DoubleVector& v) noexcept;

/** The smallest k >= 1 with 2^k >= a. */
int ceilLog2(std::int64_t a) noexcept;

// ---- windows and filters ----------------------------------------------------------------------

/** Blackman window of n >= 2 points scaled to unit energy (sum of squares 1):
    w[i] = 0.42 - 0.5 cos(2 pi i / (n-1)) + 0.08 cos(4 pi i / (n-1)). Raises EngineError for
    n < 2. */
VectorPtr blackmanWindow(std::int64_t n);

/** order + 1 coefficients of a Hamming-windowed ideal low-pass with cutoff as a fraction of the
    Nyquist frequency (clamped to 0..1); order is even and at least 2. Raises EngineError
    otherwise. */
VectorPtr lowpassSinc(std::int64_t order, double cutoff);

// ---- random numbers ---------------------------------------------------------------------------

/** State of a Gaussian noise source: a linear congruential generator that starts at 1. Each
    engine owns one, so engines neither disturb nor depend on each other. */
struct GaussianNoise
{
    std::int64_t state = 1;
};

/** One normally distributed value times scale (Box-Muller over two generator steps). */
double gaussianRandom(GaussianNoise& noise, double scale) noexcept;

/** n values of gaussianRandom(noise, 1). */
VectorPtr gaussianVector(GaussianNoise& noise, std::int64_t n);

// ---- parameter readers (argument: file path or memory image) ----------------------------------

/** Number of data bytes after the first `skip` bytes, never negative. For a path that cannot be
    examined writes "can't stat file: %s\n" and returns 0; "-" or "stdin" as the last path
    component mean standard input ("can't stat stdin\n"). */
std::int64_t dataLength(const char* name, std::int64_t skip);

/** A real vector with one element per whole 8 bytes after `skip`, byte-reversed per double when
    `swap` is set; null when fewer than 8 bytes remain or a path cannot be opened
    ("can't open file: %s\n"). */
VectorPtr readVectorData(const char* name, std::int64_t skip, bool swap);

/** A matrix of `columns` columns and (L / 8) / columns rows; null when fewer than 8 bytes are
    present; "wrong data format: %s\n" and null when the number of doubles is not a multiple of
    columns (or columns is below 1). */
MatrixPtr readMatrixData(const char* name, std::int64_t columns, bool swap);

/** Number of records of `size` doubles. Fewer than 8 bytes writes "Error: file format %s\n", a
    count that is not a multiple of size writes "Error: file format: %s\n"; both raise EngineError
    (corrupt parameters, status 1). */
std::int64_t countRecords(const char* name, std::int64_t size);

/** How a reader argument prints in diagnostic lines: "mmp" for a memory image, else the path. */
const char* printableName(const char* name) noexcept;
