#pragma once
// TForm1, the main window: the key editor above, the installed layout catalogue and the
// command buttons below. It owns the state the layout engine and the catalogue share.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/EditState.h"
#include "layout/LayoutKeys.h"
#include "layout/Session.h"
#include "layout/WorkingLayout.h"
#include "picture/Picture.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "registry/Catalogue.h"
#include "registry/Installer.h"
#include "registry/UserInputList.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"
#include "ui/PopupMenu.h"

namespace tastavia {

class TForm6;
class TForm7;
class TLostLayouts;
class TForm8;
struct ForeignLayout;
class TForm9;

constexpr std::uint32_t kRequestMessage = 0x401;  // WM_USER + 1
constexpr std::intptr_t kRequestWizard = 0;
constexpr std::intptr_t kRequestClose = 1;

constexpr ui::Color kCapsSensitiveColor = ui::Rgb(255, 0, 0);

class TForm1 : public ui::Form {
public:
    TForm1(ui::Application& app, Platform& platform, const Session& session);
    ~TForm1() override;

    // The 48 key buttons are SpeedButton1..SpeedButton48; 49..53 the toggles.
    ui::SpeedButton SpeedButton49{this, "SpeedButton49"};  // Shift
    ui::SpeedButton SpeedButton50{this, "SpeedButton50"};  // CapsLck
    ui::SpeedButton SpeedButton51{this, "SpeedButton51"};  // Caps Sens
    ui::SpeedButton SpeedButton52{this, "SpeedButton52"};  // Caps Sens (second)
    ui::SpeedButton SpeedButton53{this, "SpeedButton53"};  // Shift (second)
    ui::ListView ListView1{this, "ListView1"};              // the character list
    ui::ListView ListView2{this, "ListView2"};              // installed layouts
    ui::Label Label1{this, "Label1"};
    ui::Label Label2{this, "Label2"};
    ui::Edit Edit1{this, "Edit1"};  // Name
    ui::Edit Edit2{this, "Edit2"};  // File Name
    ui::Button Button1{this, "Button1"};    // INI File...
    ui::Button Button2{this, "Button2"};    // Close
    ui::Button Button3{this, "Button3"};    // Wizard
    ui::Button Button4{this, "Button4"};    // Save
    ui::Button Button5{this, "Button5"};    // Load
    ui::Button Button6{this, "Button6"};    // New
    ui::Button Button7{this, "Button7"};    // ...
    ui::Button Button8{this, "Button8"};    // Refresh
    ui::Button Button9{this, "Button9"};    // Delete
    ui::Button Button10{this, "Button10"};  // BG Lang
    ui::Button Button11{this, "Button11"};  // ?
    ui::Button Button12{this, "Button12"};  // Check, in the place of the Tab key
    ui::Button Button13{this, "Button13"};  // Try, in the place of the Enter key
    ui::Panel Panel1{this, "Panel1"};
    ui::Panel Panel2{this, "Panel2"};
    // The status line: unsaved changes, and why Load, Save or Delete is disabled.
    ui::Panel Panel3{this, "Panel3"};
    ui::Label Label3{this, "Label3"};
    ui::Label Label4{this, "Label4"};
    ui::PopupMenu PopupMenu1{"PopupMenu1"};  // Load From..., Save To..., Compare..., Print..., Picture...
    ui::PopupMenu PopupMenu2{"PopupMenu2"};  // BDS, Phonetic
    ui::PopupMenu LayoutListMenu{"LayoutListMenu"};  // the installed layout list's commands

    // The on-screen button of a key number: 1..47 and 49..53 their own, others the
    // space bar.
    ui::SpeedButton& KeyButton(int number);
    void RefreshKeyCaptions(ShiftState shift);

    WorkingLayout& Layout() { return layout_; }
    ShiftState EditorShift() const;
    KeyNumber CurrentKey() const { return currentKey_; }
    bool ListMouseGate() const { return listMouseGate_; }
    const std::string& SystemDirectory() const { return systemDirectory_; }
    const std::string& BdsPath() const { return bdsPath_; }
    const std::string& PhoneticPath() const { return phoneticPath_; }

    // Run once by the start dialog after the OS kind is stored.
    void EditorStartup();

