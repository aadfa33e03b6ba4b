#include "config/settings_json.h"

#include <map>

namespace morvane {

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

const char* const kBusPage = "BUS panel";
const char* const kCidPage = "CID/SMS";
const char* const kMonitorPage = "Távfelügyelet";
const char* const kOtherPage = "Egyéb";

ordered_json MaskToJson(uint8_t mask) {
    ordered_json a = ordered_json::array();
    for (int i = 0; i < 8; ++i)
        if (mask & (1u << i)) a.push_back(i + 1);
    return a;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The channel codes of the monitoring page by control name.
std::vector<std::pair<const char*, std::string ContactIdChannelCodes::*>> ChannelCodeFields() {
    using C = ContactIdChannelCodes;
    return {{"CIDUGYFEL", &C::account}, {"CIDbe1", &C::cidBe1},       {"ZONAbe1", &C::zonaBe1},
            {"CIDbe2", &C::cidBe2},     {"ZONAbe2", &C::zonaBe2},     {"CIDbe3", &C::cidBe3},
            {"ZONAbe3", &C::zonaBe3},   {"CIDbe4", &C::cidBe4},       {"ZONAbe4", &C::zonaBe4},
            {"CIDtamper", &C::cidTamper}, {"ZONAtamper", &C::zonaTamper}, {"CIDtap", &C::cidTap},
            {"ZONAtap", &C::zonaTap},   {"GPRSelet", &C::gprsElet},   {"CIDelet", &C::cidElet},
            {"CIDnyit", &C::cidNyit}};
}

class Reader {
public:
    std::vector<std::string> problems;

    void Problem(const std::string& where, const std::string& what) { problems.push_back(where + ": " + what); }

    bool Int(const json& v, const std::string& where, int lo, int hi, int& out) {
        if (!v.is_number_integer()) {
            Problem(where, "expected an integer");
            return false;
        }
        const auto n = v.get<long long>();
        if (n < lo || n > hi) {
            Problem(where, "outside " + std::to_string(lo) + ".." + std::to_string(hi));
            return false;
        }
        out = int(n);
        return true;
    }

    bool Text(const json& v, const std::string& where, std::string& out) {
        if (!v.is_string()) {
            Problem(where, "expected a text");
            return false;
        }
        out = v.get<std::string>();
        return true;
    }

    bool Mask(const json& v, const std::string& where, uint8_t& out) {
        if (!v.is_array()) {
            Problem(where, "expected a list of phone numbers 1..8");
            return false;
        }
        uint8_t mask = 0;
        for (const json& e : v) {
            int n = 0;
            if (!Int(e, where, 1, 8, n)) return false;
            mask |= uint8_t(1u << (n - 1));
        }
        out = mask;
        return true;
    }
};

void ReadControl(Reader& r, SettingsModel& m, const SettingControl& c, const json& v, const std::string& where) {
    const std::string key = c.Key();
    switch (c.kind) {
    case ControlKind::kSpin: {
        int n = 0;
        if (r.Int(v, where, c.minValue, c.maxValue, n)) m.SetValue(key, n);
        break;
    }
    case ControlKind::kCheck:
        if (v.is_boolean())
            m.SetChecked(key, v.get<bool>());
        else
            r.Problem(where, "expected true or false");
        break;
    case ControlKind::kChoice: {
        int n = 0;
        if (r.Int(v, where, -1, int(c.items.size()) - 1, n)) m.SetValue(key, n);
        break;
    }
    case ControlKind::kEditChoice:
    case ControlKind::kText:
    case ControlKind::kPhone: {
        std::string t;
        if (r.Text(v, where, t)) m.SetText(key, t);
        break;
    }
    case ControlKind::kList: {
        uint8_t mask = 0;
        if (r.Mask(v, where, mask)) m.SetMask(key, mask);
        break;
    }
    }
}

void ReadGrid(Reader& r, const json& v, const std::string& where, CidGrid& grid, EventSmsMask* masks) {
    if (!v.is_array()) {
        r.Problem(where, "expected a list of rows");
        return;
    }
    for (size_t i = 0; i < v.size(); ++i) {
        const json& row = v[i];
        const std::string at = where + "[" + std::to_string(i) + "]";
        if (!row.is_object()) {
            r.Problem(at, "expected a row object");
            continue;
        }
        int n = 0;
        if (!row.contains("row") || !r.Int(row["row"], at + "/row", 1, kCidRows, n)) {
            if (!row.contains("row")) r.Problem(at, "missing \"row\"");
            continue;
        }
        for (const auto& [k, val] : row.items()) {
            if (k == "row") continue;
            if (k == "code") {
                r.Text(val, at + "/code", grid[n].code);
            } else if (k == "name") {
                r.Text(val, at + "/name", grid[n].name);
            } else if (k == "SMSst7" && masks) {
                uint8_t mask = 0;
                if (r.Mask(val, at + "/SMSst7", mask)) (*masks)[n] = mask;
            } else {
                r.Problem(at + "/" + k, "unknown key");
            }
        }
    }
}

}  // namespace

SettingsJsonError::SettingsJsonError(std::vector<std::string> problems)
    : std::runtime_error([&] {
          std::string s = "settings JSON:";
          for (const std::string& p : problems) s += "\n  " + p;
          return s;
      }()),
      problems_(std::move(problems)) {}

ordered_json SettingsToJson(const SettingsModel& m) {
    ordered_json out = ordered_json::object();
    for (const SettingControl& c : m.Controls()) {
        ordered_json& page = out[c.page];
        switch (c.kind) {
        case ControlKind::kSpin:
        case ControlKind::kChoice:
            page[c.name] = c.value;
            break;
        case ControlKind::kCheck:
            page[c.name] = c.value != 0;
            break;
        case ControlKind::kEditChoice:
        case ControlKind::kText:
            page[c.name] = c.text;
            break;
        case ControlKind::kPhone:
            page[c.name] = TrimRight(c.text);
            break;
        case ControlKind::kList:
            page[c.name] = MaskToJson(uint8_t(c.value));
            break;
        }
    }
    for (int n = 1; n <= SettingsModel::kOutputs; ++n)
        out["OUT" + std::to_string(n)]["OutputTime"] = m.OutputTime[size_t(n - 1)];
    out[kOtherPage]["ForwardingTarget"] = m.ForwardingTarget;
    for (int i = 0; i < SettingsModel::kBusChannels; ++i)
        out[kBusPage]["SetPoint" + std::to_string(i + 1)] = m.SetPoint[size_t(i)];
    for (const auto& [name, field] : ChannelCodeFields()) out[kMonitorPage][name] = m.Cid.channels.*field;
    ordered_json zones = ordered_json::array(), events = ordered_json::array();
    for (int r = 1; r <= kCidRows; ++r) {
        const CidRow& z = m.Cid.zones[r];
        if (!z.code.empty() || !z.name.empty()) zones.push_back({{"row", r}, {"code", z.code}, {"name", z.name}});
        const CidRow& e = m.Cid.events[r];
        if (!e.code.empty() || !e.name.empty() || m.Cid.smsMask[r] != 0)
            events.push_back({{"row", r}, {"code", e.code}, {"name", e.name}, {"SMSst7", MaskToJson(m.Cid.smsMask[r])}});
    }
    out[kCidPage]["StringGrid2"] = zones;
    out[kCidPage]["StringGrid3"] = events;
    return out;
}

std::string SettingsToJsonText(const SettingsModel& model) { return SettingsToJson(model).dump(2); }

SettingsModel SettingsFromJson(const json& in, int deviceType) {
    SettingsModel m;
    Reader r;
    if (!in.is_object()) throw SettingsJsonError({"the settings must be a JSON object of pages"});

    std::map<std::string, std::map<std::string, const SettingControl*>> pages;
    for (const SettingControl& c : m.Controls()) pages[c.page][c.name] = &c;

    for (const auto& [pageName, page] : in.items()) {
        const bool extraPage = pageName == kBusPage || pageName == kCidPage;
        auto pit = pages.find(pageName);
        if (pit == pages.end() && !extraPage) {
            r.Problem(pageName, "unknown page");
            continue;
        }
        if (!page.is_object()) {
            r.Problem(pageName, "expected an object of controls");
            continue;
        }
        for (const auto& [key, v] : page.items()) {
            const std::string where = pageName + "/" + key;
            if (pit != pages.end()) {
                auto cit = pit->second.find(key);
                if (cit != pit->second.end()) {
                    ReadControl(r, m, *cit->second, v, where);
                    continue;
                }
            }
            if (key == "OutputTime" && pageName.size() == 4 && pageName.compare(0, 3, "OUT") == 0) {
                int n = 0;
                if (r.Int(v, where, 0, 65535, n)) m.OutputTime[size_t(pageName[3] - '1')] = n;
                continue;
            }
            if (pageName == kOtherPage && key == "ForwardingTarget") {
                r.Int(v, where, -1, 7, m.ForwardingTarget);
                continue;
            }
            if (pageName == kBusPage && key.rfind("SetPoint", 0) == 0) {
                const std::string num = key.substr(8);
                int n = 0;
                for (char ch : num) n = (ch >= '0' && ch <= '9' && n < 100) ? n * 10 + (ch - '0') : 1000;
                if (!num.empty() && n >= 1 && n <= SettingsModel::kBusChannels) {
                    if (v.is_number())
                        m.SetPoint[size_t(n - 1)] = v.get<double>();
                    else
                        r.Problem(where, "expected a number");
                    continue;
                }
            }
            if (pageName == kMonitorPage) {
                bool found = false;
                for (const auto& [name, field] : ChannelCodeFields())
                    if (key == name) {
                        r.Text(v, where, m.Cid.channels.*field);
                        found = true;
                    }
                if (found) continue;
            }
            if (pageName == kCidPage && key == "StringGrid2") {
                ReadGrid(r, v, where, m.Cid.zones, nullptr);
                continue;
            }
            if (pageName == kCidPage && key == "StringGrid3") {
                ReadGrid(r, v, where, m.Cid.events, &m.Cid.smsMask);
                continue;
            }
            r.Problem(where, "unknown key");
        }
    }
    if (!r.problems.empty()) throw SettingsJsonError(std::move(r.problems));
    m.RefreshRecipientLists();
    m.ApplyDependencies(deviceType);
    return m;
}

SettingsModel SettingsFromJsonText(const std::string& text, int deviceType) {
    json j;
    try {
        j = json::parse(text);
    } catch (const json::parse_error& e) {
        throw SettingsJsonError({std::string("not JSON: ") + e.what()});
    }
    return SettingsFromJson(j, deviceType);
}

}  // namespace morvane
