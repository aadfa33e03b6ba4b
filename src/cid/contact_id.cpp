#include "cid/contact_id.h"

#include <stdexcept>
#include <vector>

#include "app/view.h"
#include "config/device_charmap.h"

namespace morvane {
namespace {

// Names are stored as typed, one code page 1250 byte a character.

std::vector<char32_t> CodePoints(const std::string& s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) out.push_back(NextCodePoint(s, i));
    return out;
}

std::string Utf8(const std::vector<char32_t>& cps) {
    std::string out;
    for (char32_t cp : cps) AppendUtf8(out, cp);
    return out;
}

// The stored byte of a character. Characters outside the code page, and the
// two bytes that end a stored name (0 and 0xFF), become "?".
uint8_t Cp1250Byte(char32_t cp) {
    const uint8_t b = Cp1250FromCodePoint(cp);
    return b == 0 || b == 0xFF ? uint8_t('?') : b;
}

// The characters of a grid cell as one-byte codes for DigitCode; characters
// beyond ASCII give a byte DigitCode does not know.
std::string CodeChars(const std::string& code) {
    std::string out;
    for (char32_t cp : CodePoints(code)) out += cp < 0x80 ? char(cp) : '\xFF';
    return out;
}

// Stores `count` digit codes of the text's first characters; missing ones 255.
void StoreDigits(ConfigImage& image, uint32_t offset, const std::string& chars, size_t count) {
    for (size_t i = 0; i < count; ++i) image[offset + i] = i < chars.size() ? DigitCode(chars[i]) : 0xFF;
}

std::string ReadDigits(const ConfigImage& image, uint32_t offset, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += DigitChar(image[offset + i]);
    return s;
}

// Name at bytes 6..63: up to 58 characters, one 0xFF after a shorter name.
void StoreName(ConfigImage& image, uint32_t row, const std::string& name) {
    const uint32_t at = row + 6;
    size_t n = 0;
    for (char32_t cp : CodePoints(name)) {
        if (n == kCidNameMax) break;
        image[at + n++] = Cp1250Byte(cp);
    }
    if (n < kCidNameMax) image[at + n] = 0xFF;
}

std::string ReadName(const ConfigImage& image, uint32_t row) {
    std::string s;
    for (size_t i = 0; i < kCidNameMax; ++i) {
        const uint8_t b = image[row + 6 + i];
        if (b == 0xFF || b == 0) break;
        AppendUtf8(s, Cp1250ToCodePoint(b));
    }
    return s;
}

bool Has(CidParts parts, CidParts part) { return (int(parts) & int(part)) != 0; }

void EncodeTables(const ContactIdTables& t, ConfigImage& image) {
    for (int r = 1; r <= kCidRows; ++r) {
        const uint32_t at = ZoneRowOffset(r);
        const CidRow& row = t.zones[r];
        if (row.code.empty()) {
            image[at] = 0xFF;
            continue;
        }
        StoreDigits(image, at, CodeChars(row.code), kZoneCodeLength);
        image[at + 5] = 0;
        StoreName(image, at, row.name.empty() ? "Partition+zone: " + row.code : row.name);
    }
    for (int r = 1; r <= kCidRows; ++r) {
        const uint32_t at = EventRowOffset(r);
        const CidRow& row = t.events[r];
        if (row.code.empty()) {
            image[at] = 0xFF;
            continue;
        }
        std::string chars = CodeChars(row.code);
        if (chars[0] == 'E') chars[0] = '1';
        StoreDigits(image, at, chars, kEventCodeLength);
        image[at + 4] = t.smsMask[r];
        image[at + 5] = 0;
        StoreName(image, at, row.name.empty() ? "Event code: " + row.code : row.name);
    }
}

void DecodeTables(const ConfigImage& image, ContactIdTables& t) {
    for (int r = 1; r <= kCidRows; ++r) {
        const uint32_t at = ZoneRowOffset(r);
        CidRow& row = t.zones[r];
        if (image[at] == 0xFF) {
            row = {};
            continue;
        }
        row.code = ReadDigits(image, at, kZoneCodeLength);
        row.name = ReadName(image, at);
    }
    for (int r = 1; r <= kCidRows; ++r) {
        const uint32_t at = EventRowOffset(r);
        CidRow& row = t.events[r];
        if (image[at] == 0xFF) {
            row = {};
            t.smsMask[r] = 0;
            continue;
        }
        row.code = ReadDigits(image, at, kEventCodeLength);
        if (row.code[0] == '1') row.code[0] = 'E';
        else if (row.code[0] == '3') row.code[0] = 'R';
        t.smsMask[r] = image[at + 4];
        row.name = ReadName(image, at);
    }
}

// Slot, event code and zone code of each reporting channel; a null zone is
// the fixed "001".
struct SlotField {
    int slot;
    std::string ContactIdChannelCodes::*event;
    std::string ContactIdChannelCodes::*zone;
};
constexpr SlotField kSlots[] = {
    {0, &ContactIdChannelCodes::cidBe1, &ContactIdChannelCodes::zonaBe1},
    {1, &ContactIdChannelCodes::cidBe2, &ContactIdChannelCodes::zonaBe2},
    {2, &ContactIdChannelCodes::cidBe3, &ContactIdChannelCodes::zonaBe3},
    {3, &ContactIdChannelCodes::cidBe4, &ContactIdChannelCodes::zonaBe4},
    {8, &ContactIdChannelCodes::cidTamper, &ContactIdChannelCodes::zonaTamper},
    {9, &ContactIdChannelCodes::cidTap, &ContactIdChannelCodes::zonaTap},
    {15, &ContactIdChannelCodes::gprsElet, nullptr},
    {16, &ContactIdChannelCodes::cidElet, nullptr},
    {17, &ContactIdChannelCodes::cidNyit, nullptr},
};

void EncodeBlock(const ContactIdChannelCodes& c, ConfigImage& image) {
    StoreDigits(image, kCidAccountOffset, CodeChars(c.account), 4);
    for (const SlotField& s : kSlots) {
        StoreDigits(image, CidSlotEventOffset(s.slot), CodeChars(c.*s.event), 3);
        StoreDigits(image, CidSlotZoneOffset(s.slot), s.zone ? CodeChars(c.*s.zone) : "001", 3);
    }
}

void DecodeBlock(const ConfigImage& image, ContactIdChannelCodes& c) {
    c.account = ReadDigits(image, kCidAccountOffset, 4);
    for (const SlotField& s : kSlots) {
        c.*s.event = ReadDigits(image, CidSlotEventOffset(s.slot), 3);
        if (s.zone) c.*s.zone = ReadDigits(image, CidSlotZoneOffset(s.slot), 3);
    }
}

}  // namespace

