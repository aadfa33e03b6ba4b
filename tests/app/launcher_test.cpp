#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "app/configurator.h"
#include "app/launcher.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "support/test_support.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using test::PtyPair;
using test::ScopedEnv;
using test::TempDir;

const std::string kProbe("\x00\x00\xFF\x00\x01\xFE", 6);
const std::string kSimPage = "page:SIM kártya számok (kompatibilitás régi modulokkal)";

// A six-byte answer with valid check bytes and the given type letter.
std::string Answer(int letter) {
    uint8_t b[6] = {0x00, 0x00, 0xFF, static_cast<uint8_t>(letter), 0, 0};
    b[5] = static_cast<uint8_t>((b[0] + b[1] + b[2] + b[3] - 1) & 0xFF);
    b[4] = static_cast<uint8_t>(255 - b[5]);
    return std::string(reinterpret_cast<char*>(b), 6);
}

// Hands what the device side wrote to the port's receive event: waits up to
// timeoutMs for the first bytes, then briefly for the rest.
void Pump(TAsynComm32& port, int timeoutMs = 3000) {
    int wait = timeoutMs;
    for (;;) {
        const int fd = port.NativeHandle();
        if (fd < 0) return;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0) return;
        port.HandleIo((p.revents & POLLIN) != 0, false, (p.revents & (POLLHUP | POLLERR)) != 0);
        wait = 30;
    }
}

class FakeRelay : public RelayClient {
public:
    std::vector<std::string> calls;
    std::vector<std::string> readReplies;  // consumed from the front; empty: ""
    std::string sendReply;
    bool fail = false;
    uint32_t key = 0;
    std::string ReadRx() override {
        calls.push_back("read");
        if (fail) throw std::runtime_error("relay unreachable");
        if (readReplies.empty()) return {};
        std::string r = readReplies.front();
        readReplies.erase(readReplies.begin());
        return r;
    }
    std::string SendData(const std::string& hex) override {
        calls.push_back("send " + hex);
        if (fail) throw std::runtime_error("relay unreachable");
        return sendReply;
    }
    std::string Login() override {
        calls.push_back("login");
        return {};
    }
    void SetKey(uint32_t k) override { key = k; }
};

class LauncherTest : public ::testing::Test {
protected:
    TempDir dir;
    TempDir devDir;  // empty: COM names resolve to nothing
    ScopedEnv settingsEnv{"MORVANE_SETTINGS", dir.File("settings.ini")};
    ScopedEnv devEnv{"MORVANE_DEV_DIR", devDir.Path()};
    RecordingView view;
    RecordingShell shell;
    std::unique_ptr<Configurator> cfg;
    std::unique_ptr<Launcher> launcher;

    void Set(const std::string& name, const std::string& value) { SettingsStore::Write(RegistryKey(), name, value); }
    std::string Get(const std::string& name) { return SettingsStore::Read(RegistryKey(), name); }

    Launcher& Make(std::vector<std::string> args = {}, std::string portOverride = {}, RelayClient* relay = nullptr) {
        launcher.reset();
        view.messages.clear();
        shell.events.clear();
        cfg = std::make_unique<Configurator>(RegistryKey());
        LauncherEnv env;
        env.args = std::move(args);
        env.startup.StartDirectory = dir.Path();
        env.startup.PortOverride = std::move(portOverride);
        launcher = std::make_unique<Launcher>(view, shell, *cfg, std::move(env), relay);
        launcher->Create();
        return *launcher;
    }
    // A launcher polling the pseudo-terminal.
    Launcher& MakeOn(PtyPair& pty, std::vector<std::string> args = {}) {
        Set("comport", pty.SlavePath());
        Make(std::move(args));
        launcher->Activate();
        EXPECT_TRUE(launcher->Port().IsOpen()) << launcher->Port().LastErrorText();
        return *launcher;
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) launcher->AdasTimer();
    }
    // One poll round: the launcher probes, the device answers.
    void Detect(PtyPair& pty, int letter) {
        // Skip the ticks that send nothing: waits and the baud toggle.
        for (int i = 0; i < 50; ++i) {
            Launcher& l = *launcher;
            if (l.LauncherState() == Launcher::kPoll && l.ProbeCount() < 4 && l.AnswerDelay() == 0 &&
                l.RelayWait() == 0)
                break;
            Tick();
        }
        Tick();
        ASSERT_EQ(pty.ReadMaster(3000), kProbe);
        pty.WriteMaster(Answer(letter));
        Pump(launcher->Port());
    }
    const ControlState& C(const std::string& name) { return launcher->Controls()[name]; }
};

