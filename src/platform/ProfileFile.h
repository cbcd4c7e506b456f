#pragma once
// One key of an INI file, with the rules of the Windows profile-file service:
// section and key names match without regard to letter case, other sections and keys
// stay untouched, a written key replaces its line in place or is added at the end of
// its section, and a missing section or file is created.
#include <string>

namespace tastavia {

class ProfileFile {
public:
    static constexpr std::size_t kMaxValue = 2047;  // characters read of one value

    virtual ~ProfileFile() = default;
    // The key's value, or defaultValue when the file, section or key is missing.
    virtual std::string GetString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) = 0;
    // False when the file could not be written. A service may keep writes in memory
    // until Flush, as Windows 9x does.
    virtual bool WriteString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    // Makes sure everything written so far is in the file; false when it could not.
    virtual bool Flush(const std::string& path) = 0;
};

}  // namespace tastavia
