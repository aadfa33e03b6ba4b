#pragma once
// The commands of morvane-cli.
#include <optional>
#include <string>
#include <vector>

namespace morvane::cli {

constexpr int kExitOk = 0;
constexpr int kExitDiffer = 1;      // diff: the settings differ
constexpr int kExitUsage = 2;
constexpr int kExitNoDevice = 3;    // nothing answered, or the port cannot be opened
constexpr int kExitTransfer = 4;    // "ERROR Communication", or a verify that found a difference
constexpr int kExitFile = 5;        // a file that cannot be read or written
constexpr int kExitRefused = 6;     // the write was not confirmed

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> sim;
    int timeoutSeconds = 30;
    std::optional<std::string> startDir;
    std::optional<std::string> trace;
    std::optional<std::string> out;
    std::optional<std::string> base;  // encode: the configuration file whose image the settings go over
    int type = 'H';                 // device type of files without a device (decode, encode, diff)
    int version = 93;               // firmware the encoded settings are made for (encode)
    bool yes = false;
    bool verify = false;
    bool backup = false;
    std::string command;
    std::vector<std::string> files;
};

int RunCommand(const Options& o);

}  // namespace morvane::cli
