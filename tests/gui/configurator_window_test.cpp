// The configurator window on the off-screen platform: its pages and their key
// controls, navigation, page shaping by device type, the tab toggle, the
// binding to the settings model and the screen images.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/startup.h"
#include "app/ui/configurator_window.h"
#include "app/ui/program.h"
#include "config/page_shaping.h"
#include "config/settings_model.h"
#include "config/ui/screenshots.h"
#include "link/link.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;

// Counts the emissions of a signal and keeps the last text argument.
struct Spy {
    int count = 0;
    QString last;
    template <typename Sender, typename Signal>
    Spy(Sender* sender, Signal signal) {
        QObject::connect(sender, signal, sender, [this](auto... args) {
            ++count;
            if constexpr (sizeof...(args) > 0) last = QString(args...);
        });
    }
};

class ConfiguratorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        cfg_ = std::make_unique<Configurator>("Software\\MorvaneTest");
        window_ = std::make_unique<ConfiguratorWindow>(*cfg_);
        window_->setAttribute(Qt::WA_DontShowOnScreen, true);
    }
    void TearDown() override {
        window_.reset();
        cfg_.reset();
    }

    template <typename W = QWidget>
    W* Child(const std::string& name) {
        return window_->findChild<W*>(QString::fromStdString(name));
    }
    // Shown on screen (the window is shown and nothing above is hidden).
    bool Shown(const std::string& name) {
        QWidget* w = Child(name);
        return w && w->isVisibleTo(window_.get());
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    std::unique_ptr<Configurator> cfg_;
    std::unique_ptr<ConfiguratorWindow> window_;
};

