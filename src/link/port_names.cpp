#include "link/port_names.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace morvane {

namespace fs = std::filesystem;

namespace {

constexpr const char kComPrefix[] = "\\\\.\\";  // the "\\.\" prefix of long COM names
constexpr size_t kComPrefixLength = 4;

struct KindRule {
    const char* stem;
    const char* kind;
};

// Listing order: USB serial adapters, USB modems, Bluetooth, built-in ports.
constexpr KindRule kKinds[] = {
    {"ttyUSB", "USB serial"},
    {"ttyACM", "USB modem (ACM)"},
    {"rfcomm", "Bluetooth"},
    {"ttyS", "built-in"},
};

std::string DevDir() {
    const char* dir = std::getenv("MORVANE_DEV_DIR");
    return (dir && *dir) ? std::string(dir) : std::string("/dev");
}

bool AllDigits(const std::string& s, size_t from) {
    if (from >= s.size()) return false;
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// A built-in port node exists for every possible UART; only those with a
// driver and a known port type have hardware behind them. Reads the kernel's
// device tree only: opening a port could toggle its modem lines.
bool BuiltInPortPresent(const std::string& name) {
    std::error_code ec;
    const fs::path base = fs::path("/sys/class/tty") / name;
    if (!fs::exists(base / "device" / "driver", ec)) return false;
    std::ifstream type(base / "type");
    int portType = 0;
    if (!(type >> portType)) return false;
    return portType != 0;  // 0 is the unknown port type
}

// The /dev/serial/by-id names of the devices, keyed by their resolved path.
std::vector<std::pair<std::string, std::string>> ByIdNames(const std::string& dir) {
    std::vector<std::pair<std::string, std::string>> out;
    std::error_code ec;
    fs::directory_iterator it(fs::path(dir) / "serial" / "by-id", ec);
    if (ec) return out;
    for (const auto& entry : it) {
        std::error_code ec2;
        fs::path target = fs::weakly_canonical(entry.path(), ec2);
        if (ec2) continue;
        out.emplace_back(target.string(), entry.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

std::vector<SerialDevice> EnumerateSerialDevices() {
    const std::string dir = DevDir();
    const bool realDev = std::getenv("MORVANE_DEV_DIR") == nullptr || dir == "/dev";

    struct Found {
        size_t kindIndex;
        unsigned long number;
        SerialDevice device;
    };
    std::vector<Found> found;

    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) return {};
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        for (size_t k = 0; k < std::size(kKinds); ++k) {
            const std::string stem = kKinds[k].stem;
            if (name.compare(0, stem.size(), stem) != 0 || !AllDigits(name, stem.size())) continue;
            if (name.size() - stem.size() > 6) break;  // not a port number
            if (k == 3 && realDev && !BuiltInPortPresent(name)) break;
            Found f;
            f.kindIndex = k;
            f.number = std::strtoul(name.c_str() + stem.size(), nullptr, 10);
            f.device.path = (fs::path(dir) / name).string();
            f.device.kind = kKinds[k].kind;
            found.push_back(std::move(f));
            break;
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.kindIndex != b.kindIndex) return a.kindIndex < b.kindIndex;
        return a.number < b.number;
    });

    const auto byId = ByIdNames(dir);
    std::vector<SerialDevice> out;
    out.reserve(found.size());
    for (auto& f : found) {
        std::error_code ec2;
        const std::string canonical = fs::weakly_canonical(f.device.path, ec2).string();
        for (const auto& [target, idName] : byId) {
            if (target == canonical) {
                f.device.detail = idName;
                break;
            }
        }
        out.push_back(std::move(f.device));
    }
    return out;
}

bool IsDevicePath(const std::string& name) { return !name.empty() && name[0] == '/'; }

std::optional<int> ComNumber(const std::string& name) {
    size_t pos = 0;
    if (name.compare(0, kComPrefixLength, kComPrefix) == 0) pos = kComPrefixLength;
    if (name.compare(pos, 3, "COM") != 0) return std::nullopt;
    pos += 3;
    if (!AllDigits(name, pos) || name.size() - pos > 6) return std::nullopt;
    const int n = std::atoi(name.c_str() + pos);
    if (n < 1) return std::nullopt;
    return n;
}

std::string ComNameForNumber(int n) {
    if (n >= 10) return std::string(kComPrefix) + "COM" + std::to_string(n);
    return "COM" + std::to_string(n);
}

std::optional<std::string> ResolvePortName(const std::string& name) {
    if (IsDevicePath(name)) return name;
    const auto n = ComNumber(name);
    if (!n) return std::nullopt;
    const auto devices = EnumerateSerialDevices();
    if (static_cast<size_t>(*n) > devices.size()) return std::nullopt;
    return devices[static_cast<size_t>(*n) - 1].path;
}

std::string DisplayPortName(const std::string& name) {
    if (name.compare(0, kComPrefixLength, kComPrefix) == 0) return name.substr(kComPrefixLength);
    return name;
}

bool HasVirtualComPort() {
    for (const auto& d : EnumerateSerialDevices()) {
        if (d.kind == kKinds[0].kind || d.kind == kKinds[1].kind) return true;
    }
    return false;
}

}  // namespace morvane
