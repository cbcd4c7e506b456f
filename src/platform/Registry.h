#pragma once
// The registry keys the program reads and changes. Key and value names compare without
// regard to letter case and keep their own spelling; every value is a plain string.
// Enumeration order is stable: by name without regard to case (as NT and Wine keep
// subkeys; Wine keeps values so too, while native NT lists values in the order they
// were created, so nothing may depend on the order of values).
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tastavia {

enum class RootKey { LocalMachine, Users, CurrentUser };

// One open key. Failures to change it throw RegistryError. A key deleted while open
// reads as empty and refuses writes.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual std::vector<std::string> SubKeyNames() = 0;
    // How many keys lie directly beneath, asked in one call; nothing when it cannot be told.
    virtual std::optional<std::size_t> SubKeyCount() = 0;
    virtual std::vector<std::string> ValueNames() = 0;
    // A key beneath this one, by a name or a path relative to it, opened for reading only;
    // nothing when it does not exist or cannot be opened. Opening the keys of a list
    // from their parent spares the registry the walk from the root for each.
    virtual std::unique_ptr<RegistryKey> OpenSubKeyForReading(const std::string& path) = 0;
    virtual bool HasValue(const std::string& name) = 0;
    // The value's text up to its first NUL; "" for a missing value. The empty name is
    // the default value.
    virtual std::string ReadString(const std::string& name) = 0;
    // Stores the text up to its first NUL, as the registry keeps strings.
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    // False when the value could not be deleted (also when it does not exist).
    virtual bool DeleteValue(const std::string& name) = 0;
};

// Whether anything beneath a key changed: a key added or removed, a value written or
// deleted, by this program or another. Changed says true once for any number of changes
// since the watch began or since it last said true, and every time it cannot tell.
class RegistryWatch {
public:
    virtual ~RegistryWatch() = default;
    virtual bool Changed() = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Paths are relative to the root; leading, trailing and doubled backslashes are
    // ignored. Without create, a key that does not exist or cannot be opened gives
    // nothing; with create, nothing means the key could not be created or opened.
    // The key is opened for reading and writing.
    virtual std::unique_ptr<RegistryKey> Open(RootKey root, const std::string& path, bool create) = 0;
    // An existing key opened for reading only, as a user without administrator rights
    // still can on HKEY_LOCAL_MACHINE; writing to it fails. Every key that is only read
    // is opened so.
    virtual std::unique_ptr<RegistryKey> OpenForReading(RootKey root, const std::string& path) = 0;
    bool KeyExists(RootKey root, const std::string& path) { return OpenForReading(root, path) != nullptr; }
    // Deletes a key with all its subkeys; false when it is missing (or cannot be
    // opened), when it is a root, or when not all is gone.
    virtual bool DeleteKey(RootKey root, const std::string& path) = 0;
    // Renames a key with its values and subkeys: the whole tree is copied first and the
    // source deleted only after the copy succeeded; a failed copy removes what it made,
    // and a source that cannot be deleted in full is put back and the copy removed.
    // False (and nothing changed) when the source is missing, the target exists or
    // lies inside the source, or the move failed.
    virtual bool MoveKey(RootKey root, const std::string& from, const std::string& to) = 0;
    // A watch over an existing key and all beneath it, from now on; nothing where the
    // registry cannot watch (Windows 95 to ME cannot), and the caller reads again each time.
    virtual std::unique_ptr<RegistryWatch> Watch(RootKey /*root*/, const std::string& /*path*/) { return nullptr; }
};

// "a\\b\\", "\\a\\b" and "a\\\\b" all as "a\\b".
std::string NormalizeKeyPath(const std::string& path);

}  // namespace tastavia
