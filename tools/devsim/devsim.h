#pragma once
// The simulated device: the device side of the serial protocol.
//
// DeviceModel is the device itself without any I/O: it takes the bytes the PC
// sends and returns the bytes the device answers, keeps the device memory, the
// 32-byte door-gate records, the module status bytes, the bus slots and a log
// of the requests it received. Given the same options (seed included) and the
// same input it gives the same output.
//
// PtyDevice serves a DeviceModel on a pseudo-terminal from a background thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace morvane::devsim {

using Bytes = std::vector<uint8_t>;

struct Options {
    int typeCode = 'H';      // the type letter the device reports (address 0x00FF)
    int version = 93;        // firmware number reported at address 0x00FE (93 = 9.3)
    uint64_t seed = 1;       // seed of the fault injection
    double drop = 0;         // fraction of requests left unanswered
    double corrupt = 0;      // fraction of replies with a damaged check byte
    double stray = 0;        // fraction of replies preceded by stray bytes
    bool fragment = false;   // split replies into pieces with small gaps
    bool silent = false;     // answer nothing at all
    std::string pcCode;      // PC security code stored in the device (locks it until the code arrives)
    bool sampleData = true;  // a few log records, signal values and bus modules
};

// One part of a reply; the runner waits gapMs before writing it.
struct Piece {
    Bytes bytes;
    int gapMs = 0;
};

struct RequestLogEntry {
    double seconds = 0;  // time since the model was created
    std::string name;    // request name, e.g. "page read"
    Bytes bytes;         // the request as received
};

// Six-byte frame check: K = (A + C + B + D - 1) mod 256, K' = 255 - K.
uint8_t CheckByte(uint8_t a, uint8_t c, uint8_t b, uint8_t d);
// A six-byte frame with its check pair.
Bytes Frame(uint8_t a, uint8_t c, uint8_t b, uint8_t d);
// True when the six bytes at p carry a valid check pair.
bool FrameValid(const uint8_t* p);
// Sum of the bytes mod 256.
uint8_t Sum(const uint8_t* p, size_t n);
// A 262-byte block frame (header A = data sum) for 256 data bytes.
Bytes BlockFrame(uint8_t c, uint8_t b, uint8_t d, const Bytes& data);
// Bytes as upper-case hexadecimal pairs separated by blanks.
std::string Hex(const Bytes& bytes);

class DeviceModel {
public:
    static constexpr size_t kMemorySize = 0x400000;
    static constexpr size_t kRecordCount = 256;
    static constexpr size_t kRecordSize = 32;
    static constexpr size_t kStatusSize = 32;
    static constexpr size_t kBusSlots = 16;
    // Event log: 64-byte records, record i at kLogBase + 64 * i.
    static constexpr uint32_t kLogBase = 0x100000;
    static constexpr uint32_t kLogRecords = 16384;
    // Signal history: values 0..35, ended by 0xFF; 64-byte chunks.
    static constexpr uint32_t kSignalBase = 0x300000;
    // Identity bytes of the configuration area the firmware owns.
    static constexpr uint32_t kVersionAddress = 0x00FE;
    static constexpr uint32_t kTypeAddress = 0x00FF;
    // PC security code field of the configuration area (32 bytes, 0xFF-terminated).
    static constexpr uint32_t kPcCodeAddress = 0x06C0;
    static constexpr size_t kPcCodeSize = 32;

    explicit DeviceModel(const Options& options = {});

    // Takes received bytes, returns the reply pieces (possibly none).
    std::vector<Piece> Receive(const uint8_t* data, size_t size);
    // Same, with the pieces joined.
    Bytes Feed(const Bytes& data);
    // The line was quiet for a while: an incomplete request is dropped.
    void Idle();
    // Bytes of an incomplete request are held.
    bool Pending() const { return !input_.empty(); }

    // Memory (device addresses; reads beyond the memory give 0xFF).
    uint8_t Read(uint32_t address) const;
    void Write(uint32_t address, uint8_t value);
    Bytes ReadRange(uint32_t address, size_t size) const;
    void WriteRange(uint32_t address, const Bytes& data);
    const Bytes& Memory() const { return memory_; }
    // A raw memory image; a short file fills the start. The identity bytes
    // (and the PC security code, when the options name one) are set again
    // from the options afterwards.
    bool Load(const std::string& path, std::string* error = nullptr);
    bool Save(const std::string& path, std::string* error = nullptr) const;

