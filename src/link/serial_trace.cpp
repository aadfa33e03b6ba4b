#include "link/serial_trace.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace morvane {

namespace {

double MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string Hex(const uint8_t* data, int count) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

}  // namespace

SerialTrace::~SerialTrace() { Stop(); }

bool SerialTrace::Start(const std::string& path) {
    Stop();
    error_.clear();
    file_ = std::fopen(path.c_str(), "a");
    if (!file_) {
        error_ = path + ": " + std::strerror(errno);
        return false;
    }
    path_ = path;
    startSeconds_ = MonotonicSeconds();
    Note("trace started");
    return true;
}

void SerialTrace::Stop() {
    if (!file_) return;
    Note("trace stopped");
    std::fclose(file_);
    file_ = nullptr;
}

void SerialTrace::Sent(const uint8_t* data, int count) { Line("TX", Hex(data, count)); }
void SerialTrace::Dropped(const uint8_t* data, int count) { Line("TX!", "dropped: " + Hex(data, count)); }
void SerialTrace::Received(const uint8_t* data, int count) { Line("RX", Hex(data, count)); }
void SerialTrace::Note(const std::string& text) { Line("--", text); }

void SerialTrace::Line(const char* dir, const std::string& body) {
    if (!file_) return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string state = TxCel ? "TxCel=" + std::to_string(TxCel()) : "TxCel=-";
    std::fprintf(file_, "%s.%03d +%.3f %-3s %s %s\n", stamp, ms, MonotonicSeconds() - startSeconds_, dir,
                 state.c_str(), body.c_str());
    std::fflush(file_);
}

}  // namespace morvane
