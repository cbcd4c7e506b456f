#pragma once
// The text of one profile file, parsed once and edited in memory, with the rules of the
// Windows profile API: lines end in CR LF, LF or a lone CR; a header is '[' and a last
// ']' (what follows it is ignored); every other non-blank line is an entry of its
// section, name and value split at the first '='; lines before the first header form a
// section without a name; of sections or keys named alike only the first counts; names
// match with ASCII letters folded. Char is char (ANSI text) or char16_t (UTF-16 text).
//
// Edits never move the parsed lines: a changed line is kept beside its original, and
// added lines wait after the line they follow, so that a file of millions of lines
// costs one pass to parse and one to write out, whatever the number of edits.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tastavia {

template <class Char>
class ProfileText {
public:
    using Text = std::basic_string<Char>;
    using View = std::basic_string_view<Char>;

    explicit ProfileText(Text text) : text_(std::move(text)) { Parse(); }

    // The trimmed value of a key, quotes still on; nothing for a missing key or an
    // entry without '='. Names are given trimmed.
    std::optional<Text> Find(View section, View key) {
        const Section& where = Locate(section);
        std::optional<Ref> ref = FindKey(where, key);
        if (!ref) return std::nullopt;
        Entry entry = Split(LineText(*ref));
        if (!entry.hasValue) return std::nullopt;
        return Text(entry.value);
    }

    // Sets a key's value; false when it already had exactly that value.
    bool Set(View section, View key, View value) {
        const Section& where = Locate(section);
        if (!where.found) {  // where goes with the cache below
            appended_.push_back({Text(section), {}});
            sectionCache_.reset();
            AddLine(AppendedId(appended_.size() - 1), key, value, kAtEnd);
            return true;
        }
        if (std::optional<Ref> ref = FindKey(where, key)) {
            Entry entry = Split(LineText(*ref));
            if (entry.hasValue && entry.value == value) return false;
            Text line = Text(entry.name) + Char('=') + Text(value);
            if (ref->added)
                added_[ref->index] = std::move(line);
            else
                replaced_[ref->index] = std::move(line);
            return true;
        }
        AddLine(where.id, key, value, where.insertAt);
        return true;
    }

    // The whole text with every edit.
    Text Serialize() const {
        Text out;
        out.reserve(text_.size() + 64);
        auto emitAdded = [&](std::uint32_t position) {
            auto at = insertedAt_.find(position);
            if (at == insertedAt_.end()) return;
            for (std::uint32_t index : at->second) EmitLine(out, added_[index]);
        };
        emitAdded(0);
        for (std::uint32_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            auto changed = replaced_.find(i);
            if (changed != replaced_.end())
                out += changed->second;
            else
                out.append(text_, line.begin, line.end - line.begin);
            out.append(text_, line.end, line.next - line.end);
            emitAdded(i + 1);
        }
        for (const Appended& section : appended_) {
            EmitLine(out, Text(1, Char('[')) + section.name + Char(']'));
            for (std::uint32_t index : section.lines) EmitLine(out, added_[index]);
        }
        return out;
    }

private:
    enum class Kind : std::uint8_t { Blank, Header, Entry };

    struct Line {
        std::uint32_t begin;  // first unit of the text
        std::uint32_t end;    // one past the text, before the line break
        std::uint32_t next;   // one past the line break
        Kind kind;
    };

    // A line of the file (index into lines_) or an added one (index into added_).
    struct Ref {
        bool added;
        std::uint32_t index;
    };

    struct Entry {
        View name;
        bool hasValue = false;
        View value;
    };

    // Where a section stands: id is its header's line, kNameless, or an appended one.
    struct Section {
        bool found = false;
        std::int64_t id = 0;
        std::uint32_t first = 0;     // its first line after the header
        std::uint32_t end = 0;       // one past its last line
        std::uint32_t insertAt = 0;  // where added keys go: after this many lines
        std::vector<std::pair<std::uint64_t, std::uint32_t>> keys;  // (folded hash, line), sorted
    };

    struct Appended {
        Text name;
        std::vector<std::uint32_t> lines;  // into added_
    };

    static constexpr std::int64_t kNameless = -1;
    static constexpr std::uint32_t kAtEnd = 0xFFFFFFFFu;

    static std::int64_t AppendedId(std::size_t index) { return -2 - static_cast<std::int64_t>(index); }

