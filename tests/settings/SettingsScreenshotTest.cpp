#include "SettingsTestSupport.h"

#include "ui/AboutDialog.h"
#include "ui/OSSCreditsDialog.h"

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

/** Renders the open settings over the main screen, with a model in the active slot, at the smallest
    window and at a large one, in English and Japanese, into build/screenshots/. */
class SettingsScreenshots : public OverlayOnScreen, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(SettingsScreenshots, RenderTheOpenOverlay)
{
    const juce::String language = GetParam();
    const auto folder = juce::File(TAVILO_BINARY_DIR).getChildFile("screenshots");
    ASSERT_TRUE(folder.createDirectory());

    for (const auto& [w, h] : {std::pair{1065, 665}, {1792, 1120}})
    {
        openScreen(w, h, language);
        ASSERT_FALSE(HasFatalFailure());
        viewModel().setSlot(viewModel().getSelectedSlot(), modelIdentifier("Alice", "Ben"));
        viewModel().setOffsetDecibel(-2.5f, modelIdentifier("Alice", "Ben"));
        toggleSettings();
        ASSERT_NE(overlay(), nullptr);
        runMessageLoop(1200); // the audio section's first refresh and the sliders' values

        const auto image = snapshot();
        ASSERT_EQ(image.getWidth(), w);
        const auto file = folder.getChildFile("settings_" + language + "_" + juce::String(w) + "x" +
                                              juce::String(h) + ".png");
        file.deleteFile();
        juce::FileOutputStream stream(file);
        ASSERT_TRUE(stream.openedOk());
        ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, stream));
        TearDown();
    }
}

/** Renders the About and Acknowledgements dialogs as they open, into build/screenshots/. */
TEST_P(SettingsScreenshots, RenderTheDialogs)
{
    const juce::String language = GetParam();
    startService({0, 1, 2, 1}, language);
    const auto folder = juce::File(TAVILO_BINARY_DIR).getChildFile("screenshots");
    ASSERT_TRUE(folder.createDirectory());

    const auto write = [&](juce::Component& dialog, const juce::String& name)
    {
        const auto file = folder.getChildFile(name + "_" + language + ".png");
        file.deleteFile();
        juce::FileOutputStream stream(file);
        return stream.openedOk() &&
               juce::PNGImageFormat().writeImageToStream(
                   dialog.createComponentSnapshot(dialog.getLocalBounds(), true, 1.0f), stream);
    };
    bool aboutWritten = false, creditsWritten = false;
    juce::MessageManager::callAsync(
        [&]
        {
            if (auto* dialog = AboutDialog::getOpenDialog())
            {
                aboutWritten = write(*dialog, "about");
                dialog->exitModalState(1);
            }
        });
    AboutDialog::show();
    juce::MessageManager::callAsync(
        [&]
        {
            if (auto* dialog = OSSCreditsDialog::getOpenDialog())
            {
                creditsWritten = write(*dialog, "acknowledgements");
                dialog->exitModalState(1);
            }
        });
    OSSCreditsDialog::show();
    EXPECT_TRUE(aboutWritten);
    EXPECT_TRUE(creditsWritten);
}

INSTANTIATE_TEST_SUITE_P(Languages, SettingsScreenshots, ::testing::Values("en", "ja"),
                         [](const auto& testInfo) { return std::string(testInfo.param); });
} // namespace
} // namespace tessel::test
