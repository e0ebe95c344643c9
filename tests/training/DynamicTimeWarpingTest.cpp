#include "tools/training/DynamicTimeWarping.h"

#include "tools/training/TrainingError.h"

#include <gtest/gtest.h>

#include <cmath>

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

} // namespace

// Frames repeated irregularly (a stretched copy, as a slower speaker gives) must map back to the
// frames they were copied from, whichever sequence comes first.
TEST(DynamicTimeWarping, StretchedCopyAlignsToItsOrigin)
{
    const FrameMatrix original = trajectory(60, 4);
    FrameMatrix stretched(0, 4);
    std::vector<std::size_t> origin;
    for (std::size_t t = 0; t < original.rows; ++t)
        for (std::size_t r = 0; r < 1 + (t * 7 % 3); ++r) // one to three copies
        {
            stretched.appendRow(original.row(t));
            origin.push_back(t);
        }

    const auto forward = training::alignByDynamicTimeWarping(stretched, original, 0, 4);
    ASSERT_EQ(forward.path.size(), stretched.rows);
    for (std::size_t i = 0; i < forward.path.size(); ++i)
        EXPECT_EQ(forward.path[i], (AlignedFrames{i, origin[i]})) << "step " << i;
    EXPECT_NEAR(forward.normalisedCost, 0.0, 1e-12);

    const auto backward = training::alignByDynamicTimeWarping(original, stretched, 0, 4);
    ASSERT_EQ(backward.path.size(), stretched.rows);
    for (std::size_t i = 0; i < backward.path.size(); ++i)
        EXPECT_EQ(backward.path[i], (AlignedFrames{origin[i], i}));
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
