#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Errors.h"
#include "platform/RegistryTree.h"
#include "platform/win32/LookupFunction.h"

namespace tastavia {

namespace {

// Key names have at most 255 characters, value names 16383 on NT; the buffer grows
// from the first size up to the last.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kLastNameBuffer = 65536;
// Layout names and file names fit the first buffer; a value that keeps growing between
// two reads is given up on.
constexpr DWORD kFirstValueBuffer = 256;
constexpr int kReadAttempts = 8;

HKEY RootHandle(RootKey root) {
    switch (root) {
        case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RootKey::Users: return HKEY_USERS;
        case RootKey::CurrentUser: break;
    }
    return HKEY_CURRENT_USER;
}

class KeyHandle {
public:
    explicit KeyHandle(HKEY h) : h_(h) {}
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() { RegCloseKey(h_); }
    HKEY Get() const { return h_; }

private:
    HKEY h_;
};

// The names that enumerate(index, buffer, &length) gives for index 0, 1, ... until it fails.
template <class Enumerate>
std::vector<std::string> EnumerateNames(Enumerate enumerate) {
    std::vector<std::string> names;
    std::vector<char> buffer(kFirstNameBuffer);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LONG result = enumerate(index, buffer.data(), &length);
        if (result == ERROR_MORE_DATA && buffer.size() < kLastNameBuffer) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        // ERROR_NO_MORE_ITEMS ends the list; a key deleted meanwhile lists nothing more.
        if (result != ERROR_SUCCESS) break;
        auto end = buffer.begin() + std::min<std::size_t>(length, buffer.size());
        names.emplace_back(buffer.begin(), std::find(buffer.begin(), end, '\0'));
        ++index;
    }
    return names;
}

// The value's type and bytes; false when it is missing or cannot be read. One call where
// the value fits the first buffer, as nearly every value the program reads does; a larger
// one is read again into a buffer of the size the registry gave.
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::string& bytes) {
    BYTE first[kFirstValueBuffer];
    std::vector<BYTE> larger;
    BYTE* buffer = first;
    DWORD capacity = kFirstValueBuffer;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD got = capacity;
        LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer, &got);
        if (result == ERROR_MORE_DATA) {
            // The size needed, with room for the NUL a string read may add; doubled
            // should a system not give it.
            const DWORD wanted = std::max<DWORD>(got > capacity ? got + 1 : 0, capacity * 2);
            larger.assign(wanted, 0);
            buffer = larger.data();
            capacity = wanted;
            continue;
        }
        if (result != ERROR_SUCCESS) return false;
        bytes.assign(reinterpret_cast<const char*>(buffer), std::min<DWORD>(got, capacity));
        return true;
    }
    return false;
}

class Win32Key : public RegistryKey {
public:
    Win32Key(HKEY h, std::string path) : handle_(h), path_(std::make_shared<const std::string>(std::move(path))) {}
    // A subkey names its path only when an error tells it, so that reading many keys
    // builds no strings.
    Win32Key(HKEY h, std::shared_ptr<const std::string> parent, std::string name)
        : handle_(h), path_(std::move(parent)), name_(std::move(name)) {}

