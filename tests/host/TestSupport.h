#pragma once
// What the host tests share: a temporary folder per test, a clock that says what the
// test wants, and the real resources of the program.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "layout/WorkingLayout.h"
#include "platform/portable/EmbeddedResources.h"
#include "platform/posix/PosixFiles.h"

namespace tastavia::test {

inline std::string TempBase() { return std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp"; }

class TempDir {
public:
    explicit TempDir(const std::string& base = TempBase()) {
        std::string pattern = base + "/tastavia-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

inline void MakeReadOnly(const std::string& path) { ::chmod(path.c_str(), 0444); }

inline std::string ResourceFile(const std::string& name) { return ReadFile(std::string(TASTAVIA_RESOURCE_DIR) + "/" + name); }

class FixedClock : public Clock {
public:
    TimeOfDay time{12, 0, 0, 0};
    TimeOfDay LocalTime() override { return time; }
};

// A working layout in a temporary folder, with the real templates.
struct LayoutFixture {
    TempDir dir;
    PosixFiles files{dir.path(), dir.path() + "/"};
    FixedClock clock;
    EmbeddedResources resources;
    WorkingLayout layout{files, clock, resources};

    explicit LayoutFixture(OsKind kind) {
        layout.SetOsKind(kind);
        layout.SetTempDirectory(dir.path() + "/");
    }
    // A fresh template copy as the working file.
    void New() { layout.OpenWorkingFile(kTemplateMarker); }
    std::string WorkingBytes() const { return ReadFile(layout.WorkingPath()); }
};

}  // namespace tastavia::test
