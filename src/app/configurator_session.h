#pragma once
// The configurator without its window: the hand-over state, the
// configuration image, the settings model and the device link, wired
// together as the window wires them. The Qt configurator and the
// command-line tool both drive one of these.
#include <functional>
#include <memory>
#include <ctime>
#include <string>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_files.h"
#include "config/config_image.h"
#include "config/number_list.h"
#include "config/page_rules.h"
#include "config/settings_codec.h"
#include "config/settings_model.h"
#include "link/link.h"

namespace morvane {

class ConfiguratorSession {
public:
    ConfiguratorSession(View& view, std::string registryKey, std::string startDirectory);
    ConfiguratorSession(const ConfiguratorSession&) = delete;
    ConfiguratorSession& operator=(const ConfiguratorSession&) = delete;

    Configurator& Form() { return form_; }
    ConfigImage& Image() { return *image_; }
    SettingsModel& Model() { return model_; }
    DeviceLink& Link() { return link_; }
    // The rules of the pages, the incoming number list page and the
    // commands they start on the link.
    PageRules& Rules() { return rules_; }
    NumberListPage& NumberList() { return numberList_; }
    DeviceLinkCommands& Commands() { return commands_; }
    const std::string& StartDirectory() const { return startDirectory_; }

    // What encoding and decoding need beside the pages, from the current
    // hand-over state and settings.
    CodecContext Context() const;

    // "Olvasás": a full read; at its end the pages are filled from the image
    // and the image is saved as a backup.
    void Read();
    // "Elküldés": the write preparation (its question goes through the
    // view), the pages into the image, then the full write ending with the
    // clock. False when the user declined.
    bool Send();

    // "Mentés fájlba" and "Megnyitás fájlból". A load takes the firmware
    // version of the file's image as the device version unless a device has
    // told its own (takeVersion false): the connected device's answer
    // decides the transfer form.
    FileResult SaveFile(const std::string& path);
    FileResult LoadFile(const std::string& path, bool takeVersion = true);
    // "Export memory": "config.php" in the start directory.
    FileResult ExportMemory();

    // Backups of full reads: <start directory>/backups, kept 365 days.
    std::string BackupDirectory() const { return startDirectory_ + "/backups"; }
    // Saves the image as a backup now; the file's path, or empty (with the
    // reason in LastBackupError()).
    std::string SaveBackup();
    const std::string& LastBackup() const { return lastBackup_; }
    const std::string& LastBackupError() const { return lastBackupError_; }
    bool BackupsEnabled = true;
    // Off: a full read leaves the image as the device sent it (decoding
    // writes texts back into the image in their PC form).
    bool DecodeAfterRead = true;

    // The six customer data texts of the pages (Edit2..Edit7).
    CustomerTexts Texts() const;
    void SetTexts(const CustomerTexts& texts);

private:
    View& view_;
    Configurator form_;
    std::unique_ptr<ConfigImage> image_;
    SettingsModel model_;
    DeviceLink link_;
    PageRules rules_;
    NumberListPage numberList_;
    DeviceLinkCommands commands_;
    std::string startDirectory_;
    std::string lastBackup_;
    std::string lastBackupError_;
};

// Removes backups older than the given number of days from the folder; the
// number removed.
int PruneBackups(const std::string& folder, int days = 365);
// The backup file name of a device: "<type>_fw<version>_<yyyymmdd-hhmmss>.dat".
std::string BackupFileName(int deviceType, int deviceVersion, std::time_t when);

}  // namespace morvane
