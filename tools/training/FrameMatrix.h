#pragma once

#include <cstddef>
#include <vector>

namespace training
{

/** A sequence of feature frames: `rows` frames of `columns` values each, row after row in one
    block. */
struct FrameMatrix
{
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<double> values;

    FrameMatrix() = default;
    FrameMatrix(std::size_t rowCount, std::size_t columnCount, double fill = 0.0)
        : rows(rowCount), columns(columnCount), values(rowCount * columnCount, fill)
    {
    }

    double* row(std::size_t r) noexcept { return values.data() + r * columns; }
    const double* row(std::size_t r) const noexcept { return values.data() + r * columns; }
    double& at(std::size_t r, std::size_t c) noexcept { return values[r * columns + c]; }
    double at(std::size_t r, std::size_t c) const noexcept { return values[r * columns + c]; }

    /** Appends one frame of `columns` values. */
    void appendRow(const double* frame)
    {
        values.insert(values.end(), frame, frame + columns);
        ++rows;
    }
};

} // namespace training
