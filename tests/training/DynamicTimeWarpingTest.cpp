#include "tools/training/DynamicTimeWarping.h"

#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

using training::AlignedFrames;
using training::FrameMatrix;

namespace
{

// A smooth random-looking trajectory: every frame differs from every other one.
FrameMatrix trajectory(std::size_t frames, std::size_t columns)
{
    FrameMatrix m(frames, columns);
    for (std::size_t t = 0; t < frames; ++t)
        for (std::size_t c = 0; c < columns; ++c)
            m.at(t, c) = std::sin(0.11 * static_cast<double>(t) * static_cast<double>(c + 1) + 0.3 * c) +
                         0.01 * static_cast<double>(t);
    return m;
}

/** The original frames, each repeated 1 .. maxCopies times (as a slower speaker gives), and the
    origin of every frame of the copy. */
FrameMatrix stretch(const FrameMatrix& original, std::size_t maxCopies, std::vector<std::size_t>& origin)
{
    FrameMatrix stretched(0, original.columns);
    for (std::size_t t = 0; t < original.rows; ++t)
        for (std::size_t r = 0; r < 1 + (t * 7 % maxCopies); ++r)
        {
            stretched.appendRow(original.row(t));
            origin.push_back(t);
        }
    return stretched;
}

} // namespace

// A stretched copy must map back to the frames it was copied from, whichever sequence comes
// first: any stretch without the slope limit, up to twice as long with it.
TEST(DynamicTimeWarping, StretchedCopyAlignsToItsOrigin)
{
    const FrameMatrix original = trajectory(60, 4);
    for (const auto& [steps, copies] : {std::pair{training::WarpingSteps::unconstrained, std::size_t{3}},
                                        std::pair{training::WarpingSteps::slopeLimited, std::size_t{2}}})
    {
        SCOPED_TRACE(testing::Message() << "up to " << copies << " copies");
        std::vector<std::size_t> origin;
        const FrameMatrix stretched = stretch(original, copies, origin);
        const auto forward = training::alignByDynamicTimeWarping(stretched, original, 0, 4, steps);
        ASSERT_EQ(forward.path.size(), stretched.rows);
        for (std::size_t i = 0; i < forward.path.size(); ++i)
            EXPECT_EQ(forward.path[i], (AlignedFrames{i, origin[i]})) << "step " << i;
        EXPECT_NEAR(forward.normalisedCost, 0.0, 1e-12);

        const auto backward = training::alignByDynamicTimeWarping(original, stretched, 0, 4, steps);
        ASSERT_EQ(backward.path.size(), stretched.rows);
        for (std::size_t i = 0; i < backward.path.size(); ++i)
            EXPECT_EQ(backward.path[i], (AlignedFrames{origin[i], i}));
    }
}

// The slope limit: a horizontal or vertical step is always followed by a diagonal one, even where
// a free warp would let one frame take many (here a pause: constant frames in one sequence only).
TEST(DynamicTimeWarping, SlopeLimitedPathNeverTakesTwoSideStepsInARow)
{
    FrameMatrix a = trajectory(50, 3);
    FrameMatrix b(0, 3);
    for (std::size_t t = 0; t < 50; ++t)
    {
        b.appendRow(a.row(t));
        if (t == 20)
            for (int r = 0; r < 15; ++r)
                b.appendRow(a.row(t));
    }
    const auto free =
        training::alignByDynamicTimeWarping(a, b, 0, 3, training::WarpingSteps::unconstrained).path;
    const auto limited =
        training::alignByDynamicTimeWarping(a, b, 0, 3, training::WarpingSteps::slopeLimited).path;
    auto sideStepsInARow = [](const std::vector<AlignedFrames>& path)
    {
        std::size_t worst = 0, run = 0;
        for (std::size_t i = 1; i < path.size(); ++i)
        {
            const bool side = (path[i].first == path[i - 1].first) != (path[i].second == path[i - 1].second);
            run = side ? run + 1 : 0;
            worst = std::max(worst, run);
        }
        return worst;
    };
    EXPECT_EQ(sideStepsInARow(free), 15u);
    EXPECT_EQ(sideStepsInARow(limited), 1u);
    EXPECT_EQ(limited.back(), (AlignedFrames{49, 64}));

    // More than twice as long: no slope-limited path exists, and the free one is used.
    FrameMatrix longer(0, 3);
    for (std::size_t t = 0; t < a.rows; ++t)
        for (int r = 0; r < 3; ++r)
            longer.appendRow(a.row(t));
    const auto fallback = training::alignByDynamicTimeWarping(longer, a, 0, 3).path;
    EXPECT_EQ(fallback.size(), longer.rows);
    EXPECT_EQ(fallback.back(), (AlignedFrames{149, 49}));
}

// Only the requested columns count: a first column of noise (the power term c0) must not move
// the path.
TEST(DynamicTimeWarping, IgnoresColumnsOutsideTheRange)
{
    FrameMatrix a = trajectory(30, 3);
    FrameMatrix b = a;
    for (std::size_t t = 0; t < b.rows; ++t)
        b.at(t, 0) = 5.0 * std::cos(1.7 * static_cast<double>(t));
    const auto alignment = training::alignByDynamicTimeWarping(a, b, 1, 2);
    ASSERT_EQ(alignment.path.size(), a.rows);
    for (std::size_t i = 0; i < a.rows; ++i)
        EXPECT_EQ(alignment.path[i], (AlignedFrames{i, i}));
}

TEST(DynamicTimeWarping, PathRunsCornerToCornerInSingleSteps)
{
    const FrameMatrix a = trajectory(40, 3);
    const FrameMatrix b = trajectory(23, 3);
    const auto path = training::alignByDynamicTimeWarping(a, b, 0, 3).path;
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), (AlignedFrames{0, 0}));
    EXPECT_EQ(path.back(), (AlignedFrames{39, 22}));
    for (std::size_t i = 1; i < path.size(); ++i)
    {
        const std::size_t di = path[i].first - path[i - 1].first;
        const std::size_t dj = path[i].second - path[i - 1].second;
        EXPECT_TRUE(di <= 1 && dj <= 1 && di + dj >= 1) << "step " << i;
    }
}

TEST(DynamicTimeWarping, RefusesEmptyOrMismatchedSequences)
{
    const FrameMatrix a = trajectory(5, 3);
    EXPECT_THROW(training::alignByDynamicTimeWarping(a, FrameMatrix(0, 3), 0, 3), training::TrainingError);
    EXPECT_THROW(training::alignByDynamicTimeWarping(a, trajectory(5, 2), 0, 3), training::TrainingError);
}