// Every page of the page control exists, each with the controls that the
// conversion and the rules refer to by name.
TEST_F(ConfiguratorWindowTest, EveryPageExistsWithItsKeyControls) {
    struct PageControls {
        const char* page;
        const char* parent;
        std::vector<std::string> controls;
    };
    const PageControls pages[] = {
        {"Admin", "", {"AdminSave", "AdminOpen", "MemoryLoad", "EraseChip", "CheckBox14", "Edit10", "Edit11"}},
        {"Alapadatok", "", {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"}},
        {"Telefonszámok", "", {"MaskEdit1", "MaskEdit4", "MaskEdit8"}},
        {"Saját memóriás", "Bejövő telefoszámok",
         {"NumberGrid", "CONTR1", "CONTR7", "CONTR20", "CONTR22", "CONTR23", "ListRead", "ListWrite"}},
        {"SIM kártya számok (kompatibilitás régi modulokkal)", "Bejövő telefoszámok",
         {"SimGrid", "ButtonAddRow", "ButtonSimRead", "ButtonSimWrite"}},
        {"Time Zona", "Bejövő telefoszámok", {"Tzona1hour", "Tzona2min", "Tzona3hour2", "Tzona3min2"}},
        {"Bemenet 1.", "Bemenetek", {"ComboBox1", "BE1inv", "riasztas", "SMSst1", "VOICEst1", "best11", "best17",
                                     "CheckEgyeb2_0"}},
        {"Bemenet 4.", "Bemenetek", {"ComboBox4", "riasztas4", "SMSst4", "VOICEst4", "best43"}},
        {"Tamper", "Bemenetek", {"ComboBox9", "BE9inv", "riasztas9", "SMSst9", "VOICEst9", "best93"}},
        {"More settings", "Bemenetek", {"SpinEdit15", "SpinEdit16", "Edit8", "SpinEdit4", "SpinEdit5", "SpinEdit18",
                                        "CheckEgyeb1", "SpinEdit21", "SpinEdit22"}},
        {"OUT1", "Kimenet", {"ComboKi1", "SpinKI1", "KI1SECMIN", "CheckBox1KI1", "CheckBox3KI1", "CheckBox5KI1",
                             "TestKI1"}},
        {"OUT4", "Kimenet", {"ComboKi4", "SpinKI4", "KI4SECMIN", "CheckBox2KI4"}},
        {"More settings", "Kimenet", {"ComboBox15", "CheckBox12", "CheckBox2"}},
        {"Be5", "", {"Be5Type"}},
        {"Hangok", "", {"Edit16", "Edit9", "Edit13", "Edit14", "Edit15", "Edit20", "Edit19", "CheckEgyeb7",
                        "SoundProgress"}},
        {"Tápmonitor", "", {"ComboBox10", "riasztas10", "SMSst10", "VOICEst10", "ComboBox20"}},
        {"Életjel", "", {"SpinEdit1", "SpinEdit2", "SpinEdit3", "riasztas11", "SMSst11", "CheckBox11"}},
        {"Kódok, jelszintek", "Egyéb", {"Edit30", "ComboBox17", "ComboBox16", "checkegyeb2_3"}},
        {"SMS beállítások", "Egyéb", {"Edit12", "Edit1", "CheckEgyeb2", "ComboBox11", "SMSnap", "SMSmax",
                                      "ComboBox12"}},
        {"Jammer", "Egyéb", {"riasztas15", "SMSst15", "VOICEst15", "best153", "JammerKI1", "jammerKI2"}},
        {"Hőméséklet", "", {"ComboBox13", "hkompmax", "SpinEdit6", "hkompmin", "SpinEdit7", "SMSst13"}},
        {"BAT<3.6", "GPS", {"ENERGIA0p1", "ENERGIA0p2", "ENERGIA4p12"}},
        {"PWR4", "GPS", {"ENERGIA11p6", "ENERGIA15p10"}},
        {"Sebesség", "", {"ComboBox5", "riasztas5", "SpinEdit8", "SMSst5", "BEst51"}},
        {"Emelés", "", {"ComboBox6", "riasztas6", "SpinEdit9", "SMSst6"}},
        {"CID/SMS", "", {"StringGrid2", "StringGrid3", "SMSst7", "Button20", "BitBtn16", "BitBtn17"}},
        {"Eseménykódok", "Távfelügyelet", {"CIDbe1", "ZONAbe4", "CIDtamper", "CIDtap", "CIDelet", "CIDnyit",
                                            "SpinEdit17"}},
        {"Állomás", "Távfelügyelet", {"TAV1", "TAV2", "CIDUGYFEL"}},
        {"Server1", "Szerverek", {"APNNAME1", "IPCIM1", "IPPORT1", "PROT1", "UDPTCP1", "S1LAN", "S1GPRS"}},
        {"Server2_tart", "Szerverek", {"APNNAME4", "KULCS4", "S4GPRS"}},
        {"CLOUD", "Távfelügyelet", {"Edit29", "Edit31"}},
        {"Vonalszimulátor", "", {"ComboBox18", "VFESZ", "SpinEdit11", "SpinEdit14", "ButtonPstnSend"}},
        {"Anti-Jammer", "", {}},
        {"Nyitás/zárás", "", {"Edit17", "Edit18", "SMSst16", "SMSst17", "AUTOOPEN", "SpinEdit19", "CheckBox19"}},
    };
    for (const PageControls& p : pages) {
        SCOPED_TRACE(p.page);
        PageRegistry::Page* page = window_->Registry().FindPage(p.page, p.parent);
        ASSERT_NE(page, nullptr);
        for (const std::string& name : p.controls) {
            QWidget* w = Child(name);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_TRUE(page->page->isAncestorOf(w)) << name << " is not on its page";
        }
    }
    // The window's own controls.
    for (const char* name : {linkctl::ReadButton, linkctl::SendButton, linkctl::Progress, linkctl::StateLabel,
                             linkctl::ResendLabel, "StatusPanel0", "StatusPanel3"})
        EXPECT_NE(Child(name), nullptr) << name;
    for (int i = 1; i <= 14; ++i) EXPECT_NE(Child("MENUSEL" + std::to_string(i)), nullptr) << i;
    for (int i = 51; i <= 71; ++i) EXPECT_NE(Child("Panel" + std::to_string(i)), nullptr) << i;
    EXPECT_EQ(Child<QLabel>(linkctl::StateLabel)->text(), "TxCel: 0");
    EXPECT_EQ(Child<QLabel>(linkctl::ResendLabel)->text(), "TX_re_semd: 0");
    EXPECT_EQ(Child<QPushButton>(linkctl::ReadButton)->text(), QString::fromUtf8("Olvasás"));
    EXPECT_EQ(Child<QPushButton>(linkctl::SendButton)->text(), QString::fromUtf8("Elküldés"));
    EXPECT_EQ(Child<QPushButton>("MENUSEL12")->text(), QString::fromUtf8("Élesit / Hatástalanit -12"));
    EXPECT_FALSE(Child("MENUSEL7")->isVisibleTo(window_.get()));
    EXPECT_FALSE(Child("MENUSEL11")->isVisibleTo(window_.get()));
}

// Design values, ranges and masks of a sample of controls.
TEST_F(ConfiguratorWindowTest, ControlsHoldTheirDesignValuesAndRanges) {
    struct SpinCase {
        const char* name;
        int value, min, max, step;
    };
    const SpinCase spins[] = {
        {"SpinEdit15", 30, 2, 255, 1}, {"SpinEdit4", 30, 3, 180, 1},    {"SpinKI1", 3, 1, 65000, 1},
        {"SpinKI2", 3, 1, 65535, 1},   {"SpinEdit1", 7, 1, 255, 1},     {"SpinEdit17", 1440, 1, 65000, 1},
        {"VFESZ", 48, 30, 72, 3},      {"SpinEdit14", 35, 1, 80, 1},    {"Tzona1min2", 5, 0, 55, 5},
        {"Tzona2hour2", 16, 0, 23, 1}, {"ENERGIA0p2", 240, 0, 256, 1},  {"ENERGIA1p2", 60, 0, 255, 1},
        {"ENERGIA7p10", 4, 2, 255, 1}, {"SMSmax", 4, 2, 250, 1},        {"SpinEdit8", 120, 10, 250, 1},
    };
    for (const SpinCase& c : spins) {
        SCOPED_TRACE(c.name);
        auto* s = Child<QSpinBox>(c.name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->value(), c.value);
        EXPECT_EQ(s->minimum(), c.min);
        EXPECT_EQ(s->maximum(), c.max);
        EXPECT_EQ(s->singleStep(), c.step);
    }
    EXPECT_EQ(Child<QComboBox>("ComboKi1")->currentText(), QString::fromUtf8("Élesítés a kimeneten"));
    EXPECT_EQ(Child<QComboBox>("ComboBox12")->currentText(), QString::fromUtf8("Normál"));
    EXPECT_EQ(Child<QComboBox>("ComboBox17")->currentText(), QStringLiteral("4"));
    EXPECT_EQ(Child<QComboBox>("ComboBox16")->currentText(), QStringLiteral("5"));
    EXPECT_EQ(Child<QComboBox>("ComboBox20")->currentText(), QStringLiteral("11V"));
    EXPECT_EQ(Child<QComboBox>("ComboBox15")->currentIndex(), -1);
    EXPECT_FALSE(Child("CheckBox12")->isEnabled());
    EXPECT_FALSE(Child("ComboBox11")->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>("best13")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>("best11")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>("best101")->isChecked());
    EXPECT_EQ(Child<QLineEdit>("riasztas9")->text(), QString::fromUtf8("Belső szabotázs riasztás"));
    EXPECT_EQ(Child<QLineEdit>("Edit1")->text(), QStringLiteral("5382"));
    EXPECT_EQ(Child<QLineEdit>("Edit12")->maxLength(), 120);
    EXPECT_EQ(Child<QLineEdit>("Edit2")->maxLength(), 128);
    EXPECT_EQ(Child<QTableWidget>("NumberGrid")->rowCount(), 1000);
    EXPECT_EQ(Child<QTableWidget>("SimGrid")->columnCount(), 3);
    EXPECT_EQ(Child<QTableWidget>("StringGrid3")->rowCount(), 256);
    EXPECT_FALSE(Child("ButtonSimWrite")->isEnabled());

    // A recipient list: eight check items "Phone1".."Phone8".
    auto* list = Child<QListWidget>("SMSst16");
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(7)->text(), QStringLiteral("Phone8"));
    EXPECT_TRUE(list->item(0)->flags() & Qt::ItemIsUserCheckable);

    // Phone numbers: one optional digit or sign, then fifteen optional digits.
    auto* phone = Child<QLineEdit>("MaskEdit1");
    phone->setFocus();
    phone->setText(QString());
    phone->home(false);
    phone->insert(QStringLiteral("+36301234567890123"));
    EXPECT_EQ(phone->displayText(), QStringLiteral("+363012345678901"));
    phone->setText(QString());
    phone->home(false);
    phone->insert(QStringLiteral("a12"));
    EXPECT_TRUE(phone->displayText().trimmed() == QStringLiteral("12") ||
                phone->displayText().startsWith(QStringLiteral(" 12")))
        << phone->displayText().toStdString();
}

// A menu button shows its page and takes the selected colour; the others go
// back to normal; hovering paints the button under the mouse; a selector
// panel shows its sub-page.
TEST_F(ConfiguratorWindowTest, NavigationShowsThePageAndPaintsTheButtons) {
    window_->show();
    const ControlSet& set = cfg_->Controls();
    struct Case {
        const char* button;
        const char* page;
    };
    const Case cases[] = {{"MENUSEL4", "Bemenetek"}, {"MENUSEL10", "Távfelügyelet"}, {"MENUSEL12", "Nyitás/zárás"},
                          {"MENUSEL3", "Bejövő telefoszámok"}, {"MENUSEL1", "Alapadatok"}};
    Spy shown(window_.get(), &ConfiguratorWindow::PageShown);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Child<QPushButton>(c.button)->click();
        EXPECT_EQ(window_->CurrentPage(), c.page);
        EXPECT_EQ(set.Find(c.button)->color, ConfiguratorWindow::kSelectedColor);
        EXPECT_EQ(Child(c.button)->palette().color(QPalette::Button), QColor(69, 184, 95));
        for (int i = 1; i <= 14; ++i) {
            const std::string other = "MENUSEL" + std::to_string(i);
            if (other != c.button) {
                EXPECT_EQ(set.Find(other)->color, kNoColor) << other;
            }
        }
        ASSERT_GT(shown.count, 0);
        EXPECT_EQ(shown.last, QString::fromUtf8(c.page));
    }

    // Hover: the button under the mouse, never the selected one.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(Child("MENUSEL5"), &enter);
    EXPECT_EQ(set.Find("MENUSEL5")->color, ConfiguratorWindow::kHoverColor);
    QApplication::sendEvent(Child("MENUSEL6"), &enter);
    EXPECT_EQ(set.Find("MENUSEL5")->color, kNoColor);
    EXPECT_EQ(set.Find("MENUSEL6")->color, ConfiguratorWindow::kHoverColor);
    QApplication::sendEvent(Child("MENUSEL1"), &enter);
    EXPECT_EQ(set.Find("MENUSEL1")->color, ConfiguratorWindow::kSelectedColor);
    EXPECT_EQ(set.Find("MENUSEL6")->color, kNoColor);

    // Selector panels of the inputs page.
    Child<QPushButton>("MENUSEL4")->click();
    Child<QPushButton>("Panel60")->click();
    EXPECT_EQ(window_->CurrentSubPage("Bemenetek"), "Tamper");
    EXPECT_TRUE(Shown("ComboBox9"));
    EXPECT_FALSE(Shown("ComboBox1"));
    EXPECT_EQ(set.Find("Panel60")->color, ConfiguratorWindow::kSelectedColor);
    EXPECT_EQ(set.Find("Panel56")->color, kNoColor);
    EXPECT_EQ(shown.last, QStringLiteral("Tamper"));

    // A speaker picture leads to its voice slot, painted red.
    Child<QPushButton>("Speaker9")->click();
    EXPECT_EQ(window_->CurrentPage(), "Hangok");
    EXPECT_EQ(set.Find("VoiceLabel7")->fontColor, Rgb(255, 0, 0));
    EXPECT_EQ(Child("VoiceLabel7")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    Child<QPushButton>("MENUSEL4")->click();
    Child<QPushButton>("Speaker1")->click();
    EXPECT_EQ(set.Find("VoiceLabel7")->fontColor, kNoColor);
    EXPECT_EQ(set.Find("VoiceLabel2")->fontColor, Rgb(255, 0, 0));
    Child<QPushButton>("MENUSEL6")->click();
    EXPECT_EQ(set.Find("VoiceLabel2")->fontColor, kNoColor);

    // A sub-page reached directly brings its page along.
    ASSERT_TRUE(window_->ShowSubPage("Server2", "Szerverek"));
    EXPECT_EQ(window_->CurrentPage(), "Távfelügyelet");
    EXPECT_EQ(window_->CurrentSubPage("Távfelügyelet"), "Szerverek");
    EXPECT_TRUE(Shown("APNNAME2"));
    EXPECT_EQ(set.Find("MENUSEL10")->color, ConfiguratorWindow::kSelectedColor);
}

// "TOP MENU ON/OFF" toggles the tabs between one pixel and their normal size.
TEST_F(ConfiguratorWindowTest, TopMenuTogglesTheTabs) {
    window_->show();
    QTabBar* bar = window_->MainPages()->tabBar();
    const int current = bar->currentIndex();
    EXPECT_TRUE(window_->TabsShrunk());
    EXPECT_LE(bar->tabRect(current).height(), 2);
    QAction* top = window_->MenuAction("TOP MENU ON/OFF");
    ASSERT_NE(top, nullptr);
    EXPECT_FALSE(top->isVisible());  // shown in advanced mode only
    cfg_->Controls().SetVisible("menu:TOP MENU ON/OFF", true);
    EXPECT_TRUE(top->isVisible());
    top->trigger();
    EXPECT_FALSE(window_->TabsShrunk());
    EXPECT_TRUE(top->isChecked());
    EXPECT_GT(bar->tabRect(current).height(), 10);
    top->trigger();
    EXPECT_TRUE(window_->TabsShrunk());
    EXPECT_FALSE(top->isChecked());
    EXPECT_LE(bar->tabRect(current).height(), 2);
}

// The page shaping of the launcher hides and shows pages, sub-pages with
// their selector panels, menu buttons, controls and menu items.
TEST_F(ConfiguratorWindowTest, PageShapingHidesAndShowsPagesControlsAndMenus) {
    window_->show();
    ASSERT_TRUE(ApplyPageShape('Q', cfg_->Controls()));
    EXPECT_FALSE(window_->PageOffered("Bemenet 2.", "Bemenetek"));
    EXPECT_FALSE(Shown("Panel57"));
    EXPECT_TRUE(window_->PageOffered("Bemenet 1.", "Bemenetek"));
    EXPECT_TRUE(window_->PageOffered("Tápmonitor"));
    EXPECT_TRUE(Shown("MENUSEL8"));
    EXPECT_TRUE(window_->PageOffered("Tamper", "Bemenetek"));
    EXPECT_FALSE(window_->PageOffered("OUT2", "Kimenet"));
    EXPECT_FALSE(window_->PageOffered("Time Zona", "Bejövő telefoszámok"));
    EXPECT_FALSE(window_->PageOffered("More settings", "Kimenet"));  // TabSheet26
    EXPECT_FALSE(window_->PageOffered("Be5"));
    // The voice slots 4 to 7 and the menu items the family does not offer.
    Child<QPushButton>("MENUSEL6")->click();
    EXPECT_TRUE(Shown("Edit13"));
    EXPECT_FALSE(Shown("Edit14"));
    EXPECT_FALSE(Shown("VoicePlay7"));
    EXPECT_FALSE(window_->MenuAction("SMS test")->isVisible());
    EXPECT_TRUE(window_->MenuAction("IMEI number")->isVisible());
    EXPECT_EQ(Child<QComboBox>("ComboBox16")->currentText(), QStringLiteral("9"));
    EXPECT_EQ(Child<QComboBox>("ComboBox17")->currentText(), QStringLiteral("7"));
    // A hidden sub-page is not current any more; its row selects the page shown.
    Child<QPushButton>("MENUSEL4")->click();
    EXPECT_NE(window_->CurrentSubPage("Bemenetek"), "Bemenet 2.");

    // The Tarvex family: inputs 3 and 4 and the reporting fields back, the
    // Contact ID page and its button gone; an 'O' hides the SIM phonebook and
    // its selector panel.
    ASSERT_TRUE(ApplyPageShape('H', cfg_->Controls()));
    EXPECT_TRUE(window_->PageOffered("Bemenet 3.", "Bemenetek"));
    EXPECT_FALSE(window_->PageOffered("CID/SMS"));
    EXPECT_FALSE(Shown("MENUSEL7"));
    ASSERT_TRUE(ApplyPageShape('J', cfg_->Controls()));
    EXPECT_TRUE(window_->PageOffered("CID/SMS"));
    EXPECT_TRUE(Shown("MENUSEL7"));
    ASSERT_TRUE(ApplyPageShape('O', cfg_->Controls()));
    EXPECT_FALSE(window_->PageOffered("SIM kártya számok (kompatibilitás régi modulokkal)", "Bejövő telefoszámok"));
    EXPECT_FALSE(Shown("Panel63"));
    EXPECT_TRUE(Shown("Panel64") || !window_->PageOffered("Time Zona", "Bejövő telefoszámok"));
    // A page known by its control name: showing it again offers it without
    // laying it over the current sub-page.
    Child<QPushButton>("MENUSEL5")->click();
    Child<QPushButton>("Panel51")->click();
    cfg_->Controls().SetVisible("TabSheet26", false);
    EXPECT_FALSE(window_->PageOffered("More settings", "Kimenet"));
    cfg_->Controls().SetVisible("page:TabSheet26", true);
    EXPECT_TRUE(window_->PageOffered("More settings", "Kimenet"));
    EXPECT_TRUE(cfg_->Controls().Find("TabSheet26")->visible);
    EXPECT_TRUE(Shown("Panel55"));
    EXPECT_EQ(window_->CurrentSubPage("Kimenet"), "OUT1");
    EXPECT_FALSE(Shown("TabSheet26"));
    EXPECT_TRUE(Shown("ComboKi1"));
    // Keys by caption reach their controls.
    cfg_->Controls().SetVisible("Híváskor nem kell felvenni! 6", false);
    EXPECT_TRUE(Child("best106")->isHidden());
    cfg_->Controls().SetText("RemoteNumber1", "");
    cfg_->Controls().SetEnabled("RemoteNumber1", false);
    EXPECT_FALSE(Child("TAV1")->isEnabled());
    cfg_->Controls().SetVisible("page:Saját memóriás", false);
    EXPECT_FALSE(window_->PageOffered("Saját memóriás", "Bejövő telefoszámok"));
    EXPECT_FALSE(Shown("Panel62"));
}

// The pop-up menu of the phone number fields and the SMS header counter.
TEST_F(ConfiguratorWindowTest, PhoneMenuAndHeaderCounter) {
    auto* phone = Child<QLineEdit>("MaskEdit3");
    phone->setText(QStringLiteral("06201234567"));
    EXPECT_TRUE(ConfiguratorWindow::ApplyPhoneMenuItem(phone, QStringLiteral("+3630")));
    EXPECT_EQ(phone->displayText(), QStringLiteral("+3630           "));
    EXPECT_TRUE(ConfiguratorWindow::ApplyPhoneMenuItem(phone, QStringLiteral("Delete")));
    EXPECT_EQ(phone->displayText(), QString(16, QLatin1Char(' ')));
    EXPECT_FALSE(ConfiguratorWindow::ApplyPhoneMenuItem(phone, QStringLiteral("Copy")));
    EXPECT_EQ(phone->contextMenuPolicy(), Qt::CustomContextMenu);

    auto* left = Child<QLabel>("LabelHeaderLeft");
    EXPECT_EQ(left->text(), QStringLiteral("120"));
    Child<QLineEdit>("Edit12")->setText(QString::fromUtf8("Riasztó: "));
    EXPECT_EQ(left->text(), QStringLiteral("111"));
}

// Menu items emit their commands.
TEST_F(ConfiguratorWindowTest, FileMenuItemsAndTransferButtonsEmitTheirSignals) {
    Spy save(window_.get(), &ConfiguratorWindow::SaveToFileRequested);
    Spy open(window_.get(), &ConfiguratorWindow::OpenFromFileRequested);
    Spy exportMemory(window_.get(), &ConfiguratorWindow::ExportMemoryRequested);
    Spy read(window_.get(), &ConfiguratorWindow::ReadRequested);
    Spy send(window_.get(), &ConfiguratorWindow::SendRequested);
    Spy any(window_.get(), &ConfiguratorWindow::MenuTriggered);
    window_->MenuAction("Mentés fájlba")->trigger();
    window_->MenuAction("Megnyitás fájlból")->trigger();
    EXPECT_FALSE(window_->MenuAction("Export memory")->isVisible());
    EXPECT_FALSE(window_->PageOffered("Admin"));
    cfg_->Controls().SetVisible("menu:Export memory", true);
    EXPECT_TRUE(window_->MenuAction("Export memory")->isVisible());
    EXPECT_TRUE(window_->PageOffered("Admin"));  // advanced mode
    window_->MenuAction("Export memory")->trigger();
    window_->MenuAction("GSM információk")->trigger();
    Child<QPushButton>(linkctl::ReadButton)->click();
    Child<QPushButton>(linkctl::SendButton)->click();
    EXPECT_EQ(save.count, 1);
    EXPECT_EQ(open.count, 1);
    EXPECT_EQ(exportMemory.count, 1);
    EXPECT_EQ(read.count, 1);
    EXPECT_EQ(send.count, 1);
    ASSERT_EQ(any.count, 4);
    EXPECT_EQ(any.last, QString::fromUtf8("GSM információk"));
}

// The settings model fills the widgets and takes the user's edits back.
TEST_F(ConfiguratorWindowTest, SettingsModelBindsEveryControlByName) {
    SettingsModel model;
    const std::vector<std::string> missing = window_->BindSettings(model);
    EXPECT_TRUE(missing.empty()) << "first without a widget: " << missing.front() << " (" << missing.size() << ")";
    // Model to widgets.
    model.SetValue("SpinEdit15", 77);
    model.SetText("riasztas2", "ajto nyitva");
    model.SetMask("SMSst3", 0x05);
    window_->ShowSettings();
    EXPECT_EQ(Child<QSpinBox>("SpinEdit15")->value(), 77);
    EXPECT_EQ(Child<QLineEdit>("riasztas2")->text(), QStringLiteral("ajto nyitva"));
    auto* list = Child<QListWidget>("SMSst3");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);
    // Widgets to model.
    Child<QSpinBox>("SpinEdit16")->setValue(100);
    Child<QCheckBox>("CheckEgyeb1")->setChecked(true);
    Child<QComboBox>("ComboKi3")->setCurrentIndex(5);
    list->item(7)->setCheckState(Qt::Checked);
    Child<QLineEdit>("Edit5")->setText(QStringLiteral("panel"));
    EXPECT_EQ(model.Value("SpinEdit16"), 100);
    EXPECT_TRUE(model.Checked("CheckEgyeb1"));
    EXPECT_EQ(model.Value("ComboKi3"), 5);
    EXPECT_EQ(model.Mask("SMSst3"), 0x85);
    EXPECT_EQ(model.Text("Edit5"), "panel");
}

