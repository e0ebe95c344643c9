// Start-up cost of the model library with N built-in packages of the shipped size (44100 Hz, 32
// mixture classes: about 460 kB each), and the view model's load and model switch.

#include "app/PropertiesFileManager.h"
#include "library/PupackManager.h"
#include "library/PupackSelectorViewModel.h"
#include "models/TestPackage.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
struct SilentAudioTarget : tessel::PupackAudioTarget
{
    void setModel(Pupack*) override {}
    void setOffsetDecibel(float) override {}
    void setCoefficientGV(float) override {}
};

struct SilentNotifier : tessel::PupackAlertNotifier
{
    void showWarning(const juce::String&, const juce::String&, const juce::String&) override {}
};

/** N packages of distinct targets, each with a 256-pixel image. */
class BuiltInSet
{
public:
    explicit BuiltInSet(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            test_models::TestPackageOptions options;
            options.classes = 32;
            options.seed = static_cast<std::uint32_t>(i + 1);
            auto members = test_models::testPackageMembers(options);
            const std::string json = "{\"version\": 1, \"formatVersion\": 3, \"target\": \"Voice " +
                                     std::to_string(i) + "\", \"narrator\": \"Male\"}";
            test_models::findMember(members, "model.json")->bytes.assign(json.begin(), json.end());
            members.push_back({"img256.png", std::vector<std::uint8_t>(60000, 0x42)});
            bytes.push_back(test_models::packageBytes(members));
        }
        for (std::size_t i = 0; i < bytes.size(); ++i)
            embedded.push_back({"voice" + juce::String((int)i) + ".ppc", bytes[i].data(), bytes[i].size()});
    }

    std::vector<std::vector<std::uint8_t>> bytes;
    std::vector<tessel::PupackManager::EmbeddedPupack> embedded;
};

std::unique_ptr<tessel::PupackManager> startLibrary(const juce::File& folder, const BuiltInSet& set)
{
    return std::make_unique<tessel::PupackManager>(folder, std::make_unique<SilentAudioTarget>(), "en", set.embedded,
                                                   std::make_unique<SilentNotifier>());
}

juce::File freshFolder()
{
    auto folder = juce::File::createTempFile("");
    folder.createDirectory();
    return folder;
}

/** Empty settings folder: every package is extracted, then both folders are scanned. */
void BM_FirstStart(benchmark::State& state)
{
    const BuiltInSet set(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        state.PauseTiming();
        const auto folder = freshFolder();
        state.ResumeTiming();
        benchmark::DoNotOptimize(startLibrary(folder, set));
        state.PauseTiming();
        folder.deleteRecursively();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstStart)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

/** Every package already extracted: nothing is written, the folders are scanned twice. */
void BM_Restart(benchmark::State& state)
{
    const BuiltInSet set(static_cast<int>(state.range(0)));
    const auto folder = freshFolder();
    startLibrary(folder, set);
    for (auto _ : state)
        benchmark::DoNotOptimize(startLibrary(folder, set));
    folder.deleteRecursively();
}
BENCHMARK(BM_Restart)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

/** The view model's load with stored settings for every model. */
void BM_ViewModelLoad(benchmark::State& state)
{
    const BuiltInSet set(static_cast<int>(state.range(0)));
    const auto folder = freshFolder();
    auto library = startLibrary(folder, set);
    tessel::PropertiesFileManager store;
    library->setSelectorViewModel(std::make_unique<tessel::PupackSelectorViewModel>(*library, store));
    auto& viewModel = *library->getSelectorViewModel();
    viewModel.load();
    viewModel.setSlot(0, library->getRecords().front()->identifier);
    for (auto _ : state)
        viewModel.load();
    library.reset();
    folder.deleteRecursively();
}
BENCHMARK(BM_ViewModelLoad)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

/** Switching between two slots holding different models: each switch opens the package. */
void BM_ModelSwitch(benchmark::State& state)
{
    const BuiltInSet set(2);
    const auto folder = freshFolder();
    auto library = startLibrary(folder, set);
    tessel::PropertiesFileManager store;
    library->setSelectorViewModel(std::make_unique<tessel::PupackSelectorViewModel>(*library, store));
    auto& viewModel = *library->getSelectorViewModel();
    viewModel.load();
    viewModel.setSlot(0, library->getRecords()[0]->identifier);
    viewModel.setSlot(1, library->getRecords()[1]->identifier);
    int slot = 0;
    for (auto _ : state)
        viewModel.selectSlot(slot ^= 1);
    library.reset();
    folder.deleteRecursively();
}
BENCHMARK(BM_ModelSwitch)->Unit(benchmark::kMicrosecond);
} // namespace
