// The launcher window on the off-screen platform: its controls and layout,
// detection of a simulated device, start, the try buttons and shutdown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/launcher.h"
#include "app/settings_store.h"
#include "app/sim_process.h"
#include "app/window_set.h"
#include "app/startup.h"
#include "app/ui/configurator_window.h"
#include "app/ui/launcher_window.h"
#include "app/ui/program.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::WaitFor;

using test::PtyPair;
using test::ScopedEnv;
using test::TempDir;

std::string Text(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title().toStdString();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText().toStdString();
    return {};
}

// A picture for a person to look at, when MORVANE_GUI_SHOT_DIR names a folder.
void SaveShot(QWidget& w, const char* file) {
    if (const char* out = std::getenv("MORVANE_GUI_SHOT_DIR"))
        w.grab().save(QString::fromStdString(std::string(out) + "/" + file));
}

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A dialog left open would wait for a person: take it down and remember it.
        QObject::connect(&dismisser_, &QTimer::timeout, [this] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) dialogs_.push_back(box->text().toStdString());
            else dialogs_.push_back(modal->objectName().toStdString());
            modal->close();
        });
        dismisser_.start(100);
    }
    void TearDown() override {
        program_.reset();
        dismisser_.stop();
        EXPECT_TRUE(dialogs_.empty()) << "unexpected dialog: " << dialogs_.front();
    }

    Program& Make(const std::string& port, std::vector<std::string> args = {}) {
        LauncherEnv env;
        env.args = std::move(args);
        env.startup.StartDirectory = dir_.Path();
        env.startup.PortOverride = port;
        env.startup.ComPortItems = MakeComPortItems();
        env.startup.RelayUrl = BuiltInRelayUrl;
        program_.reset();
        program_ = std::make_unique<Program>(std::move(env));
        return *program_;
    }
    // Shows the launcher and waits for its activation to start the poll.
    Program& Run(const std::string& port, std::vector<std::string> args = {}) {
        Program& p = Make(port, std::move(args));
        p.Start();
        EXPECT_TRUE(WaitFor([&] { return p.Core().LauncherState() == Launcher::kPoll; }, 10000));
        return p;
    }

    template <typename W = QWidget>
    W* Child(const char* name) {
        return program_->Windows().LauncherView().findChild<W*>(QString::fromLatin1(name));
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    ScopedEnv devDir_{"MORVANE_DEV_DIR", dir_.Path()};  // no system serial ports
    PtyPair pty_;  // a port that opens and never answers
    QTimer dismisser_;
    std::vector<std::string> dialogs_;
    std::unique_ptr<Program> program_;
};