// Every page fits the default window size: no page needs more room than
// the window has.
TEST_F(ConfiguratorWindowTest, EveryPageFitsTheDefaultWindowSize) {
    window_->show();
    const QSize size = window_->size();
    EXPECT_EQ(size, QSize(1100, 720));
    EXPECT_LE(window_->minimumSizeHint().width(), size.width());
    EXPECT_LE(window_->minimumSizeHint().height(), size.height());
    for (const auto& [parent, caption] : window_->OfferedViews()) {
        SCOPED_TRACE(caption);
        if (parent.empty()) window_->ShowPage(caption);
        else window_->ShowSubPage(caption, parent);
        QApplication::processEvents();
        QWidget* page = window_->MainPages()->currentWidget();
        EXPECT_LE(page->minimumSizeHint().width(), page->width());
        EXPECT_LE(page->minimumSizeHint().height(), page->height());
    }
}

// The screenshot option writes the launcher and one PNG per offered page.
TEST(ConfiguratorScreenshots, WriteOnePngPerOfferedPage) {
    TempDir dir;
    ScopedEnv settings("MORVANE_SETTINGS", dir.File("settings.ini"));
    LauncherEnv env;
    env.startup.StartDirectory = dir.Path();
    env.startup.ComPortItems = MakeComPortItems();
    Program program(std::move(env));
    const std::string out = dir.File("shots");
    const ScreenshotResult r = WriteScreenshots(program, out, 'Q', 90);
    ASSERT_TRUE(r.error.empty()) << r.error;
    const auto views = program.Windows().ConfiguratorView().OfferedViews();
    ASSERT_EQ(r.files.size(), views.size() + 1);
    std::set<std::string> names;
    for (const std::string& f : r.files) {
        QImage image(QString::fromStdString(f));
        EXPECT_FALSE(image.isNull()) << f;
        EXPECT_GE(image.width(), 300) << f;
        names.insert(std::filesystem::path(f).filename().string());
    }
    EXPECT_EQ(names.size(), r.files.size());  // one file per page
    EXPECT_TRUE(names.count("Launcher.png"));
    EXPECT_TRUE(names.count("Bemenetek-Bemenet_1.png"));
    EXPECT_TRUE(names.count("Tapmonitor.png"));
    EXPECT_FALSE(names.count("Bemenetek-Bemenet_2.png"));  // not offered to a 'Q'
    EXPECT_EQ(ScreenshotFileName({"GPS", "BAT<3.6"}), "GPS-BATL3.6.png");
    EXPECT_EQ(ScreenshotFileName({"Bejövő telefoszámok", "Saját memóriás"}), "Bejovo_telefoszamok-Sajat_memorias.png");
}

