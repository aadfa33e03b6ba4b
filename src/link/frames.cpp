#include "link/frames.h"

#include <algorithm>
#include <ctime>

namespace morvane {

uint8_t CheckK(uint8_t a, uint8_t c, uint8_t b, uint8_t d) {
    const int sum = int(a) + int(c) + int(b) + int(d) - 1;
    return static_cast<uint8_t>((sum + 256) % 256);
}

bool FrameValid(const uint8_t* p) {
    const uint8_t k = CheckK(p[0], p[1], p[2], p[3]);
    return p[5] == k && p[4] == static_cast<uint8_t>(255 - k);
}

uint8_t ByteSum(const uint8_t* p, size_t n) {
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i) sum += p[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

std::string ByteToHex(uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string{digits[value >> 4], digits[value & 0x0F]};
}

std::string BytesToHex(const uint8_t* p, size_t count) {
    std::string text;
    text.reserve(2 * count);
    for (size_t i = 0; i < count; ++i) text += ByteToHex(p[i]);
    return text;
}

int BuildFrame(TxBufferArray& tx, uint8_t a, uint8_t c, uint8_t b, uint8_t d) {
    tx[0] = a;
    tx[1] = c;
    tx[2] = b;
    tx[3] = d;
    const uint8_t k = CheckK(a, c, b, d);
    tx[4] = static_cast<uint8_t>(255 - k);
    tx[5] = k;
    return kFrameSize;
}

int CompleteBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d) {
    BuildFrame(tx, ByteSum(tx.data() + 6, kBlockDataSize), c, b, d);
    return kBlockFrameSize;
}

int BuildBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d, const uint8_t* data) {
    std::copy_n(data, kBlockDataSize, tx.begin() + 6);
    return CompleteBlockFrame(tx, c, b, d);
}

int BuildFilledBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d, uint8_t fill) {
    std::fill_n(tx.begin() + 6, kBlockDataSize, fill);
    return CompleteBlockFrame(tx, c, b, d);
}

int BuildClockFrame(TxBufferArray& tx, std::chrono::system_clock::time_point when) {
    BuildFrame(tx, 0x00, cmd::Clock, 0x00, 0x00);
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&t, &tm);
    const int fields[6] = {tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    for (int i = 0; i < 6; ++i) {
        tx[6 + 2 * i] = static_cast<uint8_t>('0' + fields[i] / 10);
        tx[7 + 2 * i] = static_cast<uint8_t>('0' + fields[i] % 10);
    }
    return kClockFrameSize;
}

int BuildPcCodeFrame(TxBufferArray& tx, const std::string& code) {
    std::fill_n(tx.begin() + 6, kBlockDataSize, 0);
    const size_t n = std::min<size_t>(code.size(), kBlockDataSize);
    std::copy_n(code.begin(), n, tx.begin() + 6);
    return CompleteBlockFrame(tx, cmd::PcCode, 0, 0);
}

int BuildRawBlock(TxBufferArray& tx, const uint8_t* data) {
    std::copy_n(data, kBlockDataSize, tx.begin());
    return kBlockDataSize;
}

int BuildText(TxBufferArray& tx, const std::string& text) {
    const size_t n = std::min(text.size(), tx.size());
    std::copy_n(text.begin(), n, tx.begin());
    return static_cast<int>(n);
}

}  // namespace morvane
