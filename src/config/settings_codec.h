#pragma once
// Conversion between the settings model and the configuration image:
// EncodeSettings stores the pages into the image before a full write, a
// memory export and a file save; DecodeSettings fills the pages from the
// image after a full read and a file load. Plain fields follow the field
// table of the memory map; the rules that are not a plain copy live here.
#include <array>
#include <optional>
#include <string>

#include "config/config_image.h"
#include "config/settings_model.h"

namespace morvane {

class View;
class Configurator;
struct CompanyInfo;

// What the conversion needs to know beside the pages.
struct CodecContext {
    int deviceType = 0;         // type letter as a character code
    int deviceVersion = 0;      // firmware number, 92 meaning 9.2
    bool resellerFlag = false;  // the "company" setting begins with "*"
    std::string companyName;    // the "company" setting without its star
    std::string productName1 = "Tarvex GSM";  // product name 1 as the launcher left it
    bool advancedMode = false;  // ModeCode equals the advanced-mode code
    bool confirmOff = false;    // "Megerősítő kérdések tiltva!"
};

// The context of a configurator: its type, version and mode, the parsed
// "company" setting and the confirmations-off option.
CodecContext MakeCodecContext(const Configurator& form, const CompanyInfo& company, bool confirmOff);

// The name stored at 384: the company name when the setting carries one,
// otherwise product name 1 (with " 4G" for type 'N' unless it ends so).
std::string BrandName(const CodecContext& ctx);

// The hidden preset of the two endpoint fields (choice item 1 of ComboBox14).
struct ServiceEndpointPreset {
    static constexpr const char* kHost = "cloud.morvane.example";
    static constexpr const char* kAddress = "udp.morvane.example";
};

// ---- Value tables ----------------------------------------------------------
constexpr int kRxLevelNoChoice = 150;
constexpr int kAlarmVoltageNoChoice = 76;
constexpr int kFilterNoChoice = 3;
// Byte 103 of each receive level index 0..9.
const std::array<int, 10>& ReceiveLevelTable(int deviceType, int deviceVersion);
// Byte 114 of each alarm voltage index 0..10.
const std::array<int, 11>& AlarmVoltageTable(int deviceType);
// Byte 80 of each filter index 0..5.
const std::array<int, 6>& FilterTable();
// The filter index a byte selects; nullopt (choice unchanged) for 2.
std::optional<int> FilterIndexOf(int byte);
// Status bar text of a firmware version and build.
std::string FirmwareText(int version, int build);

// ---- Conversion --------------------------------------------------------------

// The changes encoding makes to the pages before storing: CheckBox16 and
// RadioGroup1 reset for the types H, I, K, L, N, O; checkegyeb2_3 ticked;
// ticks of disabled recipient items removed; the receive level of 'P' and
// 'Q' limited to index 7.
void ApplyEncodeRules(SettingsModel& model, const CodecContext& ctx);

// Stores the pages into the image, the rules above applied to the model first.
void EncodeSettings(SettingsModel& model, ConfigImage& image, const CodecContext& ctx);
// The same on a copy: the model is left as it is.
void EncodeSettings(const SettingsModel& model, ConfigImage& image, const CodecContext& ctx);

// Fills the pages from the image (texts are written back into the image in
// their PC form). The model's FirmwareInfo receives bytes 254 and 252.
void DecodeSettings(ConfigImage& image, SettingsModel& model, const CodecContext& ctx);

// The preparation of "Elküldés" before encoding. Returns false when the user
// answers No to the question; statusText receives "Data sending in progress...".
inline constexpr const char* kSendQuestion = "Biztosan el akarja küldeni az adatokat?";
bool PrepareFullWrite(SettingsModel& model, const CodecContext& ctx, View& view, std::string* statusText = nullptr);

}  // namespace morvane
