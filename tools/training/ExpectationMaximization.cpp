#include "tools/training/ExpectationMaximization.h"

#include "tools/training/TrainingError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>

namespace training
{

namespace
{

constexpr double logTwoPi = 1.8378770664093453;

/** The model in the factorised form the E-step evaluates: per class and dimension the marginal
    of x_j and the regression y_j = mu_y + b (x_j - mu_x) + e with residual variance v. */
struct FactorisedModel
{
    int classes = 0;
    int dimension = 0;
    std::vector<double> constant;        // K: ln w - 0.5 sum (ln var_x + ln v) - n ln 2 pi
    std::vector<double> sourceMean;      // K x n
    std::vector<double> sourcePrecision; // 1 / var_x
    std::vector<double> targetMean;
    std::vector<double> slope;             // b
    std::vector<double> residualPrecision; // 1 / v
    std::vector<bool> alive;

    explicit FactorisedModel(const JointDensityGmm& gmm)
        : classes(gmm.classes), dimension(gmm.dimension), constant(static_cast<std::size_t>(gmm.classes)),
          sourceMean(gmm.sourceMeans), sourcePrecision(gmm.sourceMeans.size()), targetMean(gmm.targetMeans),
          slope(gmm.sourceMeans.size()), residualPrecision(gmm.sourceMeans.size()),
          alive(static_cast<std::size_t>(gmm.classes))
    {
        for (int k = 0; k < classes; ++k)
        {
            alive[static_cast<std::size_t>(k)] = gmm.weights[static_cast<std::size_t>(k)] > 0.0;
            double c =
                alive[static_cast<std::size_t>(k)] ? std::log(gmm.weights[static_cast<std::size_t>(k)]) : 0.0;
            for (int j = 0; j < dimension; ++j)
            {
                const std::size_t i = gmm.at(k, j);
                const double vx = gmm.sourceVariances[i];
                const double b = gmm.crossCovariances[i] / vx;
                const double v = gmm.targetVariances[i] - b * gmm.crossCovariances[i];
                sourcePrecision[i] = 1.0 / vx;
                slope[i] = b;
                residualPrecision[i] = 1.0 / v;
                c -= 0.5 * (std::log(vx) + std::log(v)) + logTwoPi;
            }
            constant[static_cast<std::size_t>(k)] = c;
        }
    }

