#pragma once
// A small event loop for hosts without a window toolkit: the command-line
// tool and the tests. It fires CoreTimers at their intervals and watches the
// descriptors of serial ports, calling TAsynComm32::HandleIo on this thread.
#include <chrono>
#include <functional>
#include <vector>

namespace morvane {

class CoreTimer;
class TAsynComm32;

class PollLoop {
public:
    PollLoop();
    ~PollLoop();
    PollLoop(const PollLoop&) = delete;
    PollLoop& operator=(const PollLoop&) = delete;

    void AddTimer(CoreTimer& timer);
    void AddPort(TAsynComm32& port);

    // Runs until done() returns true (checked after every event) or the time
    // runs out. Returns done()'s last value.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Runs for the given time.
    void RunFor(std::chrono::milliseconds duration);

private:
    struct TimerEntry {
        CoreTimer* timer;
        std::chrono::steady_clock::time_point due;
    };
    void Rearm(TimerEntry& entry);
    bool Step(std::chrono::steady_clock::time_point until);

    std::vector<TimerEntry> timers_;
    std::vector<TAsynComm32*> ports_;
};

}  // namespace morvane
