#include "processors/DuckingProcessor.h"
#include "processors/ReverbProcessor.h"
#include "support/JuceTestEnvironment.h"
#include "tests/ui/TestChain.h"
#include "tests/ui/UiTestEnvironment.h"
#include "ui/AuxInputUI.h"
#include "ui/DuckingUI.h"
#include "ui/InterfaceImages.h"
#include "ui/KnobPanel.h"
#include "ui/OutputUI.h"
#include "ui/Palette.h"
#include "ui/ReverbUI.h"
#include "ui/VoiceModelComponent.h"

#include <gtest/gtest.h>

namespace tessel
{
namespace
{
using test::TestChain;
using testing_support::runMessageLoop;

/** Counts the value-changed messages a parameter sends to its listeners. */
struct ParameterWrites : juce::AudioProcessorParameter::Listener
{
    explicit ParameterWrites(juce::AudioProcessorParameter& p) : parameter(p) { parameter.addListener(this); }
    ~ParameterWrites() override { parameter.removeListener(this); }
    void parameterValueChanged(int, float) override { ++count; }
    void parameterGestureChanged(int, bool) override {}

    juce::AudioProcessorParameter& parameter;
    int count = 0;
};

juce::AudioProcessorParameter& parameterOf(const NodePtr& node, int index)
{
    return *node->getProcessor()->getParameters()[index];
}

/** Types into a value field the way a user does: a click opens the editor, the typed text replaces
    what it shows (the editor's input filter applies), Return commits. */
void typeInto(ValueField& field, const juce::String& typed)
{
    field.label.showEditor();
    auto* editor = field.label.getCurrentTextEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    editor->insertTextAtCaret(typed);
    editor->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    runMessageLoop(20); // the editor reports Return asynchronously
}

TEST(KnobPanels, TypedValuesAreClampedShownAsPercentAndWritten)
{
    TestChain chain;
    MixLevelUI panel(TestChain::of(chain.mixerNode));
    panel.setBounds(0, 0, 260, 282);
    auto& auxLevel = parameterOf(chain.mixerNode, 1);

    const struct
    {
        const char* typed;
        const char* shown;
        float written;
    } cases[] = {
        {"150", "100%", 1.0f}, {"", "0%", 0.0f},
        {"42", "42%", 0.42f},  {"7x5%", "75%", 0.75f}, // only digits get in
        {"100", "100%", 1.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.typed);
        typeInto(panel.valueField, c.typed);
        EXPECT_FALSE(panel.valueField.label.isBeingEdited());
        EXPECT_EQ(panel.valueField.label.getText(), juce::String(c.shown));
        EXPECT_NEAR(auxLevel.getValue(), c.written, 1e-6f);
        EXPECT_EQ(panel.knob.getValue(), c.written * 100.0f);
    }
}

TEST(KnobPanels, KnobWritesTheParameterAndUpdateShowsChangesMadeElsewhere)
{
    TestChain chain;
    NoiseGateUI panel(TestChain::of(chain.noiseGateNode));
    panel.setBounds(0, 0, 260, 282);
    auto& trigger = parameterOf(chain.noiseGateNode, 0);

    panel.updateKnobPanel();
    EXPECT_EQ(panel.knob.getValue(), 50.0);
    EXPECT_EQ(panel.valueField.label.getText(), "50%");

    ParameterWrites writes(trigger);
    panel.knob.setValue(30.0, juce::sendNotificationSync);
    EXPECT_NEAR(trigger.getValue(), 0.3f, 1e-6f);
    EXPECT_EQ(panel.valueField.label.getText(), "30%");
    EXPECT_EQ(writes.count, 0) << "the knob writes without notifying";

    trigger.setValue(0.29f); // 28.99999...: shown as the knob's own whole number
    panel.updateKnobPanel();
    EXPECT_EQ(panel.knob.getValue(), 29.0);
    EXPECT_EQ(panel.valueField.label.getText(), "29%");

    // While the user is typing, an update moves the knob but leaves the field alone.
    panel.valueField.label.showEditor();
    trigger.setValue(0.8f);
    panel.updateKnobPanel();
    EXPECT_EQ(panel.knob.getValue(), 80.0);
    EXPECT_EQ(panel.valueField.label.getText(), "29%");
    panel.valueField.label.hideEditor(true);

    // Without a processor the panel does nothing.
    NoiseGateUI unbound(TestChain::of(chain.emptyNode));
    unbound.updateKnobPanel();
    unbound.knob.setValue(10.0, juce::sendNotificationSync);
    EXPECT_EQ(unbound.valueField.label.getText(), "");
}

struct DuckingPanel : ::testing::Test
{
    void SetUp() override { panel.setBounds(0, 0, 400, 282); }

