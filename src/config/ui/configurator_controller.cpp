#include "config/ui/configurator_controller.h"
#include "config/ui/voice_slots_ui.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app/configurator_session.h"
#include "app/ui/qt_host.h"
#include "config/ui/configurator_window.h"
#include "link/link.h"

namespace morvane {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string TraceFileName(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return std::string("trace-") + stamp + ".txt";
}

}  // namespace

ConfiguratorController::ConfiguratorController(ConfiguratorWindow& window, ConfiguratorSession& session, QtHost& host,
                                               QtShell& shell, View& view, std::function<std::string()> portOverride)
    : window_(window),
      session_(session),
      host_(host),
      shell_(shell),
      view_(view),
      portOverride_(std::move(portOverride)),
      profile_(session.StartDirectory()),
      lamp_(new QTimer(this)) {
    DeviceLink& link = session_.Link();
    host_.AddTimer(link.Adas());
    for (int i = 0; i < 4; ++i) host_.AddTimer(link.ExtraTimer(i));
    host_.AddTimer(link.PromptTimer());
    host_.AddPort(link.Port());

    // After a full read the pages show what the device holds.
    previousReadFinished_ = link.OnReadFinished;
    previousIdentity_ = link.OnIdentity;
    link.OnReadFinished = [this, inner = link.OnReadFinished] {
        if (inner) inner();
        window_.ShowSettings();
        window_.Refresh();
    };
    link.OnIdentity = [this, inner = link.OnIdentity] {
        identified_ = true;
        if (inner) inner();
    };

    window_.BindSettings(session_.Model());
    connect(&window_, &ConfiguratorWindow::ReadRequested, this, [this] { Read(); });
    connect(&window_, &ConfiguratorWindow::SendRequested, this, [this] { Send(); });
    connect(&window_, &ConfiguratorWindow::SaveToFileRequested, this, [this] {
        const std::string path =
            AskSavePath ? AskSavePath()
                        : QFileDialog::getSaveFileName(&window_, QString::fromUtf8("Mentés fájlba"),
                                                       Q(session_.StartDirectory()), QStringLiteral("Save File (*.dat)"))
                              .toStdString();
        if (!path.empty()) SaveToFile(path);
    });
    connect(&window_, &ConfiguratorWindow::OpenFromFileRequested, this, [this] {
        const std::string path =
            AskOpenPath ? AskOpenPath()
                        : QFileDialog::getOpenFileName(&window_, QString::fromUtf8("Megnyitás fájlból"),
                                                       Q(session_.StartDirectory()),
                                                       QStringLiteral("Save File (*.dat);;All (*)"))
                              .toStdString();
        if (!path.empty()) OpenFromFile(path);
    });
    connect(&window_, &ConfiguratorWindow::ExportMemoryRequested, this, [this] { ExportMemory(); });
    connect(&window_, &ConfiguratorWindow::MenuTriggered, this, &ConfiguratorController::OnMenu);

    // The "RX" lamp counts its ticks down every 10 ms.
    lamp_->setInterval(10);
    connect(lamp_, &QTimer::timeout, this, &ConfiguratorController::LampTick);
    window_.installEventFilter(this);
    if (window_.isVisible()) lamp_->start();
}

ConfiguratorController::~ConfiguratorController() {
    window_.removeEventFilter(this);
    StopTrace();
    // The session's own hooks stay.
    DeviceLink& link = session_.Link();
    link.OnReadFinished = previousReadFinished_;
    link.OnIdentity = previousIdentity_;
}

// ---------------------------------------------------------------- activation

