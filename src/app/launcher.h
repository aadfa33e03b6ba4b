#pragma once
// The launcher (TForm1), the program's main window, without its widgets.
//
// It picks the language, the connection type and the port, polls the port
// with a six-byte probe until a device answers with its type letter, can
// search COM1..COM64 for a device, and on start hands the device type over to
// the configurator and shows the window of that type. The Qt window binds its
// widgets by objectName to Controls() and calls the handlers below; the host
// fires the timers of Timers() and watches Port().
//
// Control names in Controls(): the design names (Panel1, Panel2, Label3,
// Label5, Label6, Label10, Label17, Label19, ComboBox3, ComboBox4, RadioGroup1,
// Button2, Button4..Button15, doorstart, CheckBox21, CheckBox22, GroupBox2),
// and besides them:
//   "TForm1"            the window caption (text)
//   "RadioGroup1_0".."RadioGroup1_2"  the three connection choices (fontColor)
//   "TryName1".."TryName6", "TryVersion1".."TryVersion6"
//                       the name and firmware labels of the try rows, by
//                       product number (1 Tarvex/Button4, 2 Zelbrin/Button7,
//                       3 Quendor/Button6, 4 Halvoret/Button8, 5 Tessaly/Button11,
//                       6 Pomerand/Button15)
//   "PortError"         the system's reason when the port cannot be opened or
//                       was lost, empty while the port works
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/core_timer.h"
#include "app/device_types.h"
#include "app/startup.h"
#include "app/view.h"
#include "link/async_comm.h"

namespace morvane {

// The launcher's access to the Internet relay. Each call posts one request
// and returns the reply body; a failure throws std::exception, whose text the
// launcher shows. The client builds the account fields ("v=3", "email=",
// "password=", "macaddr=", "myown=") itself.
class RelayClient {
public:
    virtual ~RelayClient() = default;
    // "Read RX": asks the relay for the device's answers.
    virtual std::string ReadRx() = 0;
    // Sends device bytes, given as upper-case hexadecimal text ("c=").
    virtual std::string SendData(const std::string& hex) = 0;
    // The account login after the account window closed.
    virtual std::string Login() = 0;
    // The key of the password transform, from an "AES=" reply.
    virtual void SetKey(uint32_t key) = 0;
};

struct LauncherEnv {
    std::vector<std::string> args;   // command-line parameters; the first may be "ADMIN" or "OSTREL"
    StartupValues startup;           // start directory, port override, COM list, relay message
    std::string registryKey = RegistryKey();
    std::string programName = ProgramName;
    ProductNameList productNames = ProductNames;
    std::string versionDate = VersionDate;
    std::string advancedModeCode = AdvancedModeCode;
    int defaultLanguage = DefaultLanguage;
    int brandCode = BrandCode;
    // Firmware version of the built-in image per try row (product number - 1);
    // empty texts leave the row's version label as it is.
    std::array<std::string, 6> tryVersions;
    std::string helpUrl = "https://www.morvane.example/help/video";
};

class Launcher {
public:
    // LauncherState values.
    enum : int {
        kIdle = 0, kPoll = 10, kBaudToggle = 11, kClosePort = 20, kReopen = 21,
        kSearchOpen = 50, kSearchProbe = 51, kSearchEvaluate = 52
    };
    static const std::array<uint8_t, 6> kProbeFrame;  // 00 00 FF 00 01 FE

    Launcher(View& view, Shell& shell, Configurator& configurator, LauncherEnv env, RelayClient* relay = nullptr);
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Host side.
    TAsynComm32& Port() { return port_; }
    ControlSet& Controls() { return controls_; }
    const ControlSet& Controls() const { return controls_; }
    std::vector<CoreTimer*> Timers();
    CoreTimer& Adas() { return adas_; }
    CoreTimer& Kereso() { return kereso_; }
    CoreTimer& AblakStart() { return ablakStart_; }
    CoreTimer& Timer1() { return timer1_; }
    CoreTimer& Start() { return start_; }
    void SetRelayClient(RelayClient* relay) { relay_ = relay; }

    // Creation: fills the COM list, shows a refused relay address, version label.
    void Create();
    // FormActivate: settings, mode, language, port, connection type; opens the
    // port and starts the poll.
    void Activate();
    // adasTimer: relay poll, port housekeeping, the state step.
    void AdasTimer();
    // AsynComm321RxChar: takes the bytes waiting on the port.
    void AsynComm321RxChar(int count);
    // The receive handler on bytes from any source (serial or relay).
    void ReceiveBytes(const uint8_t* data, int count);

