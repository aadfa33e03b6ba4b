#pragma once
// Side files in the start directory: "specfunc.txt", "serverIP.txt",
// "LOGhttp.txt", "base.wav", "sound1.wav" to "sound7.wav", and the names of
// the voice menu recordings. Text files are read with CR LF or LF line
// endings (a UTF-8 byte order mark at the start is skipped) and written with
// CR LF.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// StartDirectory + "/" + name.
std::string SideFilePath(const std::string& startDir, const std::string& name);

// Lines of a text file without their endings; nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);
// Writes the lines, each ended by CR LF, replacing the file.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// "specfunc.txt": line 1 equal to "KRVSTQ" switches on the special commands
// menu; line 2 is the port override when it begins with "COM" or is a device
// path ("/dev/..."). A missing or unreadable file gives neither.
inline constexpr const char* SpecFuncFile = "specfunc.txt";
inline constexpr const char* SpecialCommandsCode = "KRVSTQ";
struct SpecFunc {
    bool specialCommands = false;
    std::string portOverride;
};
SpecFunc ReadSpecFunc(const std::string& startDir);

// "serverIP.txt": the first line replaces the built-in relay address when it
// begins with exactly "http://"; any other line is refused with the message
// "BAD IP: " followed by the line, for the caller to show. No file: the
// built-in address and no message.
inline constexpr const char* ServerIpFile = "serverIP.txt";
struct RelayChoice {
    std::string url;
    std::string message;  // empty unless the file's line was refused
};
RelayChoice ReadServerIp(const std::string& startDir, const std::string& builtInUrl);

// "LOGhttp.txt": the relay trace. A line is the seconds since local midnight,
// ".", the milliseconds as three digits, "//" and the event text; with a
// TxCel the line ends with " TXcel:" and its number. Line breaks inside the
// event text become blanks so one event stays one line.
inline constexpr const char* HttpLogFile = "LOGhttp.txt";
std::string FormatHttpLogLine(std::chrono::system_clock::time_point when, const std::string& text,
                              std::optional<int> txCel = std::nullopt);
// Appends one line, only when the file already exists (it is never created).
// Returns whether a line was written.
bool AppendHttpLog(const std::string& startDir, const std::string& text,
                   std::optional<int> txCel = std::nullopt,
                   std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

// "base.wav": 100 ms of silence, RIFF/WAVE PCM, 1 channel, 8000 samples per
// second, 8 bits, 800 samples of 0x80: 844 bytes.
inline constexpr const char* BaseWavFile = "base.wav";
inline constexpr size_t BaseWavSize = 844;
const std::vector<uint8_t>& BaseWavBytes();
// Rewrites "base.wav" (at every configurator activation).
bool WriteBaseWav(const std::string& startDir);

// "sound1.wav" to "sound7.wav": the voice message slots. A slot whose file
// exists shows "Internal"; a missing file is created as a copy of "base.wav".
// An existing file is never overwritten.
inline constexpr int SoundSlotCount = 7;
inline constexpr const char* InternalSoundText = "Internal";
std::string SoundFileName(int slot);  // slot 1..7 -> "sound1.wav"
struct SoundSlot {
    bool existed = false;  // the slot shows "Internal"
    bool created = false;  // a copy of "base.wav" was saved now
};
std::array<SoundSlot, SoundSlotCount> PrepareSoundFiles(const std::string& startDir);

// Configurator activation: rewrite "base.wav", then prepare the sound slots.
std::array<SoundSlot, SoundSlotCount> PrepareSoundFolder(const std::string& startDir);

// Voice menu recording for a "Language" value: "MENU_IT.wav" for "4",
// "MENU_HU.wav" for "0", "MENU_EN.wav" otherwise.
std::string VoiceMenuFileName(const std::string& languageValue);

}  // namespace morvane
