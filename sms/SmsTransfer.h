#pragma once
// The SMS exchanges with the phone without widgets: the commands, the read step table, the
// taking of the PDU line out of an answer, and the store and delete as fixed plans of sends,
// pauses and progress that the window runs from the event loop.
#include "SmsEncoding.h"
#include "SmsSet.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

namespace kva::sms {

constexpr int WriteStepDelayMs = 1000; // after every command of the store and the delete
constexpr int ReadStepDelayMs = 800;   // after each examined answer, before the next read command
constexpr int ProbePauseMs = 500;      // after the probe was answered, before the first read
constexpr int ReadTimerMs = 300;       // from a read command to the examination of its answer
constexpr int ProbeStep = 18;          // ExchangeStep of the read's presence probe

QByteArray deleteCommand(int position);  // "AT+CMGD=n" CR
QByteArray announceCommand(quint16 tpduLength); // "AT+CMGW=<length>" CR
QByteArray pduCommand(const QByteArray& pduText); // the PDU, then Ctrl-Z (no CR)
QString readCommand(int position);       // "AT+CMGR=n" CR

// One step of the read: the answer it examines is the one to readCommand(position).
struct ReadStep {
    int step;     // ExchangeStep value: 11 ... 17, 118, 19
    int position; // SIM position 1 ... 9; the pair filled is position - 1
    int next;     // the following step; 0 after the last
    int progress; // the gauge once the answer is taken
};
const std::array<ReadStep, PairCount>& readSteps();
// The read step of ExchangeStep value `step`; nullptr for any other value (18 is the probe).
const ReadStep* findReadStep(int step);

// The line after the first colon of `reply`: from the first ":" to the first LF after it, then
// the characters up to (not including) the next CR. Never reads past the end: without a
// colon, an LF after it or a CR after the line the result is empty.
QString Retezec(const QString& reply);

// The PDU line answering readCommand(position) in `reply`, taken after the echo of that very
// command (so that a late answer to another command is never taken for this position).
// Empty when the echo is missing, when Retezec finds no line after it, or when the line is
// not an even number of hexadecimal digits (a text-mode or garbled answer is not a PDU).
QString pduLine(const QString& reply, int position);
bool isHexPdu(const QString& line);

// Control characters (below 32, e.g. CR, LF, Ctrl-Z, ESC) as blanks: nothing from a field can
// end or cancel a command early.
QString blankControls(const QString& text);

// The pair as it is encoded for the store (numbers and text with blanks for control characters).
Pair pairToSend(const Pair& pair);

// Gauge_increment: the value plus 6, at most 100.
int gaugeIncrement(int value);

// One step of the store or the delete, run in order.
struct PlanStep {
    enum Kind {
        Status,        // the status line shows `text`
        ShowGauge,
        HideGauge,
        Progress,      // the gauge shows `value`
        GaugeIncrement,
        ClearReply,    // ReplyBuffer := " "
        ClearFields,   // all eighteen number and text fields emptied
        Send,          // `bytes` written to the port
        Pause,         // `value` ms
    } kind;
    int value = 0;
    QString text;
    QByteArray bytes;
};
using Plan = std::vector<PlanStep>;

// The store after its checks: nine deletes, then the nine encoded pairs in position order, each
// announced with its length and followed by its PDU; `stepDelayMs` after every command and once
// between the deletes and the first announcement. Ends with the gauge hidden and the status " ".
Plan storePlan(const std::array<EncodedSms, PairCount>& pairs, int stepDelayMs);
// The delete after its port check: positions 1 to 9, `stepDelayMs` after each, then the fields
// cleared, the gauge hidden and the status " ".
Plan deletePlan(int stepDelayMs);

} // namespace kva::sms
