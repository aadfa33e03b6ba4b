#include "app/side_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "app/text_io.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, const std::string& s) {
    return morvane::WriteAll(fd, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

enum class CreateResult { Created, Existed, Failed };

// Creates the file with the bytes only when no file of that name exists;
// an existing file is left alone.
CreateResult CreateNewFile(const std::string& path, const uint8_t* data, size_t size) {
    std::string tmp = WriteTemporaryBeside(path, data, size);
    if (!tmp.empty()) {
        int rc = ::link(tmp.c_str(), path.c_str());
        int err = errno;
        ::unlink(tmp.c_str());
        if (rc == 0) return CreateResult::Created;
        if (err == EEXIST) return CreateResult::Existed;
        // File systems without hard links: create it directly.
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? CreateResult::Existed : CreateResult::Failed;
    bool ok = morvane::WriteAll(fd, data, size);
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return CreateResult::Failed;
    }
    return CreateResult::Created;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

std::vector<uint8_t> MakeBaseWav() {
    constexpr uint32_t rate = 8000, samples = 800;
    std::vector<uint8_t> w;
    w.reserve(BaseWavSize);
    PutTag(w, "RIFF");
    PutLe(w, 36 + samples, 4);
    PutTag(w, "WAVE");
    PutTag(w, "fmt ");
    PutLe(w, 16, 4);      // format chunk size
    PutLe(w, 1, 2);       // PCM
    PutLe(w, 1, 2);       // one channel
    PutLe(w, rate, 4);    // samples per second
    PutLe(w, rate, 4);    // bytes per second
    PutLe(w, 1, 2);       // block align
    PutLe(w, 8, 2);       // bits per sample
    PutTag(w, "data");
    PutLe(w, samples, 4);
    w.insert(w.end(), samples, 0x80);
    return w;
}

}  // namespace

std::string SideFilePath(const std::string& startDir, const std::string& name) {
    return startDir + "/" + name;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    auto content = ReadWholeFile(path);
    if (!content) return std::nullopt;
    return SplitLines(*content);
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string content;
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    return ReplaceFileAtomically(path, reinterpret_cast<const uint8_t*>(content.data()), content.size()) == 0;
}

SpecFunc ReadSpecFunc(const std::string& startDir) {
    SpecFunc out;
    auto lines = ReadTextLines(SideFilePath(startDir, SpecFuncFile));
    if (!lines) return out;
    if (!lines->empty()) out.specialCommands = (*lines)[0] == SpecialCommandsCode;
    if (lines->size() >= 2) {
        std::string port = (*lines)[1];
        // A port name never ends in blanks; a hand-edited file often does.
        while (!port.empty() && (port.back() == ' ' || port.back() == '\t')) port.pop_back();
        if (port.rfind("COM", 0) == 0 || port.rfind("/dev/", 0) == 0) out.portOverride = port;
    }
    return out;
}

RelayChoice ReadServerIp(const std::string& startDir, const std::string& builtInUrl) {
    RelayChoice out{builtInUrl, {}};
    const std::string path = SideFilePath(startDir, ServerIpFile);
    std::error_code ec;
    if (!fs::exists(path, ec)) return out;
    auto lines = ReadTextLines(path);
    std::string line = (lines && !lines->empty()) ? (*lines)[0] : std::string();
    if (line.compare(0, 7, "http://") == 0 && line.size() >= 7)
        out.url = line;
    else
        out.message = "BAD IP: " + line;
    return out;
}

std::string FormatHttpLogLine(std::chrono::system_clock::time_point when, const std::string& text,
                              std::optional<int> txCel) {
    using namespace std::chrono;
    std::time_t t = system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    auto sinceEpochMs = duration_cast<milliseconds>(when.time_since_epoch()).count();
    int ms = static_cast<int>(((sinceEpochMs % 1000) + 1000) % 1000);
    long seconds = local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec;
    char head[32];
    std::snprintf(head, sizeof head, "%ld.%03d//", seconds, ms);
    std::string line = head;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // CR LF -> one blank
        line += (c == '\r' || c == '\n') ? ' ' : c;
    }
    if (txCel) line += " TXcel:" + std::to_string(*txCel);
    return line;
}

bool AppendHttpLog(const std::string& startDir, const std::string& text, std::optional<int> txCel,
                   std::chrono::system_clock::time_point when) {
    // No O_CREAT: a missing trace file stays missing.
    int fd = ::open(SideFilePath(startDir, HttpLogFile).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, FormatHttpLogLine(when, text, txCel) + "\r\n");
    ok = (::close(fd) == 0) && ok;
    return ok;
}

const std::vector<uint8_t>& BaseWavBytes() {
    static const std::vector<uint8_t> bytes = MakeBaseWav();
    return bytes;
}

bool WriteBaseWav(const std::string& startDir) {
    const auto& b = BaseWavBytes();
    return ReplaceFileAtomically(SideFilePath(startDir, BaseWavFile), b.data(), b.size()) == 0;
}

std::string SoundFileName(int slot) { return "sound" + std::to_string(slot) + ".wav"; }

std::array<SoundSlot, SoundSlotCount> PrepareSoundFiles(const std::string& startDir) {
    std::array<SoundSlot, SoundSlotCount> slots{};
    const auto& b = BaseWavBytes();
    for (int i = 0; i < SoundSlotCount; ++i) {
        CreateResult r = CreateNewFile(SideFilePath(startDir, SoundFileName(i + 1)), b.data(), b.size());
        slots[static_cast<size_t>(i)].existed = r == CreateResult::Existed;
        slots[static_cast<size_t>(i)].created = r == CreateResult::Created;
    }
    return slots;
}

std::array<SoundSlot, SoundSlotCount> PrepareSoundFolder(const std::string& startDir) {
    WriteBaseWav(startDir);
    return PrepareSoundFiles(startDir);
}

std::string VoiceMenuFileName(const std::string& languageValue) {
    if (languageValue == "4") return "MENU_IT.wav";
    if (languageValue == "0") return "MENU_HU.wav";
    return "MENU_EN.wav";
}

}  // namespace morvane
