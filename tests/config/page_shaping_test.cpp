#include <gtest/gtest.h>

#include <set>

#include "config/page_shaping.h"

namespace morvane {
namespace {

// Every key starts in the state opposite to the one expected, so a key that
// is not touched shows up as a failure.
struct ShapeRow {
    char letter;
    std::vector<std::string> shown;
    std::vector<std::string> hidden;
    std::vector<std::string> untouched;  // must keep their state
};

const std::string kSim = "page:SIM kártya számok (kompatibilitás régi modulokkal)";

TEST(PageShaping, PagesPerDeviceType) {
    const ShapeRow rows[] = {
        {'H',
         {"page:Bemenet 3.", "page:Bemenet 4.", "page:Tápmonitor", "page:Hangok", "report:input3", "report:power"},
         {"page:CID/SMS", "page:Vonalszimulátor", "page:Bemenet 5.", "page:Bemenet 8.", "page:Hőméséklet",
          "page:GPS", "page:Sebesség", "page:Emelés"},
         {"TabSheet26", "Panel71", "TabSheet20", "page:OUT3", kSim}},
        {'N', {"page:Bemenet 4.", "report:tamper"}, {"TabSheet26", "Panel71", "TabSheet20", kSim, "page:GPS"},
         {"page:OUT3", "page:OUT4"}},
        {'K', {"page:Bemenet 3."}, {"TabSheet26", "Panel71", "page:OUT3", "page:OUT4"}, {"TabSheet20", kSim}},
        {'O', {"page:Hangok"}, {"TabSheet26", "Panel71", "page:OUT3", "page:OUT4", kSim}, {"TabSheet20"}},
        {'I',
         {"page:Tápmonitor", "page:Hangok"},
         {"page:Bemenet 3.", "page:Bemenet 8.", "page:Tamper", "page:OUT2", "page:OUT4", "page:GPS", "menu:BUS panel"},
         {"page:CID/SMS", "TabSheet26"}},
        {'J',
         {"page:CID/SMS", "page:Vonalszimulátor", "page:Tamper", "page:Tápmonitor", "page:Hangok"},
         {"page:Bemenet 3.", "page:Hőméséklet", "page:Emelés", "page:Time Zona", "TabSheet26"},
         {"page:OUT2", "Panel71"}},
        {'Q',
         {"page:Tamper", "page:Tápmonitor", "page:Hangok"},
         {"page:Bemenet 2.", "page:Bemenet 8.", "page:OUT2", "page:OUT4", kSim, "page:Time Zona", "TabSheet26",
          "voice:4", "voice:7", "menu:SIM PIN kód kikapcsolása", "menu:SMS test", "menu:GSM információk"},
         {"voice:3", "page:More settings", "menu:Firmware Download", "page:Bemenet 1."}},
        {'P',
         {"page:Tápmonitor", "page:Hangok"},
         {"page:Bemenet 2.", "page:OUT3", "page:Tamper", "page:More settings", "voice:3", "voice:5",
          "menu:Firmware Download", "menu:GSM Firmware", "menu:SMS test", kSim},
         {"voice:2", "menu:BUS panel"}},
        {'L',
         {"page:GPS", "page:Tápmonitor", "page:Hangok"},
         {"page:Bemenet 3.", "page:Bemenet 8.", "page:Tamper", "page:OUT2", "page:OUT4", "page:Hőméséklet",
          "page:Sebesség", "page:Emelés"},
         {"page:CID/SMS", "TabSheet26"}},
        {'>', {}, {}, {"page:Hangok", "page:GPS", "TabSheet26"}},
    };
    for (const ShapeRow& r : rows) {
        SCOPED_TRACE(std::string("type ") + r.letter);
        ControlSet controls;
        for (const auto& k : r.shown) controls[k].visible = false;
        for (const auto& k : r.hidden) controls[k].visible = true;
        for (const auto& k : r.untouched) controls[k].visible = true;
        ASSERT_TRUE(ApplyPageShape(r.letter, controls));
        for (const auto& k : r.shown) EXPECT_TRUE(controls[k].visible) << k;
        for (const auto& k : r.hidden) EXPECT_FALSE(controls[k].visible) << k;
        for (const auto& k : r.untouched) EXPECT_TRUE(controls[k].visible) << k;
    }
}

TEST(PageShaping, PresetsAndLists) {
    for (char letter : {'Q', 'P'}) {
        SCOPED_TRACE(letter);
        ControlSet controls;
        controls["ComboBox17"].items = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
        controls["ComboBox17"].itemIndex = 3;
        ASSERT_TRUE(ApplyPageShape(letter, controls));
        EXPECT_EQ(controls["ComboBox17"].text, "7");
        EXPECT_EQ(controls["ComboBox17"].itemIndex, 6);
        EXPECT_EQ(controls["ComboBox16"].text, "9");
    }
    ControlSet l;
    ASSERT_TRUE(ApplyPageShape('L', l));
    EXPECT_EQ(l[kProtocolListKey].items, (std::vector<std::string>{"Protokol1", "Protokol2", "Protokol3"}));
    EXPECT_FALSE(l.Has("ComboBox17"));

    ControlSet h;
    ASSERT_TRUE(ApplyPageShape('H', h));
    EXPECT_FALSE(h.Has("ComboBox16"));
    EXPECT_FALSE(h.Has(kProtocolListKey));
}

TEST(PageShaping, UnknownTypeChangesNothingAndShapesDoNotContradictThemselves) {
    ControlSet controls;
    EXPECT_FALSE(ApplyPageShape('Z', controls));
    EXPECT_FALSE(ApplyPageShape('G', controls));
    EXPECT_TRUE(controls.All().empty());

    for (const PageShape& s : PageShapes()) {
        SCOPED_TRACE(s.letter);
        std::set<std::string> shown(s.show.begin(), s.show.end());
        for (const auto& k : s.hide) EXPECT_EQ(shown.count(k), 0u) << k << " both shown and hidden";
    }
}

}  // namespace
}  // namespace morvane
