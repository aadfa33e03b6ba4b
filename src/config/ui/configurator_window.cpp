#include "config/ui/configurator_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "app/configurator.h"
#include "app/ui/qt_host.h"
#include "config/page_rules.h"
#include "config/ui/settings_pages.h"
#include "link/link.h"

namespace morvane {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* const kShrunkTabs =
    "QTabBar::tab { height: 1px; width: 1px; min-width: 1px; max-height: 1px; padding: 0px; margin: 0px;"
    " border: none; font-size: 1px; }";

// The menus of the window: title, then items; a caption starting with '*' is
// a check item, '-' a separator.
struct MenuSpec {
    const char* title;
    std::vector<const char*> items;
};

const std::vector<MenuSpec>& MenuSpecs() {
    static const std::vector<MenuSpec> specs = {
        {"Fájlműveletek", {"Mentés fájlba", "Megnyitás fájlból", "-", "Export memory"}},
        {"Saját Profil", {"Mentés", "*Tiltás"}},
        {"Beállítások",
         {"*Megerősítő kérdések tiltva!", "*TOP MENU ON/OFF", "PC biztonsági kód", "-",
          "Alap ContactID kódok betöltése", "Sablon Betöltése"}},
        {"Karbantartás",
         {"Modul állapot megjelenítése", "Monitor", "Monitor+AT", "Naplo kiolvasása", "Térerő", "-",
          "Firmware Download", "GSM Firmware", "Voice_MENU download", "Descriptions", "BUS panel", "-",
          "*Soros napló (trace)"}},
        {"GSM",
         {"GSM információk", "GSM szoftver verzió", "IMEI number", "SIM PIN kód kikapcsolása", "SMS test",
          "Adathívás test", "Voice hívás test", "GSM óra szinkronozása", "Óra szinkronizálása",
          "SMS service number", "-", "Reset GSM", "LTE Disable", "LTE Enable", "Újraindítás"}},
        {"special commands", {"Command"}},
        {"GSM test", {"GSM test indítása"}},
    };
    return specs;
}

// Items hidden or disabled at design time (the device identity shows them).
bool DesignHidden(const std::string& caption) {
    return caption == "Naplo kiolvasása" || caption == "Térerő" || caption == "Firmware Download" ||
           caption == "Saját Profil" || caption == "Export memory" || caption == "TOP MENU ON/OFF" ||
           caption == "special commands" || caption == "GSM test";
}

}  // namespace

