#include "app/poll_loop.h"

#include "app/core_timer.h"
#include "link/async_comm.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace morvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(PollLoop, TimersFireAtAboutTheirIntervals) {
    PollLoop loop;
    CoreTimer tick("tick", 50, true);
    CoreTimer off("off", 10, false);
    int ticks = 0, offTicks = 0;
    tick.OnTimer = [&] { ++ticks; };
    off.OnTimer = [&] { ++offTicks; };
    loop.AddTimer(tick);
    loop.AddTimer(off);
    loop.RunFor(600ms);
    // 12 at most; fewer on a busy machine, but not none.
    EXPECT_GE(ticks, 4);
    EXPECT_LE(ticks, 12);
    EXPECT_EQ(offTicks, 0);
}

TEST(PollLoop, ChangingATimerRestartsItsCountdown) {
    PollLoop loop;
    CoreTimer slow("slow", 60000, true);
    int fired = 0;
    slow.OnTimer = [&] { ++fired; };
    loop.AddTimer(slow);
    loop.RunFor(20ms);
    slow.SetInterval(30);
    EXPECT_TRUE(loop.RunUntil([&] { return fired > 0; }, 5s));

    slow.SetEnabled(false);
    const int before = fired;
    loop.RunFor(100ms);
    EXPECT_EQ(fired, before);
    slow.SetEnabled(true);
    EXPECT_TRUE(loop.RunUntil([&] { return fired > before; }, 5s));

    loop.RemoveTimer(slow);
    const int removed = fired;
    loop.RunFor(100ms);
    EXPECT_EQ(fired, removed);
}

TEST(PollLoop, ASlowHandlerGetsNoBurstOfCatchUpTicks) {
    PollLoop loop;
    CoreTimer tick("tick", 20, true);
    std::vector<Clock::time_point> starts;
    Clock::time_point slowEnd{};
    tick.OnTimer = [&] {
        starts.push_back(Clock::now());
        if (starts.size() == 2) {
            std::this_thread::sleep_for(200ms);
            slowEnd = Clock::now();
        }
    };
    loop.AddTimer(tick);
    ASSERT_TRUE(loop.RunUntil([&] { return starts.size() >= 4; }, 10s));
    EXPECT_GE(starts[2] - slowEnd, 15ms);
    EXPECT_GE(starts[3] - starts[2], 15ms);
}

TEST(PollLoop, TimerHookOutlivesTheLoop) {
    CoreTimer tick("tick", 100, true);
    int chained = 0;
    tick.OnChanged = [&] { ++chained; };
    {
        PollLoop loop;
        loop.AddTimer(tick);
        tick.SetInterval(50);
        EXPECT_EQ(chained, 1);  // the host's own hook still runs
    }
    tick.SetInterval(70);  // the loop is gone: no access to it
    EXPECT_EQ(chained, 2);
}

TEST(PollLoop, PortBytesArriveThroughTheLoopAndRepliesGoOut) {
    test::PtyPair pty;
    PollLoop loop;
    TAsynComm32 port;
    loop.AddPort(port);  // before Open: the loop follows the port's descriptor
    std::string received;
    int txEmpty = 0;
    port.OnRxChar = [&](TAsynComm32& p, int count) {
        std::vector<uint8_t> buf(static_cast<size_t>(count));
        const int n = p.Read(buf.data(), count);
        received.append(buf.begin(), buf.begin() + n);
        if (received == "hello") p.Write({'o', 'k'});
    };
    port.OnTxEmpty = [&](TAsynComm32&) { ++txEmpty; };

    CoreTimer device("device", 30, true);
    device.OnTimer = [&] {
        pty.WriteMaster("hello");
        device.SetEnabled(false);
    };
    loop.AddTimer(device);

    port.SetDeviceName(pty.SlavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen()) << port.LastErrorText();
    EXPECT_TRUE(loop.RunUntil([&] { return txEmpty > 0; }, 5s));
    EXPECT_EQ(received, "hello");
    EXPECT_EQ(pty.ReadMaster(2000), "ok");
    loop.RunFor(50ms);
    EXPECT_EQ(txEmpty, 1);

    // Reopened: a new descriptor, still watched.
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    received.clear();
    pty.WriteMaster("again");
    EXPECT_TRUE(loop.RunUntil([&] { return received == "again"; }, 5s));
}

}  // namespace
}  // namespace morvane
