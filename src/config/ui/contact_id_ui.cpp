#include "config/ui/contact_id_ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <stdexcept>

#include "app/configurator_session.h"
#include "cid/cid_defaults.h"
#include "cid/contact_id.h"
#include "config/settings_model.h"
#include "config/ui/configurator_window.h"

namespace morvane {

namespace {

constexpr const char* kObjectName = "ContactIdPageUi";
constexpr const char* kCidPage = "CID/SMS";
constexpr const char* kEventNameLabel = "LabelEventName";
constexpr int kRecipients = 8;

QString Q(const std::string& s) { return QString::fromStdString(s); }

CidGrid& GridOf(ContactIdTables& t, CidTable table) { return table == CidTable::kZones ? t.zones : t.events; }

// The item of a cell, made when the cell has none yet.
QTableWidgetItem* CellItem(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    return item;
}

}  // namespace

ContactIdPageUi::ContactIdPageUi(QWidget* window, ConfiguratorSession& session, View& view, QObject* parent)
    : QObject(parent), session_(session), view_(view) {
    setObjectName(QString::fromLatin1(kObjectName));
    if (!window) return;
    zones_ = window->findChild<QTableWidget*>(QStringLiteral("StringGrid2"));
    events_ = window->findChild<QTableWidget*>(QStringLiteral("StringGrid3"));
    list_ = window->findChild<QListWidget*>(QStringLiteral("SMSst7"));
    label_ = window->findChild<QLabel*>(QString::fromLatin1(kEventNameLabel));
    loadZones_ = window->findChild<QPushButton*>(QStringLiteral("BitBtn17"));
    loadEvents_ = window->findChild<QPushButton*>(QStringLiteral("BitBtn16"));
    assignAll_ = window->findChild<QPushButton*>(QStringLiteral("Button20"));
    if (!Valid()) return;

    // Rows of the grids are the table rows 1..256.
    for (QTableWidget* grid : {zones_, events_}) {
        if (grid->rowCount() < kCidRows) grid->setRowCount(kCidRows);
        if (grid->columnCount() < 2) grid->setColumnCount(2);
    }
    connect(zones_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { OnCellChanged(CidTable::kZones, item); });
    connect(events_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { OnCellChanged(CidTable::kEvents, item); });
    connect(events_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0) SelectEventRow(row + 1);
    });
    connect(list_, &QListWidget::itemChanged, this, [this] { OnRecipientTicked(); });
    if (loadEvents_) connect(loadEvents_, &QPushButton::clicked, this, [this] { LoadDefaultEvents(); });
    if (loadZones_) connect(loadZones_, &QPushButton::clicked, this, [this] { LoadDefaultZones(); });
    if (assignAll_) connect(assignAll_, &QPushButton::clicked, this, [this] { AssignToAllEvents(); });

    // The recipients that can be ticked follow the phone numbers: look again
    // when the page comes up and when a number changes (after the settings
    // binding has taken the new number).
    if (auto* cw = qobject_cast<ConfiguratorWindow*>(window)) {
        connect(
            cw, &ConfiguratorWindow::PageShown, this,
            [this](const QString& caption) {
                if (caption == QString::fromUtf8(kCidPage)) ShowEnabledRecipients();
            },
            Qt::QueuedConnection);
    }
    for (int n = 1; n <= kRecipients; ++n) {
        if (auto* phone = window->findChild<QLineEdit*>(QStringLiteral("MaskEdit%1").arg(n)))
            connect(phone, &QLineEdit::textChanged, this, [this] { ShowEnabledRecipients(); }, Qt::QueuedConnection);
    }

    // The grid's first row is the current one until the user picks another.
    {
        const QSignalBlocker block(events_);
        events_->setCurrentCell(0, 0);
    }
    Refresh();
}

void ContactIdPageUi::Refresh() {
    if (!Valid()) return;
    FillGrid(zones_, CidTable::kZones);
    FillGrid(events_, CidTable::kEvents);
    ShowEnabledRecipients();
    ShowEventRow();
}

void ContactIdPageUi::FillGrid(QTableWidget* grid, CidTable table) {
    const CidGrid& rows = GridOf(session_.Model().Cid, table);
    const bool wasShowing = showing_;
    showing_ = true;
    for (int r = 1; r <= kCidRows; ++r) {
        const CidRow& row = rows[r];
        QTableWidgetItem* code = CellItem(grid, r - 1, kCodeColumn);
        QTableWidgetItem* name = CellItem(grid, r - 1, kNameColumn);
        if (code->text() != Q(row.code)) code->setText(Q(row.code));
        if (name->text() != Q(row.name)) name->setText(Q(row.name));
    }
    showing_ = wasShowing;
}

