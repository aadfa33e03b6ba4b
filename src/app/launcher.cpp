#include "app/launcher.h"

#include <cctype>
#include <charconv>
#include <exception>
#include <utility>

#include "app/settings_store.h"
#include "app/settings_values.h"
#include "config/page_shaping.h"
#include "link/port_names.h"

namespace morvane {

namespace {

constexpr uint32_t kGreenStrip = Rgb(0x45, 0xB8, 0x5F);
constexpr uint32_t kRed = Rgb(0xFF, 0x00, 0x00);
constexpr uint32_t kReadyGreen = Rgb(0x00, 0x80, 0x00);
constexpr uint32_t kBlack = Rgb(0, 0, 0);

constexpr int kSearchLastPort = 64;

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// A whole decimal number (optionally signed), nullopt otherwise.
std::optional<int> ParseInt(const std::string& text) {
    std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    const char* first = t.data();
    if (*first == '+') ++first;
    int value = 0;
    auto [ptr, ec] = std::from_chars(first, t.data() + t.size(), value);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return value;
}

std::string Hex(const uint8_t* data, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
    return out;
}

// The bytes of hexadecimal text; nullopt when it is not whole pairs of digits.
std::optional<std::vector<uint8_t>> FromHex(const std::string& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> out;
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned v = 0;
        auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
        if (ec != std::errc() || ptr != text.data() + i + 2) return std::nullopt;
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

// Try rows by product number - 1.
const std::array<const char*, 6> kTryButtons = {"Button4", "Button7", "Button6", "Button8", "Button11", "Button15"};

}  // namespace

const std::array<uint8_t, 6> Launcher::kProbeFrame = {0x00, 0x00, 0xFF, 0x00, 0x01, 0xFE};

Launcher::Launcher(View& view, Shell& shell, Configurator& configurator, LauncherEnv env, RelayClient* relay)
    : view_(view), shell_(shell), cfg_(configurator), env_(std::move(env)), relay_(relay) {
    // Design state.
    controls_["TForm1"].text = "GSM read";
    controls_["Label10"].text = "???";
    controls_["Label3"].visible = false;
    for (const char* hidden : {"CheckBox21", "Button10", "doorstart", "Label17", "Button12", "CheckBox22"})
        controls_[hidden].visible = false;
    for (const char* off : {"Button5", "Panel2", "Button9"}) controls_[off].enabled = false;
    controls_["ComboBox3"].text = "Válaszon COM portot";
    controls_["ComboBox4"].items = {"Magyar", "English", "Deutsch", "Slovenčina SK", "Italiano", "Slovenský SI",
                                    "Dutch", "Český", "Suomi", "France", "Espana"};
    ControlState& group = controls_["RadioGroup1"];
    group.items = {"USB", "Bluetooth", "Internet"};
    group.itemIndex = 0;
    controls_["GroupBox2"].text = "  Termékek - kipróbálás  ";

    adas_.OnTimer = [this] { AdasTimer(); };
    kereso_.OnTimer = [this] { KeresoTimer(); };
    ablakStart_.OnTimer = [this] { AblakStartTimer(); };
    timer1_.OnTimer = [this] { Timer1Timer(); };

    port_.OnRxChar = [this](TAsynComm32&, int count) { AsynComm321RxChar(count); };
    port_.OnOpen = [this](TAsynComm32&, int, int error) { OnPortOpen(error); };
    port_.OnLost = [this](TAsynComm32&, const std::string& message) {
        ReportPortProblem(message);
        portClosed_ = true;  // the housekeeping of the next tick opens it again
    };
}

Launcher::~Launcher() {
    port_.OnRxChar = nullptr;
    port_.OnOpen = nullptr;
    port_.OnLost = nullptr;
    port_.Close();
}

std::vector<CoreTimer*> Launcher::Timers() { return {&adas_, &kereso_, &ablakStart_, &timer1_, &start_}; }

std::string Launcher::Read(const std::string& name) const { return SettingsStore::Read(env_.registryKey, name); }

void Launcher::Write(const std::string& name, const std::string& text) const {
    SettingsStore::Write(env_.registryKey, name, text);
}

// ---------------------------------------------------------------- creation

void Launcher::Create() {
    std::vector<std::string> items = env_.startup.ComPortItems;
    if (items.empty()) items = MakeComPortItems();
    controls_.SetItems("ComboBox3", std::move(items));
    controls_.SetText("Label19", env_.versionDate);
    if (!env_.startup.RelayMessage.empty()) view_.Message(env_.startup.RelayMessage);
}

// ---------------------------------------------------------------- activation

void Launcher::Activate() {
    // 1. Colours.
    controls_.SetColor("Panel1", kGreenStrip);
    controls_.SetColor("Panel2", kRed);

    // 2. Write-permission probe.
    const std::string stamp = FormatStartDate();
    Write("StartDate", stamp);
    if (Read("StartDate") != stamp) view_.Message("No write permission! Please run as administrator!");

    // 3. Mode.
    const std::string firstArg = env_.args.empty() ? std::string() : env_.args.front();
    modeCode_ = Read("mode");
    ControlSet& cc = cfg_.Controls();
    if (firstArg == "ADMIN") {
        modeCode_ = env_.advancedModeCode;
        cc.SetVisible("menu:TOP MENU ON/OFF", true);
    }
    cfg_.ModeCode = modeCode_;

    // 4. Advanced mode.
    cc.SetVisible("menu:GSM test", false);
    if (modeCode_ == env_.advancedModeCode) {
        cc.SetVisible("menu:GSM test", true);
        for (const char* name : {"CheckBox21", "Button10", "doorstart", "Label17"}) controls_.SetVisible(name, true);
        cc.SetVisible("menu:Export memory", true);
    }

    // 5.
    cfg_.StartAction = Configurator::kStartRead;

    // 6. Texts.
    controls_.SetText("Label6", "version: " + env_.versionDate);
    controls_.SetText("Label5", env_.programName);
    for (size_t i = 0; i < env_.productNames.size(); ++i) {
        controls_.SetText("TryName" + std::to_string(i + 1), env_.productNames[i]);
        if (!env_.tryVersions[i].empty())
            controls_.SetText("TryVersion" + std::to_string(i + 1), env_.tryVersions[i]);
    }
    controls_.SetText("TForm1", env_.programName);

    // 7. Device filter.
    std::string device = Read("Device");
    if (device.empty()) {
        Write("Device", "0");
        device = "0";
    }
    deviceFilter_ = EffectiveDeviceFilter(device, env_.brandCode, firstArg);
    cfg_.DeviceFilter = deviceFilter_;

    // 8. Language.
    if (std::optional<int> code = ParseInt(Read("Language"))) {
        const int count = static_cast<int>(controls_["ComboBox4"].items.size());
        controls_.SetItemIndex("ComboBox4", (*code >= 0 && *code < count) ? *code : -1);
    } else {
        Write("Language", std::to_string(env_.defaultLanguage));
        controls_.SetItemIndex("ComboBox4", env_.defaultLanguage);
    }

    // 9. Port name.
    const std::string portName = ChoosePortName();
    port_.SetDeviceName(portName);
    SelectPortItem(portName);

    // 10.
    if (modeCode_ == "ZARIR") port_.SetBaudRate(TBaudRate::cbr4800);

    // 11. Connection type ("Internet" is never restored).
    const std::string stored = Read("USB_BLUE");
    int connection = 0;
    if (std::optional<int> n = ParseInt(stored); n && (*n == 0 || *n == 1)) connection = *n;
    connectionType_ = connection;
    cfg_.ConnectionType = connection;
    controls_.SetItemIndex("RadioGroup1", connection);
    PaintConnection(connection);

    // 12.
    OpenPort();
    Write("StartDir", env_.startup.StartDirectory);
    state_ = kPoll;
    cfg_.LanguageTimer().SetEnabled(true);
}

std::string Launcher::ChoosePortName() const {
    const std::string& override = env_.startup.PortOverride;
    std::string name;
    if (StartsWith(override, "COM") || IsDevicePath(override)) name = override;
    else name = Read("comport");
    if (name.empty()) name = "COM1";
    return name;
}

std::optional<int> Launcher::PortItemIndex(const std::string& name) {
    if (IsDevicePath(name)) return std::nullopt;
    std::optional<int> n = ComNumber(name);
    if (!n || *n < 1 || *n > ComPortItemCount) return std::nullopt;
    return *n - 1;
}

void Launcher::SelectPortItem(const std::string& name) {
    std::optional<int> item = PortItemIndex(name);
    controls_.Change("ComboBox3", [&](ControlState& c) {
        c.itemIndex = item.value_or(-1);
        c.text = item ? "COM" + std::to_string(*item + 1) : DisplayPortName(name);
    });
}

// ---------------------------------------------------------------- the port

void Launcher::OpenPort() { port_.Open(); }

void Launcher::OnPortOpen(int error) {
    if (error == 0) {
        controls_.SetText("PortError", "");
        lastPortMessage_.clear();
        return;
    }
    ReportPortProblem(port_.LastErrorText());
}

void Launcher::ReportPortProblem(const std::string& reason) {
    const std::string name = DisplayPortName(port_.DeviceName());
    std::string text = reason.empty() ? "cannot be opened" : reason;
    if (!StartsWith(text, name) && !(port_.OpenedPath().size() && StartsWith(text, port_.OpenedPath())))
        text = name + ": " + text;
    controls_.SetText("PortError", text);
    // The search tries ports that mostly do not exist: no messages there.
    if (IsSearching()) return;
    ShowOnce(lastPortMessage_, text);
}

void Launcher::ShowOnce(std::string& last, const std::string& text) {
    if (text == last) return;
    last = text;
    view_.Message(text);
}

void Launcher::AsynComm321RxChar(int count) {
    (void)count;
    uint8_t buf[256];
    for (;;) {
        int n = port_.Read(buf, static_cast<int>(sizeof buf));
        if (n <= 0) break;
        ReceiveBytes(buf, n);
    }
}

void Launcher::ReceiveBytes(const uint8_t* data, int count) {
    if (count < 0) return;
    if (rxCount_ + count > static_cast<int>(rx_.size())) {
        rxCount_ = 0;  // more than six bytes before evaluation: all dropped
        return;
    }
    for (int i = 0; i < count; ++i) rx_[static_cast<size_t>(rxCount_++)] = data[i];
    if (rxCount_ == static_cast<int>(rx_.size())) Evaluate();
}

void Launcher::Evaluate() {
    const int check = (rx_[0] + rx_[1] + rx_[2] + rx_[3] - 1) & 0xFF;
    if (rx_[5] != check) {
        rxCount_ = 0;
        return;
    }
    if (rx_[4] != 255 - rx_[5]) {
        rxCount_ = 0;
        ++answerErrors_;
        return;
    }
    answerDelay_ = 3;
    if (state_ == kPoll) HandleAnswer(rx_[3]);
    if ((state_ == kSearchProbe || state_ == kSearchEvaluate) && rx_[3] >= 11 && rx_[3] <= 253) found_ = true;
}

void Launcher::HandleAnswer(int letter) {
    deviceType_ = letter;
    controls_.SetVisible("GroupBox2", false);
    controls_.SetVisible("Button12", true);
    if (letter == 'P') {
        controls_.SetVisible("doorstart", false);
        controls_.Change("RadioGroup1", [](ControlState& c) {
            if (c.items.size() > 2) c.items[2].clear();
        });
    }
    detected_ = LookupDeviceType(letter, env_.productNames, deviceFilter_);
    if (!detected_) return;
    deviceType_ = detected_->deviceType;
    if (!detected_->firstText.empty()) controls_.SetText("Label10", detected_->firstText);
    controls_.SetText("Label10", detected_->productText);
    kereso_.SetEnabled(false);
    if (detected_->window != StartWindow::None) {
        SetStartEnabled(true);
        for (const char* b : {"Button4", "Button6", "Button7", "Button8"}) controls_.SetEnabled(b, false);
    }
    ControlSet& cc = cfg_.Controls();
    if (letter == 'N') PresetChoice(cc, "ComboBox17", "8");
    if (letter == 'O') {
        cc.SetVisible(kSimPhonebookPageKey, false);
        cc.SetVisible("Panel63", false);
    }
}

void Launcher::SetStartEnabled(bool on) {
    controls_.SetEnabled("Button5", on);
    controls_.Change("Panel2", [&](ControlState& c) {
        c.enabled = on;
        c.color = on ? kReadyGreen : kRed;
    });
    controls_.SetEnabled("Button9", on);
}

// ---------------------------------------------------------------- the tick

void Launcher::AdasTimer() {
    // 1. Answers waiting at the relay.
    if (relayCountdown_ > 0) {
        const int before = relayCountdown_--;
        switch (before) {
        case 21: case 20: case 19: case 18: case 15: case 11: case 3: RelayPoll(); break;
        default: break;
        }
    }

    // 2. Port housekeeping.
    const bool internet = connectionType_ == 2;
    if (state_ == kIdle || internet) {
        if (!portClosed_) {
            port_.Close();
            portClosed_ = true;
        }
        if (state_ == kIdle && !internet) return;
    } else if (portClosed_) {
        portClosed_ = false;
        OpenPort();
    }

    // 3.
    adas_.SetInterval(150);

    // 4.
    if (relayWait_ > 0) {
        --relayWait_;
        return;
    }
    if (answerDelay_ > 0) {
        --answerDelay_;
        return;
    }
    StateStep();
}

void Launcher::StateStep() {
    switch (state_) {
    case kPoll:
        if (++probeCount_ >= 5) {
            probeCount_ = 0;
            state_ = kBaudToggle;
            break;
        }
        if (connectionType_ != 2) {
            port_.Write(kProbeFrame.data(), static_cast<int>(kProbeFrame.size()));
        } else {
            const std::string place = Read("User_Place");
            if (!place.empty()) controls_.SetText("RadioGroup1", place);
            relayWait_ = 20;
            if (Read("User_MAC").size() > 4) RelaySendProbe();
        }
        rxCount_ = 0;
        break;
    case kBaudToggle:
        if (deviceType_ == 0) {
            controls_.SetChecked("CheckBox21", !controls_["CheckBox21"].checked);
            CheckBox21Click();
        }
        probeCount_ = 0;
        state_ = kPoll;
        break;
    case kClosePort:
        port_.Close();
        state_ = kReopen;
        reopenCountdown_ = 30;
        break;
    case kReopen:
        if (reopenCountdown_ > 0) {
            --reopenCountdown_;
            break;
        }
        port_.SetDeviceName(ChoosePortName());
        OpenPort();
        state_ = kPoll;
        probeCount_ = 0;
        break;
    case kSearchOpen:
        state_ = kSearchProbe;
        port_.SetDeviceName(ComNameForNumber(searchPort_));
        OpenPort();
        break;
    case kSearchProbe:
        state_ = kSearchEvaluate;
        port_.Write(kProbeFrame.data(), static_cast<int>(kProbeFrame.size()));
        rxCount_ = 0;
        break;
    case kSearchEvaluate:
        state_ = kSearchOpen;
        port_.Close();
        if (found_) {
            state_ = kClosePort;
            controls_.Change("ComboBox3", [&](ControlState& c) {
                c.itemIndex = searchPort_ - 1;
                c.text = "COM" + std::to_string(searchPort_);
            });
            Write("comport", ComNameForNumber(searchPort_));
            controls_.SetEnabled("Button2", true);
        } else {
            searchPort_ = searchPort_ >= kSearchLastPort ? 1 : searchPort_ + 1;
        }
        break;
    default:
        break;
    }
}

void Launcher::CheckBox21Click() {
    const bool gps = controls_["CheckBox21"].checked;
    cfg_.Use4800Baud = gps;
    port_.Close();
    port_.SetBaudRate(gps ? TBaudRate::cbr4800 : TBaudRate::cbr9600);
    // The port stays closed while the launcher has given it up (window open,
    // Internet connection).
    if (!portClosed_) OpenPort();
}

// ---------------------------------------------------------------- relay

void Launcher::TakeRelayKey(const std::string& reply) {
    if (!relay_ || reply.size() <= 36) return;
    size_t end = 36;
    while (end < reply.size() && std::isdigit(static_cast<unsigned char>(reply[end]))) ++end;
    uint32_t key = 0;
    auto [ptr, ec] = std::from_chars(reply.data() + 36, reply.data() + end, key);
    if (ec == std::errc() && ptr != reply.data() + 36) relay_->SetKey(key);
}

void Launcher::RelayPoll() {
    if (!relay_) return;
    std::string reply;
    try {
        reply = relay_->ReadRx();
    } catch (const std::exception& e) {
        ShowOnce(lastRelayMessage_, e.what());
        return;
    }
    lastRelayMessage_.clear();
    if (StartsWith(reply, "AES=")) {
        TakeRelayKey(reply);
    } else if (StartsWith(reply, "P400")) {
        std::optional<std::vector<uint8_t>> bytes = FromHex(reply.substr(4));
        if (!bytes || bytes->empty()) return;  // no answer bytes: an empty reply
        rxCount_ = 0;
        ReceiveBytes(bytes->data(), static_cast<int>(bytes->size()));
    }
}

void Launcher::RelaySendProbe() {
    if (!relay_) return;
    std::string reply;
    try {
        reply = relay_->SendData(Hex(kProbeFrame.data(), kProbeFrame.size()));
    } catch (const std::exception& e) {
        ShowOnce(lastRelayMessage_, e.what());
        return;
    }
    lastRelayMessage_.clear();
    if (StartsWith(reply, "AES=")) TakeRelayKey(reply);
    else if (StartsWith(reply, "P408") || StartsWith(reply, "P401")) relayCountdown_ = 20;
}

// ---------------------------------------------------------------- user actions

void Launcher::ComboBox3Change(const std::string& text) {
    std::string stored;
    if (IsDevicePath(text)) {
        stored = text;
    } else {
        std::optional<int> n = StartsWith(text, "COM") ? ComNumber(text) : std::nullopt;
        if (!n || *n < 1) {
            view_.Message("ERROR");
            return;
        }
        stored = ComNameForNumber(*n);
    }
    Write("comport", stored);
    SelectPortItem(stored);
    state_ = kClosePort;
    kereso_.SetEnabled(true);
    controls_.SetEnabled("Button2", true);
}

void Launcher::ComboBox4Change(int index) {
    controls_.SetText("Label10", "");
    keresoHasBase_ = false;
    keresoPhase_ = 0;
    controls_.SetItemIndex("ComboBox4", index);
    Write("Language", std::to_string(index));
    cfg_.LanguageTimer().SetEnabled(true);
}

void Launcher::PaintConnection(int index) {
    for (int i = 0; i < 3; ++i)
        controls_.SetFontColor("RadioGroup1_" + std::to_string(i), i == index ? kGreenStrip : kBlack);
}

void Launcher::RadioGroup1Click(int index) {
    if (index < 0 || index > 2) return;
    controls_.SetItemIndex("RadioGroup1", index);
    PaintConnection(index);
    controls_.SetText("Label10", "???");
    SetStartEnabled(false);
    connectionType_ = index;
    cfg_.ConnectionType = index;
    Write("USB_BLUE", std::to_string(index));
    if (index != 2) return;
    if (deviceType_ == 'P') {
        RadioGroup1Click(0);
        return;
    }
    shell_.ShowModal("Tuserpass");
    if (!relay_) return;
    try {
        std::string reply = relay_->Login();
        if (StartsWith(reply, "AES=")) TakeRelayKey(reply);
    } catch (const std::exception& e) {
        view_.Message(e.what());
    }
}

void Launcher::Button2Click() {
    controls_.SetEnabled("Button2", false);
    state_ = kSearchOpen;
    kereso_.SetEnabled(true);
    searchPort_ = 1;
    found_ = false;
}

void Launcher::StartWindow() {
    if (!StartOpensWindow(deviceType_)) return;
    ablakStart_.SetEnabled(true);
    SetStartEnabled(false);
    port_.Close();
}

void Launcher::Button5Click() {
    if (controls_["CheckBox22"].checked) {
        cfg_.Controls().SetEnabled("menu:GSM test", true);
        cfg_.StartAction = Configurator::kStartDefaults;
    }
    StartWindow();
}

void Launcher::Button9Click() {
    cfg_.Controls().SetEnabled("menu:GSM test", true);
    cfg_.StartAction = Configurator::kStartDefaults;
    Button5Click();
}

void Launcher::Button10Click() {
    cfg_.Controls().SetEnabled("menu:GSM test", true);
    cfg_.StartAction = Configurator::kStartNothing;
    Button5Click();
}

void Launcher::AblakStartTimer() {
    ablakStart_.SetEnabled(false);
    OpenWindow();
}

void Launcher::OpenWindow() {
    int configuratorType = deviceType_;
    std::string product = ProductTextFor(deviceType_, env_.productNames);
    if (detected_ && detected_->deviceType == deviceType_) {
        configuratorType = detected_->configuratorType;
        product = detected_->productText;
    }
    cfg_.DeviceType = configuratorType;
    state_ = kIdle;
    // The configurator may open its own port only after this one is closed.
    port_.Close();
    portClosed_ = true;
    cfg_.PortHandedOver = true;
    shell_.HideWindow("TForm1");

    controls_.SetText("Label3", product);
    cfg_.SetProductText(product);
    ApplyPageShape(deviceType_, cfg_.Controls());
    shell_.ShowWindow(WindowClassFor(deviceType_, controls_["doorstart"].checked));
}

bool Launcher::TryButtonClick(const std::string& button) {
    int type = 0;
    if (button == "Button4") type = 'N';
    else if (button == "Button6") type = 'Q';
    else if (button == "Button7") type = 'I';
    else if (button == "Button8") type = 'K';
    else if (button == "Button11") type = 'L';
    else if (button == "Button15") type = 'P';
    else return false;
    if (type == 'Q') cfg_.DeviceVersion = 90;
    deviceType_ = type;
    detected_.reset();
    cfg_.DemoMode = true;
    OpenWindow();
    return true;
}

void Launcher::Label17Click() {
    std::optional<std::string> answer = view_.Prompt("spec start", "Hardwer number:");
    if (!answer) return;
    std::optional<int> number = ParseInt(*answer);
    if (!number) {
        view_.Message("'" + *answer + "' is not a valid integer value");
        return;
    }
    deviceType_ = *number;
    detected_.reset();
    cfg_.DemoMode = true;
    OpenWindow();
}

void Launcher::Button12Click() {
    state_ = kIdle;
    shell_.ShowModal("TWifi");
    state_ = kPoll;
}

void Launcher::Button13Click() {
    shell_.ShowModal("TUSBset");
    state_ = kClosePort;
    kereso_.SetEnabled(true);
    controls_.SetEnabled("Button2", true);
}

bool Launcher::UsbSetSave(const std::string& name) {
    std::string stored;
    if (StartsWith(name, "COM")) stored = "\\\\.\\" + name;
    else if (IsDevicePath(name)) stored = name;
    else return false;
    controls_.SetText("ComboBox3", name);
    Write("comport", stored);
    return true;
}

std::vector<std::string> Launcher::VirtualComPorts() {
    std::vector<std::string> names;
    const std::vector<SerialDevice> devices = EnumerateSerialDevices();
    for (size_t i = 0; i < devices.size(); ++i) {
        const std::string& kind = devices[i].kind;
        if (kind == "USB serial" || kind == "USB modem (ACM)") names.push_back("COM" + std::to_string(i + 1));
    }
    return names;
}

void Launcher::Button14Click() { shell_.OpenDeviceManager(); }

void Launcher::SpeedButton1Click() { shell_.OpenUrl(env_.helpUrl); }

void Launcher::Close() {
    for (CoreTimer* t : Timers()) t->SetEnabled(false);
    port_.Close();
    portClosed_ = true;
    shell_.Quit();
}

// ---------------------------------------------------------------- timers

void Launcher::KeresoTimer() {
    if (!keresoHasBase_) {
        const std::string& current = controls_["Label10"].text;
        if (current.empty() || current == "???") return;
        keresoBase_ = current;
        keresoHasBase_ = true;
        keresoPhase_ = 0;
    }
    keresoPhase_ = keresoPhase_ % 5 + 1;
    std::string text = keresoBase_;
    if (IsSearching()) text += " " + std::to_string(searchPort_);
    text.append(static_cast<size_t>(keresoPhase_), '.');
    controls_.SetText("Label10", text);
}

void Launcher::Timer1Timer() { controls_.SetEnabled("Button13", HasVirtualComPort()); }

}  // namespace morvane