ConfiguratorWindow::ConfiguratorWindow(Configurator& configurator, QWidget* parent)
    : QMainWindow(parent), cfg_(configurator), refresh_(new QTimer(this)), stripTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TQ7Form1"));
    setWindowTitle(QStringLiteral("Morvane Firmware:"));

    BuildMenus();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Pages"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(4, 7, 4, 0);
    outer->setSpacing(6);

    auto* column = new QWidget(central);
    column->setObjectName(QStringLiteral("MenuColumn"));
    column->setMouseTracking(true);
    column->installEventFilter(this);
    BuildMenuColumn(column);
    outer->addWidget(column);

    auto* right = new QWidget(central);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    rv->setSpacing(4);
    pages_ = new QTabWidget(right);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setUsesScrollButtons(true);
    PageFactory factory(registry_, pages_);
    BuildSettingsPages(factory);
    rv->addWidget(pages_, 1);
    auto* strip = new QWidget(right);
    strip->setObjectName(QStringLiteral("TransferStrip"));
    BuildTransferStrip(strip);
    rv->addWidget(strip);
    outer->addWidget(right, 1);
    setCentralWidget(central);

    // The start strip across the top: one pixel wide until an activation
    // lets it run out to the window's width.
    strip_ = new QWidget(central);
    strip_->setObjectName(QString::fromUtf8(kStartStrip));
    strip_->setGeometry(0, 0, 1, 5);
    strip_->setAutoFillBackground(true);
    stripTimer_->setInterval(1);
    connect(stripTimer_, &QTimer::timeout, this, &ConfiguratorWindow::StripTick);

    BuildStatusBar();
    SetTabsShrunk(true);
    WireSelectors();
    WireFields();

    // Spare and advanced pages are not offered at design time.
    if (auto* p = registry_.FindPage("Admin")) p->designVisible = false;
    if (auto* p = registry_.FindPage("TabSheet42")) p->designVisible = false;

    std::set<std::string> known;
    for (const auto& [name, state] : cfg_.Controls().All()) known.insert(name);
    // A choice the core knows only by its text ("ComboBox16" = "5") selects
    // the item of that text before the binding applies it.
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        const std::string name = combo->objectName().toStdString();
        if (name.empty() || !cfg_.Controls().Has(name)) continue;
        ControlState& c = cfg_.Controls()[name];
        if (c.itemIndex >= 0 || c.text.empty()) continue;
        const int index = c.items.empty() ? combo->findText(Q(c.text)) : -1;
        if (index >= 0) c.itemIndex = index;
    }
    binder_ = std::make_unique<ControlBinder>(this, cfg_.Controls());
    SeedKeys(known);
    previousHook_ = cfg_.Controls().OnChanged;
    cfg_.Controls().OnChanged = [this](const std::string& name) { OnControlChanged(name); };
    hooked_ = true;

    // The first selector of each row starts selected; the window starts on
    // the first page with its button selected.
    for (PageRegistry::Page& p : registry_.Pages()) {
        if (p.selector && !p.parent.empty() && p.tabs->indexOf(p.page) == 0)
            cfg_.Controls().SetColor(p.selector->objectName().toStdString(), kSelectedColor);
    }
    ShowPage("Alapadatok");

    refresh_->setInterval(200);
    connect(refresh_, &QTimer::timeout, this, &ConfiguratorWindow::Refresh);
    resize(1100, 720);
    Refresh();
}

ConfiguratorWindow::~ConfiguratorWindow() {
    if (hooked_) cfg_.Controls().OnChanged = previousHook_;
    hooked_ = false;
    binder_.reset();
}

// ---------------------------------------------------------------- building

void ConfiguratorWindow::BuildMenus() {
    for (const MenuSpec& spec : MenuSpecs()) {
        const std::string title = spec.title;
        if (title == "GSM test") {
            // A menu-bar command of its own.
            QAction* a = menuBar()->addAction(Q(title));
            actions_.emplace(title, a);
            a->setVisible(false);
            connect(a, &QAction::triggered, this, [this] { emit MenuTriggered(QStringLiteral("GSM test")); });
            continue;
        }
        QMenu* menu = menuBar()->addMenu(Q(title));
        actions_.emplace(title, menu->menuAction());
        if (DesignHidden(title)) menu->menuAction()->setVisible(false);
        for (const char* raw : spec.items) {
            std::string caption = raw;
            if (caption == "-") {
                menu->addSeparator();
                continue;
            }
            const bool check = caption[0] == '*';
            if (check) caption.erase(0, 1);
            QAction* a = menu->addAction(Q(caption));
            a->setCheckable(check);
            if (caption == "Tiltás") a->setChecked(true);
            if (caption == "Monitor") a->setEnabled(false);
            if (DesignHidden(caption)) a->setVisible(false);
            actions_.emplace(caption, a);
            const QString qcaption = Q(caption);
            connect(a, &QAction::triggered, this, [this, qcaption, caption](bool checked) {
                if (caption == "TOP MENU ON/OFF") {
                    if (OnTopMenu) {
                        OnTopMenu();
                    } else {
                        SetTabsShrunk(!checked);
                        cfg_.Controls().SetChecked("menu:TOP MENU ON/OFF", checked);
                    }
                } else if (caption == "Mentés fájlba") {
                    emit SaveToFileRequested();
                } else if (caption == "Megnyitás fájlból") {
                    emit OpenFromFileRequested();
                } else if (caption == "Export memory") {
                    emit ExportMemoryRequested();
                }
                emit MenuTriggered(qcaption);
            });
        }
    }
}

