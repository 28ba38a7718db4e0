#pragma once
// Reading the phone's answers during the phone search: when an answer is complete, the
// information lines of AT+CGMI / AT+CGMM, the SIM's room from AT+CPBS? / AT+CPBR=? and
// AT+CPMS?, and the Czech summary shown in the device's row. Any bytes are accepted.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kva {

enum class FinalResult { None, Ok, Error };

// The final result of an answer: a whole line "OK", or "ERROR" / "+CME ERROR: …" /
// "+CMS ERROR: …"; None while no such line has been received.
FinalResult finalResult(const QByteArray& answer);

// The lines between the echo of `command` (when present) and the final result, trimmed,
// empty ones dropped.
QStringList informationLines(const QByteArray& answer, const QByteArray& command);

// The identification text of AT+CGMI / AT+CGMM: the first information line without its
// "+CGMI:" / "+CGMM:" prefix and quotes; printable characters only, at most 40.
QString identification(const QByteArray& answer, const QByteArray& command);

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
