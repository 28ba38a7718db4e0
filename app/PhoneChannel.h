#pragma once
// The phone command channel shared by the three tab pages: the receive handler that stores the
// phone's answer in ReplyBuffer, the port check and the "AT" presence probe with their message
// boxes, step timers routed so that an answer is stored before the step that examines it, one
// exchange at a time across all pages, and timed send sequences that never block painting.
// The main window (TForm1) owns one instance: form1.channel().
//
// How a page uses it (a read stepped by a 500 ms one-shot timer, then a timed write):
//
//   // constructor: ticks go through the channel; phone buttons off while any exchange runs
//   channel.routeTimer(Timer2, [this] { Timer2Timer(); });
//   channel.guardButtons({Button1, BitBtn3});
//
//   void Page::Button1Click() {
//       // refused when the port is closed ("POZOR - sériový port není otevřen !") or another
//       // page is busy; else, as one step (an exception ends the exchange), the probe
//       // (ReplyBuffer := " ", "AT\r" written) and then:
//       form1_.channel().beginWithProbe(this, [this] { backToIdle(); }, [this] {
//           form1_.ExchangeStep = 0;
//           Timer2->start();
//       });
//   }
//
//   void Page::Timer2Timer() {                        // runs via routeTimer
//       Timer2->stop();
//       kva::PhoneChannel& ch = form1_.channel();
//       ch.step([&] {
//           switch (form1_.ExchangeStep) {
//           case 0:
//               // 6th character of ReplyBuffer not "O": "POZOR - telefon nekomunikuje !",
//               // Povol_tlacitka(), end()
//               if (ch.endIfSilent(this, [this] { Povol_tlacitka(); }))
//                   return;
//               Zakaz_tlacitka();
//               ch.send(kva::phoneBookReadCommand(5));
//               form1_.ExchangeStep = 5;
//               Timer2->start();
//               break;
//           case 5: {
//               const kva::PhoneBookEntry e = kva::phoneBookEntry(form1_.ReplyBuffer, 5);
//               ...
//               backToIdle();
//               ch.end();                              // the exchange is over
//               break;
//           }
//           }
//       });
//   }
//
//   // a write with fixed pauses: texts captured now, pauses taken from the event loop
//   kva::Sequence s;
//   s.send(cmd5).pause(500).then([this] { Gauge1->setValue(50); }).pause(1000).send(cmd6)
//    .then([this] { backToIdle(); form1_.channel().end(); });
//   ch.run(std::move(s));
//
// backToIdle() of a page stops its step timers, empties the status label, hides the gauge and
// enables its action buttons. The channel calls it when the exchange is aborted: after an
// error inside a step or a sequence (shown once in an error box captioned with the
// application title), a port fault, or when the main window closes (shutdown()).
//
// Timing. The receive handler waits 250 ms after a data-received event before it reads, but
// does so with a timer: the event loop runs on. A step routed through runStep()/routeTimer()
// that falls due during that wait runs right after the answer has been stored, in order; a
// further data-received event during the wait starts no second wait. Sequences keep their
// order and pauses (measured from the start of the sequence, so they do not drift); the
// answers that arrive meanwhile are stored as they come (writes do not examine them).
//
// Thread contract: user-interface thread only. The serial port delivers its data-received
// event there.
#include "SharedState.h"
#include "TimedSequence.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

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
    void setPort(Port port);

    // ---- receive side (the main window's AfComPort1DataRecived) ----
    // Starts the 250 ms wait unless one is pending; then reads everything waiting into
    // LastChunk and, when not empty, replaces ReplyBuffer with it; then runs deferred steps.
    void dataReceived();
    bool receivePending() const { return receiveTimer_.isActive(); }

    // ---- steps ----
    // Runs `step` now, or, while a receive wait is pending, right after the answer is stored.
    void runStep(std::function<void()> step);
    // Every timeout of `timer` (a page's one-shot step timer) runs `tick` through runStep().
    // The timer is made precise (a coarse one may fire up to 5 % early).
    void routeTimer(QTimer* timer, std::function<void()> tick);

    // ---- exchanges ----
    bool isOpen() const;
    // Port closed: error box "POZOR - sériový port není otevřen !" (title "Error"), true.
    bool refuseIfClosed(QWidget* page);
    // Starts an exchange for `page`; `backToIdle` returns that page to idle when the exchange
    // is aborted. While another exchange runs: a refusal box and false.
    bool begin(QWidget* page, std::function<void()> backToIdle);
    // refuseIfClosed(), then begin(): false when either refuses.
    bool beginOnOpenPort(QWidget* page, std::function<void()> backToIdle);
    // The usual start of a page's exchange: beginOnOpenPort(), then inside step() startProbe()
    // and `next` (the page sets its step and starts its step timer). False when refused.
    bool beginWithProbe(QWidget* page, std::function<void()> backToIdle, const std::function<void()>& next);
    // The exchange is over (the page has already returned to idle itself).
    void end();
    bool busy() const { return busy_; }
    QWidget* exchangePage() const { return page_; }
    // These buttons are disabled while any exchange runs and enabled again when it ends.
    void guardButtons(std::initializer_list<QAbstractButton*> buttons);

    // Writes one command (bytes as they are; text converted to Windows-1250). Throws the
    // port's error; inside step() or a sequence that ends the exchange.
    void send(const QByteArray& bytes);
    void send(const QString& text);
    void send(const char* bytes) { send(QByteArray(bytes)); }
    // The presence probe: ReplyBuffer := " ", then "AT\r".
    void startProbe();
    // The 6th character of ReplyBuffer is "O".
    bool probeAnswered() const;
    // Warning box "POZOR - telefon nekomunikuje !" (title "Warning").
    void warnSilent(QWidget* page);
    // The step after the probe: when the phone did not answer, warnSilent(), `enableButtons`,
    // end(), and true.
    bool endIfSilent(QWidget* page, const std::function<void()>& enableButtons);

    // Runs one step of the current exchange. An exception aborts the exchange (page back to
    // idle, sequence stopped, deferred steps dropped) and is shown once in an error box.
    // Returns false after an error.
    template <class Operation>
    bool step(Operation&& operation)
    {
        try {
            operation();
            return true;
        } catch (...) {
            fail(std::current_exception());
        }
        return false;
    }

    // Runs a timed sequence in the current exchange (see TimedSequence.h). An error in one of
    // its steps aborts the exchange like step(). Returns false when one is already running.
    bool run(Sequence sequence);
    bool sequenceRunning() const { return runner_.running(); }

    // Aborts the current exchange without a message: sequence stopped, deferred steps dropped,
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
    void runDeferred();

    SharedState& state_;
    QPointer<QWidget> window_;
    Port port_;
    QTimer receiveTimer_;
    std::deque<std::function<void()>> deferred_;
    SequenceRunner runner_;
    bool busy_ = false;
    bool shutDown_ = false;
    QPointer<QWidget> page_;
    std::function<void()> backToIdle_;
    QList<QPointer<QAbstractButton>> guarded_;
};

} // namespace kva
