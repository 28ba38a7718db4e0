#include "PtyLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace phonesim {

namespace {
constexpr int kClosedPollMs = 20;
}

int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PtyLine::PtyLine(PhoneModel& model, const RunOptions& options, Transcript& transcript,
                 std::function<void()> onStateChange)
    : model_(model), transcript_(transcript),
      onStateChange_(std::move(onStateChange)), pacing_(options)
{
}

PtyLine::~PtyLine()
{
    if (master_ >= 0)
        ::close(master_);
}

std::string PtyLine::open()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0)
        throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error(std::string("grantpt/unlockpt: ") + std::strerror(errno));
    const char* name = ptsname(master_);
    if (!name)
        throw std::runtime_error(std::string("ptsname: ") + std::strerror(errno));
    setRaw();
    return name;
}

// The pty's line discipline must not echo or translate anything itself, or the phone
// would read its own answers back; a client that leaves the device may have changed it.
void PtyLine::setRaw()
{
    termios t{};
    if (tcgetattr(master_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
}

void PtyLine::run(int stopFd)
{
    for (;;) {
        const int64_t now = nowMs();
        sendDue(now);
        int timeout = closed_ ? kClosedPollMs : -1;
        if (!pending_.empty() && !wantWrite_) {
            const int64_t wait = std::max<int64_t>(0, pending_.front().due - now);
            timeout = timeout < 0 ? static_cast<int>(wait) : std::min<int>(timeout, static_cast<int>(wait));
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {closed_ ? -1 : master_, POLLIN, 0}};
        if (wantWrite_)
            fds[1].events |= POLLOUT;
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            return;
        if (n > 0 && (fds[1].revents & POLLOUT))
            wantWrite_ = false;
        if (closed_ || (n > 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))))
            readInput(nowMs());
        if (model_.vanished()) {
            transcript_.note("vanished");
            return;
        }
    }
}

void PtyLine::readInput(int64_t now)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            if (closed_) {
                closed_ = false;
                transcript_.note("line opened");
            }
            const std::string bytes(buf, static_cast<size_t>(n));
            transcript_.received(bytes);
            schedule(model_.feed(bytes), now);
            if (model_.takeChanged() && onStateChange_)
                onStateChange_();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (closed_) {
                closed_ = false;
                transcript_.note("line opened");
            }
            return;
        }
        // EIO (or end of file): no client holds the device.
        if (!closed_)
            lineClosed();
        return;
    }
}

void PtyLine::lineClosed()
{
    closed_ = true;
    wantWrite_ = false;
    transcript_.note("line closed");
    model_.resetInput();
    size_t dropped = 0;
    for (const auto& p : pending_)
        dropped += p.bytes.size();
    pending_.clear();
    if (dropped)
        transcript_.note("dropped " + std::to_string(dropped) + " bytes of output");
    setRaw();
}

void PtyLine::schedule(const std::vector<Output>& out, int64_t now)
{
    for (Timed& t : pacing_.schedule(out, now))
        enqueue(t.due, std::move(t.bytes));
}

void PtyLine::enqueue(int64_t due, std::string bytes)
{
    auto it = std::find_if(pending_.begin(), pending_.end(),
                           [due](const Pending& p) { return p.due > due; });
    pending_.insert(it, Pending{due, std::move(bytes)});
}

void PtyLine::sendDue(int64_t now)
{
    while (!wantWrite_ && !pending_.empty() && pending_.front().due <= now) {
        Pending& p = pending_.front();
        if (closed_) {
            transcript_.note("dropped " + std::to_string(p.bytes.size()) + " bytes of output");
            pending_.pop_front();
            continue;
        }
        const ssize_t n = ::write(master_, p.bytes.data(), p.bytes.size());
        if (n > 0) {
            transcript_.sent(p.bytes.substr(0, static_cast<size_t>(n)));
            p.bytes.erase(0, static_cast<size_t>(n));
            if (p.bytes.empty())
                pending_.pop_front();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            wantWrite_ = true;
            return;
        }
        lineClosed();
        return;
    }
}

} // namespace phonesim
