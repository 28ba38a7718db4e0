#pragma once
// The SMS exchanges with the phone without widgets: the read step table, and the store and
// the delete as exchange tables (sends, pauses and what the page shows meanwhile) that the
// channel's step runner plays.
#include "Exchange.h"
#include "SmsEncoding.h"
#include "SmsSet.h"
#include "WriteAnswer.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace kva::sms {

constexpr int WriteStepDelayMs = 1000; // after every command of the store and the delete
constexpr int ReadStepDelayMs = 800;   // after each examined answer, before the next read command
constexpr int ProbePauseMs = 500;      // after the probe was answered, before the first read
constexpr int ReadTimerMs = 300;       // from a read command to the examination of its answer
constexpr int ProbeStep = 18;          // ExchangeStep of the read's presence probe

// One step of the read: the answer it examines is the one to smsReadCommand(position).
struct ReadStep {
    int step;     // ExchangeStep value: 11 ... 17, 118, 19
    int position; // SIM position 1 ... 9; the pair filled is position - 1
    int next;     // the following step; 0 after the last
    int progress; // the gauge once the answer is taken
};
const std::array<ReadStep, PairCount>& readSteps();
// The read step of ExchangeStep value `step`; nullptr for any other value (18 is the probe).
const ReadStep* findReadStep(int step);

// Control characters (below 32, e.g. CR, LF, Ctrl-Z, ESC) as blanks: nothing from a field can
// end or cancel a command early.
QString blankControls(const QString& text);

// The pair as it is encoded for the store (numbers and text with blanks for control characters).
Pair pairToSend(const Pair& pair);

// Gauge_increment: the value plus 6, at most 100.
int gaugeIncrement(int value);

// What the store and the delete show on the page while they run.
class PageView {
public:
    virtual ~PageView() = default;
    virtual void setStatus(const QString& text) = 0;
    virtual void setGaugeShown(bool shown) = 0;
    virtual void setGauge(int value) = 0;
    virtual int gauge() const = 0;
    virtual void clearReply() = 0;  // ReplyBuffer := " "
    virtual void clearFields() = 0; // all eighteen number and text fields emptied
    virtual const QString& receivedSinceSend() const = 0; // the phone's answer to the last command
};

// The store after its checks: nine deletes, then the nine encoded pairs in position order, each
// announced with its length and followed by its PDU; `stepDelayMs` after every command and once
// between the deletes and the first announcement. The phone confirms every command by the end
// of its pause, or the store stops there. Ends with the gauge hidden and the status saying that
// everything was confirmed.
Exchange storeExchange(const std::array<EncodedSms, PairCount>& pairs, int stepDelayMs, PageView& view);
// The delete after its port check: positions 1 to 9, `stepDelayMs` after each, each confirmed
// by the phone; then the fields cleared, the gauge hidden and the status saying so.
Exchange deleteExchange(int stepDelayMs, PageView& view);

} // namespace kva::sms
