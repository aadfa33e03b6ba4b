#pragma once
// The running program: the core objects of the launcher and the configurator,
// the Qt host that runs their timers and ports, and the window set.
#include <memory>

#include "app/configurator.h"
#include "app/launcher.h"
#include "app/ui/qt_host.h"
#include "app/ui/window_set_ui.h"

namespace morvane {

class Program {
public:
    // Creates the core objects and the window set (the launcher's creation
    // handler runs in there).
    explicit Program(LauncherEnv env);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the launcher; its activation follows on the first show.
    void Start();

    Launcher& Core() { return launcher_; }
    Configurator& ConfiguratorCore() { return configurator_; }
    WindowSetUi& Windows() { return *windows_; }
    QtHost& Host() { return host_; }
    QtView& View() { return view_; }
    QtShell& Shell() { return shell_; }

private:
    QtView view_;
    QtShell shell_;
    Configurator configurator_;
    Launcher launcher_;
    QtHost host_;
    std::unique_ptr<WindowSetUi> windows_;
};

}  // namespace morvane
