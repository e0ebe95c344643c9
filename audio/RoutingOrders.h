#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace tessel
{

/** Which input channels feed the chain: positions among the device's active input channels
    (0 = the first active input channel), -1 when not assigned. Stored as the element
    "ROUTINGSETUP" (settings key "AudioRoutingSetup"). */
struct RoutingOrders
{
    int voice = -1;    ///< "Voice": the speaker's voice
    int bgmLeft = -1;  ///< "BGMLeft": AUX (background) left
    int bgmRight = -1; ///< "BGMRight": AUX right
    /** "BGMInputAsStereo": non-zero takes left and right from bgmLeft and bgmRight; zero feeds
        bgmLeft to both sides. */
    int bgmInputAsStereo = 0;

    static constexpr const char* tagName = "ROUTINGSETUP";

    /** The routing of a stored element: integer attributes, text that is no number reads as 0.
        A missing "Voice", "BGMLeft" or "BGMRight" reads as -1; a missing "BGMInputAsStereo" reads
        as -1, which counts as stereo. Without an element everything is -1 and the AUX input mono. */
    static RoutingOrders fromXml(const juce::XmlElement* element);

    /** A new "ROUTINGSETUP" element with the four integers. */
    std::unique_ptr<juce::XmlElement> toXml() const;

    bool operator==(const RoutingOrders&) const = default;
};

} // namespace tessel
