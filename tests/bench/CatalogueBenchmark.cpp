// The catalogue's refresh over 1,000 installed Bulgarian layouts, against the floor of
// enumerating the same keys and reading their two values directly.
#include <benchmark/benchmark.h>

#include "platform/memory/MemoryRegistry.h"
#include "registry/Catalogue.h"

namespace tastavia {
namespace {

constexpr int kLayouts = 1000;

struct Installed {
    MemoryRegistry registry;
    Installed() {
        for (int i = 0; i < kLayouts; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%04X0402", i);
            auto key = registry.Open(RootKey::LocalMachine, std::string(kKeyboardLayoutsKey) + name, true);
            key->WriteString("layout text", "Bulgarian layout " + std::to_string(i));
            key->WriteString("layout file", "kbdbu" + std::to_string(i) + ".dll");
            key->WriteString("layout id", "0402");
        }
        auto preload = registry.Open(RootKey::CurrentUser, "keyboard layout\\preload", true);
        preload->WriteString("1", "00000402");
        preload->WriteString("2", "00010402");
    }
};

void Floor(benchmark::State& state) {
    Installed installed;
    for (auto _ : state) {
        std::size_t bytes = 0;
        auto layouts = installed.registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey, false);
        for (const std::string& name : layouts->SubKeyNames()) {
            auto key = installed.registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + name, false);
            bytes += key->ReadString("layout text").size() + key->ReadString("layout file").size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

// What the main window's refresh asks of the catalogue: the records, their captions
// and the entry that matches the fields.
void Refresh(benchmark::State& state) {
    Installed installed;
    std::size_t entries = 0;
    for (auto _ : state) {
        std::vector<CatalogueRecord> records = ReadCatalogue(installed.registry, kOsWinXp);
        std::size_t bytes = 0;
        for (const CatalogueRecord& record : records) bytes += CatalogueCaption(record).size();
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(FindMatchingEntry(records, "Bulgarian layout 999", ""));
        entries = records.size();
    }
    state.counters["entries"] = static_cast<double>(entries);
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Refresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tastavia

BENCHMARK_MAIN();
