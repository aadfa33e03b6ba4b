// Serial port on the Linux terminal interface.
//
// The line is set through the kernel's termios2 interface (TCGETS2/TCSETS2),
// which takes any bit rate: 14400, 56000, 128000 and 256000 have no classic
// Bxxx code. The kernel's <asm/termbits.h> defines its own struct termios and
// cannot be combined with the C library's <termios.h>, so this file uses the
// kernel definitions only and reaches everything (flush, modem lines, queues)
// through ioctl.
//
// Mapping of the line settings:
//  - 1.5 stop bits select the "two stop bits" setting; the UART sends 1.5 stop
//    bits with 5 data bits and 2 otherwise.
//  - 4 data bits do not exist on Linux UARTs; they are sent as 5 data bits.
//  - Flow control: fcNone clears hardware and software flow (RTS and DTR
//    asserted: RTS toggling during transmission is not offered by the
//    drivers); fcCTS sets RTS/CTS hardware flow (CRTSCTS); fcDTR asserts RTS
//    and DTR without handshake (the terminal interface has no DTR/DSR flow
//    control); fcSoftware sets XON/XOFF in both directions (IXON|IXOFF) with
//    XonChar/XoffChar; fcDefault keeps the driver's hardware flow setting.
//    Raw mode always starts with software flow off, since XON/XOFF bytes
//    would otherwise vanish from the binary data.
//  - osParityCheck checks parity and framing on input (INPCK). A byte with an
//    error is then replaced by NUL, the error character, with osErrorChar, and
//    dropped without it (IGNPAR). osNullStrip removes NUL bytes in Read.
//    osDsrSensitivity has no equivalent and is ignored. osIgnoreXOff is
//    always in effect: the driver keeps transmitting after it sent XOFF.
//  - ReadBufferSize and WriteBufferSize are kept for the callers; the kernel's
//    queues have a fixed size.
//  - Modem-line (CTS, DSR, ring, carrier) and error/break events are checked
//    whenever the port is serviced; pseudo-terminals have neither.
#include "link/async_comm.h"
#include "link/serial_trace.h"

#include "link/port_names.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace morvane {

