#pragma once

#include <cstdint>
#include <vector>

namespace zo
{

/** A plain sample delay: the output is the input `length` samples earlier, zeros at first.

    Used to line the limiter's dry signal up with the engine's output. The ring is allocated at
    construction; `process` never allocates. */
class Delay
{
public:
    /** @param length delay in samples; 0 passes the input through unchanged. A negative length
                      throws EngineError. */
    explicit Delay(std::int32_t length);
    virtual ~Delay();

    /** Refills the ring with zeros, as after construction. */
    void clear();

    /** Delays `count` samples. Sample j is read at input[j × inputStride] and written to
        output[j × outputStride]; output may be the same array as input. */
    void process(double* output, int outputStride, const double* input, int inputStride, int count);

    /** The delay in samples. */
    std::int32_t length() const noexcept { return ringLength; }

private:
    std::int32_t ringLength;
    std::vector<double> ring;
    std::int32_t position = 0;
};

} // namespace zo
