#pragma once
// The fixed window set: every window is created once at start, in this order,
// and lives until the program ends. The first one is the launcher, the main
// window.
#include <array>
#include <string_view>

namespace morvane {

struct WindowInfo {
    int index;                   // 1-based place in the creation order
    std::string_view className;  // "TForm1", "TQ7Form1", ...
    std::string_view caption;    // design caption ("" where the window has none)
    std::string_view role;
    std::string_view openedBy;
};

inline constexpr int WindowCount = 37;

const std::array<WindowInfo, WindowCount>& WindowSet();

// The row of a class name, or nullptr.
const WindowInfo* FindWindowInfo(std::string_view className);

}  // namespace morvane