    /** Log of weight times density of class k at the frame pair. */
    double logDensity(int k, const double* x, const double* y) const noexcept
    {
        const std::size_t base = static_cast<std::size_t>(k) * static_cast<std::size_t>(dimension);
        double q = 0.0;
        for (int j = 0; j < dimension; ++j)
        {
            const std::size_t i = base + static_cast<std::size_t>(j);
            const double dx = x[j] - sourceMean[i];
            const double r = y[j] - targetMean[i] - slope[i] * dx;
            q += dx * dx * sourcePrecision[i] + r * r * residualPrecision[i];
        }
        return constant[static_cast<std::size_t>(k)] - 0.5 * q;
    }
};

struct Floors
{
    std::vector<double> source;   // n: floor of var_x
    std::vector<double> residual; // n: floor of v
};

void checkShapes(const FrameMatrix& source, const FrameMatrix& target)
{
    if (source.rows != target.rows || source.columns != target.columns)
        throw TrainingError("paired training frames differ in shape (" + std::to_string(source.rows) + " x " +
                            std::to_string(source.columns) + " against " + std::to_string(target.rows) +
                            " x " + std::to_string(target.columns) + ")");
    if (source.rows == 0 || source.columns == 0)
        throw TrainingError("no training frames");
}

void checkSettings(const GmmTrainingSettings& settings)
{
    if (settings.classes < 1 || settings.iterationsPerSplit < 0 || settings.finalIterations < 0 ||
        !(settings.varianceFloor > 0.0 && settings.varianceFloor < 1.0) || !(settings.splitOffset > 0.0) ||
        !(settings.convergence >= 0.0))
        throw TrainingError("unusable GMM training settings");
}

std::vector<double> columnVariances(const FrameMatrix& m)
{
    std::vector<double> mean(m.columns, 0.0);
    std::vector<double> variance(m.columns, 0.0);
    for (std::size_t r = 0; r < m.rows; ++r)
        for (std::size_t c = 0; c < m.columns; ++c)
            mean[c] += m.at(r, c);
    for (double& v : mean)
        v /= static_cast<double>(m.rows);
    for (std::size_t r = 0; r < m.rows; ++r)
        for (std::size_t c = 0; c < m.columns; ++c)
        {
            const double e = m.at(r, c) - mean[c];
            variance[c] += e * e;
        }
    for (double& v : variance)
        v /= static_cast<double>(m.rows);
    return variance;
}

Floors floorsFor(const FrameMatrix& source, const FrameMatrix& target, double fraction)
{
    Floors floors;
    floors.source = columnVariances(source);
    floors.residual = columnVariances(target);
    // A constant dimension still needs a positive variance.
    for (double& v : floors.source)
        v = std::max(v * fraction, 1e-12);
    for (double& v : floors.residual)
        v = std::max(v * fraction, 1e-12);
    return floors;
}

/** One EM iteration: returns the average log-likelihood of `model` and replaces it by the
    M-step's result. */
double emIteration(JointDensityGmm& model, const FrameMatrix& source, const FrameMatrix& target,
                   const Floors& floors)
{
    const FactorisedModel factorised(model);
    const int classes = model.classes;
    const int n = model.dimension;
    const auto values = static_cast<std::size_t>(classes) * static_cast<std::size_t>(n);
    std::vector<double> count(static_cast<std::size_t>(classes), 0.0);
    std::vector<double> sumX(values, 0.0), sumY(values, 0.0), sumXX(values, 0.0), sumXY(values, 0.0),
        sumYY(values, 0.0);
    std::vector<double> logp(static_cast<std::size_t>(classes));
    double total = 0.0;

    for (std::size_t r = 0; r < source.rows; ++r)
    {
        const double* x = source.row(r);
        const double* y = target.row(r);
        double best = -std::numeric_limits<double>::infinity();
        for (int k = 0; k < classes; ++k)
        {
            const double l = factorised.alive[static_cast<std::size_t>(k)]
                                 ? factorised.logDensity(k, x, y)
                                 : -std::numeric_limits<double>::infinity();
            logp[static_cast<std::size_t>(k)] = l;
            best = std::max(best, l);
        }
        double sum = 0.0;
        for (int k = 0; k < classes; ++k)
            sum += std::exp(logp[static_cast<std::size_t>(k)] - best);
        const double logSum = best + std::log(sum);
        total += logSum;
        for (int k = 0; k < classes; ++k)
        {
            const double g = std::exp(logp[static_cast<std::size_t>(k)] - logSum);
            if (g < 1e-300)
                continue;
            count[static_cast<std::size_t>(k)] += g;
            const std::size_t base = static_cast<std::size_t>(k) * static_cast<std::size_t>(n);
            for (int j = 0; j < n; ++j)
            {
                const std::size_t i = base + static_cast<std::size_t>(j);
                const double gx = g * x[j];
                const double gy = g * y[j];
                sumX[i] += gx;
                sumY[i] += gy;
                sumXX[i] += gx * x[j];
                sumXY[i] += gx * y[j];
                sumYY[i] += gy * y[j];
            }
        }
    }

    const double frames = static_cast<double>(source.rows);
    for (int k = 0; k < classes; ++k)
    {
        const double nk = count[static_cast<std::size_t>(k)];
        if (!(nk > 1e-9 * frames) || nk < 1e-6)
        {
            model.weights[static_cast<std::size_t>(k)] = 0.0;
            continue;
        }
        model.weights[static_cast<std::size_t>(k)] = nk / frames;
        for (int j = 0; j < n; ++j)
        {
            const std::size_t i = model.at(k, j);
            const double mx = sumX[i] / nk;
            const double my = sumY[i] / nk;
            const double cxx = std::max(0.0, sumXX[i] / nk - mx * mx);
            const double cxy = sumXY[i] / nk - mx * my;
            const double cyy = std::max(0.0, sumYY[i] / nk - my * my);
            const double vx = std::max(cxx, floors.source[static_cast<std::size_t>(j)]);
            const double b = cxx > 0.0 ? cxy / cxx : 0.0;
            const double v = std::max(cyy - b * cxy, floors.residual[static_cast<std::size_t>(j)]);
            model.sourceMeans[i] = mx;
            model.targetMeans[i] = my;
            model.sourceVariances[i] = vx;
            model.crossCovariances[i] = b * vx;
            model.targetVariances[i] = v + b * b * vx;
        }
    }
    return total / frames;
}

JointDensityGmm singleClass(const FrameMatrix& source, const FrameMatrix& target, const Floors& floors)
{
    JointDensityGmm model = JointDensityGmm::withSize(1, static_cast<int>(source.columns));
    model.weights[0] = 1.0;
    // One M-step with every frame in the single class gives the global statistics.
    emIteration(model, source, target, floors);
    return model;
}

/** Splits classes until there are `wanted` (or twice as many as before, if fewer): all of them
    when the count can double, else the heaviest ones. */
void split(JointDensityGmm& model, int wanted, double offset)
{
    const int before = model.classes;
    const int splits = std::min(before, wanted - before);
    std::vector<int> order(static_cast<std::size_t>(before));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(),
        [&](int a, int b)
        { return model.weights[static_cast<std::size_t>(a)] > model.weights[static_cast<std::size_t>(b)]; });
    JointDensityGmm grown = JointDensityGmm::withSize(before + splits, model.dimension);
    for (int k = 0; k < before; ++k)
    {
        grown.weights[static_cast<std::size_t>(k)] = model.weights[static_cast<std::size_t>(k)];
        for (int j = 0; j < model.dimension; ++j)
        {
            const std::size_t from = model.at(k, j);
            const std::size_t to = grown.at(k, j);
            grown.sourceMeans[to] = model.sourceMeans[from];
            grown.targetMeans[to] = model.targetMeans[from];
            grown.sourceVariances[to] = model.sourceVariances[from];
            grown.crossCovariances[to] = model.crossCovariances[from];
            grown.targetVariances[to] = model.targetVariances[from];
        }
    }
    for (int s = 0; s < splits; ++s)
    {
        const int k = order[static_cast<std::size_t>(s)];
        const int copy = before + s;
        const double half = 0.5 * grown.weights[static_cast<std::size_t>(k)];
        grown.weights[static_cast<std::size_t>(k)] = half;
        grown.weights[static_cast<std::size_t>(copy)] = half;
        for (int j = 0; j < model.dimension; ++j)
        {
            const std::size_t a = grown.at(k, j);
            const std::size_t b = grown.at(copy, j);
            const double dx = offset * std::sqrt(grown.sourceVariances[a]);
            const double dy = offset * std::sqrt(grown.targetVariances[a]);
            grown.sourceMeans[b] = grown.sourceMeans[a] - dx;
            grown.targetMeans[b] = grown.targetMeans[a] - dy;
            grown.sourceVariances[b] = grown.sourceVariances[a];
            grown.crossCovariances[b] = grown.crossCovariances[a];
            grown.targetVariances[b] = grown.targetVariances[a];
            grown.sourceMeans[a] += dx;
            grown.targetMeans[a] += dy;
        }
    }
    model = std::move(grown);
}

JointDensityGmm iterate(JointDensityGmm model, const FrameMatrix& source, const FrameMatrix& target,
                        const Floors& floors, int iterations, double convergence, const EmProgress& progress)
{
    double previous = -std::numeric_limits<double>::infinity();
    for (int it = 1; it <= iterations; ++it)
    {
        const double logLikelihood = emIteration(model, source, target, floors);
        if (progress)
            progress({model.classes, it, logLikelihood});
        if (logLikelihood - previous < convergence)
            break;
        previous = logLikelihood;
    }
    return model;
}

} // namespace

