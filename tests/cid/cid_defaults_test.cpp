#include "cid/cid_defaults.h"

#include <gtest/gtest.h>

#include <set>

namespace morvane {
namespace {

TEST(DefaultEventTable, RowsPerLanguage) {
    const struct {
        std::string language;
        CidRow row1, row14, row46, row75;
    } cases[] = {
        {"1", {"E130", "Burglary"}, {"R120", "Restore Panic"}, {"E381", "Loss of supervision - RF"}, {"R452", "Late close"}},
        {"0", {"E130", "Betores"}, {"R120", "Panik riasztas vége"}, {"E384", "RF ado elem kimerult"}, {"R452", "Kesoi zaras"}},
        {"3", {"E130", "Vlamanie"}, {"R120", "Tiesen obnova"}, {"E384", "Strata dohladu - RF"}, {"R452", "Neskore zatvorenie"}},
        {"4", {"E130", "Allarme Furto"}, {"R120", "Ripristino Panico"}, {"E381", "Perdita Supervisione - RF"}, {"E452", "Chiusura Tardiva"}},
        {"7", {"E130", "Vloupání"}, {"R120", "Obnova po tísni"}, {"E384", "Ztráta dohledu - RF"}, {"R452", "Pozdní zavření"}},
        // every other language code shows the English names
        {"2", {"E130", "Burglary"}, {"R120", "Restore Panic"}, {"E381", "Loss of supervision - RF"}, {"R452", "Late close"}},
        {"", {"E130", "Burglary"}, {"R120", "Restore Panic"}, {"E381", "Loss of supervision - RF"}, {"R452", "Late close"}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE("language \"" + tc.language + "\"");
        ContactIdTables t;
        t.events[150] = {"E999", "old"};
        t.smsMask[1] = 0x21;
        t.smsMask[150] = 0x02;
        LoadDefaultEventTable(t, tc.language);
        EXPECT_EQ(t.events[1], tc.row1);
        EXPECT_EQ(t.events[14], tc.row14);
        EXPECT_EQ(t.events[46], tc.row46);
        EXPECT_EQ(t.events[75], tc.row75);
        EXPECT_EQ(t.events[100].code, "E628");
        EXPECT_EQ(t.events[101], CidRow{});
        EXPECT_EQ(t.events[150], CidRow{});
        EXPECT_EQ(t.smsMask[1], 0x21);    // recipients are not part of the defaults
        EXPECT_EQ(t.smsMask[150], 0x02);
    }
}

TEST(DefaultZoneTemplate, RowsPerLanguage) {
    const struct {
        std::string language;
        std::string zone1, zone15, partition2First, partition2Last, anyPartition, anyZone;
    } cases[] = {
        {"0", "Zona 1", "Zona 15", "2. partició Zona 01", "2. partició Zona 04", "Zona 1 barmely particiorol", "Egyeb Zona"},
        {"1", "Zone 1", "Zone 15", "2. partition Zone 01", "2. partition Zone 04", "Zone 1 all partition", "All Zone"},
        {"3", "Zona 1", "Zona 15", "1. zona oblasti 2.", "4. zona oblasti 2.", "Zona niektorej oblasti", "Dalsie zony"},
        {"4", "Zona 1", "Zona 15", "2. partizione Zona 01", "2. partizione Zona 04", "Zona 1 tutte le partizioni", "Altra zona"},
        {"7", "Zona 1", "Zona 15", "1. zóna oblasti 2.", "4. zóna oblasti 2.", "Zóna některé oblasti", "Další zóny"},
        // every other language code shows the Hungarian names
        {"2", "Zona 1", "Zona 15", "2. partició Zona 01", "2. partició Zona 04", "Zona 1 barmely particiorol", "Egyeb Zona"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE("language \"" + tc.language + "\"");
        ContactIdTables t;
        t.zones[22] = {"01099", "old"};
        t.zones[256] = {"?????", "old"};
        LoadDefaultZoneTemplate(t, tc.language);
        EXPECT_EQ(t.zones[1], (CidRow{"01001", tc.zone1}));
        EXPECT_EQ(t.zones[10].code, "01010");
        EXPECT_EQ(t.zones[15], (CidRow{"01015", tc.zone15}));
        EXPECT_EQ(t.zones[16], (CidRow{"02001", tc.partition2First}));
        EXPECT_EQ(t.zones[19], (CidRow{"02004", tc.partition2Last}));
        EXPECT_EQ(t.zones[20], (CidRow{"??001", tc.anyPartition}));
        EXPECT_EQ(t.zones[21], (CidRow{"?????", tc.anyZone}));
        EXPECT_EQ(t.zones[22], CidRow{});
        EXPECT_EQ(t.zones[256], CidRow{});
    }
}

// Every default name of every language must reach the device unchanged: it
// fits the 58-byte field and each character exists in the stored code page.
TEST(DefaultTables, EveryLanguageSurvivesTheImage) {
    for (const std::string language : {"0", "1", "3", "4", "7"}) {
        SCOPED_TRACE("language \"" + language + "\"");
        ContactIdTables t;
        LoadDefaultEventTable(t, language);
        LoadDefaultZoneTemplate(t, language);
        std::set<std::string> names;
        for (int r = 1; r <= kDefaultEventRows; ++r) {
            EXPECT_FALSE(t.events[r].name.empty()) << r;
            EXPECT_EQ(NormaliseCell(CidTable::kEvents, kCodeColumn, t.events[r].code), t.events[r].code) << r;
            names.insert(t.events[r].name);
        }
        EXPECT_GT(names.size(), 80u);  // a translated table, not one repeated text

        ConfigImage image;
        EncodeContactId(t, image, CidParts::kTables);
        ContactIdTables back;
        DecodeContactId(image, back, CidParts::kTables);
        for (int r = 1; r <= kCidRows; ++r) {
            EXPECT_EQ(back.events[r], t.events[r]) << "event row " << r;
            EXPECT_EQ(back.zones[r], t.zones[r]) << "zone row " << r;
        }
    }
}

}  // namespace
}  // namespace morvane
