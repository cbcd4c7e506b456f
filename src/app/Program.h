#pragma once
// The start sequence: the windows are made once, the start dialog asks for the OS
// kind, and the main window runs until it closes.
#include <memory>

#include "app/About.h"
#include "app/main.h"
#include "platform/Platform.h"
#include "ui/Application.h"

namespace tastavia {

class Program {
public:
    Program(ui::Application& app, Platform& platform);
    ~Program();

    // Runs the program to its end and gives the exit code.
    int Run();

    TForm1& Form1() { return *form1_; }
    TForm4& Form4() { return *form4_; }

private:
    ui::Application& app_;
    Platform& platform_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm4> form4_;
};

}  // namespace tastavia
