// The "CID/SMS" page on the session's Contact ID tables, off-screen: the
// default loaders fill the grids in the configurator's language, cell edits
// keep the text the grid rules allow, the selected event row's recipients are
// shown and stored through "SMSst7", and "Összes jelzéshez hozzárendel"
// reaches every event row with a code once the user agrees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <memory>
#include <string>

#include "app/configurator_session.h"
#include "app/ui/configurator_window.h"
#include "app/view.h"
#include "cid/contact_id.h"
#include "config/settings_model.h"
#include "config/ui/contact_id_ui.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;

class ContactIdUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<ConfiguratorSession>(view_, "Software\\MorvaneTest", dir_.Path());
        window_ = std::make_unique<ConfiguratorWindow>(session_->Form());
        window_->setAttribute(Qt::WA_DontShowOnScreen, true);
        window_->BindSettings(session_->Model());
        ui_ = MountContactIdPage(window_.get(), *session_, view_);
        ASSERT_NE(ui_, nullptr);
    }
    void TearDown() override {
        window_.reset();
        session_.reset();
    }

    ContactIdTables& Cid() { return session_->Model().Cid; }
    QString Cell(QTableWidget* grid, int row, int column) {
        QTableWidgetItem* item = grid->item(row - 1, column);
        return item ? item->text() : QString();
    }
    void Click(const char* name) {
        auto* b = window_->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    void SetPhones(std::initializer_list<int> numbers) {
        SettingsModel& m = session_->Model();
        for (int n : numbers) m.SetText("MaskEdit" + std::to_string(n), "+3612345678" + std::to_string(n));
        m.RefreshRecipientLists();
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    RecordingView view_;
    std::unique_ptr<ConfiguratorSession> session_;
    std::unique_ptr<ConfiguratorWindow> window_;
    ContactIdPageUi* ui_ = nullptr;
};

TEST_F(ContactIdUiTest, MountsOnceOnThePageWidgets) {
    EXPECT_EQ(MountContactIdPage(window_.get(), *session_, view_), ui_);
    EXPECT_EQ(ui_->EventGrid()->objectName(), QStringLiteral("StringGrid3"));
    EXPECT_EQ(ui_->ZoneGrid()->objectName(), QStringLiteral("StringGrid2"));
    QWidget bare;
    EXPECT_EQ(MountContactIdPage(&bare, *session_, view_), nullptr);
}

// The buttons load the defaults in the configurator's language (English when
// none is set), clear the rows after them and leave the recipients alone.
TEST_F(ContactIdUiTest, DefaultLoadersFillTheGridsInTheConfiguratorsLanguage) {
    struct Case {
        const char* language;
        const char* button;
        bool events;
        int row;
        const char* code;
        const char* name;
    };
    const Case cases[] = {
        {"", "BitBtn16", true, 46, "E381", "Loss of supervision - RF"},
        {"0", "BitBtn16", true, 1, "E130", "Betores"},
        {"0", "BitBtn16", true, 46, "E384", "RF ado elem kimerult"},
        {"", "BitBtn17", false, 20, "??001", "Zone 1 all partition"},
        {"0", "BitBtn17", false, 16, "02001", "2. partició Zona 01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " language \"" + c.language + "\" row " + std::to_string(c.row));
        session_->Form().LanguageCode = c.language;
        CidGrid& grid = c.events ? Cid().events : Cid().zones;
        grid[200] = {"E999", "left over"};
        Cid().smsMask[1] = 0x21;
        ui_->Refresh();
        QTableWidget* widget = c.events ? ui_->EventGrid() : ui_->ZoneGrid();
        ASSERT_EQ(Cell(widget, 200, kCodeColumn), QStringLiteral("E999"));

        Click(c.button);
        EXPECT_EQ(grid[c.row].code, c.code);
        EXPECT_EQ(grid[c.row].name, c.name);
        EXPECT_EQ(Cell(widget, c.row, kCodeColumn), QString::fromUtf8(c.code));
        EXPECT_EQ(Cell(widget, c.row, kNameColumn), QString::fromUtf8(c.name));
        EXPECT_TRUE(grid[200].code.empty());
        EXPECT_TRUE(Cell(widget, 200, kCodeColumn).isEmpty());
        EXPECT_EQ(Cid().smsMask[1], 0x21);
    }
}

// What the user types into a cell is kept as the grid rules allow, in the
// table and in the cell.
TEST_F(ContactIdUiTest, CellEditsAreNormalisedIntoTheTables) {
    const std::string longName(60, 'n');
    struct Case {
        bool events;
        int row;
        int column;
        std::string typed;
        std::string kept;
    };
    const Case cases[] = {
        {true, 1, kCodeColumn, "e130", "E130"},
        {true, 2, kCodeColumn, "r4011", "R401"},
        {true, 3, kCodeColumn, "e1", "e1"},
        {false, 1, kCodeColumn, "??abc", "??ABC"},
        {false, 2, kCodeColumn, "0100123", "01001"},
        {false, 3, kCodeColumn, "1", "1"},
        {true, 4, kNameColumn, longName, longName.substr(0, 58)},
        {false, 256, kNameColumn, "Zóna ő", "Zóna ő"},
        {true, 5, kCodeColumn, "", ""},
    };
    Cid().events[5] = {"E130", "Burglary"};
    ui_->Refresh();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QTableWidget* widget = c.events ? ui_->EventGrid() : ui_->ZoneGrid();
        widget->item(c.row - 1, c.column)->setText(QString::fromStdString(c.typed));
        const CidRow& row = (c.events ? Cid().events : Cid().zones)[c.row];
        EXPECT_EQ(c.column == kCodeColumn ? row.code : row.name, c.kept);
        EXPECT_EQ(Cell(widget, c.row, c.column), QString::fromStdString(c.kept));
    }
}

