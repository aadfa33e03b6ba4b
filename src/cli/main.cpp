// morvane-cli: the command-line tool on the same core as the desktop program.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

using namespace morvane::cli;

const char* kUsage =
    "usage: morvane-cli [--port PATH | --sim LETTER] [--timeout SECONDS] [--trace FILE] [--start-dir DIR]\n"
    "                   [--type LETTER] [--version N] [--yes] COMMAND ...\n"
    "commands:\n"
    "  detect                              name the device on the port\n"
    "  read --out FILE.dat                 read the configuration into a file\n"
    "  write FILE.dat [--verify] [--backup] write a file's configuration into the device\n"
    "  decode FILE.dat                     the settings as JSON on standard output\n"
    "  encode FILE.json --out FILE.dat [--base A.dat]\n"
    "                                      a configuration file from JSON settings (over A's image)\n"
    "  diff A.dat B.dat                    the settings that differ\n"
    "  export-memory [FILE.dat] --out FILE the configuration area as \"config.php\" text";

int Usage(const std::string& why) {
    if (!why.empty()) std::cerr << "morvane-cli: " << why << "\n";
    std::cerr << kUsage << "\n";
    return kExitUsage;
}

bool NeedsValue(const std::string& a) {
    return a == "--port" || a == "--sim" || a == "--timeout" || a == "--start-dir" || a == "--trace" ||
           a == "--out" || a == "--type" || a == "--version" || a == "--base";
}

// Parses the command line; returns the exit status on bad usage or help.
std::optional<int> Parse(int argc, char** argv, Options& o) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (NeedsValue(a)) {
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string v = args[++i];
            if (a == "--port") o.port = v;
            else if (a == "--sim") o.sim = v;
            else if (a == "--start-dir") o.startDir = v;
            else if (a == "--trace") o.trace = v;
            else if (a == "--out") o.out = v;
            else if (a == "--base") o.base = v;
            else if (a == "--type") {
                if (v.size() != 1) return Usage("--type takes one type letter");
                o.type = v[0];
            } else if (a == "--version") {
                char* end = nullptr;
                long n = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || n < 0 || n > 255) return Usage("bad --version: " + v);
                o.version = static_cast<int>(n);
            } else if (a == "--timeout") {
                char* end = nullptr;
                long t = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || t <= 0 || t > 86400) return Usage("bad --timeout: " + v);
                o.timeoutSeconds = static_cast<int>(t);
            }
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (a == "--verify") {
            o.verify = true;
        } else if (a == "--backup") {
            o.backup = true;
        } else if (a == "-h" || a == "--help") {
            std::cout << kUsage << "\n";
            return kExitOk;
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.port && o.sim) return Usage("--port and --sim exclude each other");
    if (o.sim && o.sim->size() != 1) return Usage("--sim takes one type letter");
    if (o.command.empty()) return Usage("no command given");
    if (o.base && o.command != "encode") return Usage("--base goes with encode");
    struct Shape { const char* name; size_t files; bool out; };
    static const Shape shapes[] = {{"detect", 0, false}, {"read", 0, true},   {"write", 1, false},
                                   {"decode", 1, false}, {"encode", 1, true}, {"diff", 2, false}};
    for (const Shape& s : shapes) {
        if (o.command != s.name) continue;
        if (o.files.size() != s.files) return Usage(o.command + " takes " + std::to_string(s.files) + " file(s)");
        if (s.out && !o.out) return Usage(o.command + " needs --out FILE");
        if (!s.out && o.out) return Usage(o.command + " takes no --out");
        return std::nullopt;
    }
    if (o.command == "export-memory") {
        if (o.files.size() > 1 || !o.out) return Usage("export-memory takes [FILE.dat] --out FILE");
        return std::nullopt;
    }
    return Usage("unknown command " + o.command);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (auto status = Parse(argc, argv, o)) return *status;
    return RunCommand(o);
}
