// morvane-devsim: a simulated device on a pseudo-terminal.
//
// Prints the path of the pseudo-terminal to open as the first line of its
// output and serves until SIGTERM or SIGINT (or --exit-after). SIGUSR1 writes
// the memory to the --save file. With --exit-with-parent it also stops when
// the program that started it ends.
#include "devsim/devsim.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace morvane::devsim;

namespace {

void Usage(FILE* f) {
    std::fputs(
        "usage: morvane-devsim [options]\n"
        "  --type LETTER      type letter the device reports (default H)\n"
        "  --type-code N      type as a number (0..255)\n"
        "  --version N        firmware number (default 93, meaning 9.3)\n"
        "  --pc-code CODE     locked until this PC security code arrives\n"
        "  --memory FILE      raw memory image to start from (a short file fills the start)\n"
        "  --save FILE        write the memory there at exit and on SIGUSR1\n"
        "  --log FILE         one line per request: time, name, bytes\n"
        "  --no-sample        no sample log records, signal history or bus modules\n"
        "  --baud N           pace replies at N bits per second (10 bits per byte)\n"
        "  --seed N           seed of the fault injection (default: random, printed)\n"
        "  --drop P           leave that fraction of requests unanswered\n"
        "  --corrupt P        damage the check byte of that fraction of replies\n"
        "  --stray P          put stray bytes before that fraction of replies\n"
        "  --fragment         split replies into pieces with small gaps\n"
        "  --silent           answer nothing\n"
        "  --exit-after S     stop after S seconds\n"
        "  --exit-with-parent stop when the program that started this one ends\n",
        f);
}

bool Number(const char* text, double lo, double hi, double* out) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (!end || *end || end == text || v < lo || v > hi) return false;
    *out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string memoryFile, saveFile, logFile;
    int baud = 0;
    double exitAfter = 0;
    bool seeded = false;
    bool exitWithParent = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "devsim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&](double lo, double hi) {
            const char* v = value();
            double d = 0;
            if (!Number(v, lo, hi, &d)) {
                std::fprintf(stderr, "devsim: bad value for %s: %s\n", arg.c_str(), v);
                std::exit(2);
            }
            return d;
        };
        if (arg == "--type") {
            const char* v = value();
            if (std::strlen(v) != 1) {
                std::fprintf(stderr, "devsim: --type takes one character (use --type-code for a number)\n");
                return 2;
            }
            options.typeCode = static_cast<unsigned char>(v[0]);
        } else if (arg == "--type-code") {
            options.typeCode = static_cast<int>(number(0, 255));
        } else if (arg == "--version") {
            options.version = static_cast<int>(number(0, 255));
        } else if (arg == "--pc-code") {
            options.pcCode = value();
        } else if (arg == "--memory") {
            memoryFile = value();
        } else if (arg == "--save") {
            saveFile = value();
        } else if (arg == "--log") {
            logFile = value();
        } else if (arg == "--no-sample") {
            options.sampleData = false;
        } else if (arg == "--baud") {
            baud = static_cast<int>(number(1, 10000000));
        } else if (arg == "--seed") {
            const char* v = value();
            char* end = nullptr;
            errno = 0;
            options.seed = std::strtoull(v, &end, 10);
            if (!*v || *end || errno || *v == '-') {
                std::fprintf(stderr, "devsim: bad value for --seed: %s\n", v);
                return 2;
            }
            seeded = true;
        } else if (arg == "--drop") {
            options.drop = number(0, 1);
        } else if (arg == "--corrupt") {
            options.corrupt = number(0, 1);
        } else if (arg == "--stray") {
            options.stray = number(0, 1);
        } else if (arg == "--fragment") {
            options.fragment = true;
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (arg == "--exit-after") {
            exitAfter = number(0, 1e9);
        } else if (arg == "--exit-with-parent") {
            exitWithParent = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "devsim: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (!seeded) options.seed = std::random_device{}() & 0xFFFFFFFFu;
    std::fprintf(stderr, "devsim: seed %llu\n", static_cast<unsigned long long>(options.seed));

    DeviceModel model(options);
    if (!memoryFile.empty()) {
        std::string error;
        if (!model.Load(memoryFile, &error)) {
            std::fprintf(stderr, "devsim: %s\n", error.c_str());
            return 1;
        }
    }
    FILE* log = nullptr;
    if (!logFile.empty()) {
        log = std::fopen(logFile.c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "devsim: cannot open %s\n", logFile.c_str());
            return 1;
        }
        model.SetLogSink([log](const RequestLogEntry& e) {
            std::fprintf(log, "%.3f\t%s\t%s\n", e.seconds, e.name.c_str(), Hex(e.bytes).c_str());
            std::fflush(log);
        });
    }

    // Signals are taken synchronously by this thread; block them before the
    // serving thread starts so it inherits the mask.
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);

    PtyDevice device(model, baud);
    std::string error;
    if (!device.Start(&error)) {
        std::fprintf(stderr, "devsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", device.SlavePath().c_str());
    std::fflush(stdout);

    auto save = [&] {
        if (saveFile.empty()) return;
        auto lock = device.Lock();
        std::string err;
        if (!model.Save(saveFile, &err)) std::fprintf(stderr, "devsim: %s\n", err.c_str());
    };
    auto start = std::chrono::steady_clock::now();
    const pid_t parent = getppid();
    for (;;) {
        timespec wait{0, 200 * 1000 * 1000};
        int sig = sigtimedwait(&set, nullptr, &wait);
        if (sig == SIGUSR1) {
            save();
            continue;
        }
        if (sig == SIGINT || sig == SIGTERM || sig == SIGHUP) break;
        if (exitWithParent && getppid() != parent) break;  // the program that started us is gone
        if (exitAfter > 0 && std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= exitAfter)
            break;
    }
    device.Stop();
    save();
    if (log) std::fclose(log);
    return 0;
}
