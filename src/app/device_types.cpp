#include "app/device_types.h"

namespace morvane {

namespace {

const std::string& Name(const ProductNameList& names, int number) { return names[static_cast<size_t>(number - 1)]; }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string ProductTextFor(int deviceType, const ProductNameList& names) {
    switch (deviceType) {
    case 'H': return Name(names, 1);
    case 'N': {
        const std::string& base = Name(names, 1);
        return EndsWith(base, " 4G") ? base : base + " 4G";
    }
    case 'I': return Name(names, 2);
    case 'J': return Name(names, 3);
    case 'Q': return Name(names, 3) + "_4G";
    case 'K': return Name(names, 4);
    case 'O': return Name(names, 4) + " 4G";
    case 'L': return Name(names, 5);
    case 'P': return Name(names, 6);
    case '>': return "VUZ-AD8";
    case 'G': return "Ostrel";
    case 'd': return "WiFi-Gate-1";
    case 'e': return "WiFi-Gate-2";
    default: return {};
    }
}

bool StartOpensWindow(int deviceType) {
    switch (deviceType) {
    case 'H': case 'N': case 'I': case 'J': case 'P': case 'Q': case 'K': case 'O': case 'L': case '>':
        return true;
    default:
        return false;
    }
}

std::string WindowClassFor(int deviceType, bool doorTicked) {
    switch (deviceType) {
    case 'H': case 'N': case 'I': return doorTicked ? "Tdoor" : "TQ7Form1";
    case 'K': case 'O': return "TDPhone1";
    case '>': return "TQ7IO8";
    default: return "TQ7Form1";
    }
}

std::optional<DeviceTypeInfo> LookupDeviceType(int letter, const ProductNameList& names,
                                               const std::string& deviceFilter) {
    DeviceTypeInfo info;
    info.letter = letter;
    info.deviceType = letter;
    info.configuratorType = letter;
    switch (letter) {
    case 'H': case 'N': case 'I':
        info.window = StartWindow::DoorOrConfigurator;
        break;
    case 'J': case 'Q': case 'L': case 'P':
        info.window = StartWindow::Configurator;
        break;
    case 'K': case 'O':
        info.window = StartWindow::DoorPhone;
        break;
    case '>':
        info.window = StartWindow::Extension;
        break;
    case 'G':
        // The Ostrel module runs as a Tarvex in the launcher; the configurator
        // gets its own letter back when it opens.
        if (deviceFilter != "ALL") return std::nullopt;
        info.deviceType = 'H';
        info.configuratorType = 'G';
        info.firstText = "Ostrel module!";
        info.window = StartWindow::DoorOrConfigurator;
        break;
    case 'd':
        break;
    case 'e':
        info.deviceType = 'd';
        info.configuratorType = 'd';
        break;
    default:
        return std::nullopt;
    }
    info.productText = ProductTextFor(letter, names);
    return info;
}

}  // namespace morvane
