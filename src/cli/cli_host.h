#pragma once
// Host pieces of the command-line tool: a View that writes to standard error
// and a Shell that has no windows.
#include <iostream>

#include "app/view.h"

namespace morvane::cli {

class ConsoleView : public View {
public:
    bool assumeYes = false;
    void Message(const std::string& text) override { std::cerr << "note: " << text << "\n"; }
    bool Confirm(const std::string& text) override;
    std::optional<std::string> Prompt(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

class NoWindowShell : public Shell {
public:
    void ShowWindow(const std::string&) override {}
    void HideWindow(const std::string&) override {}
    void ShowModal(const std::string&) override {}
};

}  // namespace morvane::cli
