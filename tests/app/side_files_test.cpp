#include "app/side_files.h"

#include "app/configurator.h"
#include "app/settings_store.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "support/test_support.h"

namespace morvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

const std::string kBuiltIn = "http://relay.example/prog/control_prog.php/";

TEST(SideFiles, SpecFuncLines) {
    struct Case {
        const char* content;  // nullptr: no file
        bool special;
        const char* port;
    };
    const Case cases[] = {
        {nullptr, false, ""},
        {"", false, ""},
        {"KRVSTQ", true, ""},
        {"KRVSTQ\r\n", true, ""},
        {"KRVSTQ\r\nCOM5\r\n", true, "COM5"},
        {"other\nCOM12", false, "COM12"},
        {"\n\\\\.\\COM14\n", false, ""},  // the override names a COM port or a device
        {"x\n/dev/ttyUSB0  \n", false, "/dev/ttyUSB0"},
        {"x\n\nCOM3\n", false, ""},
        {"krvstq\nttyS0\n", false, ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.content) WriteFile(dir.File("specfunc.txt"), c.content);
        SpecFunc f = ReadSpecFunc(dir.Path());
        const char* shown = c.content ? c.content : "(missing)";
        EXPECT_EQ(f.specialCommands, c.special) << shown;
        EXPECT_EQ(f.portOverride, c.port) << shown;
    }
}

TEST(SideFiles, ServerIpOnlyAcceptsPlainHttp) {
    struct Case {
        const char* content;  // nullptr: no file
        std::string url;
        std::string message;
    };
    const Case cases[] = {
        {nullptr, kBuiltIn, ""},
        {"http://10.0.0.5/prog/control_prog.php/\r\nsecond line\r\n", "http://10.0.0.5/prog/control_prog.php/", ""},
        {"https://relay.example/prog/\n", kBuiltIn, "BAD IP: https://relay.example/prog/"},
        {"HTTP://relay.example/\n", kBuiltIn, "BAD IP: HTTP://relay.example/"},
        {"http:/x\n", kBuiltIn, "BAD IP: http:/x"},
        {"", kBuiltIn, "BAD IP: "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.content) WriteFile(dir.File("serverIP.txt"), c.content);
        RelayChoice r = ReadServerIp(dir.Path(), kBuiltIn);
        EXPECT_EQ(r.url, c.url) << (c.content ? c.content : "(missing)");
        EXPECT_EQ(r.message, c.message) << (c.content ? c.content : "(missing)");
    }
}

TEST(SideFiles, TextLinesReadEitherEndingAndWriteCrLf) {
    TempDir dir;
    WriteFile(dir.File("a.txt"), "\xEF\xBB\xBFone\r\ntwo\nthree");
    auto lines = ReadTextLines(dir.File("a.txt"));
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_FALSE(ReadTextLines(dir.File("missing.txt")));
    ASSERT_TRUE(WriteTextLines(dir.File("b.txt"), {"x", "", "ű"}));
    EXPECT_EQ(ReadFile(dir.File("b.txt")), "x\r\n\r\nű\r\n");
}

TEST(SideFiles, BaseWavIsTheSilentSound) {
    TempDir dir;
    WriteFile(dir.File("base.wav"), "damaged");
    ASSERT_TRUE(WriteBaseWav(dir.Path()));
    const std::string b = ReadFile(dir.File("base.wav"));
    ASSERT_EQ(b.size(), 844u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4), 836u);
    EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(b, 16, 4), 16u);    // format chunk size
    EXPECT_EQ(Le(b, 20, 2), 1u);     // PCM
    EXPECT_EQ(Le(b, 22, 2), 1u);     // mono
    EXPECT_EQ(Le(b, 24, 4), 8000u);  // samples per second
    EXPECT_EQ(Le(b, 28, 4), 8000u);  // bytes per second
    EXPECT_EQ(Le(b, 32, 2), 1u);     // block align
    EXPECT_EQ(Le(b, 34, 2), 8u);     // bits per sample
    EXPECT_EQ(b.substr(36, 4), "data");
    EXPECT_EQ(Le(b, 40, 4), 800u);
    EXPECT_EQ(b.substr(44), std::string(800, '\x80'));
    EXPECT_EQ(std::string(BaseWavBytes().begin(), BaseWavBytes().end()), b);
}

