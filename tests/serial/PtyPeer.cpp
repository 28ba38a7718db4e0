#include "PtyPeer.h"

#include "AfComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

PtyPeer::PtyPeer(int comNumber)
{
    int slave = -1;
    char name[256] = {};
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios t {};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
    close(slave);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name);
    setenv(QByteArray("KVA271_COM" + QByteArray::number(comNumber)).constData(), name, 1);
}

PtyPeer::~PtyPeer()
{
    HangUp();
}

void PtyPeer::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else
            usleep(1000);
    }
}

QByteArray PtyPeer::Read(int count, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < count && timer.elapsed() < timeoutMs) {
        pollfd p = {master_, POLLIN, 0};
        if (poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0)
                out.append(buffer, n);
        }
    }
    return out;
}

QByteArray PtyPeer::ReadFor(int timeoutMs)
{
    return Read(1 << 30, timeoutMs);
}

void PtyPeer::HangUp()
{
    if (master_ >= 0)
        close(master_);
    master_ = -1;
}

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs)
{
    // The ticker bounds each blocking wait for events, so the loop neither spins nor oversleeps.
    QTimer ticker;
    ticker.start(5);
    QElapsedTimer timer;
    timer.start();
    while (!cond() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return cond();
}

void Pump(int ms)
{
    WaitUntil([] { return false; }, ms);
}

double ProcessCpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

std::unique_ptr<TAfComPort> makePort(int com)
{
    auto port = std::make_unique<TAfComPort>();
    port->SetName("AfComPort1");
    port->SetBaudRate(br19200);
    port->SetInBufSize(8192);
    port->SetComNumber(uint16_t(com));
    port->AfterLoad();
    return port;
}
