// tastavia-cli as a user runs it: exit codes, messages, and the files it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <tuple>

#include "TestSupport.h"
#include "layout/BuiltinKeys.h"
#include "layout/KlcReader.h"

namespace tastavia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::ResourceFile;
using test::WriteFile;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    test::TempDir dir;

    Result Run(const std::string& args) {
        std::string errPath = dir / "stderr.txt";
        std::string command = "cd '" + dir.path() + "' && TMPDIR='" + dir.path() + "' '" TASTAVIA_CLI_PATH "' " +
                              args + " 2>'" + errPath + "'";
        Result r;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return r;
        std::array<char, 4096> buffer{};
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
        int status = ::pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ReadFile(errPath);
        return r;
    }

    // Files the program left in the folder besides the ones the test named.
    std::size_t Leftovers(std::initializer_list<std::string> known) {
        std::string listing;
        FILE* pipe = ::popen(("ls -A '" + dir.path() + "'").c_str(), "r");
        std::array<char, 4096> buffer{};
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) listing.append(buffer.data(), n);
        ::pclose(pipe);
        std::size_t count = 0, start = 0;
        for (std::size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string name = listing.substr(start, end - start);
            if (name != "stderr.txt" && std::find(known.begin(), known.end(), name) == known.end()) ++count;
        }
        return count;
    }
};

// The text with every run of spaces made one, so that checks do not hang on column widths.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    return out;
}

bool OneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == text.size() - 1 && text.rfind("tastavia-cli: ", 0) == 0;
}

TEST_F(Cli, NewMakesEachKindFromItsTemplate) {
    EXPECT_EQ(Run("new --os xp --bds -o bds.dll").code, 0);
    EXPECT_EQ(ReadFile(dir / "bds.dll"), ResourceFile("WINXP.dll"));  // the template holds that layout
    EXPECT_EQ(Run("new --os 2000 -o plain.dll").code, 0);
    EXPECT_EQ(ReadFile(dir / "plain.dll"), ResourceFile("WIN2K.dll"));
    EXPECT_EQ(Run("new --os x64 --bds -o x64.dll").code, 0);
    EXPECT_EQ(ReadFile(dir / "x64.dll"), ResourceFile("WINX64.dll"));
    EXPECT_EQ(Run("new --os wow64 -o wow64.dll").code, 0);
    EXPECT_EQ(ReadFile(dir / "wow64.dll"), ResourceFile("WOW64.dll"));
    EXPECT_EQ(Run("new --os arm64 --bds -o arm64.dll").code, 0);
    EXPECT_EQ(ReadFile(dir / "arm64.dll"), ResourceFile("WINARM64.dll"));
    EXPECT_EQ(Run("new --os 98 --bds -o bds.kbd").code, 0);
    std::string w98 = ReadFile(dir / "bds.kbd");
    EXPECT_EQ(w98.size(), 403u);
    EXPECT_EQ(w98[316], 73);  // BDS has the Latin I where the template has І
    EXPECT_EQ(Leftovers({"bds.dll", "plain.dll", "x64.dll", "wow64.dll", "arm64.dll", "bds.kbd"}), 0u);
}

TEST_F(Cli, BuiltinLayoutsSurviveNewAndExport) {
    for (const char* kind : {"98", "2000", "xp", "x64", "wow64", "arm64"}) {
        ASSERT_EQ(Run(std::string("new --os ") + kind + " --phonetic -o p.bin").code, 0) << kind;
        ASSERT_EQ(Run("export p.bin -o p.ini").code, 0) << kind;
        EXPECT_EQ(ReadFile(dir / "p.ini"), ResourceFile("PHONETIC.ini")) << kind;
        std::remove((dir / "p.ini").c_str());
    }
}

TEST_F(Cli, ImportPatchesInPlaceAndShowPrintsTheKeys) {
    ASSERT_EQ(Run("new --os 2000 -o k.dll").code, 0);
    WriteFile(dir / "in.ini", "[KBD]\r\n1=168\r\n49=$C0\r\n1001=1\r\n");
    ASSERT_EQ(Run("import k.dll in.ini").code, 0);
    Result shown = Run("show k.dll");
    ASSERT_EQ(shown.code, 0);
    EXPECT_NE(shown.out.find("Windows 2000 layout library"), std::string::npos);
    std::string table = Squeezed(shown.out);
    EXPECT_NE(table.find("\n 1 ` \xD0\x81 168 \xD0\x90 192 on\n"), std::string::npos) << shown.out;
    EXPECT_NE(table.find("\n 16 W \xD1\x83 243 \xD0\xA3 211 on\n"), std::string::npos);
    EXPECT_NE(table.find("\n 48 Space 32 32 off\n"), std::string::npos);
    EXPECT_EQ(Leftovers({"k.dll", "in.ini"}), 0u);
}

