#include "app/configurator_session.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/settings_values.h"
#include "cid/cid_defaults.h"
#include "app/startup.h"

namespace morvane {

namespace {

const char* const kTextEdits[kCustomerTextCount] = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};

}  // namespace

ConfiguratorSession::ConfiguratorSession(View& view, std::string registryKey, std::string startDirectory)
    : view_(view),
      form_(std::move(registryKey)),
      image_(std::make_unique<ConfigImage>()),
      link_(form_, *image_, view),
      rules_(form_, model_, view),
      numberList_(form_, *image_, view),
      commands_(link_),
      startDirectory_(std::move(startDirectory)) {
    AttachNumberList(link_, numberList_);
    link_.OnReadFinished = [this] {
        ConfigImage& image = *image_;
        if (BackupsEnabled && !DecodeAfterRead) SaveBackup();
        if (!DecodeAfterRead) return;
        DecodeSettings(image, model_, Context());
        rules_.ApplyAll();
        if (!model_.FirmwareInfo.text.empty()) form_.StatusPanels[2] = model_.FirmwareInfo.text;
        if (BackupsEnabled) SaveBackup();
    };
    link_.OnBeforeWrite = [this] { EncodeSettings(model_, *image_, Context()); };
    // Start with the default configuration: the default code table and zones.
    link_.OnLoadDefaultTables = [this] {
        const std::string language = form_.LanguageCode.empty() ? "1" : form_.LanguageCode;
        LoadDefaultEventTable(model_.Cid, language);
        LoadDefaultZoneTemplate(model_.Cid, language);
    };
}

CodecContext ConfiguratorSession::Context() const {
    const CompanyInfo company = ParseCompany(Settings::Raw(setting::Company), ProductNames[0]);
    return MakeCodecContext(form_, company, Settings::ConfirmOff());
}

void ConfiguratorSession::Read() { link_.StartRead(); }

bool ConfiguratorSession::Send() {
    std::string status;
    if (!PrepareFullWrite(model_, Context(), view_, &status)) return false;
    link_.StartWrite();
    return true;
}

CustomerTexts ConfiguratorSession::Texts() const {
    CustomerTexts texts;
    for (int i = 0; i < kCustomerTextCount; ++i) texts[size_t(i)] = model_.Text(kTextEdits[i]);
    return texts;
}

void ConfiguratorSession::SetTexts(const CustomerTexts& texts) {
    for (int i = 0; i < kCustomerTextCount; ++i) model_.SetText(kTextEdits[i], texts[size_t(i)]);
}

FileResult ConfiguratorSession::SaveFile(const std::string& path) {
    EncodeSettings(model_, *image_, Context());
    CustomerTexts texts = Texts();
    FileResult r = SaveConfigFile(path, *image_, form_.DeviceType, texts);
    if (r.ok) SetTexts(texts);
    return r;
}

FileResult ConfiguratorSession::LoadFile(const std::string& path, bool takeVersion) {
    ConfigFileLoad load = LoadConfigFile(path, *image_, form_.DeviceType);
    if (!load.ok) return {false, load.error};
    const LoadedFirmware firmware = FirmwareOfLoadedImage(*image_);
    if (takeVersion) form_.DeviceVersion = firmware.version;
    form_.StatusPanels[2] = firmware.text;
    DecodeSettings(*image_, model_, Context());
    rules_.ApplyAll();
    // The texts of the file's records are those the pages show.
    SetTexts(load.texts);
    return {};
}

FileResult ConfiguratorSession::ExportMemory() {
    EncodeSettings(model_, *image_, Context());
    return morvane::ExportMemory(startDirectory_, *image_);
}

std::string BackupFileName(int deviceType, int deviceVersion, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string type = deviceType > 32 && deviceType < 127 && deviceType != '/' && deviceType != '\\'
                           ? std::string(1, char(deviceType))
                           : std::to_string(deviceType);
    return type + "_fw" + std::to_string(deviceVersion) + "_" + stamp + ".dat";
}

std::string ConfiguratorSession::SaveBackup() {
    lastBackup_.clear();
    lastBackupError_.clear();
    std::error_code ec;
    std::filesystem::create_directories(BackupDirectory(), ec);
    if (ec) {
        lastBackupError_ = BackupDirectory() + ": " + ec.message();
        return {};
    }
    std::string path = BackupDirectory() + "/" +
                       BackupFileName(form_.DeviceType, form_.DeviceVersion, std::time(nullptr));
    CustomerTexts texts = Texts();
    FileResult r = SaveConfigFile(path, *image_, form_.DeviceType, texts);
    if (!r.ok) {
        lastBackupError_ = r.error;
        return {};
    }
    lastBackup_ = path;
    return path;
}

int PruneBackups(const std::string& folder, int days) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    const auto limit = fs::file_time_type::clock::now() - std::chrono::hours(24) * days;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".dat" || !it->is_regular_file(ec)) continue;
        auto t = fs::last_write_time(p, ec);
        if (!ec && t < limit && fs::remove(p, ec)) ++removed;
    }
    return removed;
}

}  // namespace morvane
