#include "LibraryTestSupport.h"

using namespace library_test;
using tessel::PupackSelectorViewModel;

namespace
{
/** Four models: two of Alice, one of Bob, one of "Émile" (UTF-8, sorts after ASCII). Installed in
    an order unlike the sorted one. */
class PupackSelectorViewModelTest : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        addBuiltIn("bob.ppc", spec("Bob", 1.0, "Male"));
        addBuiltIn("emile.ppc", spec("Émile", 1.0, "Male"));
        addBuiltIn("alice-m.ppc", spec("Alice", 1.0, "Male"));
        addBuiltIn("alice-f.ppc", spec("Alice", 1.0, "Female").withImages({256, 512, 1024}));
    }

    struct CountingListener : PupackSelectorViewModel::Listener
    {
        void pupackSelectionChanged() override { ++calls; }
        int calls = 0;
    };

    static const juce::String emile;
};

const juce::String PupackSelectorViewModelTest::emile = juce::String::fromUTF8("ÉmileMale");
} // namespace

TEST_F(PupackSelectorViewModelTest, WithoutSettingsModelsAreSortedByTargetAndNarratorAndNothingIsLoaded)
{
    start();
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("AliceFemale", "AliceMale", "BobMale", emile));
    EXPECT_EQ(groupTargets(), juce::StringArray("Alice", "Bob", juce::String::fromUTF8("Émile")));
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("AliceFemale", "AliceMale"));
    EXPECT_TRUE(viewModel().getGroupMembers("Nobody").isEmpty());

    EXPECT_EQ(viewModel().getSelectedSlot(), PupackSelectorViewModel::slotA);
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "");
    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(viewModel().getCurrentPackage(), nullptr);

    const auto& entry = viewModel().findEntry("AliceMale");
    EXPECT_EQ(entry.getDisplayName(), "Alice - Male");
    EXPECT_EQ(entry.offsetDecibel, 0.0f);
    EXPECT_EQ(entry.coefficientGV, 1.0f);
    const auto& none = viewModel().findEntry("missing");
    EXPECT_EQ(&none, &viewModel().getNoneEntry());
    EXPECT_EQ(none.order, -1);
    EXPECT_EQ(&viewModel().findEntryByOrder(4), &viewModel().getNoneEntry());
}

TEST_F(PupackSelectorViewModelTest, SelectionLoadsThePackageWithItsOffsetAndCoefficientAndNotifies)
{
    start();
    CountingListener listener;
    viewModel().addListener(&listener);

    viewModel().setOffsetDecibel(-3.5f, "BobMale");
    viewModel().setCoefficientGV(0.25f, "BobMale");
    EXPECT_EQ(audio->offsetDecibel, -99.0f) << "a model that is not running leaves the audio side alone";

    viewModel().setSlot(PupackSelectorViewModel::slotA, "BobMale");
    EXPECT_EQ(audio->modelIdentifier, "BobMale");
    EXPECT_EQ(audio->model, viewModel().getCurrentPackage());
    EXPECT_EQ(audio->offsetDecibel, -3.5f);
    EXPECT_EQ(audio->coefficientGV, 0.25f);
    EXPECT_EQ(listener.calls, 1);

    // Changes of the running model reach the audio side at once.
    viewModel().setOffsetDecibel(2.0f, "BobMale");
    viewModel().setCoefficientGV(0.75f, "BobMale");
    EXPECT_EQ(audio->offsetDecibel, 2.0f);
    EXPECT_EQ(audio->coefficientGV, 0.75f);

    // Slot B holds nothing: selecting it leaves the converter without a model.
    viewModel().selectSlot(PupackSelectorViewModel::slotB);
    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(audio->offsetDecibel, 0.0f);
    EXPECT_EQ(audio->coefficientGV, 0.0f);
    EXPECT_EQ(listener.calls, 2);

    // An unknown identifier empties the slot.
    viewModel().setSlot(PupackSelectorViewModel::slotA, "Nobody");
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "");
    viewModel().removeListener(&listener);
}