uint8_t DigitCode(char c) {
    if (c >= '1' && c <= '9') return uint8_t(c - '0');
    if (c == '0' || c == 'A') return 10;
    if (c >= 'B' && c <= 'F') return uint8_t(c - 'B' + 11);
    if (c == 'R') return 3;
    if (c == '?') return 63;
    return 0xFF;
}

char DigitChar(uint8_t code) {
    if (code >= 1 && code <= 9) return char('0' + code);
    if (code == 10) return '0';
    if (code >= 11 && code <= 15) return char('B' + code - 11);
    if (code == 63) return '?';
    return 'x';
}

static void CheckRow(int row) {
    if (row < 1 || row > kCidRows)
        throw std::out_of_range("Contact ID row " + std::to_string(row) + " is outside 1..256");
}

uint32_t ZoneRowOffset(int row) {
    CheckRow(row);
    return ConfigImage::kCidZoneTable + uint32_t(kCidRowSize) * uint32_t(row - 1);
}

uint32_t EventRowOffset(int row) {
    CheckRow(row);
    return ConfigImage::kCidEventTable + uint32_t(kCidRowSize) * uint32_t(row - 1);
}

size_t CidGrid::Index(int row) {
    CheckRow(row);
    return size_t(row - 1);
}

size_t EventSmsMask::Index(int row) {
    CheckRow(row);
    return size_t(row - 1);
}

void EncodeContactId(const ContactIdTables& t, ConfigImage& image, CidParts parts) {
    if (Has(parts, CidParts::kTables)) EncodeTables(t, image);
    if (Has(parts, CidParts::kBlock)) EncodeBlock(t.channels, image);
}

void DecodeContactId(const ConfigImage& image, ContactIdTables& t, CidParts parts) {
    if (Has(parts, CidParts::kTables)) DecodeTables(image, t);
    if (Has(parts, CidParts::kBlock)) DecodeBlock(image, t.channels);
}

std::string NormaliseCell(CidTable table, int column, const std::string& text) {
    if (column != kCodeColumn && column != kNameColumn)
        throw std::out_of_range("Contact ID grid column " + std::to_string(column) + " is outside 0..1");
    std::vector<char32_t> cps = CodePoints(text);
    if (column == kNameColumn) {
        if (cps.size() > kCidNameMax) cps.resize(kCidNameMax);
        return Utf8(cps);
    }
    const size_t length = table == CidTable::kZones ? kZoneCodeLength : kEventCodeLength;
    if (cps.size() > length) cps.resize(length);
    if (cps.size() == length)
        for (char32_t& cp : cps)
            if (cp >= 'a' && cp <= 'z') cp -= 'a' - 'A';
    return Utf8(cps);
}

std::string EditCell(ContactIdTables& t, CidTable table, int row, int column, const std::string& text) {
    std::string kept = NormaliseCell(table, column, text);
    CidRow& cell = (table == CidTable::kZones ? t.zones : t.events)[row];
    (column == kCodeColumn ? cell.code : cell.name) = kept;
    return kept;
}

int AssignMaskToAllEvents(ContactIdTables& t, uint8_t mask) {
    int changed = 0;
    for (int r = 1; r <= kCidRows; ++r) {
        if (t.events[r].code.empty()) continue;
        if (t.smsMask[r] != mask) ++changed;
        t.smsMask[r] = mask;
    }
    return changed;
}

bool AssignMaskToAllEvents(ContactIdTables& t, uint8_t mask, View& view, const std::string& question) {
    if (!view.Confirm(question)) return false;
    AssignMaskToAllEvents(t, mask);
    return true;
}

}  // namespace morvane
