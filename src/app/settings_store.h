#pragma once
// The settings store: named string values under a key path, kept in a text
// file. Read of a missing key or value gives an empty text; a failed Write is
// silent; nothing is cached (every Read opens the file again).
//
// File: $MORVANE_SETTINGS if set, else $XDG_CONFIG_HOME/morvane/settings.ini
// (~/.config/morvane/settings.ini). One [section] per key path.
//
// Format: a "[<key path>]" line opens a key (the path text as it is, e.g.
// "[\software\GSM\Morvane]"); "name=value" lines follow. Names and values are
// escaped so that any text survives: "\\" for a backslash, "\n", "\r", "\t",
// and "\xHH" for other control bytes; in names also '=', '[', ';' and '#'.
// Bytes of 0x80 and above (UTF-8) are kept as they are. Lines beginning with
// ';' or '#' are comments. Key paths and names match without regard to the
// case of ASCII letters, as registry keys and value names do. Lines are read
// with CR LF or LF endings and written with CR LF.
//
// A Write reads the file, changes the one value and writes the whole file to
// a temporary file in the same folder that is then renamed over the store,
// so the store is never left half written. Writers take an exclusive lock on
// "<store>.lock" around the read-modify-write so two program instances do not
// lose each other's values. Every other line of the file is kept as it was.
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

    // The escaping of names and values in the file (exposed for tests and
    // tools that inspect the file).
    static std::string EscapeValue(const std::string& text);
    static std::string EscapeName(const std::string& text);
    static std::string Unescape(const std::string& text);
};

}  // namespace morvane
