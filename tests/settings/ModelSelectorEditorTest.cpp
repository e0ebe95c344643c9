#include "SettingsTestSupport.h"

#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"

namespace tessel::test
{
namespace
{
using testing_support::runMessageLoop;

/** The model settings in the overlay over the main screen, on three add-on models: "Alice" spoken
    by "Anna" and by "Ben", and "Bob" by "Anna". */
class ModelEditor : public OverlayOnScreen
{
protected:
    /** Opens the screen with the given model in the selected slot, then the settings. */
    void openSettingsWith(const juce::String& identifier)
    {
        openScreen(1600, 1000);
        if (HasFatalFailure())
            return;
        viewModel().setSlot(viewModel().getSelectedSlot(), identifier);
        ASSERT_EQ(runningModel(), identifier);
        toggleSettings();
        ASSERT_NE(overlay(), nullptr);
    }

    TableViewForNormal& tables() { return overlay()->getModelEditor().getTableView(); }
    PupackSelectorEditor::DragAndDropArea& dropArea() { return overlay()->getModelEditor().getDropArea(); }

    void press(juce::Button& button)
    {
        button.triggerClick();
        runMessageLoop(50);
    }

    juce::StringArray addOnFiles()
    {
        juce::StringArray names;
        for (const auto& file :
             settings->getFolder().getChildFile("AppendData").findChildFiles(juce::File::findFiles, false))
            names.add(file.getFileName());
        names.sort(false);
        return names;
    }

    /** Pixels of the drop area drawn in the install invitation's green. */
    int greenPixels()
    {
        const auto image = dropArea().createComponentSnapshot(dropArea().getLocalBounds(), true, 1.0f);
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto c = image.getPixelAt(x, y);
                count += c.getGreen() > 100 && c.getRed() < 60 && c.getBlue() < 60 ? 1 : 0;
            }
        return count;
    }

