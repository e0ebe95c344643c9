#pragma once

// Include from any test file of a suite that uses JUCE: the first inclusion registers one gtest
// environment that keeps JUCE initialised (message manager on the test thread) for the whole run.

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <ostream>

namespace testing_support
{

/** Keeps JUCE initialised while the tests run; the test thread is JUCE's message thread. */
class JuceTestEnvironment : public testing::Environment
{
public:
    void SetUp() override { initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { initialiser.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
};

inline testing::Environment* const juceTestEnvironment =
    testing::AddGlobalTestEnvironment(new JuceTestEnvironment);

/** Runs the message loop for a while, so that asynchronous updates and timers are delivered. */
inline void runMessageLoop(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

} // namespace testing_support

namespace juce
{
/** Readable gtest messages for JUCE strings. */
inline void PrintTo(const String& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const StringArray& texts, std::ostream* os)
{
    *os << "{\"" << texts.joinIntoString("\", \"").toStdString() << "\"}";
}
} // namespace juce
