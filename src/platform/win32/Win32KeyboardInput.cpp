#include "platform/win32/Win32KeyboardInput.h"

#include <windows.h>

#include "platform/win32/LookupFunction.h"

namespace tastavia {

namespace {

constexpr DWORD kIlotUninstall = 0x00000001;  // not in the public headers

using InstallLayoutOrTipFunction = BOOL(WINAPI*)(LPCWSTR list, DWORD flags);

std::uint32_t HandleValue(HKL layout) { return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(layout)); }

// input.dll of the system folder only: never one planted beside the program.
HMODULE LoadInputDll() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 12) return nullptr;
    return LoadLibraryA((std::string(folder, length) + "\\input.dll").c_str());
}

}  // namespace

std::uint32_t Win32KeyboardInput::LoadLayout(const std::string& keyName) {
    return HandleValue(LoadKeyboardLayoutA(keyName.c_str(), KLF_ACTIVATE));
}

bool Win32KeyboardInput::UnloadLayout(std::uint32_t handle) {
    return UnloadKeyboardLayout(reinterpret_cast<HKL>(static_cast<UINT_PTR>(handle))) != FALSE;
}

std::vector<std::uint32_t> Win32KeyboardInput::LoadedLayouts() {
    const int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0) return {};
    std::vector<HKL> layouts(static_cast<std::size_t>(count));
    const int got = GetKeyboardLayoutList(count, layouts.data());
    std::vector<std::uint32_t> handles;
    for (int i = 0; i < got && i < count; ++i) handles.push_back(HandleValue(layouts[static_cast<std::size_t>(i)]));
    return handles;
}

KeyboardInput::TipResult Win32KeyboardInput::InstallLayoutOrTip(const std::string& list, bool uninstall) {
    HMODULE module = LoadInputDll();
    if (!module) return TipResult::Missing;
    auto function = LookupFunction<InstallLayoutOrTipFunction>(module, "InstallLayoutOrTip");
    TipResult result = TipResult::Missing;
    if (function) {
        // The list is plain ASCII: hex digits and a colon.
        std::wstring wide(list.begin(), list.end());
        result = function(wide.c_str(), uninstall ? kIlotUninstall : 0) ? TipResult::Done : TipResult::Failed;
    }
    FreeLibrary(module);
    return result;
}

}  // namespace tastavia
