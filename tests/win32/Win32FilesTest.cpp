// The Win32 file services and the working layout file on a real Windows file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "Win32TestSupport.h"
#include "layout/LayoutFileKind.h"
#include "layout/WorkingLayout.h"
#include "platform/Errors.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/FileOwnership.h"
#include "registry/LayoutRegistry.h"
#include "text/Text.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"

namespace tastavia {
namespace {

class FixedClock : public Clock {
public:
    TimeOfDay LocalTime() override { return {12, 0, 0, 0}; }
};

using test::Win32Folder;

std::string Read(Win32Files& files, const std::string& path) { return files.ReadAll(path).value_or("<missing>"); }

TEST(Win32Files, DirectoriesAreAbsolute) {
    Win32Files files;
    std::string temp = files.TempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    std::string windows = files.WindowsDirectory();
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows.substr(1, 2), ":\\");
    EXPECT_NE(windows.back(), '\\');
}

TEST(Win32Files, ACopyTakenWhileTheFileIsOpenHoldsEveryWrite) {
    Win32Folder dir;
    Win32Files files;
    std::string path = dir.path() + "work.tmp";
    ASSERT_TRUE(files.WriteAll(path, std::string(16, 'a')));
    std::unique_ptr<RandomAccessFile> file = files.Open(path, FileAccess::ReadWrite);
    file->Seek(3);
    file->WriteByte('X');
    file->Seek(15);
    file->WriteByte('Y');
    // Others may open it meanwhile, for reading and for writing.
    EXPECT_EQ(Read(files, path), "aaaXaaaaaaaaaaaY");
    ASSERT_TRUE(files.Copy(path, dir.path() + "copy.tmp"));
    EXPECT_EQ(Read(files, dir.path() + "copy.tmp"), "aaaXaaaaaaaaaaaY");
    file->Seek(3);
    EXPECT_EQ(file->ReadByte(), 'X');
    EXPECT_EQ(file->Size(), 16u);
    file->Seek(16);
    EXPECT_THROW(file->ReadByte(), IoError);
    file->Close();
    EXPECT_THROW(file->Seek(0), IoError);
}

TEST(Win32Files, ReadOnlyFilesCanBeNeitherReplacedNorDeletedUntilCleared) {
    Win32Folder dir;
    Win32Files files;
    std::string path = dir.path() + "ro.dll";
    ASSERT_TRUE(files.WriteAll(path, "old"));
    ASSERT_TRUE(files.WriteAll(dir.path() + "new.dll", "new"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(files.IsReadOnly(path));
    EXPECT_FALSE(files.Copy(dir.path() + "new.dll", path));
    EXPECT_FALSE(files.Delete(path));
    EXPECT_FALSE(files.WriteAll(path, "x"));
    EXPECT_THROW(files.Open(path, FileAccess::ReadWrite), IoError);
    EXPECT_EQ(files.Open(path, FileAccess::ReadOnly)->ReadByte(), 'o');
    files.ClearReadOnly(path);
    EXPECT_FALSE(files.IsReadOnly(path));
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_ARCHIVE, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(files.Copy(dir.path() + "new.dll", path));
    EXPECT_EQ(Read(files, path), "new");
    EXPECT_TRUE(files.Delete(path));
    EXPECT_FALSE(files.Exists(path));
    EXPECT_THROW(files.Open(path, FileAccess::ReadOnly), IoError);
}

TEST(Win32Files, UniqueFilesAndFullPaths) {
    Win32Folder dir;
    Win32Files files;
    std::string a = files.CreateUniqueFile(dir.path(), "tas");
    std::string b = files.CreateUniqueFile(dir.path(), "tas");
    EXPECT_NE(a, b);
    EXPECT_TRUE(files.Exists(a));
    EXPECT_EQ(files.FullPath(a), a);
    EXPECT_THROW(files.CreateUniqueFile(dir.path() + "missing\\", "tas"), IoError);
}

// A folder too long for a temporary name beside a file (MAX_PATH - 14) gets no name asked
// for: Windows documents GetTempFileName as failing there, and may make a garbled one.
TEST(Win32Files, NoTemporaryNameIsAskedForInAFolderTooLong) {
    Win32Folder dir;
    Win32Files files;
    std::string folder = dir.path();
    std::vector<std::string> made;
    // One character past the limit, with its backslash; CreateDirectory takes up to 247.
    const std::size_t length = MAX_PATH - 13;
    while (folder.size() < length) {
        const std::size_t remaining = length - folder.size();
        folder += std::string(remaining <= 41 ? remaining - 1 : std::min<std::size_t>(40, remaining - 3), 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
        made.push_back(folder);
    }
    ASSERT_EQ(folder.size(), length);
    try {
        files.CreateUniqueFile(folder, "tas");
        ADD_FAILURE() << "a temporary name in a folder of " << folder.size() << " characters";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find("too long"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(files.WriteAll(folder + "x.ini", "x"));
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
    int entries = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do ++entries;
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    EXPECT_EQ(entries, 2) << "only . and ..";
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryA(it->c_str());
}

// Files in a folder besides the given ones: a sibling left behind would show here.
int OtherFiles(const std::string& folder, std::initializer_list<const char*> names) {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        bool known = found.cFileName[0] == '.';
        for (const char* name : names) known = known || lstrcmpiA(found.cFileName, name) == 0;
        if (!known) ++count;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return count;
}

TEST(Win32Files, WritesAndCopiesReplaceTheTargetWholeByEitherMethod) {
    for (ReplaceMethod method : {ReplaceMethod::Automatic, ReplaceMethod::ReplacingMove, ReplaceMethod::DeleteThenMove}) {
        Win32Folder dir;
        Win32Files files(method);
        const std::string target = dir.path() + "k.dll", source = dir.path() + "s.dll";
        ASSERT_TRUE(files.WriteAll(target, std::string(5000, 'o')));
        ASSERT_TRUE(files.WriteAll(target, "new"));
        EXPECT_EQ(Read(files, target), "new");
        ASSERT_TRUE(files.WriteAll(source, "copied"));
        SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(files.Copy(source, target));
        EXPECT_EQ(Read(files, target), "copied");
        EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "attributes go with a copy";
        EXPECT_FALSE(files.Copy(dir.path() + "missing.dll", target));
        EXPECT_FALSE(files.WriteAll(dir.path() + "missing\\k.dll", "x"));
        EXPECT_FALSE(files.WriteAll(dir.path(), "x"));  // a folder
        EXPECT_EQ(Read(files, target), "copied");
        EXPECT_EQ(OtherFiles(dir.path(), {"k.dll", "s.dll"}), 0);
    }
}

TEST(Win32Files, AScratchCopyIsWrittenInPlaceAndRefusedWhereWritesAre) {
    Win32Folder dir;
    Win32Files files;
    const std::string path = dir.path() + "scratch.tmp";
    ASSERT_TRUE(files.WriteScratch(path, std::string(5000, 'o')));
    ASSERT_TRUE(files.WriteScratch(path, "new"));
    EXPECT_EQ(Read(files, path), "new");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(files.WriteScratch(path, "x"));
    EXPECT_EQ(Read(files, path), "new") << "a refused write keeps the file";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::string& refused : {dir.path(), dir.path() + "missing\\k.tmp", std::string("NUL"), dir.path() + "COM1"})
        EXPECT_FALSE(files.WriteScratch(refused, "x")) << refused;
    EXPECT_EQ(OtherFiles(dir.path(), {"scratch.tmp"}), 0);
}

TEST(Win32Files, StatusAndSameFileSeeThroughSpellings) {
    Win32Folder dir;
    Win32Files files;
    const std::string path = dir.path() + "Layout.ini";
    ASSERT_TRUE(files.WriteAll(path, "12345"));
    FileStatus status = files.Status(path);
    EXPECT_EQ(status.kind, FileKind::File);
    EXPECT_EQ(status.size, 5u);
    EXPECT_EQ(files.Status(dir.path()).kind, FileKind::Folder);
    EXPECT_EQ(files.Status(dir.path() + "*.ini").kind, FileKind::Missing);
    ASSERT_TRUE(files.WriteAll(path, "123456"));
    EXPECT_EQ(files.Status(path).size, 6u);
    EXPECT_TRUE(files.SameFile(path, dir.path() + ".\\LAYOUT.INI"));
    EXPECT_FALSE(files.SameFile(path, dir.path() + "other.ini"));
}

// Save compares the file it would replace with every installed layout's file as Windows
// finds files: by the 8.3 alias of a long name, and by any case of a Cyrillic name.
TEST(Win32Files, AnotherLayoutsFileIsFoundUnderEveryNameOfIt) {
    Win32Folder dir;
    Win32Files files;
    const std::string longName = "kbdlayme2.dll", cyrillic = "\xEA\xE1\xE4.dll";  // кбд.dll
    ASSERT_TRUE(files.WriteAll(dir.path() + longName, "x"));
    ASSERT_TRUE(files.WriteAll(dir.path() + cyrillic, "y"));
    char alias[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA((dir.path() + longName).c_str(), alias, MAX_PATH), 0u);
    const std::string shortName = std::string(alias).substr(std::string(alias).find_last_of('\\') + 1);
    ASSERT_NE(UpperAscii(shortName), UpperAscii(longName));
    EXPECT_TRUE(files.SameFile(dir.path() + longName, dir.path() + shortName)) << shortName;
    EXPECT_TRUE(files.SameFile(dir.path() + cyrillic, dir.path() + "\xCA\xC1\xC4.DLL"));  // КБД.DLL
    EXPECT_FALSE(files.SameFile(dir.path() + longName, dir.path() + cyrillic));

    MemoryRegistry registry;
    for (const auto& [key, file] : {std::pair<const char*, std::string>{"00070402", longName}, {"00000409", cyrillic}})
        registry.Open(RootKey::LocalMachine, LayoutKeyPath(key), true)->WriteString("layout file", file);
    EXPECT_EQ(LayoutsNamingFile(registry, files, dir.path(), shortName, ""), std::vector<std::string>{"00070402"});
    EXPECT_EQ(LayoutsNamingFile(registry, files, dir.path(), shortName, "00070402"), std::vector<std::string>{});
    EXPECT_EQ(LayoutsNamingFile(registry, files, dir.path(), "\xCA\xC1\xC4.dll", ""),
              std::vector<std::string>{"00000409"});
    EXPECT_EQ(LayoutsNamingFile(registry, files, dir.path(), "other.dll", ""), std::vector<std::string>{});
}

TEST(Win32WorkingLayout, CopiesTheTemplatesOutOfTheExecutable) {
    Win32Folder dir;
    Win32Files files;
    FixedClock clock;
    Win32Resources resources;
    for (OsKind kind : {kOsWin9x, kOsWin2000, kOsWinXp}) {
        WorkingLayout layout(files, clock, resources);
        layout.SetOsKind(kind);
        layout.SetTempDirectory(dir.path());
        layout.OpenWorkingFile(kTemplateMarker);
        ASSERT_TRUE(layout.IsOpen());
        EXPECT_EQ(layout.WorkingPath(), dir.path() + TemplatePrefix(kind) + "50000.tmp");
        EXPECT_TRUE(IsLayoutFileOfKind(Read(files, layout.WorkingPath()), kind));
        EXPECT_EQ(layout.ReadKeyChar(29, ShiftState::Unshifted), 224);
        layout.WriteKeyChar(29, ShiftState::Unshifted, 223);
        ASSERT_TRUE(files.Copy(layout.WorkingPath(), dir.path() + "installed"));
        std::string path = layout.WorkingPath();
        layout.OpenWorkingFile("");
        EXPECT_FALSE(files.Exists(path));

        layout.OpenWorkingFile(dir.path() + "installed");
        EXPECT_EQ(layout.ReadKeyChar(29, ShiftState::Unshifted), 223);
        layout.OpenWorkingFile("");
    }
}

}  // namespace
}  // namespace tastavia
