#pragma once
// Creates the fixed window set once, in the table's order, and keeps every
// window until the program ends. The launcher, the configurator and the
// virtual COM chooser are real windows; the others are plain shells with
// their class name, design caption and a close button until they are built.
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

class Configurator;
class ConfiguratorWindow;
class Launcher;
class LauncherWindow;
class QtHost;
class QtShell;
struct WindowInfo;

// A window of the set that has no content of its own yet.
class ShellWindow : public QWidget {
    Q_OBJECT
public:
    explicit ShellWindow(const WindowInfo& info, QWidget* parent = nullptr);
    std::function<void()> OnClosed;

protected:
    void closeEvent(QCloseEvent* event) override;
};

class WindowSetUi {
public:
    // Creates the 37 windows and registers them with the shell. The
    // launcher's creation handler (Launcher::Create) runs right after its
    // window exists, before the windows after it are created.
    WindowSetUi(Launcher& launcher, Configurator& configurator, QtHost& host, QtShell& shell);
    ~WindowSetUi();
    WindowSetUi(const WindowSetUi&) = delete;
    WindowSetUi& operator=(const WindowSetUi&) = delete;

    QWidget* Window(const std::string& className) const;
    LauncherWindow& LauncherView() const { return *launcher_; }
    ConfiguratorWindow& ConfiguratorView() const { return *configurator_; }
    // Class names in creation order.
    const std::vector<std::string>& CreationOrder() const { return order_; }

    // The front windows whose closing ends the program (configurator, door
    // phone, door controller, extension module).
    static bool IsFrontWindow(const std::string& className);

private:
    std::vector<std::unique_ptr<QWidget>> windows_;  // creation order
    std::vector<std::string> order_;
    LauncherWindow* launcher_ = nullptr;
    ConfiguratorWindow* configurator_ = nullptr;
};

}  // namespace morvane
