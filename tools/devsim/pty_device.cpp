#include "devsim/devsim.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace morvane::devsim {

PtyDevice::PtyDevice(DeviceModel& model, int baud) : model_(model), baud_(baud) {}

PtyDevice::~PtyDevice() { Stop(); }

bool PtyDevice::Start(std::string* error) {
    if (Running()) return true;
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        Stop();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    // Keep one slave descriptor open so the pair survives the client's close and reopen.
    slaveKeep_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveKeep_ < 0) return fail("open slave");
    termios t{};
    if (tcgetattr(slaveKeep_, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(slaveKeep_, TCSANOW, &t);
    }
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyDevice::Stop() {
    if (thread_.joinable()) {
        char x = 1;
        (void)!write(wake_[1], &x, 1);
        thread_.join();
    }
    for (int* fd : {&wake_[0], &wake_[1], &slaveKeep_, &master_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

bool PtyDevice::Pause(long micros) {
    if (micros <= 0) return true;
    auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(micros);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) return true;
        pollfd p{wake_[0], POLLIN, 0};
        timespec ts{static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
        if (ppoll(&p, 1, &ts, nullptr) > 0) return false;
    }
}

bool PtyDevice::WriteAll(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return true;  // nobody listens: drop the reply
        pollfd p[2] = {{master_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, 1000) > 0 && (p[1].revents & POLLIN)) return false;
    }
    return true;
}

void PtyDevice::Run() {
    uint8_t buf[4096];
    for (;;) {
        bool pending;
        {
            auto lock = Lock();
            pending = model_.Pending();
        }
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int r = poll(p, 2, pending ? idleMs_ : 500);
        if (r < 0 && errno != EINTR) return;
        if (p[1].revents & POLLIN) return;
        if (r == 0) {
            if (pending) {
                auto lock = Lock();
                model_.Idle();
            }
            continue;
        }
        if (p[0].revents & (POLLHUP | POLLERR) && !(p[0].revents & POLLIN)) {
            if (!Pause(50000)) return;
            continue;
        }
        if (!(p[0].revents & POLLIN)) continue;
        ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        std::vector<Piece> pieces;
        int rate = 0;
        {
            auto lock = Lock();
            pieces = model_.Receive(buf, static_cast<size_t>(n));
            if (baud_ > 0) rate = model_.LineBaud() > 9600 ? model_.LineBaud() : baud_;
        }
        for (const Piece& piece : pieces) {
            if (!Pause(piece.gapMs * 1000L)) return;
            if (rate <= 0) {
                if (!WriteAll(piece.bytes)) return;
                continue;
            }
            // At a line rate the bytes leave in small groups, each when the
            // line would have carried it: the schedule counts from the start
            // of the reply, so the sleeps' own overshoot does not add up.
            constexpr size_t kGroup = 16;
            const auto begin = std::chrono::steady_clock::now();
            for (size_t at = 0; at < piece.bytes.size(); at += kGroup) {
                size_t n = std::min(kGroup, piece.bytes.size() - at);
                const auto due = begin + std::chrono::microseconds(
                                             static_cast<long>((at + n) * 10 * 1000000 / static_cast<size_t>(rate)));
                const auto left =
                    std::chrono::duration_cast<std::chrono::microseconds>(due - std::chrono::steady_clock::now());
                if (!Pause(static_cast<long>(left.count()))) return;
                if (!WriteAll(Bytes(piece.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                    piece.bytes.begin() + static_cast<std::ptrdiff_t>(at + n))))
                    return;
            }
        }
    }
}

}  // namespace morvane::devsim
