#include "ScreenOnJack.h"

#include "app/ErrorMessageManager.h"
#include "processors/DuckingProcessor.h"
#include "ui/InterfaceImages.h"
#include "ui/LevelMeter.h"
#include "ui/Palette.h"

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

const RoutingOrders voiceAndStereoAux{0, 1, 2, 1};

/** Records the commands the screen invokes. */
struct RecordingCommands : juce::ApplicationCommandTarget
{
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands(juce::Array<juce::CommandID>& commands) override { commands.addArray({15, 25, 26}); }
    void getCommandInfo(juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        info.setInfo("command " + juce::String(id), {}, {}, 0);
    }
    bool perform(const InvocationInfo& info) override
    {
        invoked.push_back(info.commandID);
        return true;
    }
    std::vector<int> invoked;
};

juce::AudioProcessorParameter& parameterOf(const NodePtr& node, int index)
{
    return *node->getProcessor()->getParameters()[index];
}

juce::Point<int> centreOf(const juce::Component& c, const juce::Component& in)
{
    return in.getLocalPoint(&c, c.getLocalBounds().getCentre());
}

using MainScreen = ScreenOnJack;

TEST_F(MainScreen, WideWindowCentresA16To10ContentAreaWithBars)
{
    startService(voiceAndStereoAux);
    showScreen(2000, 1000);
    auto& s = screen();

    EXPECT_EQ(s.getSignalFlow().getBounds(), juce::Rectangle<int>(200, 0, 1600, 1000));
    EXPECT_EQ(s.getHeader().getBounds(), juce::Rectangle<int>(222, 0, 1556, 156));
    EXPECT_EQ(s.getInputPanel().getX(), 222);
    EXPECT_EQ(s.getFooter().getBottom(), 1000);
    EXPECT_EQ(s.getNoiseGatePanel().getRight(), 1778);
    EXPECT_EQ(s.getMessageOverlay().getBounds(), juce::Rectangle<int>(0, 0, 2000, 1000));

    // Every panel lies inside the content area, none overlaps another.
    std::vector<juce::Component*> panels{&s.getHeader(),        &s.getInputPanel(),    &s.getModelPanel(),
                                         &s.getOutputPanel(),   &s.getAuxInputPanel(), &s.getDuckingPanel(),
                                         &s.getMixLevelPanel(), &s.getReverbPanel(),   &s.getNoiseGatePanel(),
                                         &s.getFooter()};
    for (size_t i = 0; i < panels.size(); ++i)
    {
        EXPECT_TRUE(s.getSignalFlow().getBounds().contains(panels[i]->getBounds())) << i;
        for (size_t j = i + 1; j < panels.size(); ++j)
            EXPECT_FALSE(panels[i]->getBounds().intersects(panels[j]->getBounds())) << i << " " << j;
    }

    // Images scale with the screen's height.
    EXPECT_FLOAT_EQ(getUIScale(s.getInputPanel().frame), 1000.0f / 1800.0f);
}

TEST_F(MainScreen, TypedValueIsClampedShownAndWrittenToTheRunningChain)
{
    startService(voiceAndStereoAux);
    showScreen(1792, 1120);
    auto& field = screen().getMixLevelPanel().valueField;

    for (const auto& [typed, shown, written] :
         {std::tuple{"150", "100%", 1.0f}, {"", "0%", 0.0f}, {"35", "35%", 0.35f}})
    {
        SCOPED_TRACE(typed);
        clickAt(centreOf(field, screen()));
        auto* editor = field.label.getCurrentTextEditor();
        ASSERT_NE(editor, nullptr) << "a single click opens the editor";
        editor->selectAll();
        editor->insertTextAtCaret(typed);
        editor->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        runMessageLoop(50);
        EXPECT_EQ(field.label.getText(), juce::String(shown));
        EXPECT_NEAR(parameterOf(service->getMixerNode(), 1).getValue(), written, 1e-6f);
    }
}

