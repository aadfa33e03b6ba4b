#pragma once
// The device type table of the launcher: what the type letter of a device's
// answer (byte 3 of the six-byte answer to the probe) means, which product
// text the launcher shows for it, whether "Indít" (start) is offered, and
// which window start opens.
#include <array>
#include <optional>
#include <string>

namespace morvane {

// The window a device type opens on start.
enum class StartWindow {
    None,                // start stays disabled
    Configurator,        // "TQ7Form1"
    DoorOrConfigurator,  // "Tdoor" when the "door" box is ticked, else "TQ7Form1"
    DoorPhone,           // "TDPhone1"
    Extension,           // "TQ7IO8"
};

struct DeviceTypeInfo {
    int letter = 0;                 // the letter as answered
    int deviceType = 0;             // the launcher's DeviceType after detection ('H' for 'G', 'd' for 'e')
    int configuratorType = 0;       // the device type handed to the configurator ('G' for an Ostrel module)
    std::string productText;        // final text of Label10, Label3 and status panel 1
    std::string firstText;          // shown in Label10 before productText, or empty
    StartWindow window = StartWindow::None;
};

// The product names 1 to 6 (index 0 to 5).
using ProductNameList = std::array<std::string, 6>;

// The table entry of a type letter. deviceFilter is the launcher's device
// filter: the 'G' module is accepted only with "ALL". nullopt for a letter
// outside the table (and 'G' without "ALL").
std::optional<DeviceTypeInfo> LookupDeviceType(int letter, const ProductNameList& names,
                                               const std::string& deviceFilter);

// The product text of a device type for Label3 and the configurator's status
// bar when a window opens (empty for a type outside the table). 'N' gets " 4G"
// after product name 1 unless that name already ends in " 4G".
std::string ProductTextFor(int deviceType, const ProductNameList& names);

// True for the types whose start opens a window: H, N, I, J, P, Q, K, O, L, '>'.
bool StartOpensWindow(int deviceType);

// Class name of the window opened for a device type: "Tdoor" for H, N and I
// with the "door" box ticked, "TDPhone1" for K and O, "TQ7IO8" for '>', and
// the configurator "TQ7Form1" for every other type.
std::string WindowClassFor(int deviceType, bool doorTicked);

}  // namespace morvane
