#include "app/ui/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <poll.h>

#include <algorithm>

#include "app/startup.h"
#include "link/port_names.h"

namespace morvane {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QWidget* DialogParent(QWidget* preferred) {
    if (QWidget* active = QApplication::activeWindow()) return active;
    if (preferred && preferred->isVisible()) return preferred;
    return nullptr;
}

}  // namespace

QString ColorName(uint32_t rgb) { return QColor::fromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF).name(); }

// ---------------------------------------------------------------- timers

QtTimerBinding::QtTimerBinding(CoreTimer& timer, std::function<void()> afterFire, QObject* parent)
    : QObject(parent), timer_(timer), qtimer_(new QTimer(this)), previous_(timer.OnChanged),
      afterFire_(std::move(afterFire)) {
    qtimer_->setTimerType(Qt::PreciseTimer);
    connect(qtimer_, &QTimer::timeout, this, [this] {
        std::weak_ptr<bool> alive = alive_;
        timer_.Fire();
        if (alive.expired()) return;  // the handler ended the binding
        if (afterFire_) afterFire_();
    });
    std::weak_ptr<bool> weak = alive_;
    auto previous = previous_;
    timer_.OnChanged = [weak, this, previous] {
        if (!weak.expired()) Sync();
        if (previous) previous();
    };
    Sync();
}

QtTimerBinding::~QtTimerBinding() {
    alive_.reset();
    timer_.OnChanged = previous_;
}

bool QtTimerBinding::Active() const { return qtimer_->isActive(); }
int QtTimerBinding::IntervalMs() const { return qtimer_->interval(); }

// A change of interval or enabling restarts the countdown.
void QtTimerBinding::Sync() {
    if (timer_.Enabled()) {
        qtimer_->start(std::max(1, timer_.Interval()));
    } else {
        qtimer_->stop();
    }
}

// ---------------------------------------------------------------- ports

QtPortBinding::QtPortBinding(TAsynComm32& port, QObject* parent)
    : QObject(parent), port_(port), txCheck_(new QTimer(this)), previous_(port.OnHandleChanged) {
    txCheck_->setSingleShot(true);
    connect(txCheck_, &QTimer::timeout, this, [this] {
        std::weak_ptr<bool> alive = alive_;
        port_.HandleIo(false, false, false);
        if (!alive.expired()) Recheck();
    });
    std::weak_ptr<bool> weak = alive_;
    auto previous = previous_;
    port_.OnHandleChanged = [weak, this, previous] {
        if (!weak.expired()) Recheck();
        if (previous) previous();
    };
    Attach();
    Recheck();
}

QtPortBinding::~QtPortBinding() {
    alive_.reset();
    port_.OnHandleChanged = previous_;
    Detach();
}

void QtPortBinding::Attach() {
    fd_ = port_.NativeHandle();
    if (fd_ < 0) return;
    read_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    write_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    exception_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    write_->setEnabled(false);
    connect(read_, &QSocketNotifier::activated, this, [this] { Handle(false, false); });
    connect(write_, &QSocketNotifier::activated, this, [this] { Handle(true, false); });
    connect(exception_, &QSocketNotifier::activated, this, [this] { Handle(false, true); });
}

