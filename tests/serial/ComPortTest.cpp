#include "AfComPort.h"
#include "AfComPortCore.h"
#include "AfSafeSync.h"
#include "PtyPeer.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QByteArray allBytes(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

template <class E, class F>
QString errorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(ComPort, OpenWriteCloseCycles)
{
    PtyPeer peer;
    auto port = makePort();
    int opened = 0, closed = 0;
    port->OnPortOpen = [&](QObject*) { ++opened; };
    port->OnPortClose = [&](QObject*) { ++closed; };
    port->OnDataRecived = [&](QObject*, int32_t) { port->ReadText(); };
    // $KVA_SERIAL_CYCLES raises the count for a stress run (scripts/tsan-serial.sh 1000 cycles).
    const int cycles = qEnvironmentVariableIsSet("KVA_SERIAL_CYCLES") ? qEnvironmentVariableIntValue("KVA_SERIAL_CYCLES") : 200;
    for (int i = 0; i < cycles; ++i) {
        port->Open();
        ASSERT_TRUE(port->IsOpen());
        if (i % 20 == 0) {
            port->WriteText(QByteArray("AT\r"));
            peer.Write("OK\r\n");
            EXPECT_EQ(peer.Read(3), QByteArray("AT\r"));
            Pump(1);
        }
        port->Close();
        ASSERT_FALSE(port->IsOpen());
    }
    EXPECT_EQ(opened, cycles);
    EXPECT_EQ(closed, cycles);
}

TEST(ComPort, OpenRefusals)
{
    auto port = makePort(0);
    EXPECT_EQ(errorOf<EAfComPortCoreError>([&] { port->Open(); }), "Chybné číslo portu (COM0)");
    EXPECT_FALSE(port->IsOpen());

    qputenv("KVA271_COM2", "/nonexistent/ttyXYZ");
    port->SetComNumber(2);
    try {
        port->Open();
        FAIL() << "opened a missing device";
    } catch (const EAfComPortCoreError& e) {
        EXPECT_STREQ(e.what(), "Chybné číslo portu (COM2)");
        EXPECT_EQ(e.Cause(), TAfOpenFailure::NoSuchDevice);
        EXPECT_EQ(e.DevicePath(), "/nonexistent/ttyXYZ");
    }
    qputenv("KVA271_COM2", "/dev/null"); // exists, but is no serial line
    try {
        port->Open();
        FAIL() << "opened /dev/null";
    } catch (const EAfComPortCoreError& e) {
        EXPECT_STREQ(e.what(), "Nemohu otevřít port COM2");
        EXPECT_EQ(e.Cause(), TAfOpenFailure::NotATerminal);
    }
    EXPECT_FALSE(port->IsOpen());

    // A second opener of the same device is refused as busy; the first keeps working.
    PtyPeer peer;
    auto first = makePort(1);
    first->Open();
    auto second = makePort(1);
    second->SetName("AfComPort2");
    try {
        second->Open();
        FAIL() << "a second opener got the device";
    } catch (const EAfComPortCoreError& e) {
        EXPECT_STREQ(e.what(), "Nemohu otevřít port COM1");
        EXPECT_EQ(e.Cause(), TAfOpenFailure::Busy);
        EXPECT_EQ(e.DevicePath(), AfComDevicePath(1));
    }
    EXPECT_FALSE(second->IsOpen());
    first->WriteText("x");
    EXPECT_EQ(peer.Read(1), QByteArray("x"));
    first->Close();
    second->Open(); // free again
    EXPECT_TRUE(second->IsOpen());
}

TEST(ComPort, OpenOnAnOpenPortDoesNothing)
{
    PtyPeer peer;
    auto port = makePort();
    int opened = 0;
    port->OnPortOpen = [&](QObject*) { ++opened; };
    port->Open();
    port->Open();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(port->Engine().OpenPort(1));
    EXPECT_TRUE(port->IsOpen());
}