TEST_F(LauncherTest, PollAlternatesBaudRateEveryFourProbes) {
    PtyPair pty;
    Launcher& l = MakeOn(pty);
    EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
    for (int cycle = 0; cycle < 3; ++cycle) {
        const bool gps = cycle % 2 == 1;
        SCOPED_TRACE(cycle);
        for (int probe = 0; probe < 4; ++probe) {
            Tick();
            EXPECT_EQ(pty.ReadMaster(3000), kProbe);
            EXPECT_EQ(l.Port().BaudRate(), gps ? TBaudRate::cbr4800 : TBaudRate::cbr9600);
            EXPECT_EQ(l.Port().ActualBaud(), gps ? 4800 : 9600);
        }
        Tick();  // fifth count: to the baud toggle, nothing sent
        EXPECT_EQ(l.LauncherState(), Launcher::kBaudToggle);
        EXPECT_EQ(pty.ReadMaster(100), "");
        Tick();
        EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
        EXPECT_EQ(C("CheckBox21").checked, !gps);
        EXPECT_EQ(cfg->Use4800Baud, !gps);
        EXPECT_TRUE(l.Port().IsOpen());
    }
    EXPECT_EQ(l.Adas().Interval(), 150);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LauncherTest, DetectionOfEachTypeLetter) {
    struct Row {
        int letter;
        std::vector<std::string> args;
        const char* label;
        bool start;
        int deviceType;
    } rows[] = {
        {'H', {}, "Tarvex GSM", true, 'H'},        {'N', {}, "Tarvex GSM 4G", true, 'N'},
        {'I', {}, "Zelbrin GSM", true, 'I'},       {'J', {}, "Quendor GSM", true, 'J'},
        {'Q', {}, "Quendor GSM_4G", true, 'Q'},    {'K', {}, "Halvoret GSM", true, 'K'},
        {'O', {}, "Halvoret GSM 4G", true, 'O'},   {'L', {}, "Tessaly GPS", true, 'L'},
        {'P', {}, "Pomerand 4G", true, 'P'},       {'>', {}, "VUZ-AD8", true, '>'},
        {'d', {}, "WiFi-Gate-1", false, 'd'},      {'e', {}, "WiFi-Gate-2", false, 'd'},
        {'G', {"OSTREL"}, "Ostrel", true, 'H'},    {'G', {}, "???", false, 'G'},
        {'Z', {}, "???", false, 'Z'},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string("letter ") + static_cast<char>(r.letter));
        PtyPair pty;
        Launcher& l = MakeOn(pty, r.args);
        std::vector<std::string> labelTexts;
        l.Controls().OnChanged = [&](const std::string& name) {
            if (name == "Label10") labelTexts.push_back(l.Controls()["Label10"].text);
        };
        Detect(pty, r.letter);
        EXPECT_EQ(l.DeviceType(), r.deviceType);
        EXPECT_EQ(l.AnswerDelay(), 3);
        EXPECT_EQ(C("Label10").text, r.label);
        EXPECT_EQ(C("Button5").enabled, r.start);
        EXPECT_EQ(C("Panel2").enabled, r.start);
        EXPECT_EQ(C("Panel2").color, r.start ? Rgb(0, 0x80, 0) : Rgb(0xFF, 0, 0));
        EXPECT_EQ(C("Button9").enabled, r.start);
        EXPECT_EQ(C("Button4").enabled, !r.start);  // try buttons of the four main families
        EXPECT_EQ(C("Button8").enabled, !r.start);
        // Any valid answer hides the try rows and offers "WiFi set".
        EXPECT_FALSE(C("GroupBox2").visible);
        EXPECT_TRUE(C("Button12").visible);
        if (r.letter == 'G' && r.start) {
            EXPECT_EQ(labelTexts, (std::vector<std::string>{"Ostrel module!", "Ostrel"}));
        }
        l.Controls().OnChanged = nullptr;
    }
}

