#pragma once
// Starts the simulated device program (morvane-devsim) as a child process and
// learns the pseudo-terminal it serves from the first line of its output.
// Used by "--sim LETTER" of the programs and by the tests.
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvane {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts `program` (a path, or empty for the morvane-devsim beside the
    // running program) with the arguments. Returns false with Error() set
    // when it cannot be started or prints no path within the time.
    bool Start(const std::vector<std::string>& args, const std::string& program = {}, int timeoutMs = 10000);
    // Ends the child (SIGTERM, then SIGKILL after a grace period) and reaps it.
    void Stop();

    bool Running() const { return pid_ > 0; }
    // Sends a signal to the child (the simulated device saves its memory on
    // SIGUSR1); false when it is not running.
    bool Signal(int sig) const;
    const std::string& PortPath() const { return path_; }
    const std::string& Error() const { return error_; }

    // The folder of the running program (from /proc/self/exe).
    static std::string ProgramDir();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string path_;
    std::string error_;
};

}  // namespace morvane