TEST_F(PupackSelectorViewModelTest, SelectingTheSlotThatHoldsTheLoadedModelDoesNotReopenIt)
{
    start();
    viewModel().setSlot(PupackSelectorViewModel::slotA, "AliceMale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, "AliceMale");
    const auto* package = viewModel().getCurrentPackage();
    const int calls = audio->setModelCalls;
    ASSERT_NE(package, nullptr);

    viewModel().selectSlot(PupackSelectorViewModel::slotB);
    viewModel().setSlot(PupackSelectorViewModel::slotB, "AliceMale");
    viewModel().selectSlot(PupackSelectorViewModel::slotB);
    viewModel().swapOrder("BobMale", "AliceFemale"); // reloads the settings

    EXPECT_EQ(audio->setModelCalls, calls);
    EXPECT_EQ(viewModel().getCurrentPackage(), package);
}

TEST_F(PupackSelectorViewModelTest, OrderSlotsOffsetsAndCoefficientsSurviveARestart)
{
    start();
    viewModel().swapOrder("AliceFemale", "AliceMale");
    viewModel().moveGroup("Bob", "Alice");
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("BobMale", "AliceMale", "AliceFemale", emile));
    viewModel().setSlot(PupackSelectorViewModel::slotA, "AliceFemale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, emile);
    viewModel().setOffsetDecibel(4.5f, emile);
    viewModel().setCoefficientGV(0.4f, emile);
    viewModel().setOffsetDecibel(-1.25f, "AliceFemale");
    viewModel().selectSlot(PupackSelectorViewModel::slotB);

    restart();
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("BobMale", "AliceMale", "AliceFemale", emile));
    EXPECT_EQ(groupTargets(), juce::StringArray("Bob", "Alice", juce::String::fromUTF8("Émile")));
    EXPECT_EQ(viewModel().getSelectedSlot(), PupackSelectorViewModel::slotB);
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "AliceFemale");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), emile);
    EXPECT_EQ(viewModel().findEntry("AliceFemale").offsetDecibel, -1.25f);
    EXPECT_EQ(viewModel().findEntry(emile).coefficientGV, 0.4f);
    EXPECT_EQ(viewModel().findEntry("BobMale").coefficientGV, 1.0f);
    EXPECT_EQ(audio->modelIdentifier, emile.toStdString());
    EXPECT_EQ(audio->offsetDecibel, 4.5f);
    EXPECT_EQ(audio->coefficientGV, 0.4f);
}

TEST_F(PupackSelectorViewModelTest, StoredTreesHaveTheDocumentedShape)
{
    start();
    viewModel().setSlot(PupackSelectorViewModel::slotB, "BobMale");
    viewModel().setOffsetDecibel(1.5f, "BobMale");
    viewModel().propertiesWillBeSaved();

    const auto* meta = store->getXml("PupackMetaDataForNormal");
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->getTagName(), "PUPACKMETADATA");
    ASSERT_EQ(meta->getNumChildElements(), 4);
    const auto* bob = meta->getChildElement(2);
    EXPECT_EQ(bob->getTagName(), "PUPACK");
    juce::StringArray attributes;
    for (int i = 0; i < bob->getNumAttributes(); ++i)
        attributes.add(bob->getAttributeName(i));
    EXPECT_EQ(attributes,
              juce::StringArray({"Identifier", "TargetIdentifier", "NarratorIdentifier", "Target", "Narrator",
                                 "FilePath", "Order", "OffsetDecibel", "CoefficientGV", "SkipVersion"}));
    EXPECT_EQ(bob->getStringAttribute("Identifier"), "BobMale");
    EXPECT_EQ(bob->getStringAttribute("TargetIdentifier"), "Bob");
    EXPECT_EQ(bob->getStringAttribute("FilePath"), bundleFolder().getChildFile("bob.ppc").getFullPathName());
    EXPECT_EQ(bob->getIntAttribute("Order"), 2);
    EXPECT_EQ(bob->getDoubleAttribute("OffsetDecibel"), 1.5);

    const auto* slots = store->getXml("PupackSelectorSlotForNormal");
    ASSERT_NE(slots, nullptr);
    EXPECT_EQ(slots->getTagName(), "PUPACKSELECTORSLOT");
    ASSERT_EQ(slots->getNumChildElements(), 3);
    EXPECT_EQ(slots->getChildElement(0)->getTagName(), "SELECTED_SLOT");
    EXPECT_EQ(slots->getChildElement(0)->getIntAttribute("SelectedSlot", -1), 0);
    EXPECT_EQ(slots->getChildElement(1)->getTagName(), "SLOT_A");
    EXPECT_EQ(slots->getChildElement(1)->getStringAttribute("Identifier", "x"), "");
    EXPECT_EQ(slots->getChildElement(2)->getTagName(), "SLOT_B");
    EXPECT_EQ(slots->getChildElement(2)->getStringAttribute("Identifier"), "BobMale");
    EXPECT_EQ(slots->getChildElement(2)->getStringAttribute("FilePath"),
              bundleFolder().getChildFile("bob.ppc").getFullPathName());
}