void ContactIdPageUi::OnCellChanged(CidTable table, QTableWidgetItem* item) {
    if (showing_ || !item) return;
    const int row = item->row() + 1;
    const int column = item->column();
    ContactIdTables& t = session_.Model().Cid;
    std::string kept;
    try {
        kept = EditCell(t, table, row, column, item->text().toStdString());
    } catch (const std::out_of_range&) {
        // A cell outside the table's rows and columns keeps nothing: it
        // shows what the table holds there (nothing).
        kept.clear();
        if (row >= 1 && row <= kCidRows && (column == kCodeColumn || column == kNameColumn)) {
            const CidRow& cell = GridOf(t, table)[row];
            kept = column == kCodeColumn ? cell.code : cell.name;
        }
    }
    if (item->text() != Q(kept)) {
        showing_ = true;
        item->setText(Q(kept));
        showing_ = false;
    }
    if (table == CidTable::kEvents && row == eventRow_ && column == kNameColumn) ShowEventRow();
}

void ContactIdPageUi::SelectEventRow(int row) {
    if (row < 1 || row > kCidRows) return;
    eventRow_ = row;
    ShowEnabledRecipients();
    ShowEventRow();
}

void ContactIdPageUi::ShowEventRow() {
    if (!Valid()) return;
    const ContactIdTables& t = session_.Model().Cid;
    const uint8_t mask = t.smsMask[eventRow_];
    showing_ = true;
    for (int i = 0; i < list_->count() && i < kRecipients; ++i) {
        const Qt::CheckState want = (mask >> i) & 1 ? Qt::Checked : Qt::Unchecked;
        if (list_->item(i)->checkState() != want) list_->item(i)->setCheckState(want);
    }
    showing_ = false;
    const std::string& name = t.events[eventRow_].name;
    // The label is a control of the configurator: its state carries the text
    // so that the window's own refreshes keep it.
    ControlSet& controls = session_.Form().Controls();
    const ControlState* s = controls.Find(kEventNameLabel);
    if (!s || s->text != name) controls.SetText(kEventNameLabel, name);
    if (label_ && label_->text() != Q(name)) label_->setText(Q(name));
}

void ContactIdPageUi::ShowEnabledRecipients() {
    if (!Valid()) return;
    // Every recipient list offers the same numbers.
    const uint8_t enabled = session_.Model().At(SettingsModel::RecipientLists().front()).itemEnabled;
    showing_ = true;
    for (int i = 0; i < list_->count() && i < kRecipients; ++i) {
        QListWidgetItem* item = list_->item(i);
        Qt::ItemFlags f = item->flags();
        if ((enabled >> i) & 1) f |= Qt::ItemIsEnabled;
        else f &= ~Qt::ItemIsEnabled;
        if (f != item->flags()) item->setFlags(f);
    }
    showing_ = false;
}

void ContactIdPageUi::OnRecipientTicked() {
    if (showing_) return;
    session_.Model().Cid.smsMask[eventRow_] = ListMask();
}

uint8_t ContactIdPageUi::ListMask() const {
    if (!list_) return 0;
    uint8_t mask = 0;
    for (int i = 0; i < list_->count() && i < kRecipients; ++i)
        if (list_->item(i)->checkState() == Qt::Checked) mask = uint8_t(mask | (1u << i));
    return mask;
}

std::string ContactIdPageUi::DefaultsLanguage() const {
    const std::string& code = session_.Form().LanguageCode;
    return code.empty() ? std::string("1") : code;
}

void ContactIdPageUi::LoadDefaultEvents() {
    LoadDefaultEventTable(session_.Model().Cid, DefaultsLanguage());
    Refresh();
}

void ContactIdPageUi::LoadDefaultZones() {
    LoadDefaultZoneTemplate(session_.Model().Cid, DefaultsLanguage());
    Refresh();
}

bool ContactIdPageUi::AssignToAllEvents() {
    return AssignMaskToAllEvents(session_.Model().Cid, ListMask(), view_);
}

ContactIdPageUi* MountContactIdPage(QWidget* window, ConfiguratorSession& session, View& view) {
    if (!window) return nullptr;
    if (auto* mounted = window->findChild<ContactIdPageUi*>(QString::fromLatin1(kObjectName), Qt::FindDirectChildrenOnly))
        return mounted;
    auto* ui = new ContactIdPageUi(window, session, view, window);
    if (!ui->Valid()) {
        delete ui;
        return nullptr;
    }
    return ui;
}

}  // namespace morvane
