#pragma once

#include "tools/training/FrameMatrix.h"

#include <cstddef>
#include <vector>

namespace training
{

/** One step of an alignment: frame `first` of the first sequence matches frame `second` of the
    second. */
struct AlignedFrames
{
    std::size_t first = 0;
    std::size_t second = 0;

    bool operator==(const AlignedFrames&) const = default;
};

/** The result of dynamic time warping. */
struct Alignment
{
    /** Matched frames from (0, 0) to (last, last); each step advances one or both indices by
        one. */
    std::vector<AlignedFrames> path;
    /** Accumulated distance of the path divided by the two sequences' total length. */
    double normalisedCost = 0.0;
};

/** Local path constraints of dynamic time warping. */
enum class WarpingSteps
{
    /** Steps (1, 1), (1, 0) and (0, 1) in any order: any warp, however steep. */
    unconstrained,
    /** Steps (1, 1), (2, 1) and (1, 2), the latter two passing through their middle frame: the
        path's slope stays within 1/2 .. 2, so one frame cannot absorb a long stretch of the other
        sequence. Sequences whose lengths differ by more than a factor of two have no such path;
        they are aligned without the constraint. */
    slopeLimited
};

/** Aligns two frame sequences by dynamic time warping on the Euclidean distance of columns
    firstColumn .. firstColumn + columnCount - 1.

    Symmetric weights: a diagonal step costs twice the local distance of the frame it reaches, a
    horizontal or vertical one once, so that no direction is favoured; ties prefer the diagonal.
    Both sequences are used from their first to their last frame. Memory is one byte per pair of
    frames (plus three rows of costs). Raises TrainingError for an empty sequence, mismatched
    columns or sequences too long to align (more than 4e8 pairs). */
Alignment alignByDynamicTimeWarping(const FrameMatrix& a, const FrameMatrix& b, std::size_t firstColumn,
                                    std::size_t columnCount, WarpingSteps steps = WarpingSteps::slopeLimited);

} // namespace training
