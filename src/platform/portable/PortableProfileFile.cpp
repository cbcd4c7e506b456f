#include "platform/portable/PortableProfileFile.h"

#include <optional>
#include <string>
#include <vector>

namespace tastavia {

namespace {

constexpr char kNewLine[] = "\r\n";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Only ASCII letters fold: the real API (Wine 8) leaves Cyrillic case pairs distinct.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

std::string TrimEnd(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return TrimEnd(text.substr(begin));
}

// The real API sees every argument as a C string.
std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

// A matching pair of surrounding quotes goes, as GetPrivateProfileString does; then
// the caller's buffer limit applies.
std::string Returned(std::string value) {
    value = UpToNul(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > ProfileFile::kMaxValue) value.resize(ProfileFile::kMaxValue);
    return value;
}

enum class LineKind { Blank, Header, Entry };

struct Line {
    std::size_t begin = 0;  // first byte of the text
    std::size_t end = 0;    // one past the text, before the line break
    std::size_t next = 0;   // one past the line break
    LineKind kind = LineKind::Blank;
    std::string name;       // section or key, trimmed
    bool hasValue = false;  // an entry with '='
    std::string value;      // trimmed, quotes still on
};

Line ParseLine(const std::string& bytes, std::size_t begin) {
    Line line;
    line.begin = begin;
    std::size_t end = begin;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    line.end = end;
    // CR LF, LF and a lone CR all end a line, as they do for Wine.
    if (end < bytes.size()) end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
    line.next = end;

    std::string text = Trim(bytes.substr(line.begin, line.end - line.begin));
    if (text.empty()) return line;
    std::size_t close = text.rfind(']');
    if (text.front() == '[' && close != std::string::npos) {
        line.kind = LineKind::Header;
        line.name = Trim(text.substr(1, close - 1));  // whatever follows the bracket is ignored
        return line;
    }
    // Anything else belongs to the section as an entry, also comments and lines
    // without '=': the real API neither skips nor drops them.
    line.kind = LineKind::Entry;
    std::size_t equals = text.find('=');
    line.name = Trim(text.substr(0, equals));
    if (equals != std::string::npos) {
        line.hasValue = true;
        line.value = Trim(text.substr(equals + 1));
    }
    return line;
}

std::vector<Line> ParseLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t offset = bytes.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
    while (offset < bytes.size()) {
        lines.push_back(ParseLine(bytes, offset));
        offset = lines.back().next;
    }
    return lines;
}

// Where a key stands in a file, by line index. Lines before the first header form a
// section without a name; of sections or keys named alike only the first counts.
struct Location {
    bool sectionFound = false;
    std::size_t lastEntry = 0;  // one past the header or the section's last non-blank line
    bool keyFound = false;
    std::size_t keyLine = 0;
};

Location Locate(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
    Location where;
    bool inSection = section.empty();
    where.sectionFound = inSection;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Header) {
            if (inSection) break;
            if (!where.sectionFound && SameName(line.name, section)) {
                inSection = where.sectionFound = true;
                where.lastEntry = i + 1;
            }
            continue;
        }
        if (!inSection || line.kind != LineKind::Entry) continue;
        where.lastEntry = i + 1;
        if (!where.keyFound && SameName(line.name, key)) {
            where.keyFound = true;
            where.keyLine = i;
        }
    }
    return where;
}

// A file may end without a line break; what is added after it must not join its last line.
bool LastLineOpen(const std::vector<Line>& lines) { return !lines.empty() && lines.back().next == lines.back().end; }

}  // namespace

std::string PortableProfileFile::GetString(const std::string& path, const std::string& section,
                                           const std::string& key, const std::string& defaultValue) {
    std::optional<std::string> bytes = files_.ReadAll(path);
    if (bytes) {
        std::vector<Line> lines = ParseLines(*bytes);
        Location where = Locate(lines, Trim(UpToNul(section)), Trim(UpToNul(key)));
        if (where.keyFound && lines[where.keyLine].hasValue) return Returned(lines[where.keyLine].value);
    }
    // The real API drops the default's trailing blanks (documented) and its quotes (Wine).
    return Returned(TrimEnd(UpToNul(defaultValue)));
}

bool PortableProfileFile::WriteString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    if (files_.IsReadOnly(path)) return false;
    std::optional<std::string> read = files_.ReadAll(path);
    // A file that is there but cannot be read must not be replaced by a new one.
    if (!read && files_.Exists(path)) return false;
    std::string bytes = read.value_or(std::string());

    const std::string sectionName = Trim(UpToNul(section));
    const std::string keyName = Trim(UpToNul(key));
    const std::string text = UpToNul(value);
    std::vector<Line> lines = ParseLines(bytes);
    Location where = Locate(lines, sectionName, keyName);

    if (where.keyFound) {
        const Line& line = lines[where.keyLine];
        // The same value again leaves the file alone, as Wine does.
        if (line.hasValue && line.value == text) return true;
        bytes.replace(line.begin, line.end - line.begin, line.name + "=" + text);
    } else if (where.sectionFound) {
        std::size_t at = where.lastEntry == 0 ? (lines.empty() ? bytes.size() : lines.front().begin)
                                              : lines[where.lastEntry - 1].next;
        std::string insert = keyName + "=" + text + kNewLine;
        if (at == bytes.size() && LastLineOpen(lines)) insert = kNewLine + insert;
        bytes.insert(at, insert);
    } else {
        if (LastLineOpen(lines)) bytes += kNewLine;
        bytes += "[" + sectionName + "]" + kNewLine + keyName + "=" + text + kNewLine;
    }
    return files_.WriteAll(path, bytes);
}

// Every write reaches the file at once; nothing is held back.
void PortableProfileFile::Flush(const std::string&) {}

}  // namespace tastavia
