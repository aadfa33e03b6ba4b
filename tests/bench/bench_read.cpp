// morvane-bench-read: how close a full configuration read comes to the line
// rate. The simulated device serves a pseudo-terminal and paces its replies
// at 9600 and at 256000 baud; the link is hosted by PollLoop as the
// command-line tool hosts it. For every rate it prints the wall time of the
// read, the bytes that crossed the line both ways, the time those bytes take
// at the line rate (10 bits per byte) and the ratio of the two.
//
//   morvane-bench-read [--runs N] [--type LETTER] [--version N] [--cold] [--raw]
//
// The read starts on an open link (the firmware version is asked first, as
// the program does when its window opens). With --cold the read starts on a
// closed link instead, so the wall time also holds the wait for the link
// timer's first tick, which opens the port. With --raw a row "raw" follows
// each rate: the same page reads from a bare client without the link, the
// floor the device's pacing sets.
#include <stdlib.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/poll_loop.h"
#include "app/view.h"
#include "config/config_image.h"
#include "devsim/devsim.h"
#include "link/link.h"

using namespace morvane;
using namespace std::chrono_literals;

namespace {

struct Result {
    bool ok = false;
    double wallSeconds = 0;
    long txBytes = 0;
    long rxBytes = 0;
    int requests = 0;
    int resends = 0;
};

Result RunOnce(int baud, int type, int version, bool cold, uint32_t seed) {
    Result res;
    devsim::Options o;
    o.typeCode = type;
    o.version = version;
    o.seed = seed;
    devsim::DeviceModel model(o);
    std::mt19937 rng(seed);
    for (uint32_t a = 0; a < 0x800; ++a)
        if (a != devsim::DeviceModel::kVersionAddress && a != devsim::DeviceModel::kTypeAddress)
            model.Write(a, uint8_t(rng()));
    devsim::PtyDevice device(model, baud);
    std::string error;
    if (!device.Start(&error)) {
        std::fprintf(stderr, "morvane-bench-read: %s\n", error.c_str());
        return res;
    }

    Configurator form("\\software\\GSM\\bench");
    form.DeviceType = type;
    form.DeviceVersion = version;
    form.StartAction = Configurator::kStartNothing;
    form.PortHandedOver = true;
    ConfigImage image;
    RecordingView view;
    DeviceLink link(form, image, view);
    link.PortOverride = device.SlavePath();
    PollLoop loop;
    loop.AddTimer(link.Adas());
    loop.AddPort(link.Port());

    if (!cold) {
        link.StartIdentity();
        if (!loop.RunUntil([&] { return link.TxCel == 0; }, 30s)) {
            std::fprintf(stderr, "morvane-bench-read: no answer to the version request\n");
            return res;
        }
    }

    long rx = 0;
    auto dispatch = link.Port().OnRxChar;
    link.Port().OnRxChar = [&](TAsynComm32& port, int count) {
        rx += count;
        dispatch(port, count);
    };
    {
        auto lock = device.Lock();
        model.ClearRequestLog();
    }
    const int resendsBefore = link.ResendCount;
    const auto start = std::chrono::steady_clock::now();
    link.StartRead();
    const bool done = loop.RunUntil([&] { return link.TxCel == 0; }, 600s);
    const auto end = std::chrono::steady_clock::now();
    loop.RemovePort(link.Port());
    loop.RemoveTimer(link.Adas());
    device.Stop();

    res.ok = done && form.StatusPanels[3] == "Successful readout!" &&
             std::equal(image.Data(), image.Data() + 0x800, model.Memory().begin());
    res.wallSeconds = std::chrono::duration<double>(end - start).count();
    res.rxBytes = rx;
    for (const devsim::RequestLogEntry& e : model.RequestLog()) res.txBytes += long(e.bytes.size());
    res.requests = int(model.RequestLog().size());
    res.resends = link.ResendCount - resendsBefore;
    return res;
}

// The same page reads from a minimal client without the link: one blocking
// request and reply after another on the raw pseudo-terminal. Its wall time
// is the floor the device's pacing leaves; what the link adds is the rest.
Result RunRaw(int baud, int type, int version, uint32_t seed) {
    Result res;
    devsim::Options o;
    o.typeCode = type;
    o.version = version;
    o.seed = seed;
    devsim::DeviceModel model(o);
    devsim::PtyDevice device(model, baud);
    std::string error;
    if (!device.Start(&error)) {
        std::fprintf(stderr, "morvane-bench-read: %s\n", error.c_str());
        return res;
    }
    const int fd = open(device.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return res;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    std::vector<int> pages;
    for (int k = 0; k < 8; ++k) pages.push_back(ConfigPageNumber(k));
    for (int p = ConfigImage::kServerFirstPage; p <= ConfigImage::kServerLastReadPage; ++p) pages.push_back(p);
    for (int p = ConfigImage::kBusFirstPage; p <= ConfigImage::kBusLastPage; ++p) pages.push_back(p);
    res.ok = true;
    const auto start = std::chrono::steady_clock::now();
    for (int page : pages) {
        const devsim::Bytes request = devsim::Frame(0, 0xF7, uint8_t(page & 0xFF), uint8_t(page >> 8));
        if (write(fd, request.data(), request.size()) != ssize_t(request.size())) res.ok = false;
        res.txBytes += long(request.size());
        long got = 0;
        uint8_t buf[512];
        while (got < 257) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) break;
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) break;
            got += n;
        }
        if (got != 257) res.ok = false;
        res.rxBytes += got;
        ++res.requests;
    }
    res.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fd);
    device.Stop();
    return res;
}

