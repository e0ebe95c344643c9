#include "tools/training/DynamicTimeWarping.h"

#include "tools/training/TrainingError.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace training
{

namespace
{

constexpr double infinity = std::numeric_limits<double>::infinity();

enum : std::uint8_t
{
    diagonal = 0,   // from (i - 1, j - 1)
    fromFirst = 1,  // unconstrained: from (i - 1, j); limited: from (i - 2, j - 1) through (i - 1, j)
    fromSecond = 2, // unconstrained: from (i, j - 1); limited: from (i - 1, j - 2) through (i, j - 1)
    unreachable = 3
};

class LocalDistance
{
public:
    LocalDistance(const FrameMatrix& a, const FrameMatrix& b, std::size_t first, std::size_t count)
        : x(a), y(b), firstColumn(first), columnCount(count)
    {
    }

    double operator()(std::size_t i, std::size_t j) const noexcept
    {
        const double* p = x.row(i) + firstColumn;
        const double* q = y.row(j) + firstColumn;
        double sum = 0.0;
        for (std::size_t c = 0; c < columnCount; ++c)
        {
            const double e = p[c] - q[c];
            sum += e * e;
        }
        return std::sqrt(sum);
    }

private:
    const FrameMatrix& x;
    const FrameMatrix& y;
    std::size_t firstColumn;
    std::size_t columnCount;
};

/** Fills the step table; returns the accumulated cost at the last pair (infinite when the
    constraint leaves it unreachable). */
double accumulate(const LocalDistance& distance, std::size_t n, std::size_t m, WarpingSteps pattern,
                  std::vector<std::uint8_t>& steps)
{
    steps.assign(n * m, unreachable);
    // Rows i, i - 1 and i - 2 of the accumulated cost, and the local distances of row i - 1.
    std::vector<double> row(m, infinity), previous(m, infinity), beforePrevious(m, infinity);
    std::vector<double> localRow(m, 0.0), localPrevious(m, 0.0);
    for (std::size_t i = 0; i < n; ++i)
    {
        for (std::size_t j = 0; j < m; ++j)
            localRow[j] = distance(i, j);
        for (std::size_t j = 0; j < m; ++j)
        {
            const double d = localRow[j];
            if (i == 0 && j == 0)
            {
                row[0] = d;
                steps[0] = diagonal;
                continue;
            }
            double best = infinity;
            std::uint8_t step = unreachable;
            if (i > 0 && j > 0 && previous[j - 1] + 2.0 * d < best)
            {
                best = previous[j - 1] + 2.0 * d;
                step = diagonal;
            }
            if (pattern == WarpingSteps::unconstrained)
            {
                if (i > 0 && previous[j] + d < best)
                {
                    best = previous[j] + d;
                    step = fromFirst;
                }
                if (j > 0 && row[j - 1] + d < best)
                {
                    best = row[j - 1] + d;
                    step = fromSecond;
                }
            }
            else
            {
                if (i > 1 && j > 0)
                {
                    const double c = beforePrevious[j - 1] + 2.0 * localPrevious[j] + d;
                    if (c < best)
                    {
                        best = c;
                        step = fromFirst;
                    }
                }
                if (i > 0 && j > 1)
                {
                    const double c = previous[j - 2] + 2.0 * localRow[j - 1] + d;
                    if (c < best)
                    {
                        best = c;
                        step = fromSecond;
                    }
                }
            }
            row[j] = best;
            steps[i * m + j] = step;
        }
        std::swap(beforePrevious, previous);
        std::swap(previous, row);
        std::fill(row.begin(), row.end(), infinity);
        std::swap(localPrevious, localRow);
    }
    return previous[m - 1];
}

} // namespace

Alignment alignByDynamicTimeWarping(const FrameMatrix& a, const FrameMatrix& b, std::size_t firstColumn,
                                    std::size_t columnCount, WarpingSteps pattern)
{
    if (a.rows == 0 || b.rows == 0)
        throw TrainingError("cannot align an empty frame sequence");
    if (firstColumn + columnCount > a.columns || firstColumn + columnCount > b.columns || columnCount == 0)
        throw TrainingError("the frame sequences to align do not have the requested columns");
    const std::size_t n = a.rows;
    const std::size_t m = b.rows;
    if (static_cast<double>(n) * static_cast<double>(m) > 4e8)
        throw TrainingError("recordings too long to align (" + std::to_string(n) + " x " + std::to_string(m) +
                            " frames); split them into shorter sentences");

    const LocalDistance distance(a, b, firstColumn, columnCount);
    std::vector<std::uint8_t> steps;
    double cost = accumulate(distance, n, m, pattern, steps);
    if (!std::isfinite(cost) && pattern != WarpingSteps::unconstrained)
    {
        pattern = WarpingSteps::unconstrained;
        cost = accumulate(distance, n, m, pattern, steps);
    }

    Alignment alignment;
    alignment.normalisedCost = cost / static_cast<double>(n + m);
    std::size_t i = n - 1;
    std::size_t j = m - 1;
    alignment.path.push_back({i, j});
    while (i > 0 || j > 0)
    {
        const std::uint8_t step = steps[i * m + j];
        if (step == diagonal)
        {
            --i;
            --j;
        }
        else if (step == fromFirst)
        {
            --i;
            if (pattern == WarpingSteps::slopeLimited)
            {
                alignment.path.push_back({i, j});
                --i;
                --j;
            }
        }
        else
        {
            --j;
            if (pattern == WarpingSteps::slopeLimited)
            {
                alignment.path.push_back({i, j});
                --i;
                --j;
            }
        }
        alignment.path.push_back({i, j});
    }
    std::reverse(alignment.path.begin(), alignment.path.end());
    return alignment;
}

} // namespace training
