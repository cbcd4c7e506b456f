#pragma once
// The text of one profile file, kept as read and edited in memory, with the rules of the
// Windows profile API: lines end in CR LF, LF or a lone CR; a header is '[' and a last
// ']' (what follows it is ignored); every other non-blank line is an entry of its
// section, name and value split at the first '='; lines before the first header form a
// section without a name; of sections or keys named alike only the first counts; names
// match with ASCII letters folded. Char is char (ANSI text) or char16_t (UTF-16 text).
//
// Nothing is kept per line of the file: a section is found by one forward pass over the
// text, and only the section last asked for is indexed by key. Edits are kept by the
// offset of the line they replace or follow, so a file of millions of lines costs one
// pass to find a section and one to write out, whatever the number of edits, and the
// memory of the text plus the one section's index.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tastavia {

template <class Char>
class ProfileText {
public:
    using Text = std::basic_string<Char>;
    using View = std::basic_string_view<Char>;

    explicit ProfileText(Text text) : text_(std::move(text)) {}

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
            AddLine(AppendedId(appended_.size() - 1), key, value, 0);
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

    // The whole text with every edit, handed to append(View) piece by piece, so that
    // the caller can encode it without a second copy of the whole.
    template <class Append>
    void Serialize(Append&& append) const {
        bool lineOpen = false;  // the last unit handed over is no line break
        auto put = [&](View piece) {
            if (piece.empty()) return;
            append(piece);
            lineOpen = piece.back() != Char('\n') && piece.back() != Char('\r');
        };
        auto putLine = [&](const Text& line) {
            // What is added after a last line without a break must not join it.
            static const Char kBreak[] = {Char('\r'), Char('\n')};
            if (lineOpen) put(View(kBreak, 2));
            put(line);
            put(View(kBreak, 2));
        };
        const View text(text_);
        std::size_t pos = 0;
        auto inserted = insertedAt_.begin();
        auto changed = replaced_.begin();
        for (;;) {
            const std::size_t insertAt = inserted != insertedAt_.end() ? inserted->first : View::npos;
            const std::size_t changeAt = changed != replaced_.end() ? changed->first : View::npos;
            const std::size_t stop = std::min(insertAt, changeAt);
            if (stop == View::npos) break;
            put(text.substr(pos, stop - pos));
            pos = stop;
            if (insertAt == stop) {  // lines added after a line come before the next one
                for (std::uint32_t index : inserted->second) putLine(added_[index]);
                ++inserted;
                continue;
            }
            put(changed->second);
            pos = LineEnd(stop);
            ++changed;
        }
        put(text.substr(pos));
        for (const Appended& section : appended_) {
            putLine(Text(1, Char('[')) + section.name + Char(']'));
            for (std::uint32_t index : section.lines) putLine(added_[index]);
        }
    }

    Text Serialize() const {
        Text out;
        out.reserve(text_.size() + 64);
        Serialize([&out](View piece) { out += piece; });
        return out;
    }

private:
    enum class Kind : std::uint8_t { Blank, Header, Entry };

    // A line of the file (by the offset of its first unit) or an added one (index into added_).
    struct Ref {
        bool added;
        std::uint32_t index;
    };

    struct Entry {
        View name;
        bool hasValue = false;
        View value;
    };

    // Where a section stands: id is its header's offset, kNameless, or an appended one.
    struct Section {
        bool found = false;
        std::int64_t id = 0;
        std::uint32_t insertAt = 0;  // where added keys go: before the unit at this offset
        std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;  // (folded hash, line offset), sorted
    };

    struct Appended {
        Text name;
        std::vector<std::uint32_t> lines;  // into added_
    };

    // One line of the text: [begin, end) its units, next the start of the following line.
    struct Span {
        std::size_t begin = 0, end = 0, next = 0;
    };

    // Walks the lines of the text once, front to back. The breaks of an ANSI text are
    // found the fast way, each kind of break searched for again only once passed, so
    // that a text of lone CRs (no LF anywhere) costs one pass as well.
    class Lines {
    public:
        explicit Lines(View text) : text_(text) {
            if constexpr (sizeof(Char) == 1) {
                lf_ = Search(0, '\n');
                cr_ = Search(0, '\r');
            }
        }
        bool Next(Span& line) {
            if (pos_ >= text_.size()) return false;
            line.begin = pos_;
            line.end = FindBreak(pos_);
            line.next = line.end;
            if (line.next < text_.size())
                line.next += text_[line.next] == Char('\r') && line.next + 1 < text_.size() &&
                                     text_[line.next + 1] == Char('\n')
                                 ? 2
                                 : 1;
            pos_ = line.next;
            return true;
        }

