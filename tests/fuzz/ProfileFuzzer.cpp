// The profile-file engine on arbitrary files and arbitrary calls: no crash, no hang,
// and what the engine holds in memory reads as the file it writes: a new engine over
// the flushed file gives the same values, wherever a name or value cannot reshape the
// file (no line break in it, no '=' in a key, no key starting with '[' or a byte-order
// mark).
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <utility>

#include "platform/Errors.h"
#include "platform/memory/MemoryFiles.h"
#include "platform/portable/PortableProfileFile.h"

namespace {

using tastavia::MemoryFiles;
using tastavia::PortableProfileFile;

const char* const kPath = "dir/layout.ini";
constexpr std::size_t kLargestFile = 1 << 20;  // scripts/fuzz gives inputs up to this size

bool Reshapes(const std::string& text, bool isKey) {
    std::string cut = text.substr(0, text.find('\0'));
    if (cut.find_first_of("\r\n") != std::string::npos) return true;
    if (!isKey) return false;
    std::size_t first = cut.find_first_not_of(" \t\v\f");
    if (first == std::string::npos) return false;
    // The key is written trimmed: written first in a file, it may begin the file with
    // what reads as a byte-order mark.
    const std::string trimmed = cut.substr(first);
    return cut.find('=') != std::string::npos || trimmed[0] == '[' || trimmed.rfind("\xEF\xBB\xBF", 0) == 0 ||
           trimmed.rfind("\xFF\xFE", 0) == 0 || trimmed.rfind("\xFE\xFF", 0) == 0;
}

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    MemoryFiles files;
    const std::string initial = input.ConsumeRandomLengthString(kLargestFile);
    files.WriteAll(kPath, initial);
    // Each call may read the whole file, as the real API does: the calls on a large
    // file are fewer, so that no input runs for seconds.
    std::size_t calls = (std::size_t{64} << 20) / (initial.size() + 1024);
    std::set<std::pair<std::string, std::string>> asked;
    bool comparable = true;
    {
        PortableProfileFile profile(files);
        while (input.remaining_bytes() > 0 && calls-- > 0) {
            const int operation = input.ConsumeIntegralInRange(0, 3);
            std::string section = input.ConsumeRandomLengthString(12);
            std::string key = input.ConsumeRandomLengthString(12);
            if (operation == 0) {
                profile.GetString(kPath, section, key, input.ConsumeRandomLengthString(8));
            } else if (operation == 1) {
                std::string value = input.ConsumeRandomLengthString(24);
                comparable = comparable && !Reshapes(section, false) && !Reshapes(key, true) && !Reshapes(value, false);
                profile.WriteString(kPath, section, key, value);
            } else if (operation == 2) {
                Require(profile.Flush(kPath));
            } else {
                // Another program's write after ours: the file is all theirs, and must be read anew.
                Require(profile.Flush(kPath));
                files.WriteAll(kPath, input.ConsumeRandomLengthString(64));
                comparable = true;
                asked.clear();
                continue;
            }
            asked.emplace(section, key);
        }
        Require(profile.Flush(kPath));
        if (comparable) {
            PortableProfileFile fresh(files);
            for (const auto& [section, key] : asked)
                Require(profile.GetString(kPath, section, key, "\x01") == fresh.GetString(kPath, section, key, "\x01"));
        }
    }
    return 0;
}
