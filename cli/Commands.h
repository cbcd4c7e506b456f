#pragma once
// The commands of tastavia-cli. Each returns the exit code; a failure is reported by
// throwing Failure (exit 1) or UsageError (exit 2).
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CliServices.h"
#include "layout/KeyTable.h"

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

void RunNew(Services& services, const NewOptions& options);
void RunExport(Services& services, const std::string& file, std::optional<OsKind> kind, const std::string& output);
void RunImport(Services& services, const std::string& file, std::optional<OsKind> kind, const std::string& ini);
void RunShow(Services& services, const std::string& file, std::optional<OsKind> kind, std::ostream& out);
// The layout as a klc or XKB source for today's systems (INI goes through RunExport).
void RunExportAs(Services& services, const std::string& file, std::optional<OsKind> kind, ExportFormat format,
                 const std::string& output);
// One finding a line; 0 when there are none, 1 otherwise.
int RunCheck(Services& services, const std::string& file, std::optional<OsKind> kind, std::ostream& out);

// Parses the arguments after the program name and runs the command.
int RunCommandLine(Services& services, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tastavia::cli
