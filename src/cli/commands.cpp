#include "cli/commands.h"

#include <chrono>
#include <iostream>
#include <memory>

#include "app/configurator_session.h"
#include "app/launcher.h"
#include "app/poll_loop.h"
#include "app/settings_values.h"
#include "app/sim_process.h"
#include "app/startup.h"
#include "cli/cli_host.h"
#include "cli/settings_commands.h"
#include "link/serial_trace.h"

namespace morvane::cli {

namespace {

// Long enough for the link's own limits (30 unanswered block requests end a
// transfer with "ERROR Communication") to act first.
constexpr auto kTransferLimit = std::chrono::minutes(15);

// A device found on a port: the launcher's poll ran until it answered.
struct Detected {
    int letter = 0;           // the configurator's device type
    std::string product;
    std::string portName;     // as given to the configurator's port
};

class DeviceCommand {
public:
    explicit DeviceCommand(const Options& o) : o_(o) {}

    // Runs the launcher's poll; prints nothing. The exit status on failure.
    std::optional<int> Detect(Detected& found) {
        StartupValues startup = ComputeStartupValues(o_.startDir);
        startDirectory_ = startup.StartDirectory;
        if (o_.sim) {
            if (!sim_.Start({"--type", *o_.sim})) {
                std::cerr << "error: " << sim_.Error() << "\n";
                return kExitNoDevice;
            }
            startup.PortOverride = sim_.PortPath();
        } else if (o_.port) {
            startup.PortOverride = *o_.port;
        }
        if (o_.trace && !trace_.Start(*o_.trace)) {
            std::cerr << "error: cannot write the trace: " << trace_.Error() << "\n";
            return kExitFile;
        }

        Configurator configurator(RegistryKey());
        LauncherEnv env;
        env.startup = startup;
        Launcher launcher(view_, shell_, configurator, env);
        if (trace_.Active()) launcher.Port().SetTrace(&trace_);
        launcher.Create();
        launcher.Activate();
        found.portName = launcher.ChoosePortName();
        if (!launcher.Port().IsOpen()) {
            std::cerr << "error: cannot open " << found.portName << ": " << launcher.Port().LastErrorText() << "\n";
            return kExitNoDevice;
        }
        PollLoop loop;
        loop.AddTimer(launcher.Adas());
        loop.AddPort(launcher.Port());
        bool answered = loop.RunUntil([&] { return launcher.DeviceType() != 0; },
                                      std::chrono::seconds(o_.timeoutSeconds));
        launcher.Port().Close();
        if (!answered) {
            std::string why = launcher.Controls()["PortError"].text;
            std::cerr << "error: no device answered on " << found.portName << " within " << o_.timeoutSeconds
                      << " s" << (why.empty() ? "" : " (" + why + ")") << "\n";
            return kExitNoDevice;
        }
        // A letter outside the device type table (or "G" without the "ALL"
        // filter) is reported with an empty product.
        found.letter = launcher.DeviceType();
        if (const auto& info = launcher.Detected()) {
            found.letter = info->configuratorType ? info->configuratorType : info->deviceType;
            found.product = info->productText;
        }
        return std::nullopt;
    }

    // Hands the device over to a configurator session and reads its
    // firmware version. The exit status on failure.
    std::optional<int> Identify(const Detected& found) {
        session_ = std::make_unique<ConfiguratorSession>(view_, RegistryKey(), startDirectory_);
        PruneBackups(session_->BackupDirectory());
        Configurator& form = session_->Form();
        DeviceLink& link = session_->Link();
        form.DeviceType = found.letter;
        form.SetProductText(found.product);
        form.ModeCode = Settings::ModeCode();
        form.ConnectionType = 0;
        form.PortHandedOver = true;
        form.StartAction = Configurator::kStartNothing;
        link.PortOverride = found.portName;
        link.ReadLinkSettings();
        if (trace_.Active()) {
            link.Port().SetTrace(&trace_);
            trace_.TxCel = [&link] { return link.TxCel; };
        }
        loop_.AddTimer(link.Adas());
        loop_.AddTimer(link.PromptTimer());
        loop_.AddPort(link.Port());

        bool identified = false;
        link.OnIdentity = [&identified] { identified = true; };
        link.StartIdentity();
        if (!loop_.RunUntil([&] { return identified; }, std::chrono::seconds(o_.timeoutSeconds))) {
            std::cerr << "error: the device on " << found.portName << " did not tell its firmware version within "
                      << o_.timeoutSeconds << " s\n";
            return kExitNoDevice;
        }
        link.OnIdentity = nullptr;
        // Let the identity's own end (state 98) run out before a transfer.
        loop_.RunUntil([&] { return link.TxCel == 0; }, std::chrono::seconds(o_.timeoutSeconds));
        return std::nullopt;
    }

    // Runs a started transfer to its end; the exit status on failure.
    std::optional<int> Finish(const char* what) {
        DeviceLink& link = session_->Link();
        if (!loop_.RunUntil([&] { return link.TxCel == 0; }, kTransferLimit)) {
            std::cerr << "error: the " << what << " did not end\n";
            return kExitTransfer;
        }
        const std::string& status = session_->Form().StatusPanels[3];
        if (status == "ERROR") {
            std::cerr << "error: the " << what << " failed: ERROR Communication\n";
            return kExitTransfer;
        }
        return std::nullopt;
    }

