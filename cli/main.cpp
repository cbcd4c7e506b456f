// tastavia-cli: the layout engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
using SystemPlatform = tastavia::Win32Platform;
#else
#include "platform/posix/HostPlatform.h"
using SystemPlatform = tastavia::HostPlatform;
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    SystemPlatform system;
    int code = tastavia::cli::RunCommandLine(system.platform, args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