// The notifiers may be the sender of the running slot: disable now, delete later.
void QtPortBinding::Detach() {
    for (QSocketNotifier** n : {&read_, &write_, &exception_}) {
        if (*n) {
            (*n)->setEnabled(false);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }
    fd_ = -1;
}

void QtPortBinding::Handle(bool fromWrite, bool fromException) {
    const int fd = port_.NativeHandle();
    if (fd < 0 || fd != fd_) {
        Recheck();
        return;
    }
    // The notifier says only that something happened; ask the descriptor what.
    pollfd p{fd, static_cast<short>(POLLIN | POLLPRI | (port_.WantsWrite() ? POLLOUT : 0)), 0};
    bool readable = false, writable = fromWrite, hangup = false;
    if (::poll(&p, 1, 0) > 0) {
        readable = (p.revents & (POLLIN | POLLPRI)) != 0;
        writable = (p.revents & POLLOUT) != 0;
        hangup = (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    (void)fromException;
    std::weak_ptr<bool> alive = alive_;
    port_.HandleIo(readable, writable, hangup);
    if (!alive.expired()) Recheck();
}

void QtPortBinding::Recheck() {
    if (port_.NativeHandle() != fd_) {
        Detach();
        Attach();
    }
    if (write_) {
        const bool want = port_.WantsWrite();
        if (write_->isEnabled() != want) write_->setEnabled(want);
    }
    const int check = port_.TxEmptyCheckMs();
    if (check < 0) {
        txCheck_->stop();
    } else if (!txCheck_->isActive() || txCheck_->remainingTime() > check) {
        txCheck_->start(check);
    }
}

// ---------------------------------------------------------------- host

QtHost::QtHost(QObject* parent) : QObject(parent), safety_(new QTimer(this)) {
    // Writes made by widget handlers outside any host callback are picked up
    // here at the latest.
    safety_->setInterval(50);
    connect(safety_, &QTimer::timeout, this, [this] { Recheck(); });
    safety_->start();
}

QtHost::~QtHost() {
    // Ports first: a timer's OnChanged may belong to a port's owner.
    ports_.clear();
    timers_.clear();
}

void QtHost::AddTimer(CoreTimer& timer) {
    if (FindTimer(timer)) return;
    timers_.push_back(std::make_unique<QtTimerBinding>(timer, [this] { Recheck(); }));
}

void QtHost::AddTimers(const std::vector<CoreTimer*>& timers) {
    for (CoreTimer* t : timers) {
        if (t) AddTimer(*t);
    }
}

void QtHost::AddPort(TAsynComm32& port) {
    for (auto& p : ports_) {
        if (&p->Port() == &port) return;
    }
    ports_.push_back(std::make_unique<QtPortBinding>(port));
}

void QtHost::Recheck() {
    for (auto& p : ports_) p->Recheck();
}

QtTimerBinding* QtHost::FindTimer(const CoreTimer& timer) const {
    for (auto& t : timers_) {
        if (&t->Timer() == &timer) return t.get();
    }
    return nullptr;
}

// ---------------------------------------------------------------- view

void QtView::Message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Q(ProgramName), Q(text), QMessageBox::Ok, DialogParent(parent_));
    box.exec();
}

bool QtView::Confirm(const std::string& text) {
    QMessageBox box(QMessageBox::Question, Q(ProgramName), Q(text), QMessageBox::Yes | QMessageBox::No,
                    DialogParent(parent_));
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtView::Prompt(const std::string& title, const std::string& text,
                                          const std::string& initial) {
    bool ok = false;
    QString answer =
        QInputDialog::getText(DialogParent(parent_), Q(title), Q(text), QLineEdit::Normal, Q(initial), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

// ---------------------------------------------------------------- shell

QWidget* QtShell::Window(const std::string& className) const {
    auto it = windows_.find(className);
    return it == windows_.end() ? nullptr : it->second.data();
}

void QtShell::ShowWindow(const std::string& className) {
    QWidget* w = Window(className);
    if (!w) return;
    w->show();
    w->raise();
    w->activateWindow();
    if (OnShown) OnShown(className);
}

void QtShell::HideWindow(const std::string& className) {
    if (QWidget* w = Window(className)) w->hide();
}

namespace {

// Ends a nested event loop when the watched window hides or closes.
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close) {
            QTimer::singleShot(0, &loop_, [l = &loop_] { l->quit(); });
        }
        return QObject::eventFilter(o, e);
    }

private:
    QEventLoop& loop_;
};

}  // namespace

void QtShell::ShowModal(const std::string& className) {
    QPointer<QWidget> w = Window(className);
    if (!w) return;
    if (auto* dialog = qobject_cast<QDialog*>(w.data())) {
        dialog->exec();
        return;
    }
    QEventLoop loop;
    HideWatcher watcher(loop);
    w->setWindowModality(Qt::ApplicationModal);
    w->installEventFilter(&watcher);
    QObject::connect(w.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    w->show();
    w->raise();
    w->activateWindow();
    if (OnShown) OnShown(className);
    if (w->isVisible()) loop.exec();
    if (w) {
        w->removeEventFilter(&watcher);
        w->hide();
        w->setWindowModality(Qt::NonModal);
    }
}

void QtShell::OpenUrl(const std::string& url) { QDesktopServices::openUrl(QUrl(Q(url))); }

void QtShell::OpenDeviceManager() {
    // A hardware browser of the desktop when one is installed.
    for (const char* tool : {"kinfocenter", "hardinfo2", "hardinfo", "lshw-gtk"}) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (!path.isEmpty() && QProcess::startDetached(path, {})) return;
    }
    // Otherwise the serial devices as the program numbers them.
    const auto devices = EnumerateSerialDevices();
    QString text;
    if (devices.empty()) {
        text = QStringLiteral("No serial port found.");
    } else {
        text = QStringLiteral("Serial ports:\n");
        for (size_t i = 0; i < devices.size(); ++i) {
            const auto& d = devices[i];
            text += QStringLiteral("\nCOM%1   %2   %3").arg(i + 1).arg(Q(d.path), Q(d.kind));
            if (!d.detail.empty()) text += QStringLiteral("   ") + Q(d.detail);
        }
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("COM info"), text, QMessageBox::Ok,
                    DialogParent(nullptr));
    box.exec();
}

void QtShell::Quit() { QCoreApplication::quit(); }

// ---------------------------------------------------------------- controls

ControlBinder::ControlBinder(QWidget* root, ControlSet& set, QObject* parent)
    : QObject(parent), root_(root), set_(set), previous_(set.OnChanged) {
    Collect();
    // Design state for names the core has not touched yet.
    const std::string rootName = root->objectName().toStdString();
    if (!rootName.empty() && !set_.Has(rootName)) set_[rootName] = StateOf(root, true);
    // A control the core knows only by a flag (hidden, disabled) keeps the
    // design caption and items of its widget.
    for (auto& [name, w] : widgets_) {
        if (!w) continue;
        if (!set_.Has(name)) {
            set_[name] = StateOf(w, false);
            continue;
        }
        ControlState& s = set_[name];
        const ControlState design = StateOf(w, false);
        if (s.text.empty()) s.text = design.text;
        if (s.items.empty()) s.items = design.items;
    }
    std::weak_ptr<bool> weak = alive_;
    auto previous = previous_;
    set_.OnChanged = [weak, this, previous](const std::string& name) {
        if (!weak.expired()) Apply(name);
        if (previous) previous(name);
    };
    ApplyAll();
}

ControlBinder::~ControlBinder() {
    alive_.reset();
    set_.OnChanged = previous_;
}

void ControlBinder::Collect() {
    widgets_.clear();
    for (QWidget* w : root_->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        widgets_.emplace(name.toStdString(), w);
    }
}

void ControlBinder::ApplyAll() {
    if (!root_) return;
    for (const auto& [name, state] : set_.All()) Apply(name);
}

void ControlBinder::Apply(const std::string& name) {
    if (!root_) return;
    const ControlState* state = set_.Find(name);
    if (!state) return;
    if (name == root_->objectName().toStdString()) ApplyState(root_, *state, true);
    auto [first, last] = widgets_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        QWidget* w = it->second;
        if (!w) continue;
        ApplyState(w, *state, false);
        // The choices of a radio group take their texts from the group's items.
        auto* radio = qobject_cast<QRadioButton*>(w);
        auto* group = radio ? qobject_cast<QGroupBox*>(radio->parentWidget()) : nullptr;
        const ControlState* gs = group ? set_.Find(group->objectName().toStdString()) : nullptr;
        if (gs && !gs->items.empty()) {
            const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            const qsizetype i = radios.indexOf(radio);
            if (i >= 0 && static_cast<size_t>(i) < gs->items.size()) {
                const QSignalBlocker b(radio);
                radio->setText(Q(gs->items[static_cast<size_t>(i)]));
            }
        }
    }
}

