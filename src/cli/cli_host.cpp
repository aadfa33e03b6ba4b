#include "cli/cli_host.h"

#include <unistd.h>

#include <string>

namespace morvane::cli {

bool ConsoleView::Confirm(const std::string& text) {
    if (assumeYes) return true;
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "error: " << text << " (refused: standard input is not a terminal; use --yes)\n";
        return false;
    }
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

}  // namespace morvane::cli
