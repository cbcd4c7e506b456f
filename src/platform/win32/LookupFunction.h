#pragma once
// A function the program calls only where Windows has it, looked up at run time so that
// the executable still loads where the system lacks it.
#include <windows.h>

namespace tastavia {

// The function of that name in the module, or null (also for a null module).
template <typename Function>
Function LookupFunction(HMODULE module, const char* name) {
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace tastavia
