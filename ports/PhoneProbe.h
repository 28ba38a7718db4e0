#pragma once
// Tries one serial device: opens it at 19200 8N1 without flow control, sends "AT" CR and
// waits up to PresenceWaitMs for OK; a device that answers is asked who it is (AT+CGMI,
// AT+CGMM) and how much room its SIM has (AT+CPBS?, AT+CPBR=?, AT+CPMS?), each question
// waiting up to QuestionWaitMs. The questions are an exchange played by a StepRunner, like the
// pages' exchanges: each waits for its answer (kva::probeReply) until the answer is complete or
// its time is up. Everything runs from the event loop (timers), so a window showing it never
// freezes. The bytes go to the dialogue log with a note naming the device.
//
// The device is the serial layer's own (the same exclusive opening and the same causes of a
// refusal as the Port menu), polled every PollMs rather than read through the port component:
// that one opens COM names only and reports a worker fault (a device pulled mid-probe) to the
// application's error box, while a search must try any device quietly, one at a time. Each
// poll stores what came and tells the runner (StepRunner::answerStored).
// Tests hand it a line of their own and a ManualClock.
#include "AfSerialDevice.h"
#include "AfUtils.h"
#include "Exchange.h"
#include "PortOwners.h"
#include "ProbeAnswers.h"
#include "Scheduler.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace kva {

struct ProbeResult {
    enum class Outcome { Answering, Silent, NotAPhone, Flooding, Vanished, CannotOpen };
    Outcome outcome = Outcome::Silent;
    TAfOpenFailure openFailure = TAfOpenFailure::None;
    PhoneIdentity identity;
    QString text; // the Czech line of the row
};

class PhoneProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int PresenceWaitMs = 1000;
    static constexpr int QuestionWaitMs = 1000;
    // More than this from one device is no phone answering a few questions.
    static constexpr qsizetype FloodBytes = 64 * 1024;
    static constexpr int PollMs = 10;

    // What a try needs of the device; by default the serial layer's own.
    struct Line {
        // Opens at 19200 8N1 without flow control, input and output purged.
        std::function<bool(const QString& path, TAfOpenFailure& failure)> open;
        std::function<bool(const QByteArray& bytes)> write; // false: the device is gone
        std::function<int32_t(char* buffer, int32_t count)> read; // <= 0: nothing waiting
        std::function<bool()> lost;
        std::function<void()> close; // also when not open
    };

    explicit PhoneProbe(QObject* parent = nullptr);
    ~PhoneProbe() override;
    // Not while a try runs.
    void setLine(Line line) { line_ = std::move(line); }
    void setScheduler(Scheduler& scheduler);

    // Starts trying `devicePath`; finished() follows (also for a device that cannot be opened,
    // on the next turn of the event loop). Refused (false) while a try is running.
    bool start(const QString& devicePath);
    bool running() const { return running_; }
    // Stops a try without a result (the dialog closes).
    void cancel();

signals:
    void finished(const kva::ProbeResult& result);

private:
    Exchange questions();
    void ask(const QByteArray& question);
    bool answered() const;
    void presenceAnswered();
    void poll();
    void vanished();
    void finish(ProbeResult result);
    void schedulePoll();

    TAfSerialDevice port_;
    Line line_;
    QtScheduler ownScheduler_;
    Scheduler* scheduler_ = &ownScheduler_;
    StepRunner runner_;
    Scheduler::Id pollTask_ = 0;
    Scheduler::Id openFailedTask_ = 0;
    QString device_;
    bool running_ = false;
    QByteArray question_; // the question last sent
    QByteArray answer_;   // what came since it was sent
    qsizetype total_ = 0;
    PhoneIdentity identity_;
};

// The row text of an opening that failed, with the owner of a busy device looked up.
ProbeResult cannotOpenResult(const QString& devicePath, TAfOpenFailure cause);

} // namespace kva
