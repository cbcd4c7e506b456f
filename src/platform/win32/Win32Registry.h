#pragma once
// The real registry through advapi32's ANSI functions that Windows 95 already has.
// Keys open with full access, as the program changes what it reads; a key that cannot
// be opened so counts as missing.
#include "platform/Registry.h"

namespace tastavia {

class Win32Registry : public Registry {
public:
    std::unique_ptr<RegistryKey> Open(RootKey root, const std::string& path, bool create) override;
    std::unique_ptr<RegistryKey> OpenForReading(RootKey root, const std::string& path) override;
    // Written out, subkeys first: NT's RegDeleteKey refuses a key that has subkeys.
    bool DeleteKey(RootKey root, const std::string& path) override;
    // Values keep their types and bytes, whatever the type.
    bool MoveKey(RootKey root, const std::string& from, const std::string& to) override;
    // RegNotifyChangeKeyValue, looked up when first needed: Windows 95 lacks it.
    std::unique_ptr<RegistryWatch> Watch(RootKey root, const std::string& path) override;
};

}  // namespace tastavia