TEST_F(Cli, ValuesOutOfRangeAreToldOnStderrAndTheExitCodeStays) {
    ASSERT_EQ(Run("new --os xp -o k.dll").code, 0);
    WriteFile(dir / "in.ini", "[KBD]\r\n1=300\r\n2=abc\r\n");
    for (const std::string args : {"import k.dll in.ini", "new --os 98 --ini in.ini -o n.kbd"}) {
        const Result r = Run(args);
        EXPECT_EQ(r.code, 0) << args;
        EXPECT_EQ(r.err, "tastavia-cli: warning: values of in.ini not taken as they stand:\n"
                         "1=300: out of range 0-255, taken as 44 (,)\n"
                         "2=abc: not a number, the key kept its value 49\n") << args;
    }
}

TEST_F(Cli, ExportKeepsOtherSectionsOfTheTarget) {
    ASSERT_EQ(Run("new --os 98 -o k.kbd").code, 0);
    WriteFile(dir / "out.ini", "[Mine]\r\nx=1\r\n");
    ASSERT_EQ(Run("export k.kbd --os 98 -o out.ini").code, 0);
    std::string ini = ReadFile(dir / "out.ini");
    EXPECT_EQ(ini.rfind("[Mine]\r\nx=1\r\n[KBD]\r\n1=96\r\n", 0), 0u);
}

TEST_F(Cli, FailuresSayWhatIsWrongAndChangeNothing) {
    ASSERT_EQ(Run("new --os xp -o k.dll").code, 0);
    const std::string original = ReadFile(dir / "k.dll");
    WriteFile(dir / "in.ini", "[KBD]\r\n1=65\r\n");

    Result missing = Run("show nothing.dll");
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(OneLine(missing.err)) << missing.err;
    EXPECT_NE(missing.err.find("nothing.dll"), std::string::npos);

    WriteFile(dir / "junk.bin", "not a layout");
    Result unknown = Run("show junk.bin");
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("--os"), std::string::npos);

    Result wrongKind = Run("show k.dll --os 2000");
    EXPECT_EQ(wrongKind.code, 1);
    EXPECT_NE(wrongKind.err.find("6416 bytes expected, 5632 found"), std::string::npos) << wrongKind.err;

    EXPECT_EQ(Run("import k.dll missing.ini").code, 1);
    EXPECT_EQ(ReadFile(dir / "k.dll"), original);

    test::MakeReadOnly(dir / "k.dll");
    Result readOnly = Run("import k.dll in.ini");
    EXPECT_EQ(readOnly.code, 1);
    EXPECT_NE(readOnly.err.find("read-only"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "k.dll"), original);
    EXPECT_EQ(Run("new --os xp -o k.dll").code, 1);
    EXPECT_EQ(ReadFile(dir / "k.dll"), original);

    WriteFile(dir / "ro.ini", "[KBD]\r\n");
    test::MakeReadOnly(dir / "ro.ini");
    EXPECT_EQ(Run("export k.dll -o ro.ini").code, 1);
    EXPECT_EQ(ReadFile(dir / "ro.ini"), "[KBD]\r\n");
    EXPECT_EQ(Leftovers({"k.dll", "in.ini", "junk.bin", "ro.ini"}), 0u);
}

