#include "platform/portable/PortableProfileFile.h"

#include <optional>
#include <string>
#include <variant>

#include "platform/Errors.h"
#include "platform/portable/CodePage1251.h"
#include "platform/portable/ProfileText.h"

namespace tastavia {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr char kUtf16BigMark[] = "\xFE\xFF";
constexpr std::uint64_t kLargestFile = 0xFFFFFF00u;  // the parsed lines hold 32-bit offsets

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

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

// Names and values are ANSI text; a UTF-16 file holds them as the ANSI API converts them.
std::u16string Widen(const std::string& text) {
    std::u16string wide(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = Cp1251ToUnicode(static_cast<std::uint8_t>(text[i]));
    return wide;
}

std::string Narrow(const std::u16string& wide) {
    std::string text(wide.size(), '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) text[i] = static_cast<char>(UnicodeToCp1251(wide[i]));
    return text;
}

// The folder a file would be made in, with its separator; "." for a bare name.
std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

struct PortableProfileFile::Document {
    std::string mark;  // the byte-order mark the file began with, written back
    std::variant<ProfileText<char>, ProfileText<char16_t>> text;
    std::string tail;  // the odd last byte of a UTF-16 file, kept as it was
    FileStatus stamp;  // the file as it was read or last written
    bool dirty = false;

    bool BigEndian() const { return mark == kUtf16BigMark; }

    static std::unique_ptr<Document> Parse(std::string bytes, const FileStatus& stamp) {
        const bool little = bytes.compare(0, 2, kUtf16Mark) == 0;
        if (little || bytes.compare(0, 2, kUtf16BigMark) == 0) {
            // The low byte of a unit comes first in one order, second in the other.
            const std::size_t low = little ? 0 : 1;
            std::u16string wide((bytes.size() - 2) / 2, u'\0');
            for (std::size_t i = 0; i < wide.size(); ++i)
                wide[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 + 2 * i + low]) |
                                                static_cast<std::uint8_t>(bytes[3 + 2 * i - low]) << 8);
            std::string tail = bytes.size() % 2 != 0 ? bytes.substr(bytes.size() - 1) : std::string();
            std::string mark = bytes.substr(0, 2);
            std::string().swap(bytes);  // the text is held once
            return std::unique_ptr<Document>(
                new Document{std::move(mark), ProfileText<char16_t>(std::move(wide)), std::move(tail), stamp});
        }
        std::string mark = bytes.compare(0, 3, kUtf8Mark) == 0 ? kUtf8Mark : "";
        bytes.erase(0, mark.size());
        return std::unique_ptr<Document>(new Document{mark, ProfileText<char>(std::move(bytes)), "", stamp});
    }

    // The file's bytes, in one buffer of their exact size: the text is measured, then
    // encoded piece by piece.
    std::string Bytes() const {
        std::string bytes;
        std::size_t size = mark.size() + tail.size();
        std::visit([&size](const auto& any) { any.Serialize([&size](auto piece) { size += piece.size() * sizeof piece[0]; }); },
                   text);
        bytes.reserve(size);
        bytes += mark;
        if (auto* ansi = std::get_if<ProfileText<char>>(&text)) {
            ansi->Serialize([&bytes](std::string_view piece) { bytes += piece; });
        } else {
            const bool big = BigEndian();
            std::get<ProfileText<char16_t>>(text).Serialize([&bytes, big](std::u16string_view piece) {
                for (char16_t unit : piece) {
                    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
                    bytes += big ? high : low;
                    bytes += big ? low : high;
                }
            });
        }
        bytes += tail;
        return bytes;
    }

    std::optional<std::string> Find(const std::string& section, const std::string& key) {
        if (auto* ansi = std::get_if<ProfileText<char>>(&text)) return ansi->Find(section, key);
        const std::u16string wideSection = Widen(section), wideKey = Widen(key);
        std::optional<std::u16string> value = std::get<ProfileText<char16_t>>(text).Find(wideSection, wideKey);
        if (!value) return std::nullopt;
        return Narrow(*value);
    }

    bool Set(const std::string& section, const std::string& key, const std::string& value) {
        if (auto* ansi = std::get_if<ProfileText<char>>(&text)) return ansi->Set(section, key, value);
        const std::u16string wideSection = Widen(section), wideKey = Widen(key), wideValue = Widen(value);
        return std::get<ProfileText<char16_t>>(text).Set(wideSection, wideKey, wideValue);
    }
};

PortableProfileFile::PortableProfileFile(Files& files) : files_(files) {}

PortableProfileFile::~PortableProfileFile() {
    for (auto& entry : documents_) {
        if (!entry.second->dirty) continue;
        try {
            files_.WriteAll(entry.first, entry.second->Bytes());
        } catch (const std::exception&) {
        }
    }
}

PortableProfileFile::Found PortableProfileFile::Load(const std::string& path, Document*& document) {
    document = nullptr;
    auto found = documents_.find(path);
    if (found != documents_.end() && found->second->dirty) {
        document = found->second.get();
        return Found::File;
    }
    // Only pending writes must stay in memory: the clean documents of other files go.
    for (auto it = documents_.begin(); it != documents_.end();)
        it = it->first != path && !it->second->dirty ? documents_.erase(it) : std::next(it);
    found = documents_.find(path);

    const FileStatus status = files_.Status(path);
    if (status.kind != FileKind::File) {
        if (found != documents_.end()) documents_.erase(found);
        return Found::NoFile;
    }
    if (found != documents_.end() && found->second->stamp.size == status.size &&
        found->second->stamp.version == status.version) {
        document = found->second.get();
        return Found::File;
    }
    if (found != documents_.end()) documents_.erase(found);
    std::optional<std::string> bytes = status.size <= kLargestFile ? files_.ReadAll(path) : std::nullopt;
    if (!bytes || bytes->size() > kLargestFile) return Found::Unreadable;
    auto parsed = Document::Parse(std::move(*bytes), status);
    document = parsed.get();
    documents_[path] = std::move(parsed);
    return Found::File;
}

std::string PortableProfileFile::GetString(const std::string& path, const std::string& section,
                                           const std::string& key, const std::string& defaultValue) {
    Document* document = nullptr;
    if (Load(path, document) == Found::Unreadable) throw IoError("Cannot read " + path);
    if (document) {
        std::optional<std::string> value = document->Find(Trim(UpToNul(section)), Trim(UpToNul(key)));
        if (value) return Returned(*value);
    }
    // The real API drops the default's trailing blanks (documented) and its quotes (Wine).
    return Returned(TrimEnd(UpToNul(defaultValue)));
}

bool PortableProfileFile::WriteString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    if (files_.IsReadOnly(path)) return false;
    Document* document = nullptr;
    // A file that is there but cannot be read must not be replaced by a new one.
    switch (Load(path, document)) {
        case Found::Unreadable: return false;
        case Found::File: break;
        case Found::NoFile: {
            if (files_.Status(path).kind != FileKind::Missing) return false;  // a folder, a device
            if (files_.Status(FolderOf(path)).kind != FileKind::Folder) return false;
            auto created = Document::Parse(std::string(), FileStatus());
            document = created.get();
            documents_[path] = std::move(created);
        }
    }
    if (document->Set(Trim(UpToNul(section)), Trim(UpToNul(key)), UpToNul(value))) document->dirty = true;
    return true;
}

bool PortableProfileFile::Flush(const std::string& path) {
    auto found = documents_.find(path);
    if (found == documents_.end() || !found->second->dirty) return true;
    if (!files_.WriteAll(path, found->second->Bytes())) {
        // What was pending is lost with the write: the disk holds the truth again.
        documents_.erase(found);
        return false;
    }
    found->second->dirty = false;
    found->second->stamp = files_.Status(path);
    return true;
}

}  // namespace tastavia
