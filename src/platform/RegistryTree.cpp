#include "platform/RegistryTree.h"

#include <algorithm>

#include "platform/Errors.h"

namespace tastavia {

namespace {

unsigned char Fold(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Copies the tree at from into to, creating to and its missing ancestors.
void CopyTree(Registry& registry, RootKey root, const std::string& from, const std::string& to,
              const CopyValuesFunction& copyValues) {
    std::unique_ptr<RegistryKey> source = registry.OpenForReading(root, from);
    if (!source) throw RegistryError("Cannot open the registry key " + from);
    std::unique_ptr<RegistryKey> target = registry.Open(root, to, true);
    if (!target) throw RegistryError("Cannot create the registry key " + to);
    copyValues(*source, *target);
    for (const std::string& name : source->SubKeyNames())
        CopyTree(registry, root, JoinKeyPath(from, name), JoinKeyPath(to, name), copyValues);
}

bool TryCopyTree(Registry& registry, RootKey root, const std::string& from, const std::string& to,
                 const CopyValuesFunction& copyValues) {
    try {
        CopyTree(registry, root, from, to, copyValues);
        return true;
    } catch (const AppError&) {
        return false;
    }
}

// The first key on the way down to path that does not exist yet: what creating path
// adds to the registry ("" when path exists).
std::string FirstMissingKey(Registry& registry, RootKey root, const std::string& path) {
    std::string walked;
    for (const std::string& name : SplitKeyPath(path)) {
        walked = JoinKeyPath(walked, name);
        if (!registry.KeyExists(root, walked)) return walked;
    }
    return {};
}

// Removes a copy at target and the keys that making it added above it.
void RemoveCopy(Registry& registry, RootKey root, const std::string& target, const std::string& made) {
    registry.DeleteKey(root, target);
    if (!made.empty() && !SameKeyName(made, target)) registry.DeleteKey(root, made);
}

}  // namespace

bool KeyNameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

bool SameKeyName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Fold(x) == Fold(y);
           });
}

std::string FoldKeyName(const std::string& name) {
    std::string folded(name.size(), '\0');
    std::transform(name.begin(), name.end(), folded.begin(), [](char c) { return static_cast<char>(Fold(c)); });
    return folded;
}

std::string NormalizeKeyPath(const std::string& path) {
    // Most paths are already so (a subkey's name, a path written in the code): kept as they are.
    if (!path.empty() && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string::npos)
        return path;
    std::string joined;
    for (const std::string& name : SplitKeyPath(path)) joined = JoinKeyPath(joined, name);
    return joined;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string JoinKeyPath(const std::string& parent, const std::string& child) {
    return parent.empty() ? child : parent + "\\" + child;
}

bool IsKeyPathWithin(const std::string& path, const std::string& ancestor) {
    std::string p = FoldKeyName(NormalizeKeyPath(path));
    std::string a = FoldKeyName(NormalizeKeyPath(ancestor));
    return p == a || (p.size() > a.size() && p.compare(0, a.size(), a) == 0 && p[a.size()] == '\\');
}

std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

bool DeleteKeyTree(Registry& registry, RootKey root, const std::string& path, const DeleteEmptyKeyFunction& deleteEmpty) {
    const std::string key = NormalizeKeyPath(path);
    if (key.empty()) return false;
    std::vector<std::string> names;
    {
        std::unique_ptr<RegistryKey> open = registry.OpenForReading(root, key);
        if (!open) return false;
        names = open->SubKeyNames();
    }
    for (const std::string& name : names)
        if (!DeleteKeyTree(registry, root, JoinKeyPath(key, name), deleteEmpty)) return false;
    return deleteEmpty(root, key);
}

void CopyStringValues(RegistryKey& source, RegistryKey& target) {
    for (const std::string& name : source.ValueNames()) target.WriteString(name, source.ReadString(name));
}

bool MoveKeyTree(Registry& registry, RootKey root, const std::string& from, const std::string& to,
                 const CopyValuesFunction& copyValues) {
    const std::string source = NormalizeKeyPath(from);
    const std::string target = NormalizeKeyPath(to);
    // A target inside the source would be copied into itself without end.
    if (source.empty() || target.empty() || IsKeyPathWithin(target, source)) return false;
    if (!registry.KeyExists(root, source) || registry.KeyExists(root, target)) return false;
    const std::string made = FirstMissingKey(registry, root, target);
    if (!TryCopyTree(registry, root, source, target, copyValues)) {
        RemoveCopy(registry, root, target, made);
        return false;
    }
    if (registry.DeleteKey(root, source)) return true;
    // Part of the source may be gone: the complete copy puts it back. Should that fail
    // too, the copy stays, as the only complete one.
    if (TryCopyTree(registry, root, target, source, copyValues)) RemoveCopy(registry, root, target, made);
    return false;
}

}  // namespace tastavia
