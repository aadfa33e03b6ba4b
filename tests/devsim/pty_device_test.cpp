#include "devsim/devsim.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace morvane::devsim {
namespace {

int OpenRaw(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd >= 0 && tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

void Send(int fd, const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += size_t(n);
        else {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        }
    }
}

// Reads until `count` bytes have arrived or the time is up.
Bytes ReadCount(int fd, size_t count, int timeoutMs = 5000) {
    Bytes out;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0) continue;
        uint8_t buf[512];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
}

const Bytes kProbe{0x00, 0x00, 0xFF, 0x00, 0x01, 0xFE};

TEST(PtyDevice, ServesAcrossReopenAndDropsAnAbandonedFrame) {
    DeviceModel model;
    PtyDevice device(model);
    device.SetIdleMs(100);
    std::string error;
    ASSERT_TRUE(device.Start(&error)) << error;

    int fd = OpenRaw(device.SlavePath());
    ASSERT_GE(fd, 0);
    Send(fd, kProbe);
    EXPECT_EQ(ReadCount(fd, 6), Frame(0xAB, 0, 0xFF, 'H'));
    close(fd);

    fd = OpenRaw(device.SlavePath());
    ASSERT_GE(fd, 0);
    // Half a page write, then silence: the device forgets it and answers the next request.
    Bytes block = BlockFrame(0xF6, 0x35, 0x00, Bytes(256, 7));
    Send(fd, Bytes(block.begin(), block.begin() + 100));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Send(fd, Frame(0, 0, 0xFE, 0));
    EXPECT_EQ(ReadCount(fd, 6), Frame(0xAB, 0, 0xFE, 93));
    Send(fd, block);
    EXPECT_EQ(ReadCount(fd, 1), Bytes{block[0]});
    close(fd);
    device.Stop();
    EXPECT_EQ(model.Read(0x350000), 7);
}

TEST(DevsimProgram, PrintsThePathServesSavesAndLogs) {
    test::TempDir dir;
    const std::string save = dir.File("memory.bin"), log = dir.File("requests.log");
    const std::string exe = test::BinDir() + "/morvane-devsim";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execl(exe.c_str(), exe.c_str(), "--type", "Q", "--version", "88", "--save", save.c_str(), "--log",
              log.c_str(), "--seed", "5", "--exit-after", "60", nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string path;
    char ch;
    while (read(out[0], &ch, 1) == 1 && ch != '\n') path += ch;
    close(out[0]);
    ASSERT_FALSE(path.empty()) << "no path from " << exe;

    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    Send(fd, kProbe);
    EXPECT_EQ(ReadCount(fd, 6), Frame(0xAB, 0, 0xFF, 'Q'));
    Bytes block = BlockFrame(0xF6, 0x35, 0x40, Bytes(256, 0x22));  // bus channel 1
    Send(fd, block);
    EXPECT_EQ(ReadCount(fd, 1), Bytes{block[0]});
    close(fd);

    kill(pid, SIGUSR1);
    std::ifstream saved;
    for (int i = 0; i < 100 && !saved.is_open(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        saved.open(save, std::ios::binary);
    }
    ASSERT_TRUE(saved.is_open());
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::ifstream final(save, std::ios::binary);
    Bytes memory((std::istreambuf_iterator<char>(final)), std::istreambuf_iterator<char>());
    ASSERT_EQ(memory.size(), DeviceModel::kMemorySize);
    EXPECT_EQ(memory[0x354000], 0x22);
    EXPECT_EQ(memory[0xFF], 'Q');
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    EXPECT_NE(text.str().find("\tprobe\t00 00 FF 00 01 FE\n"), std::string::npos);
    EXPECT_NE(text.str().find("\tpage write\t"), std::string::npos);
}

}  // namespace
}  // namespace morvane::devsim