TEST_F(LauncherTest, RepeatedAnswersFollowTheDeviceAndKeepTheSuffixSingle) {
    PtyPair pty;
    Launcher& l = MakeOn(pty);
    Detect(pty, 'N');
    Detect(pty, 'N');
    EXPECT_EQ(C("Label10").text, "Tarvex GSM 4G");
    EXPECT_EQ(cfg->Controls()["ComboBox17"].text, "8");
    EXPECT_EQ(cfg->Controls()["ComboBox17"].itemIndex, 7);
    Detect(pty, 'H');
    EXPECT_EQ(l.DeviceType(), 'H');
    EXPECT_EQ(C("Label10").text, "Tarvex GSM");
    // "O" takes away the SIM phonebook page, "P" the door box and "Internet".
    Detect(pty, 'O');
    EXPECT_FALSE(cfg->Controls()[kSimPage].visible);
    EXPECT_FALSE(cfg->Controls()["Panel63"].visible);
    Detect(pty, 'P');
    EXPECT_FALSE(C("doorstart").visible);
    EXPECT_EQ(C("RadioGroup1").items, (std::vector<std::string>{"USB", "Bluetooth", ""}));
}

TEST_F(LauncherTest, ReceiveHandlerDropsBadFrames) {
    struct Row {
        const char* what;
        std::string bytes;
        int deviceType;
        int errors;
        int rxCount;
    };
    std::string badSum = Answer('H');
    badSum[5] = static_cast<char>(badSum[5] + 1);
    std::string badComplement = Answer('H');
    badComplement[4] = static_cast<char>(badComplement[4] + 1);
    const Row rows[] = {
        {"valid", Answer('H'), 'H', 0, 6},
        {"byte 5 wrong", badSum, 0, 0, 0},
        {"byte 4 wrong", badComplement, 0, 1, 0},
        {"seven bytes", Answer('H') + "x", 0, 0, 0},
        {"partial", Answer('H').substr(0, 4), 0, 0, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Make();
        launcher->Activate();
        launcher->ReceiveBytes(reinterpret_cast<const uint8_t*>(r.bytes.data()), static_cast<int>(r.bytes.size()));
        EXPECT_EQ(launcher->DeviceType(), r.deviceType);
        EXPECT_EQ(launcher->AnswerErrors(), r.errors);
        EXPECT_EQ(launcher->RxCount(), r.rxCount);
        EXPECT_EQ(launcher->AnswerDelay(), r.deviceType ? 3 : 0);
    }
    // An answer in two pieces counts as one; bytes beyond six drop everything.
    Make().Activate();
    const std::string a = Answer('J');
    launcher->ReceiveBytes(reinterpret_cast<const uint8_t*>(a.data()), 2);
    launcher->ReceiveBytes(reinterpret_cast<const uint8_t*>(a.data()) + 2, 4);
    EXPECT_EQ(launcher->DeviceType(), 'J');
    launcher->ReceiveBytes(reinterpret_cast<const uint8_t*>(a.data()), 1);
    EXPECT_EQ(launcher->RxCount(), 0);
}

TEST_F(LauncherTest, SearchTriesCom1ToCom64AndWraps) {
    Launcher& l = Make();
    l.Activate();
    const size_t messagesBefore = view.messages.size();
    l.Button2Click();
    EXPECT_FALSE(C("Button2").enabled);
    std::vector<std::string> tried;
    for (int i = 0; i < 66; ++i) {
        Tick();
        ASSERT_EQ(l.LauncherState(), Launcher::kSearchProbe);
        tried.push_back(l.Port().DeviceName());
        Tick(2);
    }
    ASSERT_EQ(tried.size(), 66u);
    EXPECT_EQ(tried[0], "COM1");
    EXPECT_EQ(tried[8], "COM9");
    EXPECT_EQ(tried[9], "\\\\.\\COM10");
    EXPECT_EQ(tried[63], "\\\\.\\COM64");
    EXPECT_EQ(tried[64], "COM1");
    EXPECT_EQ(tried[65], "COM2");
    EXPECT_EQ(l.LauncherState(), Launcher::kSearchOpen);
    // Ports that do not exist are expected while searching: no message boxes.
    EXPECT_EQ(view.messages.size(), messagesBefore);
    EXPECT_NE(C("PortError").text, "");
}

TEST_F(LauncherTest, SearchStoresTheFoundPortAndReopensIt) {
    struct Row {
        int port;
        const char* stored;
    } rows[] = {{3, "COM3"}, {12, "\\\\.\\COM12"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stored);
        TempDir devs;
        ScopedEnv env("MORVANE_DEV_DIR", devs.Path());
        PtyPair pty;
        // ttyUSB0.. are COM1..; only the one of the wanted port leads somewhere.
        for (int i = 0; i < r.port; ++i) {
            fs::create_symlink(i == r.port - 1 ? pty.SlavePath() : devs.File("gone"),
                               devs.File("ttyUSB" + std::to_string(i)));
        }
        Launcher& l = Make();
        l.Activate();
        l.Button2Click();
        for (int i = 0; i < 3 * r.port + 10 && l.LauncherState() != Launcher::kClosePort; ++i) {
            Tick();
            if (l.LauncherState() == Launcher::kSearchEvaluate && l.Port().IsOpen() && !l.Found()) {
                ASSERT_EQ(pty.ReadMaster(3000), kProbe);
                pty.WriteMaster(Answer('H'));
                Pump(l.Port());
            }
        }
        ASSERT_EQ(l.LauncherState(), Launcher::kClosePort);
        EXPECT_TRUE(l.Found());
        EXPECT_EQ(l.SearchPort(), r.port);
        EXPECT_EQ(Get("comport"), r.stored);
        EXPECT_EQ(C("ComboBox3").itemIndex, r.port - 1);
        EXPECT_TRUE(C("Button2").enabled);
        EXPECT_EQ(l.DeviceType(), 0);  // the search only finds the port
        Tick(32);                      // close, count down, reopen
        EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
        EXPECT_EQ(l.Port().DeviceName(), r.stored);
        EXPECT_TRUE(l.Port().IsOpen());
        launcher.reset();
    }
}

TEST_F(LauncherTest, ActivationChoosesThePortName) {
    struct Row {
        const char* override;
        const char* comport;
        const char* name;
        int item;
    } rows[] = {
        {"", "", "COM1", 0},
        {"", "COM3", "COM3", 2},
        {"", "\\\\.\\COM12", "\\\\.\\COM12", 11},
        {"", "COM12", "COM12", 11},
        {"", "/dev/ttyUSB0", "/dev/ttyUSB0", -1},
        {"", "PORTX", "PORTX", -1},
        {"", "COM999", "COM999", -1},
        {"COM5", "COM3", "COM5", 4},
        {"/dev/ttyACM1", "COM3", "/dev/ttyACM1", -1},
        {"/run/serial-link", "COM3", "/run/serial-link", -1},
        {"xyz", "COM3", "COM3", 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.override) + " / " + r.comport);
        Set("comport", r.comport);
        Launcher& l = Make({}, r.override);
        l.Activate();
        EXPECT_EQ(l.Port().DeviceName(), r.name);
        EXPECT_EQ(C("ComboBox3").itemIndex, r.item);
        EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
    }
    EXPECT_EQ(C("ComboBox3").items.size(), 512u);
}

