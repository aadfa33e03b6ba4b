#include "config/page_shaping.h"

#include <algorithm>
#include <initializer_list>

namespace morvane {

namespace {

using Keys = std::vector<std::string>;

std::string Page(const std::string& caption) { return "page:" + caption; }
std::string Menu(const std::string& caption) { return "menu:" + caption; }

// "<before><i><after>" for i = from..to.
Keys Numbered(const std::string& before, int from, int to, const std::string& after = "") {
    Keys out;
    for (int i = from; i <= to; ++i) out.push_back(before + std::to_string(i) + after);
    return out;
}

Keys Inputs(int from, int to) { return Numbered(Page("Bemenet "), from, to, "."); }
Keys Outputs(int from, int to) { return Numbered(Page("OUT"), from, to); }
Keys VoiceSlots(int from, int to) { return Numbered("voice:", from, to); }

Keys Join(std::initializer_list<Keys> parts) {
    Keys out;
    for (const Keys& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::string kTamper = Page("Tamper");
const std::string kPower = Page("Tápmonitor");
const std::string kSounds = Page("Hangok");
const std::string kTemperature = Page("Hőméséklet");
const std::string kGps = Page("GPS");
const std::string kSpeed = Page("Sebesség");
const std::string kLift = Page("Emelés");
const std::string kCid = Page("CID/SMS");
const std::string kLineSim = Page("Vonalszimulátor");
const std::string kTimeZone = Page("Time Zona");
const std::string kInputsMore = Page("More settings");

// Menu items that the single-input families (Quendor 4G, Pomerand) do not offer.
Keys QuendorMenus() {
    return {Menu("SIM PIN kód kikapcsolása"), Menu("SMS test"),        Menu("GSM óra szinkronozása"),
            Menu("Voice_MENU download"),      Menu("Descriptions"),    Menu("Óra szinkronizálása"),
            Menu("GSM információk"),          Menu("SMS service number")};
}

std::vector<PageShape> BuildShapes() {
    const Keys twoInputFamily = Join({Inputs(3, 4), {kPower, kSounds},
                                      {"report:input3", "report:input4", "report:tamper", "report:power"}});
    const Keys twoInputHidden = Join({{kCid, kLineSim}, Inputs(5, 8), {kTemperature, kGps, kSpeed, kLift}});
    const Keys quendorHidden = Join({Inputs(2, 8), Outputs(2, 4),
                                     {kSimPhonebookPageKey, kTimeZone, "TabSheet26"},
                                     VoiceSlots(4, 7), QuendorMenus()});
    const std::vector<TextPreset> quendorLevels = {{"ComboBox16", "9"}, {"ComboBox17", "7"}};

    std::vector<PageShape> shapes;
    shapes.push_back({'H', twoInputFamily, twoInputHidden, {}, {}});
    shapes.push_back({'N', twoInputFamily,
                      Join({twoInputHidden, {"TabSheet26", "Panel71", "TabSheet20", kSimPhonebookPageKey}}), {}, {}});
    shapes.push_back({'K', twoInputFamily, Join({twoInputHidden, {"TabSheet26", "Panel71"}, Outputs(3, 4)}), {}, {}});
    shapes.push_back({'O', twoInputFamily,
                      Join({twoInputHidden, {"TabSheet26", "Panel71"}, Outputs(3, 4), {kSimPhonebookPageKey}}), {},
                      {}});
    shapes.push_back({'I', {kPower, kSounds},
                      Join({Inputs(3, 8), {kTamper}, Outputs(2, 4), {kTemperature, kGps, kSpeed, kLift},
                            {Menu("BUS panel")}}),
                      {}, {}});
    shapes.push_back({'J', {kCid, kLineSim, kTamper, kPower, kSounds},
                      Join({Inputs(3, 8), {kTemperature, kGps, kSpeed, kLift, kTimeZone, "TabSheet26"}}), {}, {}});
    shapes.push_back({'Q', {kTamper, kPower, kSounds}, quendorHidden, quendorLevels, {}});
    shapes.push_back({'P', {kPower, kSounds},
                      Join({quendorHidden, {kTamper, kInputsMore, "voice:3"},
                            {Menu("Firmware Download"), Menu("GSM Firmware")}}),
                      quendorLevels, {}});
    shapes.push_back({'L', {kGps, kPower, kSounds},
                      Join({Inputs(3, 8), {kTamper}, Outputs(2, 4), {kTemperature, kSpeed, kLift}}), {},
                      {{kProtocolListKey, {"Protokol1", "Protokol2", "Protokol3"}}}});
    // The extension module has its own window; the configurator is left as it is.
    shapes.push_back({'>', {}, {}, {}, {}});
    return shapes;
}

}  // namespace

const std::vector<PageShape>& PageShapes() {
    static const std::vector<PageShape> shapes = BuildShapes();
    return shapes;
}

const PageShape* FindPageShape(int deviceType) {
    for (const PageShape& s : PageShapes())
        if (s.letter == deviceType) return &s;
    return nullptr;
}

void PresetChoice(ControlSet& controls, const std::string& control, const std::string& text) {
    controls.Change(control, [&](ControlState& c) {
        c.text = text;
        auto it = std::find(c.items.begin(), c.items.end(), text);
        if (it != c.items.end()) c.itemIndex = static_cast<int>(it - c.items.begin());
    });
}

bool ApplyPageShape(int deviceType, ControlSet& controls) {
    const PageShape* shape = FindPageShape(deviceType);
    if (!shape) return false;
    for (const std::string& key : shape->show) controls.SetVisible(key, true);
    for (const std::string& key : shape->hide) controls.SetVisible(key, false);
    for (const TextPreset& t : shape->texts) PresetChoice(controls, t.control, t.text);
    for (const ListPreset& l : shape->lists) {
        controls.SetItems(l.control, l.items);
    }
    return true;
}

}  // namespace morvane