TEST_F(Cli, BadInputsGetAClearMessageAndChangeNothing) {
    ASSERT_EQ(Run("new --os xp -o k.dll").code, 0);
    ::mkdir((dir / "sub").c_str(), 0755);
    WriteFile(dir / "in.ini", "[KBD]\r\n1=65\r\n");
    WriteFile(dir / "other.ini", "[Other]\r\n1=65\r\n");
    std::string noBom;  // UTF-16 without its byte-order mark
    for (char c : std::string("[KBD]\r\n1=65\r\n")) noBom += std::string{c, '\0'};
    WriteFile(dir / "nobom.ini", noBom);
    WriteFile(dir / "fake.dll", std::string(5632, 'x'));
    // "MZ" and the size of an XP library, with a PE header that lies outside the file.
    WriteFile(dir / "mz.dll", "MZ" + std::string(58, '\0') + std::string("\xF0\xFF\xFF\x7F", 4) + std::string(5568, '\0'));
    std::string moved = ResourceFile("WINX64.dll");
    moved[0x6F8] = 'x';  // key 1's entry gets another virtual key than its scan code's
    WriteFile(dir / "moved.dll", moved);
    const auto before = std::make_tuple(ReadFile(dir / "k.dll"), ReadFile(dir / "in.ini"));
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"import k.dll sub", "sub: a folder, not a file"},
        {"show sub", "sub: a folder, not a file"},
        {"new --os xp -o sub", "sub: a folder, not a file"},
        {"export k.dll -o k.dll", "the same file as k.dll"},
        {"export k.dll -o sub/../K.dll --os xp", ""},  // another file where names differ in case
        {"export k.dll -o ./sub/../k.dll", "the same file as k.dll"},
        {"import k.dll k.dll", "the same file as k.dll"},
        {"new --os xp --ini in.ini -o in.ini", "the same file as in.ini"},
        {"show fake.dll --os xp", "(5632 bytes expected, 5632 found: the size is right, but not the layout tables)"},
        {"show mz.dll", "not a layout file of a known kind"},
        {"check mz.dll --os xp", "the size is right, but not the layout tables"},
        {"export mz.dll --os xp -o out.ini", "the size is right, but not the layout tables"},
        {"import mz.dll --os xp in.ini", "the size is right, but not the layout tables"},
        {"import k.dll 'COM1 .ini'", "COM1 .ini: names a device, not a file"},
        {"import k.dll sub/NUL", "names a device"},
        {"show 'CON .dll'", "names a device"},
        {"export k.dll -o 'conout$.ini'", "names a device"},
        {"show k.dll --os 2000", "found: it is a Windows XP layout library)"},
        {"show moved.dll", "moved.dll: not a 64-bit Windows layout library made by Tastavia: its key 1 (`)"},
        {"check k.dll --os wow64", "(5376 bytes expected, 5632 found: it is a Windows XP layout library)"},
        {"show 'sub\\k.dll'", "'\\' is no folder separator here"},
        // As the window: a file without the layout's keys would change nothing.
        {"import k.dll other.ini", "The file \"other.ini\" holds no keyboard layout: it has no [KBD] section"},
        {"import k.dll nobom.ini", "The file \"nobom.ini\" holds no keyboard layout"},
        {"new --os xp --ini other.ini -o new.dll", "holds no keyboard layout"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        if (*c.message == '\0') {
            EXPECT_EQ(r.code, 0) << c.args << ": " << r.err;
            std::remove((dir / "K.dll").c_str());
            continue;
        }
        EXPECT_EQ(r.code, 1) << c.args;
        EXPECT_TRUE(OneLine(r.err)) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(std::make_tuple(ReadFile(dir / "k.dll"), ReadFile(dir / "in.ini")), before) << c.args;
    }
    EXPECT_EQ(Leftovers({"k.dll", "in.ini", "other.ini", "nobom.ini", "fake.dll", "mz.dll", "moved.dll", "sub"}), 0u);
}

