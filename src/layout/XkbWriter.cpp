#include "layout/XkbWriter.h"

#include <cstdio>

#include "layout/Charset.h"

namespace tastavia {

namespace {

std::string Numbered(const char* row, int n) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%s%02d", row, n);
    return buffer;
}

// The description goes into a quoted string: keep it printable ASCII without quotes.
std::string QuotedName(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') out += c;
    return "\"" + out + "\"";
}

std::string Comment(const KeyChars& key) {
    std::string text;
    for (ShiftState shift : {ShiftState::Unshifted, ShiftState::Shifted}) {
        std::uint16_t u = KeyCodePoint(key, shift);
        text += " ";
        text += u > 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0) ? CodePointToUtf8(u) : XkbKeysym(u);
    }
    return text;
}

}  // namespace

std::string XkbKeyName(KeyNumber k) {
    const int n = Key(k).number;
    if (n == 1) return "TLDE";
    if (n <= 13) return Numbered("AE", n - 1);
    if (n == 14) return "BKSL";
    if (n <= 26) return Numbered("AD", n - 14);
    if (n <= 37) return Numbered("AC", n - 26);
    if (n <= 47) return Numbered("AB", n - 37);
    return "SPCE";
}

std::string XkbKeysym(std::uint16_t u) {
    switch (u) {
        case 0x08: return "BackSpace";
        case 0x09: return "Tab";
        case 0x0A: return "Linefeed";
        case 0x0D: return "Return";
        case 0x1B: return "Escape";
        case 0x7F: return "Delete";
        default: break;
    }
    // Other control characters have no keysym: X has no way to type them.
    if (u < 0x20 || (u >= 0x80 && u < 0xA0)) return "NoSymbol";
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "U%04X", u);
    return buffer;
}

std::string XkbSymbolsText(const LayoutKeys& keys, const ExportIdentity& identity) {
    std::string text;
    text += "// " + identity.description + ": a Bulgarian keyboard layout made with Tastavia v1.1.\n";
    text += "// Keys that Caps Lock acts on have the type ALPHABETIC, the others TWO_LEVEL.\n";
    text += "default partial alphanumeric_keys\n";
    text += "xkb_symbols \"" + identity.name + "\" {\n";
    text += "    name[Group1] = " + QuotedName(identity.description) + ";\n\n";
    for (const KeyInfo& info : KeyTable()) {
        const KeyChars& key = At(keys, info.number);
        std::string line = "    key <" + XkbKeyName(info.number) + "> { type[Group1] = \"" +
                           (key.caps ? "ALPHABETIC" : "TWO_LEVEL") + "\", symbols[Group1] = [ " +
                           XkbKeysym(KeyCodePoint(key, ShiftState::Unshifted)) + ", " +
                           XkbKeysym(KeyCodePoint(key, ShiftState::Shifted)) + " ] };";
        text += line + std::string(line.size() < 88 ? 88 - line.size() : 1, ' ') + "//" + Comment(key) + "\n";
    }
    text += "};\n";
    return text;
}

}  // namespace tastavia
