// Importing a 10 MB INI file (other sections first, the layout's section last) against
// its I/O floor: reading the file once, and 144 reads and 144 writes of a byte of the
// layout file. Each import starts with a new profile engine, so nothing is cached.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "layout/KeyTable.h"
#include "layout/LayoutIni.h"
#include "layout/WorkingLayout.h"
#include "platform/portable/EmbeddedResources.h"
#include "platform/portable/PortableProfileFile.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace tastavia {
namespace {

constexpr std::size_t kIniSize = 10 << 20;

struct Setup {
    std::string dir;
    PosixFiles files{"/", "/tmp/"};
    PosixClock clock;
    EmbeddedResources resources;
    WorkingLayout layout{files, clock, resources};
    std::string ini;

    Setup() {
        char pattern[] = "/tmp/tastavia-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        ini = dir + "/big.ini";
        std::string text;
        for (int section = 0; text.size() < kIniSize; ++section) {
            text += "[Other" + std::to_string(section) + "]\r\n";
            for (int key = 0; key < 100; ++key)
                text += "Key" + std::to_string(key) + "=a value of an ordinary length, " + std::to_string(key) + "\r\n";
        }
        text += "[KBD]\r\n";
        for (int key = 1; key <= 96; ++key) text += std::to_string(key) + "=" + std::to_string(160 + key) + "\r\n";
        for (int key = 1001; key <= 1048; ++key) text += std::to_string(key) + "=1\r\n";
        files.WriteAll(ini, text);
        layout.SetOsKind(kOsWinXp);
        layout.SetTempDirectory(dir + "/");
        layout.OpenWorkingFile(kTemplateMarker);
    }
    ~Setup() {
        layout.OpenWorkingFile("");
        std::remove(ini.c_str());
        ::rmdir(dir.c_str());
    }
};

void Floor(benchmark::State& state) {
    Setup setup;
    std::unique_ptr<RandomAccessFile> file = setup.files.Open(setup.layout.WorkingPath(), FileAccess::ReadWrite);
    for (auto _ : state) {
        benchmark::DoNotOptimize(setup.files.ReadAll(setup.ini));
        for (std::uint32_t i = 0; i < 144; ++i) {
            file->Seek(1024 + i);
            std::uint8_t byte = file->ReadByte();
            file->Seek(1024 + i);
            file->WriteByte(byte);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kIniSize));
}

void Import(benchmark::State& state) {
    Setup setup;
    for (auto _ : state) {
        PortableProfileFile profile(setup.files);
        ImportLayout(setup.layout, profile, setup.ini);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kIniSize));
}

BENCHMARK(Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Import)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tastavia

BENCHMARK_MAIN();
