#pragma once
// The simulated phone without a process or a pseudo-terminal: the phone model of
// tools/phonesim answers what is written to it on a ManualClock, so an exchange runs in
// milliseconds of test time with the pauses it has in real time. Takes phonesim's options
// (--silent, --no-echo, --delay-ms, --reply, --error, --mute-after, --vanish-on, …) and state
// file text.
//
//   kva::ManualClock clock;
//   InProcessPhone phone(clock);
//   phone.start({"--delay-ms", "150"}, PhoneSim::phoneBookLine(5, "+000000000011", "Setup"));
//   phone.openLine([&] { channel.dataReceived(); });
//   channel.setScheduler(clock);
//   channel.setPort({[&] { return phone.open; }, [&](const QByteArray& b) { phone.write(b); },
//                    [&] { return phone.take(); }});
//   ... click, clock.advance(…) ...
//   EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", "AT+CPBR=5\r"}));
#include "Options.h"
#include "Pacing.h"
#include "PhoneModel.h"
#include "Scheduler.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

class InProcessPhone {
public:
    explicit InProcessPhone(kva::ManualClock& clock) : clock_(clock) { start(); }

    // A fresh phone; what an earlier one received or had still to send is forgotten.
    void start(const QStringList& args = {}, const QByteArray& state = {});
    // A line opened anew: what the phone had still to send for the last client, and what that
    // client left unread, are gone. Output that arrives is announced with `dataReceived` (the
    // port's data-received event).
    void openLine(std::function<void()> dataReceived = {});
    // The line as a port sees it. write() throws as the serial port does once the phone has
    // vanished; take() gives at most `max` of the bytes waiting.
    void write(const QByteArray& bytes);
    QByteArray take(qsizetype max = -1);
    bool open = true; // what the port says about itself
    // Output falls due but stays in the line until release() (a phone held up).
    void hold() { held_ = true; }
    void release();
    // The cable is pulled: nothing more arrives, writes fail as on a hung-up line.
    void kill();
    bool vanished() const { return lost_; }

    QByteArray received() const { return received_; } // every byte the phone got
    QByteArray sent() const { return sent_; }         // every byte it sent (echo included)
    QList<QByteArray> receivedCommands() const;       // received() cut after each CR
    // The clock's time of each write holding `prefix`.
    QList<qint64> receivedTimes(const QByteArray& prefix) const;
    QByteArray state() const; // the SIM as phonesim would save it

private:
    void arrive(const QByteArray& bytes);

    kva::ManualClock& clock_;
    std::unique_ptr<phonesim::PhoneModel> model_;
    phonesim::RunOptions options_;
    std::unique_ptr<phonesim::Pacing> pacing_;
    std::function<void()> dataReceived_;
    quint64 generation_ = 0; // output of an earlier phone or line is dropped
    bool held_ = false;
    bool lost_ = false;
    QByteArray heldBytes_;
    QByteArray waiting_;
    QByteArray received_;
    QByteArray sent_;
    QList<std::pair<qint64, QByteArray>> writes_;
};