TEST_F(LauncherWindowTest, ShowsEveryControlWithItsCaptionUnclipped) {
    struct Shown {
        const char* name;
        const char* caption;  // nullptr: not checked
    };
    const std::vector<Shown> always = {
        {"Panel1", nullptr}, {"Label5", "Morvane"}, {"Label6", "version: 2024.11.22"}, {"Label19", "2024.11.22"},
        {"SpeedButton1", "?"}, {"ComboBox4", "English"}, {"RadioGroup1", nullptr}, {"RadioGroup1_0", "USB"},
        {"RadioGroup1_1", "Bluetooth"}, {"RadioGroup1_2", "Internet"}, {"ComboBox3", nullptr},
        {"Button2", "COM port automatikus keresése"}, {"PortError", ""}, {"Label10", "???"}, {"Panel2", "Indít"},
        {"Button5", "Indít"}, {"Button9", "Indít/Alapértelmezett konfig"},
        {"GroupBox2", "  Termékek - kipróbálás  "}, {"TryName1", "Tarvex GSM"}, {"TryName2", "Zelbrin GSM"},
        {"TryName3", "Quendor GSM"}, {"TryName4", "Halvoret GSM"}, {"TryName5", "Tessaly GPS"},
        {"TryName6", "Pomerand 4G"}, {"Button4", "Próba"}, {"Button7", "Próba"}, {"Button6", "Próba"},
        {"Button8", "Próba"}, {"Button11", "Próba"}, {"Button15", "Próba"}, {"Button13", "USB connection"},
        {"Button14", "COM info"}, {"Kilepes", "Kilépés"}};
    const std::vector<Shown> advanced = {
        {"Button10", "Fast start"}, {"doorstart", "door"}, {"CheckBox21", "GPS"}, {"Label17", "Advanced MODE!"}};
    const std::vector<const char*> neverShown = {"Label3", "CheckBox22", "Button12"};

    for (bool admin : {false, true}) {
        SCOPED_TRACE(admin ? "ADMIN" : "normal");
        Program& p = Run(pty_.SlavePath(), admin ? std::vector<std::string>{"ADMIN"} : std::vector<std::string>{});
        LauncherWindow& w = p.Windows().LauncherView();
        ASSERT_TRUE(WaitFor([&] { return w.isVisible(); }, 5000));
        // The whole window set exists, in the table's order, as the shell knows it.
        ASSERT_EQ(p.Windows().CreationOrder().size(), WindowSet().size());
        for (size_t i = 0; i < WindowSet().size(); ++i) {
            const std::string name(WindowSet()[i].className);
            EXPECT_EQ(p.Windows().CreationOrder()[i], name);
            ASSERT_NE(p.Shell().Window(name), nullptr) << name;
            EXPECT_EQ(p.Shell().Window(name)->objectName().toStdString(), name);
        }
        EXPECT_EQ(w.windowTitle().toStdString(), "Morvane");
        EXPECT_EQ(Child<QComboBox>("ComboBox3")->count(), 512);
        EXPECT_EQ(Child<QComboBox>("ComboBox3")->currentText().toStdString(), pty_.SlavePath());

        std::vector<Shown> shown = always;
        if (admin) shown.insert(shown.end(), advanced.begin(), advanced.end());
        const QRect inside = w.rect();
        for (const Shown& s : shown) {
            SCOPED_TRACE(s.name);
            QWidget* c = Child(s.name);
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(c->isVisible());
            if (s.caption) {
                EXPECT_EQ(Text(c), s.caption);
            }
            // Sized, inside the window, and no narrower than its content needs.
            EXPECT_GT(c->width(), 0);
            EXPECT_GT(c->height(), 0);
            EXPECT_TRUE(inside.contains(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())));
            EXPECT_GE(c->width(), c->minimumSizeHint().width());
            EXPECT_GE(c->height(), c->minimumSizeHint().height());
        }
        for (const Shown& s : advanced) {
            if (!admin) {
                EXPECT_FALSE(Child(s.name)->isVisible()) << s.name;
            }
        }
        for (const char* name : neverShown) EXPECT_FALSE(Child(name)->isVisible()) << name;

        // No device yet: start is off and its panel red, the top strip green.
        EXPECT_FALSE(Child("Button5")->isEnabled());
        EXPECT_FALSE(Child("Panel2")->isEnabled());
        EXPECT_EQ(Child("Panel2")->palette().color(QPalette::Window), QColor(0xFF, 0x00, 0x00));
        EXPECT_EQ(Child("Panel1")->palette().color(QPalette::Window), QColor(0x45, 0xB8, 0x5F));
        EXPECT_EQ(Child("RadioGroup1_0")->palette().color(QPalette::WindowText), QColor(0x45, 0xB8, 0x5F));

        const QImage shot = w.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        const std::string file = dir_.File(admin ? "launcher-admin.png" : "launcher.png");
        EXPECT_TRUE(shot.save(QString::fromStdString(file)));
        SaveShot(w, admin ? "launcher-admin.png" : "launcher.png");
    }
}

TEST_F(LauncherWindowTest, DetectsSimulatedDeviceAndStartsConfigurator) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--type", "Q", "--seed", "1"}, test::BinDir() + "/morvane-devsim")) << sim.Error();
    Program& p = Run(sim.PortPath());
    LauncherWindow& launcher = p.Windows().LauncherView();
    auto* label10 = Child<QLabel>("Label10");
    ASSERT_TRUE(WaitFor([&] { return label10->text() == "Quendor GSM_4G"; }, 10000))
        << "Label10: " << label10->text().toStdString();
    EXPECT_TRUE(Child("Button5")->isEnabled());
    EXPECT_TRUE(Child("Panel2")->isEnabled());
    EXPECT_EQ(Child("Panel2")->palette().color(QPalette::Window), QColor(0x00, 0x80, 0x00));
    EXPECT_FALSE(Child("GroupBox2")->isVisible());
    SaveShot(launcher, "launcher-detected.png");

    Child<QAbstractButton>("Button5")->click();
    ConfiguratorWindow& cfg = p.Windows().ConfiguratorView();
    ASSERT_TRUE(WaitFor([&] { return cfg.isVisible(); }, 10000));
    EXPECT_FALSE(launcher.isVisible());
    EXPECT_FALSE(p.Core().Port().IsOpen());
    EXPECT_FALSE(p.ConfiguratorCore().DemoMode);
    auto* panel1 = cfg.findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_NE(panel1, nullptr);
    EXPECT_TRUE(WaitFor([&] { return panel1->text() == "Quendor GSM_4G"; }, 5000)) << panel1->text().toStdString();
    SaveShot(cfg, "configurator.png");
}

