#pragma once
// Text helpers for Windows-1251 strings: the letter-case and trimming rules the windows
// and the registry code share, each in one place.
#include <string>

namespace tastavia {

// Only a to z change.
std::string UpperAscii(std::string text);
char LowerAscii(char c);
// Equal but for the letter case of a to z: UpperAscii(a) == UpperAscii(b), without copies.
bool SameAscii(const std::string& a, const std::string& b);
std::string LowerAscii(std::string text);
// Upper-cases Windows-1251 text as a Bulgarian Windows does: ASCII letters, the
// Cyrillic alphabet and the other Cyrillic letters of the code page.
std::string UpperCase1251(std::string text);

// Without leading and trailing spaces (code 32 only); tabs and other controls stay.
std::string StripSpaces(const std::string& text);
// Without leading and trailing characters of codes 0 to 32.
std::string TrimControls(const std::string& text);
// Empty once characters of codes 0 to 32 are trimmed away.
bool IsBlank(const std::string& text);

// Text from outside (the registry, a file) as it may be shown: each control character
// (codes 0 to 31 and 127) as ^ and a letter, so that it can neither hide nor act.
std::string VisibleText(const std::string& text);

// Whether Windows takes a file name (no folder) for a device: CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, CLOCK$, with any extension, in any ASCII case,
// with the trailing spaces and dots that Windows drops.
bool IsDeviceName(const std::string& name);

// Whether Windows takes a path for something other than a disk file by its spelling
// alone: a "\\.\" or "\\?\" device path, a colon after the drive (a device as
// "COM1:", or a stream), or a last part that is a device name (IsDeviceName).
bool IsDevicePath(const std::string& path);

// Whether a file name can only name a file in the folder it is joined to: no path, no
// characters Windows forbids, no control characters, no device name, no trailing dot
// or space (Windows would drop them and name another file).
bool IsPlainFileName(const std::string& name);
// Why a name is no plain file name, for the user (the characters that are not allowed,
// a device name, ...); empty for a plain file name.
std::string FileNameFault(const std::string& name);

}  // namespace tastavia
