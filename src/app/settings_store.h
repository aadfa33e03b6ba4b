#pragma once
// The settings store: named string values under a key path, kept in a text
// file. Read of a missing key or value gives an empty text; a failed Write is
// silent; nothing is cached (every Read opens the file again).
//
// File: $MORVANE_SETTINGS if set, else $XDG_CONFIG_HOME/morvane/settings.ini
// (~/.config/morvane/settings.ini). One [section] per key path.
#include <string>

namespace morvane {

// "\software\GSM\" followed by the program name.
std::string MakeRegistryKey(const std::string& programName);

class SettingsStore {
public:
    // The store file in use.
    static std::string FilePath();

    static std::string Read(const std::string& key, const std::string& name);
    // Returns whether it was written; callers that follow the store's
    // semantics ignore the result.
    static bool Write(const std::string& key, const std::string& name, const std::string& text);
};

}  // namespace morvane
