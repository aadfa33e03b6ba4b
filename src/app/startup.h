#pragma once
// Program-wide constants and the values prepared once at start.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// Edition of the program; only the branches of edition 50 exist.
inline constexpr int EditionCode = 50;
// Shown on the launcher after "version: " and alone in its Label19.
inline const std::string VersionDate = "2024.11.22";
// Shown in the firmware progress window after "Firmware: ".
inline const std::string FirmwareLabel = "8.9";
// Seller branding; 1 keeps the product names below and only sets the contact text.
inline constexpr int BrandCode = 1;

inline const std::string ProgramName = "Morvane";
// Product names 1 to 6 (index 0 to 5).
inline const std::array<std::string, 6> ProductNames = {
    "Tarvex GSM", "Zelbrin GSM", "Quendor GSM", "Halvoret GSM", "Tessaly GPS", "Pomerand 4G"};
inline constexpr int DefaultLanguage = 1;
// The "mode" value that unlocks the service commands.
inline const std::string AdvancedModeCode = "5830614";
// The relay used unless "serverIP.txt" names another.
inline const std::string BuiltInRelayUrl = "http://relay.morvane.example/prog/control_prog.php/";
// Key path of the program's settings: "\software\GSM\Morvane".
const std::string& RegistryKey();

// Seller contact text of brand code 1 (shown by the contact window).
inline const std::string ContactText =
    "Morvane\nGSM device configuration and service\nhttp://www.morvane.example/";

// Number of entries of the launcher's COM port list.
inline constexpr int ComPortItemCount = 512;
// Upper bound (exclusive) of InstanceNumber.
inline constexpr int32_t InstanceNumberLimit = 2105834625;

// The "--start-dir" option taken out of the command line.
struct CommandLine {
    std::optional<std::string> startDir;  // "--start-dir DIR" or "--start-dir=DIR"
    std::vector<std::string> args;        // the other arguments, in order
};
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Values computed once at start and read by the windows afterwards.
struct StartupValues {
    std::string StartDirectory;     // folder of the side files, no trailing separator
    int32_t InstanceNumber = 0;     // 0 <= n < InstanceNumberLimit, sent to the relay as "myown="
    std::string PortOverride;       // from "specfunc.txt" line 2, or empty
    std::string RelayUrl;           // built-in, or from "serverIP.txt"
    std::string RelayMessage;       // "BAD IP: ..." when "serverIP.txt" was refused, else empty
    std::vector<std::string> ComPortItems;  // "COM1" .. "COM512"
};

// StartDirectory: $MORVANE_START_DIR if set, else the --start-dir option when
// given, else $XDG_DATA_HOME/morvane (~/.local/share/morvane). The folder is
// created when missing; the path is absolute, without a trailing separator.
std::string ResolveStartDirectory(const std::optional<std::string>& startDirOption = std::nullopt);

// A draw from a generator seeded from the clock: uniform in [0, InstanceNumberLimit).
int32_t DrawInstanceNumber();

// "COM1" to "COM512".
std::vector<std::string> MakeComPortItems();

// The launcher's creation steps: start directory, instance number, port
// override from "specfunc.txt", COM list, relay address from "serverIP.txt".
// A refused relay address leaves RelayMessage for the caller to show.
StartupValues ComputeStartupValues(const std::optional<std::string>& startDirOption = std::nullopt);

}  // namespace morvane
