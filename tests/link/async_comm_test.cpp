#include "link/async_comm.h"

#include "app/poll_loop.h"
#include "support/test_support.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace morvane {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;
using test::ScopedEnv;
using test::TempDir;

// Waits until at least n bytes wait in the port's input queue (the pty moves
// bytes from master to slave asynchronously).
bool WaitInQueue(const TAsynComm32& port, int n) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (port.InQueue() < n) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string ReadAll(TAsynComm32& port, int count) {
    std::string out(static_cast<size_t>(count), '\0');
    const int n = port.Read(reinterpret_cast<uint8_t*>(out.data()), count);
    out.resize(static_cast<size_t>(std::max(n, 0)));
    return out;
}

struct termios2 LineOf(int fd) {
    struct termios2 t {};
    EXPECT_EQ(ioctl(fd, TCGETS2, &t), 0) << strerror(errno);
    return t;
}

// A pseudo-terminal whose master side the test can close, so that the port
// on the slave side sees its device vanish.
class ClosablePty {
public:
    ClosablePty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slave_ = ptsname(master_);
    }
    ~ClosablePty() { CloseMaster(); }
    const std::string& SlavePath() const { return slave_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slave_;
};

double ThreadCpuMs() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

TEST(AsyncCommOpen, FailureLeavesThePortClosedAndSaysWhy) {
    TempDir emptyDev;
    ScopedEnv dev("MORVANE_DEV_DIR", emptyDev.Path());
    const struct {
        std::string name;
        int error;
        std::string text;
    } cases[] = {
        {"/nonexistent-dir/ttyUSB0", ENOENT, "/nonexistent-dir/ttyUSB0: No such file or directory"},
        {"COM7", ENOENT, "COM7: no such serial port"},
        {"\\\\.\\COM12", ENOENT, "COM12: no such serial port"},
        {"/dev/null", ENOTTY, "/dev/null: not a serial port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAsynComm32 port;
        std::vector<std::pair<int, int>> opens;
        int handleChanges = 0;
        port.OnOpen = [&](TAsynComm32&, int subtype, int error) { opens.emplace_back(subtype, error); };
        port.OnHandleChanged = [&] { ++handleChanges; };
        port.SetDeviceName(c.name);
        port.Open();
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.NativeHandle(), -1);
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(opens[0].first, 0);
        EXPECT_EQ(opens[0].second, c.error);
        EXPECT_EQ(port.LastError(), c.error);
        EXPECT_EQ(port.LastErrorText(), c.text);
        EXPECT_EQ(handleChanges, 0);
        EXPECT_EQ(port.ActualBaud(), 0);
    }
}

TEST(AsyncCommOpen, OpensByComNameAndKeepsOtherProgramsOut) {
    PtyPair pty;
    TempDir dev;
    std::filesystem::create_symlink(pty.SlavePath(), dev.File("ttyUSB0"));
    ScopedEnv env("MORVANE_DEV_DIR", dev.Path());

    TAsynComm32 port;
    std::vector<std::string> events;
    port.OnHandleChanged = [&] { events.push_back("handle " + std::to_string(port.NativeHandle() >= 0)); };
    port.OnOpen = [&](TAsynComm32&, int subtype, int error) {
        events.push_back("open " + std::to_string(subtype) + " " + std::to_string(error));
    };
    port.SetDeviceName("COM1");
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    EXPECT_EQ(port.OpenedPath(), dev.File("ttyUSB0"));
    EXPECT_EQ(port.ActualBaud(), 9600);
    EXPECT_EQ(events, (std::vector<std::string>{"handle 1", "open 1 0"}));

    // A second user of the same device is refused while the port is open.
    TAsynComm32 other;
    other.SetDeviceName(pty.SlavePath());
    other.Open();
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.LastError(), EBUSY);
    EXPECT_NE(other.LastErrorText().find(pty.SlavePath() + ": Device or resource busy"), std::string::npos);

    events.clear();
    port.Close();
    port.Close();  // nothing when closed
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.ActualBaud(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"handle 0"}));

    other.Open();
    EXPECT_TRUE(other.IsOpen()) << other.LastErrorText();
}

