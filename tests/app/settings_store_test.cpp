#include "app/settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/settings_values.h"
#include "app/startup.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class StoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("cfg/settings.ini");  // folder created by the first write
    ScopedEnv env{"MORVANE_SETTINGS", file};
    const std::string key = RegistryKey();
};

TEST_F(StoreTest, FileLocationFollowsEnvironment) {
    EXPECT_EQ(SettingsStore::FilePath(), file);
    ScopedEnv none("MORVANE_SETTINGS", std::nullopt);
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/conf");
        EXPECT_EQ(SettingsStore::FilePath(), "/xdg/conf/morvane/settings.ini");
    }
    ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(SettingsStore::FilePath(), "/home/someone/.config/morvane/settings.ini");
}

TEST_F(StoreTest, AnyTextRoundTrips) {
    struct Case { std::string name, value; };
    const Case cases[] = {
        {"comport", "\\\\.\\COM12"},
        {"empty", ""},
        {"equals", "a=b==c"},
        {"lines", "first\nsecond\r\nthird\r"},
        {"slashes", "\\n is not a newline\\"},
        {"hexlike", "\\x41 stays"},
        {"utf8", "Árvíztűrő tükörfúrógép – Slovenčina"},
        {"control", std::string("a\0b\x01\x7F\t", 6)},
        {"spaces", "  padded  "},
        {"section", "[\\software\\GSM\\Other]"},
        {"comment", "; not a comment"},
        {"we=ird [name]", "#value"},
        {"[starts", "x"},
        {"#hash;semi", "y"},
        {"Nyelv ő", "z"},
    };
    for (const Case& c : cases) ASSERT_TRUE(SettingsStore::Write(key, c.name, c.value)) << c.name;
    for (const Case& c : cases) EXPECT_EQ(SettingsStore::Read(key, c.name), c.value) << c.name;

    const std::string content = ReadFile(file);
    EXPECT_NE(content.find("[\\software\\GSM\\Morvane]\r\n"), std::string::npos);
    EXPECT_NE(content.find("equals=a=b==c\r\n"), std::string::npos);
    EXPECT_EQ(content.find("\n\n"), std::string::npos);  // every line ends with CR LF
    for (size_t i = content.find('\n'); i != std::string::npos; i = content.find('\n', i + 1))
        EXPECT_EQ(content[i - 1], '\r');
}

TEST_F(StoreTest, MissingFileKeyOrValueReadsEmpty) {
    EXPECT_EQ(SettingsStore::Read(key, "comport"), "");
    ASSERT_TRUE(SettingsStore::Write(key, "comport", "COM3"));
    EXPECT_EQ(SettingsStore::Read(key, "Language"), "");
    EXPECT_EQ(SettingsStore::Read("\\software\\GSM\\Other", "comport"), "");
    EXPECT_EQ(SettingsStore::Read(key, "comport"), "COM3");
    // Registry semantics: names and keys ignore ASCII case.
    EXPECT_EQ(SettingsStore::Read("\\SOFTWARE\\gsm\\morvane", "COMPORT"), "COM3");
    // A key path that cannot be a section line is refused.
    EXPECT_FALSE(SettingsStore::Write("bad\nkey", "a", "b"));
    EXPECT_EQ(SettingsStore::Read("bad\nkey", "a"), "");
}

TEST_F(StoreTest, ReadSeesExternalEdits) {
    ASSERT_TRUE(SettingsStore::Write(key, "Language", "1"));
    EXPECT_EQ(SettingsStore::Read(key, "Language"), "1");
    WriteFile(file, "[\\software\\GSM\\Morvane]\nLanguage=4\nmode=ZARIR\n");  // LF endings, edited by hand
    EXPECT_EQ(SettingsStore::Read(key, "Language"), "4");
    EXPECT_EQ(SettingsStore::Read(key, "mode"), "ZARIR");
    std::filesystem::remove(file);
    EXPECT_EQ(SettingsStore::Read(key, "Language"), "");
}

TEST_F(StoreTest, WriteKeepsEverythingElse) {
    std::filesystem::create_directories(dir.File("cfg"));
    WriteFile(file,
         "; kept comment\r\n"
         "[\\software\\GSM\\Morvane]\r\n"
         "comport=COM2\r\n"
         "Language=0\r\n"
         "\r\n"
         "[\\software\\GSM\\Konverter]\r\n"
         "comport=COM7\r\n");
    ASSERT_TRUE(SettingsStore::Write(key, "LANGUAGE", "3"));  // existing value, other spelling
    ASSERT_TRUE(SettingsStore::Write(key, "mode", "0"));      // new value in an existing key
    ASSERT_TRUE(SettingsStore::Write("\\software\\GSM\\New", "x", "1"));
    EXPECT_EQ(ReadFile(file),
              "; kept comment\r\n"
              "[\\software\\GSM\\Morvane]\r\n"
              "comport=COM2\r\n"
              "Language=3\r\n"
              "mode=0\r\n"
              "\r\n"
              "[\\software\\GSM\\Konverter]\r\n"
              "comport=COM7\r\n"
              "\r\n"
              "[\\software\\GSM\\New]\r\n"
              "x=1\r\n");
    EXPECT_EQ(SettingsStore::Read("\\software\\GSM\\Konverter", "comport"), "COM7");
    // No temporary files are left beside the store.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("cfg"))) {
        std::string n = e.path().filename().string();
        EXPECT_TRUE(n == "settings.ini" || n == "settings.ini.lock") << n;
        ++entries;
    }
    EXPECT_LE(entries, 2);
}

