#pragma once
// The configurator's device link: the request state machine (TxCel and
// SequencerStep), the send path, the link timer that opens the port, counts
// the reply wait down, re-sends and closes the port when idle, and the
// receive handler that recognises the reply of the current state.
//
// Everything runs on the user-interface thread. The link composes the
// configurator's hand-over state (Configurator), the configuration image and
// the View for messages; it owns its serial port and its timers.
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "app/configurator.h"
#include "app/core_timer.h"
#include "app/view.h"
#include "config/config_image.h"
#include "link/async_comm.h"
#include "link/frames.h"
#include "link/services/module_info.h"

namespace morvane {

// Names of the configurator controls the link touches.
namespace linkctl {
inline constexpr const char* StateLabel = "LabelTxCel";      // "TxCel: " and the state
inline constexpr const char* StateLabel2 = "LabelTXcel";     // "TXcel: " and the state
inline constexpr const char* ResendLabel = "LabelResend";    // "TX_re_semd: " and ResendCount
inline constexpr const char* SendButton = "BitBtnSend";      // "Elküldés"
inline constexpr const char* ReadButton = "BitBtnRead";      // "Olvasás"
inline constexpr const char* Progress = "TransferProgress";  // the transfer progress bar
inline constexpr const char* ContactIdOption = "CheckBox14"; // "Contact ID tábla küldése/olvasása"
inline constexpr const char* ClockLabel = "LabelClock";
inline constexpr const char* ClientLabel = "LabelClient";
inline constexpr const char* ClientEdit = "EditClient";
inline constexpr const char* NewFirmwareLabel = "LabelNewFirmware";  // "Van új elérhető firmware!"
inline constexpr const char* FirmwareButton = "BitBtnFirmware";
inline constexpr const char* Output2Unit = "ComboKi2Unit";   // time unit of output 2 ("Sec"/"Min")
inline constexpr const char* SoundProgress = "SoundProgress";
// The configurator window itself: disabled, with a busy cursor, while an LTE
// command runs.
inline constexpr const char* Window = "TQ7Form1";
}  // namespace linkctl

class DeviceLink {
public:
    static constexpr size_t kRxBufferSize = 5004;
    static constexpr int kRxGuard = 2000;
    static constexpr int kBlockErrorLimit = 30;

    DeviceLink(Configurator& form, ConfigImage& image, View& view);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // ---- state (public: the configurator's pages and commands read and set it)
    int TxCel = 0;
    int SequencerWait = 0;
    int ReturnState = 0;
    int CallerState = 0;
    int LockedState = 0;
    bool LinkOpen = false;
    int ResendCount = 0;
    int BlockErrorCount = 0;
    int TransferIndex = 0;
    int ByteAddress = 0;
    int BytesLeft = 0;
    TxBufferArray TxBuffer{};
    std::array<uint8_t, kRxBufferSize> RxBuffer{};
    int RxCount = 0;

    bool ResellerFlag = false;     // "company" begins with "*"
    bool StatusReadFlag = false;   // module status window open: byte reads use command 2
    bool ShortWriteFlag = false;   // "PSTN send": a two-byte write then the clock
    bool ClockOnlyFlag = false;    // clock synchronisation command
    bool VersionMessagePending = false;
    bool VersionMessageAsked = false;  // "GSM szoftver verzió" asked for the message
    std::string PortOverride;      // "specfunc.txt" line 2
    long LastSendTime = 0;         // relay path: ms since midnight of the last send
    int RelayPollCountdown = 0;

    // Command parameters.
    int OutputNumber = 1;
    int CallNumber = 0;
    int Rs232Number = 0;
    std::string OldPcCode;
    std::string NewPcCode;
    int LogPage = 0;
    int ChartIndex = 0;

    // Sound transfer.
    std::FILE* SoundFile = nullptr;
    bool KeepFF = false;
    int PageAddress = 0;
    int BlocksLeft = 0;
    int RetryCount = 0;
    bool TransferError = false;
    int TestChainStep = 0;
    int ProgressOwner = 0;

    // Transfer progress (mirrored by the editors).
    int ProgressPosition = 0;
    int ProgressMax = 100;
    int RxLedTicks = 0;
    // A built-in firmware image is newer than the device's: the link timer
    // then blinks "Van új elérhető firmware!" beside the "Firmware" button.
    bool NewFirmwareHint = false;

    // The GSM module information window's fields.
    GsmModuleInfo ModuleInfo;

