// TForm1's commands on the current user's input list: use an installed layout now, stop
// using it, and the offer after a new layout was installed.
#include "app/main.h"

#include "app/LostLayoutsWindow.h"
#include "registry/LostLayouts.h"
#include "registry/UserInputList.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

const char* const kOfferQuestion =
    "Use the new layout now? It goes into your input list and is loaded, so that Alt+Shift or the language bar "
    "switches to it at once.";
const char* const kStillListed =
    "The layout was deleted, but your input list still names it: take it out in the system's language settings.";
const char* const kChooseLayout = "Choose a layout in the list first.";
const char* const kNotOnWin9x = "On Windows 95, 98 and ME the layout is used through a Bulgarian language: BG Lang.";

}  // namespace

UserInputList TForm1::InputList() {
    const InputListKind kind =
        session_.IsWin9x() ? InputListKind::None : InputListKindOf(platform_.osVersion.Get());
    return UserInputList(platform_.registry, platform_.input, kind);
}

bool TForm1::InputListOffered() { return platform_.input && InputList().Offered(); }

void TForm1::CreateLayoutListMenu() {
    LayoutListMenu.items = {{"&Use it now", [this] { UseItNowClick(); }},
                            {"S&top using it", [this] { StopUsingItClick(); }},
                            {"&Find lost layouts...", [this] { FindLostLayoutsClick(); }}};
    // The list's menu key and Shift+F10 open it too.
    ListView2.contextMenu = &LayoutListMenu;
}

bool TForm1::UseLayoutNow(const std::string& keyName) {
    const InputListOutcome outcome = InputList().UseNow(keyName);
    RefreshAfterChange();  // the in-use marks follow the user's lists
    if (!outcome.message.empty())
        Show(Notice{outcome.done ? Notice::Kind::Information : Notice::Kind::Warning, outcome.message});
    return outcome.done;
}

void TForm1::UseItNowClick() {
    const CatalogueRecord* record = SelectedRecord();
    if (!record) return Show(Notice{Notice::Kind::Information, kChooseLayout});
    if (!InputList().Offered()) return Show(Notice{Notice::Kind::Information, kNotOnWin9x});
    UseLayoutNow(record->KeyName());
}

void TForm1::StopUsingItClick() {
    const CatalogueRecord* record = SelectedRecord();
    if (!record) return Show(Notice{Notice::Kind::Information, kChooseLayout});
    if (!InputList().Offered()) return Show(Notice{Notice::Kind::Information, kNotOnWin9x});
    // The list is read without layout ids; the one key is read for its own.
    const std::optional<InstalledLayout> layout = ReadInstalledLayout(platform_.registry, record->KeyName());
    const InputListOutcome outcome = InputList().StopUsing(record->KeyName(), layout ? layout->layoutId : "");
    RefreshAfterChange();
    if (!outcome.message.empty())
        Show(Notice{outcome.done ? Notice::Kind::Information : Notice::Kind::Warning, outcome.message});
}

void TForm1::FindLostLayoutsClick() {
    Button8Click();
    const OsVersionInfo os = platform_.osVersion.Get();
    const TargetSystem system{session_.osKind, os.machine, os.administrator};
    if (!lostLayouts_) {
        lostLayouts_ = std::make_unique<TLostLayouts>(GetApplication());
        lostLayouts_->onRegister = [this](const std::string& fileName, const std::string& name) {
            // The ids of every layout key, of any language.
            RefreshCatalogue(true);
            std::vector<std::string> ids;
            for (const InstalledLayout& layout : layoutKeys_.layouts) ids.push_back(layout.layoutId);
            const Registered registered = RegisterLostLayout(platform_.registry, name, fileName, ids);
            RefreshAfterChange();
            return registered.failure;
        };
    }
    lostLayouts_->ShowLost(FindLostLayouts(platform_.files, system, systemDirectory_, records_));
    RefreshAfterChange();
}

void TForm1::OfferUseNow() {
    const CatalogueRecord* record = SelectedRecord();
    if (!record || !InputListOffered()) return;
    if (AskUser(Ask::YesNo, kOfferQuestion) == Reply::Yes) UseLayoutNow(record->KeyName());
}

void TForm1::ForgetInputEntries(const std::string& keyName) {
    if (!InputList().Offered()) return;
    try {
        InputList().Forget(keyName);
    } catch (const RegistryError&) {
        Show(Notice{Notice::Kind::Warning, kStillListed});
    }
}

}  // namespace tastavia
