#include "cid/contact_id.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "app/view.h"

namespace morvane {
namespace {

std::vector<uint8_t> Bytes(const ConfigImage& image, uint32_t offset, size_t n) {
    return std::vector<uint8_t>(image.Data() + offset, image.Data() + offset + n);
}

}  // namespace

void PrintTo(const CidRow& row, std::ostream* os) { *os << '"' << row.code << "\" \"" << row.name << '"'; }

namespace {

std::vector<uint8_t> Ascii(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(DigitCode, CharactersToBytes) {
    const struct { char c; uint8_t code; } cases[] = {
        {'1', 1}, {'5', 5}, {'9', 9}, {'0', 10}, {'A', 10}, {'B', 11}, {'C', 12}, {'F', 15},
        {'R', 3}, {'?', 63}, {'E', 14},
        // not part of the code alphabet
        {'a', 255}, {'r', 255}, {'G', 255}, {'x', 255}, {' ', 255}, {'-', 255}, {'\0', 255}, {'\xE1', 255},
    };
    for (const auto& tc : cases) EXPECT_EQ(DigitCode(tc.c), tc.code) << "character " << int(tc.c);
}

TEST(DigitCode, BytesToCharacters) {
    const struct { uint8_t code; char c; } cases[] = {
        {1, '1'}, {9, '9'}, {10, '0'}, {11, 'B'}, {15, 'F'}, {63, '?'},
        {0, 'x'}, {16, 'x'}, {62, 'x'}, {64, 'x'}, {255, 'x'},
    };
    for (const auto& tc : cases) EXPECT_EQ(DigitChar(tc.code), tc.c) << "byte " << int(tc.code);
}

TEST(ContactIdRows, OffsetsAndRowRange) {
    EXPECT_EQ(ZoneRowOffset(1), 0x340000u);
    EXPECT_EQ(ZoneRowOffset(256), 0x343FC0u);
    EXPECT_EQ(EventRowOffset(1), 0x344000u);
    EXPECT_EQ(EventRowOffset(2), 0x344040u);
    ContactIdTables t;
    for (int bad : {0, -1, 257}) {
        EXPECT_THROW(ZoneRowOffset(bad), std::out_of_range) << bad;
        EXPECT_THROW(EventRowOffset(bad), std::out_of_range) << bad;
        EXPECT_THROW(t.zones[bad], std::out_of_range) << bad;
        EXPECT_THROW(t.smsMask[bad], std::out_of_range) << bad;
    }
    t.smsMask[256] = 0x80;
    t.smsMask[1] = 0x01;
    EXPECT_EQ(t.smsMask[256], 0x80);
    EXPECT_EQ(t.smsMask[1], 0x01);
}

// Image pre-filled with a marker so that bytes the encoder must not touch show.
struct MarkedImage {
    ConfigImage image;
    MarkedImage() {
        std::fill_n(image.Data() + ConfigImage::kCidZoneTable, 2 * kCidRows * kCidRowSize, 0xAA);
        std::fill_n(image.Data() + 1024, 256, 0xAA);
    }
};

TEST(ContactIdEncode, RowsByteForByte) {
    const std::string name58(58, 'N');
    ContactIdTables t;
    t.zones[1] = {"01003", "Kert"};
    t.zones[2] = {"1", ""};                 // short code, default name
    t.zones[3] = {"?A0b1", name58};         // full-length name, no terminator
    t.zones[4] = {"10", "Z"};
    t.zones[5] = {"", "ignored"};           // empty code: only the marker byte
    t.events[1] = {"E130", ""};
    t.events[2] = {"R400", "Zárás"};
    t.events[3] = {"e13", "x"};
    t.events[4] = {"", "gone"};
    t.smsMask[1] = 0x81;
    t.smsMask[2] = 0x05;
    t.smsMask[4] = 0x07;

    MarkedImage m;
    EncodeContactId(t, m.image, CidParts::kTables);
    ConfigImage& img = m.image;

    const struct { const char* what; uint32_t offset; std::vector<uint8_t> expected; } cases[] = {
        {"zone 1", ZoneRowOffset(1), Concat({{10, 1, 10, 10, 3, 0}, Ascii("Kert"), {0xFF, 0xAA}})},
        {"zone 2", ZoneRowOffset(2), Concat({{1, 255, 255, 255, 255, 0}, Ascii("Partition+zone: 1"), {0xFF, 0xAA}})},
        // 58 characters and no terminator: row 4 starts right after them
        {"zone 3", ZoneRowOffset(3), Concat({{63, 10, 10, 255, 1, 0}, Ascii(name58), {1, 10}})},
        {"zone 5", ZoneRowOffset(5), Concat({{0xFF}, std::vector<uint8_t>(63, 0xAA)})},
        {"event 1", EventRowOffset(1), Concat({{1, 1, 3, 10, 0x81, 0}, Ascii("Event code: E130"), {0xFF, 0xAA}})},
        {"event 2", EventRowOffset(2), {3, 4, 10, 10, 0x05, 0, 'Z', 0xE1, 'r', 0xE1, 's', 0xFF, 0xAA}},
        {"event 3", EventRowOffset(3), {255, 1, 3, 255, 0, 0, 'x', 0xFF}},
        {"event 4", EventRowOffset(4), Concat({{0xFF}, std::vector<uint8_t>(63, 0xAA)})},
        // an unused row of each table is marked empty
        {"zone 256", ZoneRowOffset(256), {0xFF, 0xAA}},
        {"event 256", EventRowOffset(256), {0xFF, 0xAA}},
    };
    for (const auto& tc : cases)
        EXPECT_EQ(Bytes(img, tc.offset, tc.expected.size()), tc.expected) << tc.what;
    // The configuration-area block is left alone when only the tables are asked for.
    EXPECT_EQ(img[1024], 0xAA);
}

TEST(ContactIdEncode, LongTextsStayInsideTheirRow) {
    ContactIdTables t;
    t.zones[1] = {"0100299", std::string(70, 'L')};
    t.events[1] = {"E1309", std::string(70, 'L')};
    MarkedImage m;
    EncodeContactId(t, m.image, CidParts::kTables);
    EXPECT_EQ(Bytes(m.image, ZoneRowOffset(1), 5), (std::vector<uint8_t>{10, 1, 10, 10, 2}));
    EXPECT_EQ(Bytes(m.image, EventRowOffset(1), 5), (std::vector<uint8_t>{1, 1, 3, 10, 0}));
    EXPECT_EQ(m.image[ZoneRowOffset(1) + 63], 'L');
    EXPECT_EQ(m.image[ZoneRowOffset(2)], 0xFF);  // next row: its own empty marker, not a 59th character
    EXPECT_EQ(m.image[ZoneRowOffset(2) + 1], 0xAA);
}

TEST(ContactIdDecode, RowsFromImage) {
    ConfigImage img;
    auto put = [&](uint32_t at, std::vector<uint8_t> bytes) { std::copy(bytes.begin(), bytes.end(), img.Data() + at); };
    std::fill_n(img.Data() + ConfigImage::kCidZoneTable, 2 * kCidRows * kCidRowSize, 0xFF);
    put(EventRowOffset(1), {3, 4, 10, 10, 0x05, 0, 'Z', 0xE1, 'r', 0xE1, 's', 0xFF});
    put(EventRowOffset(2), {1, 1, 3, 10, 0x80, 0, 'A', 'b', 0, 'c'});  // 0 ends the name too
    put(EventRowOffset(3), {0, 14, 15, 63, 0x00, 0, 0xFF});             // unknown digit shows as "x"
    put(ZoneRowOffset(1), {10, 1, 63, 63, 1, 0});
    std::fill_n(img.Data() + ZoneRowOffset(1) + 6, 58, 'N');             // 58 characters, no terminator
    put(ZoneRowOffset(2), {1, 255, 255, 255, 255, 0, 0xFF});

    ContactIdTables t;
    t.events[4] = {"E130", "stale"};
    t.smsMask[4] = 0x33;
    t.zones[3] = {"01001", "stale"};
    DecodeContactId(img, t, CidParts::kTables);

    const struct { const char* what; CidRow got; CidRow expected; } cases[] = {
        {"event 1", t.events[1], {"R400", "Zárás"}},
        {"event 2", t.events[2], {"E130", "Ab"}},
        {"event 3", t.events[3], {"xEF?", ""}},
        {"event 4 (empty)", t.events[4], {"", ""}},
        {"zone 1", t.zones[1], {"01??1", std::string(58, 'N')}},
        {"zone 2", t.zones[2], {"1xxxx", ""}},
        {"zone 3 (empty)", t.zones[3], {"", ""}},
    };
    for (const auto& tc : cases) EXPECT_EQ(tc.got, tc.expected) << tc.what;
    EXPECT_EQ(t.smsMask[1], 0x05);  // phone numbers 1 and 3
    EXPECT_EQ(t.smsMask[2], 0x80);
    EXPECT_EQ(t.smsMask[4], 0x00);  // an empty row drops its recipients
}

TEST(ContactIdRoundTrip, EncodeDecodeEncodeKeepsEveryByte) {
    std::mt19937 rng(20240611);
    const std::string codeChars = "0123456789BCDEF?";  // the characters that read back as typed
    const std::vector<std::string> nameParts = {"Zóna", " ", "Betörés", "ř", "Ł", "€", "abc", "42", "-"};
    auto pick = [&](size_t n) { return size_t(rng() % n); };
    ContactIdTables t;
    for (int r = 1; r <= kCidRows; ++r) {
        if (pick(5) == 0) continue;  // some rows stay empty
        for (CidGrid* grid : {&t.zones, &t.events}) {
            std::string code;
            const size_t len = grid == &t.zones ? 5 : 4;
            for (size_t i = 0; i < len; ++i) code += codeChars[pick(codeChars.size())];
            if (grid == &t.events) code[0] = pick(2) ? 'E' : 'R';
            std::string name;
            for (size_t i = 0, n = 1 + pick(12); i < n; ++i) name += nameParts[pick(nameParts.size())];
            (*grid)[r] = {code, NormaliseCell(CidTable::kZones, kNameColumn, name)};
        }
        t.smsMask[r] = uint8_t(rng());
    }
    t.channels.account = "12B4";

    ConfigImage first;
    EncodeContactId(t, first);
    ContactIdTables back;
    DecodeContactId(first, back);
    ConfigImage second;
    EncodeContactId(back, second);
    EXPECT_EQ(Bytes(first, ConfigImage::kCidZoneTable, 0x8000), Bytes(second, ConfigImage::kCidZoneTable, 0x8000));
    EXPECT_EQ(Bytes(first, 1024, 256), Bytes(second, 1024, 256));
    for (int r = 1; r <= kCidRows; ++r) {
        if (t.events[r].code.empty()) continue;
        EXPECT_EQ(back.events[r], t.events[r]) << r;
        EXPECT_EQ(back.zones[r], t.zones[r]) << r;
        EXPECT_EQ(back.smsMask[r], t.smsMask[r]) << r;
    }
}

TEST(ContactIdBlock, ChannelCodesAtTheirSlots) {
    ContactIdTables t;  // design values
    t.channels.account = "12";
    t.channels.cidBe2 = "1309";   // a fourth character must not reach the zone
    t.channels.zonaTap = "0A";
    MarkedImage m;
    EncodeContactId(t, m.image, CidParts::kBlock);
    const ConfigImage& img = m.image;

    const struct { uint32_t offset; std::vector<uint8_t> expected; } cases[] = {
        {1024, {1, 2, 255, 255, 0xAA}},
        {1040 + 0, {1, 3, 10, 10, 10, 1, 0xAA}},    // input 1: 130 / 001
        {1040 + 8, {1, 3, 10, 10, 10, 2, 0xAA}},    // input 2: 130 / 002
        {1040 + 24, {1, 3, 10, 10, 10, 4, 0xAA}},   // input 4
        {1040 + 64, {1, 3, 7, 10, 10, 1, 0xAA}},    // tamper 137 / 001
        {1040 + 72, {3, 10, 2, 10, 10, 255, 0xAA}}, // power failure 302 / "0A"
        {1040 + 120, {6, 10, 3, 10, 10, 1, 0xAA}},  // GPRS heartbeat 603 / 001
        {1040 + 128, {6, 10, 2, 10, 10, 1, 0xAA}},  // periodic test 602 / 001
        {1040 + 136, {4, 10, 1, 10, 10, 1, 0xAA}},  // opening and closing 401 / 001
        {1040 + 32, {0xAA, 0xAA, 0xAA}},            // slot 4 is not written
        {1248, {0xAA}},                             // station numbers belong to the settings
    };
    for (const auto& tc : cases) EXPECT_EQ(Bytes(img, tc.offset, tc.expected.size()), tc.expected) << tc.offset;
    EXPECT_EQ(img[ZoneRowOffset(1)], 0xAA);  // tables untouched

    ContactIdTables back;
    back.channels.cidNyit = "999";
    DecodeContactId(img, back, CidParts::kBlock);
    EXPECT_EQ(back.channels.account, "12xx");
    EXPECT_EQ(back.channels.cidBe2, "130");
    EXPECT_EQ(back.channels.zonaTap, "00x");
    EXPECT_EQ(back.channels.cidNyit, "401");
    EXPECT_EQ(back.channels.gprsElet, "603");
    EXPECT_EQ(back.zones[1], CidRow{});  // tables untouched
}

TEST(ContactIdGrid, EditsAreNormalised) {
    const struct { CidTable table; int column; std::string typed; std::string kept; } cases[] = {
        {CidTable::kZones, kCodeColumn, "01a0", "01a0"},      // not yet full: left as typed
        {CidTable::kZones, kCodeColumn, "01a0b", "01A0B"},
        {CidTable::kZones, kCodeColumn, "01a0b77", "01A0B"},  // pasted: cut, then upper-cased
        {CidTable::kEvents, kCodeColumn, "e13", "e13"},
        {CidTable::kEvents, kCodeColumn, "e130", "E130"},
        {CidTable::kEvents, kCodeColumn, "r1301", "R130"},
        {CidTable::kEvents, kCodeColumn, "", ""},
        {CidTable::kZones, kNameColumn, "kert zona", "kert zona"},
        {CidTable::kEvents, kNameColumn, std::string(60, 'a'), std::string(58, 'a')},
        {CidTable::kZones, kNameColumn, "é" + std::string(60, 'b'), "é" + std::string(57, 'b')},  // characters, not bytes
    };
    for (const auto& tc : cases) {
        ContactIdTables t;
        const std::string kept = EditCell(t, tc.table, 7, tc.column, tc.typed);
        EXPECT_EQ(kept, tc.kept) << tc.typed;
        const CidRow& row = (tc.table == CidTable::kZones ? t.zones : t.events)[7];
        EXPECT_EQ(tc.column == kCodeColumn ? row.code : row.name, tc.kept) << tc.typed;
    }
    ContactIdTables t;
    EXPECT_THROW(EditCell(t, CidTable::kZones, 0, kCodeColumn, "x"), std::out_of_range);    // header row
    EXPECT_THROW(EditCell(t, CidTable::kEvents, 257, kNameColumn, "x"), std::out_of_range);
    EXPECT_THROW(EditCell(t, CidTable::kEvents, 1, 2, "x"), std::out_of_range);
}

TEST(ContactIdGrid, AssignToAllEventsOnlyAfterYesAndOnlyCodedRows) {
    ContactIdTables t;
    t.events[1] = {"E130", "a"};
    t.events[200] = {"R130", ""};
    t.events[3] = {"", "name only"};
    t.smsMask[3] = 0x40;

    RecordingView view;
    view.confirmAnswer = false;
    EXPECT_FALSE(AssignMaskToAllEvents(t, 0x03, view));
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], kAssignAllQuestion);
    EXPECT_EQ(t.smsMask[1], 0);

    view.confirmAnswer = true;
    EXPECT_TRUE(AssignMaskToAllEvents(t, 0x03, view, "Would you like to add the selected phone numbers to all contact ID events?"));
    EXPECT_EQ(view.questions[1], "Would you like to add the selected phone numbers to all contact ID events?");
    EXPECT_EQ(t.smsMask[1], 0x03);
    EXPECT_EQ(t.smsMask[200], 0x03);
    EXPECT_EQ(t.smsMask[3], 0x40);  // no code: unchanged
    EXPECT_EQ(t.smsMask[2], 0x00);
    EXPECT_EQ(AssignMaskToAllEvents(t, 0x03), 0);  // already assigned
}

}  // namespace
}  // namespace morvane
