#pragma once
// Every value of the settings store with its name and default, and typed
// readers and writers. All of them use the program's key (RegistryKey) and
// read the store again at every call.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct SettingDef {
    const char* name;
    const char* defaultText;  // what a missing or empty value means ("" = none)
};

namespace setting {
inline constexpr SettingDef ComPort{"comport", "COM1"};
inline constexpr SettingDef Language{"Language", "1"};
inline constexpr SettingDef UsbBlue{"USB_BLUE", "0"};
inline constexpr SettingDef Mode{"mode", "0"};
inline constexpr SettingDef Device{"Device", "0"};
inline constexpr SettingDef StartDate{"StartDate", ""};
inline constexpr SettingDef StartDir{"StartDir", ""};
inline constexpr SettingDef ContactIdSend{"ContactIdSend", "1"};
inline constexpr SettingDef Confirm{"Confirm", "0"};
inline constexpr SettingDef Custom{"custom", "False"};
inline constexpr SettingDef Company{"company", "Qal"};
inline constexpr SettingDef Monitor{"monitor", "2"};
inline constexpr SettingDef TestPhone{"testPHONE", ""};
inline constexpr SettingDef UserEmail{"User_Email", ""};
inline constexpr SettingDef UserPsw{"User_PSW", ""};
inline constexpr SettingDef UserMac{"User_MAC", ""};
inline constexpr SettingDef UserPlace{"User_Place", ""};
inline constexpr SettingDef WifiSsid{"WiFi_SSID", ""};
inline constexpr SettingDef WifiPsw{"WiFi_PSW", ""};
inline constexpr SettingDef BlueToothPort{"BlueToothPORT", ""};
inline constexpr SettingDef WebEmail{"web_email", ""};
inline constexpr SettingDef WebPass{"web_pass", ""};
inline constexpr SettingDef WebPlanIdMobile{"web_planIDmobile", ""};
}  // namespace setting

// All values above, in this order.
const std::vector<SettingDef>& AllSettings();

// "mode" codes.
inline const std::string QuartzlineModeCode = "quartzline";  // special commands menu
inline const std::string ZarirModeCode = "ZARIR";            // launcher port at 4800 baud
enum class ModeKind { Normal, Advanced, Quartzline, Zarir };
ModeKind ModeKindOf(const std::string& modeCode);

// "company": a value beginning with "*" carries the company name written
// into the image's name field (and that field is written to the device);
// any other value means product name 1 and the field is not written.
struct CompanyInfo {
    bool ResellerFlag = false;
    std::string Name;
};
CompanyInfo ParseCompany(const std::string& value, const std::string& productName1);

// "monitor": window size index 0..4 and its scale of the configurator.
struct Scale {
    int num = 1;
    int den = 1;
};
// "0" 1/2, "1" 2/3, "2" 1/1, "3" 4/3, "4" 5/3; any other text as "2".
int MonitorIndexOf(const std::string& value);
Scale MonitorScale(int index);

// Decimal number of a value made of digits only (at most 9), else nullopt.
std::optional<int> ParseDecimal(const std::string& text);

// The device filter in effect: with a non-zero brand code it is "ALL" only
// when the first command-line parameter is "OSTREL" (a stored "ALL" is then
// taken as "0"); with brand code 0 it is the stored value.
std::string EffectiveDeviceFilter(const std::string& stored, int brandCode, const std::string& firstParam);

// The current date and time as stored in "StartDate".
std::string FormatStartDate(std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

class Settings {
public:
    // The stored text (empty when missing).
    static std::string Raw(const SettingDef& def);
    // The stored text, or the default when it is empty.
    static std::string Get(const SettingDef& def);
    static bool Set(const SettingDef& def, const std::string& text);
    // Writes the given default when the value is empty; returns the value
    // now in effect (the default also when the write failed).
    static std::string EnsureDefault(const SettingDef& def, const std::string& defaultText);
    static std::string EnsureDefault(const SettingDef& def) { return EnsureDefault(def, def.defaultText); }

    // "comport": the port name, "COM1" when empty.
    static std::string ComPort();
    static bool SetComPort(const std::string& name);

    // "Language": the number it holds, if it holds one (launcher).
    static std::optional<int> LanguageNumber();
    // The language code the configurator uses: "0".."10", anything else 1.
    static int LanguageForConfigurator();
    static bool SetLanguage(int code);

    // "USB_BLUE": the connection choice restored at start: empty gives 0,
    // "0" and "1" give themselves; "2" (Internet) and anything else give
    // nullopt: the choice is left as it is.
    static std::optional<int> ConnectionTypeAtStart();
    static bool SetConnectionType(int index);

    // "mode": the stored text as ModeCode (empty when missing).
    static std::string ModeCode();
    static ModeKind Mode() { return ModeKindOf(ModeCode()); }

    // "Device": the stored device filter; "0" is written when it is empty.
    static std::string DeviceFilterAtStart();

    // Write-permission probe: writes the stamp as "StartDate" and reads it
    // back. True when the store took it.
    static bool ProbeWritePermission(const std::string& stamp);
    static bool SetStartDir(const std::string& dir);

    // "ContactIdSend": the Contact ID table goes with the configuration
    // unless the value is "0".
    static bool ContactIdSend();
    static bool SetContactIdSend(bool on);

    // "Confirm": "1" switches confirmation questions off.
    static bool ConfirmOff();
    static bool SetConfirmOff(bool off);

    // "custom": "True" ticks "Tiltás" (no "custom.dat" at activation).
    static bool CustomTicked();
    static bool SetCustomTicked(bool ticked);

    // "company": writes "Qal" when empty and returns the parsed value.
    static CompanyInfo CompanyAtActivation(const std::string& productName1);

    // "monitor": the configurator writes "2" when empty, the window size
    // window "1"; both then use the index.
    static int MonitorIndex();
};

}  // namespace morvane
