#pragma once
// A timer of the core. The core decides interval and enabled state and what a
// tick does; the host (Qt event loop, or PollLoop in the command-line tool and
// the tests) owns the real clock and calls Fire() when the interval elapses.
// Setting the interval or enabling restarts the countdown, as a window
// toolkit's timer does.
#include <functional>
#include <string>
#include <utility>

namespace morvane {

class CoreTimer {
public:
    CoreTimer(std::string name, int intervalMs, bool enabled)
        : name_(std::move(name)), interval_(intervalMs), enabled_(enabled) {}
    CoreTimer(const CoreTimer&) = delete;
    CoreTimer& operator=(const CoreTimer&) = delete;

    const std::string& Name() const { return name_; }
    int Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }

    void SetInterval(int ms) {
        if (ms < 1) ms = 1;
        if (ms == interval_) return;
        interval_ = ms;
        if (OnChanged) OnChanged();
    }
    void SetEnabled(bool on) {
        if (on == enabled_) return;
        enabled_ = on;
        if (OnChanged) OnChanged();
    }
    // Host side: the interval elapsed.
    void Fire() {
        if (enabled_ && OnTimer) OnTimer();
    }

    std::function<void()> OnTimer;    // set by the owner in the core
    std::function<void()> OnChanged;  // set by the host to re-arm its clock

private:
    std::string name_;
    int interval_;
    bool enabled_;
};

}  // namespace morvane
