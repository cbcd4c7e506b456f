// tastavia-cli: the layout engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/posix/HostPlatform.h"
#include "platform/posix/ScratchFiles.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
    tastavia::Win32Platform system;
    tastavia::cli::PathRules rules;
#else
    tastavia::HostPlatform system;
    tastavia::cli::PathRules rules{false};
    // Ctrl+C or a kill in the middle of a command leaves no scratch file behind.
    tastavia::RemoveScratchFilesOnSignals();
#endif
    int code = tastavia::cli::RunCommandLine(system.platform, args, std::cout, std::cerr, rules);
    std::cout.flush();
    return code;
}
