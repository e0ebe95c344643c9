#pragma once

#include "tools/training/FrameMatrix.h"
#include "tools/training/JointDensityGmm.h"

#include <functional>

namespace training
{

/** Settings of joint-density GMM training. */
struct GmmTrainingSettings
{
    int classes = 32;           ///< K of the final model
    int iterationsPerSplit = 8; ///< EM iterations after each split while K grows
    int finalIterations = 40;   ///< at most this many EM iterations at the final K
    /** Training at the final K stops when the average log-likelihood per frame improves by less
        than this (nats). */
    double convergence = 1e-4;
    /** Variance floor as a fraction of each dimension's variance over all frames: it bounds the
        source variance of x_j and the conditional variance of y_j given x_j in every class. */
    double varianceFloor = 0.01;
    /** A class is split by moving its two copies' means apart by +- this many standard
        deviations. */
    double splitOffset = 0.2;
};

/** One EM iteration as reported to the progress callback: the average log-likelihood per frame
    (nats) of the model the iteration started from. */
struct EmIteration
{
    int classes = 0;
    int iteration = 0; ///< counted from 1 at each number of classes
    double logLikelihood = 0.0;
};

using EmProgress = std::function<void(const EmIteration&)>;

/** Fits a joint-density GMM to paired frames (row i of source with row i of target) by EM.

    Initialisation is deterministic: one class from the global statistics, then classes are split
    (all of them while the count can double, else the heaviest ones) with a few EM iterations
    after each split, until `classes` is reached; EM then runs to convergence. The M-step keeps
    the block structure exactly by fitting each block as the marginal of x_j and the linear
    regression of y_j on x_j; the floors of `varianceFloor` apply to the marginal and to the
    regression's residual variance, so each step is an exact constrained maximisation and the
    log-likelihood never decreases. A class that loses all its frames gets weight 0. Raises
    TrainingError when the two matrices differ in shape, there are fewer frames than classes, or a
    setting is unusable. */
JointDensityGmm trainJointDensityGmm(const FrameMatrix& source, const FrameMatrix& target,
                                     const GmmTrainingSettings& settings, const EmProgress& progress = {});

/** Runs up to `iterations` EM iterations from `model` on the paired frames (with the floors of
    `settings` derived from these frames), stopping at the convergence of `settings`. */
JointDensityGmm refineJointDensityGmm(JointDensityGmm model, const FrameMatrix& source,
                                      const FrameMatrix& target, const GmmTrainingSettings& settings,
                                      int iterations, const EmProgress& progress = {});

/** Average log-likelihood per frame (nats) of the paired frames under the model. */
double averageLogLikelihood(const JointDensityGmm& model, const FrameMatrix& source,
                            const FrameMatrix& target);

} // namespace training
