#pragma once
// The "CID/SMS" page on the Contact ID tables of the settings model: the zone
// grid "StringGrid2" and the event grid "StringGrid3" show the tables, a cell
// edit keeps the text the grid rules allow, the selected event row's name and
// SMS recipients appear in "LabelEventName" and "SMSst7", ticking the list
// stores the row's recipients, "Button20" gives the list's recipients to
// every event and "BitBtn16"/"BitBtn17" load the default tables in the
// configurator's language. The widgets are the page's own, found by name.
#include <QObject>

#include <cstdint>
#include <string>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace morvane {

class ConfiguratorSession;
class View;
enum class CidTable;

class ContactIdPageUi : public QObject {
    Q_OBJECT
public:
    // Finds the page's widgets under window; Valid() tells whether both grids
    // and the recipient list were there.
    ContactIdPageUi(QWidget* window, ConfiguratorSession& session, View& view, QObject* parent = nullptr);

    bool Valid() const { return zones_ && events_ && list_; }

    // Shows the tables again: both grids, the selected event row's name and
    // recipients, and which recipients can be ticked (after reads, file loads
    // and default loads).
    void Refresh();

    // "Alap kódtábla betöltése" and "Alap zónák betöltése" (also the menu
    // items "Alap ContactID kódok betöltése" and "Sablon Betöltése").
    void LoadDefaultEvents();
    void LoadDefaultZones();
    // "Összes jelzéshez hozzárendel": asks, then the list's recipients go to
    // every event row with a code. False when the user said no.
    bool AssignToAllEvents();

    // The event row (1..256) the recipient list belongs to.
    int CurrentEventRow() const { return eventRow_; }
    // The recipients ticked in the list.
    uint8_t ListMask() const;
    // The language the default tables are loaded in.
    std::string DefaultsLanguage() const;

    QTableWidget* ZoneGrid() const { return zones_; }
    QTableWidget* EventGrid() const { return events_; }
    QListWidget* RecipientList() const { return list_; }
    QLabel* EventNameLabel() const { return label_; }

private:
    void FillGrid(QTableWidget* grid, CidTable table);
    void OnCellChanged(CidTable table, QTableWidgetItem* item);
    void SelectEventRow(int row);
    void ShowEventRow();
    void ShowEnabledRecipients();
    void OnRecipientTicked();

    ConfiguratorSession& session_;
    View& view_;
    QTableWidget* zones_ = nullptr;
    QTableWidget* events_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* loadZones_ = nullptr;
    QPushButton* loadEvents_ = nullptr;
    QPushButton* assignAll_ = nullptr;
    int eventRow_ = 1;
    bool showing_ = false;  // the widgets are being filled from the tables
};

// Wires the "CID/SMS" page of the configurator window to the session's
// Contact ID tables and fills it. Mounting again returns the page already
// mounted; null when the window has no such page. The object lives as long
// as the window.
ContactIdPageUi* MountContactIdPage(QWidget* window, ConfiguratorSession& session, View& view);

}  // namespace morvane
