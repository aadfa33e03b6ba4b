// A read followed by a write must leave the device's settings as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "config/device_charmap.h"
#include "config/memory_map.h"
#include "config/settings_codec.h"
#include "config/settings_json.h"

namespace morvane {
namespace {

CodecContext Ctx(int type, int version) {
    CodecContext c;
    c.deviceType = type;
    c.deviceVersion = version;
    return c;
}

// Random states the pages can produce: values within the controls' ranges,
// texts from the device character set.
class StateMaker {
public:
    StateMaker(unsigned seed, int type) : rng_(seed), map_(type), type_(type) {
        for (int b = 0x20; b < 0x100; ++b)
            if (b != 0x7F && map_.RoundTrips(uint8_t(b))) charset_ += Cp1250ToUtf8(std::string(1, char(b)));
    }

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    std::string Text(int maxLength, bool noQuote = false) {
        const int n = Int(0, maxLength);
        std::string pc;
        const std::string pcSet = Utf8ToCp1250(charset_);
        while (int(pc.size()) < n) {
            const char ch = pcSet[size_t(Int(0, int(pcSet.size()) - 1))];
            if (noQuote && ch == '"') continue;
            pc += ch;
        }
        return Cp1250ToUtf8(pc);
    }

    std::string Digits(int lo, int hi) {
        std::string s;
        const int n = Int(lo, hi);
        for (int i = 0; i < n; ++i) s += char('0' + Int(0, 9));
        return s;
    }

    SettingsModel Make() {
        SettingsModel m;
        for (const SettingControl& c : m.Controls()) {
            const std::string key = c.Key();
            switch (c.kind) {
            case ControlKind::kSpin:
                // The door-phone hours (-1..24) wrap on the page, so they hold 0..23.
                if (c.minValue < 0)
                    m.SetValue(key, Int(0, 23));
                else
                    m.SetValue(key, Int(c.minValue, c.maxValue));
                break;
            case ControlKind::kCheck:
                m.SetValue(key, Int(0, 1));
                break;
            case ControlKind::kChoice:
                m.SetValue(key, Int(0, int(c.items.size()) - 1));
                break;
            case ControlKind::kEditChoice:
                if (Int(0, 1))
                    m.SetValue(key, Int(0, int(c.items.size()) - 1));
                else
                    m.SetText(key, "x" + Text(14));
                break;
            case ControlKind::kText:
                m.SetText(key, Text(key == "Edit12" || key == "Edit10" || key == "Edit11" ? c.maxValue
                                                                                         : std::min(c.maxValue, 32),
                                    key == "Edit10" || key == "Edit11"));
                break;
            case ControlKind::kPhone:
                m.SetText(key, Int(0, 3) == 0 ? std::string() : (Int(0, 1) ? "+" : "") + Digits(1, 15));
                break;
            case ControlKind::kList:
                m.SetMask(key, uint8_t(Int(0, 255)));
                break;
            }
        }
        m.SetText("Edit1", Digits(4, 4));
        m.SetText("TAV1", Digits(0, 16));
        m.SetText("TAV2", Digits(0, 16));
        if (type_ == 'P' || type_ == 'Q') m.SetValue("ComboBox16", Int(0, 7));
        for (int n = 1; n <= 4; ++n) {
            m.SetOutputUnit(n, 0);
            m.SetOutputTimeValue(n, Int(1, 65535));
        }
        for (double& v : m.SetPoint) v = Int(0, 255);
        m.Cid.channels.account = Digits(4, 4);
        m.Cid.channels.cidBe1 = Digits(3, 3);
        m.RefreshRecipientLists();
        return m;
    }

private:
    std::mt19937 rng_;
    DeviceCharMap map_;
    int type_;
    std::string charset_;
};

bool SameImage(const ConfigImage& a, const ConfigImage& b, size_t* firstDiff) {
    for (size_t i = 0; i < a.Size(); i += 4096)
        if (std::memcmp(a.Data() + i, b.Data() + i, 4096) != 0)
            for (size_t k = i; k < i + 4096; ++k)
                if (a[k] != b[k]) {
                    *firstDiff = k;
                    return false;
                }
    return true;
}

TEST(SettingsRoundTripTest, EncodeDecodeEncodeKeepsEveryByte) {
    const std::pair<int, int> devices[] = {{'H', 93}, {'I', 85}, {'I', 93}, {'N', 93}, {'P', 93},
                                           {'Q', 93}, {'K', 93}, {'J', 90}, {'L', 93}};
    for (const auto& [type, version] : devices) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            StateMaker maker(seed * 7919 + unsigned(type), type);
            SettingsModel m = maker.Make();
            const CodecContext ctx = Ctx(type, version);
            ConfigImage first;
            first[mm::kFirmwareVersion] = uint8_t(version);
            EncodeSettings(m, first, ctx);

            ConfigImage second = first;
            SettingsModel read;
            DecodeSettings(second, read, ctx);
            EncodeSettings(read, second, ctx);
            size_t diff = 0;
            ASSERT_TRUE(SameImage(first, second, &diff))
                << char(type) << version << " seed " << seed << ": byte " << diff << " was " << int(first[diff])
                << ", now " << int(second[diff]);

            // Reading again shows the same pages.
            SettingsModel again;
            DecodeSettings(second, again, ctx);
            EXPECT_EQ(SettingsToJson(again), SettingsToJson(read)) << char(type) << " seed " << seed;
            // The values the pages showed before the write come back.
            for (const char* key : {"riasztas", "Edit2", "Edit30", "Edit12", "Edit10", "Edit11", "APNNAME3",
                                    "MaskEdit3", "TAV2", "Tzona2min2", "SpinEdit3", "ENERGIA0p2", "VOICEst6",
                                    "TDPhone1.TrackBar2", "TDPhone1.ComboBox1", "TDPhone1.SpinEdit3", "ComboBox16"}) {
                const SettingControl& a = m.At(key);
                const SettingControl& b = read.At(key);
                EXPECT_TRUE(a.value == b.value && a.text == b.text)
                    << char(type) << version << " seed " << seed << " " << key << ": " << a.value << "/" << a.text
                    << " -> " << b.value << "/" << b.text;
            }
            EXPECT_EQ(read.OutputTime, m.OutputTime);
        }
    }
}