TEST_F(MainScreen, ClickingWeakTwiceWritesTheDuckingLevelOnce)
{
    startService(voiceAndStereoAux);
    showScreen(1792, 1120);
    auto& ducking = screen().getDuckingPanel();

    struct Writes : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged(int, float) override { ++count; }
        void parameterGestureChanged(int, bool) override {}
        int count = 0;
    } writes;
    auto& choice = parameterOf(service->getDuckingNode(), 0);
    choice.addListener(&writes);

    clickAt(centreOf(ducking.buttons[1], screen()));
    clickAt(centreOf(ducking.buttons[1], screen()));
    choice.removeListener(&writes);

    EXPECT_EQ(writes.count, 1);
    EXPECT_EQ(dynamic_cast<juce::AudioParameterChoice&>(choice).getCurrentChoiceName(), "WEAK");
    EXPECT_TRUE(ducking.buttons[1].getToggleState());
    EXPECT_EQ(ducking.curves[1].getOverlayColour(), juce::Colour(palette::activeCyan));
}

TEST_F(MainScreen, BypassDimsTheSlotsDisablesTheChoosersAndSwitchesTheSignalFlow)
{
    startService(voiceAndStereoAux);
    service->setConversionBypassed(false);
    showScreen(1792, 1120);
    auto& model = screen().getModelPanel();
    ASSERT_FALSE(model.bypass.getToggleState());
    EXPECT_FALSE(screen().getSignalFlow().isBypassed());

    clickAt(centreOf(model.bypass, screen()));
    EXPECT_TRUE(service->getVocaformNode()->isBypassed());
    EXPECT_TRUE(service->getGainNode()->isBypassed());
    EXPECT_TRUE(model.bypass.getToggleState());
    EXPECT_TRUE(screen().getSignalFlow().isBypassed());
    EXPECT_EQ(screen().getSignalFlow().flow[2].getImage(),
              getInterfaceImage("signalflow_bypass_on_3of4.png"));

    const int active = model.getActiveSlot();
    for (int i = 0; i < 2; ++i)
    {
        auto& slot = model.slots[(size_t)i];
        EXPECT_NEAR(slot.mark.getAlpha(), 0.2f, 0.005f);
        EXPECT_NEAR(slot.picture.getAlpha(), 0.2f, 0.005f);
        EXPECT_NEAR(slot.frame.getAlpha(), i == active ? 0.2f : 0.15f, 0.005f);
        EXPECT_FALSE(slot.chooser.isEnabled());
    }

    clickAt(centreOf(model.bypass, screen()));
    EXPECT_FALSE(service->getVocaformNode()->isBypassed());
    EXPECT_FALSE(screen().getSignalFlow().isBypassed());
    EXPECT_NEAR(model.slots[(size_t)active].frame.getAlpha(), 1.0f, 0.005f);
    EXPECT_NEAR(model.slots[(size_t)(1 - active)].frame.getAlpha(), 0.3f, 0.005f);
    EXPECT_TRUE(model.slots[(size_t)active].chooser.isEnabled());
}

TEST_F(MainScreen, WithoutAuxRoutingTheThreeAuxPanelsAreDimmedAndIgnoreClicks)
{
    startService({0, -1, -1, 0});
    showScreen(1792, 1120);
    auto& s = screen();

    for (juce::Component* panel : std::initializer_list<juce::Component*>{
             &s.getAuxInputPanel(), &s.getDuckingPanel(), &s.getMixLevelPanel()})
    {
        EXPECT_FALSE(panel->isEnabled());
        for (auto* child : panel->getChildren())
            EXPECT_NEAR(child->getAlpha(), 0.15f, 0.005f);
    }
    EXPECT_TRUE(s.getNoiseGatePanel().isEnabled());
    for (auto& curve : s.getDuckingPanel().curves)
        EXPECT_EQ(curve.getOverlayColour(), juce::Colour(palette::guideGrey));

    const auto before = parameterOf(service->getDuckingNode(), 0).getValue();
    clickAt(centreOf(s.getDuckingPanel().buttons[2], s));
    EXPECT_EQ(parameterOf(service->getDuckingNode(), 0).getValue(), before);
    clickAt(centreOf(s.getMixLevelPanel().valueField, s));
    EXPECT_EQ(s.getMixLevelPanel().valueField.label.getCurrentTextEditor(), nullptr);

    // Routed again: the panels come back.
    service->setRouting(voiceAndStereoAux);
    service->rebuildGraph();
    s.refresh();
    EXPECT_TRUE(s.getDuckingPanel().isEnabled());
    EXPECT_NEAR(s.getDuckingPanel().buttons[0].getAlpha(), 1.0f, 0.005f);
    EXPECT_EQ(s.getAuxInputPanel().status.getText(), juce::String(client->getName()));
}

