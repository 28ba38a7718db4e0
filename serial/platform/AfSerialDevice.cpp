#include "AfSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// While unread input waits, new arrivals are looked for this often instead of waiting for
// readability (which would be reported again and again).
constexpr int kUnreadRecheckMs = 20;

struct RateEntry {
    uint32_t rate;
    speed_t code;
};
constexpr RateEntry kRates[] = {{50, B50},       {75, B75},       {110, B110},      {134, B134},
                                {150, B150},     {200, B200},     {300, B300},      {600, B600},
                                {1200, B1200},   {1800, B1800},   {2400, B2400},    {4800, B4800},
                                {9600, B9600},   {19200, B19200}, {38400, B38400},  {57600, B57600},
                                {115200, B115200}, {230400, B230400}, {460800, B460800},
                                {921600, B921600}};

bool speedCode(uint32_t rate, speed_t& code)
{
    for (const RateEntry& e : kRates) {
        if (e.rate == rate) {
            code = e.code;
            return true;
        }
    }
    return false;
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

// Why opening failed, from the errno of stat(), open() or flock().
TAfOpenFailure failureOf(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR: return TAfOpenFailure::NoSuchDevice;
    case EACCES:
    case EPERM: return TAfOpenFailure::NoPermission;
    case EBUSY:
    case EWOULDBLOCK: return TAfOpenFailure::Busy;
    case ENXIO:
    case ENODEV:
    case EIO: return TAfOpenFailure::NoHardware;
    default: return TAfOpenFailure::Other;
    }
}

bool lostErrno(int e)
{
    return e == EIO || e == ENXIO || e == ENODEV || e == EPIPE;
}

} // namespace

TAfSerialDevice::TAfSerialDevice() = default;

TAfSerialDevice::~TAfSerialDevice()
{
    Close();
}

bool TAfSerialDevice::Open(const QString& path, TAfOpenFailure& failure, int& sysError)
{
    failure = TAfOpenFailure::None;
    sysError = 0;
    if (fd_ >= 0)
        return true;
    const QByteArray name = path.toLocal8Bit();
    struct stat st {};
    if (name.isEmpty() || stat(name.constData(), &st) != 0) {
        sysError = name.isEmpty() ? ENOENT : errno;
        failure = failureOf(sysError);
        return false;
    }
    const int fd = open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        sysError = errno;
        failure = failureOf(sysError);
        return false;
    }
    // TIOCEXCL keeps other programs out (root excepted); the lock also catches a second
    // opener in this process and root.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        sysError = errno;
        failure = failureOf(sysError);
        close(fd);
        return false;
    }
    termios t {};
    if (tcgetattr(fd, &t) != 0) {
        sysError = errno;
        failure = TAfOpenFailure::NotATerminal;
        close(fd);
        return false;
    }
    ioctl(fd, TIOCEXCL);

    fd_ = fd;
    lost_.store(false);
    totalRead_.store(0);
    announcedTotal_ = 0;
    eventWake_.Drain();
    writeWake_.Drain();
    modemKnown_ = ioctl(fd_, TIOCMGET, &lastModem_) == 0;
    icountKnown_ = ioctl(fd_, TIOCGICOUNT, &lastEventCount_) == 0;
    statusCountKnown_ = icountKnown_;
    lastStatusCount_ = lastEventCount_;
    return true;
}

bool TAfSerialDevice::Close()
{
    if (fd_ < 0)
        return true;
    ioctl(fd_, TIOCNXCL);
    const int r = close(fd_);
    fd_ = -1;
    return r == 0 || errno == EINTR;
}

bool TAfSerialDevice::SetTimeouts()
{
    termios t {};
    if (tcgetattr(fd_, &t) != 0)
        return false;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd_, TCSANOW, &t) == 0;
}

bool TAfSerialDevice::SetQueueSizes(int32_t inQueue, int32_t outQueue)
{
    if (inQueue < 0 || outQueue < 0)
        return false;
    inQueueSize_ = inQueue;
    outQueueSize_ = outQueue;
    return fd_ >= 0;
}

