#pragma once
// The main window over an in-memory registry, with helpers that set up what Windows
// keeps about installed layouts and languages.
#include "AppFixture.h"

namespace tastavia::test {

inline const std::string kLayouts = "System\\CurrentControlSet\\Control\\keyboard layouts\\";

struct RegistryFixture : AppFixture {
    void AddLayout(const std::string& key, const std::string& text, const std::string& file) {
        auto k = registry.Open(RootKey::LocalMachine, kLayouts + key, true);
        k->WriteString("layout text", text);
        k->WriteString("layout file", file);
    }
    void AddLanguage(const std::string& id, const std::string& name) {
        registry.Open(RootKey::LocalMachine, "System\\CurrentControlSet\\Control\\Nls\\Locale", true)
            ->WriteString(id, name);
    }
    std::string Value(const std::string& key, const std::string& name) {
        auto k = registry.Open(RootKey::LocalMachine, kLayouts + key, false);
        return k ? k->ReadString(name) : "<no key>";
    }
    std::vector<std::string> Captions(TForm1& main) {
        std::vector<std::string> captions;
        for (int i = 0; i < main.ListView2.Count(); ++i) captions.push_back(main.ListView2.Item(i).caption);
        return captions;
    }
    // Load, Save, Delete as "1"/"0".
    static std::string Buttons(TForm1& main) {
        return std::string(main.Button5.Enabled() ? "1" : "0") + (main.Button4.Enabled() ? "1" : "0") +
               (main.Button9.Enabled() ? "1" : "0");
    }
    std::string SystemFile(TForm1& main, const std::string& name) { return PosixFiles::Native(main.SystemDirectory() + name); }
    void MakeSystemDirectories() {
        ::mkdir((dir / "WINDOWS/system").c_str(), 0755);
        ::mkdir((dir / "WINDOWS/system32").c_str(), 0755);
    }
};

}  // namespace tastavia::test
