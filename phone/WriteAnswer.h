#pragma once
// What the phone answered to a write: "OK", the "> " prompt of AT+CMGW, "+CMGW: k", a refusal
// ("ERROR", "+CME ERROR: n", "+CMS ERROR: n") or nothing yet. Plain functions on the text
// received since the command was sent (echo included, in any number of pieces), read by
// kva::readReply with the pages' rules.
#include "KvaError.h"

#include <QString>

namespace kva {

struct WriteAnswer {
    enum Kind {
        Nothing, // no final answer yet (the echo alone, or nothing at all)
        Ok,      // "OK"
        Prompt,  // "> ": the phone waits for the PDU
        Refused, // "ERROR", "+CME ERROR: n" or "+CMS ERROR: n"
    } kind = Nothing;
    QString refusal;     // the phone's own refusal line, e.g. "+CME ERROR: 20"
    int storedAt = 0;    // k of "+CMGW: k", 0 when there is none
};

// The first final answer in `received`. A refusal wins over an "OK" that follows it (that
// "OK" belongs to a later command).
WriteAnswer writeAnswer(const QString& received);

// Deleting a position that is already empty is not a failure: phones answer "OK" or
// "+CMS ERROR: 321" (invalid index) for it.
bool deleteDone(const WriteAnswer& answer);

// The refusal as the phone gave it, followed by what the common codes mean, in Czech:
// "+CME ERROR: 20 (paměť SIM je plná)". Unknown codes and "ERROR" stay as they came.
QString refusalInWords(const QString& refusal);

// The refusal's meaning first, then the phone's own line, for a list of positions:
// "SIM je zaneprázdněna (+CME ERROR: 14)"; "telefon odmítl (ERROR)" for a code without a meaning.
QString refusalReason(const QString& refusal);
// The number of a refusal line of the given kind ("+CME ERROR" or "+CMS ERROR"): 14 for
// "+CME ERROR: 14", "+CME ERROR:014"; -1 for another kind or no number.
int refusalCode(const QString& refusal, QStringView kind);

// What a write command must hear from the phone before the exchange goes on, and how the user
// is told when it does not.
struct Confirmation {
    enum Expect {
        Done,    // "OK"
        Deleted, // "OK", or "+CMS ERROR: 321" for a position that was empty already
        Prompt,  // "> " after an AT+CMGW announcement
        Stored,  // "+CMGW: <storedAt>" and "OK" after a PDU
        Answered, // "OK" or a refusal: the exchange examines which
    } expect = Done;
    QString what;         // the command in words, e.g. "zápis na pozici 3 telefonního seznamu SIM"
    bool first = false;   // the first command after the start: silence means no phone at all
    int storedAt = 0;     // Stored: the position the message must go to
};

// The phone did not answer the first command of a write at all: "POZOR - telefon nekomunikuje !".
class PhoneSilent : public Error {
public:
    PhoneSilent();
};

// What a page's status label shows after a write whose every command the phone confirmed,
// until the next exchange.
inline QString allWritesConfirmedText() { return QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"); }

// Empty when `received` (everything since the command was sent) confirms the command; else the
// Czech text of the error box, naming the command and the phone's own answer. Throws
// PhoneSilent when the first command got no answer.
QString confirmationFailure(const Confirmation& confirmation, const QString& received);

} // namespace kva
