#include "config/config_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/settings_values.h"
#include "app/side_files.h"
#include "app/text_io.h"
#include "config/device_charmap.h"
#include "link/frames.h"

namespace morvane {

namespace {

std::string SystemError(const std::string& path, int err) { return path + ": " + std::strerror(err); }

FileResult Failure(std::string message) { return FileResult{false, std::move(message)}; }


// Reads up to `limit` bytes of the file. Sets `error` and returns false when
// the file cannot be opened or read.
bool ReadUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& out, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError(path, errno);
        return false;
    }
    out.assign(limit, 0);
    size_t got = 0;
    while (got < limit) {
        ssize_t n = ::read(fd, out.data() + got, limit - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = SystemError(path, errno);
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    return true;
}

}  // namespace

FileResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    int err = ReplaceFileAtomically(path, bytes.data(), bytes.size());
    if (err != 0) return Failure(SystemError(path, err));
    return {};
}

FileResult WriteFileAtomically(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// ---------------------------------------------------------------- "*.dat"

size_t ConfigFileHeadSize(int deviceType) {
    return deviceType == 'd' ? ConfigImage::kDoorRecordCount * ConfigImage::kDoorRecordSize : 1024;
}

size_t ConfigFileSize(int deviceType) {
    return ConfigFileHeadSize(deviceType) + kCustomerTextCount * kTextRecordSize + kConfigFileTailSize;
}

std::array<uint8_t, kTextRecordSize> EncodeTextRecord(const std::string& text) {
    std::array<uint8_t, kTextRecordSize> record{};
    std::string bytes = Utf8ToCp1250(text);
    size_t n = std::min(bytes.size(), kTextRecordLength);
    std::memcpy(record.data() + 1, bytes.data(), n);
    return record;
}

std::string DecodeTextRecord(const uint8_t* record) {
    const uint8_t* begin = record + 1;
    const uint8_t* end = std::find(begin, record + kTextRecordSize, uint8_t(0));
    return Cp1250ToUtf8(std::string(begin, end));
}

std::vector<uint8_t> BuildConfigFile(const ConfigImage& image, int deviceType, const CustomerTexts& texts) {
    const size_t head = ConfigFileHeadSize(deviceType);
    std::vector<uint8_t> out;
    out.reserve(ConfigFileSize(deviceType));
    out.insert(out.end(), image.Data(), image.Data() + head);
    for (const std::string& t : texts) {
        auto record = EncodeTextRecord(t);
        out.insert(out.end(), record.begin(), record.end());
    }
    const uint8_t* tail = image.Data() + kConfigFileTailStart;
    out.insert(out.end(), tail, tail + kConfigFileTailSize);
    return out;
}

FileResult SaveConfigFile(const std::string& path, const ConfigImage& image, int deviceType, CustomerTexts& texts) {
    CustomerTexts written = texts;
    for (std::string& t : written) {
        if (t.empty()) t = " ";
    }
    FileResult r = WriteFileAtomically(path, BuildConfigFile(image, deviceType, written));
    // The page shows the spaces once the file has been written.
    if (r.ok) texts = written;
    return r;
}

ConfigFileLoad LoadConfigFile(const std::string& path, ConfigImage& image, int deviceType) {
    ConfigFileLoad load;
    const size_t head = ConfigFileHeadSize(deviceType);
    const size_t fixed = head + kCustomerTextCount * kTextRecordSize;
    std::vector<uint8_t> bytes;
    if (!ReadUpTo(path, ConfigFileSize(deviceType), bytes, load.error)) return load;
    if (bytes.size() < fixed) {
        load.error = path + ": the file ends before the configuration data is complete";
        return load;
    }
    std::memcpy(image.Data(), bytes.data(), head);
    for (int j = 0; j < kCustomerTextCount; ++j) load.texts[j] = DecodeTextRecord(bytes.data() + head + j * kTextRecordSize);
    load.tailBytes = bytes.size() - fixed;
    std::memcpy(image.Data() + kConfigFileTailStart, bytes.data() + fixed, load.tailBytes);
    load.ok = true;
    return load;
}

LoadedFirmware FirmwareOfLoadedImage(const ConfigImage& image) {
    LoadedFirmware fw;
    fw.version = image[254];
    fw.build = image[252] == 255 ? 0 : image[252];
    fw.text = "Firmware: " + std::to_string(fw.version / 10) + "." + std::to_string(fw.version % 10) + "." +
              std::to_string(fw.build);
    return fw;
}

// ---------------------------------------------------------------- "custom.dat"

void OwnProfile::SetTiltas(bool ticked) {
    tiltas_ = ticked;
    Settings::SetCustomTicked(ticked);
}

FileResult OwnProfile::Save(const ConfigImage& image) const {
    std::vector<uint8_t> bytes(image.Data(), image.Data() + kCustomProfileSize);
    return WriteFileAtomically(SideFilePath(startDir_, CustomProfileFile), bytes);
}

bool OwnProfile::Activate(ConfigImage& image) {
    if (Settings::CustomTicked()) tiltas_ = true;
    if (tiltas_) return false;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadUpTo(SideFilePath(startDir_, CustomProfileFile), kCustomProfileSize, bytes, error)) return false;
    if (bytes.size() < kCustomProfileSize) return false;
    std::memcpy(image.Data(), bytes.data(), kCustomProfileSize);
    return true;
}

// ---------------------------------------------------------------- "config.php"

std::string MemoryExportText(const ConfigImage& image) {
    std::string out;
    out.reserve(kMemoryExportLength);
    for (int k = 0; k < int(ConfigImage::kConfigPages); ++k) {
        out += "dddddddd00";
        out += char('0' + k);
        out += "000#";
        out += BytesToHex(image.Data() + PageOffset(ConfigPageNumber(k)), 256);
    }
    return out;
}

FileResult ExportMemory(const std::string& startDir, const ConfigImage& image) {
    return WriteFileAtomically(SideFilePath(startDir, MemoryExportFile), MemoryExportText(image));
}

}  // namespace morvane
