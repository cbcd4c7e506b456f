// Importing a large INI file (other sections first, the layout's section last) against
// its I/O floor: reading the file once, and 144 reads and 144 writes of a byte of the
// layout file. Each import starts with a new profile engine, so nothing is cached.
// Arguments: the file's size in MB and its line break (0 CR LF, 1 a lone CR, 2 LF);
// each import is registered right after its floor, so that the two alternate.
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

struct Setup {
    std::string dir;
    PosixFiles files{"/", "/tmp/"};
    PosixClock clock;
    EmbeddedResources resources;
    WorkingLayout layout{files, clock, resources};
    std::string ini;
    std::size_t size;

    Setup(std::size_t megabytes, int breakKind) : size(megabytes << 20) {
        const std::string eol = breakKind == 0 ? "\r\n" : breakKind == 1 ? "\r" : "\n";
        char pattern[] = "/tmp/tastavia-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        ini = dir + "/big.ini";
        std::string text;
        text.reserve(size + 4096);
        for (int section = 0; text.size() < size; ++section) {
            text += "[Other" + std::to_string(section) + "]" + eol;
            for (int key = 0; key < 100; ++key)
                text += "Key" + std::to_string(key) + "=a value of an ordinary length, " + std::to_string(key) + eol;
        }
        text += "[KBD]" + eol;
        for (int key = 1; key <= 96; ++key) text += std::to_string(key) + "=" + std::to_string(160 + key) + eol;
        for (int key = 1001; key <= 1048; ++key) text += std::to_string(key) + "=1" + eol;
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
    Setup setup(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
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
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * setup.size));
}

void Import(benchmark::State& state) {
    Setup setup(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        PortableProfileFile profile(setup.files);
        ImportLayout(setup.layout, profile, setup.ini);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * setup.size));
}

#define FLOOR_AND_IMPORT(megabytes, breakKind, iterations)                                               \
    BENCHMARK(Floor)->Args({megabytes, breakKind})->Iterations(iterations)->Unit(benchmark::kMillisecond); \
    BENCHMARK(Import)->Args({megabytes, breakKind})->Iterations(iterations)->Unit(benchmark::kMillisecond)

FLOOR_AND_IMPORT(10, 0, 20);
FLOOR_AND_IMPORT(10, 1, 20);
FLOOR_AND_IMPORT(100, 1, 3);
FLOOR_AND_IMPORT(100, 2, 3);

}  // namespace
}  // namespace tastavia

BENCHMARK_MAIN();