TEST_F(MainScreen, BlockingMessageDimsTheScreenAndTakesEveryClickButTheSettingsButton)
{
    startService({-1, 1, 2, 1}); // no voice routing: a blocking message
    showScreen(1792, 1120);
    RecordingCommands commands;
    juce::ApplicationCommandManager manager;
    manager.registerAllCommandsForTarget(&commands);
    manager.setFirstCommandTarget(&commands);
    screen().setCommandManager(&manager);

    auto& overlay = screen().getMessageOverlay();
    ASSERT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.label.getText(), "Please setup Input Channels Routing (Voice)");
    EXPECT_FLOAT_EQ(overlay.getOpacity(), 0.5f);

    // Half-black over the screen: a pixel of the background behind an empty spot, darkened.
    const auto image = snapshot();
    const auto spot = juce::Point<int>(5, 600);
    overlay.setVisible(false);
    const auto undimmed = snapshot().getPixelAt(spot.x, spot.y);
    overlay.setVisible(true);
    const auto dimmed = image.getPixelAt(spot.x, spot.y);
    EXPECT_NEAR(dimmed.getRed(), undimmed.getRed() / 2, 2);
    EXPECT_NEAR(dimmed.getBlue(), undimmed.getBlue() / 2, 2);

    // Clicks on the controls go nowhere.
    auto& output = screen().getOutputPanel();
    clickAt(centreOf(output.mute, screen()));
    EXPECT_FALSE(service->isMuted());
    clickAt(centreOf(screen().getHeader().softReset, screen()));
    EXPECT_TRUE(commands.invoked.empty());

    // The overlay's settings button lies exactly over the header's, and works.
    EXPECT_EQ(screen().getLocalArea(&overlay.settings, overlay.settings.getLocalBounds()),
              screen().getLocalArea(&screen().getHeader().settings,
                                    screen().getHeader().settings.getLocalBounds()));
    clickAt(centreOf(overlay.settings, screen()));
    runMessageLoop(100);
    EXPECT_EQ(commands.invoked, std::vector<int>{15});

    // Without the message the same clicks reach the screen.
    ErrorMessageManager::getInstance()->clearMessage(ErrorMessageManager::noVoiceInputRouting);
    ErrorMessageManager::getInstance()->triggerAsyncUpdate();
    runMessageLoop(100);
    EXPECT_FALSE(overlay.isVisible());
    clickAt(centreOf(output.mute, screen()));
    EXPECT_TRUE(service->isMuted());
    clickAt(centreOf(screen().getHeader().softReset, screen()));
    runMessageLoop(100);
    EXPECT_EQ(commands.invoked, (std::vector<int>{15, 25}));
    screen().setCommandManager(nullptr);
}

TEST_F(MainScreen, MetersFollowASignalPlayedIntoTheDeviceInput)
{
    startService(voiceAndStereoAux);
    showScreen(1792, 1120);
    auto& inputMeter = screen().getInputPanel().meter;
    auto& outputMeter = screen().getOutputPanel().meter;
    EXPECT_EQ(inputMeter.getLevel(), 0.0f);

    // A 0.25 sine has an RMS of 0.177 (-15 dB): 50/77 of the meter. Bypassed, without reverb, the
    // voice reaches the output at the same level.
    client->startPlaying({sine(441.0, 0.25f)});
    runMessageLoop(500);
    const float expected = LevelMeter::levelForReading(0.25f / std::sqrt(2.0f), -65.0f, 12.0f);
    EXPECT_NEAR(inputMeter.getLevel(), expected, 0.01f);
    EXPECT_NEAR(outputMeter.getLevel(), expected, 0.02f);

    client->stopPlaying();
    runMessageLoop(500);
    EXPECT_EQ(inputMeter.getLevel(), 0.0f);
    EXPECT_LT(outputMeter.getLevel(), 0.1f);
}
} // namespace
} // namespace tessel::test

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

using ModelSlots = ScreenOnJack;

