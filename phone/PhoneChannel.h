#pragma once
// The command channel to the phone on the serial port: the receive handler, the "AT" presence
// probe, one exchange at a time, and the one step runner that plays every exchange
// (Exchange.h) from the event loop, so that the window keeps painting. Widget-free: what the
// user must be told goes out as signals (failed, silent), and the SIM link of the pages shows
// it. AtSim builds the exchanges of the pages' requests on it.
//
// Timing. The receive handler waits 250 ms after a data-received event before it reads, with a
// scheduler task: the event loop runs on. The step after an Await that falls due during that
// wait runs right after the answer has been stored; a further data-received event during the
// wait starts no second wait. Pauses are planned from the start of the exchange (or from the
// last examined answer), so they do not drift; answers that arrive meanwhile are stored as
// they come. Time comes from a Scheduler: QtScheduler in the program, a ManualClock in tests.
//
// Every byte to the phone goes through send(), every chunk from it through store().
//
// Thread contract: user-interface thread only. The serial port delivers its data-received
// event there.
#include "Exchange.h"
#include "Scheduler.h"
#include "WriteAnswer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <exception>
#include <functional>

namespace kva {

class PhoneChannel : public QObject {
    Q_OBJECT
public:
    // What the channel needs of the serial port (the main window binds its port; tests a fake).
    struct Port {
        std::function<bool()> isOpen;
        std::function<void(const QByteArray&)> write; // may throw (port error)
        std::function<QByteArray()> read;             // all waiting input; may throw
    };

    static constexpr int ReceiveWaitMs = 250;
    // The most of the text received since a command that is kept: a device that sends more
    // before the next command is not a phone answering (a GPS receiver, another device).
    static constexpr qsizetype MaxAnswerChars = 64 * 1024;

    explicit PhoneChannel(QObject* parent = nullptr);
    ~PhoneChannel() override;
    void setPort(Port port);
    // Tests put a ManualClock here; not while an exchange runs.
    void setScheduler(Scheduler& scheduler);
    Scheduler& scheduler() const { return *scheduler_; }

    // ---- receive side (the port's data-received event) ----
    // Starts the 250 ms wait unless one is pending; then reads everything waiting and store()s it.
    void dataReceived();
    bool receivePending() const { return receiveTask_ != 0; }

    // Runs `step` now, or, while a receive wait is pending, right after the answer is stored.
    void runStep(Scheduler::Task step);

    // ---- exchanges ----
    bool isOpen() const;
    // Starts an exchange; `stopped` returns its page to idle when the exchange is aborted.
    // False while another exchange runs or after shutdown().
    bool begin(std::function<void()> stopped);
    // The exchange is over (its page has already returned to idle itself).
    void end();
    bool busy() const { return busy_; }

    // Writes one command (bytes as they are; text converted to Windows-1250). Throws the
    // port's error; inside an exchange that ends it.
    void send(const QByteArray& bytes);
    void send(const QString& text);

    // The start of most exchanges: "AT\r", `afterSend`, `awaitMs` for the answer, then
    // endIfSilent().
    Exchange probe(int awaitMs, std::function<void()> notAnswered, std::function<void()> afterSend = {});
    // A step: when the phone did not answer the probe, silent("POZOR - telefon nekomunikuje !"),
    // `notAnswered` and the end of the exchange.
    std::function<void()> endIfSilent(std::function<void()> notAnswered);
    // The phone answered the probe: an "OK" line came after "AT" was sent, with or without the
    // echo (kva::answeredOk).
    bool probeAnswered() const;
    // An AT+CMGW was sent and its PDU not yet: the phone waits for message text. Whenever an
    // exchange ends so, ESC (0x1B) goes to the phone before anything else.
    bool insideMessage() const { return insideMessage_; }

    // A check for the pause after a write command: the text received since the command was
    // sent must confirm it (see Confirmation); otherwise the exchange stops at that command with
    // one error naming it and the phone's answer ("POZOR - telefon nekomunikuje !" as a warning
    // when the first command got no answer at all).
    std::function<QString()> confirm(Confirmation confirmation);
    // Everything received since the last command was sent: the answer to that command.
    const QString& receivedSinceSend() const { return sinceSend_; }

    // Runs `exchange` in the current exchange; an error in one of its steps aborts the
    // exchange and is reported once. False when one is already running.
    bool run(Exchange exchange);
    // From a step of the running exchange: `more` runs next.
    void continueWith(const Exchange& more) { runner_.continueWith(more); }
    bool exchangeRunning() const { return runner_.running(); }

    // Aborts the current exchange without a message: steps stopped, deferred steps dropped,
    // ESC when the phone waits for message text, the exchange's `stopped`, end().
    void abort();
    // Aborts the current exchange (if any) and reports `message` through failed(). Used for
    // errors inside steps and for the port's worker faults.
    void fail(const QString& message);
    void fail(std::exception_ptr error);

    // The program closes: aborts everything, no further wait, step or exchange starts.
    void shutdown();

    // From a step: the exchange goes on, but some positions could not be done; `message` is
    // the Czech text of the box that lists them (incomplete()).
    void reportIncomplete(const QString& message);

signals:
    void busyChanged(bool busy);
    // A receive wait has ended and what was read is stored.
    void chunkStored();
    // An exchange failed (already aborted): the Czech text of the error box.
    void failed(const QString& message);
    // The phone did not answer at all (the exchange has ended): the Czech text of the warning.
    void silent(const QString& message);
    // An exchange ended with positions it could not do: the Czech text of the box.
    void incomplete(const QString& message);

private:
    void leaveMessage();
    void receiveWaitOver();
    void store(const QByteArray& chunk);
    void runDeferred();

    Port port_;
    QtScheduler ownScheduler_;
    Scheduler* scheduler_ = &ownScheduler_;
    Scheduler::Id receiveTask_ = 0;
    std::deque<Scheduler::Task> deferred_;
    StepRunner runner_;
    bool busy_ = false;
    bool shutDown_ = false;
    std::function<void()> stopped_;
    QString sinceSend_;
    bool insideMessage_ = false;
};

} // namespace kva