    ConfiguratorSession& Session() { return *session_; }

private:
    const Options& o_;
    ConsoleView view_{o_.yes};
    NoWindowShell shell_;
    SimProcess sim_;
    SerialTrace trace_;
    PollLoop loop_;
    std::string startDirectory_;
    std::unique_ptr<ConfiguratorSession> session_;
};

int Detect(const Options& o) {
    DeviceCommand cmd(o);
    Detected found;
    if (auto status = cmd.Detect(found)) return *status;
    std::cout << "type=" << static_cast<char>(found.letter) << " product=" << found.product << "\n";
    return kExitOk;
}

// Connects, identifies and reads the whole configuration into the session.
std::optional<int> ReadDevice(DeviceCommand& cmd) {
    Detected found;
    if (auto status = cmd.Detect(found)) return status;
    if (auto status = cmd.Identify(found)) return status;
    cmd.Session().Read();
    return cmd.Finish("read");
}

int Read(const Options& o) {
    DeviceCommand cmd(o);
    if (auto status = ReadDevice(cmd)) return *status;
    FileResult r = cmd.Session().SaveFile(*o.out);
    if (!r.ok) {
        std::cerr << "error: " << r.error << "\n";
        return kExitFile;
    }
    if (!cmd.Session().LastBackup().empty()) std::cerr << "backup: " << cmd.Session().LastBackup() << "\n";
    return kExitOk;
}

// The bytes a full write puts into the device, compared with what the device
// holds afterwards; the first differing offset, or nullopt.
std::optional<uint32_t> FirstDifference(const ConfigImage& sent, const ConfigImage& back, const TransferOptions& t) {
    for (const TransferPhase& phase : FullWriteOrder(t)) {
        std::vector<std::pair<uint32_t, uint32_t>> ranges;  // offset, length
        switch (phase.txCel) {
            case 101:  // single bytes: device addresses
                for (int a : phase.units) ranges.push_back({uint32_t(a), 1});
                break;
            case 210:  // the clock
                break;
            default:   // pages
                for (int page : phase.units) {
                    const uint32_t off = PageOffset(page);
                    ranges.push_back({off, 256u});
                }
        }
        for (auto [off, len] : ranges)
            for (uint32_t i = off; i < off + len && i < sent.Size(); ++i) {
                // Bytes the device never takes from a write (its firmware and
                // build bytes among them) are not compared.
                if (i < ConfigImage::kByteAreaSize && ByteWriteSkipped(int(i), t.resellerFlag)) continue;
                if (sent[i] != back[i]) return i;
            }
    }
    return std::nullopt;
}

int Write(const Options& o) {
    DeviceCommand cmd(o);
    Detected found;
    if (auto status = cmd.Detect(found)) return *status;
    if (auto status = cmd.Identify(found)) return *status;
    ConfiguratorSession& s = cmd.Session();
    if (o.backup) {
        s.Read();
        if (auto status = cmd.Finish("read for the backup")) return *status;
        if (s.LastBackup().empty()) {
            std::cerr << "error: the backup was not saved: " << s.LastBackupError() << "\n";
            return kExitFile;
        }
        std::cerr << "backup: " << s.LastBackup() << "\n";
    }
    FileResult loaded = s.LoadFile(o.files[0]);
    if (!loaded.ok) {
        std::cerr << "error: " << loaded.error << "\n";
        return kExitFile;
    }
    if (!s.Send()) {
        std::cerr << "error: the write was not confirmed\n";
        return kExitRefused;
    }
    if (auto status = cmd.Finish("write")) return *status;
    if (!o.verify) return kExitOk;

    // Read the written regions back and compare.
    auto sent = std::make_unique<ConfigImage>(s.Image());
    TransferOptions t;
    t.deviceType = s.Form().DeviceType;
    t.deviceVersion = s.Form().DeviceVersion;
    t.contactIdOption = s.Link().ContactIdOptionOn();
    t.resellerFlag = s.Link().ResellerFlag;
    s.BackupsEnabled = false;
    s.DecodeAfterRead = false;
    s.Read();
    if (auto status = cmd.Finish("verify read")) return *status;
    if (auto diff = FirstDifference(*sent, s.Image(), t)) {
        std::cerr << "error: verify: the device differs from the file at offset " << *diff << " (0x" << std::hex
                  << *diff << std::dec << "): wrote " << int((*sent)[*diff]) << ", read " << int(s.Image()[*diff])
                  << "\n";
        return kExitTransfer;
    }
    std::cerr << "verify: the device holds what was written\n";
    return kExitOk;
}

int ExportMemoryCommand(const Options& o) {
    DeviceCommand cmd(o);
    std::unique_ptr<ConfiguratorSession> own;
    ConfiguratorSession* s = nullptr;
    ConsoleView view(o.yes);
    if (o.files.empty()) {
        if (auto status = ReadDevice(cmd)) return *status;
        s = &cmd.Session();
    } else {
        own = LoadSession(view, o, o.files[0]);
        if (!own) return kExitFile;
        s = own.get();
    }
    EncodeSettings(s->Model(), s->Image(), s->Context());
    FileResult r = WriteFileAtomically(*o.out, MemoryExportText(s->Image()));
    if (!r.ok) {
        std::cerr << "error: " << r.error << "\n";
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace

int RunCommand(const Options& o) {
    if (o.command == "detect") return Detect(o);
    if (o.command == "read") return Read(o);
    if (o.command == "write") return Write(o);
    if (o.command == "export-memory") return ExportMemoryCommand(o);
    if (o.command == "decode") return DecodeCommand(o);
    if (o.command == "encode") return EncodeCommand(o);
    if (o.command == "diff") return DiffCommand(o);
    return kExitUsage;
}

}  // namespace morvane::cli
