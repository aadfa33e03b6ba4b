// The configurator window on its session against the simulated device: the
// launcher hands the device over, the activation reads it, the pages show its
// settings, edits go back into the device with "Elküldés" and change exactly
// the edited bytes; the window stays responsive during a transfer. Also the
// file menu, the own profile, the serial trace and the "RX" lamp.
#include <gtest/gtest.h>

#include <signal.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/configurator.h"
#include "app/configurator_session.h"
#include "app/launcher.h"
#include "app/settings_store.h"
#include "app/sim_process.h"
#include "app/startup.h"
#include "app/ui/configurator_window.h"
#include "app/ui/launcher_window.h"
#include "app/ui/program.h"
#include "config/memory_map.h"
#include "config/ui/configurator_controller.h"
#include "link/link.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::WaitFor;

using test::ScopedEnv;
using test::TempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Offsets where two memories differ within the configuration area.
std::vector<uint32_t> ConfigDifferences(const std::string& a, const std::string& b) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < 0x800 && i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

// The largest gap between the firings of a 10 ms timer while it runs.
class GapMeter {
public:
    GapMeter() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            if (now - last_ > largest_) {
                largest_ = now - last_;
                if (Where) where_ = Where();
            }
            last_ = now;
        });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        largest_ = 0;
        timer_.start();
    }
    // Describes the state after the largest gap.
    std::function<std::string()> Where;
    const std::string& WhereLargest() const { return where_; }
    qint64 Stop() {
        timer_.stop();
        return largest_;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 largest_ = 0;
    std::string where_;
};

