#pragma once
// Reading an answer to one AT command: the one place that tells what the phone has said so far.
// The input is the text received since the command was sent, one character per received byte
// (the pages' text since the command in Windows-1250, the phone search's bytes as Latin-1), echo included,
// in any number of pieces:
//
//   AT+CPBR=5 CR  CR LF +CPBR: 5,"+000000000001",145,"Setup" CR LF  CR LF OK CR LF
//   AT+CMGW=17 CR  CR LF > SP
//   <PDU> ^Z  CR LF +CMGW: 3 CR LF  CR LF OK CR LF
//   AT+CPBW=3,... CR  CR LF +CME ERROR: 20 CR LF
//
// A line counts once its CR or LF has come (the text after the last one may still be growing).
// The first final result decides: a later one belongs to a later command. Lines the phone sends
// of its own accord ("RING", "+CMTI: "SM",3", ...) are no part of the answer.
//
// The pages (what a write must hear) and the phone search have read answers by slightly
// different rules until now; both are kept, side by side, in ReplyRules.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kva {

struct ReplyRules {
    // White space trimmed around a line: the pages trim any Unicode white space of their text
    // (so the no-break space, byte A0 in Windows-1250, too); the phone search only the ASCII
    // blanks (space, TAB, VT, FF).
    bool unicodeBlanks = true;
    // A refusal line: the pages take "+CME ERROR:" and "+CMS ERROR:" with their colon; the
    // phone search takes anything beginning "+CME ERROR" or "+CMS ERROR". Both take "ERROR".
    bool refusalNeedsColon = true;
    // The phone search counts lines the phone sends of its own accord ("RING", "+CMTI: ...")
    // among the information lines; the pages' rule leaves them out.
    bool unsolicitedAsInformation = false;

    static ReplyRules pages() { return {}; }
    static ReplyRules phoneSearch() { return {false, false, true}; }
};

struct AtReply {
    enum Final {
        None,    // no final result yet
        Ok,      // "OK"
        Refused, // "ERROR", "+CME ERROR: n" or "+CMS ERROR: n"
    } final = None;
    QString refusal;  // the phone's own refusal line, trimmed, e.g. "+CME ERROR: 20"
    // No final result, and what came ends with the "> " prompt (or its ">" alone): the phone
    // waits for the PDU of AT+CMGW.
    bool prompt = false;
    int storedAt = 0; // k of the last "+CMGW: k" before the final result (k > 0), else 0
    // The lines after the echo up to the final result, trimmed, empty ones left out: e.g. the
    // "+CPBR: ..." entry, "+CMGR: ..." and the PDU line after it, the maker of AT+CGMI,
    // "+CPBS: ...", "+CPMS: ...", "+CMGW: k". The echo is the first non-empty line when it is
    // the command (trimmed); without an echo nothing is left out for it.
    QStringList information;
    // Where the line of the final result ends in the text read (after its CR or LF); -1 without
    // a final result. What follows belongs to later commands.
    qsizetype end = -1;

    bool complete() const { return final != None; }
};

// What `received` holds of the answer to `command` (as sent, CR included; empty when it is not
// known, and then a first line that is the echo counts as information).
AtReply readReply(QStringView received, QStringView command = {}, const ReplyRules& rules = ReplyRules::pages());

// The phone answered `command`: an "OK" line came after the command was sent, with or without
// the echo of the command before it. The one rule of the pages and the phone search.
bool answeredOk(QStringView received, QStringView command, const ReplyRules& rules = ReplyRules::pages());

// The whole lines of `text` (each ended by CR or LF), trimmed by the rules, empty ones kept.
QStringList completeLines(QStringView text, const ReplyRules& rules = ReplyRules::pages());

} // namespace kva