namespace {

constexpr int kBaudValues[] = {110,   300,   600,   1200,   2400,   4800,   9600,  14400,
                               19200, 38400, 56000, 57600, 115200, 128000, 256000};

// The classic speed code of a rate, or BOTHER for a rate without one.
tcflag_t SpeedCode(int bps) {
    switch (bps) {
        case 110: return B110;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return BOTHER;
    }
}

int Ioctl(int fd, unsigned long request, void* arg) {
    int r;
    do {
        r = ioctl(fd, request, arg);
    } while (r < 0 && errno == EINTR);
    return r;
}

void MakeRaw(struct termios2& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CLOCAL | CREAD;
    // One byte satisfies a read; with O_NONBLOCK an empty queue then gives
    // EAGAIN and a zero-byte read means end of file (a hung-up device).
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

int ErrnoOr(int fallback) { return errno ? errno : fallback; }

}  // namespace

int BaudRateValue(TBaudRate rate) {
    const auto i = static_cast<size_t>(rate);
    return i < std::size(kBaudValues) ? kBaudValues[i] : 9600;
}

TBaudRate BaudRateFromValue(int bitsPerSecond) {
    for (size_t i = 0; i < std::size(kBaudValues); ++i) {
        if (kBaudValues[i] == bitsPerSecond) return static_cast<TBaudRate>(i);
    }
    return TBaudRate::cbr9600;
}

TAsynComm32::TAsynComm32() = default;

TAsynComm32::~TAsynComm32() {
    // No events from the destructor: the host objects listening may be gone.
    OnHandleChanged = nullptr;
    OnOpen = nullptr;
    Close();
}

void TAsynComm32::SetBaudRate(TBaudRate rate) {
    baudRate_ = rate;
    ApplyLineSettings();
    if (trace_ && fd_ >= 0) trace_->Note("speed " + std::to_string(BaudRateValue(rate)) + " baud");
}

void TAsynComm32::SetParity(TParity p) {
    parity_ = p;
    ApplyLineSettings();
}

void TAsynComm32::SetStopbits(TStopbits s) {
    stopbits_ = s;
    ApplyLineSettings();
}

void TAsynComm32::SetDatabits(TDatabits d) {
    databits_ = d;
    ApplyLineSettings();
}

void TAsynComm32::SetFlowControl(TFlowControl f) {
    flowControl_ = f;
    ApplyLineSettings();
}

void TAsynComm32::SetXonChar(char c) {
    xonChar_ = c;
    ApplyLineSettings();
}

void TAsynComm32::SetXoffChar(char c) {
    xoffChar_ = c;
    ApplyLineSettings();
}

void TAsynComm32::SetOptions(TAsynComm32Options o) {
    options_ = o;
    ApplyLineSettings();
}

// Reads the line state, puts every property into it and writes it back; the
// driver may refuse parts of it, the port then keeps what it accepted. The
// rate the driver reports afterwards is kept in actualBaud_.
void TAsynComm32::ApplyLineSettings() {
    if (fd_ < 0) return;
    struct termios2 t {};
    if (Ioctl(fd_, TCGETS2, &t) < 0) return;

    const int bps = BaudRateValue(baudRate_);
    const tcflag_t code = SpeedCode(bps);
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= code;  // input speed 0 in CIBAUD: same as output
    t.c_ispeed = static_cast<speed_t>(bps);
    t.c_ospeed = static_cast<speed_t>(bps);

    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (parity_) {
        case TParity::paNone: break;
        case TParity::paOdd: t.c_cflag |= PARENB | PARODD; break;
        case TParity::paEven: t.c_cflag |= PARENB; break;
        case TParity::paMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case TParity::paSpace: t.c_cflag |= PARENB | CMSPAR; break;
    }

    if (stopbits_ == TStopbits::sb10) t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    else t.c_cflag |= CSTOPB;

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (databits_) {
        case TDatabits::da4:
        case TDatabits::da5: t.c_cflag |= CS5; break;
        case TDatabits::da6: t.c_cflag |= CS6; break;
        case TDatabits::da7: t.c_cflag |= CS7; break;
        case TDatabits::da8: t.c_cflag |= CS8; break;
    }

    if (options_ & Bit(TAsynComm32Option::osParityCheck)) t.c_iflag |= INPCK;
    else t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    if (options_ & Bit(TAsynComm32Option::osErrorChar)) t.c_iflag &= ~static_cast<tcflag_t>(IGNPAR);
    else t.c_iflag |= IGNPAR;

    t.c_cc[VSTART] = static_cast<cc_t>(xonChar_);
    t.c_cc[VSTOP] = static_cast<cc_t>(xoffChar_);
    int lines = 0;
    switch (flowControl_) {
        case TFlowControl::fcDefault: break;
        case TFlowControl::fcNone:
        case TFlowControl::fcDTR:
            t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
            lines = TIOCM_DTR | TIOCM_RTS;
            break;
        case TFlowControl::fcCTS:
            t.c_cflag |= CRTSCTS;
            t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
            lines = TIOCM_DTR;
            break;
        case TFlowControl::fcSoftware:
            t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            t.c_iflag |= IXON | IXOFF;
            lines = TIOCM_DTR | TIOCM_RTS;
            break;
    }

    Ioctl(fd_, TCSETS2, &t);
    // Pseudo-terminals have no modem lines and refuse this; that is harmless.
    if (lines) Ioctl(fd_, TIOCMBIS, &lines);

    struct termios2 back {};
    if (Ioctl(fd_, TCGETS2, &back) == 0) actualBaud_ = static_cast<int>(back.c_ospeed);
}

void TAsynComm32::Open() {
    Close();
    lastError_ = 0;
    lastErrorText_.clear();
    openedPath_.clear();

    auto fail = [this](int error, const std::string& text) {
        lastError_ = error;
        lastErrorText_ = text;
        if (trace_) trace_->Note("open failed: " + text);
        if (OnOpen) OnOpen(*this, 0, error);
    };

    const auto path = ResolvePortName(deviceName_);
    if (!path) {
        fail(ENOENT, DisplayPortName(deviceName_) + ": no such serial port");
        return;
    }
    openedPath_ = *path;

    errno = 0;
    int fd;
    do {
        fd = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int e = ErrnoOr(EIO);
        fail(e, *path + ": " + std::strerror(e));
        return;
    }

    struct termios2 t {};
    if (Ioctl(fd, TCGETS2, &t) < 0) {
        ::close(fd);
        fail(ENOTTY, *path + ": not a serial port");
        return;
    }
    // One program per port: the advisory lock keeps out programs that honour
    // it (us, terminal programs), TIOCEXCL refuses further opens of the tty.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) {
        int e = ErrnoOr(EBUSY);
        if (e == EWOULDBLOCK) e = EBUSY;
        ::close(fd);
        fail(e, *path + ": " + std::strerror(e) + " (the port is in use by another program)");
        return;
    }
    Ioctl(fd, TIOCEXCL, nullptr);

