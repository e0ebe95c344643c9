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

/** Aligns two frame sequences by dynamic time warping on the Euclidean distance of columns
    firstColumn .. firstColumn + columnCount - 1.

    Symmetric steps: a diagonal step costs twice the local distance, a horizontal or vertical one
    once, so that no direction is favoured; ties prefer the diagonal. Both sequences are used from
    their first to their last frame. Memory is one byte per pair of frames (plus two rows of
    costs). Raises TrainingError for an empty sequence, mismatched columns or sequences too long
    to align (more than 4e8 pairs). */
Alignment alignByDynamicTimeWarping(const FrameMatrix& a, const FrameMatrix& b, std::size_t firstColumn,
                                    std::size_t columnCount);

} // namespace training
