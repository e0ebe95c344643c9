#include "engine/Delay.h"

#include "engine/EngineError.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

std::vector<double> ramp(std::size_t count)
{
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i)
        x[i] = 1.0 + static_cast<double>(i);
    return x;
}

} // namespace

// The output is the input `length` samples earlier, zeros before that, however the signal is cut
// into calls.
TEST(DelayTest, OutputIsInputDelayedExactlyAcrossCalls)
{
    struct Case
    {
        int length;
        int chunk;
    };
    for (const Case c : {Case{1435, 221}, Case{1435, 1}, Case{1, 7}, Case{5, 5000}, Case{0, 13}})
    {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " chunk " << c.chunk);
        zo::Delay delay(c.length);
        const std::vector<double> in = ramp(5000);
        std::vector<double> out(in.size(), -1.0);
        for (std::size_t at = 0; at < in.size(); at += static_cast<std::size_t>(c.chunk))
        {
            const int n = static_cast<int>(std::min<std::size_t>(c.chunk, in.size() - at));
            delay.process(out.data() + at, 1, in.data() + at, 1, n);
        }
        for (std::size_t j = 0; j < in.size(); ++j)
        {
            const double expected = j < static_cast<std::size_t>(c.length) ? 0.0 : in[j - c.length];
            ASSERT_EQ(out[j], expected) << "sample " << j;
        }
    }
}

TEST(DelayTest, StridesInPlaceAndClear)
{
    zo::Delay delay(3);
    // Interleaved stereo buffer, the delay runs on the left channel in place.
    std::vector<double> frames = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5};
    delay.process(frames.data(), 2, frames.data(), 2, 5);
    EXPECT_EQ(frames, (std::vector<double>{0, -1, 0, -2, 0, -3, 1, -4, 2, -5}));

    delay.clear();
    std::vector<double> in = {7, 8, 9, 10};
    std::vector<double> out(4);
    delay.process(out.data(), 1, in.data(), 1, 4);
    EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 7}));
}

TEST(DelayTest, NegativeLengthIsRefused)
{
    EXPECT_THROW(zo::Delay(-1), EngineError);
}
