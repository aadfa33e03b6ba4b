#pragma once
// The virtual COM port chooser (TUSBset): the USB serial ports by COM name and
// every serial device by path; "Mentés" hands the choice to the launcher.
#include <QWidget>

class QComboBox;

namespace morvane {

class Launcher;

class UsbSetWindow : public QWidget {
    Q_OBJECT
public:
    explicit UsbSetWindow(Launcher& launcher, QWidget* parent = nullptr);
    // Lists the ports again.
    void Fill();
    // "Mentés": true when the launcher took the name (the window then closes).
    bool Save();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Launcher& launcher_;
    QComboBox* list_;
};

}  // namespace morvane
