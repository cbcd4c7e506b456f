// The catalogue's refresh over 1,000 installed Bulgarian layouts, against the floor of
// enumerating the same keys and reading their two values directly.
#include <benchmark/benchmark.h>

#include "platform/memory/MemoryRegistry.h"
#include "registry/Catalogue.h"
#include "ui/headless/HeadlessBackend.h"

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

void Refresh(benchmark::State& state) {
    Installed installed;
    ui::HeadlessBackend backend;
    ui::Application app(backend);
    ui::Form form(app, "Form");
    ui::ListView list(&form, "list");
    ui::Edit name(&form, "name"), file(&form, "file");
    ui::Button load(&form, "load"), save(&form, "save"), remove(&form, "remove");
    Catalogue catalogue(installed.registry, CatalogueView{list, name, file, load, save, remove},
                        [] { return kOsWinXp; }, [] { return true; });
    name.SetText("Bulgarian layout 999");
    for (auto _ : state) {
        catalogue.Button8Click();
        benchmark::DoNotOptimize(catalogue.Records().data());
    }
    state.counters["entries"] = static_cast<double>(catalogue.Records().size());
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Refresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tastavia

BENCHMARK_MAIN();
