#include "config/settings_model.h"

#include <algorithm>
#include <stdexcept>

#include "config/device_charmap.h"
#include "config/memory_map.h"

namespace morvane {

namespace {

std::string N(const std::string& base, int n) { return base + std::to_string(n); }

std::vector<std::string> Numbered(const std::string& prefix, int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

const std::vector<std::string> kIdleItems = {"Alaphelyzetben zárt", "Alaphelyzetben nyitott"};
const std::vector<std::string> kUnitItems = {"Sec", "Min"};
const std::vector<std::string> kVoltageItems = {"7V",    "8V",  "9V",    "9,5V", "10V", "10,5V",
                                                "11V",   "11,5V", "12V", "12,5V", "13V"};
const std::vector<std::string> kFilterItems = {"Kikapcsolva", "Alacsony", "Normál", "Közepes", "Erős", "Erős2"};
const std::vector<std::string> kPanelItems = {"Kimeneti bővítő panel", "Központi bővítő panel", "BUS bővítő"};
const std::vector<std::string> kLineSimItems = {"Csak GSM használat", "Telefonvonal/tartalék GSM",
                                                "GSM/tartalék telefonvonal"};
const std::vector<std::string> kCustomerCodeItems = {"Beállított ügyfélkód", "Tip/Ring -ről lopva"};
const std::vector<std::string> kProtocolItems = {"OFF", "ENIGMA", "SIA-IP"};
const std::vector<std::string> kTransportItems = {"TCP", "UDP"};
const std::vector<std::string> kApnItems = {"", "internet", "net", "Internet"};
const std::vector<std::string> kLedItems = {"Off", "White", "Red", "Green", "Blue", "Purple", "Cyan", "Yellow"};

// Power profile defaults: GPS period, fix wait, GSM period, motion, GPRS
// interval, log interval, distance, heading change, speed change, GSM off.
struct ProfileDefaults {
    int gps, fix, gsm, motion, gprs, log, distance, heading, speed, gsmOff;
};
constexpr ProfileDefaults kProfiles[16] = {
    {240, 10, 240, 1, 14400, 14400, 120, 255, 255, 1}, {60, 30, 60, 1, 7200, 3600, 40, 255, 255, 1},
    {40, 120, 30, 1, 7200, 600, 10, 255, 255, 1},      {30, 120, 16, 1, 7200, 600, 8, 255, 255, 0},
    {60, 20, 240, 1, 14400, 14400, 60, 255, 255, 0},   {10, 30, 60, 1, 7200, 600, 20, 70, 30, 0},
    {1, 30, 0, 1, 180, 600, 5, 40, 20, 0},             {1, 60, 0, 1, 180, 600, 4, 40, 10, 0},
    {20, 180, 15, 1, 7200, 600, 30, 255, 255, 1},      {10, 180, 10, 1, 3600, 600, 10, 255, 40, 0},
    {5, 255, 1, 1, 900, 600, 10, 255, 20, 0},          {0, 255, 0, 1, 600, 600, 5, 255, 10, 0},
    {1, 60, 0, 1, 120, 600, 10, 60, 20, 0},            {0, 255, 0, 1, 180, 600, 5, 60, 20, 0},
    {0, 255, 0, 1, 120, 600, 5, 40, 10, 0},            {0, 255, 0, 1, 60, 600, 5, 40, 10, 0},
};
const char* const kProfileTabs[8] = {"BAT<3.6", "BAT<3.9", "BAT<4.0", "BAT>4.0", "PWR1", "PWR2", "PWR3", "PWR4"};

}  // namespace

const std::vector<std::string>& InputTypeItems() {
    static const std::vector<std::string> items = {"00/ Nem használt",          "01/ 24h normál bemenet",
                                                   "02/ Központi bemenet",      "03/ Központi késl. bemenet",
                                                   "04/ Késletetet bemenet",    "05/ Ki/be kapcsolás"};
    return items;
}

const std::vector<std::string>& OutputTypeItems() {
    static const std::vector<std::string> items = {"Egyállapotú időzített (MONO)", "Kétállapotú (BI)",
                                                   "Élesítés a kimeneten",         "GSM hiba",
                                                   "Sikertelen SMS",               "PSTN Hiba"};
    return items;
}

const std::vector<std::string>& SettingsModel::RecipientLists() {
    static const std::vector<std::string> lists = {
        "SMSst1", "VOICEst1", "SMSst2",  "VOICEst2",  "SMSst3",  "VOICEst3",  "SMSst4",  "VOICEst4",
        "SMSst5", "VOICEst5", "SMSst6",  "VOICEst6",  "SMSst9",  "VOICEst9",  "SMSst10", "VOICEst10",
        "SMSst11", "SMSst13", "VOICEst13", "SMSst15", "VOICEst15", "SMSst16", "SMSst17"};
    return lists;
}

SettingsModel::SettingsModel() {
    Build();
    ResetToDesign();
}

void SettingsModel::Build() {
    std::string page;
    std::string window;
    auto add = [&](SettingControl c) {
        c.page = page;
        c.window = window;
        index_[c.Key()] = controls_.size();
        controls_.push_back(std::move(c));
    };
    auto spin = [&](const std::string& name, int design, int lo, int hi, bool enabled = true) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kSpin;
        c.minValue = lo;
        c.maxValue = hi;
        c.designValue = design;
        c.designEnabled = enabled;
        add(std::move(c));
    };
    auto check = [&](const std::string& name, bool design = false, bool enabled = true, bool visible = true) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kCheck;
        c.maxValue = 1;
        c.designValue = design ? 1 : 0;
        c.designEnabled = enabled;
        c.designVisible = visible;
        add(std::move(c));
    };
    auto choice = [&](const std::string& name, const std::vector<std::string>& items, int design,
                      bool enabled = true, bool visible = true) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kChoice;
        c.items = items;
        c.minValue = -1;
        c.maxValue = int(items.size()) - 1;
        c.designValue = design;
        c.designEnabled = enabled;
        c.designVisible = visible;
        add(std::move(c));
    };
    auto editChoice = [&](const std::string& name, const std::vector<std::string>& items, int design) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kEditChoice;
        c.items = items;
        c.minValue = -1;
        c.maxValue = int(items.size()) - 1;
        c.designValue = design;
        c.designText = items[size_t(design)];
        add(std::move(c));
    };
    auto text = [&](const std::string& name, const std::string& design, int maxLength, bool visible = true) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kText;
        c.maxValue = maxLength;
        c.designText = design;
        c.designVisible = visible;
        add(std::move(c));
    };
    auto phone = [&](const std::string& name) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kPhone;
        c.maxValue = kPhoneLength;
        c.designText = std::string(kPhoneLength, ' ');
        add(std::move(c));
    };
    auto list = [&](const std::string& name, bool enabled = true) {
        SettingControl c;
        c.name = name;
        c.kind = ControlKind::kList;
        c.maxValue = 255;
        c.designEnabled = enabled;
        add(std::move(c));
    };
    auto flags = [&](const std::string& prefix, int sirenOnly) {
        // Boxes 1, 3..7 of a channel; "Szirénahang" (3) ticked, 1 as given.
        check(prefix + "1", sirenOnly == 0);
        check(prefix + "3", true);
        for (int b = 4; b <= 7; ++b) check(N(prefix, b));
    };

    page = "Alapadatok";
    for (int i = 2; i <= 7; ++i) text(N("Edit", i), "", 128);
    page = "Telefonszámok";
    for (int n = 1; n <= 8; ++n) phone(N("MaskEdit", n));
    page = "Time Zona";
    for (int z = 1; z <= 3; ++z) {
        const std::string p = N("Tzona", z);
        spin(p + "hour", 8, 0, 23);
        spin(p + "min", 0, 0, 55);
        spin(p + "hour2", 16, 0, 23);
        spin(p + "min2", 5, 0, 55);
    }
    const char* inputTexts[4] = {"1 bemenet riasztas", "2 bemenet riasztas", "3 bemenet riasztas",
                                 "4 bemenet riasztas"};
    for (int k = 1; k <= 4; ++k) {
        page = "Bemenet " + std::to_string(k) + ".";
        choice(N("ComboBox", k), InputTypeItems(), 1);
        choice("BE" + std::to_string(k) + "inv", kIdleItems, 0);
        text(k == 1 ? "riasztas" : N("riasztas", k), inputTexts[k - 1], 32);
        list(N("SMSst", k));
        list(N("VOICEst", k));
        flags("best" + std::to_string(k), 1);
        if (k == 1) check("CheckEgyeb2_0");
    }
    page = "Tamper";
    choice("ComboBox9", InputTypeItems(), 1);
    choice("BE9inv", kIdleItems, 0);
    text("riasztas9", "Belső szabotázs riasztás", 32);
    list("SMSst9");
    list("VOICEst9");
    flags("best9", 1);
    page = "More settings";
    spin("SpinEdit15", 30, 2, 255);
    spin("SpinEdit16", 60, 2, 255);
    text("Edit8", "Visszaallas:", 32);
    spin("SpinEdit4", 30, 3, 180);
    spin("SpinEdit5", 50, 1, 180);
    spin("SpinEdit18", 90, 1, 255);
    check("CheckEgyeb1");
    spin("SpinEdit21", 0, 0, 255);
    spin("SpinEdit22", 0, 0, 255);
    for (int n = 1; n <= 4; ++n) {
        page = N("OUT", n);
        const bool out1 = n == 1;
        choice(N("ComboKi", n), OutputTypeItems(), out1 ? 2 : 0);
        choice("KI" + std::to_string(n) + "SECMIN", kUnitItems, 0, !out1);
        spin(N("SpinKI", n), 3, 1, out1 ? 65000 : 65535, !out1);
        check(N("CheckBox1KI", n), out1);
        check(N("CheckBox2KI", n));
        check(N("CheckBox3KI", n), out1, out1);
        if (out1) check("CheckBox5KI1");
        if (n == 2) check("CheckEgyeb2_7", false, true, false);
    }
    page = "Kimenet: More settings";
    choice("ComboBox15", kPanelItems, -1);
    check("CheckBox12", false, false);
    check("CheckBox2", false, false);
    page = "Hangok";
    check("CheckEgyeb7");
    page = "Tápmonitor";
    choice("ComboBox10", InputTypeItems(), 1);
    check("CheckBox10", true);
    text("riasztas10", "Belso taphiba riasztas", 32);
    list("SMSst10");
    list("VOICEst10");
    flags("best10", 0);
    choice("ComboBox20", kVoltageItems, 6);
    page = "Életjel";
    check("CheckBox11", false, true, false);
    spin("SpinEdit1", 7, 1, 255, false);
    spin("SpinEdit2", 12, 0, 23, false);
    spin("SpinEdit3", 0, 0, 255, false);
    text("riasztas11", "Eletjel kuldes, minden rendben..", 32);
    list("SMSst11");
    check("checkegyeb2_5");
    page = "Egyéb";
    text("Edit30", "", 16);
    choice("ComboBox17", Numbered("", 1, 9), 3);
    choice("ComboBox16", Numbered("", 1, 10), 4);
    check("checkegyeb2_4");
    check("checkegyeb2_3", true);
    text("Edit12", "", 120);
    text("Edit1", "5382", 4);
    check("CheckEgyeb2");
    choice("ComboBox11", Numbered("Phone", 1, 8), 0, false);
    spin("SMSnap", 30, 0, 255);
    spin("SMSmax", 4, 2, 250);
    check("SMSlong");
    choice("ComboBox12", kFilterItems, 2);
    check("CheckEgyeb3");
    check("CheckEgyeb4");
    check("CheckEgyeb5");
    check("CheckEgyeb6");
    check("CheckEgyeb8");
    check("CheckEgyeb3_0");
    text("riasztas15", "Riasztas, JAMMER detect", 32);
    list("SMSst15");
    list("VOICEst15");
    check("best153", true);
    check("best155", false, false);
    check("JammerKI1");
    check("jammerKI2");
    page = "Hőméséklet";
    choice("ComboBox13", InputTypeItems(), 1);
    check("CheckBox13");
    list("SMSst13");
    list("VOICEst13");
    check("best131");
    check("hkompmax", false, false);
    check("hkompmin", false, false);
    spin("SpinEdit6", 0, 0, 120, false);
    spin("SpinEdit7", 0, 0, 120, false);
    page = "GPS";
    check("GPSbit0", true);
    check("GPSbit1");
    for (int b = 0; b < 4; ++b) check(N("GPS130_", b));
    spin("GPSstampALL", 600, 1, 65000);
    spin("GPSgprstime", 600, 1, 65000);
    spin("GPSmiles", 255, 2, 255);
    for (int p = 0; p < mm::kPowerProfileCount; ++p) {
        page = kProfileTabs[(p / 8) * 4 + p % 4];
        const ProfileDefaults& d = kProfiles[p];
        check(mm::PowerProfileControl(p, 1), d.gsmOff != 0);
        spin(mm::PowerProfileControl(p, 2), d.gps, 0, p == 0 ? 256 : 255);
        spin(mm::PowerProfileControl(p, 3), d.fix, 5, 255);
        spin(mm::PowerProfileControl(p, 4), d.gsm, 0, 255);
        check(mm::PowerProfileControl(p, 5), d.motion != 0);
        spin(mm::PowerProfileControl(p, 6), d.gprs, 30, 65000);
        spin(mm::PowerProfileControl(p, 8), d.log, 10, 65000);
        spin(mm::PowerProfileControl(p, 10), d.distance, 2, 255);
        spin(mm::PowerProfileControl(p, 11), d.heading, 5, 255);
        spin(mm::PowerProfileControl(p, 12), d.speed, 10, 255);
    }
    page = "Sebesség";
    choice("ComboBox5", InputTypeItems(), 0);
    check("CheckBox5");
    list("SMSst5", false);
    list("VOICEst5", false);
    check("BEst51");
    text("riasztas5", "Sebesseg tullepes", 32);
    spin("SpinEdit8", 120, 10, 250);
    page = "Emelés";
    choice("ComboBox6", InputTypeItems(), 0);
    check("CheckBox6");
    list("SMSst6", false);
    list("VOICEst6", false);
    check("BEst61");
    text("riasztas6", "Sebesseg tullepes", 32);
    spin("SpinEdit9", 6, 1, 32);
    page = "Távfelügyelet";
    spin("SpinEdit17", 1440, 1, 65000);
    spin("SpinEdit10", 0, 0, 65000);
    choice("RadioGroup1", kCustomerCodeItems, 0);
    check("CheckBox15", true);
    check("CheckBox16");
    check("CheckBox17");
    check("CheckBox18");
    check("ELETcid");
    text("TAV1", "", 16);
    text("TAV2", "", 16);
    choice("ComboBox14", {"", "Preset"}, 0, true, false);
    text("Edit10", "Edit10", 63, false);
    text("Edit11", "Edit11", 45, false);
    for (int s = 1; s <= 4; ++s) {
        page = s == 1 ? "Server1" : s == 2 ? "Server2" : s == 3 ? "Server1_tart" : "Server2_tart";
        editChoice(N("APNNAME", s), kApnItems, 0);
        text(N("USER", s), "", 32);
        text(N("PASS", s), "", 32);
        editChoice(N("DNS1_", s), {"", "AUTO"}, 1);
        editChoice(N("DNS2_", s), {"", "AUTO"}, 1);
        editChoice(N("KULCS", s), {"", "OFF"}, 1);
        text(N("IPCIM", s), "", 64);
        text(N("IPPORT", s), "", 5);
        choice(N("PROT", s), kProtocolItems, -1);
        choice(N("UDPTCP", s), kTransportItems, 0);
        check("S" + std::to_string(s) + "LAN");
        check("S" + std::to_string(s) + "GPRS");
    }
    page = "CLOUD";
    text("Edit29", "", 32);
    text("Edit31", "", 16);
    page = "Vonalszimulátor";
    choice("ComboBox18", kLineSimItems, 0);
    spin("VFESZ", 48, 30, 72);
    check("CheckEgyeb2_1");
    spin("SpinEdit11", 14, 1, 80);
    spin("SpinEdit12", 20, 1, 80);
    spin("SpinEdit13", 12, 1, 80);
    spin("SpinEdit14", 35, 1, 80);
    check("CheckEgyeb2_6");
    page = "Nyitás/zárás";
    text("Edit17", "nyitas", 32);
    text("Edit18", "zaras", 32);
    list("SMSst16");
    list("SMSst17");
    check("AUTOOPEN");
    check("AUTOCLOSE");
    spin("SpinEdit19", 0, 0, 23, false);
    spin("SpinEdit20", 0, 0, 23, false);
    check("CheckBox19");

    // The door-phone editor: its own settings and its copies of the
    // configurator's values.
    window = "TDPhone1";
    page = "TDPhone1";
    spin("TrackBar1", 5, 0, 9);
    spin("TrackBar2", 5, 0, 9);
    check("CheckBox1");
    spin("SpinEdit2", 23, -1, 24);
    spin("SpinEdit3", 6, -1, 24);
    choice("ComboBox1", kLedItems, 0);
    for (int n = 1; n <= 8; ++n) phone(N("MaskEdit", n));
    spin("SpinEdit4", 30, 3, 180);
    spin("SpinEdit18", 30, 3, 180);
    check("CheckEgyeb2");
    choice("ComboBox11", Numbered("Phone", 1, 8), 0, false);
    text("Edit1", "5382", 4);
    spin("SpinKI1", 3, 1, 65000);
    spin("SpinKI2", 3, 1, 65535);
    check("CheckBox1KI1");
    check("CheckBox1KI2");
    check("CheckBox3KI1");
    check("CheckBox3KI2");
}

