#include "app/WindowGeometry.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <limits>

namespace tessel::WindowGeometry
{

namespace
{
int contentHeightFor(int contentWidth)
{
    return static_cast<int>(contentWidth / contentAspect);
}

/** The least shift of a start position that puts a length inside [start, start + size); a length
    larger than the range is aligned with its start. */
int shiftInto(int position, int length, int rangeStart, int rangeSize)
{
    if (length >= rangeSize || position < rangeStart)
        return rangeStart - position;
    if (position + length > rangeStart + rangeSize)
        return rangeStart + rangeSize - (position + length);
    return 0;
}
} // namespace

std::vector<Display> getDesktopDisplays()
{
    std::vector<Display> result;
    for (const auto& display : juce::Desktop::getInstance().getDisplays().displays)
        result.push_back({display.totalArea, display.userArea, display.isMain});
    return result;
}

const Display* findMainDisplay(const std::vector<Display>& displays)
{
    for (const auto& display : displays)
        if (display.isMain)
            return &display;
    return displays.empty() ? nullptr : &displays.front();
}

juce::Point<int> getDefaultContentSize(int userWidth)
{
    const int width = juce::jmax(smallestBaseWidth, static_cast<int>(defaultWidthFactor * userWidth));
    return {width, contentHeightFor(width)};
}

int getMinimumContentWidth(int userWidth)
{
    return juce::jmax(smallestBaseWidth, static_cast<int>(minimumWidthFactor * userWidth));
}

double getAspectRatio(int mainUserWidth, const juce::BorderSize<int>& frame)
{
    const auto size = getDefaultContentSize(mainUserWidth);
    return static_cast<double>(size.x + frame.getLeftAndRight()) /
           static_cast<double>(size.y + frame.getTopAndBottom());
}

Limits getInitialLimits(int mainUserWidth, const juce::BorderSize<int>& frame)
{
    Limits limits;
    limits.minimumContentWidth = getMinimumContentWidth(mainUserWidth);
    limits.minimumWidth = limits.minimumContentWidth + frame.getLeftAndRight();
    limits.minimumHeight = contentHeightFor(limits.minimumContentWidth) + frame.getTopAndBottom();
    limits.maximumWidth = largestContentWidth + frame.getLeftAndRight();
    limits.maximumHeight = largestContentHeight + frame.getTopAndBottom();
    limits.aspectRatio = getAspectRatio(mainUserWidth, frame);
    return limits;
}

Limits getLimitsForDisplay(const Limits& previous, int newUserWidth, int mainUserWidth,
                           const juce::BorderSize<int>& frame)
{
    Limits limits;
    limits.minimumContentWidth =
        juce::jmax(previous.minimumContentWidth, static_cast<int>(minimumWidthFactor * newUserWidth));
    limits.minimumWidth = limits.minimumContentWidth + frame.getLeftAndRight();
    limits.minimumHeight = contentHeightFor(limits.minimumContentWidth) + frame.getTopAndBottom();
    limits.maximumWidth = frame.getLeftAndRight() + juce::jmax(limits.minimumContentWidth, largestContentWidth);
    limits.maximumHeight = juce::jmax(limits.minimumHeight, frame.getTopAndBottom() + largestContentHeight);
    limits.aspectRatio = getAspectRatio(mainUserWidth, frame);
    return limits;
}

juce::Rectangle<int> getLargestUserArea(const std::vector<Display>& displays)
{
    juce::Rectangle<int> largest;
    bool first = true;
    for (const auto& display : displays)
    {
        if (first || (display.userArea.getWidth() > largest.getWidth() &&
                      display.userArea.getHeight() > largest.getHeight()))
            largest = display.userArea;
        first = false;
    }
    return largest;
}

bool isScreenLargeEnough(const std::vector<Display>& displays, const Limits& limits)
{
    const auto largest = getLargestUserArea(displays);
    return largest.getWidth() >= limits.minimumWidth && largest.getHeight() >= limits.minimumHeight;
}

int findDisplayIndex(const std::vector<Display>& displays, juce::Point<int> position)
{
    for (size_t i = 0; i < displays.size(); ++i)
        if (displays[i].totalArea.contains(position))
            return static_cast<int>(i);

    int nearest = -1;
    auto nearestDistance = std::numeric_limits<double>::max();
    for (size_t i = 0; i < displays.size(); ++i)
    {
        const auto distance = displays[i].totalArea.getCentre().toDouble().getDistanceFrom(position.toDouble());
        if (distance <= nearestDistance)
        {
            nearestDistance = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

std::optional<juce::Rectangle<int>> getBoundsForDisplay(juce::Rectangle<int> windowBounds, const Display& display,
                                                        const Limits& limits)
{
    if (windowBounds.getWidth() <= display.userArea.getWidth() &&
        windowBounds.getHeight() <= display.userArea.getHeight())
        return std::nullopt;

    const int width = juce::jmax(limits.minimumWidth,
                                 static_cast<int>(defaultWidthFactor * display.userArea.getWidth()));
    const int height = static_cast<int>(width / limits.aspectRatio);
    return windowBounds.withSize(width, height);
}

std::optional<juce::Point<int>> getTitleBarCorrection(juce::Rectangle<int> contentBounds,
                                                      const juce::BorderSize<int>& frame,
                                                      const std::vector<Display>& displays)
{
    // Without a title bar (no window manager draws one) the content's top row stands for it.
    const int stripHeight = juce::jlimit(1, juce::jmax(1, contentBounds.getHeight()), frame.getTop());
    const juce::Rectangle<int> strip(contentBounds.getX() - frame.getLeft(), contentBounds.getY() - frame.getTop(),
                                     contentBounds.getWidth() + frame.getLeftAndRight(), stripHeight);

    for (const auto& display : displays)
        if (display.userArea.contains(strip))
            return std::nullopt;

    for (const auto& display : displays)
    {
        if (!display.totalArea.intersects(strip))
            continue;
        const auto& area = display.userArea;
        const int dx = shiftInto(strip.getX(), strip.getWidth(), area.getX(), area.getWidth());
        const int dy = shiftInto(strip.getY(), strip.getHeight(), area.getY(), area.getHeight());
        return contentBounds.getPosition().translated(dx, dy);
    }

    const auto* main = findMainDisplay(displays);
    if (main == nullptr)
        return std::nullopt;
    const auto offset = main->userArea.getPosition() - strip.getPosition();
    return contentBounds.getPosition() + offset;
}

} // namespace tessel::WindowGeometry
