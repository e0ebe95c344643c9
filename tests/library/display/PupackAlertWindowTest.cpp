#include "library/PupackAlertNotifier.h"
#include "support/JuceTestEnvironment.h"

namespace
{
juce::AlertWindow* findAlertWindow()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(desktop.getComponent(i)))
            return alert;
    return nullptr;
}
} // namespace

// Runs under xvfb-run (see CMakeLists.txt).
TEST(PupackAlertWindow, ShowsTheTranslatedWarningWithoutWaiting)
{
    juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(
        "language: test\n\"Pupack_Msg_CanNotInstall\" = \"Cannot install\"\n"
        "\"Pupack_Msg_FileHasError\" = \"Broken file.\"\n\"General_OK\" = \"Fine\"\n",
        false));

    tessel::PupackAlertWindowNotifier notifier;
    notifier.showWarning("Pupack_Msg_CanNotInstall", "Pupack_Msg_FileHasError", "/tmp/x.ppc");
    testing_support::runMessageLoop(200);

    auto* alert = findAlertWindow();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->getName(), "Cannot install");
    EXPECT_EQ(alert->getDescription(), "Cannot install. Broken file.\n/tmp/x.ppc");
    ASSERT_EQ(alert->getNumButtons(), 1);
    juce::StringArray buttons;
    for (auto* child : alert->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*>(child))
            buttons.add(button->getButtonText());
    EXPECT_EQ(buttons, juce::StringArray("Fine"));
    EXPECT_TRUE(alert->isCurrentlyModal());

    alert->exitModalState(0);
    testing_support::runMessageLoop(200);
    EXPECT_EQ(findAlertWindow(), nullptr);
    juce::LocalisedStrings::setCurrentMappings(nullptr);
}
