// TForm1's commands that set the layout beside another or on paper: comparing it with a
// file or an installed layout, printing its chart and saving the chart as a picture.
#include "app/Compare.h"
#include "app/main.h"
#include "layout/LayoutChart.h"
#include "layout/LayoutCompare.h"
#include "layout/LayoutKeys.h"
#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

const char* const kCompareFilter = "Layout Files|*.dll;*.kbd;*.ini|All Files|*";
const char* const kPictureFilter = "Bitmap Files|*.bmp|All Files|*";

std::string FileNameOf(const std::string& path) {
    const std::size_t folder = path.find_last_of("\\/:");
    return folder == std::string::npos ? path : path.substr(folder + 1);
}

}  // namespace

void TForm1::CompareWith(const LayoutKeys& other, const std::string& otherName) {
    const KeyNumber key = form9_->ShowDifferences(CompareLayouts(ReadLayoutKeys(layout_), other), otherName);
    if (key != 0) GoToKey(key);
}

void TForm1::Compare1Click() {
    if (!layout_.IsOpen()) return;
    const std::optional<std::string> path =
        GetApplication().GetDialogs().OpenFile({"Compare With", kCompareFilter, ""});
    if (!path) return;
    CompareWith(ReadLayoutForCompare(platform_, *path), FileNameOf(*path));
}

void TForm1::CompareInstalled1Click() {
    if (!layout_.IsOpen()) return;
    if (!Button5.Enabled()) {
        GetApplication().GetDialogs().Information("Choose an installed layout in the list to compare with.");
        return;
    }
    const std::string copy = LoadCopyName();
    const Notice notice = installer_.CopyForEditing(systemDirectory_, Edit2.Text(), copy);
    if (notice.kind != Notice::Kind::None) {
        Show(notice);
        return;
    }
    // The copy goes whatever the comparison does.
    struct Remove {
        Files& files;
        const std::string& path;
        ~Remove() { files.Delete(path); }
    } remove{platform_.files, copy};
    CompareWith(ReadLayoutForCompare(platform_, copy), Edit2.Text());
}

picture::Picture TForm1::Chart() {
    std::string title = TrimControls(Edit1.Text());
    if (title.empty()) title = TrimControls(Edit2.Text());
    if (title.empty()) title = "Keyboard layout";
    return LayoutChart(ReadLayoutKeys(layout_), title);
}

void TForm1::Print1Click() {
    if (!layout_.IsOpen()) return;
    GetApplication().GetPictureDevice().Print(Chart(), "Tastavia keyboard layout");
}

void TForm1::Picture1Click() {
    if (!layout_.IsOpen()) return;
    const std::optional<std::string> path =
        GetApplication().GetDialogs().SaveFile({"Save Picture", kPictureFilter, "bmp"});
    if (!path) return;
    const std::string bytes = GetApplication().GetPictureDevice().BitmapFile(Chart());
    if (bytes.empty()) throw IoError("Unable to draw the picture");
    // Whole or not at all: a failed write leaves the file as it was.
    if (!platform_.files.WriteAll(*path, bytes)) throw IoError("Unable to write to " + *path);
}

}  // namespace tastavia
