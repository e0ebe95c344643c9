#include "remote/OstrelOSCRecieverEditor.h"
#include "tests/remote/RemoteTestSupport.h"

using tessel::OstrelOSCReciever;
using tessel::OstrelOSCRecieverEditor;

namespace
{

class OscPanel : public testing::Test
{
protected:
    void SetUp() override
    {
        receiver = std::make_unique<OstrelOSCReciever>(settings.getStore());
        receiver->setErrorPresenter([this](const juce::String&, const juce::String& message)
                                    { errors.add(message); });
        editor = std::make_unique<OstrelOSCRecieverEditor>(*receiver);
    }

    void TearDown() override
    {
        editor.reset();
        receiver.reset();
    }

    /** Commits a text in the port field, as Return or leaving the field does. */
    void commitPort(const juce::String& text)
    {
        editor->getPortLabel().setText(text, juce::sendNotificationSync);
    }

    void click()
    {
        editor->getConnectButton().triggerClick();
        testing_support::runMessageLoop(20);
    }

    juce::String storedPort()
    {
        const auto* tree = settings.getStore().getXml(tessel::PropertiesFileManager::oscSetupKey);
        return tree != nullptr ? tree->getStringAttribute("PortNumber") : juce::String("(nothing)");
    }

    static int freePort()
    {
        juce::DatagramSocket probe;
        probe.setEnablePortReuse(false);
        probe.bindToPort(0);
        return probe.getBoundPort();
    }

    remote_test::EnglishTexts english;
    remote_test::SettingsFolder settings;
    std::unique_ptr<OstrelOSCReciever> receiver;
    std::unique_ptr<OstrelOSCRecieverEditor> editor;
    juce::StringArray errors;
};

} // namespace

TEST_F(OscPanel, ShowsTheTextsAndLaysOutTheRows)
{
    EXPECT_EQ(editor->getTitleLabel().getText(), "OSC Reciever Settings");
    EXPECT_EQ(editor->getCaptionLabel().getText(), "Listen Port:");
    EXPECT_EQ(editor->getPortLabel().getText(), "53800");
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Connect");
    EXPECT_TRUE(editor->getPortLabel().isEditableOnSingleClick());
    EXPECT_FALSE(editor->getPortLabel().isEditableOnDoubleClick());
    EXPECT_FALSE(editor->getPortLabel().doesLossOfFocusDiscardChanges());

    const struct
    {
        int width, height;
        juce::Rectangle<int> title, caption, port, button;
        float titleFont, captionFont, portFont;
    } table[] = {
        {500,
         100,
         {0, 0, 500, 40},
         {0, 40, 100, 40},
         {100, 40, 325, 40},
         {435, 40, 65, 40},
         24.0f,
         20.0f,
         16.0f},
        // Products are truncated: 0.4 x 77 = 30.8 gives 30, 0.65 x 333 = 216.45 gives 216.
        {333,
         77,
         {0, 0, 333, 30},
         {0, 30, 66, 30},
         {66, 30, 216, 30},
         {288, 30, 45, 30},
         18.0f,
         15.0f,
         12.0f},
        {0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0.1f, 0.1f, 0.1f},
    };
    for (const auto& entry : table)
    {
        SCOPED_TRACE(juce::String(entry.width) + " x " + juce::String(entry.height));
        editor->setSize(entry.width, entry.height);
        EXPECT_EQ(editor->getTitleLabel().getBounds(), entry.title);
        EXPECT_EQ(editor->getCaptionLabel().getBounds(), entry.caption);
        EXPECT_EQ(editor->getPortLabel().getBounds(), entry.port);
        EXPECT_EQ(editor->getConnectButton().getBounds(), entry.button);
        EXPECT_FLOAT_EQ(editor->getTitleLabel().getFont().getHeight(), entry.titleFont);
        EXPECT_FLOAT_EQ(editor->getCaptionLabel().getFont().getHeight(), entry.captionFont);
        EXPECT_FLOAT_EQ(editor->getPortLabel().getFont().getHeight(), entry.portFont);
    }
    EXPECT_EQ(editor->getTitleLabel().getJustificationType(), juce::Justification::centred);
    EXPECT_EQ(editor->getCaptionLabel().getJustificationType(), juce::Justification::centredRight);
    EXPECT_EQ(editor->getPortLabel().getJustificationType(), juce::Justification::centredLeft);
}

TEST_F(OscPanel, TheButtonConnectsAndDisconnects)
{
    commitPort(juce::String(freePort()));
    click();
    EXPECT_TRUE(receiver->isConnected());
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Disconnect");

    click();
    EXPECT_FALSE(receiver->isConnected());
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Connect");

    // A port that cannot be bound shows the error and the button stays "Connect".
    commitPort("70000");
    click();
    EXPECT_FALSE(receiver->isConnected());
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Connect");
    EXPECT_EQ(errors, juce::StringArray("Error: could not connect to UDP port70000"));
}

TEST_F(OscPanel, ANewPortIsStoredAndReconnectsOnlyWhileConnected)
{
    // Disconnected: the port is set and stored, nothing is bound.
    const int first = freePort();
    commitPort(juce::String(first));
    EXPECT_EQ(receiver->getPort(), first);
    EXPECT_EQ(storedPort(), juce::String(first));
    EXPECT_FALSE(receiver->isConnected());

    click();
    ASSERT_TRUE(receiver->isConnected());
    ASSERT_EQ(receiver->getBoundPort(), first);

    // Connected: the receiver moves to the new port and releases the old one.
    const int second = freePort();
    commitPort(juce::String(second));
    EXPECT_TRUE(receiver->isConnected());
    EXPECT_EQ(receiver->getBoundPort(), second);
    EXPECT_EQ(storedPort(), juce::String(second));
    EXPECT_EQ(editor->getPortLabel().getText(), juce::String(second));
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Disconnect");
    juce::DatagramSocket probe;
    probe.setEnablePortReuse(false);
    EXPECT_TRUE(probe.bindToPort(first));

    // A port that fails while connected: the error, disconnected, and the entered value is kept.
    commitPort("70000");
    EXPECT_FALSE(receiver->isConnected());
    EXPECT_EQ(storedPort(), "70000");
    EXPECT_EQ(editor->getPortLabel().getText(), "70000");
    EXPECT_EQ(editor->getConnectButton().getButtonText(), "Connect");
    EXPECT_EQ(errors.size(), 1);
}

TEST_F(OscPanel, TextThatIsNotANumberReadsAsZeroAndBindsAPortTheSystemChooses)
{
    commitPort("abc");
    EXPECT_EQ(receiver->getPort(), 0);
    EXPECT_EQ(editor->getPortLabel().getText(), "0");
    EXPECT_EQ(storedPort(), "0");

    click();
    EXPECT_TRUE(receiver->isConnected());
    EXPECT_GT(receiver->getBoundPort(), 0);
    EXPECT_TRUE(errors.isEmpty());
}