TEST(AsyncCommLine, EveryBaudRateIsAppliedAtOnceAndReadBack) {
    PtyPair pty;
    TAsynComm32 port;
    port.SetDeviceName(pty.SlavePath());
    port.SetBaudRate(TBaudRate::cbr256000);  // closed: only stored
    EXPECT_EQ(port.ActualBaud(), 0);
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    EXPECT_EQ(port.ActualBaud(), 256000);

    for (int i = 0; i <= static_cast<int>(TBaudRate::cbr256000); ++i) {
        const auto rate = static_cast<TBaudRate>(i);
        const int bps = BaudRateValue(rate);
        SCOPED_TRACE(bps);
        EXPECT_EQ(BaudRateFromValue(bps), rate);
        port.SetBaudRate(rate);
        EXPECT_EQ(port.ActualBaud(), bps);
        // The master side reports the slave's line setting.
        const auto t = LineOf(pty.Master());
        EXPECT_EQ(static_cast<int>(t.c_ospeed), bps);
        EXPECT_EQ(static_cast<int>(t.c_ispeed), bps);
    }
    EXPECT_EQ(BaudRateFromValue(12345), TBaudRate::cbr9600);
}

TEST(AsyncCommLine, FramingParityAndFlowSettingsReachTheDriver) {
    PtyPair pty;
    TAsynComm32 port;
    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    // A pseudo-terminal forces 8 data bits and clears the parity enable bit
    // whatever it is given; the other framing bits it keeps.
    const tcflag_t cmask = CSTOPB | PARODD | CMSPAR;
    const struct {
        TParity parity;
        TStopbits stop;
        TDatabits data;
        tcflag_t cflag;
    } cases[] = {
        {TParity::paNone, TStopbits::sb10, TDatabits::da8, 0},
        {TParity::paOdd, TStopbits::sb20, TDatabits::da7, CSTOPB | PARODD},
        {TParity::paEven, TStopbits::sb15, TDatabits::da6, CSTOPB},
        {TParity::paMark, TStopbits::sb10, TDatabits::da5, PARODD | CMSPAR},
        {TParity::paSpace, TStopbits::sb10, TDatabits::da4, CMSPAR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.parity));
        port.SetParity(c.parity);
        port.SetStopbits(c.stop);
        port.SetDatabits(c.data);
        EXPECT_EQ(LineOf(pty.Master()).c_cflag & cmask, c.cflag);
        EXPECT_EQ(port.ActualBaud(), 9600);
    }

    port.SetXonChar('Q');
    port.SetXoffChar('S');
    port.SetFlowControl(TFlowControl::fcSoftware);
    auto t = LineOf(pty.Master());
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 'Q');
    EXPECT_EQ(t.c_cc[VSTOP], 'S');
    port.SetFlowControl(TFlowControl::fcCTS);
    t = LineOf(pty.Master());
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    port.SetFlowControl(TFlowControl::fcNone);
    EXPECT_EQ(LineOf(pty.Master()).c_cflag & CRTSCTS, 0u);

    port.SetOptions(Bit(TAsynComm32Option::osParityCheck));
    EXPECT_NE(LineOf(pty.Master()).c_iflag & INPCK, 0u);
    port.SetOptions(0);
    EXPECT_EQ(LineOf(pty.Master()).c_iflag & INPCK, 0u);
}

