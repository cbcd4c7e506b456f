#pragma once
// The commands of tastavia-cli. Each returns the exit code; a failure is reported by
// throwing Failure (exit 1) or UsageError (exit 2).
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Platform.h"

namespace tastavia::cli {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Builtin { None, Bds, Phonetic };

enum class ExportFormat { Ini, Klc, Xkb };

struct NewOptions {
    OsKind kind = kOsUnchosen;
    Builtin builtin = Builtin::None;
    std::string iniPath;  // empty: none
    std::string output;
};

// Values of an INI file that are not taken as they stand are told on err.
void RunNew(Platform& platform, const NewOptions& options, std::ostream& err);
// A new layout file of `kind` holding the keys of any layout library; what its layouts
// cannot hold goes to `err`, one line each. The commands that read a layout file take
// any layout library too (read into a working file of the kind given, XP by default).
void RunNewFrom(Platform& platform, const std::string& library, OsKind kind, const std::string& output,
                std::ostream& err);
void RunExport(Platform& platform, const std::string& file, std::optional<OsKind> kind, const std::string& output,
               std::ostream& err);
void RunImport(Platform& platform, const std::string& file, std::optional<OsKind> kind, const std::string& ini,
               std::ostream& err);
void RunShow(Platform& platform, const std::string& file, std::optional<OsKind> kind, std::ostream& out,
             std::ostream& err);

// How the system spells paths. Where '\\' is no folder separator a path with one is
// refused: the file services would take it as one, and the user may have meant either.
struct PathRules {
    bool backslashSeparates = true;
};
// The layout as a klc or XKB source for today's systems (INI goes through RunExport).
void RunExportAs(Platform& platform, const std::string& file, std::optional<OsKind> kind, ExportFormat format,
                 const std::string& output, std::ostream& err);
// One finding a line; 0 when there are none, 1 otherwise.
int RunCheck(Platform& platform, const std::string& file, std::optional<OsKind> kind, std::ostream& out,
             std::ostream& err);

// Parses the arguments after the program name and runs the command.
int RunCommandLine(Platform& platform, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   PathRules rules = PathRules());

}  // namespace tastavia::cli
