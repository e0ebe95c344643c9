#include "LibraryTestSupport.h"

#include "audio/OstrelAudioService.h"
#include "library/AudioServicePupackTarget.h"
#include "processors/VocaformProcessor.h"
#include "support/ScopedSettingsStore.h"

using namespace library_test;
using tessel::OstrelAudioService;
using tessel::PupackSelectorViewModel;

// The real audio service without an audio server: the chain is built against an input without
// channels, which is all the model handover needs.

namespace
{
float parameterValue(const juce::AudioProcessorGraph::Node::Ptr& node, int index)
{
    auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(node->getProcessor()->getParameters()[index]);
    return parameter->convertFrom0to1(parameter->getValue());
}

struct NoWarnings : tessel::PupackAlertNotifier
{
    void showWarning(const juce::String&, const juce::String&, const juce::String&) override { FAIL(); }
};
} // namespace

TEST(AudioServicePupackTarget, SelectionReachesTheConversionProcessorAndTheGainStage)
{
    testing_support::ScopedSettingsStore settings;
    auto service = std::make_shared<OstrelAudioService>();

    std::vector<tessel::PupackManager::EmbeddedPupack> builtIns;
    const auto bytes = packageBytes(spec("Bob"));
    builtIns.push_back({"bob.ppc", bytes.data(), bytes.size()});
    auto library = std::make_unique<tessel::PupackManager>(
        settings.getFolder(), std::make_unique<tessel::AudioServicePupackTarget>(service), "en", builtIns,
        std::make_unique<NoWarnings>());
    library->setSelectorViewModel(std::make_unique<PupackSelectorViewModel>(*library, settings.store()));
    auto& viewModel = *library->getSelectorViewModel();
    viewModel.load();

    viewModel.setOffsetDecibel(-4.0f, "BobMale");
    viewModel.setCoefficientGV(0.35f, "BobMale");
    viewModel.setSlot(PupackSelectorViewModel::slotA, "BobMale");
    ASSERT_NE(viewModel.getCurrentPackage(), nullptr);
    EXPECT_EQ(service->getModel(), viewModel.getCurrentPackage());
    EXPECT_NEAR(parameterValue(service->getGainNode(), 0), -4.0f, 1e-4f);
    EXPECT_NEAR(parameterValue(service->getVocaformNode(), tessel::VocaformProcessor::gvCoefficientIndex),
                0.35f, 1e-6f);

    // A rebuild of the chain keeps the model; an empty slot takes it away with offset and strength.
    service->rebuildGraph();
    EXPECT_EQ(service->getModel(), viewModel.getCurrentPackage());
    viewModel.setSlot(PupackSelectorViewModel::slotA, "");
    EXPECT_EQ(service->getModel(), nullptr);
    EXPECT_NEAR(parameterValue(service->getGainNode(), 0), 0.0f, 1e-4f);
    EXPECT_NEAR(parameterValue(service->getVocaformNode(), tessel::VocaformProcessor::gvCoefficientIndex),
                0.0f, 1e-6f);

    // At shutdown the service goes first; the library then finds nobody to tell.
    viewModel.setSlot(PupackSelectorViewModel::slotA, "BobMale");
    service.reset();
    library.reset();
}