    Bytes Record(size_t index) const;
    void SetRecord(size_t index, const Bytes& data);
    uint8_t Status(size_t index) const { return status_.at(index); }
    void SetStatus(size_t index, uint8_t value) { status_.at(index) = value; }
    // A bus slot: 16 bytes, first byte 255 none, 253 IO8, 254 temperature.
    Bytes BusSlot(size_t slot) const;
    void SetBusSlot(size_t slot, const Bytes& data);
    // Writes log record `index` (event code, 12-digit date text, signal,
    // network state, note).
    void SetLogRecord(uint32_t index, uint8_t code, const std::string& yymmddhhmmss, uint8_t signal,
                      uint8_t network, const std::string& note);

    // State seen from outside.
    const Options& Settings() const { return options_; }
    bool ModemMode() const { return modemMode_; }
    bool MonitorOn() const { return monitor_; }
    // Locked while a PC security code is stored; the lock is taken at start
    // and at every restart, and lifted by the code block with that code.
    bool Locked() const { return locked_; }
    std::string StoredPcCode() const;
    const std::string& ClockText() const { return clockText_; }
    int LineBaud() const { return lineBaud_; }  // 9600, or 256000 after the speed switch
    int RestartCount() const { return restarts_; }
    const std::vector<RequestLogEntry>& RequestLog() const { return log_; }
    void ClearRequestLog() { log_.clear(); }
    // Called for every request as it is logged (the program writes its log file here).
    void SetLogSink(std::function<void(const RequestLogEntry&)> sink) { sink_ = std::move(sink); }
    // Replaces the clock used for log times (seconds); tests use a fixed one.
    void SetTimeSource(std::function<double()> now) { now_ = std::move(now); }

private:
    void Reset();
    void FillSample();
    void ApplyIdentity();
    void ApplyPcCode();
    void HandleBinary(std::vector<Piece>& out);
    void HandleModem(std::vector<Piece>& out);
    void Dispatch(const Bytes& request, std::vector<Piece>& out);
    void AnswerModule(const std::string& line, std::vector<Piece>& out);
    void LogRequest(const std::string& name, const Bytes& request);
    // Fault injection and splitting of one reply.
    enum class Shape { Frame, Block, Record, Ack, Plain };
    void Emit(Bytes reply, Shape shape, std::vector<Piece>& out);
    uint32_t PageOffset(uint16_t page) const;
    double Uniform();
    uint32_t Below(uint32_t n);

    Options options_;
    Bytes memory_;
    std::vector<Bytes> records_;
    Bytes status_;
    std::vector<Bytes> bus_;
    Bytes input_;
    bool modemMode_ = false;
    bool monitor_ = false;
    bool locked_ = false;
    bool dropCurrent_ = false;
    std::string clockText_;
    int lineBaud_ = 9600;
    int restarts_ = 0;
    std::vector<RequestLogEntry> log_;
    std::function<void(const RequestLogEntry&)> sink_;
    std::function<double()> now_;
    std::mt19937_64 rng_;
};

// Serves a DeviceModel on a pseudo-terminal. The model is shared with the
// caller: hold Lock() while touching it during a run.
class PtyDevice {
public:
    // baud > 0 paces replies at that line rate (10 bits per byte); after the
    // device's speed switch the pacing follows 256000.
    explicit PtyDevice(DeviceModel& model, int baud = 0);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens the pseudo-terminal and starts serving. False with *error set on failure.
    bool Start(std::string* error = nullptr);
    void Stop();
    bool Running() const { return thread_.joinable(); }
    const std::string& SlavePath() const { return slavePath_; }
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }
    // Milliseconds of quiet after which an incomplete request is dropped.
    void SetIdleMs(int ms) { idleMs_ = ms; }

private:
    void Run();
    bool WriteAll(const Bytes& bytes);
    bool Pause(long micros);  // false when stopping

    DeviceModel& model_;
    int baud_ = 0;
    int idleMs_ = 200;
    int master_ = -1;
    int slaveKeep_ = -1;
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::mutex mutex_;
    std::thread thread_;
};

}  // namespace morvane::devsim
