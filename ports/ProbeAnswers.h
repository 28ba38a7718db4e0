#pragma once
// Reading the phone's answers during the phone search: when an answer is complete, the
// identification of AT+CGMI / AT+CGMM, the SIM's room from AT+CPBS? / AT+CPBR=? and
// AT+CPMS?, and the Czech summary shown in the device's row. Any bytes are accepted.
#include "AtReply.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kva {

// The answer to `question` as the phone search reads it: kva::readReply with its rules, the
// bytes taken one character each (Latin-1).
AtReply probeReply(const QByteArray& answer, const QByteArray& question);

// The identification text of AT+CGMI / AT+CGMM once the phone said OK: the first information
// line without its "+CGMI:" / "+CGMM:" prefix and quotes; printable ASCII only (no control
// character, nothing above 127), at most 40 characters.
QString identification(const QByteArray& answer, const QByteArray& command);

// The totals are taken from any whole line of the answer, before or after a final result.
// Phone-book positions: the total of "+CPBS: "SM",used,total", -1 when not given.
int phoneBookTotalFromCpbs(const QByteArray& answer);
// Phone-book positions: the range of "+CPBR: (1-250),…", -1 when not given.
int phoneBookTotalFromCpbr(const QByteArray& answer);
// SMS positions of the first store of "+CPMS: "SM",used,total,…", -1 when not given.
int smsTotalFromCpms(const QByteArray& answer);

struct PhoneIdentity {
    QString maker;
    QString model;
    int phoneBook = -1; // positions, -1 unknown
    int sms = -1;
};

// "odpovídá: maker model, SIM: 250 kontaktů, 30 SMS" (unknown parts left out).
QString answeringSummary(const PhoneIdentity& id);

} // namespace kva
