#include "config/memory_map.h"

#include <algorithm>

namespace morvane {
namespace mm {

namespace {

using F = FieldDef;

std::string N(const std::string& base, int n) { return base + std::to_string(n); }

// One alarm channel: type choice, normally-open control, the two lists and
// the flag boxes (box names by bit).
struct ChannelDef {
    int k;
    std::string type, openCtl;
    Coding openCoding;
    std::string sms, voice;
    std::vector<std::pair<int, std::string>> flags;
};

std::vector<std::pair<int, std::string>> StandardFlags(const std::string& prefix) {
    return {{0, prefix + "1"}, {2, prefix + "3"}, {3, prefix + "4"},
            {4, prefix + "5"}, {5, prefix + "6"}, {6, prefix + "7"}};
}

void AddChannel(std::vector<F>& out, const ChannelDef& c) {
    const uint32_t o = ChannelOffset(c.k);
    out.push_back({o, 1, Coding::kIndex7, 0, c.type});
    out.push_back({o, 1, c.openCoding, 7, c.openCtl});
    out.push_back({o + 1, 1, Coding::kMask, 0, c.sms});
    if (!c.voice.empty()) out.push_back({o + 2, 1, Coding::kMask, 0, c.voice});
    for (const auto& [bit, name] : c.flags) out.push_back({o + 3, 1, Coding::kBit, uint8_t(bit), name});
}

std::vector<F> BuildConfigArea() {
    std::vector<F> f;
    f.push_back({kSmsCode, 4, Coding::kSpecial, 0, "Edit1"});
    for (int k = 1; k <= 4; ++k)
        AddChannel(f, {k - 1, N("ComboBox", k), "BE" + std::to_string(k) + "inv", Coding::kBit, N("SMSst", k),
                       N("VOICEst", k), StandardFlags("best" + std::to_string(k))});
    AddChannel(f, {kSpeed, "ComboBox5", "CheckBox5", Coding::kBit, "SMSst5", "VOICEst5", {{0, "BEst51"}}});
    // The lift record carries its call list and restore box like the speed record.
    AddChannel(f, {kLift, "ComboBox6", "CheckBox6", Coding::kBit, "SMSst6", "VOICEst6", {{0, "BEst61"}}});
    AddChannel(f, {kTamper, "ComboBox9", "BE9inv", Coding::kBit, "SMSst9", "VOICEst9", StandardFlags("best9")});
    AddChannel(f, {kPower, "ComboBox10", "CheckBox10", Coding::kBitNot, "SMSst10", "VOICEst10",
                   StandardFlags("best10")});
    AddChannel(f, {kTemperature, "ComboBox13", "CheckBox13", Coding::kBit, "SMSst13", "VOICEst13", {{0, "best131"}}});
    {
        const uint32_t o = ChannelOffset(kJammer);
        f.push_back({o, 1, Coding::kFixed, 1, ""});
        f.push_back({o + 1, 1, Coding::kMask, 0, "SMSst15"});
        f.push_back({o + 2, 1, Coding::kMask, 0, "VOICEst15"});
        f.push_back({o + 3, 1, Coding::kBit, 2, "best153"});
        f.push_back({o + 3, 1, Coding::kBit, 4, "best155"});
    }
    for (int n = 1; n <= 4; ++n) {
        f.push_back({OutputModeOffset(n), 1, Coding::kSpecial, 0, N("ComboKi", n)});
        f.push_back({OutputTimeOffset(n), 2, Coding::kSpecial, 0, N("SpinKI", n)});
        f.push_back({OutputExtendedOffset(n), 1, Coding::kSpecial, 0, N("ComboKi", n)});
    }
    f.push_back({kHeartbeatDays, 1, Coding::kSpecial, 0, "SpinEdit1"});
    f.push_back({kHeartbeatHour, 2, Coding::kSpecial, 0, "SpinEdit2"});
    f.push_back({kHeartbeatFirst, 1, Coding::kSpecial, 0, "SpinEdit3"});
    f.push_back({kHeartbeatMask, 1, Coding::kMask, 0, "SMSst11"});
    const char* options[8] = {"CheckEgyeb1", "CheckEgyeb3", "CheckEgyeb4", "CheckEgyeb5",
                              "CheckEgyeb6", "CheckEgyeb7", "ELETcid",     "CheckEgyeb8"};
    for (int b = 0; b < 8; ++b) f.push_back({kOptions, 1, Coding::kBit, uint8_t(b), options[b]});
    f.push_back({kForwarding, 1, Coding::kSpecial, 0, "ComboBox11"});
    f.push_back({kRingTime, 1, Coding::kByte, 0, "SpinEdit4"});
    f.push_back({kCallRepeat, 1, Coding::kByte, 0, "SpinEdit5"});
    f.push_back({kInputFilter, 1, Coding::kSpecial, 0, "ComboBox12"});
    f.push_back({kGpsOptions, 1, Coding::kBitNot, 0, "GPSbit0"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 1, "GPSbit1"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 2, "RadioGroup1"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 3, "CheckBox15"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 4, "CheckBox16"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 5, "CheckBox17"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 6, "CheckBox18"});
    f.push_back({kGpsOptions, 1, Coding::kBit, 7, "CheckBox19"});
    f.push_back({kTempMax, 1, Coding::kFixed, 255, ""});
    f.push_back({kTempMin, 1, Coding::kFixed, 255, ""});
    f.push_back({kSpeedLimit, 1, Coding::kByte, 0, "SpinEdit8"});
    f.push_back({kLiftValue, 1, Coding::kByte, 0, "SpinEdit9"});
    f.push_back({kLteDisable, 1, Coding::kFlag, 1, "CheckEgyeb3_0"});
    f.push_back({kTestReport, 2, Coding::kBE16, 0, "SpinEdit10"});
    f.push_back({kPstnRxGain, 1, Coding::kByte, 0, "SpinEdit11"});
    f.push_back({kPstnTxGain, 1, Coding::kByte, 0, "SpinEdit12"});
    f.push_back({kDtmfRxGain, 1, Coding::kByte, 0, "SpinEdit13"});
    f.push_back({kDtmfTxGain, 1, Coding::kByte, 0, "SpinEdit14"});
    f.push_back({kEntryDelay, 1, Coding::kByte, 0, "SpinEdit15"});
    f.push_back({kExitDelay, 1, Coding::kByte, 0, "SpinEdit16"});
    f.push_back({kExpansionPanel, 1, Coding::kIndex, 0, "ComboBox15"});
    f.push_back({kPanelOptions, 1, Coding::kBit, 0, "CheckBox12"});
    f.push_back({kPanelOptions, 1, Coding::kBit, 1, "CheckBox2"});
    f.push_back({kTxLevel, 1, Coding::kSpecial, 0, "ComboBox17"});
    f.push_back({kRxLevel, 1, Coding::kSpecial, 0, "ComboBox16"});
    f.push_back({kStationCycle, 2, Coding::kBE16, 0, "SpinEdit17"});
    f.push_back({kLineSimMode, 1, Coding::kIndex, 0, "ComboBox18"});
    f.push_back({kTestReportCopy, 2, Coding::kBE16, 0, "SpinEdit10"});
    f.push_back({kLineVoltage, 1, Coding::kSpecial, 0, "VFESZ"});
    f.push_back({kJammerOutputs, 1, Coding::kBit, 0, "JammerKI1"});
    f.push_back({kJammerOutputs, 1, Coding::kBit, 1, "jammerKI2"});
    f.push_back({kDoorMicLevel, 1, Coding::kByte, 0, "TDPhone1.TrackBar1"});
    f.push_back({kDoorSpeakerLevel, 1, Coding::kByte, 0, "TDPhone1.TrackBar2"});
    f.push_back({kTalkTime, 1, Coding::kByte, 0, "SpinEdit18"});
    f.push_back({kAlarmVoltage, 1, Coding::kSpecial, 0, "ComboBox20"});
    f.push_back({kNightBlock, 1, Coding::kFlag, 255, "TDPhone1.CheckBox1"});
    f.push_back({kNightStart, 1, Coding::kByte, 0, "TDPhone1.SpinEdit2"});
    f.push_back({kNightEnd, 1, Coding::kByte, 0, "TDPhone1.SpinEdit3"});
    f.push_back({kOpenMask, 1, Coding::kMask, 0, "SMSst16"});
    f.push_back({kCloseMask, 1, Coding::kMask, 0, "SMSst17"});
    f.push_back({kAutoOpen, 1, Coding::kSpecial, 0, "SpinEdit19"});
    f.push_back({kAutoClose, 1, Coding::kSpecial, 0, "SpinEdit20"});
    const std::pair<int, const char*> options2[] = {{0, "CheckEgyeb2_0"}, {1, "CheckEgyeb2_1"}, {3, "checkegyeb2_3"},
                                                    {4, "checkegyeb2_4"}, {5, "checkegyeb2_5"}, {6, "CheckEgyeb2_6"},
                                                    {7, "CheckEgyeb2_7"}};
    for (const auto& [bit, name] : options2) f.push_back({kOptions2, 1, Coding::kBit, uint8_t(bit), name});
    const std::pair<int, const char*> gps2[] = {
        {0, "GPS130_0"}, {1, "GPS130_1"}, {2, "GPS130_2"}, {3, "GPS130_3"}, {7, "SMSlong"}};
    for (const auto& [bit, name] : gps2) f.push_back({kGpsOptions2, 1, Coding::kBit, uint8_t(bit), name});
    f.push_back({kGpsStamp, 2, Coding::kSpecial, 0, "GPSstampALL"});
    f.push_back({kSmsDailyLimit, 1, Coding::kSpecial, 0, "SMSnap"});
    f.push_back({kSmsMaxAttempts, 1, Coding::kByte, 0, "SMSmax"});
    f.push_back({kBusSetPoints, 16, Coding::kSpecial, 0, "SetPoint"});
    f.push_back({kGprsInterval, 2, Coding::kLE16, 0, "GPSgprstime"});
    f.push_back({kGpsDistance, 2, Coding::kLE16, 0, "GPSmiles"});
    f.push_back({kDoorLed, 3, Coding::kSpecial, 0, "TDPhone1.ComboBox1"});
    f.push_back({kCallGap, 1, Coding::kByte, 0, "SpinEdit21"});
    f.push_back({kRoundCallGap, 1, Coding::kByte, 0, "SpinEdit22"});
    f.push_back({kCloudApn, 32, Coding::kTextMax, 0, "Edit29"});
    f.push_back({kCloudPassword, 16, Coding::kTextMax, 0, "Edit31"});
    f.push_back({kTypeKMarker, 1, Coding::kSpecial, 0, ""});
    f.push_back({kFirmwareBuild, 1, Coding::kSpecial, 0, ""});
    f.push_back({kFirmwareVersion, 1, Coding::kSpecial, 0, ""});
    for (int n = 1; n <= 8; ++n) f.push_back({PhoneOffset(n), 16, Coding::kSpecial, 0, N("MaskEdit", n)});
    f.push_back({kBrandName, 16, Coding::kSpecial, 0, ""});
    f.push_back({kTransportCommand, 62, Coding::kSpecial, 0, "Edit11"});
    const char* smsTexts[16] = {"riasztas", "riasztas2", "riasztas3", "riasztas4", "riasztas5", "riasztas6", "", "",
                                "riasztas9", "riasztas10", "", "riasztas11", "Edit17", "Edit18", "riasztas15", "Edit8"};
    for (int i = 0; i < 16; ++i)
        if (*smsTexts[i]) f.push_back({kSmsTexts + 32 * uint32_t(i), 32, Coding::kText, 0, smsTexts[i]});
    f.push_back({kHostCommand, 72, Coding::kSpecial, 0, "Edit10"});
    f.push_back({kCidBlock, 4, Coding::kSpecial, 0, "CIDUGYFEL"});
    f.push_back({kStation1, 16, Coding::kSpecial, 0, "TAV1"});
    f.push_back({kStation2, 16, Coding::kSpecial, 0, "TAV2"});
    f.push_back({kSmsHeader, 127, Coding::kTextMax, 0, "Edit12"});
    for (int z = 1; z <= 3; ++z) {
        const std::string p = "Tzona" + std::to_string(z);
        f.push_back({TimeZoneOffset(z) + 0, 1, Coding::kByte, 0, p + "hour"});
        f.push_back({TimeZoneOffset(z) + 1, 1, Coding::kByte, 0, p + "min"});
        f.push_back({TimeZoneOffset(z) + 2, 1, Coding::kByte, 0, p + "hour2"});
        f.push_back({TimeZoneOffset(z) + 3, 1, Coding::kByte, 0, p + "min2"});
    }
    for (int i = 0; i < 7; ++i)
        f.push_back({kCustomerData + 32 * uint32_t(i), 32, Coding::kTextCustomer, 0, N("Edit", i == 6 ? 30 : i + 2)});
    for (int p = 0; p < kPowerProfileCount; ++p) {
        const uint32_t o = PowerProfileOffset(p);
        f.push_back({o + kPpGpsMode, 1, Coding::kSpecial, 0, PowerProfileControl(p, 2)});
        f.push_back({o + kPpGsmMode, 1, Coding::kSpecial, 0, PowerProfileControl(p, 4)});
        f.push_back({o + kPpGpsPeriod, 1, Coding::kSpecial, 0, PowerProfileControl(p, 2)});
        f.push_back({o + kPpGpsFixWait, 1, Coding::kByte, 0, PowerProfileControl(p, 3)});
        f.push_back({o + kPpGsmPeriod, 1, Coding::kByte, 0, PowerProfileControl(p, 4)});
        f.push_back({o + kPpMotion, 1, Coding::kFlag, 1, PowerProfileControl(p, 5)});
        f.push_back({o + kPpGprsInterval, 2, Coding::kLE16, 0, PowerProfileControl(p, 6)});
        f.push_back({o + kPpLogInterval, 2, Coding::kLE16, 0, PowerProfileControl(p, 8)});
        f.push_back({o + kPpDistance, 1, Coding::kByte, 0, PowerProfileControl(p, 10)});
        f.push_back({o + kPpHeading, 1, Coding::kByte, 0, PowerProfileControl(p, 11)});
        f.push_back({o + kPpSpeedChange, 1, Coding::kByte, 0, PowerProfileControl(p, 12)});
        f.push_back({o + kPpGsmOff, 1, Coding::kFlag, 1, PowerProfileControl(p, 1)});
    }
    std::stable_sort(f.begin(), f.end(), [](const F& a, const F& b) { return a.offset < b.offset; });
    return f;
}

std::vector<F> BuildServers() {
    std::vector<F> f;
    for (int s = 0; s < 4; ++s) {
        const uint32_t o = ServerOffset(s);
        const int c = s + 1;
        f.push_back({o + kSrvApn, 64, Coding::kTextMax, 0, N("APNNAME", c)});
        f.push_back({o + kSrvUser, 32, Coding::kTextMax, 0, N("USER", c)});
        f.push_back({o + kSrvPassword, 32, Coding::kTextMax, 0, N("PASS", c)});
        f.push_back({o + kSrvDns1, 16, Coding::kSpecial, 0, N("DNS1_", c)});
        f.push_back({o + kSrvDns2, 16, Coding::kSpecial, 0, N("DNS2_", c)});
        f.push_back({o + kSrvKey, 16, Coding::kSpecial, 0, N("KULCS", c)});
        f.push_back({o + kSrvAddress, 64, Coding::kTextMax, 0, N("IPCIM", c)});
        f.push_back({o + kSrvPort, 5, Coding::kTextMax, 0, N("IPPORT", c)});
        f.push_back({o + kSrvProtocol, 1, Coding::kSpecial, 0, N("PROT", c)});
        f.push_back({o + kSrvTcp, 1, Coding::kSpecial, 0, N("UDPTCP", c)});
        f.push_back({o + kSrvLan, 1, Coding::kFlag, 1, "S" + std::to_string(c) + "LAN"});
        f.push_back({o + kSrvGprs, 1, Coding::kFlag, 1, "S" + std::to_string(c) + "GPRS"});
    }
    return f;
}

}  // namespace

std::string PowerProfileControl(int p, int n) { return "ENERGIA" + std::to_string(p) + "p" + std::to_string(n); }

const std::vector<FieldDef>& ConfigAreaFields() {
    static const std::vector<FieldDef> fields = BuildConfigArea();
    return fields;
}

const std::vector<FieldDef>& ServerRecordFields() {
    static const std::vector<FieldDef> fields = BuildServers();
    return fields;
}

}  // namespace mm
}  // namespace morvane
