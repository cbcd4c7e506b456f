#include "platform/memory/MemoryRegistry.h"

#include <map>
#include <set>
#include <tuple>

#include "platform/Errors.h"
#include "platform/RegistryTree.h"

namespace tastavia {

namespace {

struct Node {
    // The maps keep each name's first spelling and list names in the registry's order.
    std::map<std::string, std::string, KeyNameLess> values;
    std::map<std::string, std::shared_ptr<Node>, KeyNameLess> children;
    bool deleted = false;  // what open keys see after the key went
};

template <class Map>
std::vector<std::string> NamesOf(const Map& map) {
    std::vector<std::string> names;
    for (const auto& entry : map) names.push_back(entry.first);
    return names;
}

}  // namespace

struct MemoryRegistry::State {
    std::shared_ptr<Node> roots[3] = {std::make_shared<Node>(), std::make_shared<Node>(), std::make_shared<Node>()};
    std::set<std::tuple<RootKey, std::string, RegistryOperation>> denied;  // paths folded
    std::set<std::pair<RootKey, std::string>> readOnly;
    FaultPlan* plan = nullptr;
    std::size_t calls = 0;
    bool watches = false;
    std::size_t changes = 0;  // keys made and removed, values written and deleted

    bool IsReadOnly(RootKey root, const std::string& path) const {
        for (const auto& [r, top] : readOnly)
            if (r == root && IsKeyPathWithin(path, top)) return true;
        return false;
    }

    bool Fails(const char* operation, const std::string& path) {
        ++calls;
        return plan && plan->NextCallFails(std::string(operation) + " " + path);
    }
    // A read that fails gives what the real registry's failing read gives: nothing.
    bool ReadFails(const char* operation, const std::string& path) {
        ++calls;
        return plan && plan->NextReadFails(std::string(operation) + " " + path);
    }

    bool Denies(RootKey root, const std::string& path, RegistryOperation operation) const {
        return denied.count({root, FoldKeyName(path), operation}) != 0;
    }
    // The node at a normalized path, or nothing.
    std::shared_ptr<Node> Find(RootKey root, const std::string& path) {
        std::shared_ptr<Node> node = roots[static_cast<int>(root)];
        for (const std::string& name : SplitKeyPath(path)) {
            auto child = node->children.find(name);
            if (child == node->children.end()) return nullptr;
            node = child->second;
        }
        return node;
    }
};

namespace {

class MemoryKey : public RegistryKey {
public:
    MemoryKey(std::shared_ptr<MemoryRegistry::State> state, RootKey root, std::string path, std::shared_ptr<Node> node,
              bool writable)
        : state_(std::move(state)), root_(root), path_(std::move(path)), node_(std::move(node)), writable_(writable) {}
    MemoryKey(const MemoryKey&) = delete;
    MemoryKey& operator=(const MemoryKey&) = delete;
    ~MemoryKey() override { ++state_->calls; }

    std::vector<std::string> SubKeyNames() override {
        if (state_->ReadFails("SubKeyNames", path_)) return {};
        state_->calls += node_->children.size();
        return NamesOf(node_->children);
    }
    std::optional<std::size_t> SubKeyCount() override {
        if (state_->ReadFails("SubKeyCount", path_)) return std::nullopt;
        return node_->children.size();
    }
    std::vector<std::string> ValueNames() override {
        if (state_->ReadFails("ValueNames", path_)) return {};
        state_->calls += node_->values.size();
        return NamesOf(node_->values);
    }

    std::unique_ptr<RegistryKey> OpenSubKeyForReading(const std::string& path) override {
        const std::string relative = NormalizeKeyPath(path);
        const std::string key = JoinKeyPath(path_, relative);
        if (state_->Fails("Open", key) || state_->Denies(root_, key, RegistryOperation::Open)) return nullptr;
        std::shared_ptr<Node> node = node_;
        for (const std::string& name : SplitKeyPath(relative)) {
            auto child = node->children.find(name);
            if (child == node->children.end()) return nullptr;
            node = child->second;
        }
        return std::make_unique<MemoryKey>(state_, root_, key, node, false);
    }

    bool HasValue(const std::string& name) override {
        return !state_->ReadFails("HasValue", path_ + "\\" + name) && node_->values.count(UpToNul(name)) != 0;
    }

    std::string ReadString(const std::string& name) override {
        if (state_->ReadFails("ReadString", path_ + "\\" + name)) return {};
        auto value = node_->values.find(UpToNul(name));
        return value == node_->values.end() ? std::string() : value->second;
    }

    void WriteString(const std::string& name, const std::string& value) override {
        if (!writable_ || node_->deleted || state_->Denies(root_, path_, RegistryOperation::Write) ||
            state_->Fails("WriteString", path_ + "\\" + name))
            throw RegistryError("Cannot write the value " + name + " in " + path_);
        ++state_->changes;
        auto existing = node_->values.find(UpToNul(name));
        if (existing != node_->values.end())
            existing->second = UpToNul(value);
        else
            node_->values.emplace(UpToNul(name), UpToNul(value));
    }