TEST(ComPort, ClosedPortBehaviour)
{
    auto port = makePort();
    int closed = 0;
    port->OnPortClose = [&](QObject*) { ++closed; };
    port->Close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(port->ReadText(), QByteArray());
    EXPECT_EQ(port->InputCount(), 0);
    EXPECT_EQ(port->OutputFree(), 0);
    port->WriteText(QByteArray()); // nothing, no error
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->WriteText("AT\r"); }),
              "Write data error [requested: 3, free: 0] - AfComPort1 ");
    char buffer[4];
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->ReadBlock(buffer, 4); }), "Read data error - AfComPort1 ");
    EXPECT_EQ(port->Engine().ReadInput(buffer, 4), -1);
}

TEST(ComPort, WritesExactBytesAndRefusesOversizedTexts)
{
    PtyPeer peer;
    auto port = makePort();
    port->Open();
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->WriteText(allBytes(2049)); }),
              "Write data error [requested: 2049, free: 2048] - AfComPort1 ");
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->WriteBlock("x", 0); }),
              "Write data error [requested: 0, free: 2048] - AfComPort1 ");
    const QByteArray text = allBytes(2048); // every byte value, CR, LF, XON and XOFF included
    port->WriteText(text);
    EXPECT_EQ(peer.Read(2048), text);
    EXPECT_TRUE(WaitUntil([&] { return port->OutputFree() == 2048; }));
}

TEST(ComPort, WrapAroundWriteArrivesInOrderAndOutputEmptyFollows)
{
    PtyPeer peer;
    auto port = makePort();
    int outputEmpty = 0;
    port->OnOutBufFree = [&](QObject*) { ++outputEmpty; };
    port->Open();
    const QByteArray first = allBytes(1500);
    port->WriteText(first);
    EXPECT_EQ(peer.Read(1500), first);
    ASSERT_TRUE(WaitUntil([&] { return port->OutputFree() == 2048 && outputEmpty >= 1; }));
    const QByteArray second = allBytes(1500).right(1499) + "Z"; // crosses the end of the buffer
    port->WriteText(second);
    port->WriteText("tail");
    EXPECT_EQ(peer.Read(1503), second + "tail");
    EXPECT_TRUE(WaitUntil([&] { return outputEmpty >= 2; }));
}

