#include "tools/training/DynamicTimeWarping.h"

#include "tools/training/TrainingError.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace training
{

Alignment alignByDynamicTimeWarping(const FrameMatrix& a, const FrameMatrix& b, std::size_t firstColumn,
                                    std::size_t columnCount)
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

    enum : std::uint8_t
    {
        diagonal = 0,
        fromFirst = 1, // (i - 1, j)
        fromSecond = 2 // (i, j - 1)
    };
    std::vector<std::uint8_t> steps(n * m, diagonal);
    constexpr double infinity = std::numeric_limits<double>::infinity();
    std::vector<double> previous(m, infinity);
    std::vector<double> current(m, infinity);

    auto distance = [&](std::size_t i, std::size_t j)
    {
        const double* p = a.row(i) + firstColumn;
        const double* q = b.row(j) + firstColumn;
        double sum = 0.0;
        for (std::size_t c = 0; c < columnCount; ++c)
        {
            const double e = p[c] - q[c];
            sum += e * e;
        }
        return std::sqrt(sum);
    };

    for (std::size_t i = 0; i < n; ++i)
    {
        for (std::size_t j = 0; j < m; ++j)
        {
            const double d = distance(i, j);
            if (i == 0 && j == 0)
            {
                current[0] = d;
                continue;
            }
            double best = infinity;
            std::uint8_t step = diagonal;
            if (i > 0 && j > 0)
                best = previous[j - 1] + 2.0 * d;
            if (i > 0 && previous[j] + d < best)
            {
                best = previous[j] + d;
                step = fromFirst;
            }
            if (j > 0 && current[j - 1] + d < best)
            {
                best = current[j - 1] + d;
                step = fromSecond;
            }
            current[j] = best;
            steps[i * m + j] = step;
        }
        std::swap(previous, current);
    }

    Alignment alignment;
    alignment.normalisedCost = previous[m - 1] / static_cast<double>(n + m);
    std::size_t i = n - 1;
    std::size_t j = m - 1;
    alignment.path.push_back({i, j});
    while (i > 0 || j > 0)
    {
        switch (steps[i * m + j])
        {
            case diagonal:
                --i;
                --j;
                break;
            case fromFirst:
                --i;
                break;
            default:
                --j;
                break;
        }
        alignment.path.push_back({i, j});
    }
    std::reverse(alignment.path.begin(), alignment.path.end());
    return alignment;
}

} // namespace training