TEST_F(LauncherTest, ActivationReadsTheSettings) {
    Set("mode", "5830614");
    Set("Language", "x");
    Set("USB_BLUE", "2");
    Launcher& l = Make();
    l.Activate();
    EXPECT_EQ(Get("Language"), "1");
    EXPECT_EQ(C("ComboBox4").itemIndex, 1);
    EXPECT_EQ(Get("Device"), "0");
    EXPECT_EQ(Get("StartDir"), dir.Path());
    EXPECT_EQ(l.ConnectionType(), 0);  // "Internet" is not restored
    EXPECT_EQ(cfg->ModeCode, "5830614");
    for (const char* name : {"CheckBox21", "Button10", "doorstart", "Label17"}) EXPECT_TRUE(C(name).visible) << name;
    EXPECT_TRUE(cfg->Controls()["menu:GSM test"].visible);
    EXPECT_TRUE(cfg->Controls()["menu:Export memory"].visible);
    EXPECT_FALSE(cfg->Controls()["menu:TOP MENU ON/OFF"].visible);
    EXPECT_TRUE(cfg->LanguageTimer().Enabled());
    EXPECT_EQ(C("Label6").text, "version: 2024.11.22");
    EXPECT_EQ(C("TryName3").text, "Quendor GSM");
    EXPECT_EQ(C("Panel1").color, Rgb(0x45, 0xB8, 0x5F));

    Set("mode", "ZARIR");
    Set("Language", "4");
    Set("USB_BLUE", "1");
    Launcher& z = Make({"ADMIN"});
    z.Activate();
    EXPECT_EQ(z.ModeCode(), "5830614");  // "ADMIN" wins over the stored mode
    EXPECT_TRUE(cfg->Controls()["menu:TOP MENU ON/OFF"].visible);
    EXPECT_EQ(C("ComboBox4").itemIndex, 4);
    EXPECT_EQ(z.ConnectionType(), 1);
    EXPECT_EQ(C("RadioGroup1_1").fontColor, Rgb(0x45, 0xB8, 0x5F));

    Set("mode", "ZARIR");
    Launcher& n = Make();
    n.Activate();
    EXPECT_EQ(n.Port().BaudRate(), TBaudRate::cbr4800);
    EXPECT_FALSE(C("CheckBox21").visible);
    EXPECT_FALSE(cfg->Controls()["menu:GSM test"].visible);
}

