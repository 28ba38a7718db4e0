#pragma once
// Reading the phone's answers: plain functions on the text received since a command was sent (one character
// per received byte, Windows-1250). Positions are counted from 1; a position beyond the end
// holds no character, and nothing here ever reads past the end of the text.
//
// The phone echoes each command, CR included, then frames its answer lines with CR LF:
//
//   "AT\r"          -> AT CR  CR LF OK CR LF                      (6th character: the "O")
//   "AT+CPBR=5\r"   -> AT+CPBR=5 CR  CR LF +CPBR: 5,"+000000000001",145,"Setup" CR LF
//                      CR LF OK CR LF                              (entry)
//                   -> AT+CPBR=5 CR  CR LF OK CR LF                (empty position)
//   "AT+CMGR=1\r"   -> AT+CMGR=1 CR  CR LF +CMGR: 2,,17 CR LF <PDU hex> CR LF CR LF OK CR LF
//
// A phone that answers late may echo the next command before (or after) the answer to the
// previous one, and an answer may arrive in pieces. Answers to read commands are therefore
// taken from the echo of the command they answer: replyFromEcho() cuts the text there, and
// the fixed positions (13: "+", 23..35: number, 43..: name) are counted from that echo.
#include "AtCommands.h"

#include <QChar>
#include <QString>

namespace kva {

// The character at 1-based `position`; a null QChar when position < 1 or beyond the end.
QChar charAt(const QString& reply, int position);

// Up to `count` characters from 1-based `position` on (fewer when the text ends sooner;
// empty beyond the end).
QString textAt(const QString& reply, int position, int count);

// The presence probe "AT\r" was answered: the 6th character is the "O" of "OK".
bool probeAnswered(const QString& reply);

// The text from the (last) echo of `command` on, the echo included; empty when the echo is
// not in `reply`. `command` is the text as sent, with its CR.
QString replyFromEcho(const QString& reply, const QString& command);

// A phone-book entry as the fixed positions give it.
struct PhoneBookEntry {
    bool present = false;
    QString number; // 13 characters from position 23 on (fewer when the answer ends sooner)
    QString name;   // from position 43 up to the next double quote (or the end); empty if shorter
};

// Decodes the answer to phoneBookReadCommand(position) found in `reply`. The entry counts
// only when the echo of that command is there, the 13th character counted from it exists and
// is not "O", and the result line there begins with "+CPBR: <position>,". The positions are
// laid out for a one-digit position, a 13-character number and a three-digit type; other
// answers are still read at the same places (a shorter number yields its closing quote and
// the start of the type, as the alarm's decoding expects).
PhoneBookEntry phoneBookEntry(const QString& reply, int position);

// The line after the first colon: from the first ":" to the first LF after it, then the
// characters up to (not including) the next CR. Empty when there is no colon, no LF after it
// or no CR after the line (an unfinished line is not taken).
QString Retezec(const QString& text);

// The PDU line answering smsReadCommand(position) in `reply`: Retezec() of the text from the
// echo of that very command on (a late answer to another command is never taken for this
// position). Empty when the echo is missing, when there is no such line, or when the line is
// not an even number of hexadecimal digits (a text-mode or garbled answer is not a PDU).
QString pduLine(const QString& reply, int position);
bool isHexPdu(const QString& line);

} // namespace kva
