// morvane: the configuration and service program.
//
//   morvane [--sim LETTER] [--start-dir DIR] [ADMIN|OSTREL]
//   morvane --screenshot DIR [--type LETTER] [--version N]
//
// --sim starts the simulated device program with that type letter and polls
// its pseudo-terminal instead of a serial port. --screenshot renders the
// launcher and every page of the configurator shaped for a device type to PNG
// files in DIR and exits.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/launcher.h"
#include "app/sim_process.h"
#include "app/startup.h"
#include "app/ui/program.h"
#include "config/ui/screenshots.h"

namespace {

void Usage() {
    std::fputs(
        "usage: morvane [--sim LETTER] [--start-dir DIR] [ADMIN|OSTREL]\n"
        "       morvane --screenshot DIR [--type LETTER] [--version N]\n"
        "  --sim LETTER     run against a simulated device of that type (H, N, Q, K, ...)\n"
        "  --screenshot DIR write PNG images of the launcher and every configurator page\n"
        "                   for the device type (default H) and firmware version\n"
        "                   (default 93, meaning 9.3) into DIR, then exit\n"
        "  --start-dir DIR  folder of the side files and the program's output files\n"
        "  ADMIN            advanced mode\n"
        "  OSTREL           accept every device model\n",
        stdout);
}

// SIGTERM and SIGINT end the event loop like the exit button, so the port is
// closed and the simulated device stopped on the way out.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

void QuitOnSignals(QObject* owner) {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char buf[16];
        while (::read(gSignalPipe[0], buf, sizeof buf) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // Screen images are rendered off the screen.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 || std::strncmp(argv[i], "--screenshot=", 13) == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromStdString(morvane::ProgramName));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The launcher decides when the program ends (it stays the main window
    // while hidden).
    QApplication::setQuitOnLastWindowClosed(false);
    QuitOnSignals(&app);

    // Qt has taken its own options out of the list.
    std::vector<std::string> args;
    std::string simType;
    std::string shotDir;
    std::string shotType = "H";
    std::string shotVersion = "93";
    const QStringList qargs = QApplication::arguments();
    for (int i = 1; i < qargs.size(); ++i) {
        const std::string a = qargs[i].toStdString();
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        }
        // Options with a value: --name VALUE or --name=VALUE.
        bool taken = false;
        for (auto [name, target] : {std::pair<const char*, std::string*>{"--screenshot", &shotDir},
                                    {"--type", &shotType}, {"--version", &shotVersion}}) {
            const std::string n = name;
            if (a == n) {
                if (i + 1 >= qargs.size()) {
                    std::fprintf(stderr, "morvane: %s needs a value\n", name);
                    return 2;
                }
                *target = qargs[++i].toStdString();
                taken = true;
            } else if (a.rfind(n + "=", 0) == 0) {
                *target = a.substr(n.size() + 1);
                taken = true;
            }
        }
        if (taken) continue;
        if (a == "--sim") {
            if (i + 1 >= qargs.size()) {
                std::fputs("morvane: --sim needs a type letter\n", stderr);
                return 2;
            }
            simType = qargs[++i].toStdString();
        } else if (a.rfind("--sim=", 0) == 0) {
            simType = a.substr(6);
        } else {
            args.push_back(a);
        }
    }
    if (!simType.empty() && simType.size() != 1) {
        std::fputs("morvane: --sim takes one type letter\n", stderr);
        return 2;
    }

    if (!shotDir.empty()) {
        char* end = nullptr;
        const long version = std::strtol(shotVersion.c_str(), &end, 10);
        if (shotType.size() != 1 || shotVersion.empty() || *end != '\0' || version < 0 || version > 255) {
            std::fputs("morvane: --type takes one letter, --version a number 0..255\n", stderr);
            return 2;
        }
        const morvane::CommandLine shotCl = morvane::ParseCommandLine(args);
        morvane::LauncherEnv shotEnv;
        shotEnv.args = shotCl.args;
        shotEnv.startup = morvane::ComputeStartupValues(shotCl.startDir);
        morvane::Program program(std::move(shotEnv));
        const morvane::ScreenshotResult shots =
            morvane::WriteScreenshots(program, shotDir, static_cast<unsigned char>(shotType[0]), int(version));
        for (const std::string& f : shots.files) std::printf("%s\n", f.c_str());
        if (!shots.error.empty()) {
            std::fprintf(stderr, "morvane: %s\n", shots.error.c_str());
            return 1;
        }
        return 0;
    }

    const morvane::CommandLine cl = morvane::ParseCommandLine(args);
    morvane::LauncherEnv env;
    env.args = cl.args;
    env.startup = morvane::ComputeStartupValues(cl.startDir);

    morvane::SimProcess sim;
    if (!simType.empty()) {
        if (!sim.Start({"--type", simType})) {
            QMessageBox::critical(nullptr, QString::fromStdString(morvane::ProgramName),
                                  QString::fromStdString(sim.Error()));
            return 1;
        }
        env.startup.PortOverride = sim.PortPath();
    }

    int rc = 0;
    {
        morvane::Program program(std::move(env));
        program.Start();
        rc = QApplication::exec();
    }
    sim.Stop();
    return rc;
}
