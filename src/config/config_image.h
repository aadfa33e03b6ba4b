#pragma once
// The configuration image: the PC's copy of the device memory, indexed by
// device address, with its regions, the page addressing of the transfers and
// the order in which full reads and writes move the regions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

class ConfigImage {
public:
    static constexpr size_t kSize = 0x400000;  // 4 MiB

    // Regions (offsets into the image).
    static constexpr uint32_t kConfigArea = 0x000000;  // 2048 bytes, 8 pages
    static constexpr uint32_t kConfigAreaSize = 0x800;
    static constexpr uint32_t kConfigPages = 8;
    static constexpr uint32_t kByteAreaSize = 0x400;    // single-byte transfers of old firmware
    static constexpr uint32_t kDoorRecords = 0x000000;  // type 'd': 256 records of 32 bytes
    static constexpr uint32_t kDoorRecordCount = 256;
    static constexpr uint32_t kDoorRecordSize = 32;
    static constexpr uint32_t kPcCodeScratch = 0x006000;  // copy of page 6 for a PC code change
    static constexpr uint32_t kPcCodeScratchCode = 0x0060C0;
    static constexpr uint32_t kCidZoneTable = 0x340000;   // 256 zone rows of 64 bytes
    static constexpr uint32_t kCidEventTable = 0x344000;  // 256 event rows of 64 bytes
    static constexpr uint32_t kServerRecords = 0x350000;  // 4 records of 256 bytes
    static constexpr uint32_t kServerExtraPage = 0x350400;
    static constexpr uint32_t kBusChannels = 0x354000;    // 16 records of 256 bytes
    static constexpr uint32_t kBusChannelCount = 16;
    static constexpr uint32_t kNumberList = 0x360000;     // 64 blocks of 4096 bytes
    static constexpr uint32_t kNumberListEnd = 0x3A0000;

    // Page numbers of the flash regions (page P covers 256*P .. 256*P+255).
    static constexpr int kCidFirstPage = 0x3400;
    static constexpr int kCidEndPage = 0x3480;  // 128 pages, both tables
    static constexpr int kServerFirstPage = 0x3500;
    static constexpr int kServerLastReadPage = 0x3503;
    static constexpr int kServerLastWritePage = 0x3504;
    static constexpr int kBusFirstPage = 0x3540;
    static constexpr int kBusLastPage = 0x354F;
    static constexpr int kNumberListFirstPage = 0x3600;
    static constexpr int kNumberListEndPage = 0x3A00;  // every 16th page below it

    // All zero except the BUS channel defaults.
    ConfigImage();

    uint8_t& operator[](size_t offset) { return bytes_[offset]; }
    uint8_t operator[](size_t offset) const { return bytes_[offset]; }
    uint8_t* Data() { return bytes_.data(); }
    const uint8_t* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }

    // Every byte := 0 (the BUS defaults are not written again).
    void Clear();
    // The defaults of the sixteen BUS channel records.
    void WriteBusChannelDefaults();
    // Stores a text field: one byte per character, 0xFF after it when it is
    // shorter than maxLength; longer texts are cut.
    void WriteText(uint32_t offset, const std::string& text, size_t maxLength);

private:
    std::vector<uint8_t> bytes_;
};

// True when the type letter is one of the letters.
inline bool TypeIsOneOf(int type, const char* letters) {
    for (const char* p = letters; *p; ++p)
        if (type == *p) return true;
    return false;
}

// Configuration-area page k (0..7) travels with page number 16*k.
inline constexpr int ConfigPageNumber(int k) { return 16 * k; }
// Image offset of a page number: the configuration area is addressed in
// 16-byte units (page numbers below 0x100), the flash regions in 256-byte pages.
inline constexpr uint32_t PageOffset(int pageNumber) {
    return pageNumber < 0x100 ? uint32_t(pageNumber) * 16u : uint32_t(pageNumber) * 256u;
}
// Image offset of row r (1-based) of the incoming number list.
inline constexpr uint32_t NumberListRowOffset(int row) {
    return ConfigImage::kNumberList + uint32_t((row - 1) / 16) * 0x1000u + uint32_t((row - 1) % 16) * 16u;
}

// One phase of a full transfer: the request state and the units it moves,
// in order. Page phases list page numbers as they travel; byte phases the
// device addresses; record phases the record numbers; the clock phase is empty.
struct TransferPhase {
    int txCel = 0;
    std::vector<int> units;
    bool operator==(const TransferPhase&) const = default;
};

struct TransferOptions {
    int deviceType = 0;         // type letter code
    int deviceVersion = 0;
    bool contactIdOption = true;  // "Contact ID tábla küldése/olvasása"
    bool resellerFlag = false;    // "company" begins with "*": bytes 384..399 are written
};

// The phases of a full read ("Olvasás").
std::vector<TransferPhase> FullReadOrder(const TransferOptions& o);
// The phases of a full write ("Elküldés"), ending with the clock setting (210).
std::vector<TransferPhase> FullWriteOrder(const TransferOptions& o);

// Single-byte writes never touch these configuration-area indexes.
bool ByteWriteSkipped(int index, bool resellerFlag);

}  // namespace morvane
