#pragma once
// What every Registry shares: the registry's rules for names and paths, and the tree
// operations (recursive delete, copy, move) written once over the public interface.
// An implementation supplies only the steps the interface lacks.
#include <functional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tastavia {

// Orders names as NT and Wine enumerate them: ASCII letters folded to lower case, then
// byte by byte. The registry also folds non-ASCII letters; these rules do not.
struct KeyNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

bool SameKeyName(const std::string& a, const std::string& b);
// The name in lower case (ASCII), for comparing whole paths.
std::string FoldKeyName(const std::string& name);
// The components of a normalized path.
std::vector<std::string> SplitKeyPath(const std::string& path);
std::string JoinKeyPath(const std::string& parent, const std::string& child);
// True when path is ancestor itself or lies beneath it.
bool IsKeyPathWithin(const std::string& path, const std::string& ancestor);
// The text up to the first NUL, as the registry's C strings keep it.
std::string UpToNul(const std::string& text);

// Deletes an existing key that has no subkeys; false when it could not.
using DeleteEmptyKeyFunction = std::function<bool(RootKey root, const std::string& path)>;
// Copies every value of source into target; throws RegistryError when it cannot.
using CopyValuesFunction = std::function<void(RegistryKey& source, RegistryKey& target)>;

// Deletes the subkeys depth first, then the key. Stops at the first key that cannot
// be opened or deleted, so as to delete no more than needed.
bool DeleteKeyTree(Registry& registry, RootKey root, const std::string& path, const DeleteEmptyKeyFunction& deleteEmpty);

// Values as strings, in the order the source lists them.
void CopyStringValues(RegistryKey& source, RegistryKey& target);

// Registry::MoveKey over copyValues and the registry's own DeleteKey.
bool MoveKeyTree(Registry& registry, RootKey root, const std::string& from, const std::string& to,
                 const CopyValuesFunction& copyValues);

}  // namespace tastavia
