#include "platform/win32/Win32Services.h"

#include <windows.h>

#include <vector>

namespace tastavia {

std::string Win32ProfileFile::GetString(const std::string& path, const std::string& section, const std::string& key,
                                        const std::string& defaultValue) {
    std::vector<char> buffer(kMaxValue + 1, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), n);
}

bool Win32ProfileFile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

void Win32ProfileFile::Flush(const std::string& path) {
    // Windows 9x caches profile files; all-null arguments write the cache out.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

TimeOfDay Win32Clock::LocalTime() {
    SYSTEMTIME now {};
    GetLocalTime(&now);
    return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

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

std::optional<std::string_view> Win32Resources::Bitmap(const char* name) {
    return LoadModuleResource(name, MAKEINTRESOURCEA(2));  // RT_BITMAP
}

}  // namespace tastavia
