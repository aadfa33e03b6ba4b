#include "link/services/identity.h"

#include "link/link.h"

namespace morvane {

namespace {

bool In(int t, const char* letters) {
    for (const char* p = letters; *p; ++p)
        if (t == *p) return true;
    return false;
}
constexpr const char* kFamily = "HIKLNO";
using A = FeatureAction;

}  // namespace

const std::vector<FeatureRow>& FeatureTable() {
    // The six "Híváskor nem kell felvenni!" options and their page (rows 19 and 24).
    static const std::vector<FeatureEffect> kNoAnswerOptions = {
        {A::Hide, "Híváskor nem kell felvenni! 1"}, {A::Hide, "Híváskor nem kell felvenni! 2"},
        {A::Hide, "Híváskor nem kell felvenni! 3"}, {A::Hide, "Híváskor nem kell felvenni! 4"},
        {A::Hide, "Híváskor nem kell felvenni! 5"}, {A::Hide, "Híváskor nem kell felvenni! 6"},
        {A::Hide, "page:TabSheet26"}};
    static const std::vector<FeatureRow> rows = {
        {1, [](int v, int) { return v >= 16; }, {{A::Enable, "menu:Monitor"}}},
        {2, [](int v, int t) { return v >= 18 && t == 'F'; }, {{A::Show, "LED-ek kikapcsolása csukot fedőnél"}}},
        {3, [](int v, int) { return v >= 19; }, {{A::Show, "Kimenet mentése memóriába"}}},
        {4, [](int v, int) { return v >= 70; }, {{A::Show, "menu:Naplo kiolvasása"}}},
        {5, [](int v, int) { return v >= 73; }, {{A::Show, "menu:Térerő"}, {A::Show, "ExtensionPanelType"}}},
        {6, [](int v, int) { return v < 73; }, {{A::Hide, "Élesítés impulzussal"}}},
        {7, [](int v, int) { return v < 74; },
         {{A::Hide, "page:Távfelügyelet"}, {A::Hide, "Távfelügyelet értesítés 1"}, {A::Hide, "Távfelügyelet értesítés 2"},
          {A::Hide, "Távfelügyelet értesítés 3"}, {A::Hide, "Távfelügyelet értesítés 4"},
          {A::Hide, "Távfelügyelet értesítés 5"}, {A::Hide, "Távfelügyelet értesítés 6"}}},
        {8, [](int v, int) { return v < 75; },
         {{A::Hide, "Életjel ciklus: [perc]"}, {A::Hide, "Életjel"}, {A::Hide, "Életjel:"}, {A::Hide, "Nyitás/Zárás"},
          {A::Hide, "Nyitás/Zárás:"}}},
        {9, [](int v, int) { return v < 78; },
         {{A::Hide, "status:Vonali feszültség:"}, {A::Hide, "status:°C"}, {A::Hide, "status:LineVoltage"}}},
        {10, [](int v, int) { return v >= 68; }, {{A::Show, "menu:Firmware Download"}}},
        {11, [](int, int t) { return t == 'P'; }, {{A::Hide, "menu:Firmware Download"}, {A::Hide, "menu:BUS panel"}}},
        {12, [](int, int t) { return t == 'I'; },
         {{A::Hide, "LED-ek kikapcsolása csukot fedőnél"}, {A::Hide, "Mikrofon üzemmód bekapcsolva"},
          {A::Hide, "ExtensionPanelType"}, {A::Hide, "status:Output2"}, {A::Hide, "status:Ki 2:"},
          {A::Hide, "status:Ki 3:"}, {A::Hide, "status:Ki 4:"}}},
        {13, [](int, int) { return true; }, {{A::Hide, "page:TabSheet42"}}},
        {14, [](int v, int) { return v < 88; },
         {{A::Hide, "Hangmenü letiltása"}, {A::Hide, "Hanghívás 1. telefonszámra"}, {A::Hide, "Tárcsahang tiltása"},
          {A::Hide, "PC biztonsági kód:"}}},
        {15, [](int v, int t) { return In(t, kFamily) && v < 82; }, {{A::Hide, "page:Nyitás/zárás"}}},
        {16, [](int v, int t) { return In(t, kFamily) && v < 83; },
         {{A::Hide, "Automatikus riasztás bekapcsoláskor"}, {A::Hide, "Automatikus nyitás (órakor)"},
          {A::Hide, "Automatikus zárás (órakor)"}}},
        {17, [](int v, int t) { return In(t, kFamily) && v < 84; }, {{A::Hide, "page:Saját memóriás"}}},
        {18, [](int v, int t) { return In(t, kFamily) && v < 87; },
         {{A::Hide, "SIM kártya összes telefonszám tiltva"}, {A::Hide, "DTMF nyugtázás híváskor 1"},
          {A::Hide, "DTMF nyugtázás híváskor 2"}, {A::Hide, "DTMF nyugtázás híváskor 3"},
          {A::Hide, "DTMF nyugtázás híváskor 4"}, {A::Hide, "DTMF nyugtázás híváskor 5"},
          {A::Hide, "DTMF nyugtázás híváskor 6"}, {A::Hide, "OutputChooser"}, {A::Hide, "page:OUT3"},
          {A::Hide, "page:OUT4"}}},
        {19, [](int v, int t) { return In(t, kFamily) && v < 78; }, kNoAnswerOptions},
        {20, [](int v, int t) { return In(t, kFamily) && v > 80 && t != 'N'; }, {{A::Show, "page:TabSheet20"}}},
        {20, [](int v, int t) { return In(t, kFamily) && v > 80; },
         {{A::Show, "Saját jelzések küldése GPRS-en"}, {A::Hide, "Kisoff jel sikeres átvitel esetén"},
          {A::Hide, "GPRS ügyfélkód"}}},
        {21, [](int v, int t) { return In(t, kFamily) && v < 82; },
         {{A::Hide, "AlarmVoltage"}, {A::Hide, "Riasztási feszültség érték:"}}},
        {22, [](int v, int t) { return t == 'J' && v >= 77; },
         {{A::Show, "page:TabSheet20"}, {A::Show, "status:LineVoltage"}, {A::Show, "status:Vonali feszültség:"},
          {A::Show, "status:°C"}}},
        {23, [](int v, int t) { return t == 'J' && v < 80; },
         {{A::Disable, "RemoteNumber1"}, {A::Clear, "RemoteNumber1"}, {A::Disable, "RemoteNumber2"},
          {A::Clear, "RemoteNumber2"}}},
        {24, [](int v, int t) { return t == 'J' && v < 81; }, kNoAnswerOptions},
        {25, [](int v, int t) { return t == 'J' && v < 84; },
         {{A::Hide, "Minden bejövő=TIP/RING"}, {A::Hide, "SMS után hívásjelzés is"}}},
        {26, [](int v, int t) { return t == 'J' && v >= 84; }, {{A::Hide, "page:Nyitás/zárás"}}},
        {27, [](int v, int t) { return t == 'J' && v < 85; }, {{A::Hide, "page:Saját memóriás"}}},
        {29, [](int, int) { return true; }, {{A::Uncheck, "Halvoret call active"}}},
        {30, [](int, int t) { return t == 'K' || t == 'O'; }, {{A::Show, "Test CALL"}}},
        {30, [](int v, int t) { return (t == 'K' || t == 'O') && v >= 92; }, {{A::Show, "Halvoret call active"}}},
        {31, [](int v, int t) { return v < 18 || t == 'P'; },
         {{A::Hide, "page:Hőméséklet"}, {A::Hide, "status:Hőméséklet:"}}},
    };
    return rows;
}

void ApplyFeatureTable(ControlSet& controls, int version, int type) {
    for (const FeatureRow& row : FeatureTable()) {
        if (!row.applies(version, type)) continue;
        for (const FeatureEffect& e : row.effects) {
            switch (e.action) {
            case A::Hide: controls.SetVisible(e.control, false); break;
            case A::Show: controls.SetVisible(e.control, true); break;
            case A::Enable: controls.SetEnabled(e.control, true); break;
            case A::Disable: controls.SetEnabled(e.control, false); break;
            case A::Uncheck: controls.SetChecked(e.control, false); break;
            case A::Clear: controls.SetText(e.control, ""); break;
            }
        }
    }
    // Row 28: the two timing fields of the second-bank page.
    if (type == 'J' && version >= 85) {
        controls.SetText("SecondBankTiming1", "15");
        controls.SetText("SecondBankTiming2", "20");
    }
    // Row 12 also resets the input 3 and 4 type selectors.
    if (type == 'I') {
        controls.SetItemIndex("ComboInput3Type", 0);
        controls.SetItemIndex("ComboInput4Type", 0);
    }
}

int BuiltInFirmwareVersion(int type) {
    switch (type) {
    case 'H': case 'N': case 'J': case 'K': case 'O': return 95;
    case 'I': return 91;
    default: return 0;
    }
}

int NewFirmwareHintFor(int type, int version) {
    const int image = BuiltInFirmwareVersion(type);
    switch (type) {
    case 'H': case 'N': return image > version && version > 92;
    case 'I': case 'J': case 'K': case 'O': return image > version;
    default: return -1;
    }
}

std::string FirmwareText(int version) {
    return "Firmware: " + std::to_string(version / 10) + "." + std::to_string(version % 10);
}

// The firmware version answer (state 99).
void DeviceLink::VersionAnswer(uint8_t b3) {
    if (b3 > 10) form_.DeviceVersion = b3;
    reportedVersion_ = form_.DeviceVersion;
    RxCount = 0;
    TxCel = 0;
    form_.StatusPanels[3].clear();
    form_.StatusPanels[2] = FirmwareText(form_.DeviceVersion);
    if (form_.DeviceVersion < 70 && form_.DeviceFilter == "ALL") form_.DeviceVersion = 90;
    EnableTransferButtons();
    form_.Controls().SetVisible("ExtensionPanelType", false);
    if (VersionMessageAsked) {
        VersionMessageAsked = false;
        VersionMessagePending = true;
    }
    ApplyFeatureTable(form_.Controls(), form_.DeviceVersion, form_.DeviceType);
    const int hint = NewFirmwareHintFor(form_.DeviceType, form_.DeviceVersion);
    if (hint >= 0) NewFirmwareHint = hint != 0;
    if (OnIdentity) OnIdentity();
    if (form_.StartAction == Configurator::kStartRead || form_.StartAction == Configurator::kStartDefaults) {
        TxCel = 98;
        SequencerStep();
    }
}

}  // namespace morvane

