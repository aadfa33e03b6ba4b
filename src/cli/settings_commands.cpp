#include "cli/settings_commands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/startup.h"
#include "app/text_io.h"
#include "config/settings_json.h"

namespace morvane::cli {

namespace {

std::string StartDirectoryOf(const Options& o) { return ResolveStartDirectory(o.startDir); }

// A file's device type: 'd' files are longer than any other.
int FileDeviceType(const Options& o, const std::string& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (!ec && size == ConfigFileSize('d')) return 'd';
    return o.type;
}

}  // namespace

std::unique_ptr<ConfiguratorSession> LoadSession(View& view, const Options& o, const std::string& path) {
    auto s = std::make_unique<ConfiguratorSession>(view, RegistryKey(), StartDirectoryOf(o));
    s->BackupsEnabled = false;
    s->Form().DeviceType = FileDeviceType(o, path);
    FileResult r = s->LoadFile(path);
    if (!r.ok) {
        std::cerr << "error: " << r.error << "\n";
        return nullptr;
    }
    return s;
}

int DecodeCommand(const Options& o) {
    ConsoleView view(o.yes);
    auto s = LoadSession(view, o, o.files[0]);
    if (!s) return kExitFile;
    std::cout << SettingsToJsonText(s->Model()) << "\n";
    return kExitOk;
}

int EncodeCommand(const Options& o) {
    const std::string& path = o.files[0];
    auto text = ReadWholeFile(path);
    if (!text) {
        std::cerr << "error: " << path << ": " << std::strerror(errno) << "\n";
        return kExitFile;
    }
    ConsoleView view(o.yes);
    std::unique_ptr<ConfiguratorSession> session;
    if (o.base) {
        // Bytes that no setting covers keep the values of the base file.
        session = LoadSession(view, o, *o.base);
        if (!session) return kExitFile;
    } else {
        session = std::make_unique<ConfiguratorSession>(view, RegistryKey(), StartDirectoryOf(o));
        session->BackupsEnabled = false;
        session->Form().DeviceType = o.type;
        session->Form().DeviceVersion = o.version;
        // The file records the firmware the settings were made for.
        session->Image()[254] = uint8_t(o.version);
    }
    ConfiguratorSession& s = *session;
    try {
        s.Model() = SettingsFromJsonText(*text, s.Form().DeviceType);
    } catch (const SettingsJsonError& e) {
        for (const std::string& p : e.Problems()) std::cerr << "error: " << path << ": " << p << "\n";
        return kExitFile;
    }
    FileResult r = s.SaveFile(*o.out);
    if (!r.ok) {
        std::cerr << "error: " << r.error << "\n";
        return kExitFile;
    }
    return kExitOk;
}

int DiffCommand(const Options& o) {
    ConsoleView view(o.yes);
    auto a = LoadSession(view, o, o.files[0]);
    if (!a) return kExitFile;
    auto b = LoadSession(view, o, o.files[1]);
    if (!b) return kExitFile;
    const auto ja = SettingsToJson(a->Model());
    const auto jb = SettingsToJson(b->Model());
    int differences = 0;
    for (auto page = ja.begin(); page != ja.end(); ++page) {
        const auto other = jb.find(page.key());
        for (auto field = page.value().begin(); field != page.value().end(); ++field) {
            const nlohmann::ordered_json* value = nullptr;
            if (other != jb.end() && other->contains(field.key())) value = &(*other)[field.key()];
            if (value && *value == field.value()) continue;
            ++differences;
            std::cout << page.key() << " / " << field.key() << ": " << field.value().dump() << " -> "
                      << (value ? value->dump() : std::string("(none)")) << "\n";
        }
    }
    return differences ? kExitDiffer : kExitOk;
}

}  // namespace morvane::cli