class ConfiguratorSessionGui : public ::testing::Test {
protected:
    void SetUp() override {
        // Questions are answered "Yes"; every dialog is remembered.
        QObject::connect(&dismisser_, &QTimer::timeout, [this] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                dialogs_.push_back(box->text().toStdString());
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                    yes->click();
                    return;
                }
            } else {
                dialogs_.push_back(modal->objectName().toStdString());
            }
            modal->close();
        });
        dismisser_.start(50);
    }
    void TearDown() override {
        program_.reset();
        dismisser_.stop();
        sim_.Stop();
    }

    std::vector<std::string> CliEnv() const {
        return {"MORVANE_SETTINGS=" + dir_.File("cli.ini"), "MORVANE_START_DIR=" + dir_.File("cli")};
    }
    test::ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), test::BinDir() + "/morvane-cli");
        return test::RunProgram(args, CliEnv(), 120000);
    }

    // A simulated device holding a known configuration.
    void StartDevice() {
        std::filesystem::create_directories(dir_.File("cli"));
        WriteText(dir_.File("start.json"),
                  R"({"Telefonszámok":{"MaskEdit1":"+3612345678","MaskEdit2":"06209876543"},)"
                  R"("Bemenet 1.":{"riasztas":"Betoro a hazban"},"Bemenet 2.":{"riasztas2":"Tuz a pinceben"}})");
        ASSERT_EQ(Cli({"encode", dir_.File("start.json"), "--out", dir_.File("start.dat")}).status, 0);
        ASSERT_TRUE(sim_.Start({"--type", "H", "--version", "93", "--save", dir_.File("mem.bin")},
                               test::BinDir() + "/morvane-devsim"))
            << sim_.Error();
        const test::ProgramResult w = Cli({"--port", sim_.PortPath(), "write", dir_.File("start.dat"), "--yes"});
        ASSERT_EQ(w.status, 0) << w.err;
    }

    // The device's memory now (it saves on SIGUSR1).
    std::string DeviceMemory() {
        const std::string save = dir_.File("mem.bin");
        std::filesystem::remove(save);
        EXPECT_TRUE(sim_.Signal(SIGUSR1));
        WaitFor([&] { return std::filesystem::exists(save); }, 5000);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return test::ReadFile(save);
    }

    // The program with the launcher on the device's port, started into the
    // configurator with "Indít".
    Program& OpenConfigurator() {
        LauncherEnv env;
        env.startup.StartDirectory = dir_.Path();
        env.startup.PortOverride = sim_.PortPath();
        env.startup.ComPortItems = MakeComPortItems();
        program_ = std::make_unique<Program>(std::move(env));
        Program& p = *program_;
        p.Start();
        auto* start = p.Windows().LauncherView().findChild<QAbstractButton*>(QStringLiteral("Button5"));
        EXPECT_TRUE(WaitFor([&] { return start->isEnabled(); }, 15000)) << "the launcher found no device";
        start->click();
        EXPECT_TRUE(WaitFor([&] { return Window().isVisible(); }, 10000));
        return p;
    }

    ConfiguratorWindow& Window() { return program_->Windows().ConfiguratorView(); }
    template <typename W = QWidget>
    W* Child(const char* name) {
        W* w = Window().findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string FieldText(const char* name) { return Child<QLineEdit>(name)->text().trimmed().toStdString(); }
    DeviceLink& Link() { return program_->Session().Link(); }
    std::string Status() { return program_->ConfiguratorCore().StatusPanels[3]; }

    // Runs until a transfer that has started (or starts) has ended.
    bool WaitTransferEnd(int timeoutMs) {
        WaitFor([&] { return Link().TxCel != 0; }, 3000);
        return WaitFor([&] { return Link().TxCel == 0; }, timeoutMs);
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    ScopedEnv devDir_{"MORVANE_DEV_DIR", dir_.Path()};  // no system serial ports
    SimProcess sim_;
    QTimer dismisser_;
    std::vector<std::string> dialogs_;
    std::unique_ptr<Program> program_;
};

// The launcher's hand-over, the identity query and the automatic read: the
// device's numbers and texts are on the pages; the window keeps serving
// events during the transfer. Edits of a phone number and an output time go
// into the device with "Elküldés" and change exactly their bytes; "Olvasás"
// brings them back.
TEST_F(ConfiguratorSessionGui, ReadEditSendChangesExactlyTheEditedBytes) {
    StartDevice();
    const std::string before = DeviceMemory();
    ASSERT_GE(before.size(), 0x800u);
    ASSERT_TRUE(SettingsStore::Write(RegistryKey(), "Confirm", "1"));

    Program& p = OpenConfigurator();
    ASSERT_FALSE(HasFailure());
    // From the first tick of the identity query to the end of the read.
    GapMeter gaps;
    gaps.Where = [&] { return "TxCel " + std::to_string(Link().TxCel) + ", status \"" + Status() + "\""; };
    gaps.Start();
    // The automatic read that follows the identity query.
    ASSERT_TRUE(WaitFor([&] { return Status() == "Successful readout!" && Link().TxCel == 0; }, 120000))
        << "status: " << Status() << ", TxCel " << Link().TxCel;
    const qint64 readGap = gaps.Stop();
    EXPECT_TRUE(p.Controller().Identified());
    EXPECT_EQ(Link().PortOverride, sim_.PortPath());
    EXPECT_LT(readGap, 100) << "the event loop stood still for " << readGap << " ms during the read, until "
                            << gaps.WhereLargest();
    EXPECT_EQ(FieldText("MaskEdit1"), "+3612345678");
    EXPECT_EQ(FieldText("MaskEdit2"), "06209876543");
    EXPECT_EQ(FieldText("MaskEdit3"), "");
    EXPECT_EQ(FieldText("riasztas"), "Betoro a hazban");
    EXPECT_EQ(FieldText("riasztas2"), "Tuz a pinceben");
    EXPECT_TRUE(WaitFor([&] { return Child<QLabel>("LabelTxCel")->text() == "TxCel: 0"; }, 5000));
    EXPECT_TRUE(Child<QLabel>("LabelResend")->text().startsWith(QStringLiteral("TX_re_semd: ")));
    EXPECT_EQ(Child<QProgressBar>(linkctl::Progress)->maximum(), std::max(1, Link().ProgressMax));
    EXPECT_TRUE(WaitFor([&] { return Child<QLabel>("StatusPanel3")->text() == "Successful readout!"; }, 2000));
    EXPECT_FALSE(std::filesystem::is_empty(dir_.File("backups"))) << "a full read leaves a backup";

    // Edits as a user makes them.
    Child<QLineEdit>("MaskEdit3")->setText(QStringLiteral("+36701112223"));
    Child<QSpinBox>("SpinKI1")->setValue(7);
    EXPECT_EQ(p.Session().Model().OutputTime[0], 7);

    gaps.Start();
    Child<QAbstractButton>(linkctl::SendButton)->click();
    ASSERT_TRUE(WaitTransferEnd(120000)) << "TxCel " << Link().TxCel;
    const qint64 sendGap = gaps.Stop();
    EXPECT_NE(Status(), "ERROR");
    EXPECT_LT(sendGap, 100) << gaps.WhereLargest();

    const std::string after = DeviceMemory();
    bool phoneChanged = false;
    for (uint32_t off : ConfigDifferences(before, after)) {
        const bool phone = off >= mm::PhoneOffset(3) && off < mm::PhoneOffset(3) + mm::kPhoneNumberSize;
        const bool time = off >= mm::OutputTimeOffset(1) && off < mm::OutputTimeOffset(1) + 2;
        phoneChanged = phoneChanged || phone;
        EXPECT_TRUE(phone || time) << "byte " << off << " changed";
    }
    EXPECT_TRUE(phoneChanged);
    EXPECT_EQ(after.substr(mm::PhoneOffset(3), 12), "+36701112223");
    const uint32_t t = mm::OutputTimeOffset(1);
    EXPECT_EQ(uint8_t(after[t]) << 8 | uint8_t(after[t + 1]), 7);

    // "Olvasás" over edited pages brings the device's state back.
    Child<QLineEdit>("MaskEdit1")->setText(QStringLiteral("+3699"));
    Child<QAbstractButton>(linkctl::ReadButton)->click();
    ASSERT_TRUE(WaitTransferEnd(120000));
    EXPECT_EQ(Status(), "Successful readout!");
    EXPECT_EQ(FieldText("MaskEdit1"), "+3612345678");
    EXPECT_EQ(FieldText("MaskEdit3"), "+36701112223");
    EXPECT_EQ(Child<QSpinBox>("SpinKI1")->value(), 7);
    EXPECT_TRUE(dialogs_.empty()) << "unexpected dialog: " << dialogs_.front();
}

// "Mentés fájlba", "Megnyitás fájlból", "Export memory", "Saját Profil", the
// serial trace and the "RX" lamp, on a device that has been read.
TEST_F(ConfiguratorSessionGui, FilesProfileTraceAndLamp) {
    StartDevice();
    Program& p = OpenConfigurator();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(WaitFor([&] { return Status() == "Successful readout!" && Link().TxCel == 0; }, 120000));
    ConfiguratorController& c = p.Controller();
    ConfiguratorWindow& w = Window();
    // The start strip has run out to the window's width.
    EXPECT_TRUE(WaitFor([&] { return !w.StripRunning(); }, 5000));
    EXPECT_EQ(Child("Panel49")->width(), w.width());
    EXPECT_EQ(Child("Panel49")->palette().color(QPalette::Window), QColor(69, 184, 95));

    // Save, change a field, load: the file's value is back.
    const std::string file = dir_.File("saved.dat");
    c.AskSavePath = [&] { return file; };
    c.AskOpenPath = [&] { return file; };
    w.MenuAction("Mentés fájlba")->trigger();
    ASSERT_TRUE(std::filesystem::exists(file));
    Child<QLineEdit>("riasztas")->setText(QStringLiteral("valami mas"));
    w.MenuAction("Megnyitás fájlból")->trigger();
    EXPECT_EQ(FieldText("riasztas"), "Betoro a hazban");
    EXPECT_EQ(p.Session().Model().Text("riasztas"), "Betoro a hazban");
    EXPECT_EQ(Child<QLabel>("StatusPanel2")->text().toStdString(), p.ConfiguratorCore().StatusPanels[2]);
    EXPECT_EQ(p.ConfiguratorCore().StatusPanels[2].rfind("Firmware: ", 0), 0u);
    EXPECT_TRUE(dialogs_.empty());

    // A failing load and save say why.
    c.AskOpenPath = [&] { return dir_.File("missing.dat"); };
    w.MenuAction("Megnyitás fájlból")->trigger();
    c.AskSavePath = [&] { return dir_.File("no/such/folder/x.dat"); };
    w.MenuAction("Mentés fájlba")->trigger();
    ASSERT_EQ(dialogs_.size(), 2u);
    EXPECT_NE(dialogs_[0].find("No such file or directory"), std::string::npos) << dialogs_[0];
    EXPECT_NE(dialogs_[1].find("No such file or directory"), std::string::npos) << dialogs_[1];
    dialogs_.clear();

    // "Export memory" writes "config.php" into the start directory.
    w.MenuAction("Export memory")->trigger();
    EXPECT_EQ(test::ReadFile(dir_.File("config.php")).size(), 8u * 527u);

    // The own profile: saved, then applied at the next activation once
    // "Tiltás" is unticked.
    w.MenuAction("Mentés")->trigger();
    EXPECT_EQ(std::filesystem::file_size(dir_.File("custom.dat")), 1024u);
    QAction* tiltas = w.MenuAction("Tiltás");
    ASSERT_TRUE(tiltas->isChecked());
    tiltas->trigger();
    EXPECT_FALSE(tiltas->isChecked());
    EXPECT_EQ(SettingsStore::Read(RegistryKey(), "custom"), "False");
    Child<QLineEdit>("riasztas")->setText(QStringLiteral("valami mas"));
    w.hide();
    w.show();
    EXPECT_TRUE(WaitFor([&] { return FieldText("riasztas") == "Betoro a hazban"; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return Link().TxCel == 0; }, 30000));  // the activation's identity query

    // The serial trace records a transfer; the lamp lights on the replies.
    QAction* trace = w.MenuAction(ConfiguratorWindow::kTraceMenu);
    ASSERT_NE(trace, nullptr);
    trace->trigger();
    ASSERT_TRUE(c.Trace().Active()) << (dialogs_.empty() ? std::string() : dialogs_.front());
    const std::string tracePath = c.Trace().Path();
    EXPECT_EQ(std::filesystem::path(tracePath).parent_path(), std::filesystem::path(dir_.File("traces")));
    EXPECT_TRUE(trace->isChecked());
    EXPECT_EQ(Child<QLabel>("TracePanel")->text().toStdString(), "Trace: " + tracePath);
    EXPECT_TRUE(Child<QLabel>("TracePanel")->isVisible());
    bool lampLit = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        lampLit = lampLit || Child("RXled")->palette().color(QPalette::Window) == QColor(69, 184, 95);
    });
    watch.start(5);
    Child<QAbstractButton>(linkctl::ReadButton)->click();
    ASSERT_TRUE(WaitTransferEnd(120000));
    watch.stop();
    EXPECT_TRUE(lampLit);
    EXPECT_TRUE(WaitFor([&] { return !c.RxLampLit(); }, 2000)) << "the lamp goes out";
    trace->trigger();
    EXPECT_FALSE(c.Trace().Active());
    EXPECT_FALSE(Child<QLabel>("TracePanel")->isVisible());
    const std::string text = test::ReadFile(tracePath);
    EXPECT_NE(text.find(" TX "), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find(" RX "), std::string::npos);
    EXPECT_NE(text.find("TxCel=110"), std::string::npos);
    EXPECT_TRUE(dialogs_.empty()) << "unexpected dialog: " << dialogs_.front();
}

}  // namespace
}  // namespace morvane