TEST_F(ModelSlots, ShowTheLibrarysModelsAndSelectAndFillSlotsThroughTheViewModel)
{
    startService({0, 1, 2, 1}, "en", true);
    showScreen(1792, 1120);
    const auto aliceAnna = modelIdentifier("Alice", "Anna");
    const auto aliceBen = modelIdentifier("Alice", "Ben");
    const auto bobAnna = modelIdentifier("Bob", "Anna");
    ASSERT_TRUE(aliceAnna.isNotEmpty() && aliceBen.isNotEmpty() && bobAnna.isNotEmpty());

    viewModel().setSlot(0, aliceAnna);
    viewModel().setSlot(1, bobAnna);
    auto& model = screen().getModelPanel();
    auto& a = model.slots[0];
    auto& b = model.slots[1];

    // One sub-menu per character, in group order, one item per model.
    auto* root = a.chooser.comboBox.getRootMenu();
    juce::StringArray menus;
    for (juce::PopupMenu::MenuItemIterator it(*root); it.next();)
        if (it.getItem().subMenu != nullptr)
            menus.add(it.getItem().text + ":" + juce::String(it.getItem().subMenu->getNumItems()));
    EXPECT_EQ(menus, juce::StringArray({"Alice:2", "Bob:1"}));
    EXPECT_EQ(a.chooser.comboBox.getNumItems(), 3);
    EXPECT_EQ(model.getIdentifierOfItem(0, a.chooser.comboBox.getSelectedId()), aliceAnna);
    EXPECT_EQ(model.getIdentifierOfItem(1, b.chooser.comboBox.getSelectedId()), bobAnna);
    EXPECT_EQ(a.chooser.label.getText(), "Alice");
    EXPECT_EQ(a.chooser.comboBox.getComponentID(), VoiceModelComponent::hideLabelId);
    EXPECT_EQ(a.chooser.comboBox.getTextWhenNoChoicesAvailable(), "No voice models");

    // The packages' own pictures, untinted; the active slot's mark is ticked.
    EXPECT_NE(a.picture.getImage(), getInterfaceImage("symbol_image_placeholder.png"));
    EXPECT_EQ(a.picture.getImage().getWidth(), 256);
    EXPECT_EQ(a.mark.getImage(), getInterfaceImage("checkmark_check.png"));
    EXPECT_EQ(b.mark.getImage(), getInterfaceImage("checkmark_uncheck.png"));
    EXPECT_EQ(screen().getInputPanel().narrator.getText(), "Anna");
    EXPECT_TRUE(screen().getInputPanel().narrator.isEnabled());
    EXPECT_EQ(service->getModel(), viewModel().getCurrentPackage());

    // A click on slot B selects it: the converter gets B's model.
    clickAt(screen().getLocalPoint(&model, b.frame.getBounds().getCentre().withX(b.frame.getX() + 20)));
    EXPECT_EQ(viewModel().getSelectedSlot(), 1);
    EXPECT_EQ(model.getActiveSlot(), 1);
    EXPECT_EQ(b.mark.getImage(), getInterfaceImage("checkmark_check.png"));
    EXPECT_EQ(model.getIndexOfChildComponent(&a.clickArea), model.getNumChildComponents() - 2)
        << "the inactive slot's click area and the active chooser lie in front";
    EXPECT_TRUE(b.chooser.isEnabled());
    EXPECT_FALSE(a.chooser.isEnabled());
    EXPECT_NE(service->getModel(), nullptr);
    EXPECT_EQ(service->getModel(), viewModel().getCurrentPackage());

    // Choosing Alice spoken by Ben puts that model into slot B.
    int benItem = 0;
    for (const auto& [item, identifier] : b.identifiers)
        if (identifier == aliceBen)
            benItem = item;
    b.chooser.comboBox.setSelectedId(benItem, juce::sendNotificationSync);
    EXPECT_EQ(viewModel().getSlotIdentifier(1), aliceBen);
    EXPECT_EQ(b.chooser.label.getText(), "Alice");
    EXPECT_EQ(screen().getInputPanel().narrator.getText(), "Ben");

    // An emptied slot shows the placeholder and the drop-down's own text.
    viewModel().setSlot(0, {});
    EXPECT_EQ(a.picture.getImage(), getInterfaceImage("symbol_image_placeholder.png"));
    EXPECT_EQ(a.chooser.comboBox.getComponentID(), VoiceModelComponent::showLabelId);
    EXPECT_EQ(a.chooser.comboBox.getSelectedId(), 0);
}
} // namespace
} // namespace tessel::test