    private:
        std::size_t FindBreak(std::size_t from) {
            if constexpr (sizeof(Char) == 1) {
                if (lf_ < from) lf_ = Search(from, '\n');
                if (cr_ < from) cr_ = Search(from, '\r');
                return std::min(lf_, cr_);
            } else {
                std::size_t end = from;
                while (end < text_.size() && text_[end] != Char('\r') && text_[end] != Char('\n')) ++end;
                return end;
            }
        }
        std::size_t Search(std::size_t from, char c) const {
            const void* at = std::char_traits<char>::find(text_.data() + from, text_.size() - from, c);
            return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text_.data()) : text_.size();
        }

        View text_;
        std::size_t pos_ = 0;
        std::size_t lf_ = 0, cr_ = 0;  // the first break of each kind not passed yet
    };

    static constexpr std::int64_t kNameless = -1;

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

    static std::uint32_t FoldedHash(View name) {
        std::uint32_t hash = 2166136261u;
        for (Char c : name) hash = (hash ^ static_cast<std::uint32_t>(Fold(c))) * 16777619u;
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

    static Kind Classify(View text) {
        View trimmed = Trim(text);
        if (trimmed.empty()) return Kind::Blank;
        if (trimmed.front() == Char('[') && trimmed.rfind(Char(']')) != View::npos) return Kind::Header;
        return Kind::Entry;
    }

    // The name of a header line's text.
    static View HeaderName(View text) {
        View trimmed = Trim(text);
        return Trim(trimmed.substr(1, trimmed.rfind(Char(']')) - 1));
    }

    // One past the last unit of the line that begins at begin.
    std::size_t LineEnd(std::size_t begin) const {
        std::size_t end = begin;
        while (end < text_.size() && text_[end] != Char('\r') && text_[end] != Char('\n')) ++end;
        return end;
    }

    View LineText(Ref ref) const {
        if (ref.added) return added_[ref.index];
        auto changed = replaced_.find(ref.index);
        if (changed != replaced_.end()) return changed->second;
        return View(text_).substr(ref.index, LineEnd(ref.index) - ref.index);
    }

    // Import asks one section 144 times: the last one found is kept with its key index.
    const Section& Locate(View name) {
        Text folded(name);
        for (Char& c : folded) c = Fold(c);
        if (sectionCache_ && sectionCache_->first == folded) return sectionCache_->second;
        sectionCache_.reset();  // its index goes before the next one is built
        Section where;
        const View text(text_);
        Lines lines(text);
        Span line;
        if (name.empty()) {
            where.found = true;
            where.id = kNameless;
        } else {
            while (lines.Next(line)) {
                const View lineText = text.substr(line.begin, line.end - line.begin);
                if (Classify(lineText) == Kind::Header && SameName(HeaderName(lineText), name)) {
                    where.found = true;
                    where.id = static_cast<std::int64_t>(line.begin);
                    where.insertAt = static_cast<std::uint32_t>(line.next);
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
            while (lines.Next(line)) {
                const View lineText = text.substr(line.begin, line.end - line.begin);
                const Kind kind = Classify(lineText);
                if (kind == Kind::Header) break;
                if (kind != Kind::Entry) continue;
                const auto at = static_cast<std::uint32_t>(line.begin);
                where.insertAt = static_cast<std::uint32_t>(line.next);
                where.keys.emplace_back(FoldedHash(Split(LineText({false, at})).name), at);
            }
            where.keys.shrink_to_fit();
            std::sort(where.keys.begin(), where.keys.end());
        }
        sectionCache_.emplace(std::move(folded), std::move(where));
        return sectionCache_->second;
    }

    std::optional<Ref> FindKey(const Section& where, View key) const {
        if (!where.found) return std::nullopt;
        const std::uint32_t hash = FoldedHash(key);
        auto range = std::equal_range(where.keys.begin(), where.keys.end(), std::make_pair(hash, std::uint32_t{0}),
                                      [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = range.first; it != range.second; ++it)  // by offset: the first alike counts
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
    std::map<std::uint32_t, Text> replaced_;                          // by the offset of the line
    std::vector<Text> added_;                                          // lines added, without breaks
    std::map<std::uint32_t, std::vector<std::uint32_t>> insertedAt_;   // before the unit at this offset
    std::map<std::pair<std::int64_t, Text>, std::uint32_t> addedKeys_;  // (section, folded key)
    std::vector<Appended> appended_;                                   // new sections at the end
    std::optional<std::pair<Text, Section>> sectionCache_;
};

}  // namespace tastavia
