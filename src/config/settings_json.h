#pragma once
// The settings model as JSON: one object per page (design caption), control
// names as keys, texts as Unicode. Values: integer controls and choices as
// numbers (a choice's item index, -1 for none), boxes as true/false, texts,
// phone numbers and editable choices as strings, recipient lists as arrays of
// the phone numbers (1..8) ticked. Page-held state sits on its page:
// "OutputTime" on "OUT1".."OUT4", "ForwardingTarget" on "Egyéb", the set
// points "SetPoint1".."SetPoint16" on "BUS panel", the account and channel
// codes on "Távfelügyelet", the code tables on "CID/SMS".
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/settings_model.h"

namespace morvane {

// Every problem of a JSON settings text: unknown pages and keys, values of
// the wrong type or outside their range. what() lists them all.
class SettingsJsonError : public std::runtime_error {
public:
    explicit SettingsJsonError(std::vector<std::string> problems);
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    std::vector<std::string> problems_;
};

nlohmann::ordered_json SettingsToJson(const SettingsModel& model);
std::string SettingsToJsonText(const SettingsModel& model);

// Design-time values for every key that is absent; the dependent states
// (recipient items, enabled controls) follow the loaded values.
SettingsModel SettingsFromJson(const nlohmann::json& json, int deviceType = 0);
// Also throws SettingsJsonError for text that is not JSON.
SettingsModel SettingsFromJsonText(const std::string& text, int deviceType = 0);

}  // namespace morvane
