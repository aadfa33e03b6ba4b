#include "config/config_image.h"

#include <algorithm>

namespace morvane {

namespace {

std::vector<int> Range(int first, int end, int step = 1) {
    std::vector<int> v;
    for (int i = first; i < end; i += step) v.push_back(i);
    return v;
}

TransferPhase ContactIdPhase(int txCel) { return {txCel, Range(ConfigImage::kCidFirstPage, ConfigImage::kCidEndPage)}; }

}  // namespace

ConfigImage::ConfigImage() : bytes_(kSize, 0) { WriteBusChannelDefaults(); }

void ConfigImage::Clear() { std::fill(bytes_.begin(), bytes_.end(), 0); }

void ConfigImage::WriteText(uint32_t offset, const std::string& text, size_t maxLength) {
    const size_t n = std::min(text.size(), maxLength);
    std::copy_n(text.begin(), n, bytes_.begin() + offset);
    if (n < maxLength) bytes_[offset + n] = 0xFF;
}

void ConfigImage::WriteBusChannelDefaults() {
    for (uint32_t c = 0; c < kBusChannelCount; ++c) {
        const uint32_t rec = kBusChannels + 256 * c;
        std::fill_n(bytes_.begin() + rec, 8, 22);
        WriteText(rec + 32, "Chanel Name", 32);
        for (uint32_t a = 1; a <= 8; ++a) {
            const uint32_t alarm = rec + 66 + 24 * (a - 1);
            const uint32_t back = rec + 78 + 24 * (a - 1);
            WriteText(alarm, "Alarm" + std::to_string(a), 10);
            WriteText(back, "Alarm back", 10);
            bytes_[alarm - 2] = 0;
            bytes_[back - 2] = 0;
        }
    }
}

bool ByteWriteSkipped(int index, bool resellerFlag) {
    if (index == 75 || index == 254 || index == 255) return true;
    return !resellerFlag && index >= 384 && index <= 399;
}

std::vector<TransferPhase> FullReadOrder(const TransferOptions& o) {
    std::vector<TransferPhase> phases;
    if (o.deviceType == 'd') {
        phases.push_back({103, Range(0, ConfigImage::kDoorRecordCount)});
        return phases;
    }
    if (o.deviceVersion < 73) {
        phases.push_back({100, Range(0, ConfigImage::kByteAreaSize)});
        return phases;
    }
    phases.push_back({110, Range(0, 8 * 16, 16)});
    if (!TypeIsOneOf(o.deviceType, "HIJKLNOPQ")) return phases;
    if (TypeIsOneOf(o.deviceType, "JQ") && o.contactIdOption) phases.push_back(ContactIdPhase(112));
    std::vector<int> second = Range(ConfigImage::kServerFirstPage, ConfigImage::kServerLastReadPage + 1);
    for (int p : Range(ConfigImage::kBusFirstPage, ConfigImage::kBusLastPage + 1)) second.push_back(p);
    phases.push_back({114, second});
    return phases;
}

std::vector<TransferPhase> FullWriteOrder(const TransferOptions& o) {
    std::vector<TransferPhase> phases;
    std::vector<int> second = Range(ConfigImage::kServerFirstPage, ConfigImage::kServerLastWritePage + 1);
    for (int p : Range(ConfigImage::kBusFirstPage, ConfigImage::kBusLastPage + 1)) second.push_back(p);
    if (o.deviceVersion < 73) {
        std::vector<int> addresses;
        for (int i = 0; i < int(ConfigImage::kByteAreaSize); ++i)
            if (!ByteWriteSkipped(i, o.resellerFlag)) addresses.push_back(i);
        phases.push_back({101, addresses});
        if (TypeIsOneOf(o.deviceType, "JPQ")) phases.push_back(ContactIdPhase(102));
    } else {
        std::vector<int> pages;
        for (int k = 0; k < int(ConfigImage::kConfigPages); ++k) pages.push_back(ConfigPageNumber(k));
        phases.push_back({111, pages});
        if (TypeIsOneOf(o.deviceType, "GHIKLNOQ")) {
            phases.push_back({104, second});
            if (o.deviceType == 'Q' && o.contactIdOption) phases.push_back(ContactIdPhase(102));
        } else if (o.deviceType == 'J') {
            if (o.contactIdOption) phases.push_back(ContactIdPhase(102));
            else phases.push_back({104, second});
        }
        // Other types end the page write by starting the clock setting on its own.
    }
    phases.push_back({210, {}});
    return phases;
}

}  // namespace morvane