TEST_F(LauncherTest, WritePermissionProbe) {
    const std::string warning = "No write permission! Please run as administrator!";
    Make().Activate();
    EXPECT_EQ(std::count(view.messages.begin(), view.messages.end(), warning), 0);

    std::ofstream(dir.File("plain")) << "not a folder";
    ScopedEnv unwritable("MORVANE_SETTINGS", dir.File("plain") + "/settings.ini");
    Launcher& l = Make();
    l.Activate();
    EXPECT_EQ(std::count(view.messages.begin(), view.messages.end(), warning), 1);
    EXPECT_EQ(l.LauncherState(), Launcher::kPoll);  // start goes on
}

TEST_F(LauncherTest, PortFailuresAreShownOncePerReason) {
    Set("comport", "/nonexistent/ttyX");
    Launcher& l = Make();
    l.Activate();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("/nonexistent/ttyX"), std::string::npos);
    EXPECT_EQ(C("PortError").text, view.messages[0]);
    Tick(30);  // the baud toggles reopen the port several times
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(LauncherTest, LostPortIsReportedAndReopenedOnTheNextTick) {
    auto first = std::make_unique<PtyPair>();
    fs::create_symlink(first->SlavePath(), devDir.File("ttyUSB0"));
    Set("comport", "COM1");
    Launcher& l = Make();
    l.Activate();
    ASSERT_TRUE(l.Port().IsOpen());
    first.reset();  // unplugged
    Pump(l.Port());
    EXPECT_FALSE(l.Port().IsOpen());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("disconnected"), std::string::npos);
    EXPECT_EQ(C("PortError").text, view.messages[0]);

    PtyPair second;  // plugged in again
    fs::remove(devDir.File("ttyUSB0"));
    fs::create_symlink(second.SlavePath(), devDir.File("ttyUSB0"));
    Tick();  // reopens, then polls
    EXPECT_TRUE(l.Port().IsOpen());
    EXPECT_EQ(C("PortError").text, "");
    EXPECT_EQ(second.ReadMaster(3000), kProbe);
}

