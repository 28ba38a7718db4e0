// Runs the real phonesim binary on a pseudo-terminal through the PhoneSim test helper.
#include "PhoneSim.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QByteArray kSubmitOk2 = "079124603050020011000c9124603021436500000403cfa50c";

// Writes `bytes` and collects what comes back until `until` is seen or `timeoutMs` passes.
QByteArray exchange(int fd, const QByteArray& bytes, const QByteArray& until, int timeoutMs = 2000)
{
    if (!bytes.isEmpty() && ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        return "<write failed>";
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs && (until.isEmpty() || !got.contains(until))) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
    }
    return got;
}

// User plus system time of a process in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile f(QString("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = f.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

int closes(const PhoneSim& phone)
{
    int n = 0;
    for (const auto& r : phone.transcript())
        n += r.dir == "--" && r.bytes == "line closed";
    return n;
}

} // namespace

TEST(PhoneSimProcess, AnswersOnItsPtyAndLogsBothDirections)
{
    PhoneSim phone;
    const QString dev = phone.start({}, PhoneSim::phoneBookLine(6, "+000000092310", "Casy"));
    ASSERT_TRUE(QFileInfo(dev).exists()) << dev.toStdString();
    const int fd = PhoneSim::openRaw(dev);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
    // a command written in pieces
    EXPECT_EQ(exchange(fd, "AT+CP", "", 50), "AT+CP");
    EXPECT_EQ(exchange(fd, "BR=6\r", "OK\r\n"), "BR=6\r\r\n+CPBR: 6,\"+000000092310\",145,\"Casy\"\r\n\r\nOK\r\n");
    EXPECT_EQ(exchange(fd, "AT+CMGW=17\r", "> "), "AT+CMGW=17\r\r\n> ");
    EXPECT_EQ(exchange(fd, kSubmitOk2 + "\x1a", "OK\r\n"), kSubmitOk2 + "\x1a\r\n+CMGW: 1\r\n\r\nOK\r\n");
    ::close(fd);

    EXPECT_EQ(phone.received(), "AT\rAT+CPBR=6\rAT+CMGW=17\r" + kSubmitOk2 + "\x1a");
    EXPECT_EQ(phone.receivedCommands().value(1), "AT+CPBR=6\r");
    EXPECT_TRUE(phone.sent().startsWith("AT\r\r\nOK\r\nAT+CP"));
    const auto records = phone.transcript();
    ASSERT_FALSE(records.isEmpty());
    EXPECT_EQ(records.first().dir, "--");
    EXPECT_TRUE(records.first().bytes.endsWith(dev.toLocal8Bit()));

    phone.stop();
    const QByteArray state = phone.state();
    EXPECT_TRUE(state.contains("pb 6 145 +000000092310 Casy\n")) << state.constData();
    EXPECT_TRUE(state.contains("sms 1 2 " + kSubmitOk2.toUpper() + "\n")) << state.constData();
}

TEST(PhoneSimProcess, ServesAClientThatOpensAndClosesTheLineRepeatedly)
{
    PhoneSim phone;
    const QString dev = phone.start();
    for (int i = 0; i < 5; ++i) {
        const int fd = PhoneSim::openRaw(dev);
        ASSERT_GE(fd, 0) << i;
        EXPECT_EQ(exchange(fd, "AT\r", "OK\r\n"), "AT\r\r\nOK\r\n") << i;
        // half a command left behind by a client that goes away is forgotten
        EXPECT_EQ(exchange(fd, "AT+CPBW=1", "AT+CPBW=1"), "AT+CPBW=1");
        ::close(fd);
        QElapsedTimer t; // until the phone has seen the line closed
        t.start();
        while (closes(phone) <= i && t.elapsed() < 5000)
            QThread::msleep(5);
    }
    EXPECT_EQ(closes(phone), 5);
    // the phone waits without spinning while nobody holds the line
    const qint64 before = cpuTicks(phone.pid());
    QThread::msleep(500);
    EXPECT_LE(cpuTicks(phone.pid()) - before, 10) << "busy while the line is closed";
    EXPECT_TRUE(phone.running());
}

TEST(PhoneSimProcess, DelayAndPiecesShapeTheAnswerButNotTheEcho)
{
    // When each piece is due is Pacing's (PacingTest.cpp); here the process sends them so.
    PhoneSim phone;
    const QString dev = phone.start({"--delay-ms", "300", "--piece-bytes", "3", "--piece-gap-ms", "30"});
    const int fd = PhoneSim::openRaw(dev);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "AT\r", "AT\r"), "AT\r");
    EXPECT_EQ(exchange(fd, "", "OK\r\n"), "\r\nOK\r\n");
    ::close(fd);
    // the phone logs a piece just after sending it
    ASSERT_TRUE(phone.waitForSent("AT\r\r\nOK\r\n", 2000));
    QList<QByteArray> tx;
    for (const auto& r : phone.transcript())
        if (r.dir == "tx")
            tx.append(r.bytes);
    EXPECT_EQ(tx, (QList<QByteArray>{"AT\r", "\r\nO", "K\r\n"}));
}

TEST(PhoneSimProcess, MisbehavingPhones)
{
    PhoneSim silent;
    int fd = PhoneSim::openRaw(silent.start({"--silent"}));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "AT\r", "OK", 300), "");
    ::close(fd);
    EXPECT_TRUE(silent.waitForReceived("AT\r", 2000));
    EXPECT_EQ(silent.sent(), "");

    PhoneSim noEcho;
    fd = PhoneSim::openRaw(
        noEcho.start({"--no-echo", "--error", "AT+CPBR", "--reply", "AT+CMGR=1", "\\r\\n\\x00?\\r\\n"}));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "AT\r", "OK\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(exchange(fd, "AT+CPBR=5\r", "ERROR\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(exchange(fd, "AT+CMGR=1\r", "?\r\n"), QByteArray("\r\n\0?\r\n", 6));
    ::close(fd);
}

TEST(PhoneSimProcess, VanishingPhoneHangsUpTheClient)
{
    PhoneSim phone;
    const int fd = PhoneSim::openRaw(phone.start());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
    phone.kill();
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)) << p.revents;
    char c;
    EXPECT_LE(::read(fd, &c, 1), 0);
    ::close(fd);
}

TEST(PhoneSimProcess, LinkStateErrorsAndCleanExit)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("com1");
    {
        PhoneSim phone;
        const QString dev = phone.start({"--link", link});
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), dev);
        phone.stop();
        EXPECT_FALSE(QFileInfo::exists(link)) << "link removed on exit";
    }
    // a broken state file is refused with the line named, before any device is made
    QProcess p;
    const QString bad = dir.filePath("bad.txt");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("pb 1 145 +1 x\nsms 99 2 00\n");
    f.close();
    p.start(PhoneSim::binary(), {"--state", bad});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("line 2"));
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());

    p.start(PhoneSim::binary(), {"--delay-ms", "soon"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 2);
}