// Each try button opens its product's window without a device; closing that
// front window closes the launcher, which ends the program.
TEST_F(LauncherWindowTest, TryButtonsOpenTheirWindowInDemoModeAndClosingItEnds) {
    struct Case {
        const char* button;
        const char* window;
        const char* product;
    };
    const Case cases[] = {
        {"Button4", "TQ7Form1", "Tarvex GSM 4G"}, {"Button7", "TQ7Form1", "Zelbrin GSM"},
        {"Button6", "TQ7Form1", "Quendor GSM_4G"}, {"Button8", "TDPhone1", "Halvoret GSM"},
        {"Button11", "TQ7Form1", "Tessaly GPS"}, {"Button15", "TQ7Form1", "Pomerand 4G"}};
    // Confirmations off: closing the configurator asks no exit question.
    SettingsStore::Write(RegistryKey(), "Confirm", "1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Program& p = Run(pty_.SlavePath());
        Child<QAbstractButton>(c.button)->click();
        QWidget* opened = p.Shell().Window(c.window);
        ASSERT_NE(opened, nullptr);
        ASSERT_TRUE(WaitFor([&] { return opened->isVisible(); }, 5000));
        EXPECT_FALSE(p.Windows().LauncherView().isVisible());
        EXPECT_TRUE(p.ConfiguratorCore().DemoMode);
        EXPECT_EQ(p.ConfiguratorCore().ProductText(), c.product);
        if (std::string(c.window) == "TQ7Form1") {
            auto* mode = opened->findChild<QLabel*>(QStringLiteral("ModeText"));
            ASSERT_NE(mode, nullptr);
            EXPECT_TRUE(mode->text().startsWith(QStringLiteral("Demo mode")));
            EXPECT_EQ(opened->findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text().toStdString(), c.product);
        }

        opened->close();
        EXPECT_TRUE(WaitFor([&] { return !p.Core().Adas().Enabled(); }, 5000));
        EXPECT_FALSE(p.Core().Port().IsOpen());
    }
}

// "USB connection" opens the chooser modally while the launcher keeps
// running; "Mentés" stores the choice and the launcher reopens its port.
TEST_F(LauncherWindowTest, UsbConnectionChooserStoresThePickedPort) {
    std::filesystem::create_symlink(pty_.SlavePath(), dir_.File("ttyUSB0"));
    Program& p = Run(pty_.SlavePath());
    auto* usb = Child<QAbstractButton>("Button13");
    ASSERT_TRUE(WaitFor([&] { return usb->isEnabled(); }, 10000));  // the 2 s detection tick

    QWidget* chooser = p.Shell().Window("TUSBset");
    ASSERT_NE(chooser, nullptr);
    std::vector<std::string> listed;
    bool saved = false;
    int ticksWhileOpen = 0;
    QTimer::singleShot(0, [&] {
        WaitFor([&] { return chooser->isVisible(); }, 5000);
        const int before = p.Core().ProbeCount();
        WaitFor([&] { return p.Core().ProbeCount() != before; }, 5000);  // the poll goes on
        ticksWhileOpen = p.Core().ProbeCount() != before;
        auto* list = chooser->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        for (int i = 0; i < list->count(); ++i) listed.push_back(list->itemText(i).toStdString());
        list->setCurrentIndex(list->findText(QStringLiteral("COM1")));
        chooser->findChild<QAbstractButton*>(QStringLiteral("Button1"))->click();
        saved = true;
    });
    usb->click();  // returns when the chooser has closed

    EXPECT_TRUE(saved);
    EXPECT_TRUE(ticksWhileOpen);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(listed, (std::vector<std::string>{"COM1", dir_.File("ttyUSB0")}));
    EXPECT_EQ(SettingsStore::Read(RegistryKey(), "comport"), "\\\\.\\COM1");
    EXPECT_EQ(Child<QComboBox>("ComboBox3")->currentText().toStdString(), "COM1");
    EXPECT_EQ(p.Core().LauncherState(), Launcher::kClosePort);
}

}  // namespace
}  // namespace morvane
