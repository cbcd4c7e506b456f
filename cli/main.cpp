// tastavia-cli: the layout engine from the command line.
#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "Commands.h"
#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/posix/HostPlatform.h"
#include "platform/posix/ScratchFiles.h"
#endif

namespace {

// An output stream onto a C stream. Not std::cout: <iostream> links the file-stream
// runtime, whose _fstat64 import the msvcrt.dll of Windows 95 and 98 lacks.
class StdioBuffer : public std::streambuf {
public:
    explicit StdioBuffer(std::FILE* file) : file_(file) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(traits_type::to_char_type(c), file_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<std::size_t>(count), file_));
    }
    int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

private:
    std::FILE* file_;
};

}  // namespace

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
    StdioBuffer outBuffer(stdout);
    StdioBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    int code = tastavia::cli::RunCommandLine(system.platform, args, out, err, rules);
    out.flush();
    err.flush();
    return code;
}
