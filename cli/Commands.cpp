#include "Commands.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <utility>

#include "CompareChart.h"
#include "layout/Charset.h"
#include "layout/ForeignLayout.h"
#include "layout/KlcWriter.h"
#include "layout/LayoutCheck.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutIni.h"
#include "layout/PeImage.h"
#include "layout/WideLibraryShape.h"
#include "layout/WorkingLayout.h"
#include "layout/XkbWriter.h"
#include "platform/Errors.h"
#include "text/Text.h"

namespace tastavia::cli {

namespace {

// A temporary file that is deleted when it goes out of scope.
class ScratchFile {
public:
    ScratchFile(Files& files, const std::string& prefix)
        : files_(files), path_(files.CreateUniqueFile(files.TempPath(), prefix)) {}
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() {
        if (!path_.empty()) files_.Delete(path_);
    }
    const std::string& path() const { return path_; }
    // Ownership goes to whoever deletes the file from now on.
    std::string Release() { return std::exchange(path_, std::string()); }

private:
    Files& files_;
    std::string path_;
};

// A layout file worked on through the engine: always a scratch copy, so that the file
// the user named changes only by one copy at the end, or not at all.
class Session {
public:
    Session(Platform& platform, OsKind kind) : platform_(platform), layout_(platform.files, platform.clock, platform.resources) {
        layout_.SetOsKind(kind);
    }
    ~Session() {
        try {
            layout_.OpenWorkingFile("");  // closes and deletes the scratch copy
        } catch (const AppError&) {
        }
    }

    void OpenCopyOf(const std::string& source) {
        ScratchFile copy(platform_.files, "tas");
        if (!platform_.files.Copy(source, copy.path())) throw Failure("cannot copy " + source);
        if (platform_.files.IsReadOnly(copy.path())) platform_.files.ClearReadOnly(copy.path());
        layout_.OpenWorkingFile(copy.Release());
    }

    void OpenTemplate() {
        ScratchFile copy(platform_.files, "tas");
        if (!layout_.ExtractResourceToFile(TemplateResource(layout_.GetOsKind()), copy.path()))
            throw Failure("cannot write the layout template to " + copy.path());
        layout_.OpenWorkingFile(copy.Release());
    }

    // A working file of the session's kind holding a library's keys.
    void OpenKeys(const LayoutKeys& keys) {
        ScratchFile copy(platform_.files, "tas");
        if (!platform_.files.WriteAll(copy.path(), WorkingFileFromKeys(keys, layout_.GetOsKind(), platform_.resources)))
            throw Failure("cannot write the layout to " + copy.path());
        layout_.OpenWorkingFile(copy.Release());
    }

    void SaveTo(const std::string& target) {
        if (!platform_.files.Copy(layout_.WorkingPath(), target)) throw Failure("cannot write " + target);
    }

