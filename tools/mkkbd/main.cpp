// mkkbd OUTDIR: writes the layout templates and built-in layouts into OUTDIR.
#include <cstdio>
#include <fstream>
#include <string>

#include "Templates.h"

namespace {

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "mkkbd: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkkbd OUTDIR\n");
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/";
    bool ok = Write(dir + "WIN98.kbd", mkkbd::BuildWin98Template());
    ok = Write(dir + "WIN2K.dll", mkkbd::BuildNtTemplate(mkkbd::NtVariant::Windows2000)) && ok;
    ok = Write(dir + "WINXP.dll", mkkbd::BuildNtTemplate(mkkbd::NtVariant::WindowsXp)) && ok;
    ok = Write(dir + "WINX64.dll", mkkbd::BuildNtTemplate(mkkbd::NtVariant::WindowsX64)) && ok;
    ok = Write(dir + "WOW64.dll", mkkbd::BuildNtTemplate(mkkbd::NtVariant::Wow64)) && ok;
    ok = Write(dir + "WINARM64.dll", mkkbd::BuildNtTemplate(mkkbd::NtVariant::Arm64)) && ok;
    ok = Write(dir + "BDS.ini", mkkbd::BuildLayoutIni(mkkbd::BdsLayout())) && ok;
    ok = Write(dir + "PHONETIC.ini", mkkbd::BuildLayoutIni(mkkbd::PhoneticLayout())) && ok;
    return ok ? 0 : 1;
}
