#include "remote/OstrelOSCRecieverEditor.h"
#include "tests/remote/RemoteTestSupport.h"

using remote_test::runUntil;

namespace
{

/** The OSC panel in a window of its own, operated with mouse and keyboard events through the window. */
class OscPanelOnScreen : public testing::Test
{
protected:
    void SetUp() override
    {
        receiver.setErrorPresenter([](const juce::String&, const juce::String&) {});
        panel.setSize(600, 120);
        panel.addToDesktop(0);
        panel.setVisible(true);
        ASSERT_TRUE(runUntil([this] { return panel.isShowing() && panel.getPeer() != nullptr; }));
    }

    void click(juce::Component& target)
    {
        const auto position = panel.getLocalPoint(&target, target.getLocalBounds().getCentre()).toFloat();
        auto* peer = panel.getPeer();
        // Apart in time, so that no two clicks count as a double click.
        time += 1000;
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position, juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure,
                               juce::MouseInputSource::defaultOrientation, time);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position,
                               juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                               juce::MouseInputSource::defaultPressure,
                               juce::MouseInputSource::defaultOrientation, time + 10);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position, juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure,
                               juce::MouseInputSource::defaultOrientation, time + 20);
        testing_support::runMessageLoop(30);
    }

    void type(const juce::String& text)
    {
        for (auto character : text)
            panel.getPeer()->handleKeyPress(juce::KeyPress(static_cast<int>(character), {}, character));
        testing_support::runMessageLoop(30);
    }

    void press(int keyCode)
    {
        panel.getPeer()->handleKeyPress(juce::KeyPress(keyCode));
        testing_support::runMessageLoop(30);
    }

    juce::String storedPort()
    {
        const auto* tree = settings.getStore().getXml(tessel::PropertiesFileManager::oscSetupKey);
        return tree != nullptr ? tree->getStringAttribute("PortNumber") : juce::String("(nothing)");
    }

    remote_test::EnglishTexts english;
    remote_test::SettingsFolder settings;
    tessel::OstrelOSCReciever receiver{settings.getStore()};
    tessel::OstrelOSCRecieverEditor panel{receiver};
    juce::int64 time = juce::Time::currentTimeMillis();
};

} // namespace

TEST_F(OscPanelOnScreen, OneClickEditsThePortReturnAndLeavingCommitAndEscapeRestores)
{
    auto& port = panel.getPortLabel();
    {
        // The panel is transparent; the settings window behind it gives the background.
        juce::Image image(juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
        juce::Graphics g(image);
        g.fillAll(panel.getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
        g.drawImageAt(panel.createComponentSnapshot(panel.getLocalBounds()), 0, 0);
        const juce::File file(juce::String(TAVILO_BINARY_DIR) + "/screenshots/osc-panel.png");
        file.getParentDirectory().createDirectory();
        file.deleteFile();
        juce::FileOutputStream stream(file);
        EXPECT_TRUE(juce::PNGImageFormat().writeImageToStream(image, stream));
    }

    // One click opens the field with its text selected; typing replaces it; Return commits.
    click(port);
    ASSERT_TRUE(port.isBeingEdited());
    type("9100");
    press(juce::KeyPress::returnKey);
    EXPECT_FALSE(port.isBeingEdited());
    EXPECT_EQ(receiver.getPort(), 9100);
    EXPECT_EQ(storedPort(), "9100");

    // Escape gives the previous text back and changes nothing.
    click(port);
    ASSERT_TRUE(port.isBeingEdited());
    type("1234");
    press(juce::KeyPress::escapeKey);
    EXPECT_FALSE(port.isBeingEdited());
    EXPECT_EQ(port.getText(), "9100");
    EXPECT_EQ(receiver.getPort(), 9100);

    // Clicking elsewhere keeps what was typed.
    click(port);
    ASSERT_TRUE(port.isBeingEdited());
    type("9200");
    click(panel.getCaptionLabel());
    EXPECT_FALSE(port.isBeingEdited());
    EXPECT_EQ(receiver.getPort(), 9200);
    EXPECT_EQ(storedPort(), "9200");
    EXPECT_FALSE(receiver.isConnected());
}