bool ConfiguratorController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        switch (event->type()) {
        case QEvent::Show:
            lamp_->start();
            QTimer::singleShot(0, this, [this] {
                if (window_.isVisible()) Activate();
            });
            break;
        case QEvent::WindowActivate:
            Activate();
            break;
        case QEvent::WindowDeactivate: {
            // Dialogs and message boxes over the window are no change of
            // window: coming back from them is no activation.
            QWidget* now = QApplication::activeWindow();
            const bool setWindow = now && now != &window_ && shell_.Window(now->objectName().toStdString()) == now;
            if (setWindow || (now && !qobject_cast<QDialog*>(now) && now != &window_)) active_ = false;
            break;
        }
        case QEvent::Hide:
            active_ = false;
            lamp_->stop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ConfiguratorController::Activate() {
    // A window rendered off the screen (screen images) is not being used.
    if (active_ || window_.testAttribute(Qt::WA_DontShowOnScreen)) return;
    active_ = true;
    Configurator& form = session_.Form();
    DeviceLink& link = session_.Link();
    if (!session_.StartDirectory().empty()) form.Activate(session_.StartDirectory());
    if (!pruned_) {
        pruned_ = true;
        PruneBackups(session_.BackupDirectory());
        // The players of the voice message slots, once the slot files exist.
        MountVoiceSlots(&window_, form, view_, session_.StartDirectory(), [this] { window_.Refresh(); });
    }
    link.ReadLinkSettings();
    if (portOverride_) link.PortOverride = portOverride_();
    // The own profile, unless "Tiltás" is ticked.
    if (profile_.Activate(session_.Image())) {
        DecodeSettings(session_.Image(), session_.Model(), session_.Context());
        window_.ShowSettings();
    }
    window_.StartStrip();
    // The firmware version query; its end runs the start action once.
    if (!form.DemoMode && form.PortHandedOver && link.TxCel == 0) link.StartIdentity();
    host_.Recheck();
    window_.Refresh();
}

// ---------------------------------------------------------------- commands

void ConfiguratorController::Read() {
    session_.Read();
    host_.Recheck();
}

bool ConfiguratorController::Send() {
    // The question runs a nested event loop: the link's timers go on.
    const bool sent = session_.Send();
    // The write preparation may have changed settings (recipient lists, texts).
    if (sent) window_.ShowSettings();
    host_.Recheck();
    return sent;
}

void ConfiguratorController::SaveToFile(const std::string& path) {
    const FileResult r = session_.SaveFile(path);
    if (!r.ok) {
        ShowError("Mentés fájlba", r.error);
        return;
    }
    window_.ShowSettings();  // empty customer texts became " "
}

void ConfiguratorController::OpenFromFile(const std::string& path) {
    // A device that told its own version decides the transfer form.
    const FileResult r = session_.LoadFile(path, !identified_);
    if (!r.ok) {
        ShowError("Megnyitás fájlból", r.error);
        return;
    }
    window_.ShowSettings();
    window_.Refresh();
}

void ConfiguratorController::ExportMemory() {
    const FileResult r = session_.ExportMemory();
    if (!r.ok) ShowError("Export memory", r.error);
}

void ConfiguratorController::SaveOwnProfile() {
    const FileResult r = profile_.Save(session_.Image());
    if (!r.ok) ShowError("Saját Profil", r.error);
}

void ConfiguratorController::SetTiltas(bool ticked) {
    profile_.SetTiltas(ticked);
    ControlSet& c = session_.Form().Controls();
    const ControlState* s = c.Find("menu:Tiltás");
    if (!s || s->checked != ticked) c.SetChecked("menu:Tiltás", ticked);
}

void ConfiguratorController::ShowError(const std::string& what, const std::string& reason) {
    view_.Message(what + ": " + reason);
}

void ConfiguratorController::OnMenu(const QString& caption) {
    const std::string c = caption.toStdString();
    if (c == "Mentés") {
        SaveOwnProfile();
    } else if (c == "Tiltás") {
        QAction* a = window_.MenuAction("Tiltás");
        SetTiltas(a && a->isChecked());
    } else if (c == ConfiguratorWindow::kTraceMenu) {
        if (trace_.Active()) StopTrace();
        else StartTrace();
    }
}

// ---------------------------------------------------------------- trace

bool ConfiguratorController::StartTrace() {
    ControlSet& c = session_.Form().Controls();
    const std::string menu = std::string("menu:") + ConfiguratorWindow::kTraceMenu;
    namespace fs = std::filesystem;
    const std::string folder = session_.StartDirectory() + "/traces";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string path = folder + "/" + TraceFileName(std::time(nullptr));
    if (ec || !trace_.Start(path)) {
        c.SetChecked(menu, false);
        ShowError(ConfiguratorWindow::kTraceMenu, ec ? folder + ": " + ec.message() : trace_.Error());
        return false;
    }
    DeviceLink& link = session_.Link();
    trace_.TxCel = [&link] { return link.TxCel; };
    link.Port().SetTrace(&trace_);
    c.SetText(ConfiguratorWindow::kTracePanel, "Trace: " + path);
    c.SetVisible(ConfiguratorWindow::kTracePanel, true);
    c.SetChecked(menu, true);
    return true;
}

void ConfiguratorController::StopTrace() {
    session_.Link().Port().SetTrace(nullptr);
    if (!trace_.Active()) return;
    trace_.Stop();
    trace_.TxCel = nullptr;
    ControlSet& c = session_.Form().Controls();
    c.SetVisible(ConfiguratorWindow::kTracePanel, false);
    c.SetChecked(std::string("menu:") + ConfiguratorWindow::kTraceMenu, false);
}

// ---------------------------------------------------------------- lamp and progress

void ConfiguratorController::LampTick() {
    DeviceLink& link = session_.Link();
    bool lit = false;
    if (link.RxLedTicks > 0) {
        --link.RxLedTicks;
        lit = true;
    }
    if (lit != lampLit_) {
        lampLit_ = lit;
        session_.Form().Controls().SetColor(ConfiguratorWindow::kRxLamp,
                                            lit ? ConfiguratorWindow::kSelectedColor : kNoColor);
    }
    if (link.ProgressPosition != shownProgress_ || link.ProgressMax != shownProgressMax_) {
        shownProgress_ = link.ProgressPosition;
        shownProgressMax_ = link.ProgressMax;
        if (auto* bar = window_.findChild<QProgressBar*>(QString::fromLatin1(linkctl::Progress))) {
            const int max = std::max(1, shownProgressMax_);
            bar->setRange(0, max);
            bar->setValue(std::clamp(shownProgress_, 0, max));
        }
    }
}

}  // namespace morvane
