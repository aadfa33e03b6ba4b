#include "app/ui/usbset_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/launcher.h"
#include "link/port_names.h"

namespace morvane {

UsbSetWindow::UsbSetWindow(Launcher& launcher, QWidget* parent) : QWidget(parent), launcher_(launcher) {
    setObjectName(QStringLiteral("TUSBset"));
    setWindowTitle(QStringLiteral("USBset"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    auto* label = new QLabel(QStringLiteral("Virtuális COM:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("ComboBox1"));
    list_->setMinimumContentsLength(20);
    auto* save = new QPushButton(QStringLiteral("Mentés"), this);
    save->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(label, 0, 0);
    layout->addWidget(list_, 0, 1);
    layout->addWidget(save, 1, 1, Qt::AlignRight);
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    adjustSize();
}

void UsbSetWindow::Fill() {
    const QString current = list_->currentText();
    list_->clear();
    for (const std::string& name : Launcher::VirtualComPorts()) list_->addItem(QString::fromStdString(name));
    for (const SerialDevice& d : EnumerateSerialDevices()) list_->addItem(QString::fromStdString(d.path));
    const int keep = list_->findText(current);
    if (keep >= 0) list_->setCurrentIndex(keep);
}

bool UsbSetWindow::Save() {
    if (!launcher_.UsbSetSave(list_->currentText().toStdString())) return false;
    close();
    return true;
}

void UsbSetWindow::showEvent(QShowEvent* event) {
    Fill();
    QWidget::showEvent(event);
}

}  // namespace morvane
