#include "remote/UpdateChecker.h"
#include "remote/UpdateDialog.h"
#include "tests/remote/LocalHttpServer.h"
#include "tests/remote/RemoteTestSupport.h"

using remote_test::runUntil;
using tessel::UpdateDialog;

namespace
{

tessel::UpdateOffer offer(bool forced, bool skipMatches)
{
    tessel::UpdateOffer o;
    o.currentVersion = "1.6.0";
    o.message = "Version 1.6.0 available";
    o.notes = "Faster model loading\nNew reverb programs";
    o.infoAddress = "https://example.org/info";
    o.downloadAddress = "https://example.org/download";
    o.forced = forced;
    o.skipMatches = skipMatches;
    return o;
}

/** Writes a component as it looks now into the build folder's "screenshots" folder. */
void writeScreenshot(juce::Component& component, const juce::String& name)
{
    const auto image = component.createComponentSnapshot(component.getLocalBounds());
    const juce::File file(juce::String(TAVILO_BINARY_DIR) + "/screenshots/" + name);
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream stream(file);
    ASSERT_TRUE(stream.openedOk());
    juce::PNGImageFormat png;
    EXPECT_TRUE(png.writeImageToStream(image, stream));
}

/** Sends a key to the window as the keyboard does: to the focused component first. */
void press(juce::Component& window, int keyCode)
{
    ASSERT_NE(window.getPeer(), nullptr);
    window.getPeer()->handleKeyPress(juce::KeyPress(keyCode));
}

/** Shows the dialog modally, runs `act` and returns the result the modal state ended with. */
int answer(UpdateDialog& dialog, const std::function<void()>& act)
{
    int result = -1;
    dialog.showModal(juce::ModalCallbackFunction::create([&result](int r) { result = r; }));
    EXPECT_TRUE(runUntil([&] { return dialog.isShowing(); }));
    act();
    EXPECT_TRUE(runUntil([&] { return result != -1; }));
    return result;
}

juce::TextEditor* findNotes(juce::Component& dialog)
{
    for (auto* child : dialog.getChildren())
        if (auto* editor = dynamic_cast<juce::TextEditor*>(child))
            return editor;
    return nullptr;
}

} // namespace

TEST(UpdateDialogOnScreen, ShowsTheOfferWithItsLinkTickBoxAndButtons)
{
    remote_test::EnglishTexts english;
    ASSERT_EQ(UpdateDialog::getOpenDialog(), nullptr);
    auto dialog = std::make_unique<UpdateDialog>(offer(false, true), juce::URL("https://example.org/info"));
    EXPECT_EQ(UpdateDialog::getOpenDialog(), dialog.get());

    EXPECT_EQ(dialog->getName(), "Version Confirmation");
    EXPECT_EQ(dialog->getAlertType(), juce::MessageBoxIconType::InfoIcon);
    EXPECT_TRUE(dialog->getDescription().contains("Version 1.6.0 available"));
    auto* notes = findNotes(*dialog);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->getText(), "Faster model loading\nNew reverb programs");

    auto& component = dialog->getUpdateComponent();
    EXPECT_EQ(component.getParentComponent(), dialog.get());
    EXPECT_FALSE(component.isForced());
    EXPECT_TRUE(component.doesSkipMatch());

    ASSERT_EQ(component.getHyperlinkButtons().size(), 1);
    auto* link = component.getHyperlinkButtons()[0];
    EXPECT_EQ(link->getButtonText(), "Update Information");
    EXPECT_EQ(link->getURL().toString(true), "https://example.org/info");
    EXPECT_EQ(link->getHeight(), 22);

    ASSERT_EQ(component.getToggleButtons().size(), 1);
    auto* skip = component.getToggleButtons()[0];
    EXPECT_EQ(skip->getButtonText(), "Skip this version");
    EXPECT_TRUE(skip->getToggleState()) << "the stored skip version is this one";
    EXPECT_TRUE(skip->isEnabled());
    EXPECT_EQ(skip->getMouseCursor(), juce::MouseCursor(juce::MouseCursor::PointingHandCursor));
    EXPECT_EQ(skip->getHeight(), dialog->getLookAndFeel().getAlertWindowButtonHeight());

    const auto& buttons = component.getTextButtons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[0]->getButtonText(), "Use without update");
    EXPECT_EQ(buttons[1]->getButtonText(), "Open download page...");
    EXPECT_TRUE(buttons[0]->isRegisteredForShortcut(juce::KeyPress(juce::KeyPress::escapeKey)));
    EXPECT_TRUE(buttons[1]->isRegisteredForShortcut(juce::KeyPress(juce::KeyPress::returnKey)));
    EXPECT_TRUE(buttons[0]->getWantsKeyboardFocus());
    EXPECT_FALSE(buttons[0]->getMouseClickGrabsKeyboardFocus());
    EXPECT_EQ(component.getOtherChildren(), (juce::Array<juce::Component*>{link, skip}));

    // The layout: the link and the tick box stacked at x 16, the buttons centred along the bottom.
    const int rowWidth = 16 + buttons[0]->getWidth() + 16 + buttons[1]->getWidth() + 16;
    const int height = buttons[1]->getHeight() + 16 + link->getHeight() + 8 + skip->getHeight() + 8;
    EXPECT_EQ(component.getWidth(), juce::jmax(rowWidth, link->getWidth(), skip->getWidth()));
    EXPECT_EQ(component.getHeight(), height);
    EXPECT_EQ(link->getPosition(), juce::Point<int>(16, 0));
    EXPECT_EQ(skip->getPosition(), juce::Point<int>(16, 22 + 10));
    const int bottom = juce::roundToInt(height * 0.95);
    EXPECT_EQ(buttons[0]->getPosition(),
              juce::Point<int>((component.getWidth() - rowWidth) / 2 + 16, bottom - buttons[0]->getHeight()));
    EXPECT_EQ(buttons[1]->getX(), buttons[0]->getRight() + 16);
    // Everything fits inside the component and the component inside the dialog.
    for (auto* child : component.getChildren())
        EXPECT_TRUE(component.getLocalBounds().contains(child->getBounds())) << child->getName();
    EXPECT_TRUE(dialog->getLocalBounds().contains(component.getBounds()));
    EXPECT_GE(component.getY(), notes->getBottom());

    // Answers: Return opens the download page, Escape and the first button cancel.
    EXPECT_EQ(answer(*dialog,
                     [&]
                     {
                         EXPECT_TRUE(buttons[1]->hasKeyboardFocus(false));
                         writeScreenshot(*dialog, "update-dialog.png");
                         press(*dialog, juce::KeyPress::returnKey);
                     }),
              1);
    EXPECT_EQ(answer(*dialog, [&] { press(*dialog, juce::KeyPress::escapeKey); }), 0);
    EXPECT_EQ(answer(*dialog, [&] { buttons[0]->triggerClick(); }), 0);
    EXPECT_EQ(answer(*dialog, [&] { buttons[1]->triggerClick(); }), 1);
    // With the focus moved to the other button, Escape still cancels.
    EXPECT_EQ(answer(*dialog,
                     [&]
                     {
                         buttons[0]->grabKeyboardFocus();
                         press(*dialog, juce::KeyPress::escapeKey);
                     }),
              0);

    skip->setToggleState(false, juce::dontSendNotification);
    EXPECT_FALSE(dialog->isSkipTicked());
    skip->triggerClick();
    testing_support::runMessageLoop(50);
    EXPECT_TRUE(dialog->isSkipTicked());

    dialog.reset();
    EXPECT_EQ(UpdateDialog::getOpenDialog(), nullptr);
}