bool TAfSerialDevice::SetLineSettings(const TAfLineSettings& r)
{
    termios t {};
    if (fd_ < 0 || r.Length != TAfLineSettings::RecordSize || tcgetattr(fd_, &t) != 0)
        return false;
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                           IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CREAD | CLOCAL;

    switch (r.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return false;
    }
    switch (r.Parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }
    switch (r.StopBits) {
    case 0: break;
    case 1:
        // One and a half stop bits exist only with five data bits, where the UART gives them
        // for CSTOPB.
        if (r.ByteSize != 5)
            return false;
        t.c_cflag |= CSTOPB;
        break;
    case 2: t.c_cflag |= CSTOPB; break;
    default: return false;
    }
    if (r.Flags & AfFlag::Parity)
        t.c_iflag |= INPCK;
    if (r.Flags & (AfFlag::OutxCtsFlow | AfFlag::RtsControlHandshake))
        t.c_cflag |= CRTSCTS;
    if (r.Flags & AfFlag::OutX)
        t.c_iflag |= IXON;
    if (r.Flags & AfFlag::InX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = cc_t(r.XonChar);
    t.c_cc[VSTOP] = cc_t(r.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    if (r.BaudRate == 0)
        return false;
    speed_t code;
    const bool standard = speedCode(r.BaudRate, code);
    if (standard) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    }
    if (tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    if (!standard && !AfSetCustomBaudRate(fd_, r.BaudRate))
        return false;

    // The modem lines follow the record; a pseudo-terminal has none (ENOTTY), which is fine.
    if (!(r.Flags & AfFlag::DtrControlHandshake)) {
        const int dtr = TIOCM_DTR;
        ioctl(fd_, (r.Flags & AfFlag::DtrControlEnable) ? TIOCMBIS : TIOCMBIC, &dtr);
    }
    if (!(r.Flags & AfFlag::RtsControlHandshake)) {
        const int rts = TIOCM_RTS;
        ioctl(fd_, (r.Flags & AfFlag::RtsControlEnable) ? TIOCMBIS : TIOCMBIC, &rts);
    }
    return true;
}

bool TAfSerialDevice::GetLineSettings(TAfLineSettings& r) const
{
    termios t {};
    if (fd_ < 0 || tcgetattr(fd_, &t) != 0)
        return false;
    r = TAfLineSettings();
    r.Length = TAfLineSettings::RecordSize;
    r.BaudRate = AfGetBaudRate(fd_);
    switch (t.c_cflag & CSIZE) {
    case CS5: r.ByteSize = 5; break;
    case CS6: r.ByteSize = 6; break;
    case CS7: r.ByteSize = 7; break;
    default: r.ByteSize = 8; break;
    }
    if (t.c_cflag & PARENB) {
        if (t.c_cflag & CMSPAR)
            r.Parity = (t.c_cflag & PARODD) ? 3 : 4;
        else
            r.Parity = (t.c_cflag & PARODD) ? 1 : 2;
    }
    if (t.c_cflag & CSTOPB)
        r.StopBits = r.ByteSize == 5 ? 1 : 2;
    r.Flags = AfFlag::Binary;
    if (t.c_iflag & INPCK)
        r.Flags |= AfFlag::Parity;
    if (t.c_cflag & CRTSCTS)
        r.Flags |= AfFlag::OutxCtsFlow | AfFlag::RtsControlHandshake;
    if (t.c_iflag & IXON)
        r.Flags |= AfFlag::OutX;
    if (t.c_iflag & IXOFF)
        r.Flags |= AfFlag::InX;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) == 0) {
        if (lines & TIOCM_DTR)
            r.Flags |= AfFlag::DtrControlEnable;
        if ((lines & TIOCM_RTS) && !(t.c_cflag & CRTSCTS))
            r.Flags |= AfFlag::RtsControlEnable;
    }
    r.XonChar = uint8_t(t.c_cc[VSTART]);
    r.XoffChar = uint8_t(t.c_cc[VSTOP]);
    return true;
}

void TAfSerialDevice::SetEventMask(uint32_t mask)
{
    mask_.store(mask);
    eventWake_.Wake();
}

uint32_t TAfSerialDevice::InputCount() const
{
    int n = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0 || n < 0)
        return 0;
    return uint32_t(n);
}

uint32_t TAfSerialDevice::CheckLines()
{
    uint32_t bits = 0;
    if (modemKnown_) {
        int lines = 0;
        if (ioctl(fd_, TIOCMGET, &lines) == 0) {
            const int changed = lines ^ lastModem_;
            lastModem_ = lines;
            if (changed & TIOCM_CTS)
                bits |= AfEv::Cts;
            if (changed & TIOCM_DSR)
                bits |= AfEv::Dsr;
            if (changed & TIOCM_CD)
                bits |= AfEv::Rlsd;
            if (changed & TIOCM_RI)
                bits |= AfEv::Ring;
        } else {
            modemKnown_ = false;
        }
    }
    if (icountKnown_) {
        serial_icounter_struct c {};
        if (ioctl(fd_, TIOCGICOUNT, &c) == 0) {
            const serial_icounter_struct& l = lastEventCount_;
            if (c.frame != l.frame || c.overrun != l.overrun || c.parity != l.parity ||
                c.brk != l.brk || c.buf_overrun != l.buf_overrun)
                bits |= AfEv::Err;
            lastEventCount_ = c;
        } else {
            icountKnown_ = false;
        }
    }
    return bits;
}

