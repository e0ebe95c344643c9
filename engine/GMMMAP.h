#pragma once

#include <cstdint>
#include <vector>

/** A joint-density Gaussian mixture with diagonal covariances, prepared for mapping.

    Parameter data (the content of a ".gmm", ".intragmm" or ".diffgmm" member) is a headerless
    sequence of little-endian doubles: for K classes of dimension n it holds K x (5n + 1) values,
    each group class after class: weights (K), source means, target means, source variances,
    cross covariances (target-source) and target variances (K x n each). Arrays here are class
    after class, n values per class. */
struct PreparedGmm
{
    std::int64_t classes = 0;   ///< K
    std::int64_t dimension = 0; ///< n
    /** ln w_k - 0.5 sum_j ln var_x[k][j]; -1e38 for a class of weight 0 or a degenerate variance
        sum, which is then never chosen. */
    std::vector<double> logWeight;
    std::vector<double> sourceMean;      ///< mu_x
    std::vector<double> targetMean;      ///< mu_y
    std::vector<double> sourcePrecision; ///< 1 / var_x
    std::vector<double> slope;           ///< cov_yx / var_x
    /** 1 / (var_y - slope x cov_yx), or 1e38 where that conditional variance is not positive. */
    std::vector<double> mappingPrecision;
};

/** Loads and prepares GMM parameter data of dimension n (a path or memory image). Raises
    EngineError (corrupt parameters) after writing "Error GMM parameter; %s\n" when the data
    cannot be read or holds a value that is not finite, and the get_paramvec line when the count
    of doubles is not a multiple of 5n + 1. */
PreparedGmm loadPreparedGmm(const char* parameters, std::int64_t dimension);

/** The delta window of the trajectory generator, read from a "dyn.win" member.

    The data are q >= 1 doubles: the coefficients w[left..right] with left = -(q div 2) and
    right = q div 2 - 1 for even q, q div 2 for odd q (so -0.5, 0.5, 0 spans offsets -1..1 and
    matches a delta of 0.5 (c_t - c_(t-1))). The static window is implicit (1 at offset 0). */
struct DeltaWindows
{
    std::int64_t count = 0;           ///< q
    std::int64_t left = 0;            ///< offset of the first coefficient, <= 0
    std::int64_t right = 0;           ///< offset of the last coefficient
    std::int64_t maxRight = 0;        ///< largest right extent over both windows, >= 0
    std::vector<double> coefficients; ///< w[left..right]

    /** Coefficient at offset j, left <= j <= right. */
    double coefficient(std::int64_t j) const { return coefficients[static_cast<std::size_t>(j - left)]; }
};

/** Reads a delta-window description (path or memory image). Raises EngineError (corrupt
    parameters) after writing "file %s not found\n" for a path that cannot be opened, the
    countRecords line for data of fewer than 8 bytes, or a line naming a value that is not
    finite. */
DeltaWindows readDeltaWindows(const char* windows);

/** Recursive, low-latency maximum-likelihood trajectory generation.

    Each step takes one frame of means and precisions for [static, delta] (2d values) and
    returns the static vector of d values for the frame `lag + maxRight` steps earlier, refined by
    the frames that have arrived since. Until then it returns zeros. The state is a ring of
    frames with their covariances per lag; nothing is allocated after construction. */
class TrajectoryGenerator
{
public:
    /** Raises EngineError (corrupt parameters) when the window reaches further back than `lag`
        frames, and (invalid argument) for a dimension below 1 or a lag outside 0..64. */
    TrajectoryGenerator(DeltaWindows windows, std::int64_t dimension, std::int64_t lag);

    /** Feeds one frame (mean and precision of 2d values each) and returns the d generated
        values; the result stays valid until the next step. */
    const double* step(const double* mean, const double* precision) noexcept;

    const DeltaWindows& windows() const noexcept { return deltaWindows; }
    std::int64_t lag() const noexcept { return lagFrames; }
    std::int64_t ringLength() const noexcept { return ring; }

private:
    double& covariance(std::int64_t lagIndex, std::int64_t frameTime, std::int64_t i) noexcept
    {
        return covarianceStore[static_cast<std::size_t>(
            ((lagIndex + lagExtent) * ring + slot(frameTime)) * d + i)];
    }
    double* row(std::vector<double>& store, std::int64_t frameTime, std::int64_t width) noexcept
    {
        return store.data() + slot(frameTime) * width;
    }
    std::int64_t slot(std::int64_t frameTime) const noexcept { return frameTime & (ring - 1); }

    DeltaWindows deltaWindows;
    std::int64_t d;
    std::int64_t lagFrames;
    std::int64_t ring;      // power of two holding every frame a step touches
    std::int64_t lagExtent; // covariance lags stored: -lagExtent..lagExtent
    std::int64_t time;

    std::vector<double> meanRing;        // ring x 2d
    std::vector<double> precisionRing;   // ring x 2d
    std::vector<double> output;          // ring x d
    std::vector<double> covarianceStore; // (2 lagExtent + 1) x ring x d
    std::vector<double> pi;              // (lag + maxRight + 1) x d, index u + lag
    std::vector<double> gain;            // same
    std::vector<double> error;           // d
};

/** Converts source features into target features with a joint-density GMM and smooths the
    converted statistics into a trajectory.

    Features are mel-cepstra without the power term: x = [c1..cm, delta c1..delta cm] (2m
    values). One object per parameter member; it keeps its generator state across frames and
    allocates nothing per frame. Not thread-safe. */
class GMMMAP
{
public:
    /** Loads and prepares the GMM (dimension 2 order) from `parameters` and builds the generator
        with the delta window from `windows` (paths or memory images) and `lag` frames of
        look-ahead. Raises EngineError for unusable data (see loadPreparedGmm,
        readDeltaWindows). */
    GMMMAP(std::int64_t order, std::int64_t lag, const char* parameters, const char* windows);

    /** Writes "GMMMAP was destructed.\n" to the error stream. */
    ~GMMMAP();

    GMMMAP(const GMMMAP&) = delete;
    GMMMAP& operator=(const GMMMAP&) = delete;

    /** The class of highest score ln w_k - 0.5 sum_j (x_j - mu_kj)^2 / var_kj - 0.5 sum_j ln var_kj
        for x (2m values); the lowest index on ties. */
    std::int64_t bestClass(const double* x) noexcept;

    /** Maps x (2m values) with class k, feeds the generator one frame and writes its output into
        out[1..m]; out[0] is not touched. k must lie in 0..classes() - 1. */
    void map(std::int64_t k, const double* x, double* out) noexcept;

    std::int64_t classes() const noexcept { return gmm.classes; }
    std::int64_t order() const noexcept { return m; }
    const PreparedGmm& prepared() const noexcept { return gmm; }
    const TrajectoryGenerator& trajectory() const noexcept { return generator; }

private:
    std::int64_t m;
    std::int64_t n;
    PreparedGmm gmm;
    TrajectoryGenerator generator;
    std::vector<double> mappedMean;
    std::vector<double> mappedPrecision;
    // Source means and precisions dimension after dimension (n x K), and the per-class sums, so
    // that the scores of all classes advance together.
    std::vector<double> meanByDimension;
    std::vector<double> precisionByDimension;
    std::vector<double> scoreSums;
};
