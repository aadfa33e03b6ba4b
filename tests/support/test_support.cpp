#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace morvane::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value) : name_(name) {
    if (const char* v = getenv(name.c_str())) old_ = v;
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
}

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    slavePath_ = ptsname(master_);
    slaveKeep_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (slaveKeep_ >= 0 && tcgetattr(slaveKeep_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slaveKeep_, TCSANOW, &t);
    }
}

PtyPair::~PtyPair() {
    if (slaveKeep_ >= 0) close(slaveKeep_);
    if (master_ >= 0) close(master_);
}

void PtyPair::WriteMaster(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) { done += static_cast<size_t>(n); continue; }
        if (n < 0 && errno != EAGAIN && errno != EINTR) throw std::runtime_error(strerror(errno));
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 100);
    }
}

std::string PtyPair::ReadMaster(int timeoutMs) {
    std::string out;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return out;
    char buf[4096];
    for (;;) {
        ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
        pollfd q{master_, POLLIN, 0};
        if (poll(&q, 1, 20) <= 0) break;
    }
    return out;
}

std::string BinDir() {
    const char* v = getenv("MORVANE_BIN_DIR");
    return v ? v : "build/bin";
}

std::string SourceDir() {
    const char* v = getenv("MORVANE_SOURCE_DIR");
    return v ? v : ".";
}

}  // namespace morvane::test
