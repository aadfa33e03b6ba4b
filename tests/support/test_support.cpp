#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
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

std::string ReadFile(const std::string& path) {
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string BinDir() {
    if (const char* v = getenv("MORVANE_BIN_DIR")) return v;
    // The test programs are built beside the programs they drive.
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("build/bin") : exe.parent_path().string();
}

std::string SourceDir() {
    if (const char* v = getenv("MORVANE_SOURCE_DIR")) return v;
#ifdef MORVANE_SOURCE_DIR_DEFAULT
    return MORVANE_SOURCE_DIR_DEFAULT;
#else
    return ".";
#endif
}

}  // namespace morvane::test

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>

extern char** environ;

namespace morvane::test {

Program::Program(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&fa, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> a = args;
    std::vector<char*> argv;
    for (auto& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) envStore.emplace_back(*e);
    for (const auto& e : extraEnv) envStore.push_back(e);
    std::vector<char*> envp;
    for (auto& s : envStore) envp.push_back(s.data());
    envp.push_back(nullptr);
    int rc = posix_spawn(&pid_, a[0].c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
    if (rc != 0) {
        pid_ = -1;
        result_.err = a[0] + ": " + strerror(rc);
        done_ = true;
    }
}

Program::~Program() {
    if (!done_) Wait(1);
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
}

ProgramResult Program::Wait(int timeoutMs) {
    if (done_) return result_;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            kill(pid_, SIGKILL);
            break;
        }
        pollfd p[2] = {{outOpen ? out_ : -1, POLLIN, 0}, {errOpen ? err_ : -1, POLLIN, 0}};
        if (poll(p, 2, static_cast<int>(left)) <= 0) continue;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(p[i].fd, buf, sizeof buf);
            if (n > 0) (i == 0 ? result_.out : result_.err).append(buf, static_cast<size_t>(n));
            else (i == 0 ? outOpen : errOpen) = false;
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    done_ = true;
    return result_;
}

}  // namespace morvane::test
