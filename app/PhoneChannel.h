#pragma once
// The phone command channel shared by the three tab pages: the receive handler that stores the
// phone's answer in ReplyBuffer, the port check and the "AT" presence probe with their message
// boxes, one exchange at a time across all pages, and the one step runner that plays every
// exchange (Exchange.h) from the event loop, so that the window keeps painting.
// The main window owns one instance and hands it to the pages with the shared state.
//
// How a page uses it (a read: the probe, then one command examined 500 ms after it is sent):
//
//   // constructor: phone buttons off while any exchange runs
//   channel.guardButtons({Button1, BitBtn3});
//
//   void Page::Button1Click() {
//       kva::Exchange read = channel_.probe(500, this, [this] { Povol_tlacitka(); });
//       read.then([this] { Zakaz_tlacitka(); })
//           .send(kva::phoneBookReadCommand(5)).await(500)
//           .then([this] { decode(state_.ReplyBuffer); backToIdle(); });
//       // the exchange ends with its last step
//       // refused when the port is closed ("POZOR - sériový port není otevřen !") or another
//       // page is busy
//       channel_.start(this, [this] { backToIdle(); }, std::move(read));
//   }
//
// backToIdle() of a page empties its status label, hides its gauge and enables its action
// buttons. The channel calls it when the exchange is aborted: after an error inside a step
// (shown once in an error box captioned with the application title), a port fault, or when
// the main window closes (shutdown()).
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
#include "SharedState.h"
#include "WriteAnswer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <exception>
#include <functional>
#include <initializer_list>

class QAbstractButton;
class QWidget;

namespace kva {

class PhoneChannel : public QObject {
    Q_OBJECT
public:
    // What the channel needs of the serial port (TForm1 binds AfComPort1; tests a fake).
    struct Port {
        std::function<bool()> isOpen;
        std::function<void(const QByteArray&)> write; // may throw (port error)
        std::function<QByteArray()> read;             // all waiting input; may throw
    };

    static constexpr int ReceiveWaitMs = 250;

    // `window`: parent of the channel's message boxes when no page is named.
    PhoneChannel(SharedState& state, QWidget* window, QObject* parent = nullptr);
    ~PhoneChannel() override;
    void setPort(Port port);
    // Tests put a ManualClock here; not while an exchange runs.
    void setScheduler(Scheduler& scheduler);
    Scheduler& scheduler() const { return *scheduler_; }
    SharedState& state() const { return state_; }

    // ---- receive side (the main window's AfComPort1DataRecived) ----
    // Starts the 250 ms wait unless one is pending; then reads everything waiting and store()s it.
    void dataReceived();
    bool receivePending() const { return receiveTask_ != 0; }

    // Runs `step` now, or, while a receive wait is pending, right after the answer is stored.
    void runStep(Scheduler::Task step);

    // ---- exchanges ----
    bool isOpen() const;
    // Port closed: error box "POZOR - sériový port není otevřen !" (title "Error"), true.
    bool refuseIfClosed(QWidget* page);
    // Starts an exchange for `page`; `backToIdle` returns that page to idle when the exchange
    // is aborted. While another exchange runs: a refusal box and false.
    bool begin(QWidget* page, std::function<void()> backToIdle);
    // refuseIfClosed(), then begin(), then run(exchange): false when refused.
    bool start(QWidget* page, std::function<void()> backToIdle, Exchange exchange);
    // The exchange is over (the page has already returned to idle itself).
    void end();
    bool busy() const { return busy_; }
    QWidget* exchangePage() const { return page_; }
    // These buttons are disabled while any exchange runs and enabled again when it ends.
    void guardButtons(std::initializer_list<QAbstractButton*> buttons);

    // Writes one command (bytes as they are; text converted to Windows-1250). Throws the
    // port's error; inside an exchange that ends it.
    void send(const QByteArray& bytes);
    void send(const QString& text);

    // The start of most exchanges: ReplyBuffer := " ", "AT\r", `afterSend`, `awaitMs` for
    // the answer, then endIfSilent().
    Exchange probe(int awaitMs, QWidget* page, std::function<void()> enableButtons,
                   std::function<void()> afterSend = {});
    // A step: when the 6th character of ReplyBuffer is not "O", the warning "POZOR - telefon
    // nekomunikuje !" (title "Warning"), `enableButtons` and the end of the exchange.
    std::function<void()> endIfSilent(QWidget* page, std::function<void()> enableButtons);
    bool probeAnswered() const;

    // A check for the pause after a write command: the text received since the command was
    // sent must confirm it (see Confirmation); otherwise the exchange stops at that command with
    // one box naming it and the phone's answer ("POZOR - telefon nekomunikuje !" when the first
    // command got no answer at all).
    std::function<QString()> confirm(Confirmation confirmation);
    // Everything received since the last command was sent.
    const QString& receivedSinceSend() const { return sinceSend_; }

    // Runs `exchange` in the current exchange; an error in one of its steps aborts the
    // exchange and is shown once. False when one is already running.
    bool run(Exchange exchange);
    // From a step of the running exchange: `more` runs next.
    void continueWith(const Exchange& more) { runner_.continueWith(more); }
    bool exchangeRunning() const { return runner_.running(); }

    // Aborts the current exchange without a message: steps stopped, deferred steps dropped,
    // the page's backToIdle, end().
    void abort();
    // Aborts the current exchange (if any) and shows `message` in an error box captioned with
    // the application title. Used for errors inside steps and for the port's worker faults.
    void fail(const QString& message);
    void fail(std::exception_ptr error);

    // The main window closes: aborts everything, no further wait, step or exchange starts.
    void shutdown();

signals:
    void busyChanged(bool busy);
    // A receive wait has ended and LastChunk holds what was read.
    void chunkStored();

private:
    void receiveWaitOver();
    void store(const QByteArray& chunk);
    void runDeferred();

    SharedState& state_;
    QPointer<QWidget> window_;
    Port port_;
    QtScheduler ownScheduler_;
    Scheduler* scheduler_ = &ownScheduler_;
    Scheduler::Id receiveTask_ = 0;
    std::deque<Scheduler::Task> deferred_;
    StepRunner runner_;
    bool busy_ = false;
    bool shutDown_ = false;
    QPointer<QWidget> page_;
    std::function<void()> backToIdle_;
    QString sinceSend_;
    QList<QPointer<QAbstractButton>> guarded_;
};

} // namespace kva
