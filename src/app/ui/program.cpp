#include "app/ui/program.h"

#include <utility>

#include "app/ui/configurator_window.h"
#include "app/ui/launcher_window.h"
#include "config/ui/configurator_controller.h"

namespace morvane {

Program::Program(LauncherEnv env)
    : session_(view_, env.registryKey, env.startup.StartDirectory),
      launcher_(view_, shell_, session_.Form(), std::move(env)) {
    host_.AddTimers(launcher_.Timers());
    host_.AddTimer(session_.Form().LanguageTimer());
    host_.AddPort(launcher_.Port());
    windows_ = std::make_unique<WindowSetUi>(launcher_, session_.Form(), host_, shell_);
    view_.SetParent(&windows_->LauncherView());
    controller_ = std::make_unique<ConfiguratorController>(windows_->ConfiguratorView(), session_, host_, shell_, view_,
                                                           [this] { return launcher_.ChoosePortName(); });
    shell_.OnShown = [this](const std::string& className) {
        if (className == "TQ7Form1") {
            // Messages of the configurator's link appear over its window.
            view_.SetParent(&windows_->ConfiguratorView());
            windows_->ConfiguratorView().Refresh();
        }
    };
}

Program::~Program() {
    shell_.OnShown = nullptr;
    controller_.reset();
    windows_.reset();
}

void Program::Start() {
    LauncherWindow& w = windows_->LauncherView();
    w.show();
    w.raise();
    w.activateWindow();
}

}  // namespace morvane
