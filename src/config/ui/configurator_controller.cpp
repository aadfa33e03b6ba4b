#include "config/ui/configurator_controller.h"
#include "config/ui/contact_id_ui.h"
#include "config/ui/voice_slots_ui.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app/configurator_session.h"
#include "app/ui/qt_host.h"
#include "config/number_list.h"
#include "config/page_rules.h"
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
        ShowPages();
        window_.Refresh();
    };
    link.OnIdentity = [this, inner = link.OnIdentity] {
        identified_ = true;
        if (inner) inner();
    };

    window_.BindSettings(session_.Model());
    cidPage_ = MountContactIdPage(&window_, session_, view_);
    previousLoadDefaults_ = link.OnLoadDefaultTables;
    link.OnLoadDefaultTables = [this, inner = link.OnLoadDefaultTables] {
        if (inner) inner();
        ShowPages();
    };
    WirePages();
    WireNumberList();
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
    link.OnLoadDefaultTables = previousLoadDefaults_;
    link.OnBlockReply = previousBlockReply_;
    window_.MayClose = nullptr;
    window_.OnSettingEdited = nullptr;
    window_.OnPhoneMenu = nullptr;
    window_.OnTopMenu = nullptr;
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
        session_.Rules().ApplyAll();
        ShowPages();
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
    if (sent) ShowPages();
    host_.Recheck();
    return sent;
}

void ConfiguratorController::SaveToFile(const std::string& path) {
    const FileResult r = session_.SaveFile(path);
    if (!r.ok) {
        ShowError("Mentés fájlba", r.error);
        return;
    }
    ShowPages();  // empty customer texts became " "
}

