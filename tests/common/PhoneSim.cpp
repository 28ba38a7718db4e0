#include "PhoneSim.h"
#include "HexDigit.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {

// Value of one hex digit; anything else counts as 0.
int hexDigit(char c)
{
    return std::max(kva::hexValue(c), 0);
}

// Reverses the escaping of the transcript: \\ \r \n \xHH.
QByteArray unescape(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else
            out += c;
    }
    return out;
}

QByteArray encodeField(const QByteArray& bytes)
{
    return bytes.toPercentEncoding("+*#");
}

} // namespace

PhoneSim::PhoneSim()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

PhoneSim::~PhoneSim()
{
    if (running()) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
}

QString PhoneSim::binary()
{
    return QStringLiteral(KVA_PHONESIM_PATH);
}

QString PhoneSim::start(const QStringList& args, const QByteArray& state)
{
    if (!dir_.isValid())
        throw std::runtime_error("PhoneSim: no temporary folder");
    stop();
    QFile::remove(statePath());
    if (!state.isEmpty()) {
        QFile f(statePath());
        if (!f.open(QIODevice::WriteOnly) || f.write(state) != state.size())
            throw std::runtime_error("PhoneSim: cannot write the state file");
    }
    process_.start(binary(), QStringList{"--transcript", transcriptPath(), "--state", statePath()} + args);
    if (!process_.waitForStarted(5000))
        throw std::runtime_error("PhoneSim: cannot start " + binary().toStdString());
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine()) {
        if (process_.state() != QProcess::Running || t.elapsed() > 5000)
            throw std::runtime_error("PhoneSim: the phone printed no device path");
        process_.waitForReadyRead(100);
    }
    device_ = QString::fromLocal8Bit(process_.readLine().trimmed());
    return device_;
}

bool PhoneSim::running() const
{
    return process_.state() != QProcess::NotRunning;
}

void PhoneSim::stop()
{
    if (!running())
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished(1000);
}

void PhoneSim::kill()
{
    if (!running())
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

QList<PhoneSim::Record> PhoneSim::transcript() const
{
    return readTranscript(transcriptPath());
}

QList<PhoneSim::Record> PhoneSim::readTranscript(const QString& path)
{
    QList<Record> records;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return records;
    QList<QByteArray> lines = f.readAll().split('\n');
    lines.removeLast(); // empty after the last LF, or a line still being written
    for (const QByteArray& line : lines) {
        // "<ms> <dir> <bytes>"
        const qsizetype a = line.indexOf(' ');
        const qsizetype b = a < 0 ? -1 : line.indexOf(' ', a + 1);
        if (b < 0)
            continue;
        Record r;
        bool ok = false;
        r.ms = line.left(a).toLongLong(&ok);
        if (!ok)
            continue;
        r.dir = line.mid(a + 1, b - a - 1);
        const QByteArray text = line.mid(b + 1);
        r.bytes = r.dir == "--" ? text : unescape(text);
        records.append(r);
    }
    return records;
}

QByteArray PhoneSim::received() const
{
    QByteArray all;
    for (const Record& r : transcript())
        if (r.dir == "rx")
            all += r.bytes;
    return all;
}

QByteArray PhoneSim::sent() const
{
    QByteArray all;
    for (const Record& r : transcript())
        if (r.dir == "tx")
            all += r.bytes;
    return all;
}

QList<QByteArray> PhoneSim::receivedCommands() const
{
    return commandsOf(received());
}

QList<QByteArray> PhoneSim::commandsOf(const QByteArray& bytes)
{
    QList<QByteArray> commands;
    QByteArray current;
    for (char c : bytes) {
        current += c;
        if (c == '\r') {
            commands.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty())
        commands.append(current);
    return commands;
}

bool PhoneSim::waitForReceived(const QByteArray& bytes, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!received().contains(bytes)) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

bool PhoneSim::waitForSent(const QByteArray& bytes, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!sent().contains(bytes)) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

QByteArray PhoneSim::state() const
{
    QFile f(statePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray PhoneSim::phoneBookLine(int pos, const QByteArray& number, const QByteArray& name)
{
    const int type = number.startsWith('+') ? 145 : 129;
    QByteArray line = "pb " + QByteArray::number(pos) + ' ' + QByteArray::number(type) + ' ' +
        encodeField(number);
    if (!name.isEmpty())
        line += ' ' + encodeField(name);
    return line + '\n';
}

QByteArray PhoneSim::smsLine(int pos, int status, const QByteArray& pduHex)
{
    return "sms " + QByteArray::number(pos) + ' ' + QByteArray::number(status) + ' ' + pduHex + '\n';
}

int PhoneSim::openRaw(const QString& device)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}
