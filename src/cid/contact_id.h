#pragma once
// Contact ID reporting codes: the digit encoding, the zone and event tables
// (256 rows of 64 bytes each in the image), the SMS recipients of each event
// row, the account number and the per-channel event and zone codes of the
// configuration area, and the editing rules of the two code grids.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_image.h"

namespace morvane {

class View;

// ---- Digit encoding -------------------------------------------------------

// One character of a code as stored: "1".."9" -> 1..9, "0" and "A" -> 10,
// "B".."F" -> 11..15, "R" -> 3, "?" -> 63, anything else -> 255.
uint8_t DigitCode(char c);
// The character of a stored digit: 1..9 -> "1".."9", 10 -> "0",
// 11..15 -> "B".."F", 63 -> "?", any other byte -> "x".
char DigitChar(uint8_t code);

// ---- Tables ---------------------------------------------------------------

constexpr int kCidRows = 256;        // rows 1..256 of each table
constexpr size_t kCidRowSize = 64;
constexpr size_t kCidNameMax = 58;   // name bytes 6..63
constexpr size_t kZoneCodeLength = 5;
constexpr size_t kEventCodeLength = 4;

// Image offset of row r (1..256); throws std::out_of_range for other rows.
uint32_t ZoneRowOffset(int row);
uint32_t EventRowOffset(int row);

// One grid row: the code cell and the name cell (UTF-8). An empty code cell
// marks a row that is not in use.
struct CidRow {
    std::string code;
    std::string name;
    bool operator==(const CidRow&) const = default;
};

// A grid of 256 rows addressed 1..256 (row 0 is the grid's header).
class CidGrid {
public:
    CidRow& operator[](int row) { return rows_.at(Index(row)); }
    const CidRow& operator[](int row) const { return rows_.at(Index(row)); }
    void Clear() { rows_.fill({}); }
    bool operator==(const CidGrid&) const = default;

private:
    static size_t Index(int row);
    std::array<CidRow, kCidRows> rows_{};
};

// SMS recipient mask of each event row, addressed 1..256: bit i set = phone
// number i + 1 gets an SMS for the event.
class EventSmsMask {
public:
    uint8_t& operator[](int row) { return bits_.at(Index(row)); }
    uint8_t operator[](int row) const { return bits_.at(Index(row)); }
    void Clear() { bits_.fill(0); }
    bool operator==(const EventSmsMask&) const = default;

private:
    static size_t Index(int row);
    std::array<uint8_t, kCidRows> bits_{};
};

// ---- Per-channel codes ----------------------------------------------------

// Account number and the event and zone code of each reporting channel, as
// the edits on the monitoring page hold them (design values as defaults).
struct ContactIdChannelCodes {
    std::string account;  // CIDUGYFEL, four characters
    std::string cidBe1 = "130", zonaBe1 = "001";
    std::string cidBe2 = "130", zonaBe2 = "002";
    std::string cidBe3 = "130", zonaBe3 = "003";
    std::string cidBe4 = "130", zonaBe4 = "004";
    std::string cidTamper = "137", zonaTamper = "001";
    std::string cidTap = "302", zonaTap = "001";
    std::string gprsElet = "603";  // GPRS heartbeat, zone always "001"
    std::string cidElet = "602";   // periodic test, zone always "001"
    std::string cidNyit = "401";   // opening and closing, zone always "001"
    bool operator==(const ContactIdChannelCodes&) const = default;
};

// Offsets in the configuration area.
constexpr uint32_t kCidAccountOffset = 1024;
constexpr uint32_t CidSlotEventOffset(int slot) { return 1040 + 8 * uint32_t(slot); }
constexpr uint32_t CidSlotZoneOffset(int slot) { return 1043 + 8 * uint32_t(slot); }

// ---- Everything the configurator keeps --------------------------------------

struct ContactIdTables {
    CidGrid zones;          // StringGrid2 "Partició elnevezések"
    CidGrid events;         // StringGrid3 "ContactID kódok elnevezései"
    EventSmsMask smsMask;   // EventSmsMask, shown in SMSst7
    ContactIdChannelCodes channels;
    bool operator==(const ContactIdTables&) const = default;
};

// Which parts a conversion covers: the settings conversion stores the tables
// and the configuration-area block at different steps.
enum class CidParts { kTables = 1, kBlock = 2, kAll = 3 };

// Stores the tables (zone and event rows) and/or the account number and the
// channel codes into the image.
void EncodeContactId(const ContactIdTables& t, ConfigImage& image, CidParts parts = CidParts::kAll);
// Fills the tables and/or the channel codes from the image.
void DecodeContactId(const ConfigImage& image, ContactIdTables& t, CidParts parts = CidParts::kAll);

// ---- Grid editing -----------------------------------------------------------

enum class CidTable { kZones, kEvents };
constexpr int kCodeColumn = 0;
constexpr int kNameColumn = 1;

// The text a cell keeps after an edit: code cells are cut to 5 (zones) or 4
// (events) characters and a code of full length is upper-cased; names are
// cut to 58 characters. Throws std::out_of_range for a column other than 0, 1.
std::string NormaliseCell(CidTable table, int column, const std::string& text);
// Stores a normalised edit in cell (row 1..256, column 0..1) and returns the
// text kept. Throws std::out_of_range for the header row or a bad cell.
std::string EditCell(ContactIdTables& t, CidTable table, int row, int column, const std::string& text);

// "Összes jelzéshez hozzárendel": mask becomes the recipients of every event
// row whose code cell is not empty. Returns the number of rows changed.
int AssignMaskToAllEvents(ContactIdTables& t, uint8_t mask);
// The same after asking the user; false (nothing changed) on No.
inline constexpr const char* kAssignAllQuestion =
    "Az összes eseményhez hozzárendeljük a fenti lista telefonszámait! Biztosan folytatja?";
bool AssignMaskToAllEvents(ContactIdTables& t, uint8_t mask, View& view,
                           const std::string& question = kAssignAllQuestion);

}  // namespace morvane