    std::vector<std::string> SubKeyNames() override {
        return EnumerateNames([this](DWORD index, char* name, DWORD* length) {
            return RegEnumKeyExA(handle_.Get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::optional<std::size_t> SubKeyCount() override {
        DWORD count = 0;
        if (RegQueryInfoKeyA(handle_.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return std::nullopt;
        return count;
    }

    std::vector<std::string> ValueNames() override {
        return EnumerateNames([this](DWORD index, char* name, DWORD* length) {
            return RegEnumValueA(handle_.Get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::unique_ptr<RegistryKey> OpenSubKeyForReading(const std::string& path) override {
        const std::string relative = NormalizeKeyPath(path);
        HKEY h = nullptr;
        if (RegOpenKeyExA(handle_.Get(), relative.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return nullptr;
        return std::make_unique<Win32Key>(h, Path(), relative);
    }

    bool HasValue(const std::string& name) override {
        DWORD size = 0;
        return RegQueryValueExA(handle_.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
    }

    // Any type reads as its bytes up to the first NUL.
    std::string ReadString(const std::string& name) override {
        DWORD type = 0;
        std::string bytes;
        if (!QueryValue(handle_.Get(), name, type, bytes)) return std::string();
        bytes.resize(std::min(bytes.size(), bytes.find('\0')));
        return bytes;
    }

    void WriteString(const std::string& name, const std::string& value) override {
        std::string text = UpToNul(value);
        if (RegSetValueExA(handle_.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
            throw RegistryError("Cannot write the value " + name + " in " + *Path());
    }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(handle_.Get(), name.c_str()) == ERROR_SUCCESS;
    }

    // Every value with its own type, so that a move changes nothing but the key's place.
    void CopyValuesTo(Win32Key& target) {
        for (const std::string& name : ValueNames()) {
            DWORD type = 0;
            std::string bytes;
            if (!QueryValue(handle_.Get(), name, type, bytes))
                throw RegistryError("Cannot read the value " + name + " in " + *Path());
            if (RegSetValueExA(target.handle_.Get(), name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
                throw RegistryError("Cannot write the value " + name + " in " + *target.Path());
        }
    }

private:
    std::shared_ptr<const std::string> Path() {
        if (!name_.empty()) {
            path_ = std::make_shared<const std::string>(*path_ + "\\" + name_);
            name_.clear();
        }
        return path_;
    }

    KeyHandle handle_;
    std::shared_ptr<const std::string> path_;  // of the key, or of its parent while name_ is set
    std::string name_;
};

using NotifyFunction = LONG(WINAPI*)(HKEY, BOOL, DWORD, HANDLE, BOOL);

NotifyFunction NotifyEntry() {
    static const NotifyFunction entry =
        LookupFunction<NotifyFunction>(GetModuleHandleA("advapi32.dll"), "RegNotifyChangeKeyValue");
    return entry;
}

// The system sets the event at the first change after each request; the request is
// made again before Changed says true, so that a change made while the caller reads is
// told the next time. Closing the key ends the request.
class Win32Watch : public RegistryWatch {
public:
    Win32Watch(HKEY key, HANDLE event, NotifyFunction notify) : key_(key), event_(event), notify_(notify) {}
    Win32Watch(const Win32Watch&) = delete;
    Win32Watch& operator=(const Win32Watch&) = delete;
    ~Win32Watch() override { CloseHandle(event_); }

    bool Arm() {
        ResetEvent(event_);
        armed_ = notify_(key_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE) ==
                 ERROR_SUCCESS;
        return armed_;
    }
    bool Changed() override {
        if (armed_ && WaitForSingleObject(event_, 0) == WAIT_TIMEOUT) return false;
        Arm();
        return true;
    }

private:
    KeyHandle key_;
    HANDLE event_;
    NotifyFunction notify_;
    bool armed_ = false;
};

}  // namespace

std::unique_ptr<RegistryWatch> Win32Registry::Watch(RootKey root, const std::string& path) {
    const NotifyFunction notify = NotifyEntry();
    HKEY h = nullptr;
    if (!notify || RegOpenKeyExA(RootHandle(root), NormalizeKeyPath(path).c_str(), 0, KEY_NOTIFY, &h) != ERROR_SUCCESS)
        return nullptr;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
        RegCloseKey(h);
        return nullptr;
    }
    auto watch = std::make_unique<Win32Watch>(h, event, notify);
    // Windows 98 and ME have the function but answer that they cannot.
    if (!watch->Arm()) return nullptr;
    return watch;
}

std::unique_ptr<RegistryKey> Win32Registry::Open(RootKey root, const std::string& path, bool create) {
    const std::string key = NormalizeKeyPath(path);
    HKEY h = nullptr;
    LONG result;
    if (create) {
        DWORD disposition = 0;
        result = RegCreateKeyExA(RootHandle(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &h, &disposition);
    } else {
        result = RegOpenKeyExA(RootHandle(root), key.c_str(), 0, KEY_ALL_ACCESS, &h);
        // A standard user may read the machine's layouts without the right to change
        // them: the catalogue still lists them, and a change fails where it is tried.
        if (result == ERROR_ACCESS_DENIED) result = RegOpenKeyExA(RootHandle(root), key.c_str(), 0, KEY_READ, &h);
    }
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(h, key);
}

std::unique_ptr<RegistryKey> Win32Registry::OpenForReading(RootKey root, const std::string& path) {
    const std::string key = NormalizeKeyPath(path);
    HKEY h = nullptr;
    if (RegOpenKeyExA(RootHandle(root), key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(h, key);
}

bool Win32Registry::DeleteKey(RootKey root, const std::string& path) {
    return DeleteKeyTree(*this, root, path, [](RootKey r, const std::string& p) {
        return RegDeleteKeyA(RootHandle(r), p.c_str()) == ERROR_SUCCESS;
    });
}

bool Win32Registry::MoveKey(RootKey root, const std::string& from, const std::string& to) {
    // Open gives only Win32Key objects, so the tree walk hands those back.
    return MoveKeyTree(*this, root, from, to, [](RegistryKey& source, RegistryKey& target) {
        static_cast<Win32Key&>(source).CopyValuesTo(static_cast<Win32Key&>(target));
    });
}

}  // namespace tastavia