void SettingsModel::ResetToDesign() {
    for (SettingControl& c : controls_) {
        c.value = c.designValue;
        c.text = c.designText;
        c.enabled = c.designEnabled;
        c.visible = c.designVisible;
        c.itemEnabled = 0xFF;
    }
    OutputTime.fill(3);
    ForwardingTarget = 0;
    SetPoint.fill(22.0);
    Cid = ContactIdTables{};
    FirmwareInfo = Firmware{};
    RefreshRecipientLists();
}

SettingControl& SettingsModel::At(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) throw std::out_of_range("no settings control \"" + key + "\"");
    return controls_[it->second];
}

const SettingControl& SettingsModel::At(const std::string& key) const {
    auto it = index_.find(key);
    if (it == index_.end()) throw std::out_of_range("no settings control \"" + key + "\"");
    return controls_[it->second];
}

void SettingsModel::SetValue(const std::string& key, int value) {
    SettingControl& c = At(key);
    switch (c.kind) {
    case ControlKind::kSpin:
        c.value = std::clamp(value, c.minValue, c.maxValue);
        break;
    case ControlKind::kCheck:
        c.value = value != 0 ? 1 : 0;
        break;
    case ControlKind::kChoice:
        c.value = value >= 0 && value < int(c.items.size()) ? value : -1;
        break;
    case ControlKind::kEditChoice:
        c.value = value >= 0 && value < int(c.items.size()) ? value : -1;
        if (c.value >= 0) c.text = c.items[size_t(c.value)];
        break;
    case ControlKind::kList:
        c.value = value & 0xFF;
        break;
    case ControlKind::kText:
    case ControlKind::kPhone:
        throw std::invalid_argument("\"" + key + "\" holds a text");
    }
}

