#include "engine/Delay.h"

#include "engine/EngineError.h"

#include <algorithm>

namespace zo
{

Delay::Delay(std::int32_t length) : ringLength(length)
{
    if (length < 0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "Delay: negative length %d\n", length);
    ring.assign(static_cast<std::size_t>(length), 0.0);
}

Delay::~Delay() = default;

void Delay::clear()
{
    std::fill(ring.begin(), ring.end(), 0.0);
    position = 0;
}

void Delay::process(double* output, int outputStride, const double* input, int inputStride, int count)
{
    for (int j = 0; j < count; ++j)
    {
        // Read the input first so that in-place processing works.
        const double in = input[static_cast<std::ptrdiff_t>(j) * inputStride];
        if (ringLength == 0)
        {
            output[static_cast<std::ptrdiff_t>(j) * outputStride] = in;
            continue;
        }
        output[static_cast<std::ptrdiff_t>(j) * outputStride] = ring[static_cast<std::size_t>(position)];
        ring[static_cast<std::size_t>(position)] = in;
        if (++position == ringLength)
            position = 0;
    }
}

} // namespace zo
