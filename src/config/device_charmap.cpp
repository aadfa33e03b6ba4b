#include "config/device_charmap.h"

namespace morvane {

namespace {

// Code page 1250, bytes 0x80..0xFF.
constexpr char16_t kCp1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  //
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  //
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  //
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  //
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  //
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  //
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};


}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes the code point at i and advances i; malformed input gives '?' and
// consumes one byte.
char32_t NextCodePoint(const std::string& s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return U'?';
    }
    if (i + extra >= s.size()) {
        ++i;
        return U'?';
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return U'?';
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

char32_t Cp1250ToCodePoint(uint8_t byte) { return byte < 0x80 ? char32_t(byte) : char32_t(kCp1250High[byte - 0x80]); }

uint8_t Cp1250FromCodePoint(char32_t cp) {
    if (cp < 0x80) return uint8_t(cp);
    for (int i = 0; i < 128; ++i)
        if (kCp1250High[i] == cp) return uint8_t(0x80 + i);
    return '?';
}

std::string Utf8ToCp1250(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) out += char(Cp1250FromCodePoint(NextCodePoint(utf8, i)));
    return out;
}

std::string Cp1250ToUtf8(const std::string& cp1250) {
    std::string out;
    out.reserve(cp1250.size() * 2);
    for (char c : cp1250) AppendUtf8(out, Cp1250ToCodePoint(static_cast<uint8_t>(c)));
    return out;
}

size_t Utf8Length(const std::string& utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++n) NextCodePoint(utf8, i);
    return n;
}

const std::vector<CharSubstitution>& DeviceCharMap::TableN() {
    static const std::vector<CharSubstitution> t = {
        {0xE1, 0x7F},  // á
        {0xE9, 0x85},  // é
        {0xF6, 0x7C},  // ö
        {0xE4, 0x7B},  // ä
        {0xFC, 0x7E},  // ü
        {0xFA, 0x06},  // ú
        {0xD6, 0xDC},  // Ö
        {0xC4, 0xDB},  // Ä
        {0xDC, 0xDE},  // Ü
    };
    return t;
}

const std::vector<CharSubstitution>& DeviceCharMap::TableOthers() {
    static const std::vector<CharSubstitution> t = {
        {0xE1, 0xE0},  // á
        {0xE9, 0xE8},  // é
        {0xF3, 0xF2},  // ó
        {0xED, 0xEC},  // í
    };
    return t;
}

DeviceCharMap::DeviceCharMap(int deviceType) {
    for (int i = 0; i < 256; ++i) toDevice_[i] = fromDevice_[i] = uint8_t(i);
    for (const CharSubstitution& s : deviceType == 'N' ? TableN() : TableOthers()) {
        toDevice_[s.pc] = s.device;
        fromDevice_[s.device] = s.pc;
    }
}

uint32_t WriteImageText(ConfigImage& image, uint32_t offset, const std::string& text, size_t max, int deviceType) {
    const DeviceCharMap map(deviceType);
    const std::string pc = Utf8ToCp1250(text);
    size_t i = 0;
    for (; i < pc.size() && i < max; ++i) image[offset + i] = map.ToDevice(static_cast<uint8_t>(pc[i]));
    if (i < max) image[offset + i] = 0xFF;
    return offset + uint32_t(i);
}

std::string ReadImageText(ConfigImage& image, uint32_t offset, size_t max, int deviceType) {
    const DeviceCharMap map(deviceType);
    std::string pc;
    for (size_t i = 0; i < max && image[offset + i] != 0xFF; ++i) {
        const uint8_t b = map.FromDevice(image[offset + i]);
        image[offset + i] = b;
        pc += char(b);
    }
    return Cp1250ToUtf8(pc);
}

std::string ReadImageText(ConfigImage& image, uint32_t offset, int deviceType) {
    std::string text = ReadImageText(image, offset, 32, deviceType);
    return text.empty() ? std::string(" ") : text;
}

std::string ReadImageRaw(const ConfigImage& image, uint32_t offset) {
    std::string pc;
    for (size_t i = 0; i < 16 && image[offset + i] != 0xFF; ++i) pc += char(image[offset + i]);
    return Cp1250ToUtf8(pc);
}

}  // namespace morvane
