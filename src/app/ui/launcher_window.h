#pragma once
// The launcher window (TForm1): language, connection type, port, device
// detection and start, the try rows. Every control carries its design name
// as objectName and follows the launcher's ControlSet; every user action is
// handed to the Launcher.
#include <QLabel>
#include <QWidget>

#include <functional>
#include <memory>

namespace morvane {

class Launcher;
class QtHost;
class ControlBinder;

// A label that reports a mouse click (panels and labels that act as buttons).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class LauncherWindow : public QWidget {
    Q_OBJECT
public:
    LauncherWindow(Launcher& launcher, QtHost& host, QWidget* parent = nullptr);
    ~LauncherWindow() override;

    // Try buttons by product number 1..6.
    static const char* TryButtonName(int product);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();
    void Connect();
    // Runs a launcher action, then lets the host see writes it made.
    void Act(const std::function<void()>& action);

    Launcher& launcher_;
    QtHost& host_;
    std::unique_ptr<ControlBinder> binder_;
    bool activated_ = false;
    bool closing_ = false;
};

}  // namespace morvane
