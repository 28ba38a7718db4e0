#pragma once
// The far end of a pseudo-terminal: the port opens the slave path through $KVA271_COMn, the
// test reads and writes the master.
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class TAfComPort;

class PtyPeer {
public:
    // Opens a pty and points $KVA271_COM<comNumber> at its slave.
    explicit PtyPeer(int comNumber = 1);
    ~PtyPeer();

    QString SlavePath() const { return slavePath_; }
    void Write(const QByteArray& bytes);
    // Reads until `count` bytes came or `timeoutMs` passed.
    QByteArray Read(int count, int timeoutMs = 2000);
    // Whatever arrives within timeoutMs.
    QByteArray ReadFor(int timeoutMs);
    void HangUp();

private:
    int master_ = -1;
    QString slavePath_;
};

// Runs the event loop until cond() holds or timeoutMs passes; returns cond().
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 3000);
// Runs the event loop for a while.
void Pump(int ms);
// CPU time of the whole process in ms.
double ProcessCpuMs();
// A port set up as the main window sets it up (19200 baud, 8192-byte input queue), on COM<com>.
std::unique_ptr<TAfComPort> makePort(int com = 1);