void Usage(std::FILE* f) {
    std::fputs("usage: morvane-bench-read [--runs N] [--type LETTER] [--version N] [--cold] [--raw]\n", f);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    int type = 'H';
    int version = 93;
    bool cold = false;
    bool raw = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--type" && i + 1 < argc && argv[i + 1][0]) type = uint8_t(argv[++i][0]);
        else if (a == "--version" && i + 1 < argc) version = std::atoi(argv[++i]);
        else if (a == "--cold") cold = true;
        else if (a == "--raw") raw = true;
        else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else {
            Usage(stderr);
            return 2;
        }
    }
    // The read must not touch the user's settings.
    char dir[] = "/tmp/morvane-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("morvane-bench-read: mkdtemp");
        return 1;
    }
    const std::string settings = std::string(dir) + "/settings.ini";
    setenv("MORVANE_SETTINGS", settings.c_str(), 1);

    std::printf("full configuration read, type %c, firmware %d, %s link, %d run(s) per rate\n", type, version,
                cold ? "closed" : "open", runs);
    std::printf("%8s %4s %9s %7s %7s %8s %9s %7s %8s\n", "baud", "run", "wall s", "tx B", "rx B", "requests",
                "line s", "ratio", "resends");
    int status = 0;
    for (int baud : {9600, 256000}) {
        std::vector<double> ratios;
        for (int r = 1; r <= runs; ++r) {
            const Result res = RunOnce(baud, type, version, cold, uint32_t(r));
            const double line = double(res.txBytes + res.rxBytes) * 10.0 / baud;
            const double ratio = line > 0 ? res.wallSeconds / line : 0;
            std::printf("%8d %4d %9.3f %7ld %7ld %8d %9.3f %7.3f %8d%s\n", baud, r, res.wallSeconds, res.txBytes,
                        res.rxBytes, res.requests, line, ratio, res.resends, res.ok ? "" : "  FAILED");
            std::fflush(stdout);
            if (!res.ok) status = 1;
            ratios.push_back(ratio);
        }
        std::sort(ratios.begin(), ratios.end());
        std::printf("%8d  median ratio %.3f\n", baud, ratios[ratios.size() / 2]);
        if (raw) {
            const Result res = RunRaw(baud, type, version, 1);
            const double line = double(res.txBytes + res.rxBytes) * 10.0 / baud;
            std::printf("%8d %4s %9.3f %7ld %7ld %8d %9.3f %7.3f %8s%s\n", baud, "raw", res.wallSeconds, res.txBytes,
                        res.rxBytes, res.requests, line, line > 0 ? res.wallSeconds / line : 0, "-",
                        res.ok ? "" : "  FAILED");
        }
    }
    std::remove(settings.c_str());
    rmdir(dir);
    return status;
}