TEST_F(PupackSelectorViewModelTest, HandWrittenSettingsAreReadWithTheirDefaults)
{
    // Stored by hand: Bob first, then a model that is gone, then Alice Female without a GV
    // coefficient; slot B names the gone model.
    juce::XmlElement meta("PUPACKMETADATA");
    auto* bob = meta.createNewChildElement("PUPACK");
    bob->setAttribute("Identifier", "BobMale");
    bob->setAttribute("Order", 0);
    bob->setAttribute("CoefficientGV", 0.5);
    auto* gone = meta.createNewChildElement("PUPACK");
    gone->setAttribute("Identifier", "GoneMale");
    gone->setAttribute("Order", 1);
    gone->setAttribute("OffsetDecibel", 9.0);
    auto* alice = meta.createNewChildElement("PUPACK");
    alice->setAttribute("Identifier", "AliceFemale");
    alice->setAttribute("Order", 2);
    alice->setAttribute("OffsetDecibel", -2.0);
    juce::XmlElement slots("PUPACKSELECTORSLOT");
    slots.createNewChildElement("SELECTED_SLOT")->setAttribute("SelectedSlot", 1);
    slots.createNewChildElement("SLOT_A")->setAttribute("Identifier", "BobMale");
    slots.createNewChildElement("SLOT_B")->setAttribute("Identifier", "GoneMale");
    {
        juce::PropertiesFile file(tessel::PropertiesFileManager::createOptions());
        file.setValue("PupackMetaDataForNormal", meta.toString());
        file.setValue("PupackSelectorSlotForNormal", slots.toString());
        ASSERT_TRUE(file.saveIfNeeded());
    }
    start();

    // The gone model moves nobody; the orders end as 0 ... n-1.
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("BobMale", "AliceMale", "AliceFemale", emile));
    EXPECT_EQ(viewModel().findEntry("AliceFemale").coefficientGV, 0.0f);
    EXPECT_EQ(viewModel().findEntry("AliceFemale").offsetDecibel, -2.0f);
    EXPECT_EQ(viewModel().findEntry("BobMale").coefficientGV, 0.5f);
    EXPECT_EQ(viewModel().findEntry("BobMale").offsetDecibel, 0.0f);
    EXPECT_EQ(viewModel().getNoneEntry().offsetDecibel, 0.0f);
    EXPECT_EQ(viewModel().getNoneEntry().order, -1);

    // The gone model's slot is empty, and it is the selected one: no model runs.
    EXPECT_EQ(viewModel().getSelectedSlot(), 1);
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "BobMale");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "");
    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(audio->coefficientGV, 0.0f);
}

TEST_F(PupackSelectorViewModelTest, ModelWhoseFileWentAwayEmptiesItsSlotAtTheNextStart)
{
    start();
    library->install(makePackageFile("dave.ppc", spec("Dave")));
    viewModel().setSlot(PupackSelectorViewModel::slotA, "DaveMale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, "BobMale");
    ASSERT_EQ(audio->modelIdentifier, "DaveMale");

    stop();
    ASSERT_TRUE(appendFolder().getChildFile("dave.ppc").deleteFile());
    start();
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "BobMale");
    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("AliceFemale", "AliceMale", "BobMale", emile));
}

TEST_F(PupackSelectorViewModelTest, PackageThatNoLongerOpensLeavesTheConverterWithoutAModel)
{
    start();
    viewModel().setSlot(PupackSelectorViewModel::slotA, "BobMale");
    writeBytes(bundleFolder().getChildFile("alice-m.ppc"), Bytes(2048, 0x11));
    viewModel().setSlot(PupackSelectorViewModel::slotB, "AliceMale");
    viewModel().selectSlot(PupackSelectorViewModel::slotB);

    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(viewModel().getCurrentPackage(), nullptr);
    EXPECT_EQ(audio->offsetDecibel, 0.0f);
    EXPECT_EQ(audio->coefficientGV, 0.0f);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(PupackSelectorViewModelTest, MovingGroupsAndSwappingOrders)
{
    start();
    const struct
    {
        const char* from;
        const char* to;
        std::vector<const char*> groups;
    } moves[] = {
        {"Alice", "Bob", {"Bob", "Alice", "Émile"}},
        {"Émile", "Bob", {"Émile", "Bob", "Alice"}},
        {"Bob", "Unknown target", {"Émile", "Alice", "Bob"}},
        {"Unknown target", "Alice", {"Émile", "Alice", "Bob"}},
        {"Alice", "Alice", {"Émile", "Alice", "Bob"}},
    };
    for (const auto& move : moves)
    {
        SCOPED_TRACE(move.from);
        viewModel().moveGroup(juce::String::fromUTF8(move.from), juce::String::fromUTF8(move.to));
        juce::StringArray expected;
        for (const auto* name : move.groups)
            expected.add(juce::String::fromUTF8(name));
        EXPECT_EQ(groupTargets(), expected);
    }
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray(emile, "AliceFemale", "AliceMale", "BobMale"));

    viewModel().swapOrder("AliceMale", "AliceFemale");
    EXPECT_EQ(viewModel().getGroupMembers("Alice"), juce::StringArray("AliceMale", "AliceFemale"));
    // Swapping across groups changes the groups: Bob's model now comes first.
    viewModel().swapOrder("BobMale", emile);
    EXPECT_EQ(groupTargets(), juce::StringArray("Bob", "Alice", juce::String::fromUTF8("Émile")));
    viewModel().swapOrder("BobMale", "Nobody");
    EXPECT_EQ(orderedIdentifiers(), juce::StringArray("BobMale", "AliceMale", "AliceFemale", emile));
}

