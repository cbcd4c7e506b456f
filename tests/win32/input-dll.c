/* A stand-in for Windows' input.dll, put into the test prefix's system folder: Wine has
   none. InstallLayoutOrTip records each call under HKCU\Software\Tastavia Tests\Input
   ("1", "2", ...: flags, a space, the list) and keeps the user's language profile as
   Windows 8 and later do: a value "0402:<layout key>" under User Profile\bg-BG. */
#include <windows.h>
#include <stdio.h>

#define RECORD_KEY "Software\\Tastavia Tests\\Input"
#define PROFILE_KEY "Control Panel\\International\\User Profile\\bg-BG"

__declspec(dllexport) BOOL WINAPI InstallLayoutOrTip(LPCWSTR list, DWORD flags) {
    char text[256], name[16];
    HKEY key;
    DWORD count = 0, one = 1;
    int length;
    if (!list) return FALSE;
    length = WideCharToMultiByte(CP_ACP, 0, list, -1, text, sizeof text, NULL, NULL);
    if (length <= 0) return FALSE;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RECORD_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) return FALSE;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL);
    {
        char record[300];
        snprintf(name, sizeof name, "%lu", (unsigned long)count + 1);
        snprintf(record, sizeof record, "%lu %s", (unsigned long)flags, text);
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)record, (DWORD)strlen(record) + 1);
    }
    RegCloseKey(key);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, PROFILE_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) return FALSE;
    if (flags & 1)
        RegDeleteValueA(key, text);
    else
        RegSetValueExA(key, text, 0, REG_DWORD, (const BYTE*)&one, sizeof one);
    RegCloseKey(key);
    return TRUE;
}
