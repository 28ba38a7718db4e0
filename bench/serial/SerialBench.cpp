// Serial port layer against a pseudo-terminal peer, side by side with QSerialPort on the same
// kind of pty: receive latency, idle CPU time and write throughput. Not a test; prints figures.
// Usage: bench_serial [seconds-per-cpu-run (default 10)]
#include "AfComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        int s;
        char name[256];
        openpty(&master, &s, name, nullptr, nullptr);
        termios t {};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        close(s);
        slave = QString::fromLocal8Bit(name);
        setenv("KVA271_COM1", name, 1);
    }
    ~Pty() { close(master); }
};

double cpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

void runLoopUntil(const std::function<bool()>& done, int limitMs)
{
    QTimer ticker;
    ticker.start(1);
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void runLoopFor(int ms)
{
    QTimer::singleShot(ms, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void printLatency(const char* name, std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    if (us.empty()) {
        std::printf("%-12s latency: no samples\n", name);
        return;
    }
    std::printf("%-12s latency over %zu samples: median %.3f ms, p99 %.3f ms, max %.3f ms\n", name, us.size(),
                us[us.size() / 2] / 1000.0, us[us.size() * 99 / 100] / 1000.0, us.back() / 1000.0);
}

// The peer drains the master as fast as it can; returns when `total` bytes came.
std::thread drain(int master, size_t total, std::atomic<bool>& done, Clock::time_point& end)
{
    return std::thread([master, total, &done, &end] {
        size_t got = 0;
        char buffer[65536];
        while (got < total) {
            pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                got += size_t(n);
        }
        end = Clock::now();
        done = true;
    });
}

constexpr int kSamples = 1000;
constexpr int kMiB = 1 << 20;
constexpr int kPiece = 2048;

std::unique_ptr<TAfComPort> makePort()
{
    auto port = std::make_unique<TAfComPort>();
    port->SetName("AfComPort1");
    port->SetBaudRate(br19200);
    port->SetEventThreadPriority(tpTimeCritical);
    port->SetInBufSize(8192);
    port->SetComNumber(1);
    port->AfterLoad();
    return port;
}

void benchOurs(int cpuSeconds)
{
    {
        Pty pty;
        auto port = makePort();
        std::vector<double> samples;
        Clock::time_point sent;
        bool got = false;
        port->OnDataRecived = [&](QObject*, int32_t) {
            const QByteArray b = port->ReadText();
            if (!b.isEmpty() && !got) {
                samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
                got = true;
            }
        };
        port->Open();
        for (int i = 0; i < kSamples; ++i) {
            got = false;
            sent = Clock::now();
            [[maybe_unused]] ssize_t w = write(pty.master, "x", 1);
            runLoopUntil([&] { return got; }, 2000);
        }
        printLatency("TAfComPort", samples);
    }
    for (int unread : {0, 100}) {
        Pty pty;
        auto port = makePort();
        port->OnDataRecived = [](QObject*, int32_t) {}; // announced, never read
        port->Open();
        if (unread) {
            const QByteArray bytes(unread, 'a');
            [[maybe_unused]] ssize_t w = write(pty.master, bytes.constData(), size_t(bytes.size()));
        }
        runLoopFor(100);
        const double before = cpuMs();
        runLoopFor(cpuSeconds * 1000);
        const double used = cpuMs() - before;
        std::printf("TAfComPort   CPU, open, %3d unread bytes, %d s: %.1f ms = %.3f %% of one core\n", unread, cpuSeconds,
                    used, used / (cpuSeconds * 10.0));
    }
    // With the program's 2048-byte output buffer every piece waits until the buffer is empty;
    // a larger OutBufSize shows what the ring buffer and the write thread can carry.
    for (int outBuf : {2048, 65536}) {
        Pty pty;
        auto port = makePort();
        port->SetOutBufSize(outBuf);
        port->Open();
        std::atomic<bool> done{false};
        Clock::time_point end;
        const QByteArray piece(kPiece, 'w');
        const auto start = Clock::now();
        std::thread peer = drain(pty.master, kMiB, done, end);
        for (int sent = 0; sent < kMiB; sent += kPiece) {
            while (port->OutputFree() < kPiece) {
                QCoreApplication::processEvents();
                std::this_thread::yield();
            }
            port->WriteText(piece);
        }
        peer.join();
        const double s = std::chrono::duration<double>(end - start).count();
        std::printf("TAfComPort   throughput 1 MiB in 2048-byte pieces, OutBufSize %5d: %.1f ms = %.1f MiB/s\n",
                    outBuf, s * 1000, 1 / s);
    }
    // Closing must not wait for output the peer will not take: a write held by XOFF, and
    // writes on their way while the peer drains.
    {
        Pty pty;
        auto port = makePort();
        port->SetFlowControl(fwXOnXOff);
        port->Open();
        [[maybe_unused]] ssize_t w = write(pty.master, "\x13", 1); // XOFF
        runLoopFor(30);
        port->WriteText(QByteArray(2000, 'h'));
        runLoopFor(30);
        const auto start = Clock::now();
        port->Close();
        std::printf("TAfComPort   close with a write held by XOFF: %.2f ms\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    {
        Pty pty;
        auto port = makePort();
        std::atomic<bool> draining{true};
        std::thread peer([&] {
            char buf[4096];
            while (draining.load()) {
                pollfd p{pty.master, POLLIN, 0};
                if (poll(&p, 1, 5) > 0)
                    [[maybe_unused]] ssize_t r = read(pty.master, buf, sizeof buf);
            }
        });
        double slowest = 0;
        for (int i = 0; i < 100; ++i) {
            port->Open();
            port->WriteText(QByteArray(2048, 'r'));
            const auto start = Clock::now();
            port->Close();
            slowest = std::max(slowest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        draining.store(false);
        peer.join();
        std::printf("TAfComPort   close right after a 2048-byte write, slowest of 100: %.2f ms\n", slowest);
    }
}

void benchQt(int cpuSeconds)
{
    auto openQt = [](QSerialPort& port, const QString& path) {
        port.setPortName(path);
        port.setBaudRate(19200);
        if (!port.open(QIODevice::ReadWrite))
            std::printf("QSerialPort open failed: %s\n", qPrintable(port.errorString()));
    };
    {
        Pty pty;
        QSerialPort port;
        std::vector<double> samples;
        Clock::time_point sent;
        bool got = false;
        QObject::connect(&port, &QSerialPort::readyRead, [&] {
            const QByteArray b = port.readAll();
            if (!b.isEmpty() && !got) {
                samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
                got = true;
            }
        });
        openQt(port, pty.slave);
        for (int i = 0; i < kSamples; ++i) {
            got = false;
            sent = Clock::now();
            [[maybe_unused]] ssize_t w = write(pty.master, "x", 1);
            runLoopUntil([&] { return got; }, 2000);
        }
        printLatency("QSerialPort", samples);
    }
    for (int unread : {0, 100}) {
        Pty pty;
        QSerialPort port;
        openQt(port, pty.slave);
        if (unread) {
            const QByteArray bytes(unread, 'a');
            [[maybe_unused]] ssize_t w = write(pty.master, bytes.constData(), size_t(bytes.size()));
        }
        runLoopFor(100);
        const double before = cpuMs();
        runLoopFor(cpuSeconds * 1000);
        const double used = cpuMs() - before;
        std::printf("QSerialPort  CPU, open, %3d unread bytes, %d s: %.1f ms = %.3f %% of one core\n", unread, cpuSeconds,
                    used, used / (cpuSeconds * 10.0));
    }
    {
        Pty pty;
        QSerialPort port;
        openQt(port, pty.slave);
        std::atomic<bool> done{false};
        Clock::time_point end;
        const QByteArray piece(kPiece, 'w');
        const auto start = Clock::now();
        std::thread peer = drain(pty.master, kMiB, done, end);
        for (int sent = 0; sent < kMiB; sent += kPiece)
            port.write(piece);
        runLoopUntil([&] { return done.load(); }, 20000);
        peer.join();
        const double s = std::chrono::duration<double>(end - start).count();
        std::printf("QSerialPort  throughput 1 MiB in 2048-byte pieces: %.1f ms = %.1f MiB/s\n", s * 1000, 1 / s);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int cpuSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    benchOurs(cpuSeconds);
    benchQt(cpuSeconds);
    return 0;
}
