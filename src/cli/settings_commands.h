#pragma once
// Commands on configuration files, without a device: decode, encode, diff.
#include <memory>
#include <string>

#include "app/configurator_session.h"
#include "cli/cli_host.h"
#include "cli/commands.h"

namespace morvane::cli {

// A configurator session holding the configuration file (its pages decoded).
// Prints the reason and returns null when the file cannot be loaded.
std::unique_ptr<ConfiguratorSession> LoadSession(View& view, const Options& o, const std::string& path);

int DecodeCommand(const Options& o);
int EncodeCommand(const Options& o);
int DiffCommand(const Options& o);

}  // namespace morvane::cli
