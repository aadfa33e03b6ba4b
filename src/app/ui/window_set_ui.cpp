#include "app/ui/window_set_ui.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/launcher.h"
#include "app/ui/configurator_window.h"
#include "app/ui/launcher_window.h"
#include "app/ui/qt_host.h"
#include "app/ui/usbset_window.h"
#include "app/window_set.h"

namespace morvane {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

ShellWindow::ShellWindow(const WindowInfo& info, QWidget* parent) : QWidget(parent) {
    setObjectName(Q(info.className));
    setWindowTitle(Q(info.caption));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    auto* role = new QLabel(Q(info.role), this);
    role->setObjectName(QStringLiteral("RoleText"));
    role->setWordWrap(true);
    role->setMinimumWidth(280);
    layout->addWidget(role);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    adjustSize();
}

void ShellWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (OnClosed) QTimer::singleShot(0, this, [this] { if (OnClosed) OnClosed(); });
}

bool WindowSetUi::IsFrontWindow(const std::string& className) {
    return className == "TQ7Form1" || className == "TDPhone1" || className == "Tdoor" || className == "TQ7IO8";
}

WindowSetUi::WindowSetUi(Launcher& launcher, Configurator& configurator, QtHost& host, QtShell& shell) {
    // Closing a front window closes the launcher, which ends the program.
    auto closeLauncher = [this] {
        if (launcher_) launcher_->close();
    };
    for (const WindowInfo& info : WindowSet()) {
        const std::string name(info.className);
        std::unique_ptr<QWidget> w;
        if (name == "TForm1") {
            auto lw = std::make_unique<LauncherWindow>(launcher, host);
            launcher_ = lw.get();
            w = std::move(lw);
        } else if (name == "TQ7Form1") {
            auto cw = std::make_unique<ConfiguratorWindow>(configurator);
            configurator_ = cw.get();
            cw->OnClosed = closeLauncher;
            w = std::move(cw);
        } else if (name == "TUSBset") {
            w = std::make_unique<UsbSetWindow>(launcher);
        } else {
            auto sw = std::make_unique<ShellWindow>(info);
            if (IsFrontWindow(name)) sw->OnClosed = closeLauncher;
            w = std::move(sw);
        }
        shell.Register(name, w.get());
        order_.push_back(name);
        windows_.push_back(std::move(w));
        if (name == "TForm1") launcher.Create();
    }
}

// Windows go in the reverse order of their creation.
WindowSetUi::~WindowSetUi() {
    while (!windows_.empty()) windows_.pop_back();
}

QWidget* WindowSetUi::Window(const std::string& className) const {
    for (size_t i = 0; i < order_.size(); ++i) {
        if (order_[i] == className) return windows_[i].get();
    }
    return nullptr;
}

}  // namespace morvane
