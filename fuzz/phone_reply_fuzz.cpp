// Any answer text (one character per received byte): the fixed-position readers never
// look past its end, cut it only at the last echo of the command, and what they return is taken
// from the text itself; text received before that echo (a late answer) changes nothing. Covers
// the phone-book entry, the probe and the SMS window's Retezec and PDU line.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "AtCommands.h"
#include "AtSim.h"
#include "PhoneReply.h"
#include "SmsTransfer.h"

using namespace kva;
using kva::fuzz::check;

namespace {

void checkPositions(const QString& reply)
{
    for (int p : {-1, 0, 1, 6, 13, 23, 43, int(reply.size()), int(reply.size()) + 1}) {
        const QChar c = charAt(reply, p);
        if (p < 1 || p > reply.size())
            check(c.isNull(), "character beyond the text");
        else
            check(c == reply[p - 1], "character not the one at its position");
        const QString t = textAt(reply, p, 13);
        check(t.size() <= 13, "longer text than asked for");
        check(t.isEmpty() || reply.mid(p - 1).startsWith(t), "text not the one at its position");
    }
    check(probeAnswered(reply) == (reply.size() >= 6 && reply[5] == u'O'), "probe not the 6th character");
}

void checkEntry(const QString& reply, int position)
{
    const QString command = phoneBookReadCommand(position);
    const QString answer = replyFromEcho(reply, command);
    check(answer.isEmpty() == !reply.contains(command), "echo found where there is none, or missed");
    if (!answer.isEmpty()) {
        check(answer.startsWith(command) && reply.endsWith(answer), "cut not at an echo");
        check(answer.indexOf(command, 1) < 0, "cut not at the last echo");
    }
    const PhoneBookEntry e = phoneBookEntry(reply, position);
    if (e.present) {
        check(answer.mid(12).startsWith(QStringLiteral("+CPBR: %1,").arg(position)), "entry without its result line");
        check(e.number == textAt(answer, 23, 13), "number not from position 23");
        check(!e.name.contains(u'"') && (e.name.isEmpty() || answer.mid(42).startsWith(e.name)),
              "name not from position 43 to the quote");
    } else {
        check(e.number.isEmpty() && e.name.isEmpty(), "absent entry with a number or name");
    }
    const sim::PositionResult r = at::phoneBookResult(reply, position);
    check(r.position == position, "result for another position");
    if (r.found()) {
        check(reply.contains(QStringLiteral("+CPBR: %1,").arg(position)), "entry without its result line");
        check(r.entry.number.size() <= 13 && !r.entry.name.contains(u'"'), "entry beyond its fixed places");
    } else {
        check(r.entry.number.isEmpty() && r.entry.name.isEmpty(), "an empty or failed position with an entry");
        check(r.outcome != sim::PositionResult::Failed || !r.reason.isEmpty(), "a failure without its reason");
    }

    // A late answer to another read, or noise, received before the echo changes nothing.
    if (reply.contains(command)) {
        const PhoneBookEntry late = phoneBookEntry(QStringLiteral("AT+CPBR=9\r\r\nOK\r\n") + reply, position);
        check(late.present == e.present && late.number == e.number && late.name == e.name,
              "text before the echo changed the entry");
    }
}

void checkLine(const QString& reply)
{
    const QString line = Retezec(reply);
    check(!line.contains(u'\r'), "line holds a CR");
    if (!line.isEmpty()) {
        const qsizetype colon = reply.indexOf(u':');
        const qsizetype lf = reply.indexOf(u'\n', colon);
        check(lf >= 0 && reply.mid(lf + 1).startsWith(line + u'\r'), "line not the one after the colon");
    }
}

void checkPduLine(const QString& reply, int position)
{
    const QString command = smsReadCommand(position);
    const QString pdu = pduLine(reply, position);
    if (!pdu.isEmpty()) {
        check(isHexPdu(pdu), "PDU line not whole hex octets");
        check(pdu == Retezec(replyFromEcho(reply, command)), "PDU line not the line after the echo");
    }
    if (reply.contains(command))
        check(pduLine(QStringLiteral("AT+CMGR=9\r\r\n+CMGR: 2,,17\r\n0011\r\n") + reply, position) == pdu,
              "a late answer before the echo changed the PDU line");
    else
        check(pdu.isEmpty(), "PDU line without the echo of its read command");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the phone-book position asked for (1 … 9), the rest is the reply.
    const int position = size > 0 ? 1 + data[0] % 9 : 5;
    const QString reply = size > 0 ? fromCp1250(fuzz::bytesOf(data + 1, size - 1)) : QString();
    checkPositions(reply);
    checkEntry(reply, position);
    checkLine(reply);
    checkPduLine(reply, position);
    return 0;
}