    // ---- hooks for the parts that grow around the link
    std::function<void()> OnReadFinished;    // image to settings
    std::function<void()> OnBeforeWrite;     // settings to image
    std::function<void()> OnLoadDefaultTables;  // "Alap kódtábla betöltése", "Alap zónák betöltése"
    std::function<void(const std::string& hex)> OnRelaySend;  // "Internet": the device-data request
    std::function<void()> OnRelayStart;      // "Internet": the relay's start request at idle close
    std::function<void()> OnIdentity;        // after the firmware version answer has been applied
    std::function<void()> OnSoundEnd;        // re-open the sound players
    // Six-byte answers of states served elsewhere (module status 5, test
    // bench, signal history 600/601, processor identification 1099, 250).
    // Returns true when it took the frame.
    std::function<bool(int txCel, const uint8_t* frame)> OnFrameReply;
    // Memory blocks of states served elsewhere (BUS scan 140, signal history
    // 510, test bench 9000/9008) and the number list rows (115).
    std::function<void(int txCel, const uint8_t* block)> OnBlockReply;
    std::function<void()> OnNumberListWritten;  // "OUT1 Control" click after the list write
    // Replaces the serial write (tests and tools drive the link without a port).
    std::function<void(const uint8_t* data, int count)> Transport;

    // ---- send path
    void SendRequest(int count);
    void RequestByteRead();
    void RequestByteWrite();

    // ---- sequencer
    void SequencerStep();
    void ContinueAfterWrite();

    // ---- link timer
    void AdasTimer();
    CoreTimer& Adas() { return adas_; }
    // The four further one-second timers that run the same handler.
    CoreTimer& ExtraTimer(int i) { return extra_[i]; }
    CoreTimer& PromptTimer() { return prompt_; }

    // ---- receive side
    void ClearReceive();
    // The port signalled `count` waiting bytes.
    void OnReceive(int count);
    // Intake of bytes already read (the port path and the relay poll end here).
    void ReplyBytes(const uint8_t* data, int count);
    // Applies the reply rules to the bytes held.
    void ReplyDispatch();
    // The PC security code prompt (the prompt timer, and the unlock command).
    void PcCodePrompt();
    void SendPcCode(const std::string& code);

    // ---- commands that start sequences
    void StartRead();      // "Olvasás"
    void StartWrite();     // "Elküldés"
    // Firmware version query (99); withMessage: "GSM szoftver verzió", which
    // also shows the version in a message.
    void StartIdentity(bool withMessage = false);
    void StartClockSync(); // "Szinkronizálás"
    // GSM modem mode (20, 21), then the module command that starts at returnState.
    void StartModuleCommand(int returnState);
    void OpenModuleInfo();  // "GSM információk": the window's fields emptied
    void StartModuleInfo(); // "Újraolvasás": the module information chain 320..326
    void StartImei();       // "IMEI number"
    void StartGsmReset();   // "Reset GSM"
    void StartLte(bool enable);  // "LTE Enable" / "LTE Disable"

    // ResellerFlag from the "company" setting.
    void ReadLinkSettings();

    TAsynComm32& Port() { return port_; }
    bool At256k() const { return port_.BaudRate() == TBaudRate::cbr256000; }
    TBaudRate BaseRate() const { return form_.Use4800Baud ? TBaudRate::cbr4800 : TBaudRate::cbr9600; }
    // The port name the link opens.
    std::string LinkPortName() const;
    bool ContactIdOptionOn() const;
    Configurator& Form() { return form_; }
    ConfigImage& Image() { return image_; }

private:
    void SetStatus(const std::string& text) { form_.StatusPanels[3] = text; }
    void ShowState();
    void EnableTransferButtons();
    void HideProgress();
    void ProgressStep() { ++ProgressPosition; }
    void AbandonBlockTransfer();
    void SpeedSwitch(int threshold);
    void RestoreSpeed();
    void ReadFinished(bool setOutput2Unit);
    void ContactIdReadPhase();
    void SendPageRead(int page);
    void SendImagePage(uint8_t b, uint8_t d, uint32_t offset);
    void SoundStepLegacy();
    void SoundStepFramed();
    void SoundEnd(bool restoreSpeed);
    void CloseLink();

    // Rule groups of the receive handler; each returns true when it handled the bytes.
    bool GlobalRules();
    bool BlockRules();
    bool AckRules();
    bool TextRules();
    bool FrameRules();
    void VersionAnswer(uint8_t b3);
    bool ModuleTextRules();
    void LteDone(bool ok);
    void ShowFirmwareHint();
    void ByteWriteDone();

    Configurator& form_;
    ConfigImage& image_;
    View& view_;
    TAsynComm32 port_;
    CoreTimer adas_{"adas", 1000, true};
    CoreTimer extra_[4] = {{"Timer1", 1000, true}, {"Timer2", 1000, true}, {"Timer3", 1000, true}, {"Timer4", 1000, true}};
    CoreTimer prompt_{"PromptTimer", 500, false};
    int hintCountdown_ = 5;
    bool hintLit_ = false;          // blink phase of the new-firmware label
    int reportedVersion_ = 0;       // the version as the device gave it, for the version message
    bool soundEndPending_ = false;  // the last full sound block went out; end at the next call
    int expectedCounter_ = 0;       // legacy sound transfer block counter
};

}  // namespace morvane
