// The link timer: opens the port when a sequence starts, counts the reply
// wait down, re-sends the current request when it runs out and closes the
// port after the idle wait.
#include <chrono>
#include <ctime>

#include "app/settings_store.h"
#include "app/settings_values.h"
#include "link/link.h"
#include "link/port_names.h"

namespace morvane {

std::string DeviceLink::LinkPortName() const {
    if (PortOverride.rfind("COM", 0) == 0 || IsDevicePath(PortOverride)) return PortOverride;
    std::string name = Settings::Raw(setting::ComPort);
    return name.empty() ? std::string("COM1") : name;
}

void DeviceLink::CloseLink() {
    LinkOpen = false;
    port_.SetBaudRate(BaseRate());
    if (form_.ConnectionType == 2 && OnRelayStart) OnRelayStart();
    port_.Close();
}

// While a built-in firmware image is newer than the device's, the label
// "Van új elérhető firmware!" blinks (every sixth tick it turns on or off)
// beside a visible "Firmware" button; otherwise both stay hidden. The hint
// lasts until a version answer says the device is up to date.
void DeviceLink::ShowFirmwareHint() {
    ControlSet& c = form_.Controls();
    hintLit_ = NewFirmwareHint && !hintLit_;
    const ControlState* label = c.Find(linkctl::NewFirmwareLabel);
    if (!label || label->text.empty()) c.SetText(linkctl::NewFirmwareLabel, "Van új elérhető firmware!");
    c.SetVisible(linkctl::NewFirmwareLabel, hintLit_);
    c.SetVisible(linkctl::FirmwareButton, NewFirmwareHint);
}

void DeviceLink::AdasTimer() {
    ControlSet& c = form_.Controls();
    ShowState();
    if (LockedState != 0) return;
    c.SetText(linkctl::StateLabel2, "TXcel: " + std::to_string(TxCel));
    if (--hintCountdown_ < 0) {
        hintCountdown_ = 5;
        ShowFirmwareHint();
    }
    {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
        c.SetText(linkctl::ClockLabel, text);
        const ControlState* client = c.Find(linkctl::ClientEdit);
        c.SetText(linkctl::ClientLabel, std::string("Client:") + " " + (client ? client->text : std::string()));
    }
    if (TxCel >= 400 && TxCel <= 420) form_.StatusPanels[3] = "VoLTE: " + std::to_string(TxCel);
    if (!form_.PortHandedOver) return;
    if (VersionMessagePending) {
        VersionMessagePending = false;
        // The number the device reported, also when the "ALL" selection
        // shapes the pages as for a newer firmware.
        const int v = reportedVersion_;
        view_.Message("Software version of the module:" + std::to_string(v / 10) + "." + std::to_string(v % 10));
    }
    if (TxCel == 0) {
        if (!LinkOpen) return;
        if (SequencerWait != 0) {
            --SequencerWait;
            return;
        }
        CloseLink();
        return;
    }
    if (!LinkOpen) {
        LinkOpen = true;
        const std::string name = LinkPortName();
        port_.SetDeviceName(name);
        if (!Transport) port_.Open();
        form_.StatusPanels[0] = DisplayPortName(name);
    }
    adas_.SetInterval(At256k() ? 5 : 50);
    if (SequencerWait != 0) {
        --SequencerWait;
        return;
    }
    if (TxCel != 130 && TxCel != 403) RxCount = 0;
    SequencerStep();
    ++ResendCount;
    c.SetText(linkctl::ResendLabel, "TX_re_semd: " + std::to_string(ResendCount));
}

}  // namespace morvane
