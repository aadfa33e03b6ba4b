// morvane-cli: the command-line tool on the same core as the desktop program.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/launcher.h"
#include "app/poll_loop.h"
#include "app/sim_process.h"
#include "app/startup.h"
#include "cli/cli_host.h"
#include "link/serial_trace.h"

namespace {

using namespace morvane;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoDevice = 3;

const char* kUsage =
    "usage: morvane-cli [--port PATH | --sim LETTER] [--timeout SECONDS] [--trace FILE] [--start-dir DIR] detect";

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> sim;
    int timeoutSeconds = 30;
    std::optional<std::string> startDir;
    std::optional<std::string> trace;
    std::string command;
};

int Usage(const std::string& why) {
    if (!why.empty()) std::cerr << "morvane-cli: " << why << "\n";
    std::cerr << kUsage << "\n";
    return kExitUsage;
}

// Parses the command line; returns the exit status on bad usage.
std::optional<int> Parse(int argc, char** argv, Options& o) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            (void)name;
            return args[++i];
        };
        if (a == "--port" || a == "--sim" || a == "--timeout" || a == "--start-dir" || a == "--trace") {
            auto v = value(a.c_str());
            if (!v) return Usage(a + " needs a value");
            if (a == "--port") o.port = *v;
            else if (a == "--sim") o.sim = *v;
            else if (a == "--start-dir") o.startDir = *v;
            else if (a == "--trace") o.trace = *v;
            else {
                char* end = nullptr;
                long t = std::strtol(v->c_str(), &end, 10);
                if (v->empty() || *end != '\0' || t <= 0 || t > 86400) return Usage("bad --timeout: " + *v);
                o.timeoutSeconds = static_cast<int>(t);
            }
        } else if (a == "-h" || a == "--help") {
            std::cout << kUsage << "\n";
            return kExitOk;
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    if (o.port && o.sim) return Usage("--port and --sim exclude each other");
    if (o.sim && o.sim->size() != 1) return Usage("--sim takes one type letter");
    if (o.command.empty()) return Usage("no command given");
    if (o.command != "detect") return Usage("unknown command " + o.command);
    return std::nullopt;
}

int Detect(const Options& o) {
    StartupValues startup = ComputeStartupValues(o.startDir);
    SimProcess sim;
    if (o.sim) {
        if (!sim.Start({"--type", *o.sim})) {
            std::cerr << "error: " << sim.Error() << "\n";
            return kExitNoDevice;
        }
        startup.PortOverride = sim.PortPath();
    } else if (o.port) {
        startup.PortOverride = *o.port;
    }

    cli::ConsoleView view;
    cli::NoWindowShell shell;
    Configurator configurator(RegistryKey());
    LauncherEnv env;
    env.startup = startup;
    Launcher launcher(view, shell, configurator, env);
    SerialTrace trace;
    if (o.trace) {
        if (!trace.Start(*o.trace)) {
            std::cerr << "error: cannot write the trace: " << trace.Error() << "\n";
            return kExitUsage;
        }
        launcher.Port().SetTrace(&trace);
    }
    launcher.Create();
    launcher.Activate();

    const std::string portName = launcher.ChoosePortName();
    if (!launcher.Port().IsOpen()) {
        std::cerr << "error: cannot open " << portName << ": " << launcher.Port().LastErrorText() << "\n";
        return kExitNoDevice;
    }

    PollLoop loop;
    loop.AddTimer(launcher.Adas());
    loop.AddPort(launcher.Port());
    bool found = loop.RunUntil([&] { return launcher.DeviceType() != 0; },
                               std::chrono::seconds(o.timeoutSeconds));
    launcher.Port().Close();
    if (!found) {
        std::string why = launcher.Controls()["PortError"].text;
        std::cerr << "error: no device answered on " << portName << " within " << o.timeoutSeconds << " s"
                  << (why.empty() ? "" : " (" + why + ")") << "\n";
        return kExitNoDevice;
    }
    // A letter outside the device type table (or "G" without the "ALL"
    // filter) is printed with an empty product.
    int letter = launcher.DeviceType();
    std::string product;
    if (const auto& info = launcher.Detected()) {
        letter = info->configuratorType ? info->configuratorType : info->deviceType;
        product = info->productText;
    }
    std::cout << "type=" << static_cast<char>(letter) << " product=" << product << "\n";
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (auto status = Parse(argc, argv, o)) return *status;
    return Detect(o);
}
