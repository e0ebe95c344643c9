#include "ScreenOnJack.h"

#include "app/ErrorMessageManager.h"

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

/** Renders the main screen with a model loaded at the smallest, a middle and the design size, in
    English and Japanese, running normally and with the "no voice routing" message, into
    build/screenshots/. */
class Screenshots : public ScreenOnJack, public ::testing::WithParamInterface<std::tuple<const char*, bool>>
{
};

TEST_P(Screenshots, RenderAtEverySize)
{
    const auto [language, voiceRouted] = GetParam();
    startService(voiceRouted ? RoutingOrders{0, 1, 2, 1} : RoutingOrders{-1, 1, 2, 1}, language, true);
    // A model in each slot, A selected, the conversion running.
    auto& store = settings->store();
    auto slots = std::make_unique<juce::XmlElement>("PUPACKSELECTORSLOT");
    slots->createNewChildElement("SELECTED_SLOT")->setAttribute("SelectedSlot", 0);
    slots->createNewChildElement("SLOT_A")->setAttribute("Identifier", modelIdentifier("Alice", "Anna"));
    slots->createNewChildElement("SLOT_B")->setAttribute("Identifier", modelIdentifier("Bob", "Anna"));
    store.setXml(PropertiesFileManager::pupackSelectorSlotKey, std::move(slots));
    service->setConversionBypassed(false);

    const auto folder = juce::File(TAVILO_BINARY_DIR).getChildFile("screenshots");
    ASSERT_TRUE(folder.createDirectory());

    for (const auto& [w, h] : {std::pair{1065, 665}, {1792, 1120}, {2880, 1800}})
    {
        showScreen(w, h);
        runMessageLoop(200);
        EXPECT_EQ(screen().getMessageOverlay().isVisible(), !voiceRouted);
        EXPECT_NE(service->getModel(), nullptr);

        const auto image = snapshot();
        ASSERT_EQ(image.getWidth(), w);
        const auto file = folder.getChildFile(juce::String("main_") + language + "_" +
                                              (voiceRouted ? "running" : "no_voice_routing") + "_" +
                                              juce::String(w) + "x" + juce::String(h) + ".png");
        file.deleteFile();
        juce::FileOutputStream stream(file);
        ASSERT_TRUE(stream.openedOk());
        ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, stream));
    }
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndStates, Screenshots,
                         ::testing::Combine(::testing::Values("en", "ja"), ::testing::Bool()),
                         [](const auto& testInfo)
                         {
                             return std::string(std::get<0>(testInfo.param)) +
                                    (std::get<1>(testInfo.param) ? "Running" : "NoVoiceRouting");
                         });

using IdleScreen = ScreenOnJack;

TEST_F(IdleScreen, BufferedPanelsAreNotRepaintedWhileNothingChanges)
{
    startService({0, 1, 2, 1});
    showScreen(1792, 1120);
    auto& s = screen();

    std::vector<std::unique_ptr<RepaintProbe>> probes;
    const std::vector<std::pair<const char*, juce::Component*>> buffered{
        {"AUX input", &s.getAuxInputPanel()}, {"ducking", &s.getDuckingPanel()},
        {"mix level", &s.getMixLevelPanel()}, {"noise gate", &s.getNoiseGatePanel()},
        {"reverb", &s.getReverbPanel()},      {"header", &s.getHeader()},
        {"footer", &s.getFooter()},           {"signal flow", &s.getSignalFlow()}};
    for (const auto& [name, panel] : buffered)
    {
        ASSERT_NE(panel->getCachedComponentImage(), nullptr) << name << " is buffered";
        probes.push_back(std::make_unique<RepaintProbe>(*panel));
    }
    runMessageLoop(500); // the probes' own first paint
    for (auto& probe : probes)
        probe->paints = 0;

    // Three seconds of meter and indicator timers, and refreshes that find nothing new.
    for (int i = 0; i < 30; ++i)
    {
        s.refresh();
        runMessageLoop(100);
    }
    for (size_t i = 0; i < probes.size(); ++i)
        EXPECT_EQ(probes[i]->paints, 0) << buffered[i].first;

    // A change repaints the panel it concerns, and only that one.
    dynamic_cast<juce::AudioParameterChoice&>(
        *service->getDuckingNode()->getProcessor()->getParameters()[0]) = 2;
    s.refresh();
    runMessageLoop(300);
    EXPECT_GT(probes[1]->paints, 0);
    EXPECT_EQ(probes[4]->paints, 0);
    EXPECT_EQ(probes[5]->paints, 0);
    probes.clear();
}
} // namespace
} // namespace tessel::test
