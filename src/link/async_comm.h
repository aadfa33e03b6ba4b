#pragma once
// Serial port layer over the Linux terminal interface.
//
// One TAsynComm32 per window that talks to a device. It opens a device with a
// line setting, writes byte blocks without blocking, reads bytes that are
// already waiting, and turns port activity into events. It knows nothing of
// frames or protocol.
//
// Event delivery: the port's descriptor is watched by the host's event loop
// (QSocketNotifier in the GUI, PollLoop in the command-line tool and tests).
// When the descriptor is readable, writable or hung up the host calls
// HandleIo() on the main thread; HandleIo raises the component events there,
// one at a time, in the fixed order (received data before transmit-empty).
// No thread of our own is started, so no locks are needed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvane {

class SerialTrace;

enum class TBaudRate {
    cbr110, cbr300, cbr600, cbr1200, cbr2400, cbr4800, cbr9600, cbr14400, cbr19200,
    cbr38400, cbr56000, cbr57600, cbr115200, cbr128000, cbr256000
};
enum class TParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopbits { sb10, sb15, sb20 };
enum class TDatabits { da4, da5, da6, da7, da8 };
enum class TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum class TAsynComm32Option { osParityCheck, osDsrSensitivity, osIgnoreXOff, osErrorChar, osNullStrip };
enum class TC32EventState { evBreak, evCTS, evDSR, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };

// Sets as bit masks of (1 << ordinal).
using TAsynComm32Options = uint32_t;
using TC32EventType = uint32_t;
constexpr uint32_t Bit(TAsynComm32Option o) { return 1u << static_cast<unsigned>(o); }
constexpr uint32_t Bit(TC32EventState e) { return 1u << static_cast<unsigned>(e); }
constexpr TC32EventType kAllEvents = 0x1FF;

// Bits per second of a TBaudRate ordinal.
int BaudRateValue(TBaudRate rate);
// The TBaudRate of a bit rate; cbr9600 for an unknown rate.
TBaudRate BaudRateFromValue(int bitsPerSecond);

// Error mask bits passed to OnError (the communications error flags).
enum : uint32_t { kCeRxOver = 0x1, kCeOverrun = 0x2, kCeRxParity = 0x4, kCeFrame = 0x8, kCeBreak = 0x10 };

class TAsynComm32 {
public:
    TAsynComm32();
    ~TAsynComm32();
    TAsynComm32(const TAsynComm32&) = delete;
    TAsynComm32& operator=(const TAsynComm32&) = delete;