// ASCII text as UTF-16 of either byte order, with its byte-order mark.
std::string Wide(const std::string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

TEST_F(Cli, ReadsAndWritesUtf16IniFilesOfEitherByteOrderAndShowsControlBytesVisibly) {
    for (bool bigEndian : {false, true}) {
        ASSERT_EQ(Run("new --os 98 -o k.kbd").code, 0);
        WriteFile(dir / "wide.ini", Wide("[KBD]\r\n1=152\r\n2=65\r\n", bigEndian));
        ASSERT_EQ(Run("import k.kbd wide.ini").code, 0);
        Result shown = Run("show k.kbd");
        std::string table = Squeezed(shown.out);
        EXPECT_NE(table.find("\n 1 ` M-^X 152 "), std::string::npos) << shown.out;
        EXPECT_NE(table.find("\n 2 1 A 65 "), std::string::npos) << shown.out;
        // An export into the file keeps its byte order: the same text as a new file's.
        ASSERT_EQ(Run("export k.kbd -o fresh.ini").code, 0);
        ASSERT_EQ(Run("export k.kbd -o wide.ini").code, 0);
        EXPECT_EQ(ReadFile(dir / "wide.ini"), Wide(ReadFile(dir / "fresh.ini"), bigEndian)) << bigEndian;
        for (const char* name : {"k.kbd", "wide.ini", "fresh.ini"}) std::remove((dir / name).c_str());
    }
}

TEST_F(Cli, BadUsageExitsWithTwo) {
    for (const char* args : {"", "frobnicate", "new -o x.dll", "new --os 95 -o x.dll", "new --os xp",
                             "new --os xp --bds --phonetic -o x", "show", "show a b", "export k.dll",
                             "import k.dll", "show k.dll --bds", "new --os"}) {
        Result r = Run(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
    EXPECT_FALSE(FileExists(dir / "x.dll"));
    EXPECT_EQ(Run("--help").code, 0);
}

TEST_F(Cli, CheckPassesTheBuiltinsAndNamesEachFault) {
    for (const char* kind : {"98", "2000", "xp", "x64", "wow64", "arm64"})
        for (const char* builtin : {"--bds", "--phonetic"}) {
            ASSERT_EQ(Run(std::string("new --os ") + kind + " " + builtin + " -o k.bin").code, 0);
            Result clean = Run("check k.bin");
            EXPECT_EQ(clean.code, 0) << kind << builtin << clean.out;
            EXPECT_EQ(clean.out, "") << kind << builtin;
            std::remove((dir / "k.bin").c_str());
        }
    ASSERT_EQ(Run("new --os xp --bds -o b.dll").code, 0);
    // ж becomes a Latin a, key = gives a second comma, W loses its Caps-Lock flag.
    WriteFile(dir / "broken.ini", "[KBD]\r\n31=97\r\n1031=0\r\n13=44\r\n1016=0\r\n");
    ASSERT_EQ(Run("import b.dll broken.ini").code, 0);
    Result broken = Run("check b.dll");
    EXPECT_EQ(broken.code, 1);
    EXPECT_EQ(broken.out,
              "letter \xD0\xB6 (230) is on no key\n"
              ", (44) is on key 13 (=) and key 15 (Q)\n"
              "key 16 (W): a letter key that Caps Lock does not act on (\xD1\x83 (243), \xD0\xA3 (211))\n");
    for (const char* args : {"check", "check b.dll b.dll", "check b.dll -o x", "export b.dll --format pdf -o x",
                             "import b.dll broken.ini --format klc", "check b.dll --format xkb"})
        EXPECT_EQ(Run(args).code, 2) << args;
    EXPECT_EQ(Leftovers({"b.dll", "broken.ini"}), 0u);
}

TEST_F(Cli, ExportWritesKlcAndXkbBesideTheIni) {
    ASSERT_EQ(Run("new --os 98 --phonetic -o ph.kbd").code, 0);
    const std::string layout = ReadFile(dir / "ph.kbd");
    ASSERT_EQ(Run("export ph.kbd --format klc -o ph.klc").code, 0);
    EXPECT_EQ(ReadKlc(ReadFile(dir / "ph.klc")), test::BuiltinKeys(kOsWin9x, "PHONETIC"));
    ASSERT_EQ(Run("export ph.kbd --format xkb -o ph.xkb").code, 0);
    const std::string xkb = ReadFile(dir / "ph.xkb");
    EXPECT_NE(xkb.find("xkb_symbols \"ph\" {"), std::string::npos) << xkb;
    EXPECT_NE(xkb.find("key <AD01> { type[Group1] = \"ALPHABETIC\", symbols[Group1] = [ U044F, U042F ] };"), std::string::npos);
    ASSERT_EQ(Run("export ph.kbd --format ini -o ph.ini").code, 0);
    EXPECT_EQ(ReadFile(dir / "ph.ini"), ResourceFile("PHONETIC.ini"));
    Result onItself = Run("export ph.kbd --format xkb -o ph.kbd");
    EXPECT_EQ(onItself.code, 1);
    EXPECT_TRUE(OneLine(onItself.err)) << onItself.err;
    EXPECT_EQ(ReadFile(dir / "ph.kbd"), layout);
    EXPECT_EQ(Leftovers({"ph.kbd", "ph.klc", "ph.xkb", "ph.ini"}), 0u);
}

}  // namespace
}  // namespace tastavia
