#include "app/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace morvane {

SimProcess::~SimProcess() { Stop(); }

std::string SimProcess::ProgramDir() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

bool SimProcess::Start(const std::vector<std::string>& args, const std::string& program, int timeoutMs) {
    Stop();
    error_.clear();
    path_.clear();
    std::string exe = program.empty() ? ProgramDir() + "/morvane-devsim" : program;

    int pipefd[2];
    if (pipe2(pipefd, O_CLOEXEC) != 0) {
        error_ = std::string("cannot create a pipe: ") + strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> argvStore;
    argvStore.push_back(exe);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipefd[1]);
    if (rc != 0) {
        close(pipefd[0]);
        error_ = exe + ": " + strerror(rc);
        return false;
    }
    pid_ = pid;
    out_ = pipefd[0];

    // First line of its output: the pseudo-terminal's path.
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buf[256];
        ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<size_t>(n));
    }
    auto nl = line.find('\n');
    if (nl == std::string::npos || nl == 0) {
        error_ = "the simulated device did not start (" + exe + ")";
        Stop();
        return false;
    }
    path_ = line.substr(0, nl);
    if (!path_.empty() && path_.back() == '\r') path_.pop_back();
    return true;
}

bool SimProcess::Signal(int sig) const { return pid_ > 0 && kill(pid_, sig) == 0; }

void SimProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) { pid_ = -1; break; }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
}

}  // namespace morvane
