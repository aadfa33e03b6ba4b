#pragma once
// A small event loop for hosts without a window toolkit: the command-line
// tool and the tests. It fires CoreTimers at their intervals and watches the
// descriptors of serial ports, calling TAsynComm32::HandleIo on this thread.
#include <chrono>
#include <functional>
#include <memory>
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

    // Timers and ports are watched until removed or until the loop ends; an
    // object destroyed before the loop must be removed first.
    void AddTimer(CoreTimer& timer);
    void RemoveTimer(CoreTimer& timer);
    void AddPort(TAsynComm32& port);
    void RemovePort(TAsynComm32& port);

    // Runs until done() returns true (checked after every event) or the time
    // runs out. Returns done()'s last value.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Runs for the given time.
    void RunFor(std::chrono::milliseconds duration);

private:
    struct TimerEntry {
        CoreTimer* timer;
        std::chrono::steady_clock::time_point due;
        std::function<void()> previousOnChanged;  // the hook that was there before ours
    };
    void Rearm(TimerEntry& entry);
    bool Step(std::chrono::steady_clock::time_point until);

    TimerEntry* Find(CoreTimer* timer);

    std::vector<TimerEntry> timers_;
    std::vector<TAsynComm32*> ports_;
    // Lets a timer's OnChanged hook outlive the loop harmlessly.
    std::shared_ptr<PollLoop*> self_;
};

}  // namespace morvane
