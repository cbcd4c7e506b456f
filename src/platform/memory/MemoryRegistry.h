#pragma once
// A registry held in memory, for tests: the three roots, the real registry's rules for
// names, paths and enumeration order, and failures on demand for testing the callers.
#include <memory>
#include <string>

#include "platform/Registry.h"
#include "platform/memory/FaultPlan.h"

namespace tastavia {

// What Deny can make fail.
enum class RegistryOperation {
    Open,    // the key cannot be opened, so it counts as missing; its parent still lists it
    Create,  // the key cannot be made (an existing one still opens)
    Write,   // writing a value in the key throws RegistryError
    Delete,  // neither the key nor a value in it can be deleted
};

class MemoryRegistry : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    std::unique_ptr<RegistryKey> Open(RootKey root, const std::string& path, bool create) override;
    std::unique_ptr<RegistryKey> OpenForReading(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;
    bool MoveKey(RootKey root, const std::string& from, const std::string& to) override;
    // Only after EnableWatches, as the real registry of Windows 2000 and later; a watch
    // then tells any change anywhere in this registry, which is the safe side.
    std::unique_ptr<RegistryWatch> Watch(RootKey root, const std::string& path) override;
    void EnableWatches();

    // From now on, operation fails on the key at path, whether that key exists yet or
    // not; keys above and below it are not affected. Keys already open are affected too.
    void Deny(RootKey root, const std::string& path, RegistryOperation operation);
    // From now on the key at path and every key beneath it open only for reading, as
    // HKEY_LOCAL_MACHINE does for a user without administrator rights: opening them to
    // write, creating, deleting and moving keys there fail. AllowAll lifts it.
    void MakeReadOnly(RootKey root, const std::string& path);
    void AllowAll();
    // From now on every call that can fail (open or create, write, delete a value,
    // delete one key of a tree; a move is made of these) also asks plan; null: none.
    void SetFaultPlan(FaultPlan* plan);
    // The calls the real registry would have been asked so far: each open, read, write,
    // delete and close is one, and an enumeration one per name and one that ends it.
    std::size_t Calls() const;
    void ResetCalls();

    struct State;

private:
    bool DeleteEmptyKey(RootKey root, const std::string& path);

    std::shared_ptr<State> state_;  // shared with open keys, which may outlive this
};

}  // namespace tastavia
