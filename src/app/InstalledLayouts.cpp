// TForm1's installed layout catalogue: filling ListView2, tying it to the Name and File
// Name fields, the Load, Save and Delete buttons, and the boxes that tell how they went.
#include "app/main.h"

#include "app/GuardScope.h"
#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

const CatalogueRecord* TForm1::SelectedRecord() const {
    const int selected = ListView2.Selected();
    if (selected < 0 || static_cast<std::size_t>(selected) >= records_.size()) return nullptr;
    return &records_[static_cast<std::size_t>(selected)];
}

void TForm1::FillLayoutList(bool withIds) {
    // The layout keys are read again only when something beneath them changed since they
    // were read, or when the registry cannot tell; ids wanted of keys read without them
    // are read alone, and the in-use marks every time. Windows 95 to ME cannot tell, and a
    // session for them reads every time as it would there, also where the registry could;
    // the keys are then opened by the names read before while no key came or went.
    const bool keysCurrent = layoutsWatch_ && !layoutsWatch_->Changed();
    if (!layoutsWatch_ && !session_.IsWin9x())
        layoutsWatch_ = platform_.registry.Watch(RootKey::LocalMachine, kKeyboardLayoutsKey);
    RegisteredLayouts keys = std::move(layoutKeys_);
    layoutKeys_ = {};
    if (keysCurrent && withIds) ReadLayoutIds(platform_.registry, keys);
    InstalledCatalogue catalogue = keysCurrent ? CatalogueOf(platform_.registry, session_.osKind, std::move(keys))
                                               : ReadInstalledCatalogue(platform_.registry, session_.osKind, withIds,
                                                                        keys.names);
    // A list that shows the same entries stays as it is, its selection with it.
    const bool sameEntries = static_cast<std::size_t>(ListView2.Count()) == records_.size() &&
                             SameEntries(records_, catalogue.records);
    records_ = std::move(catalogue.records);
    layoutKeys_ = std::move(catalogue.keys);
    // Outside a user action (a test calling in) nothing tells when the registry may change.
    catalogueCurrent_ = GetApplication().InCommand();
    if (sameEntries) return;
    ui::ListView::UpdateScope update(ListView2);
    ListView2.Clear();
    for (const CatalogueRecord& record : records_)
        ListView2.AddItem(CatalogueCaption(record), CatalogueCaptionMarks(record));
}

void TForm1::Button8Click() { RefreshCatalogue(false); }

void TForm1::RefreshCatalogue(bool withIds) {
    // Another program may change the registry between two user actions, never within one.
    if (!catalogueCurrent_ || !GetApplication().InCommand() || (withIds && !layoutKeys_.idsRead)) {
        GuardScope guard(selectionGuard_);
        FillLayoutList(withIds);
    }
    Edit1Change();
}

void TForm1::RefreshAfterChange() {
    catalogueCurrent_ = false;
    RefreshCatalogue(layoutKeys_.idsRead);
}

void TForm1::Edit1Change() {
    if (selectionGuard_) return;
    const int entry = FindMatchingEntry(records_, Edit1.Text(), Edit2.Text());
    if (entry >= 0) {
        GuardScope guard(selectionGuard_);
        ListView2.SetSelected(entry);
    } else if (ListView2.Selected() >= 0) {
        ListView2.SetSelected(-1);
    }
    UpdateLayoutButtons();
}

void TForm1::ListView2SelectItem() {
    if (selectionGuard_) return;
    const CatalogueRecord* record = SelectedRecord();
    if (!record) return;
    {
        GuardScope guard(selectionGuard_);
        Edit1.SetText(record->Name());
        Edit2.SetText(record->File());
    }
    UpdateLayoutButtons();
}

void TForm1::UpdateLayoutButtons() {
    SetLayoutButtons(LayoutButtonCode(Edit1.Text(), Edit2.Text(), SelectedRecord(), !layout_.WorkingPath().empty()));
    UpdateStatusLine();
}

void TForm1::SetLayoutButtons(const std::string& code) {
    ui::Button* buttons[] = {&Button5, &Button4, &Button9};
    for (std::size_t i = 0; i < 3 && i < code.size(); ++i)
        if (code[i] != '2') buttons[i]->SetEnabled(code[i] == '1');
}

void TForm1::ListView2CustomDraw() {
    if (!ListView2.Columns().empty()) ListView2.SetColumnWidth(0, ListView2.ClientWidth());
}

void TForm1::SetLayoutNames(const std::string& name, const std::string& fileName) {
    Edit1.SetText(name);
    Edit2.SetText(fileName);
}