TEST_F(StoreTest, LinkedStoreIsWrittenThrough) {
    std::filesystem::create_directories(dir.File("cfg"));
    std::filesystem::create_directories(dir.File("real"));
    WriteFile(dir.File("real/settings.ini"), "[\\software\\GSM\\Morvane]\r\nmode=0\r\n");
    std::filesystem::create_symlink(dir.File("real/settings.ini"), file);
    ASSERT_TRUE(SettingsStore::Write(key, "Language", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(ReadFile(dir.File("real/settings.ini")), "[\\software\\GSM\\Morvane]\r\nmode=0\r\nLanguage=2\r\n");
}

TEST_F(StoreTest, UnwritableStoreFailsQuietly) {
    WriteFile(dir.File("plain"), "not a folder");
    ScopedEnv bad("MORVANE_SETTINGS", dir.File("plain/settings.ini"));
    EXPECT_FALSE(SettingsStore::Write(key, "StartDate", "2024.11.22 10:00:00"));
    EXPECT_EQ(SettingsStore::Read(key, "StartDate"), "");
    EXPECT_FALSE(Settings::ProbeWritePermission("2024.11.22 10:00:00"));
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(e.path().filename(), "plain");
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(ReadFile(dir.File("plain")), "not a folder");
}

TEST_F(StoreTest, StoreThatCannotBeReadIsNotReplaced) {
    // The store's name is taken by a folder: nothing may be written over it.
    std::filesystem::create_directories(file);
    EXPECT_FALSE(SettingsStore::Write(key, "a", "b"));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(StoreTest, ConcurrentWritersKeepEachOthersValues) {
    constexpr int kPerWriter = 40;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kPerWriter; ++i)
                ok = SettingsStore::Write(key, "w" + std::to_string(w) + "_" + std::to_string(i), std::to_string(i)) && ok;
            _exit(ok ? 0 : 1);
        }
        children[w] = pid;
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kPerWriter; ++i)
            EXPECT_EQ(SettingsStore::Read(key, "w" + std::to_string(w) + "_" + std::to_string(i)), std::to_string(i));
}

// ---------------------------------------------------------------- values

std::string Show(std::optional<int> n) { return n ? std::to_string(*n) : "none"; }

std::string ShowMode(ModeKind k) {
    switch (k) {
        case ModeKind::Advanced: return "advanced";
        case ModeKind::Quartzline: return "quartzline";
        case ModeKind::Zarir: return "zarir";
        default: return "normal";
    }
}

std::string ShowCompany(const CompanyInfo& c) { return (c.ResellerFlag ? "*" : "-") + c.Name; }

std::string ShowScale(int index) {
    Scale s = MonitorScale(index);
    return std::to_string(index) + ":" + std::to_string(s.num) + "/" + std::to_string(s.den);
}

