#include "devsim/devsim.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>

namespace morvane::devsim {

namespace {

constexpr uint8_t kAnswer = 0xAB;        // first byte of every six-byte answer
constexpr uint8_t kAccepted = 0xAC;      // AB AC .. ..: command accepted
constexpr uint8_t kDone = 0xAA;          // AB AA 00 00: write or clock done
constexpr uint8_t kLockFill = 0xFF;      // AB FF FF FF: security lock notice

// Texts of the scripted GSM module.
constexpr const char* kImei = "356938035643809";
constexpr const char* kRevision = "Revision:1418B05SIM800C24";
constexpr const char* kImsi = "216301234567890";
constexpr const char* kServiceCentre = "+CSCA: \"+36309888000\",145";
constexpr const char* kBand = "+CBAND: EGSM_DCS_MODE";
constexpr const char* kOperator = "+COPS: 0,0,\"Telekom HU\"";

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

const char* CommandName(const Bytes& r) {
    switch (r[1]) {
    case 0x00:
        if (r[0] == 0x00 && r[2] == 0xFF) return "probe";
        if (r[0] == 0x00 && r[2] == 0xFE) return "version read";
        return "byte read";
    case 0x01: return "byte write";
    case 0x02: return (r[0] == 2 && r[2] == 0) ? "leave modem mode / status read" : "status read";
    case 0x04: return "life-signal test";
    case 0x08: return "log page read";
    case 0x40: return "record read";
    case 0xEC: return "GSM firmware";
    case 0xEF: return "chip erase";
    case 0xF1: return "test call";
    case 0xF2: return "security code";
    case 0xF3: return "output test";
    case 0xF4: return "bus scan";
    case 0xF5: return "speed switch";
    case 0xF6: return "page write";
    case 0xF7: return "page read";
    case 0xF8: return "processor identification";
    case 0xF9: return "FPGA start";
    case 0xFA: return "legacy transfer start";
    case 0xFB: return "monitor";
    case 0xFC: return "clock";
    case 0xFD: return "modem mode";
    case 0xFF: return "restart";
    default: return "unknown";
    }
}

}  // namespace

uint8_t CheckByte(uint8_t a, uint8_t c, uint8_t b, uint8_t d) {
    return static_cast<uint8_t>((unsigned(a) + c + b + d + 255u) & 0xFF);
}

Bytes Frame(uint8_t a, uint8_t c, uint8_t b, uint8_t d) {
    uint8_t k = CheckByte(a, c, b, d);
    return {a, c, b, d, static_cast<uint8_t>(255 - k), k};
}

bool FrameValid(const uint8_t* p) {
    uint8_t k = CheckByte(p[0], p[1], p[2], p[3]);
    return p[5] == k && p[4] == static_cast<uint8_t>(255 - k);
}

uint8_t Sum(const uint8_t* p, size_t n) {
    unsigned s = 0;
    for (size_t i = 0; i < n; ++i) s += p[i];
    return static_cast<uint8_t>(s & 0xFF);
}

Bytes BlockFrame(uint8_t c, uint8_t b, uint8_t d, const Bytes& data) {
    Bytes block(256, 0);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 256), block.begin());
    Bytes out = Frame(Sum(block.data(), 256), c, b, d);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