JointDensityGmm trainJointDensityGmm(const FrameMatrix& source, const FrameMatrix& target,
                                     const GmmTrainingSettings& settings, const EmProgress& progress)
{
    checkShapes(source, target);
    checkSettings(settings);
    if (source.rows < static_cast<std::size_t>(settings.classes) * 2)
        throw TrainingError("too few training frames (" + std::to_string(source.rows) + ") for " +
                            std::to_string(settings.classes) +
                            " classes; record more speech or use fewer classes");
    const Floors floors = floorsFor(source, target, settings.varianceFloor);
    JointDensityGmm model = singleClass(source, target, floors);
    while (model.classes < settings.classes)
    {
        split(model, settings.classes, settings.splitOffset);
        const int iterations = model.classes < settings.classes ? settings.iterationsPerSplit : 0;
        // Splits run their fixed number of iterations (no early stop: the first ones can be flat).
        model = iterate(std::move(model), source, target, floors, iterations, -1e300, progress);
    }
    return iterate(std::move(model), source, target, floors, settings.finalIterations, settings.convergence,
                   progress);
}

JointDensityGmm refineJointDensityGmm(JointDensityGmm model, const FrameMatrix& source,
                                      const FrameMatrix& target, const GmmTrainingSettings& settings,
                                      int iterations, const EmProgress& progress)
{
    checkShapes(source, target);
    checkSettings(settings);
    if (static_cast<std::size_t>(model.dimension) != source.columns)
        throw TrainingError("the model's dimension does not match the training frames");
    const Floors floors = floorsFor(source, target, settings.varianceFloor);
    return iterate(std::move(model), source, target, floors, iterations, settings.convergence, progress);
}

double averageLogLikelihood(const JointDensityGmm& model, const FrameMatrix& source,
                            const FrameMatrix& target)
{
    checkShapes(source, target);
    const FactorisedModel factorised(model);
    double total = 0.0;
    std::vector<double> logp(static_cast<std::size_t>(model.classes));
    for (std::size_t r = 0; r < source.rows; ++r)
    {
        double best = -std::numeric_limits<double>::infinity();
        for (int k = 0; k < model.classes; ++k)
        {
            logp[static_cast<std::size_t>(k)] = factorised.alive[static_cast<std::size_t>(k)]
                                                    ? factorised.logDensity(k, source.row(r), target.row(r))
                                                    : -std::numeric_limits<double>::infinity();
            best = std::max(best, logp[static_cast<std::size_t>(k)]);
        }
        double sum = 0.0;
        for (const double l : logp)
            sum += std::exp(l - best);
        total += best + std::log(sum);
    }
    return total / static_cast<double>(source.rows);
}

} // namespace training
