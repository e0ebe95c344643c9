#include "library/PupackAlertNotifier.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{

void PupackAlertWindowNotifier::showWarning(const juce::String& titleKey, const juce::String& messageKey,
                                            const juce::String& detail)
{
    juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, juce::translate(titleKey),
                                           juce::translate(messageKey) + "\n" + detail,
                                           juce::translate("General_OK"));
}

} // namespace tessel
