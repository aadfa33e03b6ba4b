#include "app/text_io.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

std::string WriteTemporaryBeside(const std::string& path, const uint8_t* data, size_t size) {
    std::filesystem::path target(path);
    std::string tmpl = (target.parent_path() / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return {};
    ::fchmod(fd, 0644);
    int err = 0;
    if (!WriteAll(fd, data, size) || ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(tmpl.c_str());
        errno = err;
        return {};
    }
    return tmpl;
}

int ReplaceFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    std::string tmp = WriteTemporaryBeside(path, data, size);
    if (tmp.empty()) return errno;
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return err;
    }
    // Make the rename itself durable; a failure here does not undo the save.
    std::string folder = std::filesystem::path(path).parent_path().string();
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
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
