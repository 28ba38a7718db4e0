#pragma once
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs the simulated phone (tools/phonesim) for a test: starts it on a fresh
// pseudo-terminal with a transcript and a state file in a temporary folder, gives the
// device path, and reads back what went over the line. Options: docs/phonesim.md.
//
//   PhoneSim phone;
//   const QString dev = phone.start({"--delay-ms", "50"},
//                                   PhoneSim::phoneBookLine(5, "+000000000001", "Setup"));
//   ... let the program talk to `dev` (e.g. KVA271_COM1=dev) ...
//   ASSERT_TRUE(phone.waitForReceived("AT+CPBR=5\r", 3000));
//   EXPECT_EQ(phone.received(), "AT\rAT+CPBR=5\r...");
class PhoneSim {
public:
    struct Record {
        qint64 ms = 0;     // since the phone started
        QByteArray dir;    // "rx" received by the phone, "tx" sent by it, "--" a note
        QByteArray bytes;  // the bytes (for a note: its text)
    };

    PhoneSim();
    ~PhoneSim(); // stops the phone if it still runs

    // Starts the phone with `args` and `state` (state file text; empty for an empty SIM).
    // Returns the device path; throws std::runtime_error when it does not come up in 5 s.
    // Starting again stops the running phone and begins a new transcript; to keep the
    // SIM, pass state() as `state`.
    QString start(const QStringList& args = {}, const QByteArray& state = {});
    QString device() const { return device_; }
    bool running() const;
    qint64 pid() const { return process_.processId(); }
    void stop(); // SIGTERM: the phone saves its state and removes its link
    void kill(); // SIGKILL: the device vanishes under the client

    QList<Record> transcript() const;
    // The records of a transcript file (e.g. a golden one in tests/data).
    static QList<Record> readTranscript(const QString& path);
    QByteArray received() const; // every byte the phone got, in order
    QByteArray sent() const;     // every byte the phone sent (echo included)
    // Received bytes cut after each CR: the commands as the program sent them.
    QList<QByteArray> receivedCommands() const;
    // `bytes` cut after each CR.
    static QList<QByteArray> commandsOf(const QByteArray& bytes);
    // Keeps the Qt event loop running until received()/sent() contains `bytes`. The phone
    // logs bytes just after it reads or writes them, so a client may see an answer a
    // moment before it is in the transcript: wait with these before reading it.
    bool waitForReceived(const QByteArray& bytes, int timeoutMs);
    bool waitForSent(const QByteArray& bytes, int timeoutMs);

    QString statePath() const { return dir_.filePath("state.txt"); }
    QString transcriptPath() const { return dir_.filePath("transcript.txt"); }
    QByteArray state() const; // the state file as saved so far

    static QString binary();
    // Lines of a state file.
    static QByteArray phoneBookLine(int pos, const QByteArray& number, const QByteArray& name);
    static QByteArray smsLine(int pos, int status, const QByteArray& pduHex);
    // Opens a device the way a serial client would (raw, non-blocking); -1 on failure.
    static int openRaw(const QString& device);

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString device_;
};
