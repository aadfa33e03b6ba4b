#pragma once
// Request formats of the device link: the six-byte frame with its check pair,
// the 262-byte block frame, the 18-byte clock frame, raw blocks and AT text,
// all built in the one transmit buffer, and the command codes (the C byte).
//
// The transmit buffer is never cleared: a request overwrites only the bytes
// it needs and the bytes after it keep their old values. Only the first n
// bytes of a request are ever sent.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace morvane {

inline constexpr size_t kTxBufferSize = 1536;
using TxBufferArray = std::array<uint8_t, kTxBufferSize>;

inline constexpr int kFrameSize = 6;
inline constexpr int kBlockFrameSize = 262;
inline constexpr int kBlockDataSize = 256;
inline constexpr int kClockFrameSize = 18;
// Offsets 1024..1285 keep a copy of the last sound block frame for re-sending.
inline constexpr size_t kSavedFrameOffset = 1024;

// Command codes (byte 1 of a frame).
namespace cmd {
inline constexpr uint8_t ReadByte = 0x00;      // A = address high, B = address low
inline constexpr uint8_t WriteByte = 0x01;     // A, B address, D value
inline constexpr uint8_t StatusOrLeave = 0x02; // module status byte / leave GSM modem mode (02 02 00 00)
inline constexpr uint8_t LifeSignal = 0x04;    // 02 04 10 01
inline constexpr uint8_t LogPage = 0x08;       // B = page low, D = page high
inline constexpr uint8_t Record = 0x40;        // B = record, or D = history block
inline constexpr uint8_t GsmFirmware = 0xEC;   // 00 EC FF 00
inline constexpr uint8_t EraseChip = 0xEF;     // 00 EF FA 00
inline constexpr uint8_t Call = 0xF1;          // B = number low, D = number high
inline constexpr uint8_t PcCode = 0xF2;        // block: the code's characters
inline constexpr uint8_t OutputTest = 0xF3;    // A = output 1..4
inline constexpr uint8_t BusScan = 0xF4;       // 00 F4 0A 00
inline constexpr uint8_t SpeedSwitch = 0xF5;   // 55 F5 00 00
inline constexpr uint8_t PageWrite = 0xF6;     // block: B = page high, D = page low
inline constexpr uint8_t PageRead = 0xF7;      // B = page low, D = page high
inline constexpr uint8_t ProcessorId = 0xF8;   // 00 F8 00 00
inline constexpr uint8_t FpgaStart = 0xF9;     // B = 0xAA or 0xBB
inline constexpr uint8_t LegacyStart = 0xFA;   // B = page high, D = page low
inline constexpr uint8_t Monitor = 0xFB;       // B = 1 on, 0 off
inline constexpr uint8_t Clock = 0xFC;         // clock frame
inline constexpr uint8_t ModemMode = 0xFD;     // B = 0 or 0xAA, D = image byte
inline constexpr uint8_t Restart = 0xFF;       // 00 FF AA 00
}  // namespace cmd

// Device answer markers (byte 0 and byte 1 of a six-byte answer).
inline constexpr uint8_t kAnswerMark = 0xAB;
inline constexpr uint8_t kAcceptedMark = 0xAC;
inline constexpr uint8_t kDoneMark = 0xAA;

// K = (A + C + B + D - 1) mod 256; K' = 255 - K.
uint8_t CheckK(uint8_t a, uint8_t c, uint8_t b, uint8_t d);
// True when p[0..5] is a frame with a valid check pair.
bool FrameValid(const uint8_t* p);
// Sum of n bytes mod 256.
uint8_t ByteSum(const uint8_t* p, size_t n);

// Two upper-case hexadecimal digits, high digit first.
std::string ByteToHex(uint8_t value);
// ByteToHex of each of the first count bytes, concatenated.
std::string BytesToHex(const uint8_t* p, size_t count);

// Builders: write into the buffer from offset 0 and return the byte count to send.
int BuildFrame(TxBufferArray& tx, uint8_t a, uint8_t c, uint8_t b, uint8_t d);
// A = sum of the 256 data bytes at offsets 6..261 (already in place).
int CompleteBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d);
// Copies 256 data bytes to offsets 6..261 and completes the block frame.
int BuildBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d, const uint8_t* data);
// A block whose 256 data bytes all have one value.
int BuildFilledBlockFrame(TxBufferArray& tx, uint8_t c, uint8_t b, uint8_t d, uint8_t fill);
// 00 FC 00 00 K' K followed by "yymmdd" and "hhnnss" of the local time at `when`.
int BuildClockFrame(TxBufferArray& tx, std::chrono::system_clock::time_point when = std::chrono::system_clock::now());
// The PC security code block: header (sum) F2 00 00, the code's characters
// from offset 6 on, zero bytes up to offset 261.
int BuildPcCodeFrame(TxBufferArray& tx, const std::string& code);
// 256 bytes without header at offset 0.
int BuildRawBlock(TxBufferArray& tx, const uint8_t* data);
// The text's characters, one byte each, from offset 0 (the caller includes the
// ending CR, CR LF or Ctrl-Z). Texts longer than the buffer are cut.
int BuildText(TxBufferArray& tx, const std::string& text);

// Page numbers of the page read (B = low, D = high) and page write (B = high, D = low).
inline uint8_t Low(int v) { return static_cast<uint8_t>(v & 0xFF); }
inline uint8_t High(int v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }

}  // namespace morvane