    bool DeleteValue(const std::string& name) override {
        if (!writable_ || node_->deleted || state_->Denies(root_, path_, RegistryOperation::Delete) ||
            state_->Fails("DeleteValue", path_ + "\\" + name))
            return false;
        const bool deleted = node_->values.erase(UpToNul(name)) != 0;
        state_->changes += deleted ? 1 : 0;
        return deleted;
    }

private:
    std::shared_ptr<MemoryRegistry::State> state_;
    RootKey root_;
    std::string path_;
    std::shared_ptr<Node> node_;
    bool writable_;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : state_(std::make_shared<State>()) {}

MemoryRegistry::~MemoryRegistry() = default;

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RootKey root, const std::string& path, bool create) {
    const std::string key = NormalizeKeyPath(path);
    if (state_->Fails(create ? "Create" : "Open", key) || state_->IsReadOnly(root, key)) return nullptr;
    std::shared_ptr<Node> node = state_->roots[static_cast<int>(root)];
    std::string walked;
    for (const std::string& name : SplitKeyPath(key)) {
        walked = JoinKeyPath(walked, name);
        auto child = node->children.find(name);
        if (child == node->children.end()) {
            // As with the real registry, the keys made on the way stay when a later one fails.
            if (!create || state_->Denies(root, walked, RegistryOperation::Create)) return nullptr;
            child = node->children.emplace(name, std::make_shared<Node>()).first;
            ++state_->changes;
        }
        node = child->second;
    }
    if (state_->Denies(root, key, RegistryOperation::Open)) return nullptr;
    return std::make_unique<MemoryKey>(state_, root, key, node, true);
}

std::unique_ptr<RegistryKey> MemoryRegistry::OpenForReading(RootKey root, const std::string& path) {
    const std::string key = NormalizeKeyPath(path);
    if (state_->Fails("Open", key) || state_->Denies(root, key, RegistryOperation::Open)) return nullptr;
    std::shared_ptr<Node> node = state_->Find(root, key);
    if (!node) return nullptr;
    return std::make_unique<MemoryKey>(state_, root, key, node, false);
}

bool MemoryRegistry::DeleteKey(RootKey root, const std::string& path) {
    return DeleteKeyTree(*this, root, path,
                         [this](RootKey r, const std::string& p) { return DeleteEmptyKey(r, p); });
}

bool MemoryRegistry::DeleteEmptyKey(RootKey root, const std::string& path) {
    std::vector<std::string> names = SplitKeyPath(path);
    if (names.empty() || state_->IsReadOnly(root, path) || state_->Denies(root, path, RegistryOperation::Delete) ||
        state_->Fails("DeleteKey", path))
        return false;
    std::string leaf = names.back();
    names.pop_back();
    std::string parentPath;
    for (const std::string& name : names) parentPath = JoinKeyPath(parentPath, name);
    std::shared_ptr<Node> parent = state_->Find(root, parentPath);
    if (!parent) return false;
    auto child = parent->children.find(leaf);
    // As on NT, a key with subkeys stays.
    if (child == parent->children.end() || !child->second->children.empty()) return false;
    child->second->deleted = true;
    child->second->values.clear();
    parent->children.erase(child);
    ++state_->changes;
    return true;
}

namespace {

class MemoryWatch : public RegistryWatch {
public:
    explicit MemoryWatch(std::shared_ptr<MemoryRegistry::State> state)
        : state_(std::move(state)), seen_(state_->changes) {}
    bool Changed() override {
        if (seen_ == state_->changes) return false;
        ++state_->calls;  // the request made again
        seen_ = state_->changes;
        return true;
    }

private:
    std::shared_ptr<MemoryRegistry::State> state_;
    std::size_t seen_;
};

}  // namespace

std::unique_ptr<RegistryWatch> MemoryRegistry::Watch(RootKey root, const std::string& path) {
    if (!state_->watches || !OpenForReading(root, path)) return nullptr;
    state_->calls += 2;  // the key opened for the watch, the request
    return std::make_unique<MemoryWatch>(state_);
}

void MemoryRegistry::EnableWatches() { state_->watches = true; }

bool MemoryRegistry::MoveKey(RootKey root, const std::string& from, const std::string& to) {
    return MoveKeyTree(*this, root, from, to, CopyStringValues);
}

void MemoryRegistry::Deny(RootKey root, const std::string& path, RegistryOperation operation) {
    state_->denied.insert({root, FoldKeyName(NormalizeKeyPath(path)), operation});
}

void MemoryRegistry::MakeReadOnly(RootKey root, const std::string& path) {
    state_->readOnly.insert({root, NormalizeKeyPath(path)});
}

void MemoryRegistry::AllowAll() {
    state_->denied.clear();
    state_->readOnly.clear();
}

void MemoryRegistry::SetFaultPlan(FaultPlan* plan) { state_->plan = plan; }

std::size_t MemoryRegistry::Calls() const { return state_->calls; }

void MemoryRegistry::ResetCalls() { state_->calls = 0; }

}  // namespace tastavia
