#include "layout/KlcReader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "layout/Charset.h"

namespace tastavia {

namespace {

const char* const kSections[] = {"KBD",        "COPYRIGHT", "COMPANY", "LOCALENAME",   "LOCALEID",
                                 "VERSION",    "SHIFTSTATE", "ATTRIBUTES", "LAYOUT",   "DEADKEY",
                                 "LIGATURE",   "KEYNAME",   "KEYNAME_EXT", "KEYNAME_DEAD", "DESCRIPTIONS",
                                 "LANGUAGENAMES", "ENDKBD"};

using Tokens = std::vector<std::u16string>;

std::u16string DecodeUtf16(const std::string& bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        throw KlcError("not UTF-16 LE text with a byte order mark");
    if (bytes.size() % 2 != 0) throw KlcError("the text ends in half a character");
    std::u16string text;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

// Whitespace-separated tokens before a "//" comment; a quoted text is one token.
Tokens Split(const std::u16string& line) {
    Tokens tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == u' ' || line[i] == u'\t' || line[i] == u'\r') {
            ++i;
        } else if (line.compare(i, 2, u"//") == 0) {
            break;
        } else if (line[i] == u'"' && line.find(u'"', i + 1) != std::u16string::npos) {
            std::size_t end = line.find(u'"', i + 1) + 1;
            tokens.push_back(line.substr(i, end - i));
            i = end;
        } else {
            std::size_t end = i;
            while (end < line.size() && line[end] != u' ' && line[end] != u'\t' && line[end] != u'\r') ++end;
            tokens.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

bool IsAscii(const std::u16string& token, const char* ascii) {
    std::size_t n = std::char_traits<char>::length(ascii);
    if (token.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (token[i] != static_cast<char16_t>(ascii[i])) return false;
    return true;
}

std::optional<unsigned> ParseHex(const std::u16string& token) {
    if (token.empty() || token.size() > 6) return std::nullopt;
    unsigned value = 0;
    for (char16_t c : token) {
        int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

std::string HexText(unsigned value) {
    const char* const digits = "0123456789ABCDEF";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

class Reader {
public:
    explicit Reader(std::vector<KlcControlChars>* control) : control_(control) {}

    LayoutKeys Read(const std::u16string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find(u'\n', start);
            if (end == std::u16string::npos) end = text.size();
            ++line_;
            Line(Split(text.substr(start, end - start)));
            start = end + 1;
        }
        if (!sawKbd_) throw KlcError("no KBD line");
        if (!sawEnd_) throw KlcError("no ENDKBD line");
        return keys_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw KlcError("line " + std::to_string(line_) + ": " + what); }

    void Line(const Tokens& tokens) {
        if (tokens.empty() || sawEnd_) return;
        for (const char* name : kSections) {
            if (!IsAscii(tokens[0], name)) continue;
            section_ = name;
            sawKbd_ = sawKbd_ || section_ == "KBD";
            sawEnd_ = section_ == "ENDKBD";
            return;
        }
        if (section_ == "SHIFTSTATE") ShiftStateLine(tokens);
        else if (section_ == "LAYOUT") LayoutRow(tokens);
        else if (section_ == "DEADKEY" || section_ == "LIGATURE") Fail("dead keys and ligatures are not supported");
    }

    void ShiftStateLine(const Tokens& tokens) {
        std::optional<unsigned> state = ParseHex(tokens[0]);
        if (!state || *state > 7) Fail("a shift state is a number from 0 to 7");
        states_.push_back(*state);
    }

    void LayoutRow(const Tokens& tokens) {
        if (std::count(states_.begin(), states_.end(), 0u) != 1 || std::count(states_.begin(), states_.end(), 1u) != 1)
            Fail("SHIFTSTATE must name the states 0 and 1 once each");
        if (tokens.size() < 3 + states_.size()) Fail("a LAYOUT row needs scan code, virtual key, Cap and one column per shift state");
        std::optional<unsigned> scanCode = ParseHex(tokens[0]);
        if (!scanCode) Fail("bad scan code");
        std::optional<unsigned> cap = ParseHex(tokens[2]);
        if (!cap || *cap > 7) Fail("Cap must be 0 to 7 (SGCap rows are not supported)");
        if (control_) ControlRow(static_cast<std::uint8_t>(*scanCode), tokens);
        const KeyInfo* info = nullptr;
        for (const KeyInfo& k : KeyTable())
            if (k.scanCode == *scanCode) info = &k;
        if (!info) return;  // a key this program does not edit
        if (std::find(seen_.begin(), seen_.end(), info->number) != seen_.end()) Fail("scan code given twice");
        seen_.push_back(info->number);
        KeyChars& key = At(keys_, info->number);
        key.caps = (*cap & 1) != 0;
        for (std::size_t column = 0; column < states_.size(); ++column) {
            if (states_[column] == 0) key.unshifted = Char(tokens[3 + column]);
            if (states_[column] == 1) key.shifted = Char(tokens[3 + column]);
        }
    }

    void ControlRow(std::uint8_t scanCode, const Tokens& tokens) {
        KlcControlChars row{scanCode, -1, -1};
        for (std::size_t column = 0; column < states_.size(); ++column) {
            if (states_[column] == 2) row.ctrl = CodeUnit(tokens[3 + column]);
            if (states_[column] == 3) row.shiftCtrl = CodeUnit(tokens[3 + column]);
        }
        control_->push_back(row);
    }

    // A character of any state as a UTF-16 code unit; -1 for none.
    std::int32_t CodeUnit(const std::u16string& token) {
        if (IsAscii(token, "-1")) return -1;
        if (token.size() > 1 && token.back() == u'@') Fail("dead keys are not supported");
        if (IsAscii(token, "%%")) Fail("ligatures are not supported");
        std::optional<unsigned> u;
        if (token.size() == 1) u = token[0];
        else if (token.size() == 4) u = ParseHex(token);
        if (!u) Fail("a character is -1, one character or four hexadecimal digits");
        return static_cast<std::int32_t>(*u);
    }

    std::uint8_t Char(const std::u16string& token) {
        const std::int32_t u = CodeUnit(token);
        if (u < 0) return 0;
        std::optional<std::uint8_t> c = ByteForModernUnicode(static_cast<std::uint32_t>(u));
        if (!c || *c == 0) Fail("U+" + HexText(static_cast<unsigned>(u)) + " has no Windows-1251 character");
        return *c;
    }

    std::vector<KlcControlChars>* control_;
    LayoutKeys keys_{};
    std::vector<unsigned> states_;
    std::vector<KeyNumber> seen_;
    std::string section_;
    int line_ = 0;
    bool sawKbd_ = false;
    bool sawEnd_ = false;
};

}  // namespace

LayoutKeys ReadKlc(const std::string& bytes, std::vector<KlcControlChars>* control) {
    return Reader(control).Read(DecodeUtf16(bytes));
}

}  // namespace tastavia