TEST(ComPort, DataReceivedOnTheUserInterfaceThread)
{
    PtyPeer peer;
    auto port = makePort();
    QByteArray received;
    std::vector<int32_t> counts;
    bool allOnMain = true;
    port->OnDataRecived = [&](QObject* sender, int32_t count) {
        allOnMain &= QThread::currentThread() == QCoreApplication::instance()->thread();
        EXPECT_EQ(sender, port.get());
        counts.push_back(count);
        received += port->ReadText();
    };
    port->Open();
    peer.Write("AT\r\r\nOK\r\n");
    EXPECT_TRUE(WaitUntil([&] { return received.size() == 9; }));
    EXPECT_EQ(received, QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_TRUE(allOnMain);
    ASSERT_FALSE(counts.empty());
    EXPECT_GT(counts.front(), 0);
    // A second reply after the first was read is announced again.
    peer.Write("+CPBR: 5\r\n");
    EXPECT_TRUE(WaitUntil([&] { return received.endsWith("+CPBR: 5\r\n"); }));
}

TEST(ComPort, UnreadInputIsAnnouncedByThePollWithoutSpinning)
{
    PtyPeer peer;
    auto port = makePort();
    std::vector<TAfCoreEvent> kinds;
    std::vector<uint32_t> data;
    port->OnSyncEvent = [&](QObject*, TAfCoreEvent kind, uint32_t d) {
        kinds.push_back(kind);
        data.push_back(d);
    };
    int announced = 0;
    port->OnDataRecived = [&](QObject*, int32_t) { ++announced; };
    port->Open();
    peer.Write(QByteArray(100, 'a'));
    ASSERT_TRUE(WaitUntil([&] { return announced >= 1; }));
    const double cpuBefore = ProcessCpuMs();
    Pump(700);
    const double cpu = ProcessCpuMs() - cpuBefore;
    // The bytes stay unread: the poll announces them every 200 ms, nothing else runs (a busy
    // machine gives fewer announcements, never more).
    const auto polls = [&] {
        int n = 0;
        for (size_t i = 0; i < kinds.size(); ++i)
            if (kinds[i] == ceInputWaiting) {
                ++n;
                EXPECT_EQ(data[i], 100u);
            }
        return n;
    };
    EXPECT_LE(polls(), 5);
    EXPECT_LT(cpu, 150.0);
    EXPECT_TRUE(WaitUntil([&] { return polls() >= 2; }, 5000)); // announced again
    EXPECT_EQ(port->ReadText(), QByteArray(100, 'a'));
}

TEST(ComPort, EventMaskZeroLeavesOnlyThePoll)
{
    PtyPeer peer;
    auto port = makePort();
    std::vector<TAfCoreEvent> kinds;
    port->OnSyncEvent = [&](QObject*, TAfCoreEvent kind, uint32_t) { kinds.push_back(kind); };
    port->Open();
    port->Engine().SetEventMask(0);
    Pump(50);
    kinds.clear();
    peer.Write("RING\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !kinds.empty(); }, 5000));
    for (TAfCoreEvent k : kinds)
        EXPECT_EQ(k, ceInputWaiting);
}

TEST(ComPort, HandlerErrorIsShownAndThePortStaysOpen)
{
    PtyPeer peer;
    auto port = makePort();
    std::vector<QString> shown;
    AfSetErrorDisplay([&](const QString& m) { shown.push_back(m); });
    int calls = 0;
    port->OnDataRecived = [&](QObject*, int32_t) {
        ++calls;
        port->ReadText();
        if (calls == 1)
            throw EAfComPortError("chyba obsluhy");
    };
    port->Open();
    peer.Write("1");
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    peer.Write("2");
    ASSERT_TRUE(WaitUntil([&] { return calls == 2; }));
    AfSetErrorDisplay(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "chyba obsluhy");
    EXPECT_TRUE(port->IsOpen());
}

TEST(ComPort, HeldWriteResumesOnXonAndCloseEndsAHeldWrite)
{
    PtyPeer peer;
    auto port = makePort();
    port->SetFlowControl(fwXOnXOff);
    port->Open();
    peer.Write("\x13"); // XOFF
    Pump(30);
    const QByteArray text = allBytes(1000);
    port->WriteText(text);
    EXPECT_EQ(peer.ReadFor(150), QByteArray());
    EXPECT_LT(port->OutputFree(), 2048);
    peer.Write("\x11"); // XON
    EXPECT_EQ(peer.Read(1000), text);

    peer.Write("\x13");
    Pump(30);
    port->WriteText(allBytes(2000));
    EXPECT_EQ(peer.ReadFor(100), QByteArray());
    int closed = 0;
    port->OnPortClose = [&](QObject*) { ++closed; };
    port->Close(); // how long it takes: bench_serial
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(port->IsOpen());
}

TEST(ComPort, PeerHangUpIsALostDevice)
{
    auto peer = std::make_unique<PtyPeer>();
    auto port = makePort();
    port->Open();
    peer->HangUp();
    const double cpuBefore = ProcessCpuMs();
    Pump(400);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 150.0); // the event thread does not spin
    EXPECT_TRUE(WaitUntil([&] { return port->Engine().DeviceLost(); }, 500));
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->WriteText("AT\r"); }),
              "Write data error [requested: 3, free: 0] - AfComPort1 ");
    EXPECT_EQ(port->ReadText(), QByteArray());
    port->Close();
    EXPECT_FALSE(port->IsOpen());

    peer = std::make_unique<PtyPeer>(); // the device comes back
    port->Open();
    port->WriteText("AT\r");
    EXPECT_EQ(peer->Read(3), QByteArray("AT\r"));
}

