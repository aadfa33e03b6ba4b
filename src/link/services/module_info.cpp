#include "link/services/module_info.h"

#include <algorithm>
#include <cstring>

namespace morvane {

namespace {

constexpr std::array<const char*, 8> kFields = {modinfo::Network,   modinfo::Software,      modinfo::Jammer,
                                                 modinfo::Imei,      modinfo::SimNumber,     modinfo::ServiceNumber,
                                                 modinfo::NetworkType, modinfo::NetworkName};

// limit 0 marks the jammer step, whose text is a verdict on one byte.
constexpr ModuleInfoStep kSteps[] = {
    {320, "AT+CGSN\r", "CGSN", 28, modinfo::Imei, 10, 25},
    {321, "AT+CGMR\r", "CGMR", 41, modinfo::Software, 10, 50},
    {322, "AT+SJDR?\r", "SJDR", 16, modinfo::Jammer, 18, 0},
    {323, "AT+CIMI\r", "CIMI", 28, modinfo::SimNumber, 10, 50},
    {324, "AT+CSCA?\r", "CSCA", 41, modinfo::ServiceNumber, 19, 50},
    {325, "AT+CBAND?\r", "CBAN", 26, modinfo::NetworkType, 20, 60},
    {326, "AT+COPS?\r", "COPS", 26, modinfo::NetworkName, 20, 60},
};

constexpr uint8_t kCR = 13;

}  // namespace

const std::array<const char*, 8>& ModuleInfoFields() { return kFields; }

GsmModuleInfo::GsmModuleInfo() {
    for (const char* f : kFields) controls_[f].enabled = false;  // read-only
    controls_[modinfo::Window].text = modinfo::Caption;
}

void GsmModuleInfo::Open() {
    for (const char* f : kFields) controls_.SetText(f, "");
    controls_.SetText(modinfo::Window, modinfo::Caption);
}

std::string GsmModuleInfo::Text(const std::string& field) const {
    const ControlState* s = controls_.Find(field);
    return s ? s->text : std::string();
}

void GsmModuleInfo::SetField(const std::string& field, const std::string& text) {
    controls_.SetText(field, "");
    controls_.SetText(field, text);
}

const ModuleInfoStep* FindModuleInfoStep(int txCel) {
    for (const ModuleInfoStep& s : kSteps)
        if (s.txCel == txCel) return &s;
    return nullptr;
}

bool KeywordAt(const uint8_t* rx, int count, int offset, const char* keyword) {
    const int n = int(std::strlen(keyword));
    if (offset < 0 || count < offset + n) return false;
    return std::memcmp(rx + offset, keyword, size_t(n)) == 0;
}

std::string ModuleText(const uint8_t* p, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = p[i];
        if (c < 0x20 || c == 0x7F) continue;
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> ModuleInfoText(const ModuleInfoStep& step, const uint8_t* rx, int count) {
    if (count < step.minCount || !KeywordAt(rx, count, 3, step.keyword)) return std::nullopt;
    if (step.limit == 0) {
        // The verdict byte must itself have arrived (the minimum count alone
        // does not reach it), unless the module has no jammer detection and
        // answers with an error.
        if (count > step.from) return std::string(rx[step.from] == '1' ? "Enabled" : "Disabled");
        if (KeywordAt(rx, count, 11, "ERROR")) return std::string("Disabled");
        return std::nullopt;
    }
    if (step.txCel == 320) return ModuleText(rx + step.from, size_t(step.limit - step.from));
    // Up to the first CR. While neither the CR nor the limit has arrived the
    // text is not complete yet: taking it now would read bytes of an earlier
    // answer that are still in the buffer.
    const int end = std::min(count, step.limit);
    for (int i = step.from; i < end; ++i)
        if (rx[i] == kCR) return ModuleText(rx + step.from, size_t(i - step.from));
    if (count < step.limit) return std::nullopt;
    return ModuleText(rx + step.from, size_t(step.limit - step.from));
}

std::optional<std::string> ImeiMessage(const uint8_t* rx, int count) {
    if (count < 28 || !KeywordAt(rx, count, 3, "CGSN")) return std::nullopt;
    // Offsets 10..25: the 15 digits and the character after them, which for
    // most modules is the CR that ends the line and is not shown.
    return std::string(modinfo::Imei) + ModuleText(rx + 10, 16);
}

}  // namespace morvane
