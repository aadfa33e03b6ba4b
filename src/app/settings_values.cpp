#include "app/settings_values.h"

#include <ctime>

#include "app/settings_store.h"
#include "app/startup.h"

namespace morvane {

const std::vector<SettingDef>& AllSettings() {
    using namespace setting;
    static const std::vector<SettingDef> all = {
        ComPort,  Language,  UsbBlue,   Mode,      Device,        StartDate, StartDir,  ContactIdSend,
        Confirm,  Custom,    Company,   Monitor,   TestPhone,     UserEmail, UserPsw,   UserMac,
        UserPlace, WifiSsid, WifiPsw,   BlueToothPort, WebEmail,  WebPass,   WebPlanIdMobile};
    return all;
}

ModeKind ModeKindOf(const std::string& modeCode) {
    if (modeCode == AdvancedModeCode) return ModeKind::Advanced;
    if (modeCode == QuartzlineModeCode) return ModeKind::Quartzline;
    if (modeCode == ZarirModeCode) return ModeKind::Zarir;
    return ModeKind::Normal;
}

CompanyInfo ParseCompany(const std::string& value, const std::string& productName1) {
    if (!value.empty() && value.front() == '*') return {true, value.substr(1)};
    return {false, productName1};
}

std::optional<int> ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

int MonitorIndexOf(const std::string& value) {
    auto n = ParseDecimal(value);
    return (n && *n <= 4) ? *n : 2;
}

Scale MonitorScale(int index) {
    switch (index) {
        case 0: return {1, 2};
        case 1: return {2, 3};
        case 3: return {4, 3};
        case 4: return {5, 3};
        default: return {1, 1};
    }
}

std::string EffectiveDeviceFilter(const std::string& stored, int brandCode, const std::string& firstParam) {
    if (brandCode == 0) return stored;
    if (firstParam == "OSTREL") return "ALL";
    return stored == "ALL" ? "0" : stored;
}

std::string FormatStartDate(std::chrono::system_clock::time_point when) {
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y.%m.%d %H:%M:%S", &local);
    return buf;
}

std::string Settings::Raw(const SettingDef& def) { return SettingsStore::Read(RegistryKey(), def.name); }

std::string Settings::Get(const SettingDef& def) {
    std::string v = Raw(def);
    return v.empty() ? std::string(def.defaultText) : v;
}

bool Settings::Set(const SettingDef& def, const std::string& text) {
    return SettingsStore::Write(RegistryKey(), def.name, text);
}

std::string Settings::EnsureDefault(const SettingDef& def, const std::string& defaultText) {
    std::string v = Raw(def);
    if (!v.empty()) return v;
    Set(def, defaultText);
    return defaultText;
}

std::string Settings::ComPort() { return Get(setting::ComPort); }
bool Settings::SetComPort(const std::string& name) { return Set(setting::ComPort, name); }

std::optional<int> Settings::LanguageNumber() { return ParseDecimal(Raw(setting::Language)); }

int Settings::LanguageForConfigurator() {
    auto n = ParseDecimal(Raw(setting::Language));
    return (n && *n <= 10) ? *n : DefaultLanguage;
}

bool Settings::SetLanguage(int code) { return Set(setting::Language, std::to_string(code)); }

std::optional<int> Settings::ConnectionTypeAtStart() {
    std::string v = Raw(setting::UsbBlue);
    if (v.empty()) return 0;
    auto n = ParseDecimal(v);
    if (n && (*n == 0 || *n == 1)) return n;
    return std::nullopt;
}

bool Settings::SetConnectionType(int index) { return Set(setting::UsbBlue, std::to_string(index)); }

std::string Settings::ModeCode() { return Raw(setting::Mode); }

std::string Settings::DeviceFilterAtStart() { return EnsureDefault(setting::Device); }

bool Settings::ProbeWritePermission(const std::string& stamp) {
    bool written = Set(setting::StartDate, stamp);
    return written && Raw(setting::StartDate) == stamp;
}

bool Settings::SetStartDir(const std::string& dir) { return Set(setting::StartDir, dir); }

bool Settings::ContactIdSend() { return Get(setting::ContactIdSend) != "0"; }
bool Settings::SetContactIdSend(bool on) { return Set(setting::ContactIdSend, on ? "1" : "0"); }

bool Settings::ConfirmOff() { return Raw(setting::Confirm) == "1"; }
bool Settings::SetConfirmOff(bool off) { return Set(setting::Confirm, off ? "1" : "0"); }

bool Settings::CustomTicked() { return Raw(setting::Custom) == "True"; }
bool Settings::SetCustomTicked(bool ticked) { return Set(setting::Custom, ticked ? "True" : "False"); }

CompanyInfo Settings::CompanyAtActivation(const std::string& productName1) {
    return ParseCompany(EnsureDefault(setting::Company), productName1);
}

int Settings::MonitorIndex() { return MonitorIndexOf(Get(setting::Monitor)); }

}  // namespace morvane
