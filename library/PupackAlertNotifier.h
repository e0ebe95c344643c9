#pragma once

#include <juce_core/juce_core.h>

namespace tessel
{

/** Shows the model library's warnings. The application's notifier opens an asynchronous JUCE alert
    window; tests put one of their own in its place to read what would have been shown. */
class PupackAlertNotifier
{
public:
    virtual ~PupackAlertNotifier() = default;

    /** Shows a warning with the translation keys of its title and first line, then a line break
        and the detail as it stands (a file path), and one button "General_OK". Does not wait. */
    virtual void showWarning(const juce::String& titleKey, const juce::String& messageKey,
                             const juce::String& detail) = 0;
};

/** The application's notifier: an asynchronous alert window with a warning icon, its texts
    translated. */
class PupackAlertWindowNotifier : public PupackAlertNotifier
{
public:
    void showWarning(const juce::String& titleKey, const juce::String& messageKey,
                     const juce::String& detail) override;
};

} // namespace tessel
