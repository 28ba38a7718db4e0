// Any text received after a command, read by both rules: a final result, once there, stays what
// it was however much more arrives; the information lines are whole, trimmed and not empty; a
// prompt is never a final result; and what the writes hear (writeAnswer) is the pages' reading.
#include "AtReply.h"
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "WriteAnswer.h"

using namespace kva;
using kva::fuzz::check;

namespace {

void checkReply(const QString& received, qsizetype cut, const QString& command, const ReplyRules& rules)
{
    const AtReply whole = readReply(received, command, rules);
    check(whole.prompt ? !whole.complete() : true, "a prompt together with a final result");
    check(whole.refusal.isEmpty() == (whole.final != AtReply::Refused), "refusal line without a refusal");
    check(whole.storedAt >= 0, "negative stored position");
    for (const QString& line : whole.information) {
        check(!line.isEmpty(), "empty information line");
        check(!line.contains(u'\r') && !line.contains(u'\n'), "information line holds a line end");
        const auto blank = [&](QChar c) {
            return rules.unicodeBlanks ? c.isSpace() : (c == u' ' || c == u'\t' || c == u'\v' || c == u'\f');
        };
        check(!blank(line.front()) && !blank(line.back()), "information line not trimmed");
    }
    // The same text arriving in two pieces: what the first piece completed does not change.
    const AtReply first = readReply(QStringView(received).first(cut), command, rules);
    if (first.complete()) {
        check(first.final == whole.final && first.refusal == whole.refusal, "a final result changed as more came");
        check(first.storedAt == whole.storedAt && first.information == whole.information,
              "the answer changed after its final result");
    } else {
        check(whole.information.mid(0, first.information.size()) == first.information,
              "information lines changed as more came");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks where the text is cut in two and which command it answers.
    const QString received = size > 0 ? fromCp1250(fuzz::bytesOf(data + 1, size - 1)) : QString();
    const qsizetype cut = size > 0 ? data[0] % (received.size() + 1) : 0;
    static const QString commands[] = {QString(), QStringLiteral("AT\r"), QStringLiteral("AT+CGMI\r"),
                                       QStringLiteral("AT+CPBR=5\r"), QStringLiteral("AT+CMGW=17\r")};
    const QString& command = commands[size > 0 ? data[0] % 5 : 0];
    checkReply(received, cut, command, ReplyRules::pages());
    checkReply(received, cut, command, ReplyRules::phoneSearch());

    const AtReply pages = readReply(received);
    const WriteAnswer write = writeAnswer(received);
    const WriteAnswer::Kind kind = pages.final == AtReply::Ok        ? WriteAnswer::Ok
                                   : pages.final == AtReply::Refused ? WriteAnswer::Refused
                                   : pages.prompt                    ? WriteAnswer::Prompt
                                                                     : WriteAnswer::Nothing;
    check(write.kind == kind && write.refusal == pages.refusal && write.storedAt == pages.storedAt,
          "writeAnswer differs from the pages' reading");
    return 0;
}