TEST(SideFiles, SoundFilesAreCreatedOnlyWhenMissing) {
    TempDir dir;
    WriteFile(dir.File("sound2.wav"), "my recording");
    WriteFile(dir.File("sound7.wav"), "");
    auto slots = PrepareSoundFolder(dir.Path());
    const std::string base = ReadFile(dir.File("base.wav"));
    ASSERT_EQ(base.size(), 844u);
    for (int s = 1; s <= 7; ++s) {
        const bool had = s == 2 || s == 7;
        EXPECT_EQ(slots[static_cast<size_t>(s - 1)].existed, had) << s;
        EXPECT_EQ(slots[static_cast<size_t>(s - 1)].created, !had) << s;
        if (!had) {
            EXPECT_EQ(ReadFile(dir.File(SoundFileName(s))), base) << s;
        }
    }
    EXPECT_EQ(ReadFile(dir.File("sound2.wav")), "my recording");
    EXPECT_EQ(ReadFile(dir.File("sound7.wav")), "");

    // The next activation finds all seven and changes none.
    WriteFile(dir.File("sound1.wav"), "recorded later");
    slots = PrepareSoundFolder(dir.Path());
    for (const SoundSlot& s : slots) {
        EXPECT_TRUE(s.existed);
        EXPECT_FALSE(s.created);
    }
    EXPECT_EQ(ReadFile(dir.File("sound1.wav")), "recorded later");
    // Only the expected files are in the folder (no temporaries left).
    int count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++count;
    EXPECT_EQ(count, 8);
}

TEST(SideFiles, SoundFilesInMissingFolderFail) {
    TempDir dir;
    auto slots = PrepareSoundFolder(dir.File("gone"));
    for (const SoundSlot& s : slots) EXPECT_FALSE(s.existed || s.created);
}

std::chrono::system_clock::time_point TodayAt(int h, int m, int s, int ms) {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t)) + std::chrono::milliseconds(ms);
}

TEST(SideFiles, HttpLogIsAppendedOnlyWhenPresent) {
    TempDir dir;
    const auto when = TodayAt(1, 2, 3, 45);
    EXPECT_FALSE(AppendHttpLog(dir.Path(), "POST c=0000FF0001FE", std::nullopt, when));
    EXPECT_FALSE(std::filesystem::exists(dir.File("LOGhttp.txt")));

    WriteFile(dir.File("LOGhttp.txt"), "earlier\r\n");
    EXPECT_TRUE(AppendHttpLog(dir.Path(), "POST c=0000FF0001FE", std::nullopt, when));
    EXPECT_TRUE(AppendHttpLog(dir.Path(), "reply P400\r\nsecond", 110, TodayAt(23, 59, 59, 999)));
    EXPECT_EQ(ReadFile(dir.File("LOGhttp.txt")),
              "earlier\r\n"
              "3723.045//POST c=0000FF0001FE\r\n"
              "86399.999//reply P400 second TXcel:110\r\n");
    EXPECT_EQ(FormatHttpLogLine(TodayAt(0, 0, 0, 7), "x"), "0.007//x");
}

TEST(SideFiles, VoiceMenuFollowsLanguage) {
    EXPECT_EQ(VoiceMenuFileName("4"), "MENU_IT.wav");
    EXPECT_EQ(VoiceMenuFileName("0"), "MENU_HU.wav");
    EXPECT_EQ(VoiceMenuFileName("1"), "MENU_EN.wav");
    EXPECT_EQ(VoiceMenuFileName(""), "MENU_EN.wav");
}

}  // namespace
}  // namespace morvane


namespace morvane {
namespace {

// The configurator's activation rewrites "base.wav", marks the slots whose
// sound file exists as "Internal" and fills in the settings left empty.
TEST(ConfiguratorActivation, PreparesTheSoundSlotsAndTheStartValues) {
    test::TempDir dir;
    test::ScopedEnv store("MORVANE_SETTINGS", dir.File("settings.ini"));
    {
        std::FILE* f = std::fopen(dir.File("sound3.wav").c_str(), "wb");
        std::fputs("not really a sound", f);
        std::fclose(f);
        f = std::fopen(dir.File("base.wav").c_str(), "wb");  // a damaged base sound is rewritten
        std::fputs("x", f);
        std::fclose(f);
    }
    Configurator form(RegistryKey());
    form.Activate(dir.Path());
    EXPECT_EQ(test::ReadFile(dir.File("base.wav")).size(), 844u);
    EXPECT_EQ(test::ReadFile(dir.File("sound3.wav")), "not really a sound");
    EXPECT_EQ(test::ReadFile(dir.File("sound1.wav")).size(), 844u);
    EXPECT_EQ(form.Controls()["Edit13"].text, "Internal");  // slot 3
    EXPECT_EQ(form.Controls()["Edit16"].text, "");          // slot 1 was created now
    EXPECT_EQ(SettingsStore::Read(RegistryKey(), "mode"), "0");
    EXPECT_EQ(SettingsStore::Read(RegistryKey(), "company"), "Qal");
    EXPECT_EQ(SettingsStore::Read(RegistryKey(), "monitor"), "2");
}

}  // namespace
}  // namespace morvane
