#include "app/ErrorMessageManager.h"
#include "BinaryData.h"
#include "support/JuceTestEnvironment.h"

#include <set>

using tessel::ErrorMessageManager;

namespace
{
/** Remembers what it was told, one line per call. */
struct RecordingDisplay : ErrorMessageManager::Display
{
    void showMessage(const juce::String& text, bool blocking) override
    {
        calls.add("show " + text + (blocking ? " (blocking)" : ""));
    }
    void hideMessage() override { calls.add("hide"); }
    juce::StringArray calls;
};

class ErrorMessages : public testing::Test
{
protected:
    void SetUp() override
    {
        juce::LocalisedStrings::setCurrentMappings(new juce::LocalisedStrings(
            juce::String::fromUTF8(BinaryData::en_tra, BinaryData::en_traSize), true));
        manager.addDisplay(&display);
    }
    void TearDown() override { juce::LocalisedStrings::setCurrentMappings(nullptr); }

    void refresh()
    {
        manager.triggerAsyncUpdate();
        testing_support::runMessageLoop(30);
    }

    ErrorMessageManager manager;
    RecordingDisplay display;
};
} // namespace

TEST_F(ErrorMessages, TheHighestPendingCodeIsShownWithItsBlockingFlag)
{
    const struct
    {
        std::set<int> raised;
        const char* shown;
    } cases[] = {
        {{}, "hide"},
        {{ErrorMessageManager::noVoiceInputRouting},
         "show Please setup Input Channels Routing (Voice) (blocking)"},
        {{ErrorMessageManager::noInputDevice}, "show Please setup Audio Device (Input) (blocking)"},
        {{ErrorMessageManager::noInputDevice, ErrorMessageManager::noOutputDevice},
         "show Please setup Audio Device (Output) (blocking)"},
        {{ErrorMessageManager::noVoiceInputRouting, ErrorMessageManager::recording}, "show Recording now."},
        {{2, 3, 4, 5}, "show Recording now."},
    };

    for (const auto& c : cases)
    {
        for (int code = 0; code < 8; ++code)
            manager.clearMessage(code);
        for (const int code : c.raised)
            manager.raiseMessage(code);
        display.calls.clear();
        refresh();
        EXPECT_EQ(display.calls, juce::StringArray(c.shown)) << c.shown;
    }
}

TEST_F(ErrorMessages, RecordingHidesTheRoutingMessageUntilItStops)
{
    manager.raiseMessage(ErrorMessageManager::noVoiceInputRouting);
    manager.raiseMessage(ErrorMessageManager::recording);
    refresh();
    manager.clearMessage(ErrorMessageManager::recording);
    refresh();
    EXPECT_EQ(display.calls,
              juce::StringArray("show Recording now.",
                                "show Please setup Input Channels Routing (Voice) (blocking)"));
}

TEST_F(ErrorMessages, ManyChangesGiveOneRefreshAndRaiseThenClearShowsNothing)
{
    manager.raiseMessage(ErrorMessageManager::noInputDevice);
    manager.triggerAsyncUpdate();
    manager.clearMessage(ErrorMessageManager::noInputDevice);
    manager.triggerAsyncUpdate();
    manager.raiseMessage(ErrorMessageManager::recording);
    manager.clearMessage(ErrorMessageManager::recording);
    manager.triggerAsyncUpdate();
    EXPECT_TRUE(display.calls.isEmpty()); // nothing happens before the message loop runs
    testing_support::runMessageLoop(30);
    EXPECT_EQ(display.calls, juce::StringArray("hide"));
}

TEST_F(ErrorMessages, EveryDisplayIsToldInOrderAndUnknownCodesAreIgnored)
{
    RecordingDisplay second;
    manager.addDisplay(&second);
    manager.addDisplay(&display); // already listed
    manager.raiseMessage(1);
    manager.raiseMessage(17);
    manager.raiseMessage(-3);
    manager.raiseMessage(99);
    EXPECT_FALSE(manager.isMessageRaised(1));
    refresh();
    EXPECT_EQ(display.calls, juce::StringArray("hide"));
    EXPECT_EQ(second.calls, juce::StringArray("hide"));

    manager.removeDisplay(&display);
    manager.raiseMessage(ErrorMessageManager::noOutputDevice);
    refresh();
    EXPECT_EQ(display.calls.size(), 1);
    EXPECT_EQ(second.calls[1], "show Please setup Audio Device (Output) (blocking)");
    manager.removeDisplay(&second);
}

TEST(ErrorMessageManagerInstance, IsCreatedOnceAndCanBeDeleted)
{
    auto* first = ErrorMessageManager::getInstance();
    EXPECT_EQ(ErrorMessageManager::getInstance(), first);
    ErrorMessageManager::deleteInstance();
    EXPECT_EQ(ErrorMessageManager::getInstanceWithoutCreating(), nullptr);
}
