// Fault injection on the serial port: the far end vanishes in the middle of a write or a read,
// the device is held by someone else, the port is opened and closed many times, and writes race
// a close. Every case ends with the port working again, with no descriptor or thread left
// behind (LeakSanitizer checks the memory when the sanitizer build runs this file).
#include "AfComPort.h"
#include "AfComPortCore.h"
#include "PtyPeer.h"

#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

int entriesOf(const char* folder)
{
    return int(QDir(QString::fromLatin1(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}
int openDescriptors() { return entriesOf("/proc/self/fd"); }
int runningThreads() { return entriesOf("/proc/self/task"); }

// Worker threads are joined when Close returns; a few event-loop passes let a late one finish.
bool threadsBackTo(int baseline)
{
    return WaitUntil([&] { return runningThreads() <= baseline; }, 1000);
}

QByteArray pattern(int n, int offset = 0)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char('a' + (offset + i) % 26);
    return b;
}

// Collects what the port receives, as the main window's receive handler does.
struct Receiver {
    QByteArray bytes;
    void attach(TAfComPort& port)
    {
        port.OnDataRecived = [this, &port](QObject*, int32_t) { bytes += port.ReadText(); };
    }
};

// The port opens (when closed), sends a command and reads an answer on the given peer.
void expectUsable(TAfComPort& port, PtyPeer& peer)
{
    Receiver rx;
    rx.attach(port);
    if (!port.IsOpen())
        port.Open();
    ASSERT_TRUE(port.IsOpen());
    port.WriteText(QByteArray("AT\r"));
    EXPECT_EQ(peer.Read(3), QByteArray("AT\r"));
    peer.Write("\r\nOK\r\n");
    EXPECT_TRUE(WaitUntil([&] { return rx.bytes.endsWith("\r\nOK\r\n"); }));
    EXPECT_EQ(rx.bytes, QByteArray("\r\nOK\r\n"));
}

} // namespace

TEST(SerialFaults, PeerVanishesWhileAWriteIsBlocked)
{
    auto peer = std::make_unique<PtyPeer>();
    auto port = makePort();
    port->Open();
    const int fdsOpen = openDescriptors();
    // The peer reads nothing, so the kernel's queue fills and the write thread blocks in a
    // device write with the ring buffer still holding data.
    QElapsedTimer t;
    t.start();
    int queued = 0;
    bool blocked = false;
    while (!blocked && t.elapsed() < 3000) {
        if (port->OutputFree() >= 2048) {
            port->WriteText(pattern(2048, queued));
            queued += 2048;
        } else {
            blocked = !WaitUntil([&] { return port->OutputFree() >= 2048; }, 150);
        }
    }
    ASSERT_TRUE(blocked) << "the kernel took " << queued << " bytes without blocking";

    peer->HangUp();
    EXPECT_TRUE(WaitUntil([&] { return port->Engine().DeviceLost(); }, 1000));
    int closed = 0;
    port->OnPortClose = [&](QObject*) { ++closed; };
    port->Close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_LT(openDescriptors(), fdsOpen);

    peer = std::make_unique<PtyPeer>(); // the phone is plugged in again
    port->OnPortClose = nullptr;
    expectUsable(*port, *peer);
}

TEST(SerialFaults, PeerVanishesWhileDataIsArriving)
{
    auto peer = std::make_unique<PtyPeer>();
    auto port = makePort();
    QByteArray received;
    std::atomic<bool> hangUp{false};
    port->OnDataRecived = [&](QObject*, int32_t) {
        received += port->ReadText();
        if (received.size() >= 4096)
            hangUp.store(true);
    };
    port->Open();
    // The peer streams from its own thread and hangs up between two of its writes.
    const QByteArray stream = pattern(256 * 1024);
    std::atomic<int> sent{0};
    std::thread writer([&] {
        for (int at = 0; at < stream.size() && !hangUp.load(); at += 512) {
            peer->Write(stream.mid(at, 512));
            sent.store(at + 512);
            usleep(200);
        }
        peer->HangUp();
    });
    const bool lost = WaitUntil([&] { return port->Engine().DeviceLost(); }, 5000);
    writer.join();
    ASSERT_TRUE(lost);
    received += port->ReadText(); // what was still queued, or nothing
    Pump(50);
    // Nothing invented, nothing reordered: what arrived is the start of what was sent.
    EXPECT_GE(received.size(), 4096);
    EXPECT_LE(received.size(), sent.load());
    EXPECT_EQ(received, stream.left(received.size()));
    port->Close();
    EXPECT_FALSE(port->IsOpen());

    peer = std::make_unique<PtyPeer>();
    expectUsable(*port, *peer);
}

TEST(SerialFaults, UnreadInputAfterThePeerVanishedIsReadOrDropped)
{
    auto peer = std::make_unique<PtyPeer>();
    auto port = makePort();
    port->Open();
    peer->Write("\r\n+CPBR: 5,\"+000000000001\",145,\"Setup\"\r\n\r\nOK\r\n");
    ASSERT_TRUE(WaitUntil([&] { return port->InputCount() > 0; }));
    peer->HangUp();
    ASSERT_TRUE(WaitUntil([&] { return port->Engine().DeviceLost(); }, 1000));
    const QByteArray rest = port->ReadText();
    EXPECT_TRUE(QByteArray("\r\n+CPBR: 5,\"+000000000001\",145,\"Setup\"\r\n\r\nOK\r\n").startsWith(rest)) << rest.constData();
    EXPECT_GE(port->InputCount(), 0);
    EXPECT_THROW(port->WriteText("AT\r"), EAfComPortError);
    port->Close();

    peer = std::make_unique<PtyPeer>();
    expectUsable(*port, *peer);
}

TEST(SerialFaults, DeviceHeldElsewhereIsBusyAndFreedAgain)
{
    PtyPeer peer;
    auto port = makePort();
    const int fds = openDescriptors();
    const int threads = runningThreads();

    // Another program holds the line (an exclusive lock, as terminal programs take).
    const int other = ::open(peer.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        try {
            port->Open();
            FAIL() << "opened a device another program holds";
        } catch (const EAfComPortCoreError& e) {
            EXPECT_STREQ(e.what(), "Nemohu otevřít port COM1");
            EXPECT_EQ(e.Cause(), TAfOpenFailure::Busy);
        }
        EXPECT_FALSE(port->IsOpen());
    }
    // A refused open leaves nothing behind.
    EXPECT_EQ(openDescriptors(), fds + 1);
    EXPECT_TRUE(threadsBackTo(threads));
    ::close(other);
    expectUsable(*port, peer);

    // A second port object on the same device is refused until the first one is gone, even
    // when the first is destroyed while open instead of closed.
    auto second = makePort();
    second->SetName("AfComPort2");
    EXPECT_THROW(second->Open(), EAfComPortCoreError);
    port.reset();
    expectUsable(*second, peer);
    second->Close();
    EXPECT_EQ(openDescriptors(), fds);
    EXPECT_TRUE(threadsBackTo(threads));
}

TEST(SerialFaults, ThousandOpenCloseCyclesLeaveNothingBehind)
{
    PtyPeer peer;
    auto port = makePort();
    Receiver rx;
    rx.attach(*port);
    port->Open();
    port->Close();
    const int fds = openDescriptors();
    const int threads = runningThreads();
    for (int i = 0; i < 1000; ++i) {
        port->Open();
        ASSERT_TRUE(port->IsOpen()) << "cycle " << i;
        switch (i % 4) {
        case 0: // output still queued at the close
            port->WriteText(pattern(1500, i));
            break;
        case 1: // input not read yet at the close
            peer.Write("\r\nRING\r\n");
            break;
        case 2: // both directions in flight
            port->WriteText(QByteArray("AT+CPBR=5\r"));
            peer.Write("\r\nOK\r\n");
            Pump(1);
            break;
        default:
            break;
        }
        port->Close();
        ASSERT_FALSE(port->IsOpen()) << "cycle " << i;
        peer.ReadFor(0); // drain the peer so the kernel's queue never fills
    }
    EXPECT_EQ(openDescriptors(), fds);
    EXPECT_TRUE(threadsBackTo(threads));
    peer.ReadFor(20);
    rx.bytes.clear();
    expectUsable(*port, peer);
}

TEST(SerialFaults, WritesRacingACloseEndPromptly)
{
    PtyPeer peer;
    auto port = makePort();
    // The peer drains from its own thread so the write thread is busy when the close comes.
    std::atomic<bool> draining{true};
    std::atomic<int> drained{0};
    std::thread drain([&] {
        while (draining.load())
            drained += peer.ReadFor(5).size();
    });
    for (int i = 0; i < 100; ++i) {
        port->Open();
        port->WriteText(pattern(2048, i));
        if (i % 2)
            usleep(200); // part of the block on its way
        port->Close(); // how long it takes: bench_serial
        EXPECT_THROW(port->WriteText("x"), EAfComPortError); // closed: refused, not queued
    }
    draining.store(false);
    drain.join();
    EXPECT_GT(drained.load(), 0);
    peer.ReadFor(20);
    expectUsable(*port, peer);
}

TEST(SerialFaults, CloseFromInsideTheDataHandler)
{
    PtyPeer peer;
    auto port = makePort();
    int closed = 0;
    port->OnPortClose = [&](QObject*) { ++closed; };
    bool closeReturned = false;
    port->OnDataRecived = [&](QObject*, int32_t) {
        port->ReadText();
        if (port->IsOpen()) {
            port->Close(); // the event thread waits for this handler
            closeReturned = true;
        }
    };
    port->Open();
    peer.Write("\r\nRING\r\n");
    ASSERT_TRUE(WaitUntil([&] { return closed == 1; }, 5000));
    EXPECT_FALSE(port->IsOpen());
    EXPECT_TRUE(closeReturned);
    Pump(50);
    EXPECT_EQ(closed, 1);

    port->OnPortClose = nullptr;
    expectUsable(*port, peer);
}

TEST(SerialFaults, WritesFromTheCloseAndOpenHandlers)
{
    PtyPeer peer;
    auto port = makePort();
    // While closing, a write is dropped without an error (the handler may run during the
    // close); right after the open it is sent.
    port->OnPortClose = [&](QObject*) { port->WriteText("late\r"); };
    port->OnPortOpen = [&](QObject*) { port->WriteText("ATE1\r"); };
    port->Open();
    EXPECT_EQ(peer.Read(5), QByteArray("ATE1\r"));
    EXPECT_NO_THROW(port->Close());
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(peer.ReadFor(50), QByteArray());

    port->OnPortClose = nullptr;
    port->OnPortOpen = nullptr;
    expectUsable(*port, peer);
}
