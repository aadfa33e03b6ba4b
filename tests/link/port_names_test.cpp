#include "link/port_names.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;

void Touch(const std::string& path) { std::ofstream(path).put('\0'); }

TEST(PortNames, ComNamesAndNumbers) {
    const struct {
        int n;
        std::string name;
    } stored[] = {{1, "COM1"}, {9, "COM9"}, {10, "\\\\.\\COM10"}, {12, "\\\\.\\COM12"}, {512, "\\\\.\\COM512"}};
    for (const auto& c : stored) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComNameForNumber(c.n), c.name);
        EXPECT_EQ(ComNumber(c.name), c.n);
    }
    for (int n = 1; n <= 512; ++n) ASSERT_EQ(ComNumber(ComNameForNumber(n)), n);

    const struct {
        std::string name;
        std::optional<int> n;
    } parsed[] = {
        {"COM10", 10},       {"\\\\.\\COM3", 3}, {"com3", std::nullopt}, {"COM", std::nullopt},
        {"COM3a", std::nullopt}, {"COMx", std::nullopt}, {"COM0", std::nullopt}, {"", std::nullopt},
        {" COM3", std::nullopt}, {"\\\\.\\", std::nullopt}, {"/dev/ttyUSB0", std::nullopt},
        {"COM99999999999", std::nullopt},
    };
    for (const auto& c : parsed) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComNumber(c.name), c.n);
    }

    EXPECT_EQ(DisplayPortName("\\\\.\\COM12"), "COM12");
    EXPECT_EQ(DisplayPortName("COM3"), "COM3");
    EXPECT_EQ(DisplayPortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_TRUE(IsDevicePath("/dev/pts/3"));
    EXPECT_FALSE(IsDevicePath("COM3"));
    EXPECT_FALSE(IsDevicePath(""));
}

TEST(PortNames, DevicesAreListedByKindThenNumberAndResolveAsComPorts) {
    TempDir dev;
    for (const char* name : {"ttyS10", "ttyUSB10", "rfcomm0", "ttyUSB2", "ttyS2", "ttyACM0", "ttyUSB0", "ttyS0",
                             // not serial ports of ours
                             "tty0", "ttyUSB", "ttyUSBx", "ttyACM1.lock", "ptmx", "null"}) {
        Touch(dev.File(name));
    }
    std::filesystem::create_directories(dev.File("serial/by-id"));
    std::filesystem::create_symlink("../../ttyUSB2", dev.File("serial/by-id/usb-Adapter_A1-if00-port0"));
    ScopedEnv env("MORVANE_DEV_DIR", dev.Path());

    const auto devices = EnumerateSerialDevices();
    const struct {
        const char* name;
        const char* kind;
        const char* detail;
    } expected[] = {
        {"ttyUSB0", "USB serial", ""},       {"ttyUSB2", "USB serial", "usb-Adapter_A1-if00-port0"},
        {"ttyUSB10", "USB serial", ""},      {"ttyACM0", "USB modem (ACM)", ""},
        {"rfcomm0", "Bluetooth", ""},        {"ttyS0", "built-in", ""},
        {"ttyS2", "built-in", ""},           {"ttyS10", "built-in", ""},
    };
    ASSERT_EQ(devices.size(), std::size(expected));
    for (size_t i = 0; i < devices.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(devices[i].path, dev.File(expected[i].name));
        EXPECT_EQ(devices[i].kind, expected[i].kind);
        EXPECT_EQ(devices[i].detail, expected[i].detail);
        EXPECT_EQ(ResolvePortName(ComNameForNumber(static_cast<int>(i) + 1)), dev.File(expected[i].name));
    }
    EXPECT_EQ(ResolvePortName("COM3"), dev.File("ttyUSB10"));
    EXPECT_EQ(ResolvePortName("\\\\.\\COM3"), dev.File("ttyUSB10"));
    EXPECT_EQ(ResolvePortName("COM9"), std::nullopt);
    EXPECT_EQ(ResolvePortName("\\\\.\\COM10"), std::nullopt);
    EXPECT_EQ(ResolvePortName("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(ResolvePortName("ttyUSB0"), std::nullopt);
    EXPECT_TRUE(HasVirtualComPort());
}

TEST(PortNames, VirtualComPortNeedsAUsbDevice) {
    const struct {
        std::vector<std::string> files;
        bool expected;
    } cases[] = {
        {{}, false},
        {{"rfcomm0", "ttyS0"}, false},
        {{"rfcomm0", "ttyACM3"}, true},
        {{"ttyUSB7"}, true},
    };
    for (const auto& c : cases) {
        TempDir dev;
        for (const auto& f : c.files) Touch(dev.File(f));
        ScopedEnv env("MORVANE_DEV_DIR", dev.Path());
        EXPECT_EQ(HasVirtualComPort(), c.expected) << c.files.size();
    }
    ScopedEnv missing("MORVANE_DEV_DIR", "/nonexistent-morvane-dev");
    EXPECT_TRUE(EnumerateSerialDevices().empty());
    EXPECT_EQ(ResolvePortName("COM1"), std::nullopt);
}

}  // namespace
}  // namespace morvane
