#pragma once
// The incoming number list page ("Saját memóriás"): a grid of 1000 numbers,
// each row backed by a 16-byte record of the configuration image, with the
// boxes of the selected row's control rights (byte 14) and time zone (byte
// 15). The boxes store into the image at once; the numbers reach the image
// when the list is written ("Írás"), which also sends it to the device.
//
// The boxes live in the configurator's ControlSet:
//   "CONTR1".."CONTR7"  "OUT1 Control".."Direct DTMF Control" (bits 0-6 of byte 14)
//   "CONTR20"           the time zone choice (itemIndex 0 "Everytime enabled",
//                       1..3 "Time Zona1".."Time Zona3"; bits 0-1 of byte 15)
//   "CONTR22"           "IN4 Everytime Disabled" (bit 2 of byte 15)
//   "CONTR23"           "IN3 Everytime Enabled" (bit 3), enabled only with a zone
//   "LabelNumber"       the label above the grid
//   "NumberListProgress", "ListRead" ("Olvasás"), "ListWrite" ("Írás")
#include <cstdint>
#include <functional>
#include <string>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "config/list_files.h"

namespace morvane {

class DeviceLink;
class PageCommands;

inline constexpr const char* kNumberListPageCaption = "Bejövő telefoszámok";
inline constexpr const char* kNumberNotSavedText = "Phone number not saved!";

namespace numkey {
inline constexpr const char* Zone = "CONTR20";
inline constexpr const char* In4Disabled = "CONTR22";
inline constexpr const char* In3Enabled = "CONTR23";
inline constexpr const char* NumberLabel = "LabelNumber";
inline constexpr const char* Progress = "NumberListProgress";
std::string Box(int bit);  // "CONTR1".."CONTR7" for bits 0..6
}  // namespace numkey

class NumberListPage {
public:
    static constexpr int kRows = NumberListGrid::kRecords;  // 1000
    static constexpr int kWrittenRows = 1024;                // rows the write covers
    static constexpr int kNumberCharacters = 14;             // kept on the page
    static constexpr int kStoredCharacters = 13;             // stored in a record

    NumberListPage(Configurator& form, ConfigImage& image, View& view);

    // The grid (file loads and saves use it as well).
    NumberListGrid& Grid() { return grid_; }
    const NumberListGrid& Grid() const { return grid_; }

    bool NumberListChanged = false;  // edited and not yet written
    bool RowLoading = false;         // a row is being loaded into the boxes

    // ---- page events
    // The page "Bejövő telefoszámok" becomes current: the window's "Olvasás"
    // and "Elküldés" hidden, the list's "Olvasás" in the hover colour,
    // NumberListChanged cleared.
    void PageEntered();
    // A sub-page of it: the list and the SIM phonebook hide the window's two
    // buttons, "Time Zona" shows them.
    void SubPageEntered(const std::string& caption);
    // Leaving the page: the two buttons shown again; "Phone number not
    // saved!" while NumberListChanged.
    void PageLeft();

    // ---- rows and boxes
    // Selecting row r (1..1000) loads its record into the boxes; stores nothing.
    void SelectRow(int row);
    // A box or the zone choice changed (the ControlSet already holds it):
    // stores the boxes into the selected row's record. Ignored while RowLoading.
    void BoxesChanged();
    // The same after setting one box (bit 0..6), the zone, or the two IN boxes.
    void SetBox(int bit, bool on);
    void SetZone(int index);
    void SetIn4Disabled(bool on);
    void SetIn3Enabled(bool on);
    // Editing the number of a row: cut to 14 characters; returns the text kept.
    std::string EditNumber(int row, const std::string& text);

    // The boxes as bytes 14 and 15. Byte 14 is 0 with the firmware rule
    // (DeviceVersion below 87 without DemoMode) when versionRule is set.
    uint8_t RightsByte(bool versionRule = true) const;
    uint8_t ZoneByte() const;
    // Bytes 14 and 15 of row r's record.
    uint8_t StoredRights(int row) const;
    uint8_t StoredZone(int row) const;

    // "Copy Setting all phone number": the boxes into every row with a
    // number (without the firmware rule). Returns the rows changed.
    int CopySettingsToAll();
    // "Keresés": the first row whose number contains the text becomes the
    // current row (row 1 for an empty text); 0 when none does.
    int Search(const std::string& text);

    // ---- transfers
    // "Olvasás": 115 from page 0x3600.
    void StartRead(PageCommands& commands);
    // "Írás": the numbers into the records of rows 1..1024, then 116.
    void StartWrite(PageCommands& commands);
    // One block of the read: 16 records of the page transferIndex.
    void BlockRead(int transferIndex, const uint8_t* block);
    // The end of the read and of the write.
    void ReadFinished();
    void WriteFinished();
    // The door editor's list progress bar shown (true) or hidden with the list's.
    std::function<void(bool shown)> OnDoorProgress;

private:
    bool FirmwareBlocksRights() const;
    bool HasNumber(int row) const;
    bool ValidRow(int row) const { return row >= 1 && row <= kRows && row < grid_.RowCount(); }
    void MarkChanged();
    void FollowZone();
    void ShowTransfer(uint32_t ownColor, const char* own);
    void EndTransfer();

    Configurator& form_;
    ConfigImage& image_;
    View& view_;
    NumberListGrid grid_;
    bool storing_ = false;
};

// Hooks the page onto the link: the blocks of the list read (115) fill the
// grid and the last one ends the read; the end of the list write (116) ends
// the write. Hooks set before are kept and still called.
void AttachNumberList(DeviceLink& link, NumberListPage& page);

}  // namespace morvane
