#pragma once
// The Qt side of the core's host interfaces: CoreTimers run on QTimers, serial
// ports are watched with QSocketNotifiers, messages and questions are message
// boxes, windows open through the window registry, and widgets follow the
// ControlStates of their objectName.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core_timer.h"
#include "app/view.h"
#include "link/async_comm.h"

class QSocketNotifier;
class QTimer;

namespace morvane {

// Runs one CoreTimer on a QTimer: interval and enabled state follow the
// core, a timeout calls Fire(). The timer's previous OnChanged hook is kept
// and restored when the binding ends.
class QtTimerBinding : public QObject {
    Q_OBJECT
public:
    QtTimerBinding(CoreTimer& timer, std::function<void()> afterFire, QObject* parent = nullptr);
    ~QtTimerBinding() override;
    CoreTimer& Timer() { return timer_; }
    bool Active() const;  // the QTimer runs
    int IntervalMs() const;

private:
    void Sync();

    CoreTimer& timer_;
    QTimer* qtimer_;
    std::function<void()> previous_;
    std::function<void()> afterFire_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Watches one serial port: read, write and exception notifiers on its
// descriptor, re-made whenever the port reports a new descriptor. Writability
// is watched only while the port wants it; Recheck() re-reads that after
// writes made outside HandleIo.
class QtPortBinding : public QObject {
    Q_OBJECT
public:
    explicit QtPortBinding(TAsynComm32& port, QObject* parent = nullptr);
    ~QtPortBinding() override;
    TAsynComm32& Port() { return port_; }
    void Recheck();

private:
    void Attach();
    void Detach();
    void Handle(bool fromWrite, bool fromException);

    TAsynComm32& port_;
    int fd_ = -1;
    QSocketNotifier* read_ = nullptr;
    QSocketNotifier* write_ = nullptr;
    QSocketNotifier* exception_ = nullptr;
    QTimer* txCheck_;
    std::function<void()> previous_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// All timers and ports of the core objects the program runs. The timers and
// ports must outlive the host (its bindings restore their hooks on the way out).
class QtHost : public QObject {
    Q_OBJECT
public:
    explicit QtHost(QObject* parent = nullptr);
    ~QtHost() override;
    void AddTimer(CoreTimer& timer);
    void AddTimers(const std::vector<CoreTimer*>& timers);
    void AddPort(TAsynComm32& port);
    // Re-reads what every port wants (after writes from a widget handler).
    void Recheck();
    QtTimerBinding* FindTimer(const CoreTimer& timer) const;

private:
    std::vector<std::unique_ptr<QtTimerBinding>> timers_;
    std::vector<std::unique_ptr<QtPortBinding>> ports_;
    QTimer* safety_;
};

// Messages and questions as modal dialogs. They run a nested event loop, so
// the core's timers and ports keep going while they are open.
class QtView : public View {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Message(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                      const std::string& initial) override;

private:
    QPointer<QWidget> parent_;
};

// Windows of the fixed window set by class name.
class QtShell : public Shell {
public:
    void Register(const std::string& className, QWidget* window) { windows_[className] = window; }
    QWidget* Window(const std::string& className) const;
    void ShowWindow(const std::string& className) override;
    void HideWindow(const std::string& className) override;
    void ShowModal(const std::string& className) override;
    void OpenUrl(const std::string& url) override;
    void OpenDeviceManager() override;
    void Quit() override;

    // Called after a window was shown through ShowWindow (windows refresh).
    std::function<void(const std::string&)> OnShown;

private:
    std::map<std::string, QPointer<QWidget>> windows_;
};

// Makes the widgets under root follow the ControlStates of their objectName:
// text or caption, enabled, visible, checked, background and text colour,
// list items and selected item. The root itself stands for the control named
// rootName (its window title). Names the set does not know yet are seeded
// from the widgets' design state first, so the core sees the design captions.
// Re-applies a control whenever ControlSet::OnChanged reports it; the hook
// that was there before is kept.
class ControlBinder : public QObject {
    Q_OBJECT
public:
    ControlBinder(QWidget* root, ControlSet& set, QObject* parent = nullptr);
    ~ControlBinder() override;
    // Applies every known control again.
    void ApplyAll();
    void Apply(const std::string& name);

    // Applies one state to one widget (signals of the widget blocked).
    static void ApplyState(QWidget* w, const ControlState& state, bool isRoot);
    // The widget's own state, as seeded into the set.
    static ControlState StateOf(const QWidget* w, bool isRoot);

private:
    void Collect();

    QPointer<QWidget> root_;
    ControlSet& set_;
    std::multimap<std::string, QPointer<QWidget>> widgets_;
    std::function<void(const std::string&)> previous_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// "#RRGGBB" of a core colour.
QString ColorName(uint32_t rgb);

}  // namespace morvane
