#pragma once
// The running program: the launcher and the configurator session (whose
// Configurator is the one the launcher hands the device over to), the Qt
// host that runs their timers and ports, the window set, and the wiring of
// the configurator window to its session.
#include <memory>

#include "app/configurator.h"
#include "app/configurator_session.h"
#include "app/launcher.h"
#include "app/ui/qt_host.h"
#include "app/ui/window_set_ui.h"

namespace morvane {

class ConfiguratorController;

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
    Configurator& ConfiguratorCore() { return session_.Form(); }
    ConfiguratorSession& Session() { return session_; }
    ConfiguratorController& Controller() { return *controller_; }
    WindowSetUi& Windows() { return *windows_; }
    QtHost& Host() { return host_; }
    QtView& View() { return view_; }
    QtShell& Shell() { return shell_; }

private:
    QtView view_;
    QtShell shell_;
    ConfiguratorSession session_;
    Launcher launcher_;
    QtHost host_;
    std::unique_ptr<WindowSetUi> windows_;
    std::unique_ptr<ConfiguratorController> controller_;
};

}  // namespace morvane