TEST_F(StoreTest, ValuesApplyTheirDefaults) {
    struct Case {
        SettingDef def;
        const char* stored;  // nullptr: missing
        std::function<std::string()> observe;
        const char* expected;
    };
    const auto comport = [] { return Settings::ComPort(); };
    const auto language = [] { return std::to_string(Settings::LanguageForConfigurator()); };
    const auto languageNumber = [] { return Show(Settings::LanguageNumber()); };
    const auto connection = [] { return Show(Settings::ConnectionTypeAtStart()); };
    const auto mode = [] { return ShowMode(Settings::Mode()); };
    const auto contactId = [] { return std::string(Settings::ContactIdSend() ? "on" : "off"); };
    const auto confirm = [] { return std::string(Settings::ConfirmOff() ? "off" : "on"); };
    const auto custom = [] { return std::string(Settings::CustomTicked() ? "ticked" : "clear"); };
    const auto company = [] { return ShowCompany(Settings::CompanyAtActivation(ProductNames[0])); };
    const auto monitor = [] { return ShowScale(Settings::MonitorIndex()); };
    const Case cases[] = {
        {setting::ComPort, nullptr, comport, "COM1"},
        {setting::ComPort, "", comport, "COM1"},
        {setting::ComPort, "\\\\.\\COM12", comport, "\\\\.\\COM12"},
        {setting::Language, nullptr, language, "1"},
        {setting::Language, "0", language, "0"},
        {setting::Language, "10", language, "10"},
        {setting::Language, "11", language, "1"},
        {setting::Language, "x", language, "1"},
        {setting::Language, "-2", language, "1"},
        {setting::Language, "7", languageNumber, "7"},
        {setting::Language, "x", languageNumber, "none"},
        {setting::UsbBlue, nullptr, connection, "0"},
        {setting::UsbBlue, "1", connection, "1"},
        {setting::UsbBlue, "2", connection, "none"},  // Internet is not restored at start
        {setting::UsbBlue, "abc", connection, "none"},
        {setting::Mode, nullptr, mode, "normal"},
        {setting::Mode, "5830614", mode, "advanced"},
        {setting::Mode, "quartzline", mode, "quartzline"},
        {setting::Mode, "ZARIR", mode, "zarir"},
        {setting::Mode, "zarir", mode, "normal"},
        {setting::Mode, "58306140", mode, "normal"},
        {setting::ContactIdSend, nullptr, contactId, "on"},
        {setting::ContactIdSend, "0", contactId, "off"},
        {setting::ContactIdSend, "1", contactId, "on"},
        {setting::Confirm, nullptr, confirm, "on"},
        {setting::Confirm, "1", confirm, "off"},
        {setting::Confirm, "True", confirm, "on"},
        {setting::Custom, nullptr, custom, "clear"},
        {setting::Custom, "True", custom, "ticked"},
        {setting::Custom, "1", custom, "clear"},
        {setting::Company, nullptr, company, "-Tarvex GSM"},
        {setting::Company, "Qal", company, "-Tarvex GSM"},
        {setting::Company, "*Acme", company, "*Acme"},
        {setting::Company, "Acme", company, "-Tarvex GSM"},
        {setting::Monitor, nullptr, monitor, "2:1/1"},
        {setting::Monitor, "0", monitor, "0:1/2"},
        {setting::Monitor, "1", monitor, "1:2/3"},
        {setting::Monitor, "3", monitor, "3:4/3"},
        {setting::Monitor, "4", monitor, "4:5/3"},
        {setting::Monitor, "5", monitor, "2:1/1"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(file);
        if (c.stored) {
            ASSERT_TRUE(SettingsStore::Write(key, c.def.name, c.stored));
        }
        EXPECT_EQ(c.observe(), c.expected) << c.def.name << " = " << (c.stored ? c.stored : "(missing)");
    }
}

TEST_F(StoreTest, ActivationDefaultsAreWrittenOnlyWhenEmpty) {
    EXPECT_EQ(Settings::DeviceFilterAtStart(), "0");
    EXPECT_EQ(SettingsStore::Read(key, "Device"), "0");
    ASSERT_TRUE(Settings::Set(setting::Device, "ALL"));
    EXPECT_EQ(Settings::DeviceFilterAtStart(), "ALL");

    Settings::CompanyAtActivation(ProductNames[0]);
    EXPECT_EQ(SettingsStore::Read(key, "company"), "Qal");
    ASSERT_TRUE(Settings::Set(setting::Company, "*Acme"));
    EXPECT_EQ(Settings::CompanyAtActivation(ProductNames[0]).Name, "Acme");
    EXPECT_EQ(SettingsStore::Read(key, "company"), "*Acme");

    EXPECT_EQ(Settings::EnsureDefault(setting::Monitor, "1"), "1");  // the window size window's default
    EXPECT_EQ(Settings::EnsureDefault(setting::Monitor), "1");

    EXPECT_TRUE(Settings::ProbeWritePermission("2024.11.22 10:00:00"));
    EXPECT_EQ(SettingsStore::Read(key, "StartDate"), "2024.11.22 10:00:00");
}

TEST(DeviceFilter, OnlyOstrelGivesAllWithABrand) {
    struct Case { const char* stored; int brand; const char* param; const char* expected; };
    const Case cases[] = {
        {"0", 1, "", "0"},
        {"0", 1, "OSTREL", "ALL"},
        {"ALL", 1, "", "0"},
        {"ALL", 1, "ADMIN", "0"},
        {"ALL", 0, "", "ALL"},
        {"0", 0, "OSTREL", "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EffectiveDeviceFilter(c.stored, c.brand, c.param), c.expected)
            << c.stored << " brand " << c.brand << " " << c.param;
}

TEST(SettingsTable, NamesAreUnique) {
    const auto& all = AllSettings();
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = i + 1; j < all.size(); ++j) EXPECT_STRNE(all[i].name, all[j].name);
}

}  // namespace
}  // namespace morvane
