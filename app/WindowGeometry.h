#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <vector>

namespace tessel
{

/** The sizes of the main window, worked out from the displays it can be on.

    The content keeps a width-to-height ratio of 1.6. Its default width is 0.7 of the main display's
    user area and its minimum 0.5 of it, neither below 1065 pixels; it grows to at most 2880 x 1800.
    `frame` is what the window adds around its content on each side (the native title bar and
    borders, and on this platform the menu bar at the top of the window). Plain functions of
    rectangles, so that every rule can be checked without a screen. All sizes in pixels. */
namespace WindowGeometry
{
/** A display as the window sees it. */
struct Display
{
    juce::Rectangle<int> totalArea;
    juce::Rectangle<int> userArea; ///< the total area without task bars and panels
    bool isMain = false;
};

/** The limits a constrainer gives the window. */
struct Limits
{
    int minimumContentWidth = 0; ///< kept so that a display change never shrinks the minimum
    int minimumWidth = 0;
    int minimumHeight = 0;
    int maximumWidth = 0;
    int maximumHeight = 0;
    double aspectRatio = 1.6; ///< width / height of the whole window, frame included
};

constexpr int smallestBaseWidth = 1065;
constexpr double defaultWidthFactor = 0.7;
constexpr double minimumWidthFactor = 0.5;
constexpr double contentAspect = 1.6;
constexpr int largestContentWidth = 2880;
constexpr int largestContentHeight = 1800;
/** Period of the title-bar check, in milliseconds. */
constexpr int titleBarCheckPeriodMs = 500;

/** The displays of the desktop, in JUCE's order. */
std::vector<Display> getDesktopDisplays();

/** The display marked as main, else the first; nullptr without displays. */
const Display* findMainDisplay(const std::vector<Display>& displays);

/** The default content size for a display whose user area is `userWidth` wide:
    D = max(1065, int(0.7 * userWidth)) by int(D / 1.6). */
juce::Point<int> getDefaultContentSize(int userWidth);

/** max(1065, int(0.5 * userWidth)). */
int getMinimumContentWidth(int userWidth);

/** (D + horizontal frame) / (int(D / 1.6) + vertical frame), D from the main display. */
double getAspectRatio(int mainUserWidth, const juce::BorderSize<int>& frame);

/** The limits at start: minimum from `mainUserWidth`, maximum 2880 x 1800 plus the frame. */
Limits getInitialLimits(int mainUserWidth, const juce::BorderSize<int>& frame);

/** The limits after the window moved to a display `newUserWidth` wide: the minimum content width is
    the larger of the previous one and int(0.5 * newUserWidth), so it never shrinks; the maximum is
    never below the minimum. The aspect ratio still follows the main display. */
Limits getLimitsForDisplay(const Limits& previous, int newUserWidth, int mainUserWidth,
                           const juce::BorderSize<int>& frame);

/** The largest user area: the first display's, replaced by each later one that is both wider and
    higher than it. Empty without displays. */
juce::Rectangle<int> getLargestUserArea(const std::vector<Display>& displays);

/** Whether the largest user area holds the window's minimum size. */
bool isScreenLargeEnough(const std::vector<Display>& displays, const Limits& limits);

/** The display of a window whose top-left corner is at `position`: the first whose total area
    contains it, else the one whose centre is nearest (the later one on equal distance). -1
    without displays. */
int findDisplayIndex(const std::vector<Display>& displays, juce::Point<int> position);

/** After a move to `display`: the new bounds when the window is wider or higher than the display's
    user area (same position, width max(minimum width, int(0.7 * user width)), height from the
    aspect ratio), else nothing. */
std::optional<juce::Rectangle<int>> getBoundsForDisplay(juce::Rectangle<int> windowBounds, const Display& display,
                                                        const Limits& limits);

/** The title-bar check: where the window's top-left corner must go so that its title strip (the
    `titleHeight` pixels above `contentBounds`, as wide as the window with its frame) can be reached.
    Nothing when the strip lies inside some display's user area. Otherwise the least move that puts
    it inside the user area of the first display whose total area it overlaps, or, when it overlaps
    none, the move that puts its top-left corner at the main display's user area's top-left.
    Positions are those of `contentBounds`. */
std::optional<juce::Point<int>> getTitleBarCorrection(juce::Rectangle<int> contentBounds,
                                                      const juce::BorderSize<int>& frame,
                                                      const std::vector<Display>& displays);
} // namespace WindowGeometry

} // namespace tessel
