#pragma once
// The language list and editor over an in-memory registry with a few layouts and
// languages, as a Windows 98 with one extra Bulgarian language keeps them.
#include "languages/BGLang.h"
#include "registry/RegistryFixture.h"

namespace tastavia::test {

inline const std::string kLocale = "System\\CurrentControlSet\\Control\\Nls\\Locale";

struct LanguageFixture : RegistryFixture {
    TForm3 editor{app, platform};
    TForm2 list{app, platform, editor};

    LanguageFixture() {
        AddLayout("00000402", "Bulgarian", "kbdbu.kbd");
        AddLayout("00001402", "Mine", "mine.kbd");
        AddLayout("00020402", "BULGARIAN (latin)", "kbdbulat.kbd");
        AddLayout("00050402", "Phonetic", "kbdph.kbd");
        AddLayout("00000409", "US", "kbdus.kbd");
        AddLanguage("00000402", "Bulgarian");
        AddLanguage("00001402", "Second");
    }
    void Preload(const std::string& slot, const std::string& id) {
        registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\" + slot, true)->WriteString("", id);
    }
    std::string Language(const std::string& id) {
        auto locale = registry.Open(RootKey::LocalMachine, kLocale, false);
        return locale && locale->HasValue(id) ? locale->ReadString(id) : "<none>";
    }
    // Every layout key with its text, and every language: to see that nothing moved.
    std::string Snapshot() {
        std::string all;
        if (auto layouts = registry.Open(RootKey::LocalMachine, kLayouts, false))
            for (const std::string& key : layouts->SubKeyNames()) all += key + "=" + Value(key, "layout text") + ";";
        if (auto locale = registry.Open(RootKey::LocalMachine, kLocale, false))
            for (const std::string& id : locale->ValueNames()) all += id + ":" + locale->ReadString(id) + ";";
        return all;
    }
    std::vector<std::string> Column(ui::ListView& view, int column) {
        std::vector<std::string> texts;
        for (int i = 0; i < view.Count(); ++i)
            texts.push_back(column == 0 ? view.Item(i).caption : view.Item(i).subItems.at(column - 1));
        return texts;
    }
    // The end of each caption that stays visible when a long caption is cut.
    std::vector<std::string> Marks(ui::ListView& view) {
        std::vector<std::string> marks;
        for (int i = 0; i < view.Count(); ++i) {
            const ui::ListItem& item = view.Item(i);
            marks.push_back(item.caption.substr(item.caption.size() - item.marks));
        }
        return marks;
    }
    // Chooses a layout in the editor as the user does.
    void Choose(const std::string& text) {
        for (std::size_t i = 0; i < editor.Choices().size(); ++i)
            if (editor.Choices()[i].text == text) editor.ListView1.SetSelected(static_cast<int>(i));
    }
};

}  // namespace tastavia::test
