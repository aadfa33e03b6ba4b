#pragma once
// The settings model: every control of the settings pages that the image
// conversion reads or sets, with its page, kind, design-time value and range,
// enabled and visible state, plus the state the pages hold beside their
// controls (output times, the forwarding target, the Contact ID tables, the
// BUS panel set points) and the page rules that change stored values.
//
// Controls of the configurator window are keyed by their own name
// ("SpinKI1", "SMSst1", "MaskEdit1"). Controls of other windows are keyed
// "<window>.<name>" ("TDPhone1.TrackBar1" for the door-phone editor).
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "cid/contact_id.h"

namespace morvane {

enum class ControlKind {
    kSpin,        // integer within [minValue, maxValue]; setting clamps
    kCheck,       // ticked (value 1) or not (0)
    kChoice,      // item index, -1 = no choice; an index outside the items gives -1
    kEditChoice,  // a choice list whose text can be typed: index and text
    kText,        // free text (UTF-8); maxValue = the page's length limit, 0 none
    kPhone,       // a phone number mask edit: 16 positions, blank = space
    kList,        // recipient check list of 8 items: value = ticked mask
};

struct SettingControl {
    std::string name;    // the control's name in its window
    std::string window;  // "" for the configurator; else the window class
    std::string page;    // design caption of the page or sub-page
    ControlKind kind = ControlKind::kSpin;
    int minValue = 0;
    int maxValue = 0;
    std::vector<std::string> items;  // choice items
    int designValue = 0;             // spin value, 0/1, index, list mask
    std::string designText;
    bool designEnabled = true;
    bool designVisible = true;

    // Current state.
    int value = 0;
    std::string text;
    uint8_t itemEnabled = 0xFF;  // lists: item i enabled (follows phone number i + 1)
    bool enabled = true;
    bool visible = true;

    std::string Key() const { return window.empty() ? name : window + "." + name; }
};

// The type choices of the channel pages and outputs.
const std::vector<std::string>& InputTypeItems();
const std::vector<std::string>& OutputTypeItems();

class SettingsModel {
public:
    static constexpr int kPhoneLength = 16;
    static constexpr int kOutputs = 4;
    static constexpr int kBusChannels = 16;

    SettingsModel();  // design-time state
    void ResetToDesign();

    const std::vector<SettingControl>& Controls() const { return controls_; }
    bool Has(const std::string& key) const { return index_.count(key) != 0; }
    // Throws std::out_of_range naming the key when there is no such control.
    SettingControl& At(const std::string& key);
    const SettingControl& At(const std::string& key) const;

    int Value(const std::string& key) const { return At(key).value; }
    // Spin: clamped to the range; check: 0/1; choice: -1 when outside the
    // items (edit choices take the item's text); list: the ticked mask.
    void SetValue(const std::string& key, int value);
    bool Checked(const std::string& key) const { return At(key).value != 0; }
    void SetChecked(const std::string& key, bool on) { SetValue(key, on ? 1 : 0); }
    const std::string& Text(const std::string& key) const { return At(key).text; }
    // Text kinds. Phone numbers are kept as 16 positions (unfilled positions
    // and characters the mask does not take become spaces); an edit choice
    // selects the item of the same text, or no item.
    void SetText(const std::string& key, const std::string& text);
    uint8_t Mask(const std::string& key) const { return uint8_t(At(key).value); }
    void SetMask(const std::string& key, uint8_t mask) { SetValue(key, mask); }
    bool Enabled(const std::string& key) const { return At(key).enabled; }
    void SetEnabled(const std::string& key, bool on) { At(key).enabled = on; }

    // ---- State held by the pages ----
    std::array<int, kOutputs> OutputTime{};   // seconds of OUT1..OUT4
    int ForwardingTarget = 0;                 // remembered ComboBox11 index
    std::array<double, kBusChannels> SetPoint{};  // BUS panel CH1..CH16
    ContactIdTables Cid;                      // tables, EventSmsMask, channel codes

    // Firmware identification of the last decoding.
    struct Firmware {
        int version = 0;  // byte 254
        int build = 0;    // byte 252, 0 when 255
        std::string text; // status bar panel 2
    } FirmwareInfo;

    // ---- Page rules that change stored values ----

    // Phone number n (1..8) is set when its first position is not a space.
    bool PhoneSet(int n) const;
    // Every recipient list: item n - 1 enabled exactly when number n is set.
    void RefreshRecipientLists();
    // The recipient lists the refresh and the write preparation cover.
    static const std::vector<std::string>& RecipientLists();

    // Output n (1..4): unit "Sec" (0) or "Min" (1) of the time value; the
    // value then shows OutputTime or OutputTime div 60 within the unit's range.
    void SetOutputUnit(int n, int unit);
    // A change of the time value: OutputTime := value (Sec) or value x 60 (Min).
    void SetOutputTimeValue(int n, int value);
    // A change of the output type: for device type 'P', OUT1 above index 1
    // goes back to 0 (when clampForDevice); MONO enables the time value and
    // unit, BI and "Élesítés a kimeneten" disable both.
    void SetOutputType(int n, int index, int deviceType, bool clampForDevice = true);
    // The enabled state of the controls that depend on a type choice or a box
    // (the rules applied after the pages are filled from the image).
    void ApplyDependencies(int deviceType);

private:
    void Build();
    std::vector<SettingControl> controls_;
    std::unordered_map<std::string, size_t> index_;
};

}  // namespace morvane