void ConfiguratorWindow::BuildMenuColumn(QWidget* column) {
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(3);
    for (const MenuButtonInfo& info : MenuButtons()) {
        auto* b = new QPushButton(QString::fromUtf8(info.caption), column);
        b->setObjectName(QString::fromUtf8(info.name));
        b->setFlat(true);
        b->setAutoFillBackground(true);
        b->setMinimumHeight(34);
        b->setMinimumWidth(190);
        b->setMouseTracking(true);
        b->installEventFilter(this);
        b->setVisible(info.visible);
        v->addWidget(b);
        menuButtons_.push_back(b);
        buttonPage_[info.name] = info.page;
        const std::string name = info.name;
        connect(b, &QPushButton::clicked, this, [this, name] { SelectMenuButton(name); });
    }
    v->addStretch(1);
}

void ConfiguratorWindow::BuildTransferStrip(QWidget* strip) {
    auto* h = new QHBoxLayout(strip);
    h->setContentsMargins(0, 0, 0, 0);
    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, strip);
        b->setObjectName(QString::fromUtf8(name));
        b->setMinimumSize(110, 34);
        h->addWidget(b);
        return b;
    };
    QPushButton* read = button(linkctl::ReadButton, Utf("Olvasás"));
    QPushButton* send = button(linkctl::SendButton, Utf("Elküldés"));
    connect(read, &QPushButton::clicked, this, &ConfiguratorWindow::ReadRequested);
    connect(send, &QPushButton::clicked, this, &ConfiguratorWindow::SendRequested);
    auto* progress = new QProgressBar(strip);
    progress->setObjectName(QString::fromUtf8(linkctl::Progress));
    progress->setRange(0, 26);
    progress->setValue(0);
    progress->setMinimumWidth(160);
    h->addWidget(progress, 1);
    auto label = [&](const char* name, const QString& text, bool visible = true) {
        auto* l = new QLabel(text, strip);
        l->setObjectName(QString::fromUtf8(name));
        l->setVisible(visible);
        h->addWidget(l);
        return l;
    };
    label(linkctl::StateLabel, QStringLiteral("TxCel: 0"));
    label(linkctl::ResendLabel, QStringLiteral("TX_re_semd: 0"));
    label(linkctl::StateLabel2, QStringLiteral("TXcel: 0"), false);
    label(linkctl::ClockLabel, QString());
    label(linkctl::ClientLabel, QString(), false);
    auto* client = new QLineEdit(strip);
    client->setObjectName(QString::fromUtf8(linkctl::ClientEdit));
    client->hide();
    h->addWidget(client);
    QLabel* fresh = label(linkctl::NewFirmwareLabel, Utf("Van új elérhető firmware!"), false);
    fresh->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    button(linkctl::FirmwareButton, Utf("Firmware"))->hide();
    label("ModeText", QString());
    // The "RX" lamp: lit for a moment whenever bytes arrive.
    QLabel* lamp = label(kRxLamp, QStringLiteral("RX"));
    lamp->setFixedSize(25, 25);
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setFrameShape(QFrame::Panel);
    lamp->setFrameShadow(QFrame::Raised);
}

void ConfiguratorWindow::BuildStatusBar() {
    // Panel 0 is a narrow lead panel; 1 the product, 2 the firmware, 3 errors and progress.
    for (size_t i = 0; i < panels_.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 60 : i == 3 ? 220 : 140);
        statusBar()->addWidget(panel, i == 3 ? 1 : 0);
        panels_[i] = panel;
    }
    // The serial trace's file while a trace runs.
    auto* trace = new QLabel(this);
    trace->setObjectName(QString::fromUtf8(kTracePanel));
    trace->setFrameShape(QFrame::StyledPanel);
    trace->setFrameShadow(QFrame::Sunken);
    trace->hide();
    statusBar()->addPermanentWidget(trace);
    statusBar()->setSizeGripEnabled(true);
}