std::string Hex(const Bytes& bytes) {
    std::string s;
    s.reserve(bytes.size() * 3);
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

DeviceModel::DeviceModel(const Options& options)
    : options_(options), memory_(kMemorySize, 0xFF), status_(kStatusSize, 0), bus_(kBusSlots, Bytes(16, 0xFF)),
      rng_(options.seed) {
    auto start = std::chrono::steady_clock::now();
    now_ = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    if (options_.sampleData) FillSample();
    ApplyIdentity();
    ApplyPcCode();
    Reset();
}

void DeviceModel::Reset() {
    modemMode_ = false;
    monitor_ = false;
    lineBaud_ = 9600;
    locked_ = !StoredPcCode().empty();
    input_.clear();
}

void DeviceModel::ApplyPcCode() {
    if (options_.pcCode.empty()) return;
    Bytes field(kPcCodeSize, 0xFF);
    std::copy_n(options_.pcCode.begin(), std::min(options_.pcCode.size(), kPcCodeSize), field.begin());
    WriteRange(kPcCodeAddress, field);
}

std::string DeviceModel::StoredPcCode() const {
    std::string code;
    for (size_t i = 0; i < kPcCodeSize; ++i) {
        uint8_t ch = memory_[kPcCodeAddress + i];
        if (ch == 0xFF || ch == 0x00) break;
        code += static_cast<char>(ch);
    }
    return code;
}

void DeviceModel::ApplyIdentity() {
    memory_[kVersionAddress] = static_cast<uint8_t>(options_.version);
    memory_[kTypeAddress] = static_cast<uint8_t>(options_.typeCode);
}

void DeviceModel::FillSample() {
    // A short event log, newest record first.
    SetLogRecord(0, 66, "241203093009", 21, 1, "+36301234567");
    SetLogRecord(1, 1, "241203093005", 21, 1, "IN1");
    SetLogRecord(2, 49, "241203081512", 18, 1, "");
    SetLogRecord(3, 73, "241203081500", 0, 0, "");
    // Signal history: 48 values, then the end mark.
    for (uint32_t i = 0; i < 48; ++i) memory_[kSignalBase + i] = static_cast<uint8_t>(14 + (i * 7) % 12);
    memory_[0x005A] = 47;  // newest value within the chunk
    memory_[0x005B] = 0;   // chunk (half-page) being filled
    // Module status: registered, signal 20.
    status_[1] = 1;
    status_[3] = 20;
    // Bus: an IO8 board in slot 1 and a temperature sensor (23.5 degrees) in slot 2.
    bus_[0] = Bytes(16, 0);
    bus_[0][0] = 253;
    bus_[0][1] = 0x05;
    bus_[0][2] = 0x02;
    bus_[1] = Bytes(16, 0);
    bus_[1][0] = 254;
    bus_[1][1] = 23;
    bus_[1][2] = 2;
}

uint8_t DeviceModel::Read(uint32_t address) const { return address < kMemorySize ? memory_[address] : 0xFF; }

void DeviceModel::Write(uint32_t address, uint8_t value) {
    if (address >= kMemorySize || address == kVersionAddress || address == kTypeAddress) return;
    memory_[address] = value;
}

Bytes DeviceModel::ReadRange(uint32_t address, size_t size) const {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = Read(static_cast<uint32_t>(address + i));
    return out;
}

void DeviceModel::WriteRange(uint32_t address, const Bytes& data) {
    for (size_t i = 0; i < data.size(); ++i) Write(static_cast<uint32_t>(address + i), data[i]);
}

bool DeviceModel::Load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() > kMemorySize) data.resize(kMemorySize);
    std::copy(data.begin(), data.end(), memory_.begin());
    ApplyIdentity();
    ApplyPcCode();
    locked_ = !StoredPcCode().empty();
    return true;
}

bool DeviceModel::Save(const std::string& path, std::string* error) const {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(memory_.data()), static_cast<std::streamsize>(memory_.size()));
        if (!out.flush()) {
            if (error) *error = "cannot write " + tmp;
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        if (error) *error = "cannot replace " + path;
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

Bytes DeviceModel::Record(size_t index) const {
    return ReadRange(static_cast<uint32_t>((index % kRecordCount) * kRecordSize), kRecordSize);
}

void DeviceModel::SetRecord(size_t index, const Bytes& data) {
    Bytes rec(kRecordSize, 0xFF);
    std::copy_n(data.begin(), std::min(data.size(), kRecordSize), rec.begin());
    WriteRange(static_cast<uint32_t>((index % kRecordCount) * kRecordSize), rec);
}

Bytes DeviceModel::BusSlot(size_t slot) const { return bus_.at(slot); }

void DeviceModel::SetBusSlot(size_t slot, const Bytes& data) {
    Bytes s(16, 0xFF);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 16), s.begin());
    bus_.at(slot) = s;
}

void DeviceModel::SetLogRecord(uint32_t index, uint8_t code, const std::string& date, uint8_t signal,
                               uint8_t network, const std::string& note) {
    if (index >= kLogRecords) return;
    Bytes rec(64, 0);
    rec[0] = code;
    rec[1] = 0;
    for (size_t i = 0; i < 12; ++i) rec[2 + i] = static_cast<uint8_t>(i < date.size() ? date[i] : '0');
    rec[17] = signal;
    rec[18] = network;
    for (size_t i = 0; i < note.size() && i < 44; ++i) rec[20 + i] = static_cast<uint8_t>(note[i]);
    WriteRange(kLogBase + 64 * index, rec);
}

double DeviceModel::Uniform() { return static_cast<double>(rng_() >> 11) * (1.0 / 9007199254740992.0); }