Reply TForm1::AskUser(Ask buttons, const std::string& question) {
    const ui::MessageButtons shown = buttons == Ask::OkCancel ? ui::MessageButtons::OkCancel
                                     : buttons == Ask::YesNo  ? ui::MessageButtons::YesNo
                                                              : ui::MessageButtons::YesNoCancel;
    switch (GetApplication().GetDialogs().ShowMessage(ui::MessageKind::Confirmation, shown, question)) {
        case ui::Answer::Ok:
        case ui::Answer::Yes: return Reply::Yes;
        case ui::Answer::No: return Reply::No;
        default: return buttons == Ask::YesNo ? Reply::No : Reply::Cancel;
    }
}

void TForm1::Show(const Notice& notice) {
    ui::MessageKind kind = ui::MessageKind::Information;
    switch (notice.kind) {
        case Notice::Kind::None: return;
        case Notice::Kind::Information: break;
        case Notice::Kind::Warning: kind = ui::MessageKind::Warning; break;
        case Notice::Kind::Error: kind = ui::MessageKind::Error; break;
    }
    GetApplication().GetDialogs().ShowMessage(kind, ui::MessageButtons::Ok, notice.text);
}

std::string TForm1::SaveLayoutToSystem(bool silent) {
    // A new layout takes an id no key has: the ids are read with the list when the fields
    // name no layout of the list at hand, that is when Save is to add one. Should the list
    // read now say otherwise, the installer reads what it lacks.
    RefreshCatalogue(SelectedRecord() == nullptr);
    // A File Name that cannot be taken is refused first, with Save's own reason: no
    // question about the keys comes before a refusal that makes it moot.
    const bool plainName = IsPlainFileName(StripSpaces(Edit2.Text()));
    const bool refusedName = !IsBlank(Edit2.Text()) && !plainName;
    if (!Button4.Enabled() && !refusedName) return "1";
    if (!silent && plainName && !SaveDespiteFindings()) return "1";
    const CatalogueRecord* selected = SelectedRecord();
    const InstallRequest request{Edit1.Text(), Edit2.Text(), systemDirectory_, layout_.WorkingPath(),
                                 selected != nullptr, selected ? selected->KeyName() : "", &layoutKeys_};
    const InstallStatus status =
        installer_.Install(request, [this](Ask buttons, const std::string& question) { return AskUser(buttons, question); });
    if (status.digit == '0' || status.digit == '4') editState_.MarkSaved(layout_);
    if (!silent) Show(status.ToNotice());
    // After the message the keyboard is back in the field at fault.
    if (!silent && !plainName) {
        Edit2.SelectAll();
        Edit2.SetFocus();
    }
    if (status.digit == '0') {
        RefreshAfterChange();
        if (!silent) OfferUseNow();
    }
    return status.Text();
}

std::string TForm1::LoadCopyName() {
    std::string name = layout_.MakeTempFileName("KBD");
    // Within one step of the clock the name repeats; never copy onto the open file.
    const std::string stem = name.substr(0, name.size() - 4);  // without ".tmp"
    for (int n = 2; UpperAscii(name) == UpperAscii(layout_.WorkingPath()); ++n)
        name = stem + "-" + std::to_string(n) + ".tmp";
    return name;
}

void TForm1::Button5Click() {
    if (!MayDiscardChanges()) return;
    const std::string copy = LoadCopyName();
    const Notice notice = installer_.CopyForEditing(systemDirectory_, Edit2.Text(), copy);
    if (notice.kind != Notice::Kind::None) {
        // A library of another maker (the system's own included) starts a new layout.
        if (!StartFromInstalled(Edit2.Text())) Show(notice);
        return;
    }
    OpenWorkingFileChecked(copy);
}

void TForm1::Button9Click() {
    Button8Click();
    const CatalogueRecord* selected = SelectedRecord();
    if (!Button9.Enabled() || !selected) return;
    const std::string keyName = selected->KeyName();
    const RemoveResult result =
        installer_.Remove(RemoveRequest{*selected, systemDirectory_, Edit2.Text(), &layoutKeys_},
                          [this](Ask buttons, const std::string& question) { return AskUser(buttons, question); });
    if (result.keyRemoved) {
        catalogueCurrent_ = false;
        ForgetInputEntries(keyName);
    }
    Show(result.notice);
    if (!result.keyRemoved) return;
    Edit1.SetText("");
    Edit2.SetText("");
    Button8Click();
}

}  // namespace tastavia