void ConfiguratorWindow::WireSelectors() {
    for (size_t i = 0; i < registry_.Pages().size(); ++i) {
        PageRegistry::Page& p = registry_.Pages()[i];
        if (!p.parent.empty() && p.selector) {
            connect(p.selector, &QAbstractButton::clicked, this, [this, i] { SelectPanel(registry_.Pages()[i]); });
        }
    }
    // Tabs that are visible report their pages as shown too.
    std::vector<QTabWidget*> seen;
    for (PageRegistry::Page& p : registry_.Pages()) {
        if (!p.tabs || std::find(seen.begin(), seen.end(), p.tabs) != seen.end()) continue;
        seen.push_back(p.tabs);
        QTabWidget* tabs = p.tabs;
        connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int) {
            for (PageRegistry::Page& q : registry_.Pages()) {
                if (q.tabs == tabs && q.page == tabs->currentWidget()) {
                    emit PageShown(Q(q.caption));
                    break;
                }
            }
        });
    }
}

void ConfiguratorWindow::WireFields() {
    // Pop-up menu of the eight phone number fields.
    for (int n = 1; n <= 8; ++n) {
        auto* field = findChild<QLineEdit*>(QStringLiteral("MaskEdit%1").arg(n));
        if (!field) continue;
        connect(field, &QWidget::customContextMenuRequested, this, [this, field, n](const QPoint& pos) {
            QMenu menu(field);
            for (const char* item : {"Delete", "+3630", "+3620"}) menu.addAction(QString::fromLatin1(item));
            QAction* chosen = menu.exec(field->mapToGlobal(pos));
            if (!chosen) return;
            if (OnPhoneMenu) OnPhoneMenu(n, chosen->text().toStdString());
            else ApplyPhoneMenuItem(field, chosen->text());
        });
    }
    // The speaker pictures of the channel pages lead to their voice slot on
    // "Hangok", its label painted red.
    const std::pair<const char*, const char*> speakers[] = {{"Speaker1", "VoiceLabel2"}, {"Speaker2", "VoiceLabel3"},
                                                            {"Speaker3", "VoiceLabel4"}, {"Speaker4", "VoiceLabel5"},
                                                            {"Speaker10", "VoiceLabel6"}, {"Speaker9", "VoiceLabel7"}};
    for (const auto& [speaker, label] : speakers) {
        auto* b = findChild<QPushButton*>(QString::fromLatin1(speaker));
        if (!b) continue;
        const std::string target = label;
        connect(b, &QPushButton::clicked, this, [this, target] {
            ControlSet& set = cfg_.Controls();
            for (int n = 2; n <= 7; ++n) set.SetFontColor("VoiceLabel" + std::to_string(n), kNoColor);
            ShowPage("Hangok");
            set.SetFontColor(target, Rgb(255, 0, 0));
        });
    }
    // Characters left of the SMS header.
    auto* header = findChild<QLineEdit*>(QStringLiteral("Edit12"));
    auto* left = findChild<QLabel*>(QString::fromLatin1(pagekey::HeaderLeftLabel));
    if (header && left) {
        connect(header, &QLineEdit::textChanged, left, [left](const QString& text) {
            left->setText(QString::number(SmsHeaderCharsLeft(text.toStdString())));
        });
    }
}