uint32_t DeviceModel::Below(uint32_t n) { return n ? static_cast<uint32_t>(rng_() % n) : 0; }

void DeviceModel::LogRequest(const std::string& name, const Bytes& request) {
    RequestLogEntry e{now_ ? now_() : 0.0, name, request};
    if (sink_) sink_(e);
    log_.push_back(std::move(e));
}

std::vector<Piece> DeviceModel::Receive(const uint8_t* data, size_t size) {
    std::vector<Piece> out;
    input_.insert(input_.end(), data, data + size);
    if (modemMode_) HandleModem(out);
    else HandleBinary(out);
    return out;
}

Bytes DeviceModel::Feed(const Bytes& data) {
    Bytes joined;
    for (const Piece& p : Receive(data.data(), data.size())) joined.insert(joined.end(), p.bytes.begin(), p.bytes.end());
    return joined;
}

void DeviceModel::Idle() {
    if (input_.empty()) return;
    LogRequest("incomplete (dropped)", input_);
    input_.clear();
}

// Binary requests: a six-byte frame, or a longer frame whose six-byte header
// names it. Bytes that do not start a valid header are skipped one by one.
void DeviceModel::HandleBinary(std::vector<Piece>& out) {
    while (!modemMode_ && input_.size() >= 6) {
        if (!FrameValid(input_.data())) {
            input_.erase(input_.begin());
            continue;
        }
        size_t need = 6;
        uint8_t c = input_[1];
        if (c == 0xF6 || c == 0xF2) need = 262;
        else if (c == 0xFC) need = 18;
        if (input_.size() < need) return;
        if (c == 0xFC && !std::all_of(input_.begin() + 6, input_.begin() + 18, [](uint8_t b) { return b >= '0' && b <= '9'; })) {
            // Not a clock frame after all: skip the header byte and look again.
            input_.erase(input_.begin());
            continue;
        }
        Bytes request(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        Dispatch(request, out);
    }
    if (modemMode_ && !input_.empty()) HandleModem(out);
}

uint32_t DeviceModel::PageOffset(uint16_t page) const {
    // Page numbers below 0x100 address the configuration area in 16-byte units.
    return page < 0x100 ? uint32_t(page) * 16u : uint32_t(page) * 256u;
}

void DeviceModel::Dispatch(const Bytes& r, std::vector<Piece>& out) {
    const uint8_t a = r[0], c = r[1], b = r[2], d = r[3];
    std::string name = CommandName(r);
    if (options_.drop > 0 && Uniform() < options_.drop) {
        LogRequest("dropped " + name, r);
        return;
    }
    LogRequest(name, r);

    if (locked_) {
        bool identity = c == 0x00 && a == 0x00 && (b == 0xFE || b == 0xFF);
        if (c == 0xF2) {
            std::string code;
            for (size_t i = 6; i < r.size() && r[i] != 0; ++i) code += static_cast<char>(r[i]);
            if (Sum(r.data() + 6, 256) == a && code == StoredPcCode()) locked_ = false;
            return;  // the code block itself gets no answer
        }
        if (!identity) {
            Emit(Frame(kAnswer, kLockFill, kLockFill, kLockFill), Shape::Frame, out);
            return;
        }
    }

    switch (c) {
    case 0x00: {  // read one byte
        uint32_t address = uint32_t(a) << 8 | b;
        Emit(Frame(kAnswer, a, b, Read(address)), Shape::Frame, out);
        break;
    }
    case 0x01: {  // write one byte, answer with the byte as stored
        uint32_t address = uint32_t(a) << 8 | b;
        Write(address, d);
        Emit(Frame(kAnswer, a, b, Read(address)), Shape::Frame, out);
        break;
    }
    case 0x02:  // module status byte (02 02 00 00 outside modem mode reads status byte 0)
        Emit(Frame(kAnswer, a, b, status_[b % kStatusSize]), Shape::Frame, out);
        break;
    case 0x08: {  // four log records, the one with the highest number first
        uint32_t row = uint32_t(d) << 8 | b;
        Bytes block;
        for (int j = 0; j < 4; ++j) {
            int64_t index = int64_t(row) - 1 - j;
            Bytes rec = (index >= 0 && index < kLogRecords) ? ReadRange(kLogBase + 64 * uint32_t(index), 64) : Bytes(64, 0xFF);
            block.insert(block.end(), rec.begin(), rec.end());
        }
        Emit(block, Shape::Plain, out);
        break;
    }
    case 0x40: {
        if (options_.typeCode == 'd' || b != 0) {  // 32-byte record
            Bytes rec = Record(b);
            Bytes reply = Frame(kAnswer, 0x40, b, 0);
            reply.insert(reply.end(), rec.begin(), rec.end());
            reply.push_back(Sum(rec.data(), rec.size()));
            Emit(reply, Shape::Record, out);
        } else {  // 64-byte signal history chunk
            Bytes chunk = ReadRange(kSignalBase + 64u * (d & 0x7F), 64);
            chunk.push_back(Sum(chunk.data(), 64));
            Emit(chunk, Shape::Block, out);
        }
        break;
    }
    case 0xEF:  // erase the flash: everything above the configuration pages
        std::fill(memory_.begin() + 0x10000, memory_.end(), 0xFF);
        break;
    case 0xF3:
    case 0xFB:
        if (c == 0xFB) monitor_ = b != 0;
        Emit(Frame(kAnswer, kAccepted, a, b), Shape::Frame, out);
        break;
    case 0xF4: {  // bus scan: 16 slots of 16 bytes and their sum
        Bytes block;
        for (const Bytes& s : bus_) block.insert(block.end(), s.begin(), s.end());
        block.push_back(Sum(block.data(), 256));
        Emit(block, Shape::Block, out);
        break;
    }
    case 0xF5:
        lineBaud_ = 256000;
        break;
    case 0xF6: {  // page write: acknowledged with the data sum when it matches
        if (Sum(r.data() + 6, 256) != a) break;
        uint16_t page = uint16_t(b) << 8 | d;
        WriteRange(PageOffset(page), Bytes(r.begin() + 6, r.end()));
        Emit(Bytes{a}, Shape::Ack, out);
        break;
    }
    case 0xF7: {  // page read: 256 bytes and their sum
        uint16_t page = uint16_t(d) << 8 | b;
        Bytes block = ReadRange(PageOffset(page), 256);
        block.push_back(Sum(block.data(), 256));
        Emit(block, Shape::Block, out);
        break;
    }
    case 0xFC:
        clockText_.assign(r.begin() + 6, r.end());
        Emit(Frame(kAnswer, kDone, 0, 0), Shape::Frame, out);
        break;
    case 0xFD:
        modemMode_ = true;
        Emit(Frame(kAnswer, kAccepted, b, 0), Shape::Frame, out);
        break;
    case 0xFF:
        ++restarts_;
        Reset();
        break;
    default:  // 0x04, 0xEC, 0xF1, 0xF8, 0xF9, 0xFA and unknown commands: no answer
        break;
    }
}

// GSM modem mode: the line goes to the module. Text lines end with CR (an SMS
// body with Ctrl-Z); the frame 02 02 00 00 takes the line back, 00 FD .. ..
// is answered again.
void DeviceModel::HandleModem(std::vector<Piece>& out) {
    while (modemMode_ && !input_.empty()) {
        // A control frame anywhere in the held bytes.
        bool control = false;
        for (size_t i = 0; i + 6 <= input_.size(); ++i) {
            const uint8_t* p = input_.data() + i;
            if (!FrameValid(p)) continue;
            bool leave = p[0] == 2 && p[1] == 2 && p[2] == 0;
            if (!leave && p[1] != 0xFD) continue;
            Bytes request(p, p + 6);
            input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(i + 6));
            if (leave) {
                if (options_.drop > 0 && Uniform() < options_.drop) {
                    LogRequest("dropped leave modem mode", request);
                } else {
                    LogRequest("leave modem mode", request);
                    modemMode_ = false;
                }
            } else {
                Dispatch(request, out);
            }
            control = true;
            break;
        }
        if (control) continue;
        while (!input_.empty() && (input_[0] == '\n' || input_[0] == 0)) input_.erase(input_.begin());
        auto end = std::find_if(input_.begin(), input_.end(), [](uint8_t ch) { return ch == '\r' || ch == 0x1A; });
        if (end == input_.end()) break;
        // Control bytes (the rest of a binary frame, line noise) are no part of a command.
        std::string line;
        for (auto it = input_.begin(); it != end; ++it)
            if (*it >= 0x20) line += static_cast<char>(*it);
        uint8_t terminator = *end;
        input_.erase(input_.begin(), end + 1);
        Bytes logged(line.begin(), line.end());
        logged.push_back(terminator);
        if (options_.drop > 0 && Uniform() < options_.drop) {
            LogRequest("dropped AT command", logged);
            continue;
        }
        LogRequest(terminator == 0x1A ? "SMS text" : "AT command", logged);
        if (terminator == 0x1A) {
            Emit(Bytes(logged.begin(), logged.end()), Shape::Plain, out);
            std::string body = "\r\n+CMGS: 1\r\n\r\nOK\r\n";
            Emit(Bytes(body.begin(), body.end()), Shape::Plain, out);
            continue;
        }
        AnswerModule(line, out);
    }
    if (!modemMode_ && !input_.empty()) HandleBinary(out);
}