    // User actions.
    void ComboBox3Change(const std::string& text);  // port choice
    void ComboBox4Change(int index);                // language
    void RadioGroup1Click(int index);               // connection type
    void CheckBox21Click();                         // "GPS": 4800 or 9600 baud (reads the box)
    void Button2Click();                            // automatic search
    void Button5Click();                            // "Indít"
    void Panel2Click() { Button5Click(); }
    void Button9Click();                            // start with the default configuration
    void Button10Click();                           // fast start
    // A try button by name ("Button4", "Button6", "Button7", "Button8",
    // "Button11", "Button15"); false for another name.
    bool TryButtonClick(const std::string& button);
    void Label17Click();                            // "Advanced MODE!": start a type by number
    void Button12Click();                           // "WiFi set"
    void Button13Click();                           // "USB connection"
    // "Mentés" of the virtual COM chooser: a name beginning "COM" (stored with
    // the "\\.\" prefix) or a device path (stored as it is). False otherwise.
    bool UsbSetSave(const std::string& name);
    // The names the virtual COM chooser lists: "COMn" of each USB serial or
    // ACM device.
    static std::vector<std::string> VirtualComPorts();
    void Button14Click();                           // "COM info": device manager
    void SpeedButton1Click();                       // "?": help video
    void Close();                                   // exit: closes the port and ends the program

    // Timer handlers.
    void KeresoTimer();
    void AblakStartTimer();
    void Timer1Timer();

    // State, for the window and the tests.
    int LauncherState() const { return state_; }
    int DeviceType() const { return deviceType_; }
    int ProbeCount() const { return probeCount_; }
    int SearchPort() const { return searchPort_; }
    bool Found() const { return found_; }
    int AnswerErrors() const { return answerErrors_; }
    int RxCount() const { return rxCount_; }
    int AnswerDelay() const { return answerDelay_; }
    int RelayWait() const { return relayWait_; }
    // Table entry of the last answer in the poll (nullopt for a letter
    // outside the table, and after a try button).
    const std::optional<DeviceTypeInfo>& Detected() const { return detected_; }
    int ConnectionType() const { return connectionType_; }
    const std::string& DeviceFilter() const { return deviceFilter_; }
    const std::string& ModeCode() const { return modeCode_; }

    // The port name of activation and reopen: the port override when it is a
    // COM name or a device path, else "comport", else "COM1".
    std::string ChoosePortName() const;
    // The COM list item of a port name: "COM3" -> 2, "\\.\COM12" -> 11,
    // nullopt for a device path or a name outside the list.
    static std::optional<int> PortItemIndex(const std::string& name);

private:
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& text) const;
    void SelectPortItem(const std::string& name);
    void OpenPort();
    void StateStep();
    void Evaluate();
    void HandleAnswer(int letter);
    void SetStartEnabled(bool on);
    void StartWindow();
    void OpenWindow();
    void PaintConnection(int index);
    void OnPortOpen(int error);
    void ReportPortProblem(const std::string& reason);
    void ShowOnce(std::string& last, const std::string& text);
    void RelayPoll();
    void RelaySendProbe();
    void TakeRelayKey(const std::string& reply);
    bool IsSearching() const { return state_ >= kSearchOpen && state_ <= kSearchEvaluate; }

    View& view_;
    Shell& shell_;
    Configurator& cfg_;
    LauncherEnv env_;
    RelayClient* relay_;

    TAsynComm32 port_;
    ControlSet controls_;
    CoreTimer adas_{"adas", 3000, true};
    CoreTimer kereso_{"Kereso", 500, true};
    CoreTimer ablakStart_{"ablakSTART", 1300, false};
    CoreTimer timer1_{"Timer1", 2000, true};
    CoreTimer start_{"start", 250, false};

    int state_ = kIdle;
    int deviceType_ = 0;
    std::optional<DeviceTypeInfo> detected_;  // table entry of the last answer in the poll
    std::array<uint8_t, 6> rx_{};
    int rxCount_ = 0;
    int probeCount_ = 0;
    int answerDelay_ = 0;
    int reopenCountdown_ = 0;
    int searchPort_ = 1;
    bool found_ = false;
    bool portClosed_ = false;
    int answerErrors_ = 0;
    int relayWait_ = 0;
    int relayCountdown_ = 0;
    int connectionType_ = 0;
    std::string deviceFilter_;
    std::string modeCode_;

    // Search animation.
    bool keresoHasBase_ = false;
    std::string keresoBase_;
    int keresoPhase_ = 0;

    // Last message shown for a port or relay problem (shown once per text).
    std::string lastPortMessage_;
    std::string lastRelayMessage_;
};

}  // namespace morvane
