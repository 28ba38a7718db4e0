// simcard: a simulated SIM in a virtual reader. Connects to the virtual reader driver of a PC/SC
// daemon (TCP, 127.0.0.1:35963 by default) and answers it as a card would: every frame is a
// big-endian 16-bit length and a payload; a one-byte payload from the reader is a control (00 power
// off, 01 power on, 02 reset, 04 the ATR), a longer one a command APDU answered with data and
// SW1 SW2.
//
//   simcard [--host H] [--port N] [--state FILE] [--transcript FILE] [--pin DIGITS]
//           [--pin-enabled] [--tries N] [--usim-only] [--refuse-update[=SW]]
//           [--pull-after-writes N] [--slow MS] [--once]
//
// The state file is read at the start when it exists and written after every change; the
// transcript gets a line per command and answer. Without --once the card is put back into the
// reader (the connection made again) whenever the reader lets it go.
#include "CardModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

using kva::simcard::CardModel;

struct Settings {
    std::string host = "127.0.0.1";
    int port = 35963;
    QString state;
    QString transcript;
    bool once = false;
    kva::simcard::Options card;
};

[[noreturn]] void usage(const char* why)
{
    std::fprintf(stderr, "simcard: %s\n", why);
    std::fprintf(stderr, "usage: simcard [--host H] [--port N] [--state FILE] [--transcript FILE] [--pin DIGITS]\n"
                         "               [--pin-enabled] [--tries N] [--usim-only] [--refuse-update[=SW]]\n"
                         "               [--pull-after-writes N] [--slow MS] [--once]\n");
    std::exit(2);
}

Settings parse(int argc, char** argv)
{
    Settings s;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage(("missing value of " + a).c_str());
            return argv[++i];
        };
        if (a == "--host")
            s.host = value();
        else if (a == "--port")
            s.port = std::stoi(value());
        else if (a == "--state")
            s.state = QString::fromStdString(value());
        else if (a == "--transcript")
            s.transcript = QString::fromStdString(value());
        else if (a == "--pin")
            s.card.pin = QString::fromStdString(value());
        else if (a == "--pin-enabled")
            s.card.pinEnabled = true;
        else if (a == "--tries")
            s.card.pinTries = std::stoi(value());
        else if (a == "--usim-only")
            s.card.usimOnly = true;
        else if (a == "--refuse-update")
            s.card.refuseUpdate = 0x6581;
        else if (a.rfind("--refuse-update=", 0) == 0)
            s.card.refuseUpdate = quint16(std::stoi(a.substr(16), nullptr, 16));
        else if (a == "--pull-after-writes")
            s.card.pullAfterWrites = std::stoi(value());
        else if (a == "--slow")
            s.card.slowMs = std::stoi(value());
        else if (a == "--once")
            s.once = true;
        else
            usage(("unknown argument " + a).c_str());
    }
    return s;
}

class Transcript {
public:
    explicit Transcript(const QString& path)
    {
        if (!path.isEmpty()) {
            file_.setFileName(path);
            if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
                usage("cannot open the transcript");
        }
    }
    void line(const QByteArray& text)
    {
        if (!file_.isOpen())
            return;
        file_.write(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz ")).toLatin1() + text + '\n');
        file_.flush();
    }

private:
    QFile file_;
};

// The whole of n bytes, or none when the reader closed the connection.
bool receive(int fd, char* buffer, size_t n)
{
    size_t got = 0;
    while (got < n) {
        // The reader writes the length and the payload in two sends; without the quick
        // acknowledgement each command would wait for the delayed ACK.
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        const ssize_t r = recv(fd, buffer + got, n - got, 0);
        if (r == 0)
            return false;
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        got += size_t(r);
    }
    return true;
}

bool sendFrame(int fd, const QByteArray& payload)
{
    QByteArray frame(2, '\0');
    frame[0] = char(payload.size() >> 8);
    frame[1] = char(payload.size() & 0xFF);
    frame += payload;
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ssize_t r = send(fd, frame.constData() + sent, size_t(frame.size() - sent), MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        sent += r;
    }
    return true;
}

int connectToReader(const Settings& s)
{
    for (;;) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) {
            std::perror("simcard: socket");
            std::exit(1);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(s.port));
        if (inet_pton(AF_INET, s.host.c_str(), &address.sin_addr) != 1)
            usage("the host must be an IPv4 address");
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        close(fd);
        usleep(100 * 1000); // the reader driver is not listening yet
    }
}

void saveState(const CardModel& card, const Settings& s)
{
    if (!s.state.isEmpty())
        card.save(s.state);
}

// Serves one insertion of the card; false when the card was pulled.
bool serve(int fd, CardModel& card, const Settings& s, Transcript& transcript)
{
    for (;;) {
        unsigned char header[2];
        if (!receive(fd, reinterpret_cast<char*>(header), 2))
            return true;
        const size_t length = size_t(header[0] << 8 | header[1]);
        QByteArray payload(qsizetype(length), '\0');
        if (length > 0 && !receive(fd, payload.data(), length))
            return true;
        if (length == 1) {
            switch (quint8(payload[0])) {
            case 0x00: transcript.line("-- power off"); break;
            case 0x01: card.powerOn(); transcript.line("-- power on"); break;
            case 0x02: card.powerOn(); transcript.line("-- reset"); break;
            case 0x04:
                if (!sendFrame(fd, card.atr()))
                    return true;
                break;
            default: break;
            }
            continue;
        }
        transcript.line("-> " + CardModel::logged(payload));
        const int updatesBefore = card.updates();
        const QByteArray answer = card.process(payload);
        if (card.pulled()) {
            transcript.line("-- pulled");
            saveState(card, s);
            return false;
        }
        transcript.line("<- " + answer.toHex(' ').toUpper());
        if (card.updates() != updatesBefore || (payload.size() > 1 && quint8(payload[1]) == 0x20))
            saveState(card, s);
        if (!sendFrame(fd, answer))
            return true;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const Settings s = parse(argc, argv);
    CardModel card(s.card);
    try {
        if (!s.state.isEmpty() && QFile::exists(s.state))
            card.load(s.state);
        saveState(card, s);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simcard: %s\n", e.what());
        return 1;
    }
    Transcript transcript(s.transcript);
    for (;;) {
        const int fd = connectToReader(s);
        transcript.line("-- inserted");
        card.powerOn();
        const bool stays = serve(fd, card, s, transcript);
        close(fd);
        if (!stays || s.once)
            return 0;
        transcript.line("-- reader let the card go");
    }
}
