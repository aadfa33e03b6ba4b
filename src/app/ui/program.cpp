#include "app/ui/program.h"

#include <utility>

#include "app/ui/configurator_window.h"
#include "app/ui/launcher_window.h"

namespace morvane {

namespace {
std::string KeyOf(const LauncherEnv& env) { return env.registryKey; }
}  // namespace

Program::Program(LauncherEnv env)
    : configurator_(KeyOf(env)), launcher_(view_, shell_, configurator_, std::move(env)) {
    host_.AddTimers(launcher_.Timers());
    host_.AddTimer(configurator_.LanguageTimer());
    host_.AddPort(launcher_.Port());
    windows_ = std::make_unique<WindowSetUi>(launcher_, configurator_, host_, shell_);
    view_.SetParent(&windows_->LauncherView());
    shell_.OnShown = [this](const std::string& className) {
        if (className == "TQ7Form1") windows_->ConfiguratorView().Refresh();
    };
}

Program::~Program() {
    shell_.OnShown = nullptr;
    windows_.reset();
}

void Program::Start() {
    LauncherWindow& w = windows_->LauncherView();
    w.show();
    w.raise();
    w.activateWindow();
}

}  // namespace morvane
