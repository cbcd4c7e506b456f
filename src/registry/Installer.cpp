#include "registry/Installer.h"

#include "platform/Errors.h"

namespace tastavia {

namespace {

constexpr int kFirstLayoutNumber = 50;
constexpr int kLayoutNumberStep = 10;
constexpr int kLastLayoutNumber = 9990;  // the last one whose 8-character name begins with "0"

const char* const kInvalidName = "The File Name is invalid! Type a file name without a path.";
const char* const kNoFreeNumber = "There is no free layout number left!";

bool IsDeviceName(const std::string& name) {
    std::string stem = UpperAscii(name.substr(0, name.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device) return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string StripSpaces(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    // Windows drops trailing dots and spaces, so the file would get another name.
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

std::string LayoutKeyName(int n) {
    std::string digits = std::to_string(n) + "402";
    return digits.size() < 8 ? std::string(8 - digits.size(), '0') + digits : digits;
}

std::string Installer::Outcome(bool silent, char digit, ui::MessageKind kind, const std::string& message) {
    if (!silent) c_.dialogs.ShowMessage(kind, ui::MessageButtons::Ok, message);
    return std::string(1, digit) + message;
}

std::optional<std::string> Installer::FreeLayoutKeyName() {
    for (int n = kFirstLayoutNumber; n <= kLastLayoutNumber; n += kLayoutNumberStep) {
        std::string name = LayoutKeyName(n);
        if (!c_.registry.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey + name)) return name;
    }
    return std::nullopt;
}

std::string Installer::SaveLayoutToSystem(bool silent) {
    using ui::MessageKind;
    c_.catalogue.Button8Click();
    if (!c_.view.save.Enabled()) return "1";

    const std::string fileName = StripSpaces(c_.view.fileName.Text());
    const std::string layoutText = StripSpaces(c_.view.name.Text());
    // The File Name goes straight into a path: refuse one that would leave the system
    // directory or that Windows could not load, before anything is written.
    if (!IsPlainFileName(fileName)) return Outcome(silent, '2', MessageKind::Error, kInvalidName);
    const std::string target = c_.systemDirectory() + fileName;
    const bool replacing = c_.catalogue.SelectedRecord() != nullptr;

    std::optional<std::string> keyName;
    if (!replacing) {
        keyName = FreeLayoutKeyName();
        if (!keyName) return Outcome(silent, '2', MessageKind::Error, kNoFreeNumber);
    }

    auto confirmed = [this](const char* question) {
        return c_.dialogs.ShowMessage(MessageKind::Confirmation, ui::MessageButtons::OkCancel, question) ==
               ui::Answer::Ok;
    };
    if (replacing) {
        if (!confirmed("This layout already exists! Replace it?")) return "1";
    } else if (c_.files.Exists(target)) {
        if (!confirmed("This file already exists! Replace it?")) return "1";
        if (c_.files.IsReadOnly(target)) c_.files.ClearReadOnly(target);
    }

    // The working file stays open: every edit is already on disk.
    if (!c_.files.Copy(c_.layout.WorkingPath(), target))
        return Outcome(silent, '2', MessageKind::Error, "File can't be created (replaced)!");
    if (replacing) return Outcome(silent, '4', MessageKind::Information, "Layout successful replaced!");

    auto key = c_.registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + *keyName, true);
    if (!key) return Outcome(silent, '2', MessageKind::Error, "Can't make registry changes! File was created (replaced)!");
    key->WriteString("layout file", fileName);
    key->WriteString("layout id", keyName->substr(4, 4));
    key->WriteString("layout text", layoutText);
    key.reset();
    std::string status = Outcome(silent, '0', MessageKind::Information, "Layout successful added!");
    c_.catalogue.Button8Click();
    return status;
}

std::string Installer::CopyNameFor(const std::string& workingPath) {
    std::string name = c_.layout.MakeTempFileName("KBD");
    // Within one step of the clock the name repeats; never copy onto the open file.
    const std::string stem = name.substr(0, name.size() - 4);  // without ".tmp"
    for (int n = 2; UpperAscii(name) == UpperAscii(workingPath); ++n) name = stem + "-" + std::to_string(n) + ".tmp";
    return name;
}

void Installer::Button5Click() {
    const std::string installed = c_.systemDirectory() + c_.view.fileName.Text();
    if (!c_.files.Exists(installed)) {
        c_.dialogs.Error("File is Missing!");
        return;
    }
    const std::string copy = CopyNameFor(c_.layout.WorkingPath());
    if (!c_.files.Copy(installed, copy)) {
        c_.dialogs.Error("File can't be copied!");
        return;
    }
    if (c_.files.IsReadOnly(copy)) c_.files.ClearReadOnly(copy);
    c_.openWorkingFile(copy);
}

void Installer::Button9Click() {
    using ui::Answer;
    using ui::MessageButtons;
    using ui::MessageKind;
    c_.catalogue.Button8Click();
    const std::string* selected = c_.catalogue.SelectedRecord();
    if (!c_.view.remove.Enabled() || !selected) return;
    const std::string record = *selected;

    bool deleteFile = false;
    if (CatalogueRecord::IsBase(record)) {
        const std::string question =
            "This is a BASE layout! You can't delete the file that belongs it, you can only delete the registry "
            "entries and disable this layout!\rAre you sure you want to delete this layout?";
        if (c_.dialogs.ShowMessage(MessageKind::Confirmation, MessageButtons::YesNo, question) != Answer::Yes) return;
    } else {
        if (c_.dialogs.ShowMessage(MessageKind::Confirmation, MessageButtons::YesNo,
                                   "Are you sure you want to delete this layout?") != Answer::Yes)
            return;
        Answer file = c_.dialogs.ShowMessage(MessageKind::Confirmation, MessageButtons::YesNoCancel,
                                             "Do you want to delete the file too?");
        if (file != Answer::Yes && file != Answer::No) return;
        deleteFile = file == Answer::Yes;
    }

    if (!c_.registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + CatalogueRecord::KeyName(record))) {
        c_.dialogs.Error("Can't modify registry settings! File will not be deleted!");
        return;
    }
    if (deleteFile) {
        const std::string installed = c_.systemDirectory() + c_.view.fileName.Text();
        bool deleted = false;
        try {
            if (c_.files.IsReadOnly(installed)) c_.files.ClearReadOnly(installed);
            deleted = c_.files.Delete(installed);
        } catch (const IoError&) {
            deleted = false;
        }
        if (deleted)
            c_.dialogs.Information("Layout successfuly deleted!");
        else
            c_.dialogs.Warning("There is an error while deleting file! The Registry settings was modified!");
    }
    c_.view.name.SetText("");
    c_.view.fileName.SetText("");
    c_.catalogue.Button8Click();
}

}  // namespace tastavia