// Selecting an event row shows its name and recipients; ticking the list
// stores the recipients of that row only; the numbers that are not set
// cannot be ticked.
TEST_F(ContactIdUiTest, SelectedRowsRecipientsAreShownAndStored) {
    SetPhones({1, 2, 3});
    Cid().events[4] = {"R140", "Restore General Alarm"};
    Cid().events[5] = {"E401", "Open"};
    Cid().smsMask[5] = 0x05;
    ui_->Refresh();
    QListWidget* list = ui_->RecipientList();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bool(list->item(i)->flags() & Qt::ItemIsEnabled), i < 3) << "item " << i;

    ui_->EventGrid()->setCurrentCell(4, kNameColumn);
    EXPECT_EQ(ui_->CurrentEventRow(), 5);
    EXPECT_EQ(ui_->EventNameLabel()->text(), QStringLiteral("Open"));
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);

    list->item(1)->setCheckState(Qt::Checked);
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(Cid().smsMask[5], 0x06);
    EXPECT_EQ(Cid().smsMask[4], 0);

    // Another row shows its own recipients, and a later read shows what the
    // tables then hold.
    ui_->EventGrid()->setCurrentCell(3, kCodeColumn);
    EXPECT_EQ(ui_->ListMask(), 0);
    EXPECT_EQ(ui_->EventNameLabel()->text(), QStringLiteral("Restore General Alarm"));
    Cid().smsMask[4] = 0x80;
    Cid().events[4].name = "Renamed";
    ui_->Refresh();
    EXPECT_EQ(ui_->ListMask(), 0x80);
    EXPECT_EQ(ui_->EventNameLabel()->text(), QStringLiteral("Renamed"));
    EXPECT_EQ(Cell(ui_->EventGrid(), 4, kNameColumn), QStringLiteral("Renamed"));
    EXPECT_EQ(Cid().smsMask[5], 0x06);
}

// "Összes jelzéshez hozzárendel" asks first; on Yes every row with a code
// gets the list's recipients, rows without a code keep theirs; on No nothing
// changes.
TEST_F(ContactIdUiTest, AssignToAllAsksAndSkipsRowsWithoutCode) {
    SetPhones({1, 2});
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        Cid() = ContactIdTables{};
        Cid().events[1] = {"E130", "Burglary"};
        Cid().events[2] = {"R130", ""};
        Cid().events[3] = {"", "no code"};
        Cid().smsMask[2] = 0x10;
        Cid().smsMask[3] = 0x40;
        ui_->Refresh();
        ui_->EventGrid()->setCurrentCell(0, kCodeColumn);
        ui_->RecipientList()->item(1)->setCheckState(Qt::Checked);
        ASSERT_EQ(Cid().smsMask[1], 0x02);

        view_.questions.clear();
        view_.confirmAnswer = yes;
        Click("Button20");
        ASSERT_EQ(view_.questions.size(), 1u);
        EXPECT_EQ(view_.questions[0], kAssignAllQuestion);
        EXPECT_EQ(Cid().smsMask[1], 0x02);
        EXPECT_EQ(Cid().smsMask[2], yes ? 0x02 : 0x10);
        EXPECT_EQ(Cid().smsMask[3], 0x40);
        EXPECT_EQ(Cid().smsMask[4], 0);
    }
}

}  // namespace
}  // namespace morvane
