#pragma once
// The configurator window (TQ7Form1): a main window with a four-panel status
// bar. Its pages come later; for now the centre shows the product and whether
// the window runs without a device (demo mode).
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace morvane {

class Configurator;
class ControlBinder;

class ConfiguratorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ConfiguratorWindow(Configurator& configurator, QWidget* parent = nullptr);
    ~ConfiguratorWindow() override;

    // Copies the status panels, the product text and the demo state into the
    // window (also done by a timer while the window is shown).
    void Refresh();

    // Runs after the user closed the window.
    std::function<void()> OnClosed;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Configurator& cfg_;
    std::array<QLabel*, 4> panels_{};
    QLabel* product_;
    QLabel* mode_;
    QTimer* refresh_;
    std::unique_ptr<ControlBinder> binder_;
};

}  // namespace morvane