TAfWaitResult TAfSerialDevice::WaitEvent(int timeoutMs, uint32_t& bits)
{
    bits = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const uint32_t mask = mask_.load();
        if (mask == 0)
            return TAfWaitResult::Events;
        const int remaining = remainingMs(deadline);
        if (lost_.load())
            return WaitWake(remaining);

        bool armed = true;
        if (mask & AfEv::RxChar) {
            // Read count first, so that a read in between counts twice (a spare event) rather
            // than not at all.
            const uint32_t waiting = InputCount();
            const uint64_t total = waiting + totalRead_.load();
            if (total > announcedTotal_) {
                announcedTotal_ = total;
                if (waiting > 0)
                    bits |= AfEv::RxChar;
            }
            armed = waiting == 0;
        }
        if (bits != 0 || remaining == 0) {
            bits |= CheckLines() & mask;
            return bits != 0 ? TAfWaitResult::Events : TAfWaitResult::Timeout;
        }

        pollfd fds[2] = {{eventWake_.Fd(), POLLIN, 0}, {fd_, POLLIN, 0}};
        const bool watchDevice = armed && (mask & AfEv::RxChar);
        const int wait = watchDevice ? remaining : std::min(remaining, kUnreadRecheckMs);
        const int r = poll(fds, watchDevice ? 2 : 1, wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return TAfWaitResult::Failed;
        }
        if (fds[0].revents) {
            eventWake_.Drain();
            return TAfWaitResult::Woken;
        }
        if (watchDevice && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)))
            MarkLost();
    }
}

TAfWaitResult TAfSerialDevice::WaitWake(int timeoutMs)
{
    for (;;) {
        pollfd fd = {eventWake_.Fd(), POLLIN, 0};
        const int r = poll(&fd, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return TAfWaitResult::Failed;
        if (r == 0)
            return TAfWaitResult::Timeout;
        eventWake_.Drain();
        return TAfWaitResult::Woken;
    }
}

int32_t TAfSerialDevice::Read(char* buffer, int32_t count)
{
    if (fd_ < 0 || count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = read(fd_, buffer, size_t(count));
        if (n > 0) {
            totalRead_.fetch_add(uint64_t(n));
            return int32_t(n);
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && lostErrno(errno))
            MarkLost();
        return 0;
    }
}

int32_t TAfSerialDevice::Write(const char* data, int32_t count)
{
    if (fd_ < 0 || lost_.load())
        return -1;
    for (;;) {
        const ssize_t n = write(fd_, data, size_t(count));
        if (n >= 0)
            return int32_t(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        if (lostErrno(errno))
            MarkLost();
        return -1;
    }
}

bool TAfSerialDevice::WaitWritable()
{
    for (;;) {
        pollfd fds[2] = {{writeWake_.Fd(), POLLIN, 0}, {fd_, POLLOUT, 0}};
        const int r = poll(fds, 2, -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return false;
        if (fds[0].revents) {
            writeWake_.Drain();
            return false;
        }
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            MarkLost();
        return true;
    }
}

bool TAfSerialDevice::Status(TAfQueueStatus& status)
{
    status = TAfQueueStatus();
    if (fd_ < 0 || lost_.load())
        return false;
    status.InQueue = InputCount();
    int out = 0;
    if (ioctl(fd_, TIOCOUTQ, &out) == 0 && out > 0)
        status.OutQueue = uint32_t(out);
    if (statusCountKnown_) {
        serial_icounter_struct c {};
        if (ioctl(fd_, TIOCGICOUNT, &c) == 0) {
            const serial_icounter_struct& l = lastStatusCount_;
            if (c.buf_overrun != l.buf_overrun)
                status.Errors |= AfCe::RxOver;
            if (c.overrun != l.overrun)
                status.Errors |= AfCe::Overrun;
            if (c.parity != l.parity)
                status.Errors |= AfCe::RxParity;
            if (c.frame != l.frame)
                status.Errors |= AfCe::Frame;
            if (c.brk != l.brk)
                status.Errors |= AfCe::Break;
            lastStatusCount_ = c;
        } else {
            statusCountKnown_ = false;
        }
    }
    return true;
}

bool TAfSerialDevice::Purge(uint32_t flags)
{
    if (fd_ < 0)
        return false;
    bool ok = true;
    if ((flags & AfPurge::TxClear) && (flags & AfPurge::RxClear))
        ok = tcflush(fd_, TCIOFLUSH) == 0;
    else if (flags & AfPurge::TxClear)
        ok = tcflush(fd_, TCOFLUSH) == 0;
    else if (flags & AfPurge::RxClear)
        ok = tcflush(fd_, TCIFLUSH) == 0;
    // Reads never block here; a write held in WaitWritable is woken.
    if (flags & AfPurge::TxAbort)
        writeWake_.Wake();
    return ok;
}

bool TAfSerialDevice::Escape(int code)
{
    if (fd_ < 0)
        return false;
    int line;
    unsigned long request;
    switch (code) {
    case AfEscape::SetRts: line = TIOCM_RTS; request = TIOCMBIS; break;
    case AfEscape::ClrRts: line = TIOCM_RTS; request = TIOCMBIC; break;
    case AfEscape::SetDtr: line = TIOCM_DTR; request = TIOCMBIS; break;
    case AfEscape::ClrDtr: line = TIOCM_DTR; request = TIOCMBIC; break;
    default: return false;
    }
    return ioctl(fd_, request, &line) == 0;
}