bool ConfiguratorWindow::ApplyPhoneMenuItem(QLineEdit* field, const QString& item) {
    if (item == QLatin1String("Delete")) {
        field->setText(QString());
    } else if (item == QLatin1String("+3630") || item == QLatin1String("+3620")) {
        field->setText(item);
    } else {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- keys

void ConfiguratorWindow::SeedKeys(const std::set<std::string>& known) {
    ControlSet& set = cfg_.Controls();
    // Pages named like a control: their state is the page's, not the widget's.
    for (PageRegistry::Page& p : registry_.Pages()) {
        for (const std::string& key : p.keys) {
            if (key.rfind("TabSheet", 0) == 0 && !known.count(key)) set[key].visible = p.designVisible;
        }
    }
    // Pages: design state unless the core already decided.
    std::vector<std::string> decided;
    for (PageRegistry::Page& p : registry_.Pages()) {
        for (const std::string& key : p.keys) {
            if (key.rfind("page:", 0) != 0) continue;
            if (set.Has(key)) {
                decided.push_back(key);
            } else {
                set[key].visible = p.designVisible;
                pageVisible_[key] = true;  // the widgets' own state
            }
        }
    }
    // Pages hidden at design time, then what the core decided before the
    // window existed.
    for (PageRegistry::Page& p : registry_.Pages())
        if (!p.designVisible) ApplyPageKey(p.keys.front());
    for (const std::string& key : decided) ApplyPageKey(key);
    // Further keys take the state of their first control.
    for (const auto& [key, primary] : registry_.Aliases()) {
        if (aliasSnapshot_.count(key)) continue;
        if (!set.Has(key)) {
            const ControlState* s = set.Find(primary);
            set[key] = s ? *s : ControlState{};
            aliasSnapshot_[key] = set[key];
        } else {
            // Decided by the core before the window existed: start from the
            // design state so that the differences are applied.
            const ControlState* s = set.Find(primary);
            aliasSnapshot_[key] = s ? *s : ControlState{};
            ApplyAliasKey(key);
        }
    }
    // Menu items.
    for (const auto& [caption, action] : actions_) {
        const std::string key = "menu:" + caption;
        if (!set.Has(key)) {
            ControlState s;
            s.text = caption;
            s.visible = action->isVisible();
            s.enabled = action->isEnabled();
            s.checked = action->isChecked();
            set[key] = s;
        } else {
            ApplyMenuKey(key);
        }
    }
}

void ConfiguratorWindow::OnControlChanged(const std::string& name) {
    if (previousHook_) previousHook_(name);
    if (name.rfind("menu:", 0) == 0) {
        ApplyMenuKey(name);
        return;
    }
    if (!registry_.PagesOfKey(name).empty()) {
        // Pages follow the visibility of their keys only (a selector panel's
        // colour or caption leaves its page alone).
        const ControlState* s = cfg_.Controls().Find(name);
        auto it = pageVisible_.find(name);
        if (s && (it == pageVisible_.end() || it->second != s->visible)) ApplyPageKey(name);
    }
    if (aliasSnapshot_.count(name)) ApplyAliasKey(name);
    ApplyExtraState(name);
    FollowCoreValue(name);
}

void ConfiguratorWindow::ApplyPageKey(const std::string& key) {
    ControlSet& set = cfg_.Controls();
    const ControlState* state = set.Find(key);
    if (!state) return;
    const bool visible = state->visible;
    for (PageRegistry::Page* p : registry_.PagesOfKey(key)) {
        for (const std::string& k : p->keys) pageVisible_[k] = visible;
        if (p->selector) pageVisible_[p->selector->objectName().toStdString()] = visible;
        const int index = p->tabs->indexOf(p->page);
        if (index >= 0) p->tabs->setTabVisible(index, visible);
        for (const std::string& k : p->keys) set[k].visible = visible;
        if (p->selector) {
            set[p->selector->objectName().toStdString()].visible = visible;
            p->selector->setVisible(visible);
        }
        if (p->parent.empty()) {
            // The page's menu button goes with it.
            for (QPushButton* b : menuButtons_) {
                if (buttonPage_[b->objectName().toStdString()] != p->caption) continue;
                set[b->objectName().toStdString()].visible = visible;
                b->setVisible(visible);
            }
        }
        SyncStack(p->tabs);
        // A hidden current sub-page hands over to the page now current.
        if (!p->parent.empty() && !visible) {
            for (PageRegistry::Page& q : registry_.Pages()) {
                if (q.tabs == p->tabs && q.page == p->tabs->currentWidget() && q.selector) {
                    for (PageRegistry::Page& r : registry_.Pages()) {
                        if (r.tabs != p->tabs || !r.selector) continue;
                        const std::string n = r.selector->objectName().toStdString();
                        const uint32_t color = &r == &q ? kSelectedColor : kNoColor;
                        const ControlState* rs = set.Find(n);
                        if (!rs || rs->color != color) set.SetColor(n, color);
                    }
                }
            }
        }
    }
}

void ConfiguratorWindow::SyncStack(QTabWidget* tabs) {
    // Only the current page of a page control is shown.
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* w = tabs->widget(i);
        const bool current = w == tabs->currentWidget();
        if (w->isHidden() == current) w->setVisible(current);
    }
}

void ConfiguratorWindow::ApplyAliasKey(const std::string& key) {
    ControlSet& set = cfg_.Controls();
    const ControlState* now = set.Find(key);
    if (!now) return;
    const ControlState before = aliasSnapshot_[key];
    const ControlState after = *now;
    aliasSnapshot_[key] = after;
    auto [first, last] = registry_.Aliases().equal_range(key);
    std::vector<std::string> primaries;
    for (auto it = first; it != last; ++it) primaries.push_back(it->second);
    for (const std::string& primary : primaries) {
        set.Change(primary, [&](ControlState& c) {
            // Shown and enabled always follow the key (what shaping sets);
            // the other fields only when the key's value changed.
            c.visible = after.visible;
            c.enabled = after.enabled;
            if (before.checked != after.checked) c.checked = after.checked;
            if (before.text != after.text) c.text = after.text;
            if (before.items != after.items) c.items = after.items;
            if (before.itemIndex != after.itemIndex) c.itemIndex = after.itemIndex;
            if (before.color != after.color) c.color = after.color;
            if (before.fontColor != after.fontColor) c.fontColor = after.fontColor;
        });
    }
}

void ConfiguratorWindow::ApplyMenuKey(const std::string& key) {
    const ControlState* s = cfg_.Controls().Find(key);
    if (!s) return;
    auto [first, last] = actions_.equal_range(key.substr(5));
    for (auto it = first; it != last; ++it) {
        QAction* a = it->second;
        a->setVisible(s->visible);
        a->setEnabled(s->enabled);
        if (a->isCheckable() && a->isChecked() != s->checked) {
            const QSignalBlocker block(a);
            a->setChecked(s->checked);
        }
    }
    if (key == "menu:TOP MENU ON/OFF") SetTabsShrunk(!s->checked);
    // The advanced mode that offers "Export memory" offers the "Admin" page too.
    if (key == "menu:Export memory") {
        const bool on = s->visible;
        const ControlState* admin = cfg_.Controls().Find("page:Admin");
        if (!admin || admin->visible != on) cfg_.Controls().SetVisible("page:Admin", on);
    }
}

void ConfiguratorWindow::ApplyExtraState(const std::string& name) {
    // Values the generic binding does not carry: spin values and the
    // captions of the check lists.
    const ControlState* s = cfg_.Controls().Find(name);
    if (!s) return;
    const QString qname = Q(name);
    for (QWidget* w : findChildren<QWidget*>(qname)) {
        if (auto* spin = qobject_cast<QSpinBox*>(w)) {
            bool ok = false;
            const int v = Q(s->text).trimmed().toInt(&ok);
            if (ok && spin->value() != v) {
                const QSignalBlocker block(spin);
                spin->setValue(v);
            }
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            if (s->items.size() == static_cast<size_t>(list->count())) {
                for (int i = 0; i < list->count(); ++i) list->item(i)->setText(Q(s->items[static_cast<size_t>(i)]));
            }
        }
    }
}

// ---------------------------------------------------------------- navigation

void ConfiguratorWindow::SelectMenuButton(const std::string& name) {
    ControlSet& set = cfg_.Controls();
    for (QPushButton* b : menuButtons_) set.SetColor(b->objectName().toStdString(), kNoColor);
    set.SetColor(name, kSelectedColor);
    // The "Hangok" button gives the first input's slot label its colour back.
    if (name == "MENUSEL6") set.SetFontColor("VoiceLabel2", kNoColor);
    const std::string caption = buttonPage_[name];
    PageRegistry::Page* p = caption.empty() ? nullptr : registry_.FindPage(caption);
    if (!p) return;
    const int index = pages_->indexOf(p->page);
    if (index < 0) return;
    const bool changed = pages_->currentIndex() != index;
    pages_->setCurrentIndex(index);
    if (!changed) emit PageShown(Q(caption));  // a click on the current page shows it again
}

void ConfiguratorWindow::HoverMenuButton(const std::string& name) {
    ControlSet& set = cfg_.Controls();
    for (QPushButton* b : menuButtons_) {
        const std::string n = b->objectName().toStdString();
        const ControlState* s = set.Find(n);
        if (s && s->color != kSelectedColor && s->color != kNoColor) set.SetColor(n, kNoColor);
    }
    if (name.empty()) return;
    const ControlState* s = set.Find(name);
    if (!s || s->color != kSelectedColor) set.SetColor(name, kHoverColor);
}

void ConfiguratorWindow::SelectPanel(PageRegistry::Page& page) {
    ControlSet& set = cfg_.Controls();
    for (PageRegistry::Page& q : registry_.Pages()) {
        if (q.tabs == page.tabs && q.selector && &q != &page) set.SetColor(q.selector->objectName().toStdString(), kNoColor);
    }
    if (page.selector) set.SetColor(page.selector->objectName().toStdString(), kSelectedColor);
    const bool changed = page.tabs->currentWidget() != page.page;
    page.tabs->setCurrentWidget(page.page);
    if (!changed) emit PageShown(Q(page.caption));
}

bool ConfiguratorWindow::ShowPage(const std::string& caption) {
    PageRegistry::Page* p = registry_.FindPage(caption);
    if (!p || !p->parent.empty()) return false;
    for (const auto& [button, page] : buttonPage_) {
        if (page == caption) {
            SelectMenuButton(button);
            return true;
        }
    }
    ControlSet& set = cfg_.Controls();
    for (QPushButton* b : menuButtons_) set.SetColor(b->objectName().toStdString(), kNoColor);
    pages_->setCurrentWidget(p->page);
    return true;
}

bool ConfiguratorWindow::ShowSubPage(const std::string& caption, const std::string& parent) {
    PageRegistry::Page* p = nullptr;
    for (PageRegistry::Page& q : registry_.Pages()) {
        if (q.caption == caption && !q.parent.empty() && (parent.empty() || q.parent == parent)) {
            p = &q;
            break;
        }
    }
    if (!p) return false;
    // The pages holding it first.
    PageRegistry::Page* holder = registry_.FindPage(p->parent);
    if (holder && holder->parent.empty()) {
        ShowPage(holder->caption);
    } else if (holder) {
        ShowSubPage(holder->caption, holder->parent);
    }
    if (p->selector) {
        SelectPanel(*p);
    } else {
        p->tabs->setCurrentWidget(p->page);
    }
    return true;
}

std::string ConfiguratorWindow::CurrentPage() const {
    for (const PageRegistry::Page& p : registry_.Pages())
        if (p.parent.empty() && p.page == pages_->currentWidget()) return p.caption;
    return {};
}

std::string ConfiguratorWindow::CurrentSubPage(const std::string& parent) const {
    for (const PageRegistry::Page& p : registry_.Pages())
        if (p.parent == parent && p.page == p.tabs->currentWidget()) return p.caption;
    return {};
}

bool ConfiguratorWindow::PageOffered(const std::string& caption, const std::string& parent) const {
    for (const PageRegistry::Page& p : registry_.Pages()) {
        if (p.caption != caption || (!parent.empty() && p.parent != parent)) continue;
        if (parent.empty() && !p.parent.empty()) continue;
        const int index = p.tabs->indexOf(p.page);
        return index >= 0 && p.tabs->isTabVisible(index);
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> ConfiguratorWindow::OfferedViews() const {
    std::vector<std::pair<std::string, std::string>> out;
    // Depth-first: a page with offered sub-pages is shown through them.
    std::function<void(const std::string&, const std::string&)> walk = [&](const std::string& parent,
                                                                          const std::string& caption) {
        bool any = false;
        for (const PageRegistry::Page& q : registry_.Pages()) {
            if (q.parent != caption || !PageOffered(q.caption, q.parent)) continue;
            any = true;
            walk(caption, q.caption);
        }
        if (!any) out.emplace_back(parent, caption);
    };
    for (const PageRegistry::Page& p : registry_.Pages()) {
        if (p.parent.empty() && PageOffered(p.caption)) walk(std::string(), p.caption);
    }
    return out;
}

void ConfiguratorWindow::SetTabsShrunk(bool shrunk) {
    tabsShrunk_ = shrunk;
    pages_->tabBar()->setStyleSheet(shrunk ? QString::fromLatin1(kShrunkTabs) : QString());
    pages_->tabBar()->updateGeometry();
    if (QAction* a = MenuAction("TOP MENU ON/OFF")) {
        const QSignalBlocker block(a);
        a->setChecked(!shrunk);
    }
}

QAction* ConfiguratorWindow::MenuAction(const std::string& caption) const {
    auto it = actions_.find(caption);
    return it == actions_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------- events

void ConfiguratorWindow::Refresh() {
    for (size_t i = 0; i < panels_.size(); ++i) {
        const QString text = QString::fromStdString(cfg_.StatusPanels[i]);
        if (panels_[i]->text() != text) panels_[i]->setText(text);
    }
    if (auto* mode = findChild<QLabel*>(QStringLiteral("ModeText"))) {
        const QString text = cfg_.DemoMode ? QStringLiteral("Demo mode: no device connected") : QString();
        if (mode->text() != text) mode->setText(text);
    }
}

void ConfiguratorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Refresh();
    refresh_->start();
}

void ConfiguratorWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    refresh_->stop();
    stripTimer_->stop();
}

void ConfiguratorWindow::StartStrip() {
    cfg_.Controls().SetColor(kStartStrip, kSelectedColor);
    stripWidth_ = 1;
    strip_->setGeometry(0, 0, 1, 5);
    strip_->raise();
    stripTimer_->start();
}

bool ConfiguratorWindow::StripRunning() const { return stripTimer_->isActive(); }

void ConfiguratorWindow::StripTick() {
    const int full = width();
    if (full > stripWidth_) {
        stripWidth_ += 20;
        strip_->setGeometry(0, 0, stripWidth_, 5);
    } else {
        stripTimer_->stop();
        strip_->setGeometry(0, 0, full, 5);
    }
}

void ConfiguratorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // A strip that has run out follows the window's width.
    if (!stripTimer_->isActive() && strip_->width() > 1) strip_->setGeometry(0, 0, width(), 5);
}

void ConfiguratorWindow::closeEvent(QCloseEvent* event) {
    if (MayClose && !MayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    if (OnClosed) QTimer::singleShot(0, this, [this] { if (OnClosed) OnClosed(); });
}

bool ConfiguratorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        auto* b = qobject_cast<QPushButton*>(watched);
        if (b && std::find(menuButtons_.begin(), menuButtons_.end(), b) != menuButtons_.end()) {
            HoverMenuButton(b->objectName().toStdString());
        } else if (event->type() == QEvent::MouseMove) {
            HoverMenuButton(std::string());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void ConfiguratorWindow::mouseMoveEvent(QMouseEvent* event) {
    HoverMenuButton(std::string());
    QMainWindow::mouseMoveEvent(event);
}

}  // namespace morvane
