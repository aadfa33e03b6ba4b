#pragma once
// Texts in the configuration image: one byte per character in the device's
// character set. The PC side keeps texts as UTF-8; the image side is code page
// 1250 with a few accented letters moved to the codes the device displays.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/config_image.h"

namespace morvane {

// ---- Code page 1250 ---------------------------------------------------------

// Unicode code point of a code page 1250 byte. The five codes the code page
// leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) stand for the C1 control of
// the same value, so every byte has exactly one code point.
char32_t Cp1250ToCodePoint(uint8_t byte);
// The byte of a code point, or '?' when the code page has no such character.
uint8_t Cp1250FromCodePoint(char32_t cp);
// Whole strings: UTF-8 <-> code page 1250. Malformed UTF-8 bytes become '?'.
std::string Utf8ToCp1250(const std::string& utf8);
std::string Cp1250ToUtf8(const std::string& cp1250);
// The code point at byte i of a UTF-8 text; i moves past it. A malformed
// sequence gives '?' and moves one byte.
char32_t NextCodePoint(const std::string& utf8, size_t& i);
void AppendUtf8(std::string& out, char32_t cp);
// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(const std::string& utf8);

// ---- Device character map ---------------------------------------------------

struct CharSubstitution {
    uint8_t pc;      // code page 1250 byte
    uint8_t device;  // byte stored in the image
};

// Substitution of accented letters by the device's codes. Device type 'N'
// has its own table; every other type shares the second one.
class DeviceCharMap {
public:
    explicit DeviceCharMap(int deviceType);

    static const std::vector<CharSubstitution>& TableN();
    static const std::vector<CharSubstitution>& TableOthers();

    // One character each way; characters without a substitution pass through.
    // Each character is substituted at most once.
    uint8_t ToDevice(uint8_t pc) const { return toDevice_[pc]; }
    uint8_t FromDevice(uint8_t device) const { return fromDevice_[device]; }
    // True when the character is stored as something other than the
    // terminator and reads back as itself (the device character set).
    bool RoundTrips(uint8_t pc) const { return ToDevice(pc) != 0xFF && FromDevice(ToDevice(pc)) == pc; }

private:
    uint8_t toDevice_[256];
    uint8_t fromDevice_[256];
};

// ---- Image texts ------------------------------------------------------------

// Stores a UTF-8 text at offset with the device's substitution: character i at
// offset + i for i < max, then one 0xFF when the text is shorter than max.
// Returns the offset just after the last character stored (the terminator's
// offset when there is one).
uint32_t WriteImageText(ConfigImage& image, uint32_t offset, const std::string& text, size_t max, int deviceType);

// Collects bytes from offset until 0xFF or max bytes, maps them back to PC
// characters and writes each mapped byte back into the image in its PC form.
// This variant (32 bytes: SMS texts, customer data, BUS channel names)
// returns a single space when nothing was collected.
std::string ReadImageText(ConfigImage& image, uint32_t offset, int deviceType);
// The same with an explicit maximum (server strings, cloud fields, SMS header,
// endpoint commands, BUS alarm texts); returns an empty text when nothing was
// collected.
std::string ReadImageText(ConfigImage& image, uint32_t offset, size_t max, int deviceType);

// Up to 16 bytes until 0xFF without any mapping (phone numbers, monitoring
// station numbers), as UTF-8.
std::string ReadImageRaw(const ConfigImage& image, uint32_t offset);

}  // namespace morvane