void SettingsModel::SetText(const std::string& key, const std::string& text) {
    SettingControl& c = At(key);
    switch (c.kind) {
    case ControlKind::kText:
        c.text = text;
        break;
    case ControlKind::kEditChoice: {
        c.text = text;
        auto it = std::find(c.items.begin(), c.items.end(), text);
        c.value = it == c.items.end() ? -1 : int(it - c.items.begin());
        break;
    }
    case ControlKind::kPhone: {
        // The mask takes a digit or sign first and digits after it.
        const std::string pc = Utf8ToCp1250(text);
        std::string out(kPhoneLength, ' ');
        for (size_t i = 0; i < pc.size() && i < size_t(kPhoneLength); ++i) {
            const char ch = pc[i];
            const bool digit = ch >= '0' && ch <= '9';
            if (digit || (i == 0 && (ch == '+' || ch == '-'))) out[i] = ch;
        }
        c.text = out;
        break;
    }
    default:
        throw std::invalid_argument("\"" + key + "\" holds no text");
    }
}

bool SettingsModel::PhoneSet(int n) const {
    const std::string& t = Text(N("MaskEdit", n));
    return !t.empty() && t[0] != ' ';
}

void SettingsModel::RefreshRecipientLists() {
    uint8_t set = 0;
    for (int n = 1; n <= 8; ++n)
        if (PhoneSet(n)) set |= uint8_t(1u << (n - 1));
    for (const std::string& name : RecipientLists()) At(name).itemEnabled = set;
}

