#include "config/page_rules.h"

#include <algorithm>
#include <array>

#include "app/settings_values.h"
#include "cid/cid_defaults.h"
#include "config/device_charmap.h"
#include "link/link.h"

namespace morvane {

namespace {

std::string N(const std::string& base, int n) { return base + std::to_string(n); }

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int CharCount(const std::string& utf8) { return int(Utf8Length(utf8)); }

// The lists whose items 5 to 8 stay empty for device type 'P'.
bool ShortListForP(const std::string& list) {
    static const std::array<const char*, 7> lists = {"SMSst1", "VOICEst1", "SMSst2", "VOICEst2",
                                                     "SMSst9", "VOICEst9", "SMSst11"};
    return std::find(lists.begin(), lists.end(), list) != lists.end();
}

// The type choice of a page and its two recipient lists.
struct TypeLists {
    const char* type;
    const char* sms;
    const char* voice;
};
constexpr TypeLists kTypeLists[] = {
    {"ComboBox1", "SMSst1", "VOICEst1"}, {"ComboBox2", "SMSst2", "VOICEst2"},   {"ComboBox3", "SMSst3", "VOICEst3"},
    {"ComboBox4", "SMSst4", "VOICEst4"}, {"ComboBox5", "SMSst5", "VOICEst5"},   {"ComboBox6", "SMSst6", "VOICEst6"},
    {"ComboBox9", "SMSst9", "VOICEst9"}, {"ComboBox10", "SMSst10", "VOICEst10"},
};

// Output number of a control named prefix + n (n = 1..4) with an optional
// suffix, or 0.
int OutputOf(const std::string& key, const std::string& prefix, const std::string& suffix = {}) {
    if (key.size() != prefix.size() + 1 + suffix.size() || key.compare(0, prefix.size(), prefix) != 0) return 0;
    if (!suffix.empty() && !EndsWith(key, suffix)) return 0;
    const char d = key[prefix.size()];
    return d >= '1' && d <= '4' ? d - '0' : 0;
}

}  // namespace

// ---------------------------------------------------------------- plain rules

bool EndsWithAccent(const std::string& utf8) {
    static const std::array<const char*, 16> accents = {"é", "á", "ű", "ő", "ú", "ö", "ü", "ó",
                                                        "É", "Á", "Ű", "Ő", "Ú", "Ö", "Ü", "Ó"};
    for (const char* a : accents)
        if (EndsWith(utf8, a)) return true;
    return false;
}

std::string AccentCheckedControl(const std::string& changed) {
    static const std::array<const char*, 9> self = {"riasztas",   "riasztas2",  "riasztas3",
                                                    "riasztas4",  "riasztas9",  "riasztas10",
                                                    "riasztas11", "riasztas15", "Edit8"};
    if (std::find(self.begin(), self.end(), changed) != self.end()) return changed;
    if (changed == "riasztas5" || changed == "riasztas6") return "riasztas4";
    if (changed == "riasztas13" || changed == "riasztas14") return "riasztas9";
    if (changed == "Edit17" || changed == "Edit18") return "riasztas10";
    return {};
}

int SmsHeaderCharsLeft(const std::string& utf8) { return 120 - CharCount(utf8); }

std::vector<std::string> RecipientCaptions(const SettingsModel& model, const std::string& list, int deviceType) {
    std::vector<std::string> captions;
    for (int n = 1; n <= 8; ++n) {
        if (model.PhoneSet(n)) {
            std::string text = model.Text(N("MaskEdit", n));
            while (!text.empty() && text.back() == ' ') text.pop_back();
            captions.push_back(text);
        } else if (deviceType == 'P' && n >= 5 && ShortListForP(list)) {
            captions.emplace_back();
        } else {
            captions.push_back(N("Phone", n));
        }
    }
    return captions;
}

bool PageHasRecipientLists(const std::string& caption) {
    static const std::array<const char*, 15> pages = {
        "Bemenetek",  "Bemenet 1.", "Bemenet 2.", "Bemenet 3.",   "Bemenet 4.", "Tamper",  "Tápmonitor", "Életjel",
        "Hőméséklet", "Sebesség",   "Emelés",     "Egyéb",        "Nyitás/zárás", "CID/SMS", "Anti-Jammer"};
    return std::find(pages.begin(), pages.end(), caption) != pages.end();
}

bool MayCloseConfigurator(int txCel, bool confirmOff, View& view) {
    if (txCel != 0) return view.Confirm(kBusyExitQuestion);
    if (confirmOff) return true;
    return view.Confirm(kExitQuestion);
}

// ---------------------------------------------------------------- link commands

int DeviceLinkCommands::State() const { return link_.TxCel; }

void DeviceLinkCommands::StartListTransfer(int txCel) {
    link_.TransferIndex = ConfigImage::kNumberListFirstPage;
    link_.ReturnState = 0;
    link_.ProgressPosition = 0;
    link_.ProgressMax = (ConfigImage::kNumberListEndPage - ConfigImage::kNumberListFirstPage) / 16;
    link_.ClearReceive();
    link_.TxCel = txCel;
    if (link_.LinkOpen) link_.SequencerStep();
    else link_.SequencerWait = 2;
}

void DeviceLinkCommands::StartNumberListRead() { StartListTransfer(115); }
void DeviceLinkCommands::StartNumberListWrite() { StartListTransfer(116); }

void DeviceLinkCommands::StartPhonebookRead() {
    if (OnPhonebookRead) OnPhonebookRead();
}

void DeviceLinkCommands::StartPhonebookWrite() {
    if (OnPhonebookWrite) OnPhonebookWrite();
}

void DeviceLinkCommands::StartPstnSend() {
    link_.ShortWriteFlag = true;
    link_.ByteAddress = 94;
    link_.BytesLeft = 2;
    link_.TransferIndex = 94;
    link_.ReturnState = 0;
    link_.ClearReceive();
    link_.ProgressMax = 2;
    link_.ProgressPosition = 0;
    link_.TxCel = 101;
    if (link_.LinkOpen) link_.SequencerStep();
    else link_.SequencerWait = 0;
}

void DeviceLinkCommands::StartPcCodeChange(const std::string& oldCode, const std::string& newCode) {
    link_.OldPcCode = oldCode;
    link_.NewPcCode = newCode;
    link_.ReturnState = 0;
    link_.ClearReceive();
    link_.TxCel = 120;
    if (link_.LinkOpen) link_.SequencerStep();
    else link_.SequencerWait = 0;
}

// ---------------------------------------------------------------- page rules

PageRules::PageRules(Configurator& form, SettingsModel& model, View& view) : form_(form), model_(model), view_(view) {}

void PageRules::PageShown(const std::string& caption) {
    AccentWarningShown = false;
    if (PageHasRecipientLists(caption)) RefreshRecipientLists(caption == "Egyéb");
}

void PageRules::PageLeft(const std::string& caption) {
    if (caption == "Egyéb" && CharCount(model_.Text("Edit1")) != 4) view_.Message(kSecurityPinText);
}

void PageRules::RefreshRecipientLists(bool egyeb) {
    model_.RefreshRecipientLists();
    for (const std::string& list : SettingsModel::RecipientLists())
        model_.At(list).items = RecipientCaptions(model_, list, form_.DeviceType);
    // The Contact ID event recipients are held by the tables, not the model:
    // their list takes the captions of an ordinary list.
    form_.Controls().SetItems("SMSst7", RecipientCaptions(model_, "SMSst7", form_.DeviceType));

    if (egyeb) {
        SettingControl& target = model_.At("ComboBox11");
        const int index = target.value;
        target.items = RecipientCaptions(model_, "ComboBox11", form_.DeviceType);
        model_.SetValue("ComboBox11", index);
        if (index >= 0) model_.ForwardingTarget = index;
        model_.SetEnabled("CheckBox12", model_.Value("ComboBox15") == 1);
    }
    AccentWarningShown = false;
}

bool PageRules::ListsFollowType(const std::string& type) {
    for (const TypeLists& t : kTypeLists) {
        if (type != t.type) continue;
        const bool on = model_.Value(t.type) != 0;
        model_.SetEnabled(t.sms, on);
        model_.SetEnabled(t.voice, on);
        return true;
    }
    return false;
}

void PageRules::ApplyPanelType() {
    const int panel = model_.Value("ComboBox15");
    const bool outputs = panel <= 0;
    for (int n = 2; n <= 4; ++n) form_.Controls().SetVisible(N("page:OUT", n), outputs);
    model_.SetEnabled("jammerKI2", outputs);
    model_.SetEnabled("CheckBox2", panel == 2);
    model_.SetEnabled("CheckBox12", panel == 1);
}

bool PageRules::ApplyOutputRule(const std::string& key) {
    if (int n = OutputOf(key, "ComboKi")) {
        model_.SetOutputType(n, model_.Value(key), form_.DeviceType);
        return true;
    }
    if (int n = OutputOf(key, "KI", "SECMIN")) {
        // The unit shows the time in its own terms; when that changes the
        // shown value, the value's own rule then sets OutputTime from it.
        const std::string spin = N("SpinKI", n);
        const int before = model_.Value(spin);
        model_.SetOutputUnit(n, model_.Value(key));
        if (model_.Value(spin) != before) model_.SetOutputTimeValue(n, model_.Value(spin));
        return true;
    }
    if (int n = OutputOf(key, "SpinKI")) {
        model_.SetOutputTimeValue(n, model_.Value(key));
        return true;
    }
    if (int n = OutputOf(key, "CheckBox1KI")) {
        model_.SetEnabled(N("CheckBox3KI", n), model_.Checked(key));
        return true;
    }
    return false;
}

bool PageRules::ControlChanged(const std::string& key) {
    const bool p = form_.DeviceType == 'P';
    if (key == "ComboBox1" && p && model_.Value(key) > 1) model_.SetValue(key, 0);
    if (key != "ComboBox9" && ListsFollowType(key)) return true;
    if (key == "ComboBox9" || key == "ComboBox17" || key == "ComboBox16") {
        if (p && model_.Value("ComboBox17") > 6) model_.SetValue("ComboBox17", 6);
        if (p && model_.Value("ComboBox16") > 7) model_.SetValue("ComboBox16", 7);
        ListsFollowType("ComboBox9");
        return true;
    }
    if (key == "ComboBox18") return ListsFollowType("ComboBox4");
    if (key == "ComboBox20") return ListsFollowType("ComboBox10");
    if (key == "ComboBox13") {
        const bool on = model_.Value(key) != 0;
        for (const char* k : {"hkompmax", "hkompmin", "SpinEdit6", "SpinEdit7"}) model_.SetEnabled(k, on);
        return true;
    }
    if (key == "hkompmax" || key == "hkompmin") {
        model_.SetEnabled(key == "hkompmax" ? "SpinEdit6" : "SpinEdit7", model_.Checked(key));
        return true;
    }
    if (key == "CheckBox11") {
        for (const char* k : {"SpinEdit1", "SpinEdit2", "SpinEdit3"}) model_.SetEnabled(k, model_.Checked(key));
        return true;
    }
    if (key == "CheckEgyeb2") {
        model_.SetEnabled("ComboBox11", model_.Checked(key));
        return true;
    }
    if (key == "AUTOOPEN" || key == "AUTOCLOSE") {
        model_.SetEnabled(key == "AUTOOPEN" ? "SpinEdit19" : "SpinEdit20", model_.Checked(key));
        return true;
    }
    if (key == "ComboBox15") {
        ApplyPanelType();
        return true;
    }
    if (key == "ComboBox14") {
        const bool preset = model_.Value(key) == 1;
        model_.SetText("Edit10", preset ? ServiceEndpointPreset::kHost : "");
        model_.SetText("Edit11", preset ? ServiceEndpointPreset::kAddress : "");
        return true;
    }
    if (ApplyOutputRule(key)) return true;
    const auto& lists = SettingsModel::RecipientLists();
    if (std::find(lists.begin(), lists.end(), key) != lists.end()) {
        // A click on a recipient list switches the heartbeat on.
        model_.SetChecked("CheckBox11", true);
        for (const char* k : {"SpinEdit1", "SpinEdit2", "SpinEdit3"}) model_.SetEnabled(k, true);
        return true;
    }
    if (key == "Edit12") {
        form_.Controls().SetText(pagekey::HeaderLeftLabel, std::to_string(SmsHeaderCharsLeft(model_.Text(key))));
        return false;
    }
    SmsTextChanged(key);
    return false;
}

bool PageRules::SmsTextChanged(const std::string& key) {
    const std::string inspected = AccentCheckedControl(key);
    if (inspected.empty() || AccentWarningShown || !model_.Has(inspected)) return false;
    const std::string& text = model_.Text(inspected);
    if (text.empty() || !EndsWithAccent(text)) return false;
    view_.Message(kAccentWarningText);
    AccentWarningShown = true;
    return true;
}

void PageRules::ApplyAll() {
    model_.ApplyDependencies(form_.DeviceType);
    ApplyPanelType();
}

bool PageRules::PhoneMenu(int n, const std::string& item) {
    if (n < 1 || n > 8) return false;
    const std::string key = N("MaskEdit", n);
    if (item == "Delete") model_.SetText(key, "");
    else if (item == "+3630" || item == "+3620") model_.SetText(key, item);
    else return false;
    return true;
}

void PageRules::MemoryLoad() {
    model_.SetText("Edit10", ServiceEndpointPreset::kHost);
    model_.SetText("Edit11", ServiceEndpointPreset::kAddress);
    LoadDefaultZoneTemplate(model_.Cid, form_.LanguageCode);
    LoadDefaultEventTable(model_.Cid, form_.LanguageCode);
}

void PageRules::PstnSend(ConfigImage& image, const CodecContext& ctx, PageCommands& commands) {
    EncodeSettings(model_, image, ctx);
    ControlSet& c = form_.Controls();
    c.SetEnabled(linkctl::SendButton, false);
    c.SetEnabled(linkctl::ReadButton, false);
    commands.StartPstnSend();
}

void SetListTransferButtons(ControlSet& c, bool enabled) {
    for (const char* k : {linkctl::ReadButton, linkctl::SendButton, pagekey::SimRead, pagekey::SimWrite,
                          pagekey::ListRead, pagekey::ListWrite})
        c.SetEnabled(k, enabled);
}

void PageRules::PhonebookRead(PhonebookGrid& grid, PageCommands& commands) {
    const int last = std::min(PhonebookGrid::kFileEntries, grid.RowCount() - 1);
    for (int r = 1; r <= last; ++r) grid.rows[size_t(r)] = PhonebookRow{};
    PreparePhonebookTransfer();
    commands.StartPhonebookRead();
}

void PageRules::PhonebookWrite(PageCommands& commands) {
    PreparePhonebookTransfer();
    commands.StartPhonebookWrite();
}

void PageRules::PreparePhonebookTransfer() {
    ControlSet& c = form_.Controls();
    c.SetVisible(pagekey::SimProgress, true);
    SetListTransferButtons(c, false);
}

bool PageRules::MayClose(int txCel) {
    return MayCloseConfigurator(txCel, form_.ConfirmOff || Settings::ConfirmOff(), view_);
}

void PageRules::SetConfirmOff(bool off) {
    Settings::SetConfirmOff(off);
    form_.ConfirmOff = off;
    form_.Controls().SetChecked(pagekey::ConfirmMenu, off);
}

void PageRules::SetContactIdOption(bool on) {
    Settings::SetContactIdSend(on);
    form_.Controls().SetChecked(pagekey::ContactIdOption, on);
}

bool PageRules::ToggleTopMenu() {
    ControlSet& c = form_.Controls();
    const bool shown = !c[pagekey::TopMenu].checked;
    c.SetChecked(pagekey::TopMenu, shown);
    return shown;
}

bool PageRules::ChangePcCode(PageCommands& commands) {
    // A cancelled prompt ends the command: an empty code is never sent for it.
    const auto oldCode = view_.Prompt(kPcCodeTitle, kPcCodeOldPrompt);
    if (!oldCode) return false;
    const auto newCode = view_.Prompt(kPcCodeTitle, kPcCodeNewPrompt);
    if (!newCode) return false;
    const auto repeat = view_.Prompt(kPcCodeTitle, kPcCodeRepeatPrompt);
    if (!repeat) return false;
    if (CharCount(*repeat) > 30) view_.Message(kPcCodeTooLongText);
    if (*newCode != *repeat) {
        view_.Message(kPcCodeBadRepeatText);
        return false;
    }
    commands.StartPcCodeChange(*oldCode, *newCode);
    return true;
}

}  // namespace morvane