namespace {

// Colours the core sets go over the widget's design palette, kept on first use.
void ApplyColors(QWidget* w, const ControlState& s) {
    static const char* const kDesign = "morvaneDesignPalette";
    QVariant design = w->property(kDesign);
    if (!design.isValid()) {
        if (s.color == kNoColor && s.fontColor == kNoColor) return;  // nothing to colour yet
        design = QVariant::fromValue(w->palette());
        w->setProperty(kDesign, design);
    }
    QPalette p = design.value<QPalette>();
    const bool button = qobject_cast<QAbstractButton*>(w) != nullptr;
    if (s.color != kNoColor) {
        const QColor c(ColorName(s.color));
        p.setColor(QPalette::Window, c);
        p.setColor(QPalette::Button, c);
        if (!button || qobject_cast<QRadioButton*>(w)) w->setAutoFillBackground(true);
    } else if (!button) {
        w->setAutoFillBackground(false);
    }
    if (s.fontColor != kNoColor) {
        const QColor c(ColorName(s.fontColor));
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::ButtonText, c);
        p.setColor(QPalette::Text, c);
    }
    if (w->palette() != p) w->setPalette(p);
}

}  // namespace

void ControlBinder::ApplyState(QWidget* w, const ControlState& s, bool isRoot) {
    const QSignalBlocker block(w);
    const QString text = Q(s.text);
    if (isRoot) {
        if (w->windowTitle() != text) w->setWindowTitle(text);
        w->setEnabled(s.enabled);
        return;
    }
    w->setEnabled(s.enabled);
    if (w->isHidden() == s.visible) w->setVisible(s.visible);
    ApplyColors(w, s);

    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList items;
        items.reserve(static_cast<int>(s.items.size()));
        for (const auto& i : s.items) items << Q(i);
        bool same = combo->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = combo->itemText(i) == items[i];
        if (!same) {
            combo->clear();
            combo->addItems(items);
        }
        const int index = s.itemIndex < combo->count() ? s.itemIndex : -1;
        if (combo->currentIndex() != index) combo->setCurrentIndex(index);
        // An editable list shows its text while no item is selected (a typed
        // device path, or the design prompt).
        if (combo->isEditable() && index < 0 && combo->currentText() != text) combo->setEditText(text);
        return;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->title() != text) group->setTitle(text);
        if (group->isCheckable()) group->setChecked(s.checked);
        const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
        if (!radios.isEmpty()) {
            for (int i = 0; i < radios.size(); ++i) {
                const QSignalBlocker b(radios[i]);
                if (static_cast<size_t>(i) < s.items.size()) radios[i]->setText(Q(s.items[static_cast<size_t>(i)]));
                if (i == s.itemIndex) {
                    radios[i]->setChecked(true);
                } else if (radios[i]->isChecked()) {
                    // An exclusive group cannot uncheck its checked button directly.
                    radios[i]->setAutoExclusive(false);
                    radios[i]->setChecked(false);
                    radios[i]->setAutoExclusive(true);
                }
            }
        }
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text() != text) button->setText(text);
        if (button->isCheckable() && button->isChecked() != s.checked) {
            if (!s.checked && button->autoExclusive()) {
                button->setAutoExclusive(false);
                button->setChecked(false);
                button->setAutoExclusive(true);
            } else {
                button->setChecked(s.checked);
            }
        }
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != text) label->setText(text);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) edit->setText(text);
        return;
    }
}

ControlState ControlBinder::StateOf(const QWidget* w, bool isRoot) {
    ControlState s;
    if (isRoot) {
        s.text = w->windowTitle().toStdString();
        s.enabled = !w->testAttribute(Qt::WA_Disabled);
        return s;
    }
    s.enabled = !w->testAttribute(Qt::WA_Disabled);
    s.visible = !w->isHidden();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) s.items.push_back(combo->itemText(i).toStdString());
        s.itemIndex = combo->currentIndex();
        s.text = combo->currentText().toStdString();
    } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
        s.text = group->title().toStdString();
        s.checked = group->isCheckable() && group->isChecked();
        const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
        for (int i = 0; i < radios.size(); ++i) {
            if (radios[i]->isChecked()) s.itemIndex = i;
        }
    } else if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        s.text = button->text().toStdString();
        s.checked = button->isChecked();
    } else if (auto* label = qobject_cast<const QLabel*>(w)) {
        s.text = label->text().toStdString();
    } else if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
        s.text = edit->text().toStdString();
    }
    return s;
}

}  // namespace morvane