namespace morvane {

// ---------------------------------------------------------------- module text answers

// Text answers of the GSM module in modem mode. A state with a text rule
// takes every event: an answer without its keyword, or still too short,
// waits for more bytes (or for the re-send to clear it) and never reaches the
// six-byte frame rules.
bool DeviceLink::ModuleTextRules() {
    const uint8_t* rx = RxBuffer.data();
    auto okAt = [&](int offset) { return KeywordAt(rx, RxCount, offset, "OK"); };
    switch (TxCel) {
    case 290:
        if (auto message = ImeiMessage(rx, RxCount)) {
            TxCel = 0;
            ClearReceive();
            view_.Message(*message);
        }
        return true;
    case 300:
    case 301:
        if (okAt(TxCel == 300 ? 6 : 12)) {
            ++TxCel;
            ClearReceive();
        }
        return true;
    case 700:
    case 710:
        if (RxCount > 14) TxCel += okAt(13) ? 1 : 2;
        return true;
    default:
        break;
    }
    const ModuleInfoStep* step = FindModuleInfoStep(TxCel);
    if (!step) return false;
    if (auto text = ModuleInfoText(*step, rx, RxCount)) {
        ModuleInfo.SetField(step->field, *text);
        SequencerWait = 1;
        TxCel = TxCel == 326 ? 0 : TxCel + 1;
        ClearReceive();
    }
    return true;
}

}  // namespace morvane