TEST(ComPort, ChangingComNumberWhileOpenReopens)
{
    PtyPeer one(1), two(2);
    auto port = makePort(1);
    std::vector<QString> events;
    port->OnPortOpen = [&](QObject*) { events.push_back("open"); };
    port->OnPortClose = [&](QObject*) { events.push_back("close"); };
    port->Open();
    port->SetComNumber(2);
    EXPECT_EQ(events, (std::vector<QString>{"open", "close", "open"}));
    EXPECT_EQ(port->DevicePath(), two.SlavePath());
    port->WriteText("x");
    EXPECT_EQ(two.Read(1), QByteArray("x"));
    EXPECT_EQ(one.ReadFor(30), QByteArray());

    qputenv("KVA271_COM3", "/nonexistent/tty3");
    EXPECT_EQ(errorOf<EAfComPortCoreError>([&] { port->SetComNumber(3); }), "Chybné číslo portu (COM3)");
    EXPECT_FALSE(port->IsOpen());
}

TEST(ComPort, LineSettingsOnAPseudoTerminal)
{
    PtyPeer peer;
    auto port = makePort();
    port->SetName("AfComPort1");
    port->Open();
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->SetInBufSize(4096); }), "Port is not closed - AfComPort1 ");
    EXPECT_EQ(port->InBufSize(), 8192);
    EXPECT_EQ(errorOf<EAfComPortError>([&] { port->SetOutBufSize(100); }), "Port is not closed - AfComPort1 ");
    // Applied at once while open; no modem lines on a pty, which is no error.
    port->SetParity(paMark);
    port->SetStopbits(sbTwo);
    port->SetFlowControl(fwRtsCts);
    port->SetBaudRate(br57600);
    port->SetDTR(false);
    port->SetRTS(false);
    EXPECT_FALSE(port->Engine().Escape(AfEscape::SetDtr));
    // A record the device refuses: the error passes, LineSettings shows the device's record.
    EXPECT_EQ(errorOf<EAfComPortCoreError>([&] { port->SetDatabits(db4); }), "Error setting parameters from DCB");
    EXPECT_EQ(port->Databits(), db4);
    EXPECT_EQ(port->LineSettings().ByteSize, 8);
    EXPECT_EQ(port->LineSettings().Parity, 0); // a pty keeps no parity
    EXPECT_EQ(port->LineSettings().StopBits, 2);
    EXPECT_EQ(port->LineSettings().BaudRate, 57600u);
    EXPECT_TRUE(port->IsOpen());
    port->Close();
    // The next open hands over the record as the device reported it, so it succeeds.
    port->Open();
    EXPECT_TRUE(port->IsOpen());
    port->Close();

    // Refused at open: the port stays closed and can be opened once the setting is fixed.
    auto fresh = makePort();
    fresh->SetDatabits(db4);
    EXPECT_EQ(errorOf<EAfComPortCoreError>([&] { fresh->Open(); }), "Error setting parameters from DCB");
    EXPECT_FALSE(fresh->IsOpen());
    fresh->SetDatabits(db8);
    fresh->Open();
    EXPECT_TRUE(fresh->IsOpen());
}

TEST(ComPort, DestroyWhileOpenAndEventsFlowing)
{
    PtyPeer peer;
    for (int i = 0; i < 20; ++i) {
        auto port = makePort();
        int closed = 0;
        port->OnPortClose = [&](QObject*) { ++closed; };
        port->OnDataRecived = [&](QObject*, int32_t) {};
        port->Open();
        peer.Write("data");
        Pump(i % 3);
        port.reset(); // shuts the port down without OnPortClose
        EXPECT_EQ(closed, 0);
    }
}
