// The pages' rules and the incoming number list on the configurator window:
// edits of the widgets reach the rules through the controller, and what the
// rules change shows on the pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>

#include <memory>
#include <string>

#include "app/configurator_session.h"
#include "app/ui/configurator_window.h"
#include "app/ui/qt_host.h"
#include "config/config_image.h"
#include "config/memory_map.h"
#include "config/number_list.h"
#include "config/page_rules.h"
#include "config/ui/configurator_controller.h"
#include "link/link.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;

// A session with its window and controller; the window is off the screen,
// so showing it does not activate the configurator.
class PageRulesGui : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<ConfiguratorSession>(view_, "Software\\MorvaneTest", dir_.Path());
        window_ = std::make_unique<ConfiguratorWindow>(session_->Form());
        window_->setAttribute(Qt::WA_DontShowOnScreen, true);
        host_ = std::make_unique<QtHost>();
        controller_ = std::make_unique<ConfiguratorController>(*window_, *session_, *host_, shell_, view_, nullptr);
    }
    void TearDown() override {
        session_->Link().TxCel = 0;
        controller_.reset();
        window_.reset();
        host_.reset();  // before the timers and ports it runs
        session_.reset();
    }

    template <typename W = QWidget>
    W* Child(const std::string& name) {
        W* w = window_->findChild<W*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    RecordingView view_;
    std::unique_ptr<QtHost> host_;
    QtShell shell_;
    std::unique_ptr<ConfiguratorSession> session_;
    std::unique_ptr<ConfiguratorWindow> window_;
    std::unique_ptr<ConfiguratorController> controller_;
};

// A typed phone number offers its item in the recipient lists under its text;
// deleting it through the pop-up menu takes both back.
TEST_F(PageRulesGui, RecipientListsFollowThePhoneNumbers) {
    auto* list = Child<QListWidget>("SMSst1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 8);
    EXPECT_FALSE(list->item(1)->flags() & Qt::ItemIsEnabled);

    Child<QLineEdit>("MaskEdit2")->setText(QStringLiteral("+36301234567"));
    EXPECT_TRUE(list->item(1)->flags() & Qt::ItemIsEnabled);
    EXPECT_TRUE(list->item(1)->text().startsWith(QStringLiteral("+36301234567")));
    EXPECT_FALSE(list->item(2)->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Phone3"));
    const auto captions = RecipientCaptions(session_->Model(), "SMSst1", session_->Form().DeviceType);
    EXPECT_EQ(list->item(1)->text().toStdString(), captions[1]);

    window_->OnPhoneMenu(2, "Delete");
    EXPECT_EQ(Child<QLineEdit>("MaskEdit2")->text().trimmed(), QString());
    EXPECT_FALSE(list->item(1)->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Phone2"));
}

// The unit of OUT1 changes the value shown, not the time the output holds.
TEST_F(PageRulesGui, OutputUnitKeepsTheOutputTime) {
    SettingsModel& model = session_->Model();
    auto* spin = Child<QSpinBox>("SpinKI1");
    auto* unit = Child<QComboBox>("KI1SECMIN");
    ASSERT_TRUE(spin && unit);
    spin->setValue(120);
    EXPECT_EQ(model.OutputTime[0], 120);

    unit->setCurrentIndex(unit->findText(QStringLiteral("Min")));
    ASSERT_EQ(model.Value("KI1SECMIN"), 1);
    EXPECT_EQ(spin->value(), 2);
    EXPECT_EQ(model.OutputTime[0], 120);

    spin->setValue(3);
    EXPECT_EQ(model.OutputTime[0], 180);
    unit->setCurrentIndex(0);
    EXPECT_EQ(spin->value(), 180);
    EXPECT_EQ(model.OutputTime[0], 180);
}

// Selecting a row loads its record's rights and zone into the boxes; a
// ticked box goes into the record at once, into the selected row only.
TEST_F(PageRulesGui, NumberListRowsAndBoxesUseTheRecords) {
    session_->Form().DeviceVersion = 90;  // a firmware that keeps the rights
    ConfigImage& image = session_->Image();
    const uint32_t row1 = NumberListRowOffset(1);
    const uint32_t row2 = NumberListRowOffset(2);
    image[row1 + mm::kNumberListRights] = 0x01;
    image[row1 + mm::kNumberListZone] = 0x02;
    image[row2 + mm::kNumberListRights] = 0x10;
    image[row2 + mm::kNumberListZone] = 0x00;

    auto* grid = Child<QTableWidget>("NumberGrid");
    ASSERT_NE(grid, nullptr);
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("+3611111111")));
    grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("+36222222222222222")));
    NumberListPage& list = session_->NumberList();
    EXPECT_EQ(list.Grid().rows[1].number, "+3611111111");
    EXPECT_EQ(list.Grid().rows[2].number, "+3622222222222") << "cut to 14 characters";
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("+3622222222222"));

    grid->setCurrentCell(1, 0);
    grid->setCurrentCell(0, 0);
    auto* box1 = Child<QCheckBox>("CONTR1");
    auto* box3 = Child<QCheckBox>("CONTR3");
    auto* box5 = Child<QCheckBox>("CONTR5");
    auto* zone = Child<QComboBox>("CONTR20");
    ASSERT_TRUE(box1 && box3 && box5 && zone);
    EXPECT_TRUE(box1->isChecked());
    EXPECT_FALSE(box5->isChecked());
    EXPECT_EQ(zone->currentIndex(), 2);

    box3->setChecked(true);
    EXPECT_EQ(image[row1 + mm::kNumberListRights], 0x05);
    EXPECT_EQ(image[row1 + mm::kNumberListZone], 0x02);
    zone->setCurrentIndex(1);
    EXPECT_EQ(image[row1 + mm::kNumberListZone], 0x01);
    EXPECT_EQ(image[row2 + mm::kNumberListRights], 0x10);

    grid->setCurrentCell(1, 0);
    EXPECT_TRUE(box5->isChecked());
    EXPECT_FALSE(box3->isChecked());
    EXPECT_EQ(zone->currentIndex(), 0);
}

// Closing the window while a request runs asks the busy question; "no" keeps
// the window open.
TEST_F(PageRulesGui, ClosingDuringATransferAsksFirst) {
    bool closed = false;
    window_->OnClosed = [&closed] { closed = true; };
    window_->show();
    session_->Link().TxCel = 115;
    view_.confirmAnswer = false;
    EXPECT_FALSE(window_->close());
    ASSERT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(view_.questions[0], kBusyExitQuestion);
    EXPECT_TRUE(window_->isVisible());

    view_.confirmAnswer = true;
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(view_.questions.size(), 2u);
    EXPECT_FALSE(window_->isVisible());
    QApplication::processEvents();
    EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace morvane
