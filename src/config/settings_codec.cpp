#include "config/settings_codec.h"

#include <cmath>

#include "app/configurator.h"
#include "app/settings_values.h"
#include "app/startup.h"
#include "app/view.h"
#include "cid/contact_id.h"
#include "config/device_charmap.h"
#include "config/memory_map.h"

namespace morvane {

using mm::Coding;
using mm::FieldDef;

namespace {

std::string N(const std::string& base, int n) { return base + std::to_string(n); }

bool ResetsGprsOptions(int t) { return TypeIsOneOf(t, "HIKLNO"); }

// The bit a control contributes: a ticked box, or a choice at index 1.
bool BitOf(const SettingControl& c) { return c.kind == ControlKind::kChoice ? c.value == 1 : c.value != 0; }

struct LedColour {
    uint8_t r, g, b;
};
constexpr LedColour kLedColours[8] = {{0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                      {0, 0, 255},   {200, 0, 150},   {0, 155, 255}, {255, 100, 0}};

void PutBytes(ConfigImage& img, uint32_t off, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) img[off + i] = bytes[i];
}

// Plain bytes without character substitution, at most max, 0xFF after them
// when shorter.
void PutPlain(ConfigImage& img, uint32_t off, const std::string& utf8, size_t max) {
    img.WriteText(off, Utf8ToCp1250(utf8), max);
}

std::string CutAtQuote(const std::string& s) { return s.substr(0, s.find('"')); }

// ---- The plain fields of the table ----

void EncodePlain(const SettingsModel& m, ConfigImage& img, const std::vector<FieldDef>& fields, int type) {
    for (const FieldDef& f : fields)
        if (f.coding == Coding::kBit || f.coding == Coding::kBitNot) img[f.offset] = 0;
    for (const FieldDef& f : fields) {
        if (f.coding == Coding::kFixed) {
            img[f.offset] = f.arg;
            continue;
        }
        if (f.coding == Coding::kSpecial) continue;
        const SettingControl& c = m.At(f.control);
        switch (f.coding) {
        case Coding::kByte:
        case Coding::kIndex:
        case Coding::kMask:
            img[f.offset] = uint8_t(c.value);
            break;
        case Coding::kIndex7:
            img[f.offset] = uint8_t(c.value & 0x7F);
            break;
        case Coding::kBE16:
            mm::WriteBE16(img, f.offset, unsigned(c.value));
            break;
        case Coding::kLE16:
            mm::WriteLE16(img, f.offset, unsigned(c.value));
            break;
        case Coding::kFlag:
            img[f.offset] = c.value != 0 ? f.arg : 0;
            break;
        case Coding::kText:
        case Coding::kTextCustomer:
        case Coding::kTextMax:
            WriteImageText(img, f.offset, c.text, f.width, type);
            break;
        default:
            break;
        }
    }
    for (const FieldDef& f : fields) {
        if (f.coding != Coding::kBit && f.coding != Coding::kBitNot) continue;
        const bool on = BitOf(m.At(f.control));
        if (on != (f.coding == Coding::kBitNot)) img[f.offset] |= uint8_t(1u << f.arg);
    }
}

void DecodePlain(ConfigImage& img, SettingsModel& m, const std::vector<FieldDef>& fields, int type) {
    for (const FieldDef& f : fields) {
        if (f.coding == Coding::kSpecial || f.coding == Coding::kFixed) continue;
        const uint8_t b = img[f.offset];
        const std::string& key = f.control;
        switch (f.coding) {
        case Coding::kByte:
        case Coding::kIndex:
        case Coding::kMask:
            m.SetValue(key, b);
            break;
        case Coding::kIndex7:
            m.SetValue(key, b & 0x7F);
            break;
        case Coding::kBE16:
            m.SetValue(key, mm::ReadBE16(img, f.offset));
            break;
        case Coding::kLE16:
            m.SetValue(key, mm::ReadLE16(img, f.offset));
            break;
        case Coding::kBit:
            m.SetValue(key, (b >> f.arg) & 1);
            break;
        case Coding::kBitNot:
            m.SetValue(key, ((b >> f.arg) & 1) ^ 1);
            break;
        case Coding::kFlag:
            m.SetValue(key, b == f.arg ? 1 : 0);
            break;
        case Coding::kText:
            // An empty field reads back as an empty text, so that it is
            // written back empty (not as a single space).
            m.SetText(key, b == 0xFF ? std::string() : ReadImageText(img, f.offset, type));
            break;
        case Coding::kTextCustomer:
            // An empty field clears the text: a value from an earlier device
            // or file must not survive into this one.
            m.SetText(key, b == 0xFF || b == 0 ? std::string() : ReadImageText(img, f.offset, type));
            break;
        case Coding::kTextMax:
            m.SetText(key, ReadImageText(img, f.offset, f.width, type));
            break;
        default:
            break;
        }
    }
}

int IndexOfValue(const int* table, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (table[i] == value) return i;
    return -1;
}

}  // namespace

// ---- Context and tables ----------------------------------------------------

CodecContext MakeCodecContext(const Configurator& form, const CompanyInfo& company, bool confirmOff) {
    CodecContext ctx;
    ctx.deviceType = form.DeviceType;
    ctx.deviceVersion = form.DeviceVersion;
    ctx.resellerFlag = company.ResellerFlag;
    ctx.companyName = company.ResellerFlag ? company.Name : std::string();
    ctx.productName1 = ProductNames[0];
    ctx.advancedMode = form.ModeCode == AdvancedModeCode;
    ctx.confirmOff = confirmOff;
    return ctx;
}

std::string BrandName(const CodecContext& ctx) {
    if (ctx.resellerFlag) return ctx.companyName;
    std::string name = ctx.productName1;
    const std::string suffix = " 4G";
    const bool has4g = name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    if (ctx.deviceType == 'N' && !has4g) name += suffix;
    return name;
}

const std::array<int, 10>& ReceiveLevelTable(int deviceType, int deviceVersion) {
    static const std::array<int, 10> newI = {200, 190, 180, 170, 160, 150, 140, 135, 130, 129};
    static const std::array<int, 10> oldI = {200, 175, 170, 165, 160, 155, 150, 145, 140, 135};
    static const std::array<int, 10> others = {230, 220, 210, 200, 190, 175, 165, 150, 140, 135};
    if (deviceType == 'I') return deviceVersion > 87 ? newI : oldI;
    return others;
}

const std::array<int, 11>& AlarmVoltageTable(int deviceType) {
    static const std::array<int, 11> typeN = {36, 42, 48, 55, 62, 65, 69, 72, 76, 79, 83};
    static const std::array<int, 11> others = {48, 55, 62, 65, 69, 72, 76, 79, 83, 87, 90};
    return deviceType == 'N' ? typeN : others;
}

const std::array<int, 6>& FilterTable() {
    static const std::array<int, 6> t = {0, 1, 3, 10, 60, 150};
    return t;
}

std::optional<int> FilterIndexOf(int b) {
    if (b == 0) return 0;
    if (b == 1) return 1;
    if (b == 2) return std::nullopt;
    if (b < 10) return 2;
    if (b < 60) return 3;
    if (b < 150) return 4;
    return 5;
}

std::string FirmwareText(int version, int build) {
    if (version == 92 && build == 200) return "Firmware: 9.3.4 (9.2.200)";
    if (version == 92 && build == 201) return "Firmware: 9.4.9 (9.2.201)";
    return "Firmware: " + std::to_string(version / 10) + "." + std::to_string(version % 10) + "." +
           std::to_string(build);
}

// ---- Encoding ------------------------------------------------------------------

void ApplyEncodeRules(SettingsModel& m, const CodecContext& ctx) {
    if (ResetsGprsOptions(ctx.deviceType)) {
        m.SetChecked("CheckBox16", false);
        m.SetValue("RadioGroup1", 0);
    }
    m.SetChecked("checkegyeb2_3", true);
    for (const std::string& list : SettingsModel::RecipientLists()) {
        SettingControl& c = m.At(list);
        c.value &= c.itemEnabled;
    }
    if (TypeIsOneOf(ctx.deviceType, "PQ") && m.Value("ComboBox16") > 7) m.SetValue("ComboBox16", 7);
}

namespace {

void EncodeModel(const SettingsModel& m, ConfigImage& img, const CodecContext& ctx) {
    const int type = ctx.deviceType;

    // SMS security code: only a code of exactly four characters, unchanged.
    if (Utf8Length(m.Text("Edit1")) == 4) {
        const std::string pc = Utf8ToCp1250(m.Text("Edit1"));
        for (uint32_t i = 0; i < 4; ++i) img[mm::kSmsCode + i] = static_cast<uint8_t>(pc[i]);
    }
    for (uint32_t i = mm::kClearFrom; i < mm::kClearEnd; ++i) img[i] = 0;

    // Channel records, option bytes, single-byte settings, SMS texts (the
    // speed text at 640 first), customer data, header, time zones, profiles.
    EncodePlain(m, img, mm::ConfigAreaFields(), type);

    // Outputs.
    for (int n = 1; n <= 4; ++n) {
        const int index = m.Value(N("ComboKi", n));
        uint8_t mode = 0;
        uint8_t extended = mm::kExtendedNone;
        if (index < 3) {
            if (index == 1) mode |= mm::kModeBistable;
            if (m.Checked(N("CheckBox2KI", n))) mode |= mm::kModeOnAlarm;
            if (m.Checked(N("CheckBox1KI", n))) mode |= mm::kModeOnCall;
            if (!m.Checked(N("CheckBox3KI", n))) mode |= mm::kModeNoCallerId;
            if (index == 2) mode |= mm::kModeArmedState;
            if (n == 1 && m.Checked("CheckBox5KI1")) mode |= mm::kModeSmsOnChange;
        } else {
            extended = uint8_t(index - 2);
        }
        img[mm::OutputModeOffset(n)] = mode;
        img[mm::OutputExtendedOffset(n)] = extended;
        mm::WriteBE16(img, mm::OutputTimeOffset(n), unsigned(m.OutputTime[size_t(n - 1)]));
    }
    if (type == 'K') img[mm::kTypeKMarker] = 1;

    // Door-phone LED colour.
    const int led = m.Value("TDPhone1.ComboBox1");
    if (led >= 0 && led < 8) {
        img[mm::kDoorLed] = kLedColours[led].r;
        img[mm::kDoorLed + 1] = kLedColours[led].g;
        img[mm::kDoorLed + 2] = kLedColours[led].b;
    }
    // Heartbeat.
    img[mm::kHeartbeatDays] = m.Checked("CheckBox11") ? uint8_t(m.Value("SpinEdit1")) : 0;
    const int hour = m.Value("SpinEdit2");
    img[mm::kHeartbeatHour] = uint8_t(hour / 10 + '0');
    img[mm::kHeartbeatHour + 1] = uint8_t(hour % 10 + '0');
    img[mm::kHeartbeatFirst] = uint8_t(m.Value("SpinEdit3") + 1);
    // Automatic opening and closing.
    img[mm::kAutoOpen] = m.Checked("AUTOOPEN") ? uint8_t(128 + m.Value("SpinEdit19")) : 0;
    img[mm::kAutoClose] = m.Checked("AUTOCLOSE") ? uint8_t(128 + m.Value("SpinEdit20")) : 0;
    // SMS forwarding.
    img[mm::kForwarding] = m.Checked("CheckEgyeb2") ? uint8_t(m.Value("ComboBox11")) : 255;
    // Daily SMS limit: 0 on the page means no limit.
    img[mm::kSmsDailyLimit] = m.Value("SMSnap") == 0 ? 255 : uint8_t(m.Value("SMSnap"));
    mm::WriteLE16(img, mm::kGpsStamp, unsigned(m.Value("GPSstampALL") - 1));
    // Input filter.
    const int filter = m.Value("ComboBox12");
    img[mm::kInputFilter] = uint8_t(filter >= 0 ? FilterTable()[size_t(filter)] : kFilterNoChoice);
    // Receive level.
    const int rx = m.Value("ComboBox16");
    img[mm::kRxLevel] = uint8_t(rx >= 0 ? ReceiveLevelTable(type, ctx.deviceVersion)[size_t(rx)] : kRxLevelNoChoice);
    if (TypeIsOneOf(type, "PQ")) img[mm::kRxLevel] = uint8_t(std::min(rx, 7));
    // Alarm voltage.
    const int volt = m.Value("ComboBox20");
    img[mm::kAlarmVoltage] = uint8_t(volt >= 0 ? AlarmVoltageTable(type)[size_t(volt)] : kAlarmVoltageNoChoice);
    // Line voltage and transmit level.
    img[mm::kLineVoltage] = uint8_t(m.Value("VFESZ") * 10 / 15);
    img[mm::kTxLevel] = uint8_t(m.Value("ComboBox17") + 1);
    // BUS set points.
    for (int i = 0; i < SettingsModel::kBusChannels; ++i)
        img[mm::kBusSetPoints + uint32_t(i)] = uint8_t(std::lround(m.SetPoint[size_t(i)]) & 0xFF);
    // Phone numbers: digits and "+" up to the first other character, which
    // stores the terminator (a full number puts it into the next field).
    for (int n = 1; n <= 8; ++n) {
        const std::string& t = m.Text(N("MaskEdit", n));
        const uint32_t off = mm::PhoneOffset(n);
        for (size_t i = 0; i <= 16; ++i) {
            const char ch = i < t.size() ? t[i] : '\0';
            if ((ch >= '0' && ch <= '9') || ch == '+') {
                img[off + i] = uint8_t(ch);
            } else {
                img[off + i] = 0xFF;
                break;
            }
        }
    }
    PutPlain(img, mm::kBrandName, BrandName(ctx), mm::kBrandNameSize);
    // Power profiles: the switching modes and the GPS period.
    for (int p = 0; p < mm::kPowerProfileCount; ++p) {
        const uint32_t o = mm::PowerProfileOffset(p);
        const int gps = m.Value(mm::PowerProfileControl(p, 2));
        const int gsm = m.Value(mm::PowerProfileControl(p, 4));
        img[o + mm::kPpGpsMode] = gps == 0 ? 3 : gps <= 255 ? 2 : 0;
        img[o + mm::kPpGsmMode] = gsm == 0 ? 3 : 2;
        img[o + mm::kPpGpsPeriod] = uint8_t(gps);
    }
    EncodeContactId(m.Cid, img, CidParts::kTables);
    // Server records.
    EncodePlain(m, img, mm::ServerRecordFields(), type);
    for (int s = 0; s < 4; ++s) {
        const uint32_t o = mm::ServerOffset(s);
        const int c = s + 1;
        const std::pair<uint32_t, std::string> choices[] = {
            {mm::kSrvDns1, N("DNS1_", c)}, {mm::kSrvDns2, N("DNS2_", c)}, {mm::kSrvKey, N("KULCS", c)}};
        for (const auto& [field, key] : choices) {
            if (m.Value(key) == 1)
                img[o + field] = 0xFF;
            else
                WriteImageText(img, o + field, m.Text(key), 16, type);
        }
        const int prot = m.Value(N("PROT", c));
        img[o + mm::kSrvProtocol] = prot == 0 ? 255 : uint8_t(prot);
        img[o + mm::kSrvTcp] = m.Value(N("UDPTCP", c)) == 0 ? 1 : 0;
    }
    // Host endpoint command (over the speed text).
    img[mm::kHostCommand] = 0x22;
    PutBytes(img, WriteImageText(img, mm::kHostName, m.Text("Edit10"), mm::kHostNameMax, type), mm::kHostTail);
    // Transport endpoint command.
    PutBytes(img, mm::kTransportCommand, mm::kTransportHead);
    PutBytes(img, WriteImageText(img, mm::kTransportAddress, m.Text("Edit11"), mm::kTransportAddressMax, type),
             mm::kTransportTail);
    // Monitoring station numbers, as typed; at most 16 characters so that
    // the second number and the SMS header after it stay intact.
    PutPlain(img, mm::kStation1, m.Text("TAV1"), 16);
    PutPlain(img, mm::kStation2, m.Text("TAV2"), 16);
    EncodeContactId(m.Cid, img, CidParts::kBlock);
}

}  // namespace

void EncodeSettings(SettingsModel& model, ConfigImage& image, const CodecContext& ctx) {
    ApplyEncodeRules(model, ctx);
    EncodeModel(model, image, ctx);
}

void EncodeSettings(const SettingsModel& model, ConfigImage& image, const CodecContext& ctx) {
    SettingsModel copy = model;
    EncodeSettings(copy, image, ctx);
}

// ---- Decoding ----------------------------------------------------------------

void DecodeSettings(ConfigImage& img, SettingsModel& m, const CodecContext& ctx) {
    const int type = ctx.deviceType;

    for (int n = 1; n <= 8; ++n) m.SetText(N("MaskEdit", n), ReadImageRaw(img, mm::PhoneOffset(n)));
    // Endpoint commands first: the speed and lift texts share their bytes,
    // and reading those texts writes the bytes back in PC form, which must
    // not be mapped a second time.
    m.SetText("Edit10", CutAtQuote(ReadImageText(img, mm::kHostName, mm::kHostNameMax, type)));
    m.SetText("Edit11", CutAtQuote(ReadImageText(img, mm::kTransportAddress, mm::kTransportAddressMax, type)));
    m.SetValue("ComboBox14", m.Text("Edit10") == ServiceEndpointPreset::kHost &&
                                     m.Text("Edit11") == ServiceEndpointPreset::kAddress
                                 ? 1
                                 : 0);
    DecodePlain(img, m, mm::ConfigAreaFields(), type);
    m.RefreshRecipientLists();

    // Heartbeat. The first-day value is read back as well (stored plus one),
    // so that a read and a write leave it as the device had it.
    m.SetChecked("CheckBox11", img[mm::kHeartbeatDays] != 0);
    m.SetValue("SpinEdit1", img[mm::kHeartbeatDays]);
    m.SetValue("SpinEdit2", 10 * (img[mm::kHeartbeatHour] - '0') + (img[mm::kHeartbeatHour + 1] - '0'));
    m.SetValue("SpinEdit3", (img[mm::kHeartbeatFirst] + 255) % 256);

    // Temperature limits.
    const std::pair<const char*, const char*> limits[] = {{"hkompmax", "SpinEdit6"}, {"hkompmin", "SpinEdit7"}};
    const uint32_t limitOffsets[] = {mm::kTempMax, mm::kTempMin};
    for (int i = 0; i < 2; ++i) {
        const uint8_t b = img[limitOffsets[i]];
        const bool on = m.Value("ComboBox13") != 0 && b != 255;
        m.SetChecked(limits[i].first, on);
        m.SetValue(limits[i].second, on ? b : 0);
    }

    // Automatic opening and closing.
    m.SetChecked("AUTOOPEN", img[mm::kAutoOpen] != 0);
    m.SetValue("SpinEdit19", img[mm::kAutoOpen] & 0x7F);
    m.SetChecked("AUTOCLOSE", img[mm::kAutoClose] != 0);
    m.SetValue("SpinEdit20", img[mm::kAutoClose] & 0x7F);

    // Line voltage and alarm voltage.
    // Rounded up, so that an odd byte is written back as it was read.
    m.SetValue("VFESZ", (img[mm::kLineVoltage] * 15 + 9) / 10);
    m.SetValue("ComboBox20", 6);
    const auto& volts = AlarmVoltageTable(type);
    const int voltIndex = IndexOfValue(volts.data(), int(volts.size()), img[mm::kAlarmVoltage]);
    if (voltIndex >= 0) m.SetValue("ComboBox20", voltIndex);

    // SMS forwarding.
    if (img[mm::kForwarding] == 255) {
        m.SetChecked("CheckEgyeb2", false);
    } else {
        m.SetChecked("CheckEgyeb2", true);
        m.SetValue("ComboBox11", img[mm::kForwarding]);
        m.ForwardingTarget = m.Value("ComboBox11");
    }

    // Input filter; the byte 2 leaves the choice as it is.
    if (auto f = FilterIndexOf(img[mm::kInputFilter])) m.SetValue("ComboBox12", *f);

    // SMS security code: the four bytes as they are.
    std::string code;
    for (uint32_t i = 0; i < 4; ++i) code += char(img[mm::kSmsCode + i]);
    m.SetText("Edit1", Cp1250ToUtf8(code));

    // Server records.
    DecodePlain(img, m, mm::ServerRecordFields(), type);
    for (int s = 0; s < 4; ++s) {
        const uint32_t o = mm::ServerOffset(s);
        const int c = s + 1;
        const uint8_t prot = img[o + mm::kSrvProtocol];
        m.SetValue(N("PROT", c), prot == 0 || prot == 255 ? 0 : prot);
        m.SetValue(N("UDPTCP", c), img[o + mm::kSrvTcp] == 1 ? 0 : 1);
        const std::pair<uint32_t, std::string> choices[] = {
            {mm::kSrvDns1, N("DNS1_", c)}, {mm::kSrvDns2, N("DNS2_", c)}, {mm::kSrvKey, N("KULCS", c)}};
        for (const auto& [field, key] : choices) {
            const std::string t = ReadImageText(img, o + field, 16, type);
            // An empty field (0xFF) is "AUTO" / "OFF" as well as a single space.
            if (t == " " || t.empty())
                m.SetValue(key, 1);
            else
                m.SetText(key, t);
        }
    }


    // Outputs.
    for (int n = 1; n <= 4; ++n) {
        const uint8_t mode = img[mm::OutputModeOffset(n)];
        const uint8_t ext = img[mm::OutputExtendedOffset(n)];
        int index;
        if (ext != 0 && ext != 255) {
            index = ext + 2;
        } else {
            index = (mode & mm::kModeBistable) ? 1 : 0;
            if (mode & mm::kModeArmedState) index = 2;
        }
        m.SetValue(N("ComboKi", n), index);
        m.SetChecked(N("CheckBox2KI", n), mode & mm::kModeOnAlarm);
        m.SetChecked(N("CheckBox1KI", n), mode & mm::kModeOnCall);
        m.SetChecked(N("CheckBox3KI", n), !(mode & mm::kModeNoCallerId));
        if (n == 1) {
            m.SetChecked("CheckBox5KI1", mode & mm::kModeSmsOnChange);
            m.SetValue("KI1SECMIN", 0);
        }
        const int seconds = mm::ReadBE16(img, mm::OutputTimeOffset(n));
        m.SetValue(N("SpinKI", n), seconds);
        m.OutputTime[size_t(n - 1)] = seconds;
        // The type rule without the device clamp: a type the device holds is
        // shown and written back as it is.
        m.SetOutputType(n, m.Value(N("ComboKi", n)), type, false);
    }

    m.SetValue("GPSstampALL", mm::ReadLE16(img, mm::kGpsStamp) + 1);
    m.SetValue("SMSnap", img[mm::kSmsDailyLimit]);

    // Firmware identification.
    m.FirmwareInfo.version = img[mm::kFirmwareVersion];
    m.FirmwareInfo.build = img[mm::kFirmwareBuild] == 255 ? 0 : img[mm::kFirmwareBuild];
    m.FirmwareInfo.text = FirmwareText(m.FirmwareInfo.version, m.FirmwareInfo.build);

    // Power profiles: the GPS period (profile 0 stores 256 as 0 with the mode
    // byte 0, which reads back as 256).
    for (int p = 0; p < mm::kPowerProfileCount; ++p) {
        const uint32_t o = mm::PowerProfileOffset(p);
        const bool off = p == 0 && img[o + mm::kPpGpsPeriod] == 0 && img[o + mm::kPpGpsMode] == 0;
        m.SetValue(mm::PowerProfileControl(p, 2), off ? 256 : img[o + mm::kPpGpsPeriod]);
    }

    DecodeContactId(img, m.Cid, CidParts::kAll);
    m.SetText("TAV1", ReadImageRaw(img, mm::kStation1));
    m.SetText("TAV2", ReadImageRaw(img, mm::kStation2));

    // Levels. The receive level reads back through the table it was stored
    // with (the version is the one just read).
    m.SetValue("ComboBox17", img[mm::kTxLevel] - 1);
    const int rxByte = img[mm::kRxLevel];
    if (TypeIsOneOf(type, "PQ")) {
        m.SetValue("ComboBox16", rxByte);
    } else {
        const auto& table = ReceiveLevelTable(type, m.FirmwareInfo.version);
        int rx = -1;
        for (int i = 0; i < int(table.size()); ++i)
            if (table[size_t(i)] >= rxByte) rx = i;
        m.SetValue("ComboBox16", rx);
    }

    for (int i = 0; i < SettingsModel::kBusChannels; ++i) m.SetPoint[size_t(i)] = img[mm::kBusSetPoints + uint32_t(i)];

    // The door-phone editor's copies and its own bytes.
    for (int n = 1; n <= 8; ++n) m.SetText(N("TDPhone1.MaskEdit", n), m.Text(N("MaskEdit", n)));
    m.SetValue("TDPhone1.SpinEdit4", m.Value("SpinEdit4"));
    m.SetValue("TDPhone1.SpinEdit18", m.Value("SpinEdit18"));
    m.SetChecked("TDPhone1.CheckEgyeb2", m.Checked("CheckEgyeb2"));
    m.SetValue("TDPhone1.ComboBox11", m.Value("ComboBox11"));
    m.SetText("TDPhone1.Edit1", m.Text("Edit1"));
    m.SetValue("TDPhone1.SpinKI1", m.Value("SpinKI1"));
    m.SetValue("TDPhone1.SpinKI2", m.Value("SpinKI2"));
    for (const char* k : {"CheckBox1KI1", "CheckBox1KI2", "CheckBox3KI1", "CheckBox3KI2"})
        m.SetChecked(std::string("TDPhone1.") + k, m.Checked(k));
    for (int i = 0; i < 8; ++i) {
        const LedColour& c = kLedColours[i];
        if (img[mm::kDoorLed] == c.r && img[mm::kDoorLed + 1] == c.g && img[mm::kDoorLed + 2] == c.b)
            m.SetValue("TDPhone1.ComboBox1", i);
    }

    m.ApplyDependencies(type);
}

// ---- Full-write preparation ------------------------------------------------------

bool PrepareFullWrite(SettingsModel& m, const CodecContext& ctx, View& view, std::string* statusText) {
    m.SetChecked("CheckEgyeb5", false);
    m.SetChecked("CheckBox11", m.Mask("SMSst11") != 0);
    m.ApplyDependencies(ctx.deviceType);
    if (!ctx.advancedMode && !ctx.confirmOff && !view.Confirm(kSendQuestion)) return false;
    if (ctx.deviceType == 'Q') {
        for (const auto& [from, to] : {std::pair{1, 2}, std::pair{3, 4}}) {
            for (const char* base : {"APNNAME", "KULCS"}) {
                SettingControl& dst = m.At(N(base, to));
                const SettingControl& src = m.At(N(base, from));
                dst.value = src.value;
                dst.text = src.text;
            }
            m.SetValue(N("PROT", to), m.Value(N("PROT", from)));
            m.SetValue(N("UDPTCP", to), m.Value(N("UDPTCP", from)));
        }
    }
    if (ctx.deviceType == 'N') {
        for (int s = 2; s <= 4; ++s) m.SetValue(N("PROT", s), 0);
        if (m.Value("ComboBox17") > 7) m.SetValue("ComboBox17", 7);
        if (m.Value("ComboBox16") > 4) m.SetValue("ComboBox16", 4);
    }
    if (statusText) *statusText = "Data sending in progress...";
    m.RefreshRecipientLists();
    return true;
}

}  // namespace morvane