void SettingsModel::SetOutputUnit(int n, int unit) {
    SetValue("KI" + std::to_string(n) + "SECMIN", unit);
    SettingControl& spinCtl = At(N("SpinKI", n));
    const int seconds = OutputTime[size_t(n - 1)];
    if (unit == 1) {
        spinCtl.maxValue = 1092;
        spinCtl.value = std::clamp(seconds / 60, 1, 1092);
    } else {
        spinCtl.maxValue = n == 1 ? 65000 : 65535;
        spinCtl.value = std::clamp(seconds, 1, spinCtl.maxValue);
    }
}

void SettingsModel::SetOutputTimeValue(int n, int value) {
    const std::string key = N("SpinKI", n);
    SetValue(key, value);
    const bool minutes = Value("KI" + std::to_string(n) + "SECMIN") == 1;
    OutputTime[size_t(n - 1)] = minutes ? Value(key) * 60 : Value(key);
}

void SettingsModel::SetOutputType(int n, int index, int deviceType, bool clampForDevice) {
    const std::string key = N("ComboKi", n);
    SetValue(key, index);
    if (clampForDevice && deviceType == 'P' && n == 1 && Value(key) > 1) SetValue(key, 0);
    const int type = Value(key);
    const std::string unit = "KI" + std::to_string(n) + "SECMIN";
    if (type == 0) {
        SetEnabled(N("SpinKI", n), true);
        SetEnabled(unit, true);
    } else if (type == 1 || type == 2) {
        SetEnabled(N("SpinKI", n), false);
        SetEnabled(unit, false);
    }
}