    // Deliver received bytes without the driver's batching delay where the
    // driver supports it (USB serial adapters); others refuse, harmlessly.
    struct serial_struct ss {};
    if (Ioctl(fd, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        Ioctl(fd, TIOCSSERIAL, &ss);
    }

    MakeRaw(t);
    Ioctl(fd, TCSETS2, &t);

    fd_ = fd;
    activeEvents_ = monitorEvents_;
    pending_.clear();
    txEmptyDue_ = false;
    txDrainWait_ = false;
    zeroReads_ = 0;
    readFailed_ = false;
    ++generation_;
    ApplyLineSettings();

    modemLinesKnown_ = Ioctl(fd_, TIOCMGET, &modemLines_) == 0;
    struct serial_icounter_struct ic {};
    counters_.known = Ioctl(fd_, TIOCGICOUNT, &ic) == 0;
    if (counters_.known) {
        counters_.frame = ic.frame;
        counters_.overrun = ic.overrun;
        counters_.parity = ic.parity;
        counters_.brk = ic.brk;
        counters_.bufOverrun = ic.buf_overrun;
    }

    if (trace_) trace_->Note("open " + *path + " " + std::to_string(BaudRateValue(baudRate_)) + " baud");
    if (OnHandleChanged) OnHandleChanged();
    if (OnOpen) OnOpen(*this, kProviderSerial, 0);
}

void TAsynComm32::CloseDescriptor(bool purge) {
    if (fd_ < 0) return;
    if (purge) Ioctl(fd_, TCFLSH, reinterpret_cast<void*>(static_cast<intptr_t>(TCIFLUSH)));
    Ioctl(fd_, TIOCNXCL, nullptr);
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    txEmptyDue_ = false;
    txDrainWait_ = false;
    zeroReads_ = 0;
    readFailed_ = false;
    actualBaud_ = 0;
    ++generation_;
}

void TAsynComm32::Close() {
    if (fd_ < 0) return;
    if (trace_) trace_->Note("close");
    CloseDescriptor(true);
    if (OnHandleChanged) OnHandleChanged();
}

void TAsynComm32::Lose() {
    const std::string message = openedPath_ + ": the device was disconnected";
    CloseDescriptor(false);
    lastError_ = ENODEV;
    lastErrorText_ = message;
    if (trace_) trace_->Note(message);
    if (OnHandleChanged) OnHandleChanged();
    if (OnLost) OnLost(*this, message);
}

int TAsynComm32::Write(const uint8_t* data, int count) {
    if (fd_ < 0 || !data || count <= 0) return 0;
    if (!pending_.empty()) {
        // The previous block is still going out: see whether the driver takes
        // the rest now; if not, this block is dropped.
        FlushPending();
        if (fd_ < 0 || !pending_.empty()) {
            if (trace_) trace_->Dropped(data, count);
            return 0;
        }
    }
    ssize_t n;
    do {
        n = ::write(fd_, data, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno != EAGAIN) return 0;  // the device refused it (lost: the poll reports it)
        n = 0;
    }
    if (trace_) trace_->Sent(data, count);
    if (n < count) pending_.assign(data + n, data + count);
    if (activeEvents_ & Bit(TC32EventState::evTxEmpty)) {
        txEmptyDue_ = true;
        txDrainWait_ = false;
    }
    return count;
}

void TAsynComm32::FlushPending() {
    while (fd_ >= 0 && !pending_.empty()) {
        const ssize_t n = ::write(fd_, pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(pending_.begin(), pending_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) readFailed_ = true;  // EIO: the device is gone
        break;
    }
}

bool TAsynComm32::WantsWrite() const {
    return fd_ >= 0 && (!pending_.empty() || (txEmptyDue_ && !txDrainWait_));
}

int TAsynComm32::TxEmptyCheckMs() const {
    if (fd_ < 0 || !txEmptyDue_ || !pending_.empty() || !txDrainWait_) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(txCheckAt_ -
                                                                             std::chrono::steady_clock::now());
    return std::max<int>(0, static_cast<int>(left.count()));
}

int TAsynComm32::Read(uint8_t* buffer, int count) {
    if (fd_ < 0 || !buffer || count <= 0) return 0;
    ssize_t n;
    do {
        n = ::read(fd_, buffer, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno != EAGAIN) readFailed_ = true;
        return 0;
    }
    if (n == 0) {
        ++zeroReads_;  // end of file: a hung-up device
        return 0;
    }
    zeroReads_ = 0;
    if (options_ & Bit(TAsynComm32Option::osNullStrip)) {
        n = std::remove(buffer, buffer + n, uint8_t{0}) - buffer;
    }
    if (trace_ && n > 0) trace_->Received(buffer, static_cast<int>(n));
    return static_cast<int>(n);
}

int TAsynComm32::InQueue() const {
    if (fd_ < 0) return 0;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) < 0) return 0;
    return n;
}

