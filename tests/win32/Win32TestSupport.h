#pragma once
// What the Windows tests share: a fresh folder under the temporary directory (absolute,
// as the profile API needs), removed with its files afterwards.
#include <windows.h>

#include <string>

#include "platform/win32/Win32Files.h"

namespace tastavia::test {

class Win32Folder {
public:
    explicit Win32Folder(const char* tag = "tastavia") {
        static int counter = 0;
        path_ = files_.TempPath() + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Win32Folder() {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((path_ + "*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = path_ + found.cFileName;
                SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(name.c_str());
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(path_.c_str());
    }
    Win32Folder(const Win32Folder&) = delete;
    Win32Folder& operator=(const Win32Folder&) = delete;

    const std::string& path() const { return path_; }
    Win32Files& files() { return files_; }

private:
    Win32Files files_;
    std::string path_;
};

}  // namespace tastavia::test
