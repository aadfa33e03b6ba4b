#include "app/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/text_io.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;


bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool ValidKey(const std::string& key) {
    return key.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

std::string Escape(const std::string& text, bool name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\': out += "\\\\"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        bool special = c < 0x20 || c == 0x7F ||
                       (name && (c == '=' || c == '[' || c == ';' || c == '#'));
        if (special) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The file as lines without their endings; nullopt when it exists but cannot
// be read. A missing file is an empty list.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    auto content = ReadWholeFile(path);
    if (!content) {
        if (errno == ENOENT) return std::vector<std::string>{};
        return std::nullopt;
    }
    return SplitLines(*content);
}

// A section header "[...]": the key path, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        return line.substr(1, line.size() - 2);
    return std::nullopt;
}

bool IsComment(std::string_view line) {
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Splits "name=value" at the first '=' (names have theirs escaped).
bool SplitEntry(std::string_view line, std::string_view& name, std::string_view& value) {
    if (IsComment(line) || SectionOf(line)) return false;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    name = line.substr(0, eq);
    value = line.substr(eq + 1);
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Holds an exclusive lock on the store's lock file.
class StoreLock {
public:
    explicit StoreLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes the content to a temporary file beside the store and renames it
// over the store.
bool ReplaceFile(const std::string& path, const std::string& content) {
    fs::path target(path);
    // A store that is a symbolic link is written through to its target.
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec) return false;
        target = resolved;
    }
    const std::string finalPath = target.string();
    std::string tmpl = (target.parent_path() / (target.filename().string() + ".tmp-XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    // Keep the permissions of an existing store; a new one is private to the
    // user (it holds account passwords).
    struct stat st {};
    if (::stat(finalPath.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmpl.c_str(), finalPath.c_str()) == 0) return true;
    ::unlink(tmpl.c_str());
    return false;
}

}  // namespace

std::string MakeRegistryKey(const std::string& programName) {
    return "\\software\\GSM\\" + programName;
}

std::string SettingsStore::FilePath() {
    std::string explicitPath = EnvText("MORVANE_SETTINGS");
    if (!explicitPath.empty()) return explicitPath;
    std::string config = EnvText("XDG_CONFIG_HOME");
    // Relative XDG paths are invalid and ignored.
    if (config.empty() || config.front() != '/') config = HomeDirectory() + "/.config";
    return config + "/morvane/settings.ini";
}

std::string SettingsStore::EscapeValue(const std::string& text) { return Escape(text, false); }
std::string SettingsStore::EscapeName(const std::string& text) { return Escape(text, true); }

std::string SettingsStore::Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        char e = text[i + 1];
        switch (e) {
            case '\\': out += '\\'; ++i; continue;
            case 'n': out += '\n'; ++i; continue;
            case 'r': out += '\r'; ++i; continue;
            case 't': out += '\t'; ++i; continue;
            case 'x':
                if (i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
                    out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
                    i += 3;
                    continue;
                }
                break;
            default: break;
        }
        out += c;  // an unknown escape is kept as written
    }
    return out;
}

std::string SettingsStore::Read(const std::string& key, const std::string& name) {
    if (!ValidKey(key)) return {};
    auto lines = ReadLines(FilePath());
    if (!lines) return {};
    bool inKey = false;
    for (const std::string& line : *lines) {
        if (auto section = SectionOf(line)) {
            inKey = EqualNoCase(*section, key);
            continue;
        }
        if (!inKey) continue;
        std::string_view n, v;
        if (SplitEntry(line, n, v) && EqualNoCase(Unescape(std::string(n)), name))
            return Unescape(std::string(v));
    }
    return {};
}

bool SettingsStore::Write(const std::string& key, const std::string& name, const std::string& text) {
    if (!ValidKey(key)) return false;
    try {
        const std::string path = FilePath();
        fs::path parent = fs::path(path).parent_path();
        if (!parent.empty()) {
            std::error_code ec;
            fs::create_directories(parent, ec);
            if (ec || !fs::is_directory(parent, ec)) return false;
        }
        StoreLock lock(path + ".lock");
        if (!lock.Held()) return false;

        auto read = ReadLines(path);
        if (!read) return false;  // never replace a store that could not be read
        std::vector<std::string>& lines = *read;

        std::optional<size_t> entryLine;  // the value's line, when it exists
        std::optional<size_t> lastOfKey;  // last non-blank line of the first matching key
        bool inKey = false;
        bool inFirstKey = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (auto section = SectionOf(lines[i])) {
                inKey = EqualNoCase(*section, key);
                inFirstKey = inKey && !lastOfKey;
                if (inFirstKey) lastOfKey = i;
                continue;
            }
            if (!inKey) continue;
            std::string_view n, v;
            if (SplitEntry(lines[i], n, v) && EqualNoCase(Unescape(std::string(n)), name)) {
                entryLine = i;
                break;
            }
            if (inFirstKey && !lines[i].empty()) lastOfKey = i;
        }

        if (entryLine) {
            // Keep the stored spelling of the name.
            std::string_view n, v;
            SplitEntry(lines[*entryLine], n, v);
            lines[*entryLine] = std::string(n) + "=" + EscapeValue(text);
        } else {
            std::string entry = EscapeName(name) + "=" + EscapeValue(text);
            if (lastOfKey) {
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastOfKey + 1), entry);
            } else {
                if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
                lines.push_back("[" + key + "]");
                lines.push_back(entry);
            }
        }

        std::string content;
        for (const std::string& line : lines) {
            content += line;
            content += "\r\n";
        }
        return ReplaceFile(path, content);
    } catch (...) {
        return false;
    }
}

}  // namespace morvane