TEST_F(LauncherTest, PortChoice) {
    struct Row {
        const char* text;
        const char* stored;  // nullptr: refused
    } rows[] = {
        {"COM3", "COM3"}, {"COM12", "\\\\.\\COM12"}, {"/dev/ttyUSB1", "/dev/ttyUSB1"}, {"xyz", nullptr}, {"COM", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        Set("comport", "COM7");
        Launcher& l = Make();
        l.Activate();
        view.messages.clear();
        l.ComboBox3Change(r.text);
        if (!r.stored) {
            EXPECT_EQ(view.messages, std::vector<std::string>{"ERROR"});
            EXPECT_EQ(Get("comport"), "COM7");
            EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
            continue;
        }
        EXPECT_EQ(Get("comport"), r.stored);
        EXPECT_EQ(l.LauncherState(), Launcher::kClosePort);
        EXPECT_TRUE(l.Kereso().Enabled());
        EXPECT_TRUE(C("Button2").enabled);
    }

    // After the reopen countdown the chosen port is polled.
    PtyPair pty;
    Launcher& l = Make();
    l.Activate();
    l.ComboBox3Change(pty.SlavePath());
    Tick(31);
    EXPECT_EQ(l.LauncherState(), Launcher::kReopen);
    Tick();
    EXPECT_EQ(l.LauncherState(), Launcher::kPoll);
    ASSERT_TRUE(l.Port().IsOpen());
    Tick();
    EXPECT_EQ(pty.ReadMaster(3000), kProbe);
}

TEST_F(LauncherTest, StartOpensTheWindowOfTheType) {
    struct Row {
        int letter;
        bool door;
        const char* window;  // nullptr: start does nothing
        const char* product;
    } rows[] = {
        {'H', false, "TQ7Form1", "Tarvex GSM"},  {'H', true, "Tdoor", "Tarvex GSM"},
        {'N', true, "Tdoor", "Tarvex GSM 4G"},   {'I', false, "TQ7Form1", "Zelbrin GSM"},
        {'J', true, "TQ7Form1", "Quendor GSM"},  {'K', false, "TDPhone1", "Halvoret GSM"},
        {'O', true, "TDPhone1", "Halvoret GSM 4G"}, {'>', false, "TQ7IO8", "VUZ-AD8"},
        {'d', false, nullptr, nullptr},          {'Z', false, nullptr, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(1, static_cast<char>(r.letter)) + (r.door ? " door" : ""));
        PtyPair pty;
        Launcher& l = MakeOn(pty);
        Detect(pty, r.letter);
        l.Controls().SetChecked("doorstart", r.door);
        l.Button5Click();
        if (!r.window) {
            EXPECT_FALSE(l.AblakStart().Enabled());
            EXPECT_TRUE(l.Port().IsOpen());
            EXPECT_TRUE(shell.events.empty());
            continue;
        }
        EXPECT_TRUE(l.AblakStart().Enabled());
        EXPECT_FALSE(C("Button5").enabled);
        EXPECT_EQ(C("Panel2").color, Rgb(0xFF, 0, 0));
        EXPECT_FALSE(l.Port().IsOpen());
        EXPECT_TRUE(shell.events.empty());  // the window opens when the timer fires
        l.AblakStart().Fire();
        EXPECT_FALSE(l.AblakStart().Enabled());
        EXPECT_EQ(shell.events, (std::vector<std::string>{"hide TForm1", std::string("show ") + r.window}));
        EXPECT_EQ(cfg->DeviceType, r.letter);
        EXPECT_FALSE(cfg->DemoMode);
        EXPECT_TRUE(cfg->PortHandedOver);
        EXPECT_EQ(cfg->ProductText(), r.product);
        EXPECT_EQ(cfg->StatusPanels[1], r.product);
        EXPECT_EQ(C("Label3").text, r.product);
        EXPECT_EQ(l.LauncherState(), Launcher::kIdle);
        Tick(10);  // idle: the launcher's port stays closed for the configurator
        EXPECT_FALSE(l.Port().IsOpen());
        EXPECT_EQ(pty.ReadMaster(100), "");
    }
}

TEST_F(LauncherTest, OstrelModuleOpensTheConfiguratorAsG) {
    PtyPair pty;
    Launcher& l = MakeOn(pty, {"OSTREL"});
    Detect(pty, 'G');
    l.Button5Click();
    l.AblakStart().Fire();
    EXPECT_EQ(shell.events.back(), "show TQ7Form1");
    EXPECT_EQ(cfg->DeviceType, 'G');
    EXPECT_EQ(cfg->ProductText(), "Ostrel");
    EXPECT_EQ(cfg->DeviceFilter, "ALL");
    EXPECT_TRUE(cfg->Controls()["page:Bemenet 3."].visible);  // shaped as a Tarvex
    EXPECT_FALSE(cfg->Controls()["page:GPS"].visible);
}

TEST_F(LauncherTest, StartActions) {
    struct Row {
        const char* how;
        int action;
    } rows[] = {{"Button5", 0}, {"CheckBox22", 1}, {"Button9", 1}, {"Button10", 2}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.how);
        PtyPair pty;
        Launcher& l = MakeOn(pty);
        Detect(pty, 'J');
        const std::string how = r.how;
        if (how == "CheckBox22") l.Controls().SetChecked("CheckBox22", true);
        if (how == "Button9") l.Button9Click();
        else if (how == "Button10") l.Button10Click();
        else l.Button5Click();
        EXPECT_TRUE(l.AblakStart().Enabled());
        EXPECT_EQ(cfg->StartAction, r.action);
        EXPECT_EQ(cfg->Controls()["menu:GSM test"].enabled, r.action != 0);
    }
}

