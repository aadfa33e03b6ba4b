#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/window_set.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

TEST(Startup, RegistryKeyAndRelayAddress) {
    EXPECT_EQ(RegistryKey(), "\\software\\GSM\\Morvane");
    EXPECT_EQ(BuiltInRelayUrl.rfind("http://", 0), 0u);
    EXPECT_TRUE(BuiltInRelayUrl.ends_with("/prog/control_prog.php/"));
}

TEST(Startup, ComPortListHolds512Names) {
    auto items = MakeComPortItems();
    ASSERT_EQ(items.size(), 512u);
    EXPECT_EQ(items.front(), "COM1");
    EXPECT_EQ(items[9], "COM10");
    EXPECT_EQ(items.back(), "COM512");
}

TEST(Startup, InstanceNumberStaysInRange) {
    std::set<int32_t> seen;
    for (int i = 0; i < 200; ++i) {
        int32_t n = DrawInstanceNumber();
        ASSERT_GE(n, 0);
        ASSERT_LT(n, InstanceNumberLimit);
        seen.insert(n);
    }
    EXPECT_GT(seen.size(), 150u);  // a fresh seed per start, not one fixed number
}

TEST(Startup, StartDirectoryChoice) {
    TempDir dir;
    ScopedEnv home("HOME", dir.File("home"));
    {
        ScopedEnv env("MORVANE_START_DIR", dir.File("env") + "//");
        EXPECT_EQ(ResolveStartDirectory(dir.File("opt")), dir.File("env"));
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("env")));
    }
    ScopedEnv noEnv("MORVANE_START_DIR", std::nullopt);
    EXPECT_EQ(ResolveStartDirectory(dir.File("opt/")), dir.File("opt"));
    {
        ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
        EXPECT_EQ(ResolveStartDirectory(), dir.File("data/morvane"));
    }
    ScopedEnv noData("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(ResolveStartDirectory(), dir.File("home/.local/share/morvane"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("home/.local/share/morvane")));
}

TEST(Startup, CommandLineStartDirOption) {
    auto a = ParseCommandLine({"ADMIN", "--start-dir", "/srv/m"});
    EXPECT_EQ(a.startDir, "/srv/m");
    EXPECT_EQ(a.args, std::vector<std::string>{"ADMIN"});
    auto b = ParseCommandLine({"--start-dir=/x", "OSTREL"});
    EXPECT_EQ(b.startDir, "/x");
    EXPECT_EQ(b.args, std::vector<std::string>{"OSTREL"});
    auto c = ParseCommandLine({"OSTREL"});
    EXPECT_FALSE(c.startDir);
}

TEST(Startup, ValuesReadTheSideFiles) {
    TempDir dir;
    ScopedEnv env("MORVANE_START_DIR", dir.Path());
    StartupValues plain = ComputeStartupValues();
    EXPECT_EQ(plain.StartDirectory, dir.Path());
    EXPECT_EQ(plain.PortOverride, "");
    EXPECT_EQ(plain.RelayUrl, BuiltInRelayUrl);
    EXPECT_EQ(plain.RelayMessage, "");
    EXPECT_EQ(plain.ComPortItems.size(), 512u);

    WriteFile(dir.File("specfunc.txt"), "KRVSTQ\r\nCOM4\r\n");
    WriteFile(dir.File("serverIP.txt"), "https://relay.example/\r\n");
    StartupValues v = ComputeStartupValues();
    EXPECT_EQ(v.PortOverride, "COM4");
    EXPECT_EQ(v.RelayUrl, BuiltInRelayUrl);
    EXPECT_EQ(v.RelayMessage, "BAD IP: https://relay.example/");
}

TEST(WindowSet, CreationOrder) {
    const auto& w = WindowSet();
    ASSERT_EQ(w.size(), 37u);
    EXPECT_EQ(w.front().className, "TForm1");
    EXPECT_EQ(w.front().caption, "GSM read");
    EXPECT_EQ(w[10].className, "TQ7Form1");
    EXPECT_EQ(w[10].caption, "Morvane Firmware:");
    EXPECT_EQ(w.back().className, "THELPweb");
    std::set<std::string_view> names;
    for (size_t i = 0; i < w.size(); ++i) {
        EXPECT_EQ(w[i].index, static_cast<int>(i) + 1);
        EXPECT_TRUE(names.insert(w[i].className).second) << w[i].className;
    }
    const WindowInfo* usb = FindWindowInfo("TUSBset");
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->index, 35);
    EXPECT_EQ(FindWindowInfo("TNoSuch"), nullptr);
}

}  // namespace
}  // namespace morvane