    std::vector<std::uint8_t> package(const juce::String& targetName, const juce::String& narratorName)
    {
        return modelPackage(targetName, narratorName, targetName, narratorName, juce::Colours::teal);
    }
};

TEST_F(ModelEditor, OpeningKeepsTheSecondNarratorInTheSlotAndShowsItsRowsAndSettings)
{
    openScreen(1600, 1000);
    viewModel().setSlot(viewModel().getSelectedSlot(), "aliceben");
    viewModel().setOffsetDecibel(-3.5f, "aliceben");
    viewModel().setCoefficientGV(0.25f, "aliceben");
    toggleSettings();
    ASSERT_NE(overlay(), nullptr);

    EXPECT_EQ(activeSlot(), "aliceben");
    EXPECT_EQ(runningModel(), "aliceben");
    EXPECT_EQ(tables().getTargetTable().getSelectedRow(), 0);
    EXPECT_EQ(tables().getNarratorTable().getSelectedRow(), 1);
    EXPECT_EQ(tables().getTargetTable().getNumRows(), 2);
    EXPECT_EQ(tables().getNarratorTable().getNumRows(), 2);
    for (juce::Component* control :
         std::initializer_list<juce::Component*>{&tables().getUninstallButton(), &tables().getOffsetSlider(),
                                                 &tables().getGVSlider(), &tables().getOffsetLabel()})
        EXPECT_TRUE(control->isVisible()) << control->getName();
    EXPECT_DOUBLE_EQ(tables().getOffsetSlider().getValue(), -3.5);
    EXPECT_NEAR(tables().getGVSlider().getValue(), 0.25, 1e-6);

    // The sliders keep to their ranges and steps, and what they set is the model's own.
    tables().getOffsetSlider().setValue(20.0, juce::sendNotificationSync);
    tables().getGVSlider().setValue(0.257, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ(viewModel().findEntry("aliceben").offsetDecibel, 12.0f);
    EXPECT_FLOAT_EQ(viewModel().findEntry("aliceben").coefficientGV, 0.26f);
    tables().getOffsetSlider().setValue(-4.04, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ(viewModel().findEntry("aliceben").offsetDecibel, -4.0f);
    EXPECT_FLOAT_EQ(viewModel().findEntry("aliceanna").offsetDecibel, 0.0f);
}

TEST_F(ModelEditor, ClickingATargetOrANarratorRowPutsThatModelIntoTheActiveSlot)
{
    openSettingsWith("aliceben");
    auto& targets = tables().getTargetTable();
    auto& narrators = tables().getNarratorTable();

    // Another target: its first narrator, and the narrator table follows.
    clickAt(rowOf(targets, 1));
    EXPECT_EQ(activeSlot(), "bobanna");
    EXPECT_EQ(runningModel(), "bobanna");
    EXPECT_EQ(narrators.getNumRows(), 1);
    EXPECT_EQ(narrators.getSelectedRow(), 0);

    // The row already selected changes nothing.
    clickAt(rowOf(targets, 1));
    EXPECT_EQ(activeSlot(), "bobanna");

    clickAt(rowOf(targets, 0));
    EXPECT_EQ(activeSlot(), "aliceanna");
    clickAt(rowOf(narrators, 1));
    EXPECT_EQ(activeSlot(), "aliceben");
    EXPECT_EQ(runningModel(), "aliceben");
    EXPECT_EQ(targets.getSelectedRow(), 0);

    // The other slot is left alone.
    EXPECT_EQ(viewModel().getSlotIdentifier(1 - viewModel().getSelectedSlot()), juce::String());
}

TEST_F(ModelEditor, UpAndDownChangeTheOrderOfTheModelCommandsAndSurviveARestart)
{
    openSettingsWith("aliceanna");
    ASSERT_EQ(groupTargets(), juce::StringArray("Alice", "Bob"));
    ASSERT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceanna", "aliceben"));

    // At the ends the buttons do nothing.
    press(tables().getTargetUpButton());
    press(tables().getNarratorUpButton());
    EXPECT_EQ(groupTargets(), juce::StringArray("Alice", "Bob"));
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceanna", "aliceben"));

    press(tables().getTargetDownButton());
    EXPECT_EQ(groupTargets(), juce::StringArray("Bob", "Alice"));
    EXPECT_EQ(tables().getTargetTable().getSelectedRow(), 1) << "the selection follows the active model";
    press(tables().getTargetDownButton());
    EXPECT_EQ(groupTargets(), juce::StringArray("Bob", "Alice"));

    press(tables().getNarratorDownButton());
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceben", "aliceanna"));
    EXPECT_EQ(tables().getNarratorTable().getSelectedRow(), 1);
    press(tables().getNarratorDownButton());
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceben", "aliceanna"));
    EXPECT_EQ(activeSlot(), "aliceanna") << "moving never changes the slot";

    // "Select Model Order 1" and "2" now take the first model of Bob, then of Alice.
    ASSERT_EQ(viewModel().getGroups().size(), 2u);
    EXPECT_EQ(viewModel().getGroups()[0].members.front()->getIdentifier(), "bobanna");
    EXPECT_EQ(viewModel().getGroups()[1].members.front()->getIdentifier(), "aliceben");

    // Closed, quit, started again from the settings file.
    toggleSettings();
    closeScreen();
    library.reset();
    settings->saveAndReload();
    startLibrary();
    viewModel().load();
    EXPECT_EQ(groupTargets(), juce::StringArray("Bob", "Alice"));
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceben", "aliceanna"));
}

TEST_F(ModelEditor, UninstallOfABuiltInShowsTheAlertKeepsTheModelAndEmptiesTheSlot)
{
    const auto builtIn = package("Carol", "Dee");
    builtInPupacks.push_back({"Carol_Dee.ppc", builtIn.data(), builtIn.size()});
    libraryWarningsExpected = true;
    openSettingsWith("caroldee");
    ASSERT_TRUE(tables().getUninstallButton().isVisible());

    clickAt(
        pointOf(tables().getUninstallButton(), tables().getUninstallButton().getLocalBounds().getCentre()));
    ASSERT_TRUE(runUntil([] { return alertWindows().size() == 1; }, 2000));
    EXPECT_EQ(alertWindows()[0]->getName(), "Can not uninstall Voice Conversion Model");

    EXPECT_NE(library->findRecord("caroldee"), nullptr) << "a built-in model stays";
    EXPECT_EQ(tables().getTargetTable().getSelectedRow(), -1);
    EXPECT_EQ(tables().getNarratorTable().getSelectedRow(), -1);
    EXPECT_EQ(activeSlot(), juce::String());
    EXPECT_EQ(runningModel(), juce::String());
    EXPECT_FALSE(tables().getUninstallButton().isVisible());
    EXPECT_FALSE(tables().getOffsetLabel().isVisible());
}

TEST_F(ModelEditor, UninstallRemovesAnAddOnAndItsFile)
{
    openSettingsWith("aliceben");
    ASSERT_TRUE(addOnFiles().contains("Alice_Ben.ppc"));

    press(tables().getUninstallButton());
    EXPECT_EQ(library->findRecord("aliceben"), nullptr);
    EXPECT_FALSE(addOnFiles().contains("Alice_Ben.ppc"));
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("aliceanna"));
    EXPECT_EQ(activeSlot(), juce::String());
    EXPECT_EQ(runningModel(), juce::String());
}

TEST_F(ModelEditor, DroppingTwoPackagesInstallsBothAndKeepsTheSlot)
{
    openSettingsWith("aliceanna");
    const juce::StringArray files{downloadedFile("Dan_Eve.ppc", package("Dan", "Eve")).getFullPathName(),
                                  downloadedFile("notes.txt", {'h', 'i'}).getFullPathName(),
                                  downloadedFile("Fay_Gus.PPC", package("Fay", "Gus")).getFullPathName()};

    // Only a drag that holds a model file is of interest, and only that one lights the area up.
    const juce::StringArray textOnly{files[1]};
    EXPECT_FALSE(dropArea().isInterestedInFileDrag(textOnly));
    dropArea().fileDragEnter(textOnly, 5, 5);
    EXPECT_EQ(dropArea().getDragHover(), 0);
    ASSERT_TRUE(dropArea().isInterestedInFileDrag(files));
    EXPECT_EQ(greenPixels(), 0);
    dropArea().fileDragEnter(files, 5, 5);
    EXPECT_EQ(dropArea().getDragHover(), 1);
    EXPECT_GT(greenPixels(), 50) << "the install wording in green";
    dropArea().fileDragExit(files);
    EXPECT_EQ(dropArea().getDragHover(), 0);
    EXPECT_EQ(greenPixels(), 0);

    dropArea().fileDragEnter(files, 5, 5);
    dropArea().filesDropped(files, 5, 5);
    runMessageLoop(100);
    EXPECT_EQ(dropArea().getDragHover(), 0);
    EXPECT_NE(library->findRecord("daneve"), nullptr);
    EXPECT_NE(library->findRecord("faygus"), nullptr);
    EXPECT_EQ(groupTargets(), juce::StringArray("Alice", "Bob", "Dan", "Fay"));
    EXPECT_EQ(tables().getTargetTable().getNumRows(), 4);
    EXPECT_EQ(addOnFiles(), juce::StringArray("Alice_Anna.ppc", "Alice_Ben.ppc", "Bob_Anna.ppc",
                                              "Dan_Eve.ppc", "Fay_Gus.ppc"));
    EXPECT_EQ(activeSlot(), "aliceanna");
    EXPECT_EQ(runningModel(), "aliceanna");
}

TEST_F(ModelEditor, DroppingABrokenPackageShowsTheErrorAndChangesNothing)
{
    libraryWarningsExpected = true;
    openSettingsWith("aliceanna");
    const auto filesBefore = addOnFiles();
    const auto groupsBefore = groupTargets();

    auto bytes = package("Hal", "Ivy");
    bytes.resize(bytes.size() / 3);
    const auto broken = downloadedFile("Hal_Ivy.ppc", bytes);
    dropArea().filesDropped({broken.getFullPathName()}, 5, 5);

    ASSERT_TRUE(runUntil([] { return alertWindows().size() == 1; }, 2000));
    EXPECT_EQ(alertWindows()[0]->getName(), "Can not install the Voice Conversion Model file");
    EXPECT_EQ(addOnFiles(), filesBefore);
    EXPECT_EQ(groupTargets(), groupsBefore);
    EXPECT_TRUE(broken.existsAsFile()) << "the dropped file is left where it was";
    EXPECT_EQ(activeSlot(), "aliceanna");
    EXPECT_EQ(runningModel(), "aliceanna");
    EXPECT_EQ(tables().getNarratorTable().getSelectedRow(), 0);
    EXPECT_EQ(dropArea().getDragHover(), 0);
}
} // namespace
} // namespace tessel::test
