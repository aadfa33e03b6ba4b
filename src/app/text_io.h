#pragma once
// Small text and environment helpers shared by the settings store, the side
// files and the start-up values.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// The variable's value, or empty.
std::string EnvText(const char* name);
// $HOME, else the password database's home, else "/".
std::string HomeDirectory();
// Lines without their endings (LF or CR LF); a leading UTF-8 byte order mark is skipped.
std::vector<std::string> SplitLines(const std::string& content);
// Writes every byte to the descriptor, retrying after interruptions; false
// on an error (errno tells why).
bool WriteAll(int fd, const uint8_t* data, size_t size);
// Writes the bytes to a new temporary file (mode 0644) in the folder of
// `path`, flushed to disk; returns its name, or empty with errno set.
std::string WriteTemporaryBeside(const std::string& path, const uint8_t* data, size_t size);
// Replaces the whole content of `path` (temporary file beside it, fsync,
// rename over the target, fsync of the folder), so a reader never sees it
// half written. Returns 0, or the errno value of the failure; then the old
// file, if any, is left as it was and no temporary file remains.
int ReplaceFileAtomically(const std::string& path, const uint8_t* data, size_t size);
// The whole file; nullopt when it cannot be opened or read (errno tells why).
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace morvane
