#pragma once
// A timestamped hexadecimal record of everything that passes a serial port:
// bytes sent and received, port open and close, speed changes. It is what a
// user attaches when a device misbehaves in the field. A port without a trace
// pays one pointer test per call.
//
// Line format (one event per line, local time):
//   2026-12-11 04:05:06.789 +1234.567 TX  TxCel=110 00 F7 00 00 08 F7
//   2026-12-11 04:05:06.801 +1234.579 RX  TxCel=110 12 34 ...
//   2026-12-11 04:05:07.000 +1234.778 --  TxCel=0 open /dev/ttyUSB0 9600 baud
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace morvane {

class SerialTrace {
public:
    SerialTrace() = default;
    ~SerialTrace();
    SerialTrace(const SerialTrace&) = delete;
    SerialTrace& operator=(const SerialTrace&) = delete;

    // Starts writing to the file (appending). False with Error() set when it
    // cannot be opened.
    bool Start(const std::string& path);
    void Stop();
    bool Active() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

    // The request state shown on each line; none when unset.
    std::function<int()> TxCel;

    void Sent(const uint8_t* data, int count);
    void Dropped(const uint8_t* data, int count);  // a write refused while the previous one was pending
    void Received(const uint8_t* data, int count);
    void Note(const std::string& text);  // open, close, speed, loss

private:
    void Line(const char* dir, const std::string& body);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    double startSeconds_ = 0;
};

}  // namespace morvane