TEST_F(LauncherTest, TryButtonsOpenInDemoMode) {
    struct Row {
        const char* button;
        int type;
        const char* window;
        int version;
    } rows[] = {
        {"Button4", 'N', "TQ7Form1", 0}, {"Button6", 'Q', "TQ7Form1", 90}, {"Button7", 'I', "TQ7Form1", 0},
        {"Button8", 'K', "TDPhone1", 0}, {"Button11", 'L', "TQ7Form1", 0}, {"Button15", 'P', "TQ7Form1", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button);
        Launcher& l = Make();
        l.Activate();
        ASSERT_TRUE(l.TryButtonClick(r.button));
        EXPECT_EQ(shell.events, (std::vector<std::string>{"hide TForm1", std::string("show ") + r.window}));
        EXPECT_EQ(cfg->DeviceType, r.type);
        EXPECT_TRUE(cfg->DemoMode);
        EXPECT_EQ(cfg->DeviceVersion, r.version);
        EXPECT_EQ(l.LauncherState(), Launcher::kIdle);
        EXPECT_FALSE(l.Port().IsOpen());
    }
    EXPECT_FALSE(cfg->Controls()["menu:Firmware Download"].visible);  // 'P' shaping applied
    EXPECT_FALSE(launcher->TryButtonClick("Button5"));
}

TEST_F(LauncherTest, AdvancedStartByNumber) {
    Launcher& l = Make();
    l.Activate();
    view.messages.clear();
    view.promptAnswer = "abc";
    l.Label17Click();
    EXPECT_EQ(view.questions.back(), "spec start: Hardwer number:");
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_TRUE(shell.events.empty());

    view.promptAnswer = std::nullopt;
    l.Label17Click();
    EXPECT_TRUE(shell.events.empty());

    view.promptAnswer = "70";
    l.Label17Click();
    EXPECT_EQ(cfg->DeviceType, 'F');
    EXPECT_TRUE(cfg->DemoMode);
    EXPECT_EQ(shell.events.back(), "show TQ7Form1");
}

TEST_F(LauncherTest, ConnectionTypeChoice) {
    PtyPair pty;
    Launcher& l = MakeOn(pty);
    l.RadioGroup1Click(1);
    EXPECT_EQ(Get("USB_BLUE"), "1");
    EXPECT_EQ(cfg->ConnectionType, 1);
    EXPECT_EQ(C("Label10").text, "???");
    EXPECT_EQ(C("RadioGroup1_1").fontColor, Rgb(0x45, 0xB8, 0x5F));
    EXPECT_EQ(C("RadioGroup1_0").fontColor, Rgb(0, 0, 0));

    l.RadioGroup1Click(2);
    EXPECT_EQ(shell.events, std::vector<std::string>{"modal Tuserpass"});
    EXPECT_EQ(Get("USB_BLUE"), "2");
    Tick();  // Internet: the serial port is given up
    EXPECT_FALSE(l.Port().IsOpen());
    l.RadioGroup1Click(0);
    Tick();
    EXPECT_TRUE(l.Port().IsOpen());

    // A "P" device cannot be reached over the Internet.
    Detect(pty, 'P');
    EXPECT_TRUE(C("Button5").enabled);
    shell.events.clear();
    l.RadioGroup1Click(2);
    EXPECT_TRUE(shell.events.empty());
    EXPECT_EQ(Get("USB_BLUE"), "0");
    EXPECT_EQ(l.ConnectionType(), 0);
    EXPECT_EQ(C("RadioGroup1").itemIndex, 0);
    EXPECT_FALSE(C("Button5").enabled);
}

