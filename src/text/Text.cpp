#include "text/Text.h"

namespace tastavia {

namespace {

// The Cyrillic letters of Windows-1251 outside the two alphabet blocks: lower, upper.
constexpr unsigned char kOtherCyrillic[][2] = {
    {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1},
    {0xB3, 0xB2}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
};

unsigned char Upper1251(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || c >= 0xE0) return static_cast<unsigned char>(c - 0x20);
    for (const auto& pair : kOtherCyrillic)
        if (pair[0] == c) return pair[1];
    return c;
}

bool IsControlOrSpace(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

std::string UpperCase1251(std::string text) {
    for (char& c : text) c = static_cast<char>(Upper1251(static_cast<unsigned char>(c)));
    return text;
}

std::string StripSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TrimControls(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsControlOrSpace(text[first])) ++first;
    while (last > first && IsControlOrSpace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool IsBlank(const std::string& text) { return TrimControls(text).empty(); }

std::string VisibleText(const std::string& text) {
    std::string visible;
    visible.reserve(text.size());
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32) {
            visible += '^';
            visible += static_cast<char>('@' + u);
        } else if (u == 127) {
            visible += "^?";
        } else {
            visible += c;
        }
    }
    return visible;
}

// Windows drops trailing dots and spaces of a name, and trailing spaces of the part
// before the first dot, before it looks for a device: "COM1 .dll" is COM1.
bool IsDeviceName(const std::string& name) {
    std::string trimmed = name.substr(0, name.find_last_not_of(". ") + 1);
    std::string stem = trimmed.substr(0, trimmed.find('.'));
    stem = UpperAscii(stem.substr(0, stem.find_last_not_of(' ') + 1));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (stem == device) return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

bool IsDevicePath(const std::string& path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == '.' || path[2] == '?') &&
        separator(path[3]))
        return true;
    const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);  // ASCII, whatever the locale
    const bool drive = path.size() >= 2 && path[1] == ':' && letter >= 'a' && letter <= 'z';
    if (path.find(':', drive ? 2 : 0) != std::string::npos) return true;
    const std::size_t last = path.find_last_of("\\/");
    return IsDeviceName(last == std::string::npos ? path.substr(drive ? 2 : 0) : path.substr(last + 1));
}

std::string FileNameFault(const std::string& name) {
    if (name.empty()) return "Type a file name.";
    if (name == "." || name == "..") return "\"" + name + "\" is a folder, not a file name.";
    std::string named;  // each character that is not allowed, once, in order
    bool control = false;
    for (unsigned char c : name) {
        if (c < 32)
            control = true;
        else if (std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos &&
                 named.find(static_cast<char>(c)) == std::string::npos)
            named += static_cast<char>(c);
    }
    if (!named.empty() || control) {
        std::string list;
        for (std::size_t i = 0; i < named.size(); ++i) {
            const bool last = i + 1 == named.size() && !control;
            list += (i == 0 ? "" : last ? " and " : ", ") + std::string("'") + named[i] + "'";
        }
        if (control) list += std::string(named.empty() ? "" : " and ") + "control characters";
        const bool path = named.find_first_of("\\/") != std::string::npos;
        return "A file name may not contain " + list + "." + (path ? " Type a file name without a path." : "");
    }
    if (name.back() == '.' || name.back() == ' ') return "A file name may not end in a dot or a space.";
    if (IsDeviceName(name)) return "\"" + name + "\" is the name of a Windows device.";
    return "";
}

bool IsPlainFileName(const std::string& name) { return FileNameFault(name).empty(); }

}  // namespace tastavia