uint32_t TAsynComm32::LineEvents() {
    uint32_t ev = 0;
    if (modemLinesKnown_) {
        int lines = 0;
        if (Ioctl(fd_, TIOCMGET, &lines) == 0) {
            const int changed = lines ^ modemLines_;
            if (changed & TIOCM_CTS) ev |= Bit(TC32EventState::evCTS);
            if (changed & TIOCM_DSR) ev |= Bit(TC32EventState::evDSR);
            if ((changed & TIOCM_RNG) && (lines & TIOCM_RNG)) ev |= Bit(TC32EventState::evRing);
            if (changed & TIOCM_CD) ev |= Bit(TC32EventState::evRlsd);
            modemLines_ = lines;
        }
    }
    lastErrors_ = 0;
    if (counters_.known) {
        struct serial_icounter_struct ic {};
        if (Ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
            if (ic.frame != counters_.frame) lastErrors_ |= kCeFrame;
            if (ic.overrun != counters_.overrun) lastErrors_ |= kCeOverrun;
            if (ic.parity != counters_.parity) lastErrors_ |= kCeRxParity;
            if (ic.buf_overrun != counters_.bufOverrun) lastErrors_ |= kCeRxOver;
            if (ic.brk != counters_.brk) {
                lastErrors_ |= kCeBreak;
                ev |= Bit(TC32EventState::evBreak);
            }
            counters_.frame = ic.frame;
            counters_.overrun = ic.overrun;
            counters_.parity = ic.parity;
            counters_.brk = ic.brk;
            counters_.bufOverrun = ic.buf_overrun;
        }
    }
    if (lastErrors_ & ~static_cast<uint32_t>(kCeBreak)) ev |= Bit(TC32EventState::evError);
    return ev;
}

void TAsynComm32::HandleIo(bool readable, bool writable, bool hangup) {
    if (fd_ < 0) return;
    // A hang-up means the device went away: an unplugged adapter, or the
    // master side of a pseudo-terminal closed.
    if (hangup || readFailed_ || zeroReads_ >= kZeroReadLimit) {
        Lose();
        return;
    }
    if (writable && !pending_.empty()) FlushPending();
    if (readFailed_) {
        Lose();
        return;
    }

    uint32_t ev = LineEvents();

    if (readable) {
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) < 0) {
            if (errno == EIO) {  // a hung-up terminal refuses everything
                Lose();
                return;
            }
            n = 0;
        }
        if (n > 0) {
            zeroReads_ = 0;
            ev |= Bit(TC32EventState::evRxChar);
        } else if (++zeroReads_ >= kZeroReadLimit) {
            // Readable again and again with nothing to read: end of file.
            Lose();
            return;
        }
    }

    if (txEmptyDue_ && pending_.empty() &&
        (writable || !txDrainWait_ || std::chrono::steady_clock::now() >= txCheckAt_)) {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) < 0 || queued <= 0) {
            txEmptyDue_ = false;
            txDrainWait_ = false;
            ev |= Bit(TC32EventState::evTxEmpty);
        } else {
            // Still draining: look again about when the queue should be out
            // (10 bits a byte), at least every 200 ms.
            const int bps = std::max(actualBaud_, 50);
            const long ms = std::clamp(queued * 10L * 1000L / bps, 1L, 200L);
            txDrainWait_ = true;
            txCheckAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        }
    }

    Dispatch(ev & activeEvents_);
    if (fd_ >= 0 && (readFailed_ || zeroReads_ >= kZeroReadLimit)) Lose();
}

// Raises the events of the mask in their fixed order. A handler may close or
// reopen the port; the rest of the events then belong to a port that no
// longer exists and are not raised.
void TAsynComm32::Dispatch(uint32_t events) {
    const unsigned generation = generation_;
    auto alive = [&] { return generation_ == generation && fd_ >= 0; };
    auto raise = [&](TC32EventState e, const std::function<void(TAsynComm32&)>& handler) {
        if ((events & Bit(e)) && alive() && handler) handler(*this);
    };
    raise(TC32EventState::evBreak, OnBreak);
    raise(TC32EventState::evCTS, OnCTS);
    raise(TC32EventState::evDSR, OnDSR);
    if ((events & Bit(TC32EventState::evError)) && alive() && OnError) OnError(*this, lastErrors_);
    raise(TC32EventState::evRing, OnRing);
    raise(TC32EventState::evRlsd, OnRLSD);
    if ((events & Bit(TC32EventState::evRxChar)) && alive() && OnRxChar) {
        const int waiting = InQueue();  // all bytes waiting now, not only those that woke us
        if (waiting > 0) OnRxChar(*this, waiting);
    }
    raise(TC32EventState::evRxFlag, OnRxFlag);
    // A handler above may have started another write; its own transmit-empty
    // event follows when that one is out.
    if (!txEmptyDue_ && pending_.empty()) raise(TC32EventState::evTxEmpty, OnTxEmpty);
}

}  // namespace morvane