TEST(AsyncCommOpen, NameAndMonitoredEventsChangeOnlyAtTheNextOpen) {
    PtyPair first, second;
    TAsynComm32 port;
    int rxEvents = 0;
    port.OnRxChar = [&](TAsynComm32& p, int count) {
        ++rxEvents;
        ReadAll(p, count);
    };
    port.SetDeviceName(first.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();

    port.SetDeviceName(second.SlavePath());
    port.SetMonitorEvents(kAllEvents & ~Bit(TC32EventState::evRxChar));
    EXPECT_EQ(port.OpenedPath(), first.SlavePath());
    ASSERT_EQ(port.Write({'a'}), 1);
    EXPECT_EQ(first.ReadMaster(2000), "a");
    first.WriteMaster("x");
    ASSERT_TRUE(WaitInQueue(port, 1));
    port.HandleIo(true, false, false);
    EXPECT_EQ(rxEvents, 1);

    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    EXPECT_EQ(port.OpenedPath(), second.SlavePath());
    ASSERT_EQ(port.Write({'b'}), 1);
    EXPECT_EQ(second.ReadMaster(2000), "b");
    second.WriteMaster("y");
    ASSERT_TRUE(WaitInQueue(port, 1));
    port.HandleIo(true, false, false);
    EXPECT_EQ(rxEvents, 1);
}

TEST(AsyncCommWrite, WriteWhileThePreviousIsPendingIsDropped) {
    PtyPair pty;
    TAsynComm32 port;
    int txEmpty = 0;
    port.OnTxEmpty = [&](TAsynComm32&) { ++txEmpty; };
    EXPECT_EQ(port.Write({'x'}), 0);  // closed
    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();

    // More than the pseudo-terminal holds while nobody reads the master side.
    std::vector<uint8_t> big(256 * 1024);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>('a' + i % 23);
    ASSERT_EQ(port.Write(big), static_cast<int>(big.size()));
    ASSERT_TRUE(port.WantsWrite());
    EXPECT_EQ(port.Write(std::vector<uint8_t>(1000, 'Z')), 0);

    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (got.size() < big.size() && std::chrono::steady_clock::now() < deadline) {
        got += pty.ReadMaster(50);
        if (port.WantsWrite()) port.HandleIo(false, true, false);
    }
    got += pty.ReadMaster(100);
    ASSERT_EQ(got.size(), big.size());
    EXPECT_TRUE(std::equal(big.begin(), big.end(), got.begin()));
    EXPECT_FALSE(port.WantsWrite());
    EXPECT_EQ(txEmpty, 1);

    // Once the block is out, writing works again.
    EXPECT_EQ(port.Write({'o', 'k'}), 2);
    EXPECT_EQ(pty.ReadMaster(2000), "ok");
}

TEST(AsyncCommEvents, ReceivedDataComesBeforeTransmitEmptyWithTheWholeQueueCounted) {
    PtyPair pty;
    TAsynComm32 port;
    std::vector<std::string> events;
    std::string received;
    port.OnRxChar = [&](TAsynComm32& p, int count) {
        events.push_back("rx " + std::to_string(count));
        received += ReadAll(p, count);
    };
    port.OnTxEmpty = [&](TAsynComm32&) { events.push_back("tx empty"); };
    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();

    ASSERT_EQ(port.Write({'h', 'i'}), 2);
    EXPECT_EQ(pty.ReadMaster(2000), "hi");
    EXPECT_TRUE(port.WantsWrite());  // the transmit-empty check is due

    // Bytes that arrive after the first ones are counted too.
    pty.WriteMaster("12");
    ASSERT_TRUE(WaitInQueue(port, 2));
    pty.WriteMaster("345");
    ASSERT_TRUE(WaitInQueue(port, 5));
    port.HandleIo(true, true, false);
    EXPECT_EQ(events, (std::vector<std::string>{"rx 5", "tx empty"}));
    EXPECT_EQ(received, "12345");

    events.clear();
    port.HandleIo(false, true, false);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(port.WantsWrite());
    EXPECT_EQ(port.TxEmptyCheckMs(), -1);

    // A reply written from OnRxChar: transmit-empty waits for the reply.
    port.OnRxChar = [&](TAsynComm32& p, int count) {
        events.push_back("rx " + std::to_string(count));
        received += ReadAll(p, count);
        p.Write({'r'});
    };
    ASSERT_EQ(port.Write({'x'}), 1);
    pty.WriteMaster("6");
    ASSERT_TRUE(WaitInQueue(port, 1));
    port.HandleIo(true, true, false);
    EXPECT_EQ(events, (std::vector<std::string>{"rx 1"}));
    EXPECT_EQ(pty.ReadMaster(2000), "xr");
    port.HandleIo(false, true, false);
    EXPECT_EQ(events, (std::vector<std::string>{"rx 1", "tx empty"}));
}

TEST(AsyncCommClose, BytesReceivedBeforeCloseAreNotReadAfterReopen) {
    PtyPair pty;
    TAsynComm32 port;
    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    pty.WriteMaster("stale");
    ASSERT_TRUE(WaitInQueue(port, 5));
    port.Close();
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    EXPECT_EQ(port.InQueue(), 0);
    uint8_t buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0);
    pty.WriteMaster("fresh");
    ASSERT_TRUE(WaitInQueue(port, 5));
    EXPECT_EQ(ReadAll(port, 16), "fresh");
}

TEST(AsyncCommLost, VanishedDeviceClosesThePortOnceWithoutSpinning) {
    ClosablePty pty;
    ASSERT_FALSE(pty.SlavePath().empty());
    TAsynComm32 port;
    int lost = 0;
    int handleChanges = 0;
    std::string message;
    port.OnLost = [&](TAsynComm32&, const std::string& m) {
        ++lost;
        message = m;
    };
    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    port.OnHandleChanged = [&] { ++handleChanges; };

    PollLoop loop;
    loop.AddPort(port);
    loop.RunFor(50ms);  // a live pseudo-terminal is quiet
    EXPECT_EQ(lost, 0);
    EXPECT_TRUE(port.IsOpen());

    const double cpuBefore = ThreadCpuMs();
    pty.CloseMaster();
    EXPECT_TRUE(loop.RunUntil([&] { return lost > 0; }, 5s));
    loop.RunFor(300ms);
    const double cpuUsed = ThreadCpuMs() - cpuBefore;

    EXPECT_EQ(lost, 1);
    EXPECT_EQ(handleChanges, 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(message, pty.SlavePath() + ": the device was disconnected");
    EXPECT_EQ(port.LastErrorText(), message);
    EXPECT_LT(cpuUsed, 150.0);
}

}  // namespace
}  // namespace morvane