TEST_F(LauncherTest, DetectionThroughTheRelay) {
    FakeRelay relay;
    relay.sendReply = "P401";
    std::string hex;
    for (unsigned char c : Answer('J')) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[c >> 4];
        hex += digits[c & 0xF];
    }
    relay.readReplies = {"AES=" + std::string(32, 'x') + "12345", "P400" + hex};
    Set("User_MAC", "00:11:22:33");
    Set("User_Place", "Warehouse");
    Launcher& l = Make({}, {}, &relay);
    l.Activate();
    l.RadioGroup1Click(2);
    EXPECT_EQ(relay.calls, std::vector<std::string>{"login"});
    Tick();  // probe through the relay
    EXPECT_EQ(relay.calls.back(), "send 0000FF0001FE");
    EXPECT_EQ(C("RadioGroup1").text, "Warehouse");
    Tick();  // countdown 20: first poll, the key
    EXPECT_EQ(relay.key, 12345u);
    Tick();  // countdown 19: the answer
    EXPECT_EQ(l.DeviceType(), 'J');
    EXPECT_EQ(C("Label10").text, "Quendor GSM");

    relay.fail = true;
    Tick(40);
    EXPECT_EQ(std::count(view.messages.begin(), view.messages.end(), "relay unreachable"), 1);
}

TEST_F(LauncherTest, LanguageChoice) {
    Launcher& l = Make();
    l.Activate();
    int applied = -1;
    cfg->OnApplyLanguage = [&](int code) { applied = code; };
    cfg->LanguageTimer().Fire();
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(cfg->LanguageTimer().Enabled());

    l.Controls().SetText("Label10", "Tarvex GSM");
    l.ComboBox4Change(5);
    EXPECT_EQ(Get("Language"), "5");
    EXPECT_EQ(C("Label10").text, "");
    ASSERT_TRUE(cfg->LanguageTimer().Enabled());
    cfg->LanguageTimer().Fire();
    EXPECT_EQ(applied, 5);

    Set("Language", "12");
    applied = -1;
    cfg->LanguageTimer().SetEnabled(true);
    cfg->LanguageTimer().Fire();
    EXPECT_EQ(applied, -1);
    EXPECT_EQ(cfg->LanguageCode, "12");
}

TEST_F(LauncherTest, SearchAnimation) {
    Launcher& l = Make();
    l.Activate();
    l.KeresoTimer();
    EXPECT_EQ(C("Label10").text, "???");  // waits for a text
    l.Controls().SetText("Label10", "Searching");
    const char* expected[] = {"Searching.", "Searching..", "Searching...", "Searching....", "Searching.....",
                              "Searching."};
    for (const char* e : expected) {
        l.KeresoTimer();
        EXPECT_EQ(C("Label10").text, e);
    }
    l.Button2Click();
    Tick();
    l.KeresoTimer();
    EXPECT_EQ(C("Label10").text, "Searching 1..");
}

TEST_F(LauncherTest, UsbChooserAndOtherButtons) {
    Launcher& l = Make();
    l.Activate();
    l.Timer1Timer();
    EXPECT_FALSE(C("Button13").enabled);
    std::ofstream(devDir.File("ttyACM0")).put('x');
    l.Timer1Timer();
    EXPECT_TRUE(C("Button13").enabled);
    EXPECT_EQ(Launcher::VirtualComPorts(), std::vector<std::string>{"COM1"});

    shell.onModal = [&](const std::string& window) {
        if (window == "TUSBset") {
            EXPECT_FALSE(l.UsbSetSave("ttyS0"));
            EXPECT_TRUE(l.UsbSetSave("COM4"));
        }
    };
    l.Button13Click();
    EXPECT_EQ(Get("comport"), "\\\\.\\COM4");
    EXPECT_EQ(C("ComboBox3").text, "COM4");
    EXPECT_EQ(l.LauncherState(), Launcher::kClosePort);

    shell.onModal = [&](const std::string&) { EXPECT_EQ(l.LauncherState(), Launcher::kIdle); };
    l.Button12Click();
    EXPECT_EQ(l.LauncherState(), Launcher::kPoll);

    l.Button14Click();
    l.SpeedButton1Click();
    l.Close();
    EXPECT_EQ(shell.events[shell.events.size() - 3], "devmgr");
    EXPECT_EQ(shell.events[shell.events.size() - 2].rfind("url http", 0), 0u);
    EXPECT_EQ(shell.events.back(), "quit");
    EXPECT_FALSE(l.Adas().Enabled());
}

}  // namespace
}  // namespace morvane
