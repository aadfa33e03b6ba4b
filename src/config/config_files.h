#pragma once
// Configuration files kept outside the device:
//  - the configuration file ("*.dat"): the configuration image with the six
//    customer data texts;
//  - the own profile "custom.dat" in the start directory: image bytes 0..1023;
//  - the memory export "config.php" in the start directory: the
//    configuration area as one line of hexadecimal text.
// The caller runs EncodeSettings before a save or export and DecodeSettings
// after a load; nothing here knows the settings pages.
//
// Every file is written to a temporary file in the target's folder, flushed
// to disk and renamed over the target, so a failed save never leaves a
// damaged file behind. Errors carry the system's reason as
// "<path>: <reason>".
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config/config_image.h"

namespace morvane {

// Outcome of a file operation; `error` is empty on success.
struct FileResult {
    bool ok = true;
    std::string error;
};

// Writes the bytes as the whole new content of `path` (temporary file in the
// same folder, fsync, rename over the target). On failure the old file, if
// any, is left as it was and no temporary file remains.
FileResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
FileResult WriteFileAtomically(const std::string& path, const std::string& bytes);

// ---------------------------------------------------------------- "*.dat"

// File dialog filters of the configuration file.
inline constexpr const char* ConfigSaveFilter = "Save File (*.dat)|*.dat";
inline constexpr const char* ConfigOpenFilter = "Save File (*.dat)|*.dat|All|*.*";

// Layout of the configuration file: the head (image bytes 0..H-1, H = 8192
// for type 'd' and 1024 for every other type), six text records of 128
// bytes, then image bytes 0x400..0x3E03FF.
inline constexpr int kCustomerTextCount = 6;  // Edit2 .. Edit7
inline constexpr size_t kTextRecordSize = 128;
inline constexpr size_t kTextRecordLength = 127;  // characters a record keeps
inline constexpr uint32_t kConfigFileTailStart = 0x400;
inline constexpr size_t kConfigFileTailSize = 0x3E0000;

size_t ConfigFileHeadSize(int deviceType);
size_t ConfigFileSize(int deviceType);  // 4,065,024, or 4,072,192 for 'd'

// The customer data texts (UTF-8) in record order: "Ügyfél név:" ..
// "Telepítés dátuma:".
using CustomerTexts = std::array<std::string, kCustomerTextCount>;

// One text record: byte 0 is 0, bytes 1..127 the text in code page 1250
// (cut to 127 characters), 0 bytes after it.
std::array<uint8_t, kTextRecordSize> EncodeTextRecord(const std::string& text);
// The text up to the first 0 byte among bytes 1..127 (127 characters without one).
std::string DecodeTextRecord(const uint8_t* record);

// The bytes of a configuration file.
std::vector<uint8_t> BuildConfigFile(const ConfigImage& image, int deviceType, const CustomerTexts& texts);

// Saves a configuration file (an existing file is replaced). Each empty text
// becomes a single space " ", in `texts` too (the page shows the space), and
// is written so.
FileResult SaveConfigFile(const std::string& path, const ConfigImage& image, int deviceType, CustomerTexts& texts);

struct ConfigFileLoad {
    bool ok = false;
    std::string error;
    CustomerTexts texts;       // the texts of the six records
    size_t tailBytes = 0;      // bytes of the last part that the file held
};

// Loads a configuration file into the image: the head at 0, the texts, and
// as much of the last part as the file holds from 0x400 on (a short or
// missing last part is not an error; the rest of the image keeps what it
// held). A file that cannot be opened or read, or that ends before the last
// part, is an error and leaves the image untouched. On success the caller
// puts the texts into the customer data fields, runs DecodeSettings and then
// takes the firmware from LoadedFirmware().
ConfigFileLoad LoadConfigFile(const std::string& path, ConfigImage& image, int deviceType);

// Firmware shown after a configuration file load: version = byte 254,
// build = byte 252 (0 when 255), text "Firmware: " v/10 "." v%10 "." build.
struct LoadedFirmware {
    int version = 0;
    int build = 0;
    std::string text;
};
LoadedFirmware FirmwareOfLoadedImage(const ConfigImage& image);

// ---------------------------------------------------------------- "custom.dat"

inline constexpr const char* CustomProfileFile = "custom.dat";
inline constexpr size_t kCustomProfileSize = 1024;

// "Saját Profil": the "Tiltás" menu item (ticked at design time; stored in the
// "custom" setting as "True"/"False") and the own-profile file.
class OwnProfile {
public:
    explicit OwnProfile(std::string startDir) : startDir_(std::move(startDir)) {}

    bool Tiltas() const { return tiltas_; }
    // The user toggles "Tiltás": the new state is stored in the "custom" setting.
    void SetTiltas(bool ticked);

    // "Mentés": image bytes 0..1023 as they are into "custom.dat".
    FileResult Save(const ConfigImage& image) const;

    // Configurator activation. A "custom" setting of "True" ticks "Tiltás"
    // (nothing unticks it here). While "Tiltás" is not ticked, "custom.dat"
    // replaces image bytes 0..1023; returns true when it did (the caller then
    // runs DecodeSettings). Errors are silent: a missing, unreadable or short
    // file changes nothing.
    bool Activate(ConfigImage& image);

private:
    std::string startDir_;
    bool tiltas_ = true;
};

// ---------------------------------------------------------------- "config.php"

inline constexpr const char* MemoryExportFile = "config.php";
inline constexpr size_t kMemoryExportLength = 8 * 527;

// Eight segments, one per configuration page k: "dddddddd00" k "000#" and
// the page's 256 bytes as upper-case hexadecimal; no line break anywhere.
std::string MemoryExportText(const ConfigImage& image);
// Writes "config.php" into the start directory.
FileResult ExportMemory(const std::string& startDir, const ConfigImage& image);

}  // namespace morvane