    static bool IsBlank(Char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
    static Char Fold(Char c) { return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c; }

    static View Trim(View text) {
        std::size_t begin = 0, end = text.size();
        while (begin < end && IsBlank(text[begin])) ++begin;
        while (end > begin && IsBlank(text[end - 1])) --end;
        return text.substr(begin, end - begin);
    }

    static bool SameName(View a, View b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (Fold(a[i]) != Fold(b[i])) return false;
        return true;
    }

    static std::uint64_t FoldedHash(View name) {
        std::uint64_t hash = 14695981039346656037ull;
        for (Char c : name) hash = (hash ^ static_cast<std::uint64_t>(Fold(c))) * 1099511628211ull;
        return hash;
    }

    static Entry Split(View text) {
        Entry entry;
        View trimmed = Trim(text);
        std::size_t equals = trimmed.find(Char('='));
        entry.name = Trim(trimmed.substr(0, equals));
        if (equals != View::npos) {
            entry.hasValue = true;
            entry.value = Trim(trimmed.substr(equals + 1));
        }
        return entry;
    }

    // The name of a header line's text.
    static View HeaderName(View text) {
        View trimmed = Trim(text);
        return Trim(trimmed.substr(1, trimmed.rfind(Char(']')) - 1));
    }

    static void EmitLine(Text& out, const Text& line) {
        // What is added after a last line without a break must not join it.
        if (!out.empty() && out.back() != Char('\n') && out.back() != Char('\r')) out += {Char('\r'), Char('\n')};
        out += line;
        out += {Char('\r'), Char('\n')};
    }

    void Parse() {
        const std::size_t size = text_.size();
        std::size_t begin = 0;
        while (begin < size) {
            std::size_t end = FindBreak(begin);
            std::size_t next = end;
            if (next < size) next += text_[next] == Char('\r') && next + 1 < size && text_[next + 1] == Char('\n') ? 2 : 1;
            lines_.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end),
                              static_cast<std::uint32_t>(next), Classify(View(text_).substr(begin, end - begin))});
            begin = next;
        }
    }

    std::size_t FindBreak(std::size_t from) const {
        const Char* data = text_.data();
        const std::size_t size = text_.size();
        if constexpr (sizeof(Char) == 1) {
            // The breaks found the fast way; a lone CR ends a line too.
            const void* lf = std::char_traits<char>::find(data + from, size - from, '\n');
            std::size_t end = lf ? static_cast<std::size_t>(static_cast<const Char*>(lf) - data) : size;
            const void* cr = std::char_traits<char>::find(data + from, end - from, '\r');
            return cr ? static_cast<std::size_t>(static_cast<const Char*>(cr) - data) : end;
        } else {
            std::size_t end = from;
            while (end < size && data[end] != Char('\r') && data[end] != Char('\n')) ++end;
            return end;
        }
    }

    static Kind Classify(View text) {
        View trimmed = Trim(text);
        if (trimmed.empty()) return Kind::Blank;
        if (trimmed.front() == Char('[') && trimmed.rfind(Char(']')) != View::npos) return Kind::Header;
        return Kind::Entry;
    }

    View LineText(Ref ref) const {
        if (ref.added) return added_[ref.index];
        auto changed = replaced_.find(ref.index);
        if (changed != replaced_.end()) return changed->second;
        const Line& line = lines_[ref.index];
        return View(text_).substr(line.begin, line.end - line.begin);
    }

    // Import asks one section 144 times: the last one found is kept with its key index.
    const Section& Locate(View name) {
        Text folded(name);
        for (Char& c : folded) c = Fold(c);
        if (sectionCache_ && sectionCache_->first == folded) return sectionCache_->second;
        Section where;
        std::uint32_t first = 0;
        std::size_t i = 0;
        if (name.empty()) {
            where.found = true;
            where.id = kNameless;
        } else {
            for (; i < lines_.size(); ++i) {
                if (lines_[i].kind == Kind::Header && SameName(HeaderName(LineText({false, static_cast<std::uint32_t>(i)})), name)) {
                    where.found = true;
                    where.id = static_cast<std::int64_t>(i);
                    first = static_cast<std::uint32_t>(++i);
                    break;
                }
            }
            for (std::size_t a = 0; !where.found && a < appended_.size(); ++a) {
                if (SameName(appended_[a].name, name)) {
                    where.found = true;
                    where.id = AppendedId(a);
                }
            }
        }
        if (where.found && where.id >= kNameless) {
            where.first = first;
            where.insertAt = first;
            for (; i < lines_.size() && lines_[i].kind != Kind::Header; ++i) {
                if (lines_[i].kind != Kind::Entry) continue;
                const auto index = static_cast<std::uint32_t>(i);
                where.insertAt = index + 1;
                where.keys.emplace_back(FoldedHash(Split(LineText({false, index})).name), index);
            }
            where.end = static_cast<std::uint32_t>(i);
            std::sort(where.keys.begin(), where.keys.end());
        }
        sectionCache_.emplace(std::move(folded), std::move(where));
        return sectionCache_->second;
    }

    std::optional<Ref> FindKey(const Section& where, View key) const {
        if (!where.found) return std::nullopt;
        const std::uint64_t hash = FoldedHash(key);
        auto range = std::equal_range(where.keys.begin(), where.keys.end(), std::make_pair(hash, std::uint32_t{0}),
                                      [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = range.first; it != range.second; ++it)  // by line: the first alike counts
            if (SameName(Split(LineText({false, it->second})).name, key)) return Ref{false, it->second};
        Text folded(key);
        for (Char& c : folded) c = Fold(c);
        auto added = addedKeys_.find({where.id, folded});
        if (added != addedKeys_.end()) return Ref{true, added->second};
        return std::nullopt;
    }

    void AddLine(std::int64_t section, View key, View value, std::uint32_t position) {
        const auto index = static_cast<std::uint32_t>(added_.size());
        added_.push_back(Text(key) + Char('=') + Text(value));
        Text folded(key);
        for (Char& c : folded) c = Fold(c);
        addedKeys_.emplace(std::make_pair(section, std::move(folded)), index);
        if (section <= AppendedId(0))
            appended_[static_cast<std::size_t>(-2 - section)].lines.push_back(index);
        else
            insertedAt_[position].push_back(index);
    }

    Text text_;
    std::vector<Line> lines_;
    std::unordered_map<std::uint32_t, Text> replaced_;           // by line
    std::vector<Text> added_;                                     // lines added, without breaks
    std::map<std::uint32_t, std::vector<std::uint32_t>> insertedAt_;  // after this many lines
    std::map<std::pair<std::int64_t, Text>, std::uint32_t> addedKeys_;  // (section, folded key)
    std::vector<Appended> appended_;                              // new sections at the end
    std::optional<std::pair<Text, Section>> sectionCache_;
};

}  // namespace tastavia
