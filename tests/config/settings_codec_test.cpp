#include "config/settings_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/view.h"
#include "config/memory_map.h"

namespace morvane {
namespace {

std::vector<uint8_t> Bytes(const ConfigImage& img, uint32_t off, size_t n) {
    return std::vector<uint8_t>(img.Data() + off, img.Data() + off + n);
}

CodecContext Ctx(int type = 'H', int version = 93) {
    CodecContext c;
    c.deviceType = type;
    c.deviceVersion = version;
    return c;
}

TEST(SettingsCodecTest, DesignTimeImage) {
    SettingsModel m;
    ConfigImage img;
    EncodeSettings(m, img, Ctx());
    EXPECT_EQ(img[80], 3);
    EXPECT_EQ(img[102], 4);
    EXPECT_EQ(img[103], 190);  // RX "5"
    EXPECT_EQ(img[109], 32);
    EXPECT_EQ(img[77], 255);
    EXPECT_EQ(img[133], 30);
    EXPECT_EQ(img[114], 76);  // "11V"
    EXPECT_EQ(img[82], 255);
    EXPECT_EQ(img[83], 255);
    EXPECT_EQ(img[122] & 0x0C, 0x08);  // bit 3 always set, bit 2 always clear
    EXPECT_EQ(img[52], 1);
    EXPECT_EQ(Bytes(img, 0, 4), (std::vector<uint8_t>{'5', '3', '8', '2'}));
    EXPECT_EQ(Bytes(img, 8, 4), (std::vector<uint8_t>{1, 0, 0, 0x04}));  // input 1: type 1, siren
    // OUT1 "Élesítés a kimeneten" with call and caller-id boxes; OUT2 MONO.
    EXPECT_EQ(Bytes(img, 64, 6), (std::vector<uint8_t>{0x14, 0, 3, 0x08, 0, 3}));
    EXPECT_EQ(Bytes(img, 136, 4), (std::vector<uint8_t>{255, 255, 255, 255}));
    EXPECT_EQ(img[70], 0);  // heartbeat off
    EXPECT_EQ(Bytes(img, 71, 3), (std::vector<uint8_t>{'1', '2', 1}));
    EXPECT_EQ(Bytes(img, 256, 1), (std::vector<uint8_t>{0xFF}));
    EXPECT_EQ(Bytes(img, 384, 11), (std::vector<uint8_t>{'T', 'a', 'r', 'v', 'e', 'x', ' ', 'G', 'S', 'M', 0xFF}));
    EXPECT_EQ(Bytes(img, 400, 7), mm::kTransportHead);
    EXPECT_EQ(Bytes(img, 407, 6), (std::vector<uint8_t>{'E', 'd', 'i', 't', '1', '1'}));
    EXPECT_EQ(Bytes(img, 413, 10), mm::kTransportTail);
    EXPECT_EQ(Bytes(img, 1408, 4), (std::vector<uint8_t>{8, 0, 16, 5}));
    EXPECT_EQ(Bytes(img, 1792, 14), (std::vector<uint8_t>{2, 2, 240, 10, 240, 1, 0x40, 0x38, 0x40, 0x38, 120, 255,
                                                          255, 1}));
    EXPECT_EQ(img[mm::ServerOffset(0) + mm::kSrvDns1], 0xFF);       // "AUTO"
    EXPECT_EQ(img[mm::ServerOffset(0) + mm::kSrvProtocol], 255);    // no choice
    EXPECT_EQ(img[mm::ServerOffset(0) + mm::kSrvTcp], 1);
    EXPECT_EQ(Bytes(img, 1248, 1), (std::vector<uint8_t>{0xFF}));
}

TEST(SettingsCodecTest, PhoneNumbersAndMasks) {
    SettingsModel m;
    m.SetText("MaskEdit1", "+36301234567");
    m.SetText("MaskEdit2", "1234567890123456");  // full: terminator in number 3's field
    m.SetText("MaskEdit4", " 123");               // first position blank: not set
    m.SetText("MaskEdit8", "9999999999999999");   // terminator overwritten by the brand name
    m.RefreshRecipientLists();
    m.SetMask("SMSst1", 0xFF);
    ConfigImage img;
    img[256 + 32] = 0x55;
    EncodeSettings(m, img, Ctx());
    EXPECT_EQ(Bytes(img, 256, 13), (std::vector<uint8_t>{'+', '3', '6', '3', '0', '1', '2', '3', '4', '5', '6', '7',
                                                         0xFF}));
    EXPECT_EQ(img[272 + 15], '6');
    EXPECT_EQ(img[288], 0xFF);  // number 3 is blank and stores its own terminator
    EXPECT_EQ(img[304], 0xFF);
    EXPECT_EQ(img[384], 'T');
    EXPECT_EQ(img[9], 0x83);  // numbers 1, 2, 8 set: the other ticks were removed
    EXPECT_EQ(m.Mask("SMSst1"), 0x83);
}

TEST(SettingsCodecTest, OutputsAndTimes) {
    SettingsModel m;
    m.SetOutputType(1, 0, 'H');
    m.SetOutputUnit(1, 1);
    m.SetOutputTimeValue(1, 5);  // 5 minutes
    EXPECT_EQ(m.OutputTime[0], 300);
    m.SetOutputType(2, 5, 'H');  // "PSTN Hiba"
    m.SetOutputTimeValue(2, 700);
    m.SetOutputType(3, 1, 'H');  // BI, on alarm, no caller id
    m.SetChecked("CheckBox2KI3", true);
    m.SetOutputType(4, 3, 'H');  // "GSM hiba"
    ConfigImage img;
    EncodeSettings(m, img, Ctx());
    EXPECT_EQ(Bytes(img, 64, 3), (std::vector<uint8_t>{0x04, 0x01, 0x2C}));
    EXPECT_EQ(Bytes(img, 67, 3), (std::vector<uint8_t>{0, 0x02, 0xBC}));
    EXPECT_EQ(Bytes(img, 124, 1), (std::vector<uint8_t>{0x0B}));
    EXPECT_EQ(Bytes(img, 136, 4), (std::vector<uint8_t>{255, 3, 255, 1}));

    SettingsModel d;
    DecodeSettings(img, d, Ctx());
    EXPECT_EQ(d.Value("ComboKi2"), 5);
    EXPECT_EQ(d.Value("ComboKi3"), 1);
    EXPECT_FALSE(d.Enabled("SpinKI3"));
    EXPECT_EQ(d.Value("ComboKi4"), 3);
    EXPECT_EQ(d.Value("KI1SECMIN"), 0);
    EXPECT_EQ(d.Value("SpinKI1"), 300);
    EXPECT_EQ(d.OutputTime[1], 700);

    // Unit changes: 90 s shows 1 min (OutputTime 60 after the value change).
    SettingsModel u;
    u.SetOutputTimeValue(2, 90);
    u.SetOutputUnit(2, 1);
    EXPECT_EQ(u.Value("SpinKI2"), 1);
    u.SetOutputTimeValue(2, u.Value("SpinKI2"));
    EXPECT_EQ(u.OutputTime[1], 60);
    u.SetOutputUnit(2, 0);
    EXPECT_EQ(u.Value("SpinKI2"), 60);
}

TEST(SettingsCodecTest, HeartbeatOpeningClosingAndOptions) {
    SettingsModel m;
    m.SetChecked("CheckBox11", true);
    m.SetValue("SpinEdit1", 3);
    m.SetValue("SpinEdit2", 9);
    m.SetValue("SpinEdit3", 255);
    m.SetChecked("AUTOOPEN", true);
    m.SetValue("SpinEdit19", 0);
    m.SetChecked("CheckBox16", true);
    m.SetValue("SMSnap", 0);
    m.SetValue("GPSstampALL", 1);
    ConfigImage img;
    EncodeSettings(m, img, Ctx('H'));
    EXPECT_EQ(Bytes(img, 70, 4), (std::vector<uint8_t>{3, '0', '9', 0}));  // 255 + 1 modulo 256
    EXPECT_EQ(img[120], 128);  // 0 o'clock, distinct from off
    EXPECT_EQ(img[121], 0);
    EXPECT_EQ(img[81] & 0x10, 0);  // CheckBox16 reset for 'H'
    EXPECT_EQ(img[133], 255);
    EXPECT_EQ(Bytes(img, 131, 2), (std::vector<uint8_t>{0, 0}));

    SettingsModel d;
    DecodeSettings(img, d, Ctx('H'));
    EXPECT_TRUE(d.Checked("CheckBox11"));
    EXPECT_EQ(d.Value("SpinEdit2"), 9);
    EXPECT_EQ(d.Value("SpinEdit3"), 255);
    EXPECT_TRUE(d.Checked("AUTOOPEN"));
    EXPECT_EQ(d.Value("SpinEdit19"), 0);
    EXPECT_EQ(d.Value("GPSstampALL"), 1);
}

TEST(SettingsCodecTest, FilterLevelAndVoltageTables) {
    struct Case {
        int type, version;
        const char* control;
        int index;
        uint32_t offset;
        int stored;
    } cases[] = {
        {'H', 93, "ComboBox12", 0, 80, 0},   {'H', 93, "ComboBox12", 3, 80, 10},
        {'H', 93, "ComboBox12", 5, 80, 150}, {'H', 93, "ComboBox12", -1, 80, 3},
        {'I', 93, "ComboBox16", 9, 103, 129}, {'I', 85, "ComboBox16", 1, 103, 175},
        {'H', 93, "ComboBox16", 0, 103, 230}, {'H', 93, "ComboBox16", -1, 103, 150},
        {'Q', 93, "ComboBox16", 9, 103, 7},  {'P', 93, "ComboBox16", 3, 103, 3},
        {'N', 93, "ComboBox20", 0, 114, 36}, {'H', 93, "ComboBox20", 10, 114, 90},
        {'H', 93, "ComboBox17", 8, 102, 9},
    };
    for (const Case& c : cases) {
        SettingsModel m;
        m.SetValue(c.control, c.index);
        ConfigImage img;
        img[254] = uint8_t(c.version);
        EncodeSettings(m, img, Ctx(c.type, c.version));
        EXPECT_EQ(img[c.offset], c.stored) << c.control << " " << c.index << " " << char(c.type);
        SettingsModel d;
        d.SetValue(c.control, 0);
        DecodeSettings(img, d, Ctx(c.type, c.version));
        const int expected = (c.type == 'Q' && c.index > 7) ? 7 : c.index < 0 && c.offset == 80 ? 2
                             : c.index < 0 && c.offset == 103                             ? 7
                                                                                          : c.index;
        EXPECT_EQ(d.Value(c.control), expected) << c.control << " " << c.index << " " << char(c.type);
    }
    // Filter bytes not produced by encoding.
    EXPECT_EQ(FilterIndexOf(7), 2);
    EXPECT_EQ(FilterIndexOf(59), 3);
    EXPECT_EQ(FilterIndexOf(255), 5);
    EXPECT_EQ(FilterIndexOf(2), std::nullopt);
    ConfigImage img;
    img[80] = 2;
    SettingsModel d;
    d.SetValue("ComboBox12", 4);
    DecodeSettings(img, d, Ctx());
    EXPECT_EQ(d.Value("ComboBox12"), 4);
}

TEST(SettingsCodecTest, EndpointCommandsAndServerRecords) {
    SettingsModel m;
    m.SetText("Edit10", "abc");
    m.SetText("Edit11", "x.example");
    m.SetText("APNNAME2", "internet");
    m.SetText("DNS1_2", "8.8.8.8");
    m.SetValue("KULCS2", 1);
    m.SetValue("PROT2", 2);
    m.SetValue("UDPTCP2", 1);
    m.SetChecked("S2GPRS", true);
    m.SetText("IPPORT2", "5350099");
    ConfigImage img;
    EncodeSettings(m, img, Ctx());
    EXPECT_EQ(Bytes(img, 640, 12),
              (std::vector<uint8_t>{0x22, 'a', 'b', 'c', 0x22, 0x2C, 0x22, 0x22, 0x2C, 0x22, 0x22, 0xFF}));
    const uint32_t s = mm::ServerOffset(1);
    EXPECT_EQ(Bytes(img, s, 9), (std::vector<uint8_t>{'i', 'n', 't', 'e', 'r', 'n', 'e', 't', 0xFF}));
    EXPECT_EQ(Bytes(img, s + 0x80, 8), (std::vector<uint8_t>{'8', '.', '8', '.', '8', '.', '8', 0xFF}));
    EXPECT_EQ(img[s + 0xA0], 0xFF);
    EXPECT_EQ(Bytes(img, s + 0xF0, 9), (std::vector<uint8_t>{'5', '3', '5', '0', '0', 2, 0, 0, 1}));

    SettingsModel d;
    DecodeSettings(img, d, Ctx());
    EXPECT_EQ(d.Text("Edit10"), "abc");
    EXPECT_EQ(d.Text("Edit11"), "x.example");
    EXPECT_EQ(d.Value("ComboBox14"), 0);
    EXPECT_EQ(d.Value("APNNAME2"), 1);
    EXPECT_EQ(d.Text("DNS1_2"), "8.8.8.8");
    EXPECT_EQ(d.Value("DNS2_2"), 1);  // empty field shows "AUTO"
    EXPECT_EQ(d.Value("KULCS2"), 1);
    EXPECT_EQ(d.Value("PROT2"), 2);
    EXPECT_EQ(d.Value("UDPTCP2"), 1);
    EXPECT_EQ(d.Value("PROT1"), 0);  // 255 reads as "OFF"
    EXPECT_EQ(d.Text("IPPORT2"), "53500");

    // The preset pair selects item 1.
    m.SetText("Edit10", ServiceEndpointPreset::kHost);
    m.SetText("Edit11", ServiceEndpointPreset::kAddress);
    EncodeSettings(m, img, Ctx());
    DecodeSettings(img, d, Ctx());
    EXPECT_EQ(d.Value("ComboBox14"), 1);
}

TEST(SettingsCodecTest, BrandNameStationsAndFirmware) {
    CodecContext c = Ctx('N');
    EXPECT_EQ(BrandName(c), "Tarvex GSM 4G");
    c.productName1 = "Tarvex GSM 4G";
    EXPECT_EQ(BrandName(c), "Tarvex GSM 4G");
    c.resellerFlag = true;
    c.companyName = "A very long company name";
    SettingsModel m;
    m.SetText("TAV1", "+3612345678901234567");  // longer than its field: cut
    m.SetText("Edit12", "header");
    ConfigImage img;
    EncodeSettings(m, img, c);
    EXPECT_EQ(std::string(img.Data() + 384, img.Data() + 400), "A very long comp");
    EXPECT_EQ(std::string(img.Data() + 1248, img.Data() + 1264), "+361234567890123");
    EXPECT_EQ(img[1264], 0xFF);
    EXPECT_EQ(img[1280], 'h');

    EXPECT_EQ(FirmwareText(93, 12), "Firmware: 9.3.12");
    EXPECT_EQ(FirmwareText(92, 200), "Firmware: 9.3.4 (9.2.200)");
    EXPECT_EQ(FirmwareText(92, 201), "Firmware: 9.4.9 (9.2.201)");
    img[254] = 88;
    img[252] = 255;
    DecodeSettings(img, m, c);
    EXPECT_EQ(m.FirmwareInfo.text, "Firmware: 8.8.0");
}

TEST(SettingsCodecTest, PrepareFullWrite) {
    SettingsModel m;
    m.SetChecked("CheckEgyeb5", true);
    m.SetMask("SMSst11", 0x01);
    m.SetText("APNNAME1", "net");
    m.SetValue("PROT1", 1);
    m.SetValue("ComboBox16", 9);
    RecordingView view;
    CodecContext c = Ctx('Q');
    EXPECT_FALSE(PrepareFullWrite(m, c, view));
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], kSendQuestion);
    EXPECT_FALSE(m.Checked("CheckEgyeb5"));
    EXPECT_TRUE(m.Checked("CheckBox11"));
    EXPECT_EQ(m.Value("PROT2"), -1);  // nothing copied after No

    view.confirmAnswer = true;
    std::string status;
    EXPECT_TRUE(PrepareFullWrite(m, c, view, &status));
    EXPECT_EQ(status, "Data sending in progress...");
    EXPECT_EQ(m.Text("APNNAME2"), "net");
    EXPECT_EQ(m.Value("PROT2"), 1);

    c = Ctx('N');
    c.confirmOff = true;
    m.SetValue("ComboBox17", 8);
    EXPECT_TRUE(PrepareFullWrite(m, c, view));
    EXPECT_EQ(view.questions.size(), 2u);  // not asked again
    EXPECT_EQ(m.Value("PROT2"), 0);
    EXPECT_EQ(m.Value("ComboBox17"), 7);
    EXPECT_EQ(m.Value("ComboBox16"), 4);
}

}  // namespace
}  // namespace morvane
