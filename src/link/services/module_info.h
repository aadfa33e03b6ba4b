#pragma once
// The GSM module information window (TQ7Form10) and the module's text
// answers that fill it.
//
// In GSM modem mode the device passes the line through to its GSM module,
// which echoes each AT command with its CR and then answers with its result
// lines. The answers carry no length; a field's text is found at a fixed
// offset from the start of the echo, and the echoed command's keyword at
// offset 3 ("AT+" is 0..2) tells which answer it is.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/view.h"

namespace morvane {

// Control keys of the module information window: the read-only fields are
// keyed by their captions.
namespace modinfo {
inline constexpr const char* Window = "TQ7Form10";            // the window's caption
inline constexpr const char* Network = "Network:";            // always left empty
inline constexpr const char* Software = "SIM900 software:";
inline constexpr const char* Jammer = "Jammer detect:";
inline constexpr const char* Imei = "IMEI number:";
inline constexpr const char* SimNumber = "SIM card number:";
inline constexpr const char* ServiceNumber = "SMS service number:";
inline constexpr const char* NetworkType = "Network type:";
inline constexpr const char* NetworkName = "Network name:";
inline constexpr const char* ReadAgain = "Újraolvasás";       // button: reads the chain again
inline constexpr const char* Close = "Kilépés";               // button
inline constexpr const char* Caption = "service function";
}  // namespace modinfo

// The fields in their order on the window.
const std::array<const char*, 8>& ModuleInfoFields();

class GsmModuleInfo {
public:
    GsmModuleInfo();
    // "GSM információk": empties every field and sets the caption; nothing is
    // read until "Újraolvasás".
    void Open();
    // A field's text (empty for an unknown field).
    std::string Text(const std::string& field) const;
    // Empties the field, then fills it with the text.
    void SetField(const std::string& field, const std::string& text);
    ControlSet& Controls() { return controls_; }
    const ControlSet& Controls() const { return controls_; }

private:
    ControlSet controls_;
};

// One step of the module information chain (states 320..326).
struct ModuleInfoStep {
    int txCel;
    const char* request;   // the AT command with its CR
    const char* keyword;   // expected at offset 3 of the answer
    int minCount;          // bytes that must have arrived
    const char* field;
    int from;              // first character of the text
    int limit;             // the text ends at the first CR, at the latest before this offset
};

// The step of a state, or nullptr when the state is no step of the chain.
const ModuleInfoStep* FindModuleInfoStep(int txCel);

// The field's text once the answer held in rx[0..count) is complete; nullopt
// while the keyword is missing or bytes are still due (the answer then waits
// for more bytes, or for the re-send to clear it).
std::optional<std::string> ModuleInfoText(const ModuleInfoStep& step, const uint8_t* rx, int count);

// True when the keyword's characters have arrived at the offset.
bool KeywordAt(const uint8_t* rx, int count, int offset, const char* keyword);

// The module's bytes as display text: control characters left out, bytes
// from 0x80 on taken as Latin-1.
std::string ModuleText(const uint8_t* p, size_t n);

// The IMEI message of the stand-alone query (state 290): "IMEI number:" and
// up to 16 characters from offset 10 (the 15 digits and a 16th character when
// the module gives one); nullopt while the answer is incomplete.
std::optional<std::string> ImeiMessage(const uint8_t* rx, int count);

}  // namespace morvane
