#pragma once

#include "tools/training/EngineConfiguration.h"
#include "tools/training/FrameMatrix.h"

#include <cstdint>
#include <memory>
#include <vector>

class GMMMAP;

namespace training
{

/** The bytes of the engine's parameter members for one rate. */
struct ModelMembers
{
    std::vector<std::uint8_t> classGmm;      ///< ".gmm"
    std::vector<std::uint8_t> intraGmm;      ///< ".intragmm"
    std::vector<std::uint8_t> differenceGmm; ///< ".diffgmm"
    std::vector<std::uint8_t> postFilter;    ///< ".gvpf"
    std::vector<std::uint8_t> windows;       ///< "dyn.win"
};

/** The envelopes the real-time pipeline computes for a sequence of frames, before its
    global-variance step, each row belonging to the input frame of the same index. */
struct ConvertedEnvelopes
{
    FrameMatrix intra;      ///< m columns: the intra GMM's trajectory (the smoothed source c1..cm)
    FrameMatrix difference; ///< m columns: the difference GMM's trajectory
    FrameMatrix converted;  ///< m columns: their sum, the converted envelope the GV step works on
};

/** The real-time pipeline's envelope conversion, with the engine's own GMMMAP objects built from
    a model's members: per frame the class GMM picks the class on the features, the intra and the
    difference GMM map them with that class, and their trajectory generators smooth the result
    with the configuration's lag.

    The generators lag L + maxRight frames; `convert` feeds that many more frames (the last
    frame's features again) and returns the rows shifted back into place. The generators keep
    their state from one call to the next, as the engine keeps it from one utterance to the next.
    Raises EngineError when the members are unusable. */
class EnvelopeConverter
{
public:
    EnvelopeConverter(const EngineConfiguration& configuration, const ModelMembers& members);
    ~EnvelopeConverter();

    EnvelopeConverter(const EnvelopeConverter&) = delete;
    EnvelopeConverter& operator=(const EnvelopeConverter&) = delete;

    /** Converts the features of dynamicFeatures() (2m columns per frame). */
    ConvertedEnvelopes convert(const FrameMatrix& features);

    /** Frames between a frame's features going in and its envelope coming out. */
    std::int64_t generatorDelay() const noexcept;

private:
    std::int64_t m;
    std::unique_ptr<GMMMAP> classMap;
    std::unique_ptr<GMMMAP> intraMap;
    std::unique_ptr<GMMMAP> differenceMap;
};

} // namespace training
