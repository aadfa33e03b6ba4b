#pragma once
// Shared test helpers: temporary folders, environment overrides, pseudo-terminal pairs.
#include <optional>
#include <string>
#include <vector>

namespace morvane::test {

// A fresh folder under the system's temp folder, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
private:
    std::string path_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
private:
    std::string name_;
    std::optional<std::string> old_;
};

// A pseudo-terminal pair in raw mode: the test plays the device on the master
// side, the code under test opens SlavePath().
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    // Writes all bytes to the master side.
    void WriteMaster(const std::string& bytes);
    // Reads what is waiting on the master side, waiting at most timeoutMs for the first byte.
    std::string ReadMaster(int timeoutMs);
private:
    int master_ = -1;
    int slaveKeep_ = -1;  // kept open so the pair survives the code's close
    std::string slavePath_;
};

// The file's content, or empty.
std::string ReadFile(const std::string& path);
// Replaces the file's content with the bytes.
void WriteFile(const std::string& path, const std::string& content);

// Directory of the built programs (MORVANE_BIN_DIR, set by CTest).
std::string BinDir();
std::string SourceDir();


struct ProgramResult {
    int status = -1;       // exit status, or -1 when it did not end normally
    std::string out;       // standard output
    std::string err;       // standard error
};

// A program started in the background with its output collected.
class Program {
public:
    // args[0] is the program path. extraEnv entries are "NAME=value".
    Program(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Waits for the end (killing it after timeoutMs) and returns its result.
    ProgramResult Wait(int timeoutMs = 60000);
private:
    int pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool done_ = false;
    ProgramResult result_;
};

inline ProgramResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {},
                                int timeoutMs = 60000) {
    return Program(args, extraEnv).Wait(timeoutMs);
}

}  // namespace morvane::test
