#include "support/JuceTestEnvironment.h"
#include "tests/screen/WindowManagerAtoms.h"

TEST(WindowProbe, OpensAWindow)
{
    tessel::test::ensureWindowManagerAtoms();
    juce::Component c;
    c.setSize(300, 200);
    c.addToDesktop(juce::ComponentPeer::windowHasTitleBar);
    c.setVisible(true);
    testing_support::runMessageLoop(200);
    ASSERT_NE(c.getPeer(), nullptr);
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    ASSERT_FALSE(displays.isEmpty());
    std::cout << displays[0].userArea.toString() << " main " << displays[0].isMain << std::endl;
}
