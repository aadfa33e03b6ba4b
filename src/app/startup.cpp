#include "app/startup.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "app/settings_store.h"
#include "app/side_files.h"
#include "app/text_io.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;


std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

const std::string& RegistryKey() {
    static const std::string key = MakeRegistryKey(ProgramName);
    return key;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    static const std::string opt = "--start-dir";
    CommandLine out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == opt && i + 1 < args.size()) {
            out.startDir = args[++i];
        } else if (a.rfind(opt + "=", 0) == 0) {
            out.startDir = a.substr(opt.size() + 1);
        } else {
            out.args.push_back(a);
        }
    }
    return out;
}

std::string ResolveStartDirectory(const std::optional<std::string>& startDirOption) {
    std::string dir = EnvText("MORVANE_START_DIR");
    if (dir.empty() && startDirOption && !startDirOption->empty()) dir = *startDirOption;
    if (dir.empty()) {
        std::string data = EnvText("XDG_DATA_HOME");
        if (data.empty() || data.front() != '/') data = HomeDirectory() + "/.local/share";
        dir = data + "/morvane";
    }
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(dir), ec);
    if (!ec) dir = p.lexically_normal().string();
    fs::create_directories(dir, ec);  // a folder that cannot be made shows up as failed file operations
    return WithoutTrailingSeparator(dir);
}

int32_t DrawInstanceNumber() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<uint32_t>(now), static_cast<uint32_t>(static_cast<uint64_t>(now) >> 32),
                       static_cast<uint32_t>(steady), static_cast<uint32_t>(::getpid())};
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int32_t> dist(0, InstanceNumberLimit - 1);
    return dist(gen);
}

std::vector<std::string> MakeComPortItems() {
    std::vector<std::string> items;
    items.reserve(ComPortItemCount);
    for (int n = 1; n <= ComPortItemCount; ++n) items.push_back("COM" + std::to_string(n));
    return items;
}

StartupValues ComputeStartupValues(const std::optional<std::string>& startDirOption) {
    StartupValues v;
    v.StartDirectory = ResolveStartDirectory(startDirOption);
    v.InstanceNumber = DrawInstanceNumber();
    v.PortOverride = ReadSpecFunc(v.StartDirectory).portOverride;
    v.ComPortItems = MakeComPortItems();
    RelayChoice relay = ReadServerIp(v.StartDirectory, BuiltInRelayUrl);
    v.RelayUrl = relay.url;
    v.RelayMessage = relay.message;
    return v;
}

}  // namespace morvane