TEST_F(PupackSelectorViewModelTest, InstallAppendsTheNewModelAndPutsTheSlotsBack)
{
    start();
    viewModel().swapOrder("AliceFemale", emile);
    viewModel().setSlot(PupackSelectorViewModel::slotA, "BobMale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, "AliceMale");
    viewModel().setOffsetDecibel(3.0f, "BobMale");

    // As the model editor's drop area does it: release the slots, install, take over the list.
    viewModel().releaseSlotsForLibraryChange();
    EXPECT_EQ(audio->model, nullptr);
    library->install(makePackageFile("aaron.ppc", spec("Aaron")));
    viewModel().synchroniseWithLibrary();

    EXPECT_EQ(orderedIdentifiers(),
              juce::StringArray(emile, "AliceMale", "BobMale", "AliceFemale", "AaronMale"));
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "BobMale");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "AliceMale");
    EXPECT_EQ(audio->modelIdentifier, "BobMale");
    EXPECT_EQ(audio->offsetDecibel, 3.0f);
    EXPECT_EQ(groupTargets().size(), 4);
}

TEST_F(PupackSelectorViewModelTest, InstallingANewerVersionOfTheRunningModelRunsTheNewFile)
{
    start();
    library->install(makePackageFile("dave.ppc", spec("Dave", 1.0)));
    viewModel().setSlot(PupackSelectorViewModel::slotA, "DaveMale");
    viewModel().setCoefficientGV(0.3f, "DaveMale");
    ASSERT_EQ(audio->model->version(), 1.0);

    library->install(makePackageFile("v2/dave.ppc", spec("Dave", 2.0)));
    ASSERT_NE(audio->model, nullptr);
    EXPECT_EQ(audio->model->version(), 2.0);
    EXPECT_EQ(audio->coefficientGV, 0.3f);
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "DaveMale");
}

TEST_F(PupackSelectorViewModelTest, UninstallingTheLoadedModelEmptiesItsSlotAndKeepsTheOther)
{
    start();
    library->install(makePackageFile("dave.ppc", spec("Dave")));
    viewModel().setSlot(PupackSelectorViewModel::slotA, "DaveMale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, "BobMale");

    viewModel().uninstall("DaveMale");
    EXPECT_EQ(viewModel().getSlotIdentifier(0), "");
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "BobMale");
    EXPECT_EQ(audio->model, nullptr);
    EXPECT_EQ(viewModel().getCurrentPackage(), nullptr);
    EXPECT_EQ(&viewModel().findEntry("DaveMale"), &viewModel().getNoneEntry());
    EXPECT_EQ(orderedIdentifiers().size(), 4);

    // A built-in model stays, with its slot, after the warning.
    viewModel().selectSlot(PupackSelectorViewModel::slotB);
    viewModel().uninstall("BobMale");
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(viewModel().getSlotIdentifier(1), "BobMale");
    EXPECT_EQ(audio->modelIdentifier, "BobMale");
}

TEST_F(PupackSelectorViewModelTest, SlotImageIsThePackagesNearestImageOrThePlaceholder)
{
    start();
    viewModel().setSlot(PupackSelectorViewModel::slotA, "AliceFemale");
    viewModel().setSlot(PupackSelectorViewModel::slotB, "BobMale");

    EXPECT_EQ(viewModel().getSlotImage(0, 300, 200).getWidth(), 256);
    EXPECT_EQ(viewModel().getSlotImage(0, 200, 800).getWidth(), 1024);

    const auto placeholder = viewModel().getSlotImage(1, 300, 300); // Bob has no image
    viewModel().setSlot(PupackSelectorViewModel::slotB, "");
    const auto emptySlot = viewModel().getSlotImage(1, 300, 300);
    ASSERT_TRUE(placeholder.isValid());
    ASSERT_TRUE(emptySlot.isValid());
    EXPECT_EQ(placeholder.getBounds(), emptySlot.getBounds());
    EXPECT_NE(placeholder.getWidth(), 256);
}
