#pragma once
// Installing the edited layout into the system, loading an installed one back for
// editing, and removing one: the main window's Save, Load and Delete.
#include <functional>
#include <optional>
#include <string>

#include "layout/WorkingLayout.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "registry/Catalogue.h"
#include "ui/Dialogs.h"

namespace tastavia {

// The string without leading and trailing spaces (code 32 only).
std::string StripSpaces(const std::string& text);
// Whether a File Name can only name a file in the system directory: no path, no
// characters Windows forbids, no device name.
bool IsPlainFileName(const std::string& name);
// The layout key name for N: decimal N and "402", padded with "0" to 8 characters.
std::string LayoutKeyName(int n);

class Installer {
public:
    struct Context {
        Registry& registry;
        Files& files;
        ui::Dialogs& dialogs;
        Catalogue& catalogue;
        CatalogueView view;
        WorkingLayout& layout;
        std::function<const std::string&()> systemDirectory;
        // Opens a file as the working layout file, as New does.
        std::function<void(const std::string&)> openWorkingFile;
    };

    explicit Installer(Context context) : c_(std::move(context)) {}

    // Installs the working layout file; the status is a digit telling the outcome and
    // the message an interactive run shows: "0" added, "4" replaced, "2" failed, "1"
    // nothing done. Silent runs show no outcome box; confirmations are asked anyway.
    std::string SaveLayoutToSystem(bool silent);
    void Button4Click() { SaveLayoutToSystem(false); }
    void Button5Click();  // Load
    void Button9Click();  // Delete

private:
    std::string Outcome(bool silent, char digit, ui::MessageKind kind, const std::string& message);
    std::optional<std::string> FreeLayoutKeyName();
    std::string CopyNameFor(const std::string& workingPath);

    Context c_;
};

}  // namespace tastavia