// A device image with every shown field set by hand, and bytes the
// configurator does not write holding other values.
TEST(SettingsRoundTripTest, FixtureReadThenWriteChangesNothing) {
    ConfigImage img;
    const CodecContext ctx = Ctx('I', 85);
    const char* sms = "ABC";
    std::memcpy(img.Data(), "1357", 4);
    for (uint32_t i = 4; i < 2048; ++i) img[i] = uint8_t(i * 37 + 11);  // unwritten bytes: noise
    // Fields the encoding writes, valid for the pages.
    for (int k = 0; k < 12; ++k) {
        const uint32_t o = mm::ChannelOffset(k);
        img[o] = uint8_t(k % 6 | (k & 1) << 7);
        img[o + 1] = 0x03;
        img[o + 2] = 0x01;
        img[o + 3] = 0x15;
    }
    for (uint32_t i = 32; i < 40; ++i) img[i] = 0;
    for (uint32_t i = 56; i < 64; ++i) img[i] = 0;
    img[52] = 1;
    img[55] = 0x14;
    img[27] = img[31] = img[51] = 1;
    img[64] = 0x06; mm::WriteBE16(img, 65, 1200); img[67] = 0; mm::WriteBE16(img, 68, 3);
    img[124] = 0x16; mm::WriteBE16(img, 125, 60); img[127] = 0; mm::WriteBE16(img, 128, 9);
    img[136] = 255; img[137] = 2; img[138] = 255; img[139] = 255;
    img[70] = 2; img[71] = '1'; img[72] = '7'; img[73] = 4; img[74] = 0x02;
    img[76] = 0xA5; img[77] = 2; img[78] = 45; img[79] = 5; img[80] = 10; img[81] = 0xEA;
    img[82] = img[83] = 255; img[85] = 90; img[86] = 7; img[87] = 1;
    mm::WriteBE16(img, 92, 120); mm::WriteBE16(img, 107, 120);
    img[94] = 10; img[95] = 11; img[96] = 12; img[97] = 13; img[98] = 20; img[99] = 40; img[100] = 1;
    img[101] = 1; img[102] = 5; img[103] = 165; mm::WriteBE16(img, 104, 720); img[106] = 2; img[109] = 40;
    img[110] = 3; img[111] = 7; img[112] = 2; img[113] = 60; img[114] = 83; img[115] = 255; img[116] = 22;
    img[117] = 5; img[118] = 0x02; img[119] = 0x01; img[120] = 128 + 7; img[121] = 0; img[122] = 0xC9;
    img[130] = 0x85; mm::WriteLE16(img, 131, 299); img[133] = 20; img[134] = 6;
    for (uint32_t i = 140; i < 156; ++i) img[i] = uint8_t(i - 120);
    mm::WriteLE16(img, 156, 300); mm::WriteLE16(img, 158, 25);
    img[161] = 200; img[162] = 0; img[163] = 150;
    img[170] = 4; img[171] = 9;
    WriteImageText(img, 183, "apn.cloud", 32, 'I');
    WriteImageText(img, 215, "pw", 16, 'I');
    img[254] = 85;
    std::memcpy(img.Data() + 256, "+36301112222\xFF", 13);
    std::memcpy(img.Data() + 272, "06201234567\xFF", 12);
    for (int n = 3; n <= 8; ++n) img[mm::PhoneOffset(n)] = 0xFF;
    std::memcpy(img.Data() + 384, "Tarvex GSM\xFF", 11);
    std::memcpy(img.Data() + 400, "\"UDP\",\"udp.x.hu\",\"53500\"\xFF", 26);
    for (uint32_t t = 512; t < 1024; t += 32) WriteImageText(img, t, std::string(sms) + "áé" + std::to_string(t), 32, 'I');
    std::memcpy(img.Data() + 640, "\"host.x.hu\",\"\",\"\"\xFF", 19);
    WriteImageText(img, 1280, "Fejléc", 127, 'I');
    for (int z = 1; z <= 3; ++z) {
        img[mm::TimeZoneOffset(z)] = uint8_t(z + 5);
        img[mm::TimeZoneOffset(z) + 1] = 15;
        img[mm::TimeZoneOffset(z) + 2] = 20;
        img[mm::TimeZoneOffset(z) + 3] = 30;
    }
    for (uint32_t t = 1536; t < 1760; t += 32) WriteImageText(img, t, "Ügyfél " + std::to_string(t), 32, 'I');
    for (int p = 0; p < 16; ++p) {
        const uint32_t o = mm::PowerProfileOffset(p);
        const uint8_t gps = p == 0 ? 0 : uint8_t(p * 3);
        img[o] = p == 0 ? 0 : 2;  // profile 0: GPS period 256
        img[o + 1] = 2; img[o + 2] = gps; img[o + 3] = 30; img[o + 4] = 5; img[o + 5] = 1;
        mm::WriteLE16(img, o + 6, 600); mm::WriteLE16(img, o + 8, 60); img[o + 10] = 9; img[o + 11] = 45;
        img[o + 12] = 30; img[o + 13] = 0;
    }
    const uint8_t account[4] = {1, 2, 3, 4};  // digit codes
    std::memcpy(img.Data() + 1024, account, 4);
    for (int slot : {0, 1, 2, 3, 8, 9, 15, 16, 17}) {
        const uint8_t codes[6] = {1, 3, 10, 10, 10, 1};
        std::memcpy(img.Data() + mm::CidSlotOffset(slot), codes, 6);
    }
    std::memcpy(img.Data() + 1248, "0612345678\xFF", 11);
    img[1264] = 0xFF;
    for (int s = 0; s < 4; ++s) {
        const uint32_t o = mm::ServerOffset(s);
        WriteImageText(img, o, "internet", 64, 'I');
        WriteImageText(img, o + 0x40, "user", 32, 'I');
        WriteImageText(img, o + 0x60, "pass", 32, 'I');
        WriteImageText(img, o + 0x80, s ? "1.1.1.1" : "", 16, 'I');
        img[o + 0x90] = 0xFF;
        WriteImageText(img, o + 0xA0, "kulcs", 16, 'I');
        WriteImageText(img, o + 0xB0, "10.0.0." + std::to_string(s), 64, 'I');
        WriteImageText(img, o + 0xF0, "9000", 5, 'I');
        img[o + 0xF5] = uint8_t(s % 3 == 0 ? 255 : s % 3);
        img[o + 0xF6] = uint8_t(s & 1);
        img[o + 0xF7] = 1;
        img[o + 0xF8] = 0;
    }
    std::memset(img.Data() + ConfigImage::kCidZoneTable, 0xFF, 0x8000);  // empty code tables
    SettingsModel model;
    const ConfigImage device = img;

    DecodeSettings(img, model, ctx);
    EXPECT_EQ(model.Value("ComboBox16"), 3);   // 165 through the table it was stored with
    EXPECT_EQ(model.Value("SpinEdit3"), 3);    // first heartbeat after 3 days
    EXPECT_EQ(model.Value("ENERGIA0p2"), 256);
    EXPECT_EQ(model.Value("TDPhone1.ComboBox1"), 5);  // "Purple"
    EXPECT_EQ(model.Text("riasztas"), "ABCáé512");
    EXPECT_EQ(model.Text("Edit10"), "host.x.hu");
    EncodeSettings(model, img, ctx);
    size_t diff = 0;
    EXPECT_TRUE(SameImage(device, img, &diff))
        << "byte " << diff << " was " << int(device[diff]) << ", now " << int(img[diff]);
}

TEST(SettingsRoundTripTest, EmptyFieldsStayEmpty) {
    // An empty SMS text reads back empty (not as a space) and is written as
    // it was; an empty customer field clears the text the page held.
    SettingsModel m;
    m.SetText("riasztas2", "");
    ConfigImage img;
    EncodeSettings(m, img, Ctx('H', 93));
    SettingsModel read;
    read.SetText("Edit2", "earlier customer");
    DecodeSettings(img, read, Ctx('H', 93));
    EXPECT_EQ(read.Text("riasztas2"), "");
    EXPECT_EQ(read.Text("Edit2"), "");
    EncodeSettings(read, img, Ctx('H', 93));
    EXPECT_EQ(img[544], 0xFF);
    EXPECT_EQ(img[1536], 0xFF);
}

}  // namespace
}  // namespace morvane