    juce::AudioParameterChoice& choice()
    {
        return *dynamic_cast<juce::AudioParameterChoice*>(&parameterOf(chain.duckingNode, 0));
    }

    void click(juce::Button& button)
    {
        button.triggerClick();
        runMessageLoop(20);
    }

    juce::Colour curveColour(int i) { return panel.curves[(size_t)i].getOverlayColour(); }

    TestChain chain;
    DuckingUI panel{TestChain::of(chain.duckingNode)};
};

TEST_F(DuckingPanel, ClickingWeakTwiceWritesOnceAndKeepsWeakLit)
{
    ParameterWrites writes(choice());
    panel.updateDuckingPanel();

    click(panel.buttons[1]);
    EXPECT_EQ(choice().getIndex(), 1);
    EXPECT_EQ(writes.count, 1);

    click(panel.buttons[1]);
    EXPECT_EQ(writes.count, 1);
    EXPECT_TRUE(panel.buttons[1].getToggleState());
    EXPECT_FALSE(panel.buttons[0].getToggleState());
    EXPECT_EQ(panel.getShownMode(), 2);
    EXPECT_EQ(curveColour(1), juce::Colour(palette::activeCyan));
    EXPECT_EQ(curveColour(0), juce::Colour(palette::guideGrey));
    EXPECT_EQ(curveColour(2), juce::Colour(palette::guideGrey));
    // The lit picture lies in front of the other two, still under the ripple.
    EXPECT_GT(panel.getIndexOfChildComponent(&panel.curves[1]),
              panel.getIndexOfChildComponent(&panel.curves[2]));
    EXPECT_LT(panel.getIndexOfChildComponent(&panel.curves[1]),
              panel.getIndexOfChildComponent(&panel.ripple));

    click(panel.buttons[2]);
    EXPECT_EQ(choice().getCurrentChoiceName(), "STRONG");
    EXPECT_EQ(writes.count, 2);
    EXPECT_EQ(curveColour(2), juce::Colour(palette::activeCyan));
}

TEST_F(DuckingPanel, FollowsTheChoiceMadeElsewhereAndGoesGreyWhenDisabled)
{
    choice() = 2;
    panel.updateDuckingPanel();
    EXPECT_TRUE(panel.buttons[2].getToggleState());
    EXPECT_EQ(curveColour(2), juce::Colour(palette::activeCyan));

    panel.setEnabled(false);
    EXPECT_EQ(panel.getShownMode(), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(curveColour(i), juce::Colour(palette::guideGrey)) << i;
    for (auto* child : panel.getChildren())
    {
        EXPECT_FALSE(child->isEnabled());
        EXPECT_NEAR(child->getAlpha(), 0.15f, 0.005f);
    }
    EXPECT_EQ(panel.getComponentAt(panel.buttons[0].getBounds().getCentre()), nullptr)
        << "a disabled panel's buttons take no clicks";

    panel.setEnabled(true);
    EXPECT_EQ(panel.getShownMode(), 3);
    EXPECT_EQ(curveColour(2), juce::Colour(palette::activeCyan));
    EXPECT_FLOAT_EQ(panel.buttons[0].getAlpha(), 1.0f);
}

TEST(ReverbPanel, ListsTheProgramsAndShowsTheirPicturesInOrder)
{
    TestChain chain;
    ReverbUI panel(TestChain::of(chain.reverbNode));
    panel.setBounds(0, 0, 520, 282);
    auto& reverb = chain.processor<ReverbProcessor>(chain.reverbNode);

    ASSERT_EQ(panel.programs.getNumItems(), 6);
    EXPECT_EQ(panel.programs.getItemText(0), "ROOM S");
    EXPECT_EQ(panel.programs.getItemId(5), 6);

    for (int i = 0; i < 6; ++i)
    {
        panel.programs.setSelectedItemIndex(i, juce::sendNotificationSync);
        EXPECT_EQ(reverb.getCurrentProgram(), i);
        EXPECT_EQ(panel.programPicture.getImage(), getInterfaceImage(ReverbUI::getProgramPictureName(i)));
        EXPECT_EQ(ReverbUI::getProgramPictureName(i), juce::String("space_type_") + (char)('a' + i) + ".png");
    }
    EXPECT_EQ(ReverbUI::getProgramPictureName(6), "space_type_a.png");

    // A program chosen elsewhere (the settings, a rebuild) shows up with its picture.
    reverb.setCurrentProgram(3);
    panel.updateReverbPanel();
    EXPECT_EQ(panel.programs.getSelectedItemIndex(), 3);
    EXPECT_EQ(panel.programPicture.getImage(), getInterfaceImage("space_type_d.png"));
    EXPECT_EQ(panel.programPicture.getOverlayColour(), juce::Colour(palette::activeCyan));
}

TEST(ReverbPanel, RingGrowsWithTheWetLevel)
{
    TestChain chain;
    ReverbUI panel(TestChain::of(chain.reverbNode));
    panel.setBounds(0, 0, 520, 282);
    panel.updateReverbPanel();
    const auto area = panel.getRingArea().toFloat();
    ASSERT_FALSE(area.isEmpty());

    for (const auto& [value, scale] : {std::pair{0.0, 0.45f}, {50.0, 0.725f}, {100.0, 1.0f}})
    {
        panel.knob.setValue(value, juce::sendNotificationSync);
        EXPECT_NEAR(parameterOf(chain.reverbNode, 1).getValue(), value / 100.0, 1e-6);
        const auto box = panel.getRingBox();
        EXPECT_NEAR(box.getWidth(), area.getWidth() * scale, 1e-3f);
        EXPECT_NEAR(box.getHeight(), area.getHeight() * scale, 1e-3f);
        EXPECT_EQ(box.getCentre(), area.getCentre());
    }
}

TEST(OutputPanel, MuteGoesThroughTheServiceAndFollowsTheVoiceMute)
{
    TestChain chain;
    std::vector<bool> calls;
    OutputUI panel(TestChain::of(chain.mixerNode), TestChain::of(chain.voiceMuteNode),
                   TestChain::of(chain.outputMeterNode),
                   [&](bool muted)
                   {
                       calls.push_back(muted);
                       parameterOf(chain.voiceMuteNode, 0).setValue(muted ? 1.0f : 0.0f);
                   });
    panel.setBounds(0, 0, 320, 521);

    panel.mute.triggerClick();
    runMessageLoop(20);
    EXPECT_EQ(calls, std::vector<bool>{true});
    EXPECT_TRUE(panel.mute.getToggleState());

    // Unmuted by a command: the next update shows it.
    parameterOf(chain.voiceMuteNode, 0).setValue(0.0f);
    panel.updateKnobPanel();
    EXPECT_FALSE(panel.mute.getToggleState());

    typeInto(panel.valueField, "60");
    EXPECT_NEAR(parameterOf(chain.mixerNode, 2).getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(panel.slider.getValue(), 60.0);
}

TEST(ModelChooser, LabelHidesTheDropDownTextWhileItShowsOne)
{
    VoiceModelComponent chooser;
    chooser.setBounds(0, 0, 300, 40);
    chooser.setVisible(true);
    EXPECT_EQ(chooser.comboBox.getComponentID(), VoiceModelComponent::showLabelId);
    EXPECT_EQ(chooser.label.getBounds(), juce::Rectangle<int>(0, 0, 255, 40));

    chooser.setLabelText("Alice");
    EXPECT_EQ(chooser.comboBox.getComponentID(), VoiceModelComponent::hideLabelId);
    EXPECT_EQ(chooser.label.getText(), "Alice");
    EXPECT_LE(test::sharedLookAndFeel().getComboBoxFont(chooser.comboBox).getHeight(), 0.1f);

    chooser.setLabelText({});
    EXPECT_EQ(chooser.comboBox.getComponentID(), VoiceModelComponent::showLabelId);
    auto* hit = chooser.getComponentAt(20, 20);
    EXPECT_TRUE(hit == &chooser.comboBox || chooser.comboBox.isParentOf(hit))
        << "the label lets clicks through";
}

TEST(PanelGeometry, EveryPartStaysInsideItsPanelAtTheSmallestAndLargestSizes)
{
    TestChain chain;
    AuxInputUI aux;
    DuckingUI ducking(TestChain::of(chain.duckingNode));
    MixLevelUI mixLevel(TestChain::of(chain.mixerNode));
    ReverbUI reverb(TestChain::of(chain.reverbNode));
    OutputUI output(TestChain::of(chain.mixerNode), TestChain::of(chain.voiceMuteNode),
                    TestChain::of(chain.outputMeterNode), {});

    // Panel sizes of the 1065 x 665 and 2880 x 1800 content areas.
    for (const float scale : {665.0f / 1000.0f, 1.8f})
    {
        SCOPED_TRACE(scale);
        auto size = [scale](float w, float h)
        { return juce::Rectangle<int>(0, 0, (int)(w * scale), (int)(h * scale)); };
        aux.setBounds(size(198.0f, 282.0f));
        ducking.setBounds(size(320.5f, 282.0f));
        mixLevel.setBounds(size(259.0f, 282.0f));
        reverb.setBounds(size(518.5f, 282.0f));
        output.setBounds(size(320.5f, 521.6f));

        for (juce::Component* panel :
             std::initializer_list<juce::Component*>{&aux, &ducking, &mixLevel, &reverb, &output})
            for (auto* child : panel->getChildren())
                EXPECT_TRUE(panel->getLocalBounds().contains(child->getBoundsInParent()))
                    << panel->getName() << " " << child->getBoundsInParent().toString();

        // Knob above title above value field, each field centred in its column.
        EXPECT_LE(mixLevel.knob.getBottom(), mixLevel.title.getY());
        EXPECT_LE(mixLevel.title.getBottom(), mixLevel.valueField.getY());
        EXPECT_EQ(mixLevel.valueField.getX(), mixLevel.getWidth() - mixLevel.valueField.getRight());
        EXPECT_EQ(reverb.valueField.getBounds().getCentreX(), reverb.knob.getBounds().getCentreX());
        EXPECT_LE(reverb.programs.getRight(), reverb.getWidth() / 2);

        // The three ducking buttons: equal thirds, 4 pixels apart.
        EXPECT_EQ(ducking.buttons[0].getWidth(), ducking.buttons[2].getWidth());
        EXPECT_EQ(ducking.buttons[1].getX() - ducking.buttons[0].getRight(), 4);
        EXPECT_EQ(ducking.buttons[0].getX(), 8);

        // Output: slider and meter side by side above the value field.
        EXPECT_LE(output.slider.getRight(), output.meter.getX());
        EXPECT_LE(output.meter.getBottom(), output.valueField.getY());
    }
}
} // namespace
} // namespace tessel