    WorkingLayout& layout() { return layout_; }

private:
    Platform& platform_;
    WorkingLayout layout_;
};

// Refuses a path that names no file, saying what it names instead.
void RequireFile(Files& files, const std::string& path) {
    switch (files.Status(path).kind) {
        case FileKind::File: return;
        case FileKind::Missing: throw Failure(path + ": no such file");
        case FileKind::Folder: throw Failure(path + ": a folder, not a file");
        case FileKind::Other: throw Failure(path + ": not a regular file");
    }
}

std::string ReadExisting(Files& files, const std::string& path) {
    RequireFile(files, path);
    std::optional<std::string> bytes = files.ReadAll(path);
    if (!bytes) throw Failure(path + ": cannot read the file");
    return *bytes;
}

void RequireWritableTarget(Files& files, const std::string& path) {
    FileStatus status = files.Status(path);
    if (status.kind == FileKind::Folder) throw Failure(path + ": a folder, not a file");
    if (status.kind == FileKind::Other) throw Failure(path + ": not a regular file");
    if (status.kind == FileKind::File && status.readOnly) throw Failure(path + ": the file is read-only");
}

// A command never writes the file it reads: the input would be lost on the way.
void RequireDistinct(Files& files, const std::string& input, const std::string& output) {
    if (files.SameFile(input, output))
        throw Failure(output + ": the same file as " + input + "; a command never writes the file it reads");
}

// A 64-bit Windows library whose tables are not where ours keep them is refused.
OsKind RequireSoundShape(const std::string& path, const std::string& bytes, OsKind kind) {
    if (std::optional<std::string> fault = WideLibraryShapeFault(bytes, kind)) throw Failure(path + ": " + *fault);
    return kind;
}

OsKind ResolveKind(Files& files, const std::string& path, std::optional<OsKind> requested) {
    RequireFile(files, path);
    // A file of no layout file's size is told by its size, never read whole.
    const std::uint64_t size = files.Status(path).size;
    std::string bytes;
    for (OsKind candidate : kLayoutFileKinds)
        if (size == LayoutFileSize(candidate)) bytes = ReadExisting(files, path);
    std::optional<OsKind> kind = RecogniseLayoutFile(bytes);
    if (requested) {
        if (IsLayoutFileOfKind(bytes, *requested)) return RequireSoundShape(path, bytes, *requested);
        std::string why = kind ? std::string("it is a ") + LayoutFileKindName(*kind)
                               : size == LayoutFileSize(*requested) ? std::string("the size is right, but not the layout tables")
                                                                    : std::string("of no known kind");
        throw Failure(path + ": not a " + LayoutFileKindName(*requested) + " (" +
                      std::to_string(LayoutFileSize(*requested)) + " bytes expected, " + std::to_string(size) +
                      " found: " + why + ")");
    }
    if (!kind) throw Failure(path + ": not a layout file of a known kind; name it with --os 98|2000|xp|x64|wow64|arm64");
    return RequireSoundShape(path, bytes, *kind);
}

// Any layout library read into our keys, or nothing when the file is no library (or,
// unless `evenOurs`, one of our own kinds, which are opened as they are). A library that
// cannot be read is refused with the reader's reason.
std::optional<ForeignLayout> ReadForeign(Files& files, const std::string& path, bool evenOurs) {
    RequireFile(files, path);
    const std::uint64_t size = files.Status(path).size;
    if (size < 2 || size > kMaxLayoutLibrarySize) return std::nullopt;
    const std::string bytes = ReadExisting(files, path);
    if (bytes.compare(0, 2, "MZ") != 0 || (!evenOurs && RecogniseLayoutFile(bytes))) return std::nullopt;
    if (!evenOurs) {
        // A file that is no PE image at all keeps the message of the layout file kinds.
        try {
            PeImage probe(bytes);
        } catch (const LibraryFault&) {
            return std::nullopt;
        }
    }
    std::string why;
    std::optional<ForeignLayout> foreign = ReadLayoutLibrary(bytes, &why);
    if (!foreign) throw Failure(path + ": " + why);
    return foreign;
}

void ReportLeftOut(const std::string& path, const ForeignLayout& foreign, std::ostream& err) {
    for (const std::string& line : foreign.leftOut) err << path << ": left out: " << Cp1251ToUtf8(line) << "\n";
}

// A layout file of ours as it is, or any other layout library read into a working file
// of the kind asked for (XP when none is), its left-out list on `err`.
OsKind OpenLayout(std::optional<Session>& session, Platform& platform, const std::string& file,
                  std::optional<OsKind> kind, std::ostream& err) {
    OsKind resolved;
    std::optional<ForeignLayout> foreign;
    try {
        resolved = ResolveKind(platform.files, file, kind);
    } catch (const Failure&) {
        foreign = ReadForeign(platform.files, file, false);
        if (!foreign) throw;
        resolved = kind.value_or(kOsWinXp);
    }
    session.emplace(platform, resolved);
    if (!foreign) {
        session->OpenCopyOf(file);
    } else {
        session->OpenKeys(foreign->keys);
        ReportLeftOut(file, *foreign, err);
    }
    return resolved;
}

void ImportIni(Session& session, Platform& platform, const std::string& iniPath, std::ostream& err) {
    RequireFile(platform.files, iniPath);
    const std::string full = platform.files.FullPath(iniPath);
    // As the window: a file without the layout's keys would change nothing.
    if (!HasLayoutKeys(platform.profile, full)) throw Failure(NoLayoutKeysText(iniPath));
    const std::vector<IniValueNote> notes = ImportLayout(session.layout(), platform.profile, full);
    // Told once, on the error stream; the command goes on and its exit code stays.
    if (!notes.empty())
        err << "tastavia-cli: warning: values of " << iniPath << " not taken as they stand:\n"
            << DescribeIniNotes(notes, notes.size()) << "\n";
}

void ImportBuiltin(Session& session, Platform& platform, const char* resource) {
    ScratchFile ini(platform.files, "ini");
    if (!session.layout().ExtractResourceToFile(resource, ini.path()))
        throw Failure(std::string("cannot write the built-in layout ") + resource);
    ImportLayout(session.layout(), platform.profile, ini.path());
}

// A character for the terminal: control characters as ^X (and M-^X for those of the
// upper half, as cat -v shows them), everything else in UTF-8.
std::string Printable(std::uint8_t c) {
    if (c < 32) return std::string("^") + static_cast<char>('@' + c);
    if (c == 127) return "^?";
    std::uint16_t u = Cp1251ToUnicode(c);
    if (u >= 0x80 && u < 0xA0) return std::string("M-^") + static_cast<char>('@' + (u - 0x80));
    return Cp1251ToUtf8(std::string(1, static_cast<char>(c)));
}

std::size_t DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++width;
    return width;
}

std::string Pad(const std::string& text, std::size_t width) {
    std::size_t shown = DisplayWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::string CharColumn(std::uint8_t c) {
    std::ostringstream column;
    std::string shown = Pad(Printable(c), 3);
    if (DisplayWidth(shown) > 3) shown += ' ';  // never glued to the number
    column << shown << std::setw(3) << static_cast<int>(c);
    return column.str();
}

std::optional<OsKind> ParseKind(const std::string& text) {
    if (text == "98" || text == "9x" || text == "1") return kOsWin9x;
    if (text == "2000" || text == "2k" || text == "2") return kOsWin2000;
    if (text == "xp" || text == "XP" || text == "3") return kOsWinXp;
    if (text == "x64" || text == "X64" || text == "4") return kOsX64;
    if (text == "wow64" || text == "WOW64" || text == "5") return kOsWow64;
    if (text == "arm64" || text == "ARM64" || text == "6") return kOsArm64;
    return std::nullopt;
}

// A layout to export, opened once the export may write its target.
void OpenExport(std::optional<Session>& session, Platform& platform, const std::string& file, std::optional<OsKind> kind,
                const std::string& output, std::ostream& err) {
    RequireFile(platform.files, file);
    RequireDistinct(platform.files, file, output);
    RequireWritableTarget(platform.files, output);
    OpenLayout(session, platform, file, kind, err);
}

}  // namespace

void RunNew(Platform& platform, const NewOptions& options, std::ostream& err) {
    Files& files = platform.files;
    RequireWritableTarget(files, options.output);
    if (!options.iniPath.empty()) {
        RequireFile(files, options.iniPath);
        RequireDistinct(files, options.iniPath, options.output);
    }
    Session session(platform, options.kind);
    session.OpenTemplate();
    if (options.builtin == Builtin::Bds) ImportBuiltin(session, platform, "BDS");
    if (options.builtin == Builtin::Phonetic) ImportBuiltin(session, platform, "PHONETIC");
    if (!options.iniPath.empty()) ImportIni(session, platform, options.iniPath, err);
    session.SaveTo(options.output);
}

void RunNewFrom(Platform& platform, const std::string& library, OsKind kind, const std::string& output,
                std::ostream& err) {
    Files& files = platform.files;
    RequireWritableTarget(files, output);
    RequireFile(files, library);
    RequireDistinct(files, library, output);
    std::optional<ForeignLayout> foreign = ReadForeign(files, library, true);
    if (!foreign) throw Failure(library + ": not a keyboard layout library");
    if (!files.WriteAll(output, WorkingFileFromKeys(foreign->keys, kind, platform.resources)))
        throw Failure("cannot write " + output);
    ReportLeftOut(library, *foreign, err);
}

void RunExport(Platform& platform, const std::string& file, std::optional<OsKind> kind, const std::string& output,
               std::ostream& err) {
    Files& files = platform.files;
    std::optional<Session> session;
    OpenExport(session, platform, file, kind, output, err);
    // Other sections of the target stay; a failure leaves it as it was.
    ExportLayout(session->layout(), platform.profile, files, files.FullPath(output));
}

void RunImport(Platform& platform, const std::string& file, std::optional<OsKind> kind, const std::string& ini,
               std::ostream& err) {
    Files& files = platform.files;
    OsKind resolved = ResolveKind(files, file, kind);
    RequireWritableTarget(files, file);
    RequireFile(files, ini);
    RequireDistinct(files, ini, file);
    Session session(platform, resolved);
    session.OpenCopyOf(file);
    ImportIni(session, platform, ini, err);
    session.SaveTo(file);
}

void RunShow(Platform& platform, const std::string& file, std::optional<OsKind> kind, std::ostream& out,
             std::ostream& err) {
    std::optional<Session> session;
    const OsKind resolved = OpenLayout(session, platform, file, kind, err);
    WorkingLayout& layout = session->layout();
    out << "# " << LayoutFileKindName(resolved) << "\n";
    out << "key  physical  unshifted  shifted  caps lock\n";
    for (const KeyInfo& key : KeyTable()) {
        out << std::setw(3) << static_cast<int>(key.number) << "  " << Pad(key.physicalKey, 8) << "  "
            << CharColumn(layout.ReadKeyChar(key.number, ShiftState::Unshifted)) << "     "
            << CharColumn(layout.ReadKeyChar(key.number, ShiftState::Shifted)) << "   "
            << (layout.ReadCapsFlag(key.number) ? "on" : "off") << "\n";
    }
}

void RunExportAs(Platform& platform, const std::string& file, std::optional<OsKind> kind, ExportFormat format,
                 const std::string& output, std::ostream& err) {
    Files& files = platform.files;
    std::optional<Session> session;
    OpenExport(session, platform, file, kind, output, err);
    const LayoutKeys keys = ReadLayoutKeys(session->layout());
    const ExportIdentity identity = IdentityFromPath(file);
    // Whole or not at all, as every write of the files service.
    if (!files.WriteAll(output, format == ExportFormat::Klc ? KlcFileBytes(keys, identity) : XkbSymbolsText(keys, identity)))
        throw Failure("cannot write " + output);
}

int RunCheck(Platform& platform, const std::string& file, std::optional<OsKind> kind, std::ostream& out,
             std::ostream& err) {
    std::optional<Session> session;
    OpenLayout(session, platform, file, kind, err);
    const std::vector<Finding> findings = CheckLayout(ReadLayoutKeys(session->layout()));
    for (const Finding& finding : findings) out << Cp1251ToUtf8(finding.text) << "\n";
    return findings.empty() ? 0 : 1;
}

namespace {

const char* const kUsage =
    "usage: tastavia-cli new --os 98|2000|xp|x64|wow64|arm64 [--bds | --phonetic | --ini FILE | --from LIBRARY] -o OUT\n"
    "       tastavia-cli export FILE [--os K] [--format ini|klc|xkb] -o OUT\n"
    "       tastavia-cli import FILE [--os K] IN.ini\n"
    "       tastavia-cli show FILE [--os K]\n"
    "       tastavia-cli check FILE [--os K]\n"
    "       tastavia-cli diff A B\n"
    "       tastavia-cli chart FILE -o OUT.svg|OUT.png\n";

struct Parsed {
    std::vector<std::string> positional;
    std::optional<OsKind> kind;
    std::optional<std::string> output;
    std::optional<std::string> ini;
    std::optional<std::string> from;
    std::optional<ExportFormat> format;
    Builtin builtin = Builtin::None;
    int layoutSources = 0;
};

std::optional<ExportFormat> ParseFormat(const std::string& text) {
    if (text == "ini") return ExportFormat::Ini;
    if (text == "klc") return ExportFormat::Klc;
    if (text == "xkb") return ExportFormat::Xkb;
    return std::nullopt;
}

Parsed Parse(const std::vector<std::string>& args, bool forNew) {
    Parsed p;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* option) -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(std::string(option) + " needs a value");
            return args[++i];
        };
        if (a == "--os") {
            p.kind = ParseKind(value("--os"));
            if (!p.kind) throw UsageError("--os takes 98, 2000, xp, x64, wow64 or arm64");
        } else if (a == "-o" || a == "--output") {
            p.output = value("-o");
        } else if (!forNew && a == "--format") {
            p.format = ParseFormat(value("--format"));
            if (!p.format) throw UsageError("--format takes ini, klc or xkb");
        } else if (forNew && a == "--ini") {
            p.ini = value("--ini");
            ++p.layoutSources;
        } else if (forNew && a == "--from") {
            p.from = value("--from");
            ++p.layoutSources;
        } else if (forNew && a == "--bds") {
            p.builtin = Builtin::Bds;
            ++p.layoutSources;
        } else if (forNew && a == "--phonetic") {
            p.builtin = Builtin::Phonetic;
            ++p.layoutSources;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            p.positional.push_back(a);
        }
    }
    return p;
}

