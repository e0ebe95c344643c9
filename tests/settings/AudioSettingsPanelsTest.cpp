#include "SettingsTestSupport.h"

#include "app/ErrorMessageManager.h"
#include "ui/ChannelSelectorListBox.h"
#include "ui/OstrelAudioDeviceSelector.h"

namespace tessel::test
{
namespace
{
/** The audio section as the settings overlay shows it, on the JACK device with three inputs of
    which none is routed yet. */
class AudioSection : public SettingsOnJack
{
protected:
    void SetUp() override
    {
        startService(nothingRouted);
        if (HasFatalFailure())
            return;
        service->onGraphRebuilt = [this] { ++rebuilds; };
        auto component = service->createSettingsComponent();
        selector.reset(dynamic_cast<OstrelAudioDeviceSelector*>(component.release()));
        ASSERT_NE(selector, nullptr) << "the service makes the application's selector";
        selector->setBounds(0, 0, 800, 700);
    }

    void TearDown() override
    {
        selector.reset();
        SettingsOnJack::TearDown();
    }

    AudioInputRoutingPanel& routing() { return selector->getRoutingPanel(); }

    const juce::String none = "<< none >>";
    int rebuilds = 0;
    std::unique_ptr<OstrelAudioDeviceSelector> selector;
};

TEST_F(AudioSection, ListsTheActiveInputsAndGivesTheVoiceTheFirstOneWhenNoneIsRouted)
{
    // Nothing was routed before: the panel routes the first active channel and wires it at once.
    EXPECT_EQ(itemsOf(routing().getVoiceDropDown()),
              juce::StringArray(none, "source_1", "source_2", "source_3"));
    EXPECT_EQ(routing().getVoiceDropDown().getText(), "source_1");
    EXPECT_EQ(service->getRouting().voice, 0);
    EXPECT_TRUE(service->isVoiceConnected());
    EXPECT_FALSE(
        ErrorMessageManager::getInstance()->isMessageRaised(ErrorMessageManager::noVoiceInputRouting));
    EXPECT_EQ(routing().getBgmLeftDropDown().getText(), none);

    // The MIDI lists are gone, the advanced settings are shown directly and every text is translated.
    auto* panel = selector->getSettingsPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->getSampleRateDropDown(), nullptr);
    EXPECT_EQ(panel->getSampleRateDropDown()->getText(), "44100 Hz");
    ASSERT_NE(panel->getBufferSizeDropDown(), nullptr);
    EXPECT_EQ(panel->getBufferSizeDropDown()->getText(), "256 samples (5.8 ms)");
    ASSERT_NE(panel->getInputChannelList(), nullptr);
    EXPECT_EQ(panel->getInputChannelList()->getItems(),
              juce::StringArray("source_1", "source_2", "source_3"));
    EXPECT_EQ(selector->getTitleLabel().getText(), "Audio Device Settings");
    EXPECT_EQ(selector->getRoutingLabel().getText(), "Input Channels Routing:");
    for (auto* child : selector->getChildren())
        EXPECT_EQ(dynamic_cast<juce::ListBox*>(child), nullptr) << "no MIDI input list";
}

TEST_F(AudioSection, ChoosingAChannelRebuildsTheChainAndTheNextRefreshShowsIt)
{
    const int before = rebuilds;
    choose(routing().getBgmLeftDropDown(), "source_3");
    EXPECT_GT(rebuilds, before);
    EXPECT_EQ(service->getRouting().bgmLeft, 2);
    EXPECT_TRUE(service->isBgmLeftConnected());

    // The once-a-second refresh keeps the choice.
    const int afterChoice = rebuilds;
    testing_support::runMessageLoop(1300);
    EXPECT_EQ(routing().getBgmLeftDropDown().getText(), "source_3");
    EXPECT_EQ(service->getRouting().bgmLeft, 2);
    EXPECT_EQ(rebuilds, afterChoice) << "a refresh that changes nothing rebuilds nothing";
}

TEST_F(AudioSection, TheNoneEntryForTheVoiceRoutesTheFirstChannelAgainOnTheNextRefresh)
{
    choose(routing().getVoiceDropDown(), "source_2");
    ASSERT_EQ(service->getRouting().voice, 1);

    choose(routing().getVoiceDropDown(), none);
    EXPECT_EQ(service->getRouting().voice, -1);
    EXPECT_FALSE(service->isVoiceConnected());

    ASSERT_TRUE(runUntil([&] { return service->getRouting().voice == 0; }, 1500));
    EXPECT_EQ(routing().getVoiceDropDown().getText(), "source_1");
    EXPECT_TRUE(service->isVoiceConnected()) << "what the list shows is wired";
}

TEST_F(AudioSection, StereoToggleShowsTheAuxRightRowAndRenamesTheAuxLeftRole)
{
    auto& toggle = routing().getStereoToggle();
    EXPECT_FALSE(toggle.getToggleState());
    EXPECT_EQ(routing().getBgmLeftLabel().getText(), "---> AUX (Optional)");
    EXPECT_FALSE(routing().getBgmRightDropDown().isVisible());
    EXPECT_EQ(routing().getHeight(), 150);
    EXPECT_EQ(toggle.getBounds(), juce::Rectangle<int>(0, 100, 140, 40));

    toggle.triggerClick();
    testing_support::runMessageLoop(50);
    EXPECT_EQ(service->getRouting().bgmInputAsStereo, 1);
    EXPECT_EQ(routing().getBgmLeftLabel().getText(), "---> AUX Left (Optional)");
    EXPECT_TRUE(routing().getBgmRightDropDown().isVisible());
    EXPECT_EQ(routing().getBgmRightDropDown().getBounds(), juce::Rectangle<int>(0, 100, 140, 40));
    EXPECT_EQ(routing().getHeight(), 200) << "the selector lays the taller panel out";
    EXPECT_EQ(toggle.getBounds(), juce::Rectangle<int>(0, 150, 140, 40));

    choose(routing().getBgmRightDropDown(), "source_3");
    EXPECT_TRUE(service->isBgmRightConnected());

    toggle.triggerClick();
    testing_support::runMessageLoop(50);
    EXPECT_EQ(service->getRouting().bgmInputAsStereo, 0);
    EXPECT_EQ(routing().getBgmLeftLabel().getText(), "---> AUX (Optional)");
    EXPECT_EQ(routing().getHeight(), 150);
}

TEST_F(AudioSection, DeactivatingAnInputRemovesItFromTheListsAndClearsOnlyItsRole)
{
    choose(routing().getBgmLeftDropDown(), "source_2");
    routing().getStereoToggle().triggerClick();
    testing_support::runMessageLoop(50);
    choose(routing().getBgmRightDropDown(), "source_3");
    ASSERT_EQ(service->getRouting(), (RoutingOrders{0, 1, 2, 1}));

    // Untick source_2 in the active input channels, as a click on its tick box does.
    auto* inputs = selector->getSettingsPanel()->getInputChannelList();
    ASSERT_NE(inputs, nullptr);
    inputs->flipEnablement(1);

    ASSERT_TRUE(runUntil([&] { return itemsOf(routing().getVoiceDropDown()).size() == 3; }, 1500));
    EXPECT_EQ(itemsOf(routing().getBgmRightDropDown()), juce::StringArray(none, "source_1", "source_3"));
    EXPECT_EQ(routing().getVoiceDropDown().getText(), "source_1");
    EXPECT_EQ(routing().getBgmLeftDropDown().getText(), none);
    // AUX right stays on its channel, now the second active one.
    EXPECT_EQ(routing().getBgmRightDropDown().getText(), "source_3");
    ASSERT_TRUE(runUntil([&] { return service->getRouting() == RoutingOrders{0, -1, 1, 1}; }, 1500));
    EXPECT_TRUE(service->isBgmRightConnected());
    EXPECT_FALSE(service->isBgmLeftConnected());
}

TEST_F(AudioSection, WithoutADeviceEveryRoutingListHoldsOnlyTheNoneEntryAndTheRoutingIsKept)
{
    choose(routing().getBgmLeftDropDown(), "source_3");
    const RoutingOrders routed{0, 2, -1, 0};
    ASSERT_EQ(service->getRouting(), routed);

    service->getDeviceManager().closeAudioDevice();
    selector->updateAllControls();

    for (auto* box :
         {&routing().getVoiceDropDown(), &routing().getBgmLeftDropDown(), &routing().getBgmRightDropDown()})
    {
        EXPECT_EQ(itemsOf(*box), juce::StringArray(none));
        EXPECT_EQ(box->getText(), none);
    }
    auto* panel = selector->getSettingsPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->getInputDeviceDropDown(), nullptr);
    EXPECT_EQ(panel->getInputDeviceDropDown()->getText(), none);
    EXPECT_EQ(panel->getInputChannelList(), nullptr);

    // The device back, the routing shows as it was.
    EXPECT_EQ(service->getRouting(), routed);
    service->getDeviceManager().restartLastAudioDevice();
    ASSERT_TRUE(runUntil([&] { return routing().getBgmLeftDropDown().getText() == "source_3"; }, 3000));
    EXPECT_EQ(routing().getVoiceDropDown().getText(), "source_1");
    EXPECT_EQ(service->getRouting(), routed);
}

TEST(ChannelPairNames, JoinAtABlankOnly)
{
    EXPECT_EQ(ChannelSelectorListBox::getNameForChannelPair("input 1", "input 2"), "input 1 + 2");
    EXPECT_EQ(ChannelSelectorListBox::getNameForChannelPair("input 11", "input 12"), "input 11 + 12");
    EXPECT_EQ(ChannelSelectorListBox::getNameForChannelPair("Left", "Right"), "Left + Right");
}
} // namespace
} // namespace tessel::test