// The program's option: one PNG per line printed, exit status 0; a bad
// type letter is refused.
TEST(ConfiguratorScreenshots, CommandLineOptionWritesTheImagesAndExits) {
    TempDir dir;
    const QString program = QString::fromStdString(test::BinDir() + "/morvane");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MORVANE_SETTINGS"), QString::fromStdString(dir.File("settings.ini")));
    env.insert(QStringLiteral("MORVANE_START_DIR"), QString::fromStdString(dir.Path()));
    auto run = [&](const QStringList& args, QString* out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(60000)) return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const std::string shots = dir.File("shots");
    QString out;
    ASSERT_EQ(run({QStringLiteral("--screenshot"), QString::fromStdString(shots), QStringLiteral("--type"),
                   QStringLiteral("H"), QStringLiteral("--version"), QStringLiteral("93")},
                  &out),
              0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    size_t pngs = 0;
    for (const auto& e : std::filesystem::directory_iterator(shots)) pngs += e.path().extension() == ".png";
    EXPECT_EQ(pngs, static_cast<size_t>(lines.size()));
    EXPECT_GT(pngs, 20u);
    EXPECT_TRUE(std::filesystem::exists(shots + "/Bemenetek-Bemenet_3.png"));
    EXPECT_FALSE(std::filesystem::exists(shots + "/CID_SMS.png"));  // not offered to a Tarvex
    EXPECT_EQ(run({QStringLiteral("--screenshot"), QString::fromStdString(shots), QStringLiteral("--type"),
                   QStringLiteral("HQ")},
                  &out),
              2);
}

}  // namespace
}  // namespace morvane