void ExpectPositional(const Parsed& p, std::size_t count) {
    if (p.positional.size() != count) throw UsageError("wrong number of arguments");
}

// Paths are checked before anything is opened: Windows opens a device for a name such
// as "COM1 .ini" in any folder, and reading a serial port or the console never ends.
void CheckPaths(const Parsed& p, PathRules rules) {
    std::vector<std::string> paths = p.positional;
    if (p.output) paths.push_back(*p.output);
    if (p.ini) paths.push_back(*p.ini);
    if (p.from) paths.push_back(*p.from);
    for (const std::string& path : paths) {
        if (!rules.backslashSeparates && path.find('\\') != std::string::npos)
            throw Failure(path + ": '\\' is no folder separator here; write the path with '/'");
        const std::size_t folder = path.find_last_of("/");
        if (rules.backslashSeparates ? IsDevicePath(path)
                                     : IsDeviceName(folder == std::string::npos ? path : path.substr(folder + 1)))
            throw Failure(path + ": names a device, not a file");
    }
}

}  // namespace

int RunCommandLine(Platform& platform, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   PathRules rules) {
    try {
        if (args.empty() || args[0] == "--help" || args[0] == "-h") {
            (args.empty() ? err : out) << kUsage;
            return args.empty() ? 2 : 0;
        }
        const std::string& command = args[0];
        if (command == "new") {
            Parsed p = Parse(args, true);
            ExpectPositional(p, 0);
            if (!p.kind) throw UsageError("new needs --os 98|2000|xp|x64|wow64|arm64");
            if (!p.output) throw UsageError("new needs -o OUT");
            if (p.layoutSources > 1) throw UsageError("choose one of --bds, --phonetic, --ini and --from");
            CheckPaths(p, rules);
            if (p.from) RunNewFrom(platform, *p.from, *p.kind, *p.output, err);
            else RunNew(platform, NewOptions{*p.kind, p.builtin, p.ini.value_or(""), *p.output}, err);
        } else if (command == "export") {
            Parsed p = Parse(args, false);
            ExpectPositional(p, 1);
            if (!p.output) throw UsageError("export needs -o OUT");
            CheckPaths(p, rules);
            if (p.format.value_or(ExportFormat::Ini) == ExportFormat::Ini)
                RunExport(platform, p.positional[0], p.kind, *p.output, err);
            else
                RunExportAs(platform, p.positional[0], p.kind, *p.format, *p.output, err);
        } else if (command == "import") {
            Parsed p = Parse(args, false);
            ExpectPositional(p, 2);
            if (p.output) throw UsageError("import patches FILE in place and takes no -o");
            if (p.format) throw UsageError("import takes no --format");
            CheckPaths(p, rules);
            RunImport(platform, p.positional[0], p.kind, p.positional[1], err);
        } else if (command == "show") {
            Parsed p = Parse(args, false);
            ExpectPositional(p, 1);
            if (p.output) throw UsageError("show takes no -o");
            if (p.format) throw UsageError("show takes no --format");
            CheckPaths(p, rules);
            RunShow(platform, p.positional[0], p.kind, out, err);
        } else if (command == "check") {
            Parsed p = Parse(args, false);
            ExpectPositional(p, 1);
            if (p.output || p.format) throw UsageError("check takes no -o or --format");
            CheckPaths(p, rules);
            return RunCheck(platform, p.positional[0], p.kind, out, err);
        } else if (command == "diff" || command == "chart") {
            Parsed p = Parse(args, false);
            const bool diff = command == "diff";
            ExpectPositional(p, diff ? 2 : 1);
            if (p.format || p.kind) throw UsageError(command + " takes no --format or --os");
            if (diff && p.output) throw UsageError("diff takes no -o");
            if (!diff && !p.output) throw UsageError("chart needs -o OUT.svg or -o OUT.png");
            CheckPaths(p, rules);
            if (diff) return RunDiff(platform, p.positional[0], p.positional[1], out);
            RunChart(platform, p.positional[0], *p.output);
        } else {
            throw UsageError("unknown command " + command);
        }
        return 0;
    } catch (const UsageError& e) {
        err << "tastavia-cli: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "tastavia-cli: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace tastavia::cli
