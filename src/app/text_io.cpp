#include "app/text_io.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace morvane {

std::string EnvText(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeDirectory() {
    std::string home = EnvText("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = content.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        size_t stop = end == std::string::npos ? content.size() : end;
        size_t len = stop - start;
        if (len > 0 && content[stop - 1] == '\r') --len;
        lines.push_back(content.substr(start, len));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string content;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return content;
}

}  // namespace morvane
