#include "ui/UIScale.h"

namespace tessel
{
float getUIScale(const juce::Component& component)
{
    for (auto* c = &component; c != nullptr; c = c->getParentComponent())
        if (dynamic_cast<const UIScaleRoot*>(c) != nullptr)
            return (float)c->getHeight() / (float)designFrameHeight;

    return 1.0f;
}
} // namespace tessel