    // Published properties. Setters of the line settings apply at once when open.
    std::string DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& name) { deviceName_ = name; }
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate rate);
    TParity Parity() const { return parity_; }
    void SetParity(TParity p);
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits s);
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits d);
    TC32EventType MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TC32EventType events) { monitorEvents_ = events; }
    int ReadBufferSize() const { return readBufferSize_; }
    void SetReadBufferSize(int n) { readBufferSize_ = n; }
    int WriteBufferSize() const { return writeBufferSize_; }
    void SetWriteBufferSize(int n) { writeBufferSize_ = n; }
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl f);
    char XonChar() const { return xonChar_; }
    void SetXonChar(char c);
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char c);
    TAsynComm32Options Options() const { return options_; }
    void SetOptions(TAsynComm32Options o);

    // Closes if open, then opens DeviceName (a "COMn" name, with or without the
    // "\\.\" prefix, or a device path; see port_names.h). Always ends by raising
    // OnOpen(providerSubType, error): subtype 0 and errno when it failed.
    void Open();
    // Purges the receive side and closes. Does nothing when closed.
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Starts a write and returns at once: the byte count accepted, or 0 when
    // the previous write has not finished (the new block is dropped) or the
    // port is closed.
    int Write(const uint8_t* data, int count);
    int Write(const std::vector<uint8_t>& data) { return Write(data.data(), static_cast<int>(data.size())); }
    // Reads up to count bytes already waiting; returns the number read.
    int Read(uint8_t* buffer, int count);
    // Bytes waiting in the input queue.
    int InQueue() const;

    // The device path actually opened (after name resolution), and the
    // system's reason of the last failed open or of the port's loss, in words.
    const std::string& OpenedPath() const { return openedPath_; }
    const std::string& LastErrorText() const { return lastErrorText_; }
    int LastError() const { return lastError_; }
    // Bit rate the driver reports after the last change (0 when closed).
    int ActualBaud() const { return actualBaud_; }

    // Records every byte and port event in the trace while one is set (not owned).
    void SetTrace(SerialTrace* trace) { trace_ = trace; }
    SerialTrace* Trace() const { return trace_; }

    // Host integration.
    int NativeHandle() const { return fd_; }
    // True while the host should also watch for writability: bytes of the
    // last write are waiting for room in the driver, or the transmit-empty
    // check is due.
    bool WantsWrite() const;
    // Milliseconds after which the host should call HandleIo(false, false,
    // false) even without descriptor activity (the driver's output queue is
    // still draining and OnTxEmpty is due once it is empty); -1 when nothing
    // is due.
    int TxEmptyCheckMs() const;
    // Called by the host on the main thread when the descriptor is readable,
    // writable or hung up. Dispatches the component events.
    void HandleIo(bool readable, bool writable, bool hangup);
    // Called by the host when the descriptor changes (opened, closed or lost).
    std::function<void()> OnHandleChanged;

    // Events.
    std::function<void(TAsynComm32&, int providerSubType, int error)> OnOpen;
    std::function<void(TAsynComm32&)> OnBreak, OnCTS, OnDSR, OnRing, OnRLSD, OnRxFlag, OnTxEmpty;
    std::function<void(TAsynComm32&, uint32_t errors)> OnError;
    std::function<void(TAsynComm32&, int count)> OnRxChar;
    // The device vanished (unplugged adapter): the port has been closed;
    // the text says so in words.
    std::function<void(TAsynComm32&, const std::string& message)> OnLost;

    // Provider subtype reported by OnOpen for an opened port.
    static constexpr int kProviderSerial = 1;

private:
    SerialTrace* trace_ = nullptr;
    // Readable-but-empty wake-ups (or zero-byte reads) in a row taken as end of file.
    static constexpr int kZeroReadLimit = 3;

    void ApplyLineSettings();
    void Dispatch(uint32_t events);
    void FlushPending();
    void CloseDescriptor(bool purge);
    void Lose();
    uint32_t LineEvents();

    std::string deviceName_ = "COM2";
    TBaudRate baudRate_ = TBaudRate::cbr9600;
    TParity parity_ = TParity::paNone;
    TStopbits stopbits_ = TStopbits::sb10;
    TDatabits databits_ = TDatabits::da8;
    TC32EventType monitorEvents_ = kAllEvents;
    int readBufferSize_ = 4096;
    int writeBufferSize_ = 2048;
    TFlowControl flowControl_ = TFlowControl::fcDefault;
    char xonChar_ = 17;
    char xoffChar_ = 19;
    TAsynComm32Options options_ = 0;

    int fd_ = -1;
    std::string openedPath_;
    std::string lastErrorText_;
    int lastError_ = 0;
    int actualBaud_ = 0;
    std::vector<uint8_t> pending_;  // bytes of the last write not yet taken by the driver
    TC32EventType activeEvents_ = kAllEvents;  // MonitorEvents as of the last Open
    bool txEmptyDue_ = false;   // a write finished on the driver side; OnTxEmpty not yet raised
    bool txDrainWait_ = false;  // the driver's output queue was not empty at the last look
    std::chrono::steady_clock::time_point txCheckAt_{};
    bool readFailed_ = false;   // a read or write failed as on a vanished device
    int zeroReads_ = 0;
    unsigned generation_ = 0;   // changes on every open and close
    bool modemLinesKnown_ = false;
    int modemLines_ = 0;
    struct {
        bool known = false;
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } counters_;
    uint32_t lastErrors_ = 0;
};

}  // namespace morvane
