#include "config/settings_json.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

TEST(SettingsJsonTest, GroupedByPageWithControlNames) {
    SettingsModel m;
    m.SetText("Edit2", "Kovács Éva");
    m.SetText("MaskEdit2", "+3630");
    m.SetMask("SMSst1", 0x05);
    m.SetValue("ComboBox15", 2);
    m.OutputTime[2] = 120;
    m.SetPoint[15] = 25.0;
    m.Cid.channels.account = "1234";
    m.Cid.events[3] = {"E130", "Betörés"};
    m.Cid.smsMask[3] = 0x02;
    const auto j = SettingsToJson(m);
    EXPECT_EQ(j["Alapadatok"]["Edit2"], "Kovács Éva");
    EXPECT_EQ(j["Telefonszámok"]["MaskEdit2"], "+3630");
    EXPECT_EQ(j["Telefonszámok"]["MaskEdit1"], "");
    EXPECT_EQ(j["Bemenet 1."]["SMSst1"], nlohmann::ordered_json({1, 3}));
    EXPECT_EQ(j["Bemenet 1."]["best13"], true);
    EXPECT_EQ(j["OUT1"]["ComboKi1"], 2);
    EXPECT_EQ(j["OUT3"]["OutputTime"], 120);
    EXPECT_EQ(j["Egyéb"]["ComboBox16"], 4);
    EXPECT_EQ(j["Server1"]["DNS1_1"], "AUTO");
    EXPECT_EQ(j["TDPhone1"]["SpinEdit2"], 23);
    EXPECT_EQ(j["BUS panel"]["SetPoint16"], 25.0);
    EXPECT_EQ(j["Távfelügyelet"]["CIDUGYFEL"], "1234");
    EXPECT_EQ(j["CID/SMS"]["StringGrid3"][0]["SMSst7"], nlohmann::ordered_json({2}));

    const SettingsModel back = SettingsFromJsonText(SettingsToJsonText(m));
    EXPECT_EQ(SettingsToJson(back), j);
    EXPECT_EQ(back.Cid, m.Cid);
    EXPECT_EQ(back.OutputTime, m.OutputTime);
    EXPECT_TRUE(back.Enabled("CheckBox2"));  // dependent state follows "BUS bővítő"
    EXPECT_EQ(back.At("SMSst1").itemEnabled, 0x02);  // only number 2 is set
}

TEST(SettingsJsonTest, AbsentKeysKeepDesignValues) {
    const SettingsModel m = SettingsFromJsonText(R"({"Egyéb": {"SMSnap": 12}, "OUT2": {}})");
    EXPECT_EQ(m.Value("SMSnap"), 12);
    EXPECT_EQ(m.Value("SMSmax"), 4);
    EXPECT_EQ(m.Text("riasztas9"), "Belső szabotázs riasztás");
    EXPECT_EQ(m.OutputTime[1], 3);
    EXPECT_EQ(m.SetPoint[0], 22.0);
}

TEST(SettingsJsonTest, EveryProblemIsNamed) {
    const char* text = R"({
        "Egyéb": {"SMSnap": 300, "Nope": 1, "CheckEgyeb2": 1},
        "Nincs ilyen": {},
        "Bemenet 1.": {"SMSst1": [0], "ComboBox1": 9},
        "BUS panel": {"SetPoint17": 1},
        "CID/SMS": {"StringGrid2": [{"row": 1, "code": "01001", "colour": "red"}]}
    })";
    try {
        SettingsFromJsonText(text);
        FAIL() << "no error";
    } catch (const SettingsJsonError& e) {
        const std::string what = e.what();
        for (const char* part : {"Egyéb/SMSnap: outside 0..255", "Egyéb/Nope: unknown key",
                                 "Egyéb/CheckEgyeb2: expected true or false", "Nincs ilyen: unknown page",
                                 "Bemenet 1./SMSst1: outside 1..8", "Bemenet 1./ComboBox1: outside -1..5",
                                 "BUS panel/SetPoint17: unknown key", "StringGrid2[0]/colour: unknown key"})
            EXPECT_NE(what.find(part), std::string::npos) << part << "\n" << what;
        EXPECT_EQ(e.Problems().size(), 8u);
    }
    EXPECT_THROW(SettingsFromJsonText("{not json"), SettingsJsonError);
    EXPECT_THROW(SettingsFromJsonText("[1]"), SettingsJsonError);
}

}  // namespace
}  // namespace morvane
