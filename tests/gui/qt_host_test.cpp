// The Qt host of the core: CoreTimers on QTimers, serial ports on socket
// notifiers (writes that do not fit at once, transmit-empty, hang-up).
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core_timer.h"
#include "app/ui/qt_host.h"
#include "link/async_comm.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

// Makes the QApplication unless another file's environment already did.

bool RunUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs) return cond();
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

TEST(QtHostTest, TimerFollowsTheCoresIntervalAndEnabledState) {
    CoreTimer timer("t", 5000, false);  // bound objects outlive the host
    QtHost host;
    int ticks = 0;
    timer.OnTimer = [&] {
        // A handler that shortens its own interval, then stops itself.
        timer.SetInterval(20);
        if (++ticks == 3) timer.SetEnabled(false);
    };
    bool hookCalled = false;
    timer.OnChanged = [&] { hookCalled = true; };
    host.AddTimer(timer);
    QtTimerBinding* binding = host.FindTimer(timer);
    ASSERT_NE(binding, nullptr);
    EXPECT_FALSE(binding->Active());

    timer.SetInterval(30);  // disabled: the clock stays off
    EXPECT_FALSE(binding->Active());
    EXPECT_TRUE(hookCalled);  // the hook that was there before still runs
    timer.SetEnabled(true);
    EXPECT_TRUE(binding->Active());
    EXPECT_EQ(binding->IntervalMs(), 30);
    ASSERT_TRUE(RunUntil([&] { return ticks == 3; }, 5000));
    EXPECT_FALSE(binding->Active());
    RunUntil([] { return false; }, 150);
    EXPECT_EQ(ticks, 3);
}

TEST(QtHostTest, LargeWriteIsFlushedAsThePeerReadsAndEndsWithTxEmpty) {
    test::PtyPair pty;
    TAsynComm32 port;
    QtHost host;
    port.SetDeviceName(pty.SlavePath());
    host.AddPort(port);
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    int txEmpty = 0;
    port.OnTxEmpty = [&](TAsynComm32&) { ++txEmpty; };

    // Far more than the pseudo-terminal holds: most of it waits for the
    // write notifier.
    std::vector<uint8_t> block(256 * 1024);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(port.Write(block), static_cast<int>(block.size()));
    host.Recheck();

    std::string received;
    ASSERT_TRUE(RunUntil(
        [&] {
            received += pty.ReadMaster(0);
            return received.size() >= block.size() && txEmpty > 0;
        },
        20000))
        << received.size() << " bytes, tx-empty " << txEmpty;
    ASSERT_EQ(received.size(), block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), received.begin(),
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
    EXPECT_FALSE(port.WantsWrite());
}

TEST(QtHostTest, PeerHangupLosesThePortAndFreesItsDescriptor) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave = ptsname(master);

    test::PtyPair pty;
    TAsynComm32 port;
    QtHost host;
    port.SetDeviceName(slave);
    host.AddPort(port);
    std::string lost;
    port.OnLost = [&](TAsynComm32&, const std::string& message) { lost = message; };
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();

    ::close(master);
    ASSERT_TRUE(RunUntil([&] { return !port.IsOpen(); }, 10000));
    EXPECT_FALSE(lost.empty());
    // Reopening after the loss is watched again (a new descriptor).
    port.SetDeviceName(pty.SlavePath());
    int rx = 0;
    port.OnRxChar = [&](TAsynComm32& p, int) {
        uint8_t buf[64];
        rx += p.Read(buf, sizeof buf);
    };
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    pty.WriteMaster("abc");
    EXPECT_TRUE(RunUntil([&] { return rx == 3; }, 10000));
}

}  // namespace
}  // namespace morvane
