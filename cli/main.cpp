// tastavia-cli: the layout engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<tastavia::cli::Services> services = tastavia::cli::MakeServices();
    int code = tastavia::cli::RunCommandLine(*services, args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