void SettingsModel::ApplyDependencies(int deviceType) {
    auto listsFollow = [&](const std::string& type, const std::string& sms, const std::string& voice) {
        const bool on = Value(type) != 0;
        SetEnabled(sms, on);
        if (!voice.empty()) SetEnabled(voice, on);
    };
    for (int k = 1; k <= 4; ++k) listsFollow(N("ComboBox", k), N("SMSst", k), N("VOICEst", k));
    listsFollow("ComboBox5", "SMSst5", "VOICEst5");
    listsFollow("ComboBox6", "SMSst6", "VOICEst6");
    listsFollow("ComboBox9", "SMSst9", "VOICEst9");
    listsFollow("ComboBox10", "SMSst10", "VOICEst10");
    const bool temperature = Value("ComboBox13") != 0;
    for (const char* k : {"hkompmax", "hkompmin"}) SetEnabled(k, temperature);
    SetEnabled("SpinEdit6", temperature && Checked("hkompmax"));
    SetEnabled("SpinEdit7", temperature && Checked("hkompmin"));
    for (const char* k : {"SpinEdit1", "SpinEdit2", "SpinEdit3"}) SetEnabled(k, Checked("CheckBox11"));
    SetEnabled("ComboBox11", Checked("CheckEgyeb2"));
    SetEnabled("SpinEdit19", Checked("AUTOOPEN"));
    SetEnabled("SpinEdit20", Checked("AUTOCLOSE"));
    const int panel = Value("ComboBox15");
    SetEnabled("jammerKI2", panel <= 0);
    SetEnabled("CheckBox12", panel == 1);
    SetEnabled("CheckBox2", panel == 2);
    for (int n = 1; n <= 4; ++n) {
        SetEnabled(N("CheckBox3KI", n), Checked(N("CheckBox1KI", n)));
        SetOutputType(n, Value(N("ComboKi", n)), deviceType, false);
    }
}

}  // namespace morvane