void DeviceModel::AnswerModule(const std::string& line, std::vector<Piece>& out) {
    // The module echoes the command with its CR, then answers.
    std::string cmd = Upper(line);
    std::string result;  // an information line, if any
    bool ok = true;
    if (cmd == "AT" || cmd == "ATZ" || cmd == "ATE1" || cmd == "ATE0" || StartsWith(cmd, "AT+COLP=") ||
        StartsWith(cmd, "AT+CNMP=") || StartsWith(cmd, "AT+IPR=") || StartsWith(cmd, "AT+CPIN=") ||
        StartsWith(cmd, "AT+CLCK=") || StartsWith(cmd, "AT+CSCA=") || StartsWith(cmd, "AT+CPBS=") ||
        StartsWith(cmd, "AT+CPBR=") || StartsWith(cmd, "AT+CPBW=") || StartsWith(cmd, "ATD")) {
    } else if (cmd == "AT+CGSN" || cmd == "AT+GSN") {
        result = kImei;
    } else if (cmd == "AT+CGMR" || cmd == "AT+GMR") {
        result = kRevision;
    } else if (cmd == "AT+SJDR?") {
        result = "+SJDR: 1,0,255,0";
    } else if (cmd == "AT+CIMI") {
        result = kImsi;
    } else if (cmd == "AT+CSCA?") {
        result = kServiceCentre;
    } else if (cmd == "AT+CBAND?") {
        result = kBand;
    } else if (cmd == "AT+COPS?") {
        result = kOperator;
    } else if (cmd == "AT+CSQ") {
        result = "+CSQ: " + std::to_string(status_[3]) + ",0";
    } else if (cmd == "AT+CREG?") {
        result = "+CREG: 0," + std::to_string(status_[1]);
    } else if (cmd == "AT+CPIN?") {
        result = "+CPIN: READY";
    } else if (StartsWith(cmd, "AT+CMGS=")) {
        std::string reply = line + "\r\r\n> ";
        Emit(Bytes(reply.begin(), reply.end()), Shape::Plain, out);
        return;
    } else {
        ok = false;
    }
    std::string reply = line + "\r";
    if (!result.empty()) reply += "\r\n" + result + "\r\n";
    reply += ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
    Emit(Bytes(reply.begin(), reply.end()), Shape::Plain, out);
}

