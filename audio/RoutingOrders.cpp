#include "audio/RoutingOrders.h"

namespace tessel
{

RoutingOrders RoutingOrders::fromXml(const juce::XmlElement* element)
{
    RoutingOrders routing;
    if (element == nullptr)
        return routing;

    const auto read = [element](const char* name)
    { return element->hasAttribute(name) ? element->getStringAttribute(name).getIntValue() : -1; };
    routing.voice = read("Voice");
    routing.bgmLeft = read("BGMLeft");
    routing.bgmRight = read("BGMRight");
    routing.bgmInputAsStereo = read("BGMInputAsStereo");
    return routing;
}

std::unique_ptr<juce::XmlElement> RoutingOrders::toXml() const
{
    auto element = std::make_unique<juce::XmlElement>(tagName);
    element->setAttribute("Voice", voice);
    element->setAttribute("BGMLeft", bgmLeft);
    element->setAttribute("BGMRight", bgmRight);
    element->setAttribute("BGMInputAsStereo", bgmInputAsStereo);
    return element;
}

} // namespace tessel