    // Handlers.
    void KeyButtonClick(KeyNumber key);
    void ListView1SelectItem(int index, bool selected);
    void SpeedButton49Click();
    void SpeedButton50Click();
    void SpeedButton51Click();
    void SpeedButton52Click();
    void SpeedButton53Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button6Click();
    void Button7Click();
    void Button10Click();
    // The installed layout catalogue in ListView2, tied to the Name and File Name fields.
    void FillLayoutList(bool withIds = false);
    void Button8Click();  // Refresh
    // Refresh, or the list this user action already read; withIds: with every key's
    // layout id, read again if the list at hand was read without.
    void RefreshCatalogue(bool withIds);
    // After a change within one action: the whole list again, with the layout ids when the
    // records had them (Save's new layout is used by its id).
    void RefreshAfterChange();
    void Edit1Change();   // either field changed
    void ListView2SelectItem();
    void UpdateLayoutButtons();
    // Load, Save and Delete from a code of '1' (enable), '2' (keep) or else disable.
    void SetLayoutButtons(const std::string& code);
    void ListView2CustomDraw();
    const std::vector<CatalogueRecord>& CatalogueRecords() const { return records_; }
    // The selected entry's record, or nothing.
    const CatalogueRecord* SelectedRecord() const;
    // Installing, loading back and removing layouts. The install status is a digit
    // telling the outcome and the message an interactive run shows; silent runs show
    // no outcome box, but confirmations are asked anyway.
    std::string SaveLayoutToSystem(bool silent);
    void Button4Click() { SaveLayoutToSystem(false); }
    void Button5Click();  // Load
    void Button9Click();  // Delete
    // Puts names into the Name and File Name fields, as typing them would.
    void SetLayoutNames(const std::string& name, const std::string& fileName);
    // The current user's input list: the selected layout used now or no longer, and
    // whether this Windows offers that at all (not 9x, not without input functions).
    void UseItNowClick();
    void StopUsingItClick();
    // Layout files of ours that no layout key names, registered again on request.
    void FindLostLayoutsClick();
    TLostLayouts* LostLayouts() { return lostLayouts_.get(); }
    bool InputListOffered();
    // Puts an installed layout into the input list and loads it; the outcome is shown.
    bool UseLayoutNow(const std::string& keyName);
    void Button11Click();
    // The layout check (TForm6) and trying the layout (TForm7).
    void Button12Click();
    void Button13Click();
    TForm6& Form6() { return *form6_; }
    TForm7& Form7() { return *form7_; }
    TForm8& Form8() { return *form8_; }
    // Selects a key as clicking its key button does, leaving it selected if it was.
    void GoToKey(KeyNumber key);
    // The INI file dialogs and the import, also for the wizard.
    std::optional<std::string> ChooseIniToLoad();
    std::optional<std::string> ChooseIniToSave();
    void ImportLayoutFile(const std::string& path);
    bool HoldsLayout(const std::string& path);
    // "Load From..." takes an INI file or a layout library of any maker.
    void LoadFrom1Click();
    // A new layout opened from a working file holding a library's keys (written by
    // WriteStartedCopy, nothing when it cannot be), what was left out shown once.
    std::optional<std::string> WriteStartedCopy(const LayoutKeys& keys);
    void StartFromLibrary(const std::string& copy, const ForeignLayout& foreign, const std::string& source);
    // Load's way with an installed library it cannot open as it is: false when the file
    // is no layout library either.
    bool StartFromInstalled(const std::string& fileName);
    void SaveTo1Click();
    void BDS1Click();
    void Phonetic1Click();
    void FormClose();
    // Comparing with a file or the installed layout named in File Name (TForm9), and
    // the layout's chart on paper or in a bitmap file.
    void Compare1Click();
    void CompareInstalled1Click();
    void Print1Click();
    void Picture1Click();
    TForm9& Form9() { return *form9_; }

    // Changes since the layout was opened, installed or exported, and the question
    // before they go: true when there are none or the user lets them go.
    bool HasUnsavedChanges() { return editState_.HasChanges(layout_); }
    bool MayDiscardChanges();
    // New without asking, for the wizard, which asks nothing.
    void NewLayout();
    // The status line after a command.
    void UpdateStatusLine();
    // The installed layout list's tip for an entry: its name and file in full.
    std::string LayoutListHint(int entry) const;
    void FormMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

    // Filled in by the windows that come with later subsystems.
    std::function<void()> onShowAbout;      // "?"
    std::function<void()> onResetWizard;    // request message 0: reset and show the wizard
    std::function<void()> onShowLanguages;  // "BG Lang"

private:
    void CreateControls();
    void CreateStatusLine();
    void ShowFailure(const std::string& action, const AppError& error);
    void PlaceKeyButtons();
    void SetKeyboardOrder();
    void EnableEditor();   // after a working layout file was opened
    void SetEditorEnabled(bool enabled);
    void ClearKeySelection();
    void UpdateEnabling();
    void HighlightKeyChar(KeyNumber key);
    void ShiftRefresh();
    void RecolourCapsView();
    void ApplyCapsSens();
    void ResetViewAfterImport();
    void RefreshViewAfterExport();
    void FillCharacterList();
    // New and loading both end here: a failed open leaves the editor disabled.
    void OpenWorkingFileChecked(const std::string& argument);
    // A name for Load's copy that is never the open working file's.
    std::string LoadCopyName();
    // A file's bytes when it is a program library small enough for a layout.
    std::optional<std::string> ReadLibraryFile(const std::string& path);
    Reply AskUser(Ask buttons, const std::string& question);
    // Interactive Save asks once whether to go on with a layout the check finds fault with.
    bool SaveDespiteFindings();
    void Show(const Notice& notice);
    UserInputList InputList();
    void CreateLayoutListMenu();
    // After a new layout was installed interactively: the question whether to use it now.
    void OfferUseNow();
    // A deleted layout leaves nothing in the user's input lists.
    void ForgetInputEntries(const std::string& keyName);
    void CompareWith(const LayoutKeys& other, const std::string& otherName);
    picture::Picture Chart();

    Platform& platform_;
    const Session& session_;
    WorkingLayout layout_;
    EditState editState_;
    Installer installer_;
    std::array<std::unique_ptr<ui::SpeedButton>, kKeyCount> keyButtons_;
    std::vector<CatalogueRecord> records_;
    // Every layout key as the same read found it: the files, names and ids taken.
    RegisteredLayouts layoutKeys_;
    std::unique_ptr<RegistryWatch> layoutsWatch_;  // over the layout keys, once they were read
    // The list was read within the user action under way and the action changed nothing
    // since: its later refreshes show the same list without reading it again.
    bool catalogueCurrent_ = false;
    // Set while the catalogue changes the fields or the selection itself.
    bool selectionGuard_ = false;
    KeyNumber currentKey_ = 0;
    bool charListGuard_ = false;
    bool listMouseGate_ = true;
    std::string bdsPath_;
    std::string phoneticPath_;
    std::string systemDirectory_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TLostLayouts> lostLayouts_;  // made when first needed
    std::unique_ptr<TForm8> form8_;
    SystemFolder loadFolder_ = SystemFolder::System;  // where Load reads installed libraries
    std::unique_ptr<TForm9> form9_;
};

}  // namespace tastavia
