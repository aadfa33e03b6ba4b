#include "app/poll_loop.h"

#include "app/core_timer.h"
#include "link/async_comm.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace morvane {

namespace {
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds IntervalOf(const CoreTimer& t) {
    return std::chrono::milliseconds(std::max(1, t.Interval()));
}
}  // namespace

PollLoop::PollLoop() : self_(std::make_shared<PollLoop*>(this)) {}

PollLoop::~PollLoop() = default;  // the timers' hooks see self_ expire and do nothing

PollLoop::TimerEntry* PollLoop::Find(CoreTimer* timer) {
    for (auto& e : timers_) {
        if (e.timer == timer) return &e;
    }
    return nullptr;
}

void PollLoop::AddTimer(CoreTimer& timer) {
    if (Find(&timer)) return;
    TimerEntry entry{&timer, Clock::now() + IntervalOf(timer), timer.OnChanged};
    std::weak_ptr<PollLoop*> weak = self_;
    CoreTimer* t = &timer;
    auto previous = timer.OnChanged;
    timer.OnChanged = [weak, t, previous] {
        if (auto self = weak.lock()) {
            if (TimerEntry* e = (*self)->Find(t)) (*self)->Rearm(*e);
        }
        if (previous) previous();
    };
    timers_.push_back(std::move(entry));
}

void PollLoop::RemoveTimer(CoreTimer& timer) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const TimerEntry& e) { return e.timer == &timer; });
    if (it == timers_.end()) return;
    timer.OnChanged = it->previousOnChanged;
    timers_.erase(it);
}

void PollLoop::AddPort(TAsynComm32& port) {
    if (std::find(ports_.begin(), ports_.end(), &port) == ports_.end()) ports_.push_back(&port);
}

void PollLoop::RemovePort(TAsynComm32& port) {
    ports_.erase(std::remove(ports_.begin(), ports_.end(), &port), ports_.end());
}

// Setting the interval or enabling restarts the countdown.
void PollLoop::Rearm(TimerEntry& entry) { entry.due = Clock::now() + IntervalOf(*entry.timer); }

bool PollLoop::Step(Clock::time_point until) {
    // Timers first. The next tick is counted from the previous due time so
    // the ticks keep their pace; when a handler ran so long that it is due
    // already, it waits a full interval instead of firing catch-up ticks.
    auto now = Clock::now();
    std::vector<CoreTimer*> due;
    for (const auto& e : timers_) {
        if (e.timer->Enabled() && e.due <= now) due.push_back(e.timer);
    }
    for (CoreTimer* t : due) {
        TimerEntry* e = Find(t);  // an earlier handler may have removed or re-armed it
        if (!e || !t->Enabled() || e->due > Clock::now()) continue;
        e->due += IntervalOf(*t);
        if (e->due <= now) e->due = now + IntervalOf(*t);
        t->Fire();
        if ((e = Find(t)) != nullptr) {
            const auto after = Clock::now();
            if (e->due <= after) e->due = after + IntervalOf(*t);
        }
    }
    if (!due.empty()) return true;

    // Then the ports, waiting at most until the next timer is due.
    now = Clock::now();
    auto wake = until;
    for (const auto& e : timers_) {
        if (e.timer->Enabled()) wake = std::min(wake, e.due);
    }
    struct Watched {
        TAsynComm32* port;
        int fd;
    };
    std::vector<Watched> watched;
    std::vector<pollfd> fds;
    for (TAsynComm32* port : ports_) {
        const int fd = port->NativeHandle();  // changes with every Open and Close
        if (fd < 0) continue;
        const int check = port->TxEmptyCheckMs();
        if (check >= 0) wake = std::min(wake, now + std::chrono::milliseconds(check));
        short events = POLLIN;
        if (port->WantsWrite()) events |= POLLOUT;
        fds.push_back(pollfd{fd, events, 0});
        watched.push_back({port, fd});
    }
    long long waitMs = 0;
    if (wake > now) {
        // Round up: waking early would only find nothing due and poll again.
        waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        waitMs = std::min<long long>(waitMs, 60 * 60 * 1000);
    }
    const int r = ::poll(fds.data(), fds.size(), static_cast<int>(waitMs));
    if (r < 0) return false;  // EINTR: go round again

    bool handled = false;
    for (size_t i = 0; i < fds.size(); ++i) {
        TAsynComm32* port = watched[i].port;
        // An earlier handler may have removed, closed or reopened this port.
        if (std::find(ports_.begin(), ports_.end(), port) == ports_.end()) continue;
        if (port->NativeHandle() != watched[i].fd) continue;
        const short re = fds[i].revents;
        if (re != 0) {
            port->HandleIo((re & POLLIN) != 0, (re & POLLOUT) != 0, (re & (POLLHUP | POLLERR | POLLNVAL)) != 0);
            handled = true;
        } else if (port->TxEmptyCheckMs() == 0) {
            port->HandleIo(false, false, false);
            handled = true;
        }
    }
    return handled;
}

bool PollLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    for (;;) {
        if (done && done()) return true;
        if (Clock::now() >= until) return done ? done() : false;
        Step(until);
    }
}

void PollLoop::RunFor(std::chrono::milliseconds duration) { RunUntil(nullptr, duration); }

}  // namespace morvane