void DeviceModel::Emit(Bytes reply, Shape shape, std::vector<Piece>& out) {
    if (options_.silent || reply.empty()) return;
    if (options_.corrupt > 0 && Uniform() < options_.corrupt) {
        uint8_t flip = static_cast<uint8_t>(1 + Below(255));
        switch (shape) {
        case Shape::Frame: reply[5] ^= flip; break;  // the check byte K
        default: reply.back() ^= flip; break;        // the sum, the echo, the last byte
        }
    }
    if (options_.stray > 0 && Uniform() < options_.stray) {
        uint32_t n = 1 + Below(3);
        Bytes stray;
        for (uint32_t i = 0; i < n; ++i) stray.push_back(static_cast<uint8_t>(Below(256)));
        reply.insert(reply.begin(), stray.begin(), stray.end());
    }
    if (!options_.fragment || reply.size() < 2) {
        out.push_back({std::move(reply), 0});
        return;
    }
    uint32_t pieces = 1 + Below(static_cast<uint32_t>(std::min<size_t>(reply.size(), 4)));
    std::vector<size_t> cuts;
    for (uint32_t i = 1; i < pieces; ++i) cuts.push_back(1 + Below(static_cast<uint32_t>(reply.size() - 1)));
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t to = i < cuts.size() ? cuts[i] : reply.size();
        int gap = i == 0 ? 0 : static_cast<int>(1 + Below(20));
        out.push_back({Bytes(reply.begin() + static_cast<std::ptrdiff_t>(from), reply.begin() + static_cast<std::ptrdiff_t>(to)), gap});
        from = to;
    }
}

}  // namespace morvane::devsim
