#pragma once
// Byte map of the configuration image: every field of the 2048-byte
// configuration area, the record layouts of the channels, outputs, power
// profiles, server records, BUS channel records and incoming number list,
// and the declarative field table that drives the plain copies between the
// settings model and the image in both directions.
#include <cstdint>
#include <string>
#include <vector>

#include "config/config_image.h"

namespace morvane {
namespace mm {

// ---- Configuration area -----------------------------------------------------
constexpr uint32_t kSmsCode = 0;            // 4 digit characters
constexpr uint32_t kChannels = 8;           // 12 ChannelRecords of 4 bytes
constexpr int kChannelCount = 12;
constexpr uint32_t kClearFrom = 24;         // bytes 24..63 := 0 before the records are filled
constexpr uint32_t kClearEnd = 64;
constexpr uint32_t kHeartbeatDays = 70;
constexpr uint32_t kHeartbeatHour = 71;     // two digit characters
constexpr uint32_t kHeartbeatFirst = 73;    // days until the first heartbeat + 1
constexpr uint32_t kHeartbeatMask = 74;
constexpr uint32_t kDedicated75 = 75;       // set only by dedicated requests
constexpr uint32_t kOptions = 76;
constexpr uint32_t kForwarding = 77;        // 0..7 phone number, 255 off
constexpr uint32_t kRingTime = 78;
constexpr uint32_t kCallRepeat = 79;
constexpr uint32_t kInputFilter = 80;
constexpr uint32_t kGpsOptions = 81;
constexpr uint32_t kTempMax = 82;           // always 255
constexpr uint32_t kTempMin = 83;           // always 255
constexpr uint32_t kSpeedLimit = 85;
constexpr uint32_t kLiftValue = 86;
constexpr uint32_t kLteDisable = 87;
constexpr uint32_t kTestReport = 92;        // BE16, copy at 107
constexpr uint32_t kPstnRxGain = 94;
constexpr uint32_t kPstnTxGain = 95;
constexpr uint32_t kDtmfRxGain = 96;
constexpr uint32_t kDtmfTxGain = 97;
constexpr uint32_t kEntryDelay = 98;
constexpr uint32_t kExitDelay = 99;
constexpr uint32_t kExpansionPanel = 100;
constexpr uint32_t kPanelOptions = 101;
constexpr uint32_t kTxLevel = 102;
constexpr uint32_t kRxLevel = 103;
constexpr uint32_t kStationCycle = 104;     // BE16
constexpr uint32_t kLineSimMode = 106;
constexpr uint32_t kTestReportCopy = 107;   // BE16
constexpr uint32_t kLineVoltage = 109;
constexpr uint32_t kJammerOutputs = 110;
constexpr uint32_t kDoorMicLevel = 111;
constexpr uint32_t kDoorSpeakerLevel = 112;
constexpr uint32_t kTalkTime = 113;
constexpr uint32_t kAlarmVoltage = 114;
constexpr uint32_t kNightBlock = 115;       // 255 on, 0 off
constexpr uint32_t kNightStart = 116;
constexpr uint32_t kNightEnd = 117;
constexpr uint32_t kOpenMask = 118;
constexpr uint32_t kCloseMask = 119;
constexpr uint32_t kAutoOpen = 120;         // 128 + hour, 0 off
constexpr uint32_t kAutoClose = 121;
constexpr uint32_t kOptions2 = 122;
constexpr uint32_t kGpsOptions2 = 130;
constexpr uint32_t kGpsStamp = 131;         // LE16, seconds - 1
constexpr uint32_t kSmsDailyLimit = 133;    // 255 no limit
constexpr uint32_t kSmsMaxAttempts = 134;
constexpr uint32_t kOutputExtended = 136;   // 136 + n - 1 for OUTn
constexpr uint32_t kBusSetPoints = 140;     // 16 bytes
constexpr uint32_t kGprsInterval = 156;     // LE16
constexpr uint32_t kGpsDistance = 158;      // LE16
constexpr uint32_t kDoorLed = 161;          // red, green, blue
constexpr uint32_t kCallGap = 170;
constexpr uint32_t kRoundCallGap = 171;
constexpr uint32_t kCloudApn = 183;         // text 32
constexpr uint32_t kCloudPassword = 215;    // text 16
constexpr uint32_t kTypeKMarker = 251;      // 1 for device type 'K'
constexpr uint32_t kFirmwareBuild = 252;
constexpr uint32_t kFirmwareVersion = 254;
constexpr uint32_t kPhoneNumbers = 256;     // 8 x 16 characters
constexpr uint32_t kPhoneNumberSize = 16;
constexpr uint32_t kBrandName = 384;        // 16 bytes
constexpr uint32_t kBrandNameSize = 16;
constexpr uint32_t kTransportCommand = 400; // "UDP", address, port
constexpr uint32_t kTransportAddress = 407; // at most 45 characters
constexpr size_t kTransportAddressMax = 45;
constexpr uint32_t kSmsTexts = 512;         // 32 bytes each
constexpr uint32_t kSmsTextSize = 32;
constexpr uint32_t kSpeedText = 640;
constexpr uint32_t kHostCommand = 640;      // quote, host, tail; written after the speed text
constexpr uint32_t kHostName = 641;
constexpr size_t kHostNameMax = 63;
constexpr uint32_t kLiftText = 672;
constexpr uint32_t kCidBlock = 1024;        // 256 bytes
constexpr uint32_t kStation1 = 1248;        // 16 bytes each
constexpr uint32_t kStation2 = 1264;
constexpr uint32_t kSmsHeader = 1280;
constexpr size_t kSmsHeaderMax = 127;
constexpr uint32_t kTimeZones = 1408;       // 3 x 4 bytes
constexpr uint32_t kCustomerData = 1536;    // 7 x 32 bytes, the last is the PC code
constexpr uint32_t kPcCode = 1728;
constexpr uint32_t kPowerProfiles = 1792;   // 16 x 16 bytes
constexpr int kPowerProfileCount = 16;

// The fixed start of the transport endpoint command and the tails of both
// endpoint commands.
inline const std::vector<uint8_t> kTransportHead = {0x22, 0x55, 0x44, 0x50, 0x22, 0x2C, 0x22};
inline const std::vector<uint8_t> kTransportTail = {0x22, 0x2C, 0x22, 0x35, 0x33, 0x35, 0x30, 0x30, 0x22, 0xFF};
inline const std::vector<uint8_t> kHostTail = {0x22, 0x2C, 0x22, 0x22, 0x2C, 0x22, 0x22, 0xFF};

// ---- ChannelRecord ----------------------------------------------------------
// Byte 0: input type (bits 0-6), bit 7 normally open; 1: SMS mask; 2: call
// mask; 3: ChannelFlags.
constexpr uint32_t ChannelOffset(int k) { return kChannels + 4 * uint32_t(k); }
enum Channel : int {
    kInput1 = 0, kInput2 = 1, kInput3 = 2, kInput4 = 3, kSpeed = 4, kLift = 5,
    kTamper = 8, kPower = 9, kTemperature = 10, kJammer = 11,
};
enum ChannelFlags : uint8_t {
    kFlagRestore = 0x01,    // "Visszaállásról is SMS/hívás"
    kFlagSiren = 0x04,      // "Szirénahang"
    kFlagVoice = 0x08,      // "Hangüzenet küldése"
    kFlagStation = 0x10,    // "Távfelügyelet értesítés"
    kFlagNoAnswer = 0x20,   // "Híváskor nem kell felvenni!"
    kFlagDtmfAck = 0x40,    // "DTMF nyugtázás híváskor"
};
constexpr uint8_t kNormallyOpen = 0x80;

// ---- Output records -------------------------------------------------------
// n = 1..4: mode byte, BE16 pulse time after it, extended byte at 136 + n - 1.
constexpr uint32_t OutputModeOffset(int n) { return n == 1 ? 64 : n == 2 ? 67 : n == 3 ? 124 : 127; }
constexpr uint32_t OutputTimeOffset(int n) { return OutputModeOffset(n) + 1; }
constexpr uint32_t OutputExtendedOffset(int n) { return kOutputExtended + uint32_t(n) - 1; }
enum OutputMode : uint8_t {
    kModeBistable = 0x01,      // type "Kétállapotú (BI)"
    kModeOnAlarm = 0x02,       // "Riasztáskor vezérlés"
    kModeOnCall = 0x04,        // "Bejövő híváskor vezérlés"
    kModeNoCallerId = 0x08,    // "Hivószámazonosítással vezérlés" NOT ticked
    kModeArmedState = 0x10,    // type "Élesítés a kimeneten"
    kModeSmsOnChange = 0x20,   // OUT1 only: "SMS sending, output change"
};
constexpr uint8_t kExtendedNone = 255;

// ---- Phone numbers, Contact ID block, time zones ----------------------------
constexpr uint32_t PhoneOffset(int n) { return kPhoneNumbers + kPhoneNumberSize * uint32_t(n - 1); }
constexpr uint32_t TimeZoneOffset(int z) { return kTimeZones + 4 * uint32_t(z - 1); }
constexpr uint32_t CidSlotOffset(int slot) { return kCidBlock + 16 + 8 * uint32_t(slot); }

// ---- PowerProfile (16 bytes) ------------------------------------------------
constexpr uint32_t PowerProfileOffset(int p) { return kPowerProfiles + 16 * uint32_t(p); }
enum PowerProfileByte : uint32_t {
    kPpGpsMode = 0, kPpGsmMode = 1, kPpGpsPeriod = 2, kPpGpsFixWait = 3, kPpGsmPeriod = 4, kPpMotion = 5,
    kPpGprsInterval = 6, kPpLogInterval = 8, kPpDistance = 10, kPpHeading = 11, kPpSpeedChange = 12, kPpGsmOff = 13,
};

// ---- ServerRecord (256 bytes, s = 0..3) ---------------------------------------
constexpr uint32_t ServerOffset(int s) { return ConfigImage::kServerRecords + 256 * uint32_t(s); }
enum ServerField : uint32_t {
    kSrvApn = 0x00, kSrvUser = 0x40, kSrvPassword = 0x60, kSrvDns1 = 0x80, kSrvDns2 = 0x90, kSrvKey = 0xA0,
    kSrvAddress = 0xB0, kSrvPort = 0xF0, kSrvProtocol = 0xF5, kSrvTcp = 0xF6, kSrvLan = 0xF7, kSrvGprs = 0xF8,
};

// ---- BusChannelRecord (256 bytes, c = 1..16) ----------------------------------
constexpr uint32_t BusChannelOffset(int c) { return ConfigImage::kBusChannels + 256 * uint32_t(c - 1); }
constexpr uint32_t kBusThresholds = 0;      // 8 bytes, alarm 1..8
constexpr uint32_t kBusName = 32;           // text 32
constexpr uint32_t BusAlarmMaskOffset(int a) { return 64 + 24 * uint32_t(a - 1); }
constexpr uint32_t BusAlarmTextOffset(int a) { return 66 + 24 * uint32_t(a - 1); }   // text 10
constexpr uint32_t BusBackMaskOffset(int a) { return 76 + 24 * uint32_t(a - 1); }
constexpr uint32_t BusBackTextOffset(int a) { return 78 + 24 * uint32_t(a - 1); }    // text 10

// ---- NumberListRecord (16 bytes, row r = 1..1000) -----------------------------
// Bytes 0..13 the number (at most 13 characters, 0xFF after it), byte 14 the
// control rights (bits 0-6), byte 15 the time zone (bits 0-1 the zone, bit 2
// "IN4 Everytime Disabled", bit 3 "IN3 Everytime Enabled").
constexpr uint32_t kNumberListNumberMax = 13;
constexpr uint32_t kNumberListRights = 14;
constexpr uint32_t kNumberListZone = 15;

// ---- Numbers in the image ---------------------------------------------------
inline uint16_t ReadBE16(const ConfigImage& img, uint32_t off) { return uint16_t(img[off] << 8 | img[off + 1]); }
inline uint16_t ReadLE16(const ConfigImage& img, uint32_t off) { return uint16_t(img[off] | img[off + 1] << 8); }
inline void WriteBE16(ConfigImage& img, uint32_t off, unsigned v) {
    img[off] = uint8_t(v >> 8);
    img[off + 1] = uint8_t(v);
}
inline void WriteLE16(ConfigImage& img, uint32_t off, unsigned v) {
    img[off] = uint8_t(v);
    img[off + 1] = uint8_t(v >> 8);
}

// ---- The declarative field table ------------------------------------------------

enum class Coding : uint8_t {
    kByte,        // unsigned byte of an integer control (value mod 256)
    kIndex,       // a choice index as a byte
    kIndex7,      // a choice index in bits 0-6 (channel input type)
    kBE16,        // integer, high byte first
    kLE16,        // integer, low byte first
    kBit,         // one bit (arg) of a byte built from zero: a ticked box, or a choice at index 1
    kBitNot,      // one bit (arg) set when the box is NOT ticked
    kFlag,        // the whole byte: arg when ticked, 0 otherwise
    kMask,        // recipient list: bit i = item i
    kText,        // text of the field's width with the device character map; empty field reads ""
    kTextCustomer,// as kText; a field starting with 0 or 0xFF reads ""
    kTextMax,     // text with an explicit maximum (the field's width)
    kSpecial,     // a rule of the codec (documented here, converted in code)
    kFixed,       // constant bytes set by the codec
};

struct FieldDef {
    uint32_t offset;
    uint16_t width;
    Coding coding;
    uint8_t arg;          // bit number, or the "on" value of kFlag
    std::string control;  // model key of the control (empty for fixed bytes)
};

// Every field of the configuration area that the codec writes or reads, in
// offset order (several entries share a byte where it holds bits).
const std::vector<FieldDef>& ConfigAreaFields();
// The fields of the four server records (offsets into the image).
const std::vector<FieldDef>& ServerRecordFields();

// Model key of control n of power profile p ("ENERGIA0p2").
std::string PowerProfileControl(int p, int n);

}  // namespace mm
}  // namespace morvane
