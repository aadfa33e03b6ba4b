#pragma once
// Port names on Linux.
//
// The program keeps the COM-style names of its settings and lists ("COM1" to
// "COM512", "\\.\COM10" from port 10 on) and accepts a device path ("/dev/...")
// wherever a port name is taken. A COM name is resolved to a device through
// the system's serial device list: COMn is the n-th entry of that list, in a
// stable order by kind and number (USB serial, ACM modems, Bluetooth RFCOMM,
// then built-in ports that have hardware behind them). Pseudo-terminals are
// never listed; they are used by path.
#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct SerialDevice {
    std::string path;    // "/dev/ttyUSB0"
    std::string kind;    // "USB serial", "USB modem (ACM)", "Bluetooth", "built-in"
    std::string detail;  // product or by-id name where known, else empty
};

// The system's serial devices in COM order. The directory scanned is /dev
// unless MORVANE_DEV_DIR names another (used by the tests).
std::vector<SerialDevice> EnumerateSerialDevices();

// True for a device path ("/..."), false for a COM name.
bool IsDevicePath(const std::string& name);

// "\\.\COM12" -> 12, "COM3" -> 3, anything else -> nullopt.
std::optional<int> ComNumber(const std::string& name);

// The stored form of port n: "COM1".."COM9", "\\.\COM10" and up.
std::string ComNameForNumber(int n);

// The device path a port name opens: a path is itself; "COMn" (with or
// without "\\.\") is the n-th listed device; nullopt when there is none.
std::optional<std::string> ResolvePortName(const std::string& name);

// A port name as shown to the user: without a leading "\\.\".
std::string DisplayPortName(const std::string& name);

// True when a USB serial or ACM device exists (enables "USB connection").
bool HasVirtualComPort();

}  // namespace morvane
