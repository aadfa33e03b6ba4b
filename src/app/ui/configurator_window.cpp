#include "app/ui/configurator_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/configurator.h"
#include "app/ui/qt_host.h"

namespace morvane {

ConfiguratorWindow::ConfiguratorWindow(Configurator& configurator, QWidget* parent)
    : QMainWindow(parent), cfg_(configurator), refresh_(new QTimer(this)) {
    setObjectName(QStringLiteral("TQ7Form1"));
    setWindowTitle(QStringLiteral("Morvane Firmware:"));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Pages"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(24, 24, 24, 24);
    product_ = new QLabel(central);
    product_->setObjectName(QStringLiteral("ProductText"));
    QFont big = product_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product_->setFont(big);
    product_->setAlignment(Qt::AlignCenter);
    mode_ = new QLabel(central);
    mode_->setObjectName(QStringLiteral("ModeText"));
    mode_->setAlignment(Qt::AlignCenter);
    layout->addStretch(1);
    layout->addWidget(product_);
    layout->addWidget(mode_);
    layout->addStretch(1);
    setCentralWidget(central);

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
    statusBar()->setSizeGripEnabled(true);

    binder_ = std::make_unique<ControlBinder>(this, cfg_.Controls());
    refresh_->setInterval(200);
    connect(refresh_, &QTimer::timeout, this, &ConfiguratorWindow::Refresh);
    resize(800, 600);
    Refresh();
}

ConfiguratorWindow::~ConfiguratorWindow() = default;

void ConfiguratorWindow::Refresh() {
    for (size_t i = 0; i < panels_.size(); ++i) {
        const QString text = QString::fromStdString(cfg_.StatusPanels[i]);
        if (panels_[i]->text() != text) panels_[i]->setText(text);
    }
    const QString product = QString::fromStdString(cfg_.ProductText());
    if (product_->text() != product) product_->setText(product);
    const QString mode = cfg_.DemoMode ? QStringLiteral("Demo mode: no device connected")
                                       : QStringLiteral("Device connected");
    if (mode_->text() != mode) mode_->setText(mode);
}

void ConfiguratorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Refresh();
    refresh_->start();
}

void ConfiguratorWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    refresh_->stop();
}

void ConfiguratorWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (OnClosed) QTimer::singleShot(0, this, [this] { if (OnClosed) OnClosed(); });
}

}  // namespace morvane
