#include "platform/win32/Win32Services.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/LookupFunction.h"
#include "text/Text.h"

namespace tastavia {

std::string Win32ProfileFile::GetString(const std::string& path, const std::string& section, const std::string& key,
                                        const std::string& defaultValue) {
    // The profile functions open what they are given: a device is never handed to them.
    if (IsDevicePath(path)) return defaultValue;
    std::vector<char> buffer(kMaxValue + 1, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), n);
}

bool Win32ProfileFile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& value) {
    if (IsDevicePath(path)) return false;
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

bool Win32ProfileFile::Flush(const std::string& path) {
    if (IsDevicePath(path)) return false;
    // Windows 9x caches profile files; all-null arguments write the cache out. That call
    // reports FALSE whatever happens, so only the writes themselves tell of failures.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    return true;
}

TimeOfDay Win32Clock::LocalTime() {
    SYSTEMTIME now {};
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

// IsWow64Process came with XP SP2 and Server 2003 SP1; Windows 95 to XP SP1 lack it, and
// a 32-bit Windows says FALSE.
bool RunsUnderWow64() {
    auto isWow64Process = LookupFunction<IsWow64ProcessFunction>(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

// IsWow64Process2 came with Windows 10 1511; older systems have no ARM64 edition.
bool RunsOnArm64() {
    constexpr USHORT kArm64Machine = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
    auto isWow64Process2 = LookupFunction<IsWow64Process2Function>(GetModuleHandleA("kernel32.dll"), "IsWow64Process2");
    USHORT process = 0, native = 0;
    return isWow64Process2 && isWow64Process2(GetCurrentProcess(), &process, &native) && native == kArm64Machine;
}

using AllocateSidFunction = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                          DWORD, DWORD, PSID*);
using CheckTokenMembershipFunction = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
using FreeSidFunction = PVOID(WINAPI*)(PSID);

// CheckTokenMembership came with Windows 2000; with UAC on, an administrator's filtered
// token holds the group for deny only and so counts as no administrator, as it should.
// Where it cannot be asked (NT 4.0) the user is taken at their word.
bool RunsAsAdministrator() {
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    auto allocate = LookupFunction<AllocateSidFunction>(advapi, "AllocateAndInitializeSid");
    auto check = LookupFunction<CheckTokenMembershipFunction>(advapi, "CheckTokenMembership");
    auto release = LookupFunction<FreeSidFunction>(advapi, "FreeSid");
    if (!allocate || !check || !release) return true;
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID administrators = nullptr;
    if (!allocate(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                  &administrators))
        return true;
    BOOL member = TRUE;
    if (!check(nullptr, administrators, &member)) member = TRUE;
    release(administrators);
    return member != FALSE;
}

}  // namespace

OsVersionInfo Win32OsVersion::Get() {
    OSVERSIONINFOA info {};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersionInfo result;
    if (!GetVersionExA(&info)) return result;
    result.platformId = info.dwPlatformId;
    result.major = info.dwMajorVersion;
    result.minor = info.dwMinorVersion;
    result.build = info.dwBuildNumber;
    result.servicePack = info.szCSDVersion;
    if (result.platformId == VER_PLATFORM_WIN32_NT && RunsUnderWow64())
        result.machine = RunsOnArm64() ? Machine::Arm64 : Machine::X64;
    result.administrator = result.platformId != VER_PLATFORM_WIN32_NT || RunsAsAdministrator();
    return result;
}

namespace {

std::optional<std::string_view> LoadModuleResource(const char* name, LPCSTR type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return std::nullopt;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return std::nullopt;
    // Resources of the executable stay mapped for the life of the process.
    return std::string_view(static_cast<const char*>(bytes), size);
}

}  // namespace

std::optional<std::string_view> Win32Resources::RcData(const char* name) {
    return LoadModuleResource(name, MAKEINTRESOURCEA(10));  // RT_RCDATA
}

// A complete .bmp file, as the host build gives: RT_BITMAP holds the DIB without its
// BITMAPFILEHEADER, so one is put in front.
std::optional<std::string_view> Win32Resources::Bitmap(const char* name) {
    auto dib = LoadModuleResource(name, MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (!dib) return std::nullopt;
    // Views handed out must stay valid for the life of the program, as resource views
    // do, whichever Win32Resources object made them: one cache per process.
    // No lock: the program asks for resources from its one UI thread only.
    static std::map<const void*, std::string> files;  // by the resource's address
    auto cached = files.find(dib->data());
    if (cached != files.end()) return std::string_view(cached->second);

    // The pixels start after the info header, its colour masks and its colour table.
    auto dword = [&](std::size_t at) {
        DWORD value = 0;
        std::memcpy(&value, dib->data() + at, sizeof value);
        return value;
    };
    if (dib->size() < sizeof(BITMAPCOREHEADER)) return std::nullopt;
    const DWORD headerSize = dword(0);
    std::uint64_t tableSize = 0;  // wide enough that no header value overflows it
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        WORD bits = 0;
        std::memcpy(&bits, dib->data() + offsetof(BITMAPCOREHEADER, bcBitCount), sizeof bits);
        tableSize = bits <= 8 ? (std::uint64_t{1} << bits) * sizeof(RGBTRIPLE) : 0;
    } else {
        if (headerSize < sizeof(BITMAPINFOHEADER) || dib->size() < headerSize) return std::nullopt;
        const WORD bits = LOWORD(dword(offsetof(BITMAPINFOHEADER, biBitCount)));
        const DWORD compression = dword(offsetof(BITMAPINFOHEADER, biCompression));
        const DWORD colorsUsed = dword(offsetof(BITMAPINFOHEADER, biClrUsed));
        const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : bits <= 8 ? std::uint64_t{1} << bits : 0;
        tableSize = colors * sizeof(RGBQUAD);
        if (headerSize == sizeof(BITMAPINFOHEADER) && compression == BI_BITFIELDS) tableSize += 3 * sizeof(DWORD);
    }
    if (headerSize + tableSize > dib->size()) return std::nullopt;

    BITMAPFILEHEADER fileHeader {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = static_cast<DWORD>(sizeof fileHeader + dib->size());
    fileHeader.bfOffBits = static_cast<DWORD>(sizeof fileHeader + headerSize + tableSize);
    std::string file(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    file.append(dib->data(), dib->size());
    return std::string_view(files.emplace(dib->data(), std::move(file)).first->second);
}

}  // namespace tastavia