TEST(UpdateDialogOnScreen, ARequiredUpdateTakesAwayTheSkip)
{
    remote_test::EnglishTexts english;
    UpdateDialog dialog(offer(true, true), juce::URL());
    auto* skip = dialog.getUpdateComponent().getToggleButtons()[0];
    EXPECT_FALSE(skip->getToggleState());
    EXPECT_FALSE(skip->isEnabled());
    EXPECT_NEAR(skip->getAlpha(), 0.25f, 1.0f / 255);
    EXPECT_EQ(skip->getMouseCursor(), juce::MouseCursor(juce::MouseCursor::NormalCursor));
    EXPECT_FALSE(dialog.isSkipTicked());

    EXPECT_EQ(answer(dialog,
                     [&]
                     {
                         writeScreenshot(dialog, "update-dialog-required.png");
                         press(dialog, juce::KeyPress::escapeKey);
                     }),
              0);
}

TEST(UpdateDialogOnScreen, TheWholeCheckRunsTheDialogAndStoresTheSkip)
{
    remote_test::EnglishTexts english;
    remote_test::SettingsFolder folder;
    remote_test::LocalHttpServer server;
    server.respond(200,
                   "<tracker><entry><name>" + juce::String(tessel::UpdateChecker::updateChannel) +
                       "</name><currentVersion>1.6.0</currentVersion><requiredVersion>1.0.0</requiredVersion>"
                       "<notes xml:lang=\"en\" info_uri=\"https://example.org/info\" "
                       "download_uri=\"https://example.org/download\">One\\nTwo</notes></entry></tracker>");

    tessel::UpdateChecker::Settings settings;
    settings.trackerAddress = server.address("/_appresource/%s/version_tracker.xml");
    settings.language = "en";
    settings.timeoutMs = 2000;
    tessel::UpdateChecker checker(settings, folder.getStore());
    juce::StringArray opened;
    checker.setBrowserLauncher([&](const juce::URL& url) { opened.add(url.toString(true)); });

    // Acts inside the dialog's modal loop: "Check Update..." does nothing while the dialog is open,
    // then the user ticks "Skip this version" and presses Escape.
    bool acted = false;
    struct Actor : juce::Timer
    {
        std::function<void()> act;
        void timerCallback() override { act(); }
    } actor;
    actor.act = [&]
    {
        auto* dialog = UpdateDialog::getOpenDialog();
        if (dialog == nullptr || !dialog->isShowing())
            return;
        actor.stopTimer();
        acted = true;
        EXPECT_EQ(dialog->getUpdateComponent().getHyperlinkButtons()[0]->getURL().toString(true),
                  "https://example.org/info");
        tessel::UpdateChecker(settings, folder.getStore()).checkForUpdate(true);
        EXPECT_EQ(server.getRequestLines().size(), 1) << "no second check while the dialog is open";
        dialog->getUpdateComponent().getToggleButtons()[0]->setToggleState(true, juce::dontSendNotification);
        press(*dialog, juce::KeyPress::escapeKey);
    };
    actor.startTimer(20);

    checker.checkForUpdate(false);
    EXPECT_TRUE(acted);
    EXPECT_EQ(UpdateDialog::getOpenDialog(), nullptr);
    EXPECT_TRUE(opened.isEmpty());
    const auto* tree = folder.getStore().getXml(tessel::PropertiesFileManager::updateSetupKey);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->getStringAttribute("SkipVersion"), "1.6.0");
}
