#pragma once
// Host pieces of the command-line tool: a View that writes to standard error
// and a Shell that has no windows.
#include <iostream>
#include <string>
#include <vector>

#include "app/view.h"

namespace morvane::cli {

// Messages go to standard error and are kept; questions are answered yes
// with --yes, asked on a terminal, and refused otherwise.
class ConsoleView : public View {
public:
    explicit ConsoleView(bool yes = false) : assumeYes(yes) {}
    bool assumeYes = false;
    std::vector<std::string> messages;
    void Message(const std::string& text) override {
        messages.push_back(text);
        std::cerr << "note: " << text << "\n";
    }
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