void ConfiguratorController::OpenFromFile(const std::string& path) {
    // A device that told its own version decides the transfer form.
    const FileResult r = session_.LoadFile(path, !identified_);
    if (!r.ok) {
        ShowError("Megnyitás fájlból", r.error);
        return;
    }
    ShowPages();
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

void ConfiguratorController::ShowPages() {
    window_.ShowSettings();
    if (cidPage_) cidPage_->Refresh();
}

void ConfiguratorController::OnMenu(const QString& caption) {
    const std::string c = caption.toStdString();
    if (c == "Alap ContactID kódok betöltése") {
        if (cidPage_) cidPage_->LoadDefaultEvents();
    } else if (c == "Sablon Betöltése") {
        if (cidPage_) cidPage_->LoadDefaultZones();
    } else if (c == "Mentés") {
        SaveOwnProfile();
    } else if (c == "Tiltás") {
        QAction* a = window_.MenuAction("Tiltás");
        SetTiltas(a && a->isChecked());
    } else if (c == "Megerősítő kérdések tiltva!") {
        QAction* a = window_.MenuAction(c);
        session_.Rules().SetConfirmOff(a && a->isChecked());
    } else if (c == "PC biztonsági kód") {
        session_.Rules().ChangePcCode(session_.Commands());
        host_.Recheck();
    } else if (c == ConfiguratorWindow::kTraceMenu) {
        if (trace_.Active()) StopTrace();
        else StartTrace();
    }
}

// ---------------------------------------------------------------- page rules

void ConfiguratorController::WirePages() {
    PageRules& rules = session_.Rules();
    window_.OnSettingEdited = [this](const std::string& key) { return SettingEdited(key); };
    window_.OnPhoneMenu = [this](int n, const std::string& item) {
        if (!session_.Rules().PhoneMenu(n, item)) return;
        SettingEdited("MaskEdit" + std::to_string(n));
        ShowPages();
    };
    window_.OnTopMenu = [this] { session_.Rules().ToggleTopMenu(); };
    window_.MayClose = [this] { return session_.Rules().MayClose(session_.Link().TxCel); };
    connect(&window_, &ConfiguratorWindow::PageShown, this,
            [this](const QString& caption) { PageShown(caption.toStdString()); });
    currentPages_[std::string()] = window_.CurrentPage();

    auto onClick = [this](const char* name, std::function<void()> action) {
        if (auto* b = window_.findChild<QAbstractButton*>(QString::fromLatin1(name)))
            connect(b, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    };
    onClick("MemoryLoad", [this, &rules] {
        rules.MemoryLoad();
        ShowPages();
    });
    onClick("ButtonPstnSend", [this, &rules] {
        rules.PstnSend(session_.Image(), session_.Context(), session_.Commands());
        host_.Recheck();
    });
    onClick(pagekey::SimRead, [this, &rules] {
        rules.PhonebookRead(phonebook_, session_.Commands());
        ShowPhonebook();
        host_.Recheck();
    });
    onClick(pagekey::SimWrite, [this, &rules] {
        rules.PhonebookWrite(session_.Commands());
        host_.Recheck();
    });
    if (auto* cid = window_.findChild<QCheckBox*>(QString::fromLatin1(pagekey::ContactIdOption)))
        connect(cid, &QCheckBox::toggled, this, [&rules](bool on) { rules.SetContactIdOption(on); });
}

void ConfiguratorController::PageShown(const std::string& caption) {
    // The page control that made it current tells its parent.
    std::string parent;
    for (const PageRegistry::Page& p : window_.Registry().Pages()) {
        if (p.caption == caption && p.tabs && p.tabs->currentWidget() == p.page) {
            parent = p.parent;
            break;
        }
    }
    PageRules& rules = session_.Rules();
    NumberListPage& list = session_.NumberList();
    std::string& current = currentPages_[parent];
    if (!current.empty() && current != caption) {
        rules.PageLeft(current);
        if (current == kNumberListPageCaption) list.PageLeft();
    }
    current = caption;
    rules.PageShown(caption);
    if (caption == kNumberListPageCaption) list.PageEntered();
    else if (parent == kNumberListPageCaption) list.SubPageEntered(caption);
    ShowPages();
}

bool ConfiguratorController::SettingEdited(const std::string& key) {
    PageRules& rules = session_.Rules();
    bool others = rules.ControlChanged(key);
    // The recipient lists offer the numbers that are set, under their text.
    if (key.rfind("MaskEdit", 0) == 0) {
        rules.RefreshRecipientLists(window_.CurrentPage() == "Egyéb");
        others = true;
    }
    return others;
}

void ConfiguratorController::ShowPhonebook() {
    auto* table = window_.findChild<QTableWidget*>(QStringLiteral("SimGrid"));
    if (!table) return;
    const QSignalBlocker block(table);
    const int rows = std::min(table->rowCount(), phonebook_.RowCount() - 1);
    for (int r = 0; r < rows; ++r) {
        const PhonebookRow& row = phonebook_.rows[size_t(r + 1)];
        const std::string* cells[] = {&row.sim, &row.number, &row.name};
        for (int col = 0; col < 3 && col < table->columnCount(); ++col) {
            const QString text = Q(*cells[col]);
            QTableWidgetItem* item = table->item(r, col);
            if (!item && text.isEmpty()) continue;
            if (!item) table->setItem(r, col, item = new QTableWidgetItem);
            if (item->text() != text) item->setText(text);
        }
    }
}

// ---------------------------------------------------------------- number list

void ConfiguratorController::WireNumberList() {
    NumberListPage& list = session_.NumberList();
    DeviceLink& link = session_.Link();
    // The blocks of a list read fill the page's rows: the grid shows them.
    previousBlockReply_ = link.OnBlockReply;
    link.OnBlockReply = [this, inner = link.OnBlockReply](int txCel, const uint8_t* block) {
        if (inner) inner(txCel, block);
        if (txCel == 115) ShowNumberGrid();
    };

    if (auto* table = window_.findChild<QTableWidget*>(QStringLiteral("NumberGrid"))) {
        connect(table, &QTableWidget::currentCellChanged, this, [&list](int row, int, int previous, int) {
            if (row >= 0 && row != previous) list.SelectRow(row + 1);
        });
        connect(table, &QTableWidget::itemChanged, this, [&list, table](QTableWidgetItem* item) {
            const int row = item->row() + 1;
            if (row >= list.Grid().RowCount()) return;
            if (item->column() == 0) {
                const QString kept = Q(list.EditNumber(row, item->text().toStdString()));
                if (kept != item->text()) {
                    const QSignalBlocker block(table);
                    item->setText(kept);
                }
            } else if (item->column() == 1) {
                list.Grid().rows[size_t(row)].name = item->text().toStdString();
            }
        });
    }
    for (int bit = 0; bit < 7; ++bit) {
        if (auto* box = window_.findChild<QCheckBox*>(Q(numkey::Box(bit))))
            connect(box, &QCheckBox::toggled, this, [&list, bit](bool on) { list.SetBox(bit, on); });
    }
    if (auto* zone = window_.findChild<QComboBox*>(QString::fromLatin1(numkey::Zone))) {
        connect(zone, &QComboBox::currentIndexChanged, this, [&list](int index) {
            if (index >= 0) list.SetZone(index);
        });
    }
    if (auto* in4 = window_.findChild<QCheckBox*>(QString::fromLatin1(numkey::In4Disabled)))
        connect(in4, &QCheckBox::toggled, this, [&list](bool on) { list.SetIn4Disabled(on); });
    if (auto* in3 = window_.findChild<QCheckBox*>(QString::fromLatin1(numkey::In3Enabled)))
        connect(in3, &QCheckBox::toggled, this, [&list](bool on) { list.SetIn3Enabled(on); });

    auto onClick = [this](const char* name, std::function<void()> action) {
        if (auto* b = window_.findChild<QAbstractButton*>(QString::fromLatin1(name)))
            connect(b, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    };
    onClick("ButtonCopyAll", [&list] { list.CopySettingsToAll(); });
    onClick("ButtonSearch", [this, &list] {
        auto* edit = window_.findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        if (list.Search(edit ? edit->text().toStdString() : std::string()) > 0) ShowNumberGrid();
    });
    onClick(pagekey::ListRead, [this, &list] {
        list.StartRead(session_.Commands());
        host_.Recheck();
    });
    onClick(pagekey::ListWrite, [this, &list] {
        list.StartWrite(session_.Commands());
        host_.Recheck();
    });
    ShowNumberGrid();
}

void ConfiguratorController::ShowNumberGrid() {
    auto* table = window_.findChild<QTableWidget*>(QStringLiteral("NumberGrid"));
    if (!table) return;
    const NumberListGrid& grid = session_.NumberList().Grid();
    const QSignalBlocker block(table);
    const int rows = std::min(table->rowCount(), grid.RowCount() - 1);
    for (int r = 0; r < rows; ++r) {
        const NumberListRow& row = grid.rows[size_t(r + 1)];
        const std::string* cells[] = {&row.number, &row.name};
        for (int col = 0; col < 2 && col < table->columnCount(); ++col) {
            const QString text = Q(*cells[col]);
            QTableWidgetItem* item = table->item(r, col);
            if (!item && text.isEmpty()) continue;
            if (!item) table->setItem(r, col, item = new QTableWidgetItem);
            if (item->text() != text) item->setText(text);
        }
    }
    // The name column once a load carried names.
    if (table->columnCount() > 1) table->setColumnHidden(1, grid.columnCount < 3);
    if (grid.currentRow >= 1 && grid.currentRow <= rows && table->currentRow() != grid.currentRow - 1)
        table->setCurrentCell(grid.currentRow - 1, 0);
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
