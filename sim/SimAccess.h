#pragma once
// What the alarm's SIM holds and what the pages ask of it: phone-book entries and SMS at given
// positions, each request ending with a result per position. The pages build requests from
// their fields and show what a request tells them as it runs; they know nothing of how the SIM
// is reached. One request runs at a time across all pages.
//
//   kva::sim::Progress p;
//   p.working = [this](const QString& text) { status->setText(text); gauge->show(); };
//   p.positionDone = [this](const kva::sim::PositionResult& r) { if (r.found()) show(r.entry); };
//   p.finished = [this](const QString& text) { toIdle(text); };
//   p.stopped = [this] { toIdle(QString()); };
//   sim.readEntries(kva::sim::Set::PhoneNumbers, {1, 2, 3, 4, 7}, std::move(p));
//
// Thread contract: user-interface thread only; every callback of Progress runs there.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace kva::sim {

// What the status line says while a request works.
inline QString workingText() { return QStringLiteral("Moment prosím, pracuji"); }

// Which of the alarm's sets a request is about. The SIM is the same; a phone is given the
// time it needs for each set.
enum class Set {
    Configuration, // phone-book positions 5 ("Setup") and 6 ("Casy")
    PhoneNumbers,  // phone-book positions 1, 2, 3, 4 and 7
    Messages,      // SMS positions 1 to 9
};

struct PhoneBookEntry {
    QString number;
    QString name;
};

// One phone-book position to write; an empty number clears the position (the name is not sent).
struct EntryToWrite {
    int position = 0;
    QString number;
    QString name;
};

// One message to store, as the PDU codec made it: the hexadecimal PDU text (with the SMS
// centre) and the TPDU length in octets.
struct MessageToStore {
    QByteArray pduText;
    quint16 tpduLength = 0;
};

// How one position of a request ended.
struct PositionResult {
    enum Outcome {
        Found,   // a read found an entry or a message
        Empty,   // a read found the position empty
        Written, // the SIM confirmed the write or the store
        Deleted, // the SIM confirmed that the position is clear
        Failed,  // `reason` says why, in Czech; a read leaves what the page shows
    };
    int position = 0;
    Outcome outcome = Failed;
    PhoneBookEntry entry; // Found in the phone book
    QByteArray pdu;       // Found among the messages: the hexadecimal PDU as the SIM holds it
    QString reason;       // Failed

    bool found() const { return outcome == Found; }
};

// What a running request tells its page. Every member may be left empty.
struct Progress {
    std::function<void()> started;                  // accepted; nothing has been sent yet
    std::function<void()> answered;                 // the SIM is there; the work begins
    std::function<void(const QString&)> working;    // the status line says this, the gauge shows
    std::function<void(int)> progress;              // the gauge, 0 to 100
    std::function<void(const PositionResult&)> positionDone;
    std::function<void(const QString&)> finished;   // every position done; the status says this
    std::function<void()> notAnswered;              // no SIM there: the page is usable again
    std::function<void()> stopped;                  // ended early (failure, port change, window
                                                    // closed): the page returns to idle
};

// Where the SIM is reached. Requests are refused, not queued, while another one runs.
class SimAccess : public QObject {
    Q_OBJECT
public:
    enum class Start {
        Started,
        NotConnected, // nothing to talk to (no port open)
        Busy,         // another request runs
    };

    using QObject::QObject;

    virtual Start readEntries(Set set, const QList<int>& positions, Progress progress) = 0;
    virtual Start writeEntries(Set set, const QList<EntryToWrite>& entries, Progress progress) = 0;
    virtual Start readMessages(const QList<int>& positions, Progress progress) = 0;
    // Clears the positions first, then stores the messages in order at positions 1, 2, …
    virtual Start storeMessages(const QList<MessageToStore>& messages, Progress progress) = 0;
    virtual Start deleteMessages(const QList<int>& positions, Progress progress) = 0;

    virtual bool connected() const = 0;
    // The refusal shown when a request finds nothing connected.
    virtual QString notConnectedText() const { return QStringLiteral("POZOR - sériový port není otevřen !"); }
    virtual bool busy() const = 0;
    // Ends the running request like a failure without a message (its `stopped` runs).
    virtual void cancel() = 0;
    // Ends the running request like a failure: nothing is left half-done on the SIM's side
    // that can be undone (a message being stored is cancelled), `stopped` runs, and failed()
    // says so, naming the positions a write had done.
    virtual void interrupt() = 0;

signals:
    void busyChanged(bool busy);
    // The running request failed: `message` is the Czech text of the error box.
    void failed(const QString& message);
    // The SIM did not answer at all: `message` is the Czech text of the warning.
    void silent(const QString& message);
    // A read ended with positions it could not read (their fields keep what they showed):
    // `message` is the Czech text of the box that lists them.
    void incomplete(const QString& message);
};

} // namespace kva::sim
