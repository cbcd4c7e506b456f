#include "platform/portable/PortableProfileFile.h"

namespace tastavia {

// Placeholder: the engine lands with its tests.
std::string PortableProfileFile::GetString(const std::string&, const std::string&, const std::string&,
                                           const std::string& defaultValue) {
    return defaultValue;
}

bool PortableProfileFile::WriteString(const std::string&, const std::string&, const std::string&,
                                      const std::string&) {
    return false;
}

void PortableProfileFile::Flush(const std::string&) {}

}  // namespace tastavia
