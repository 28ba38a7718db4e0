#include "AtReply.h"

namespace kva {

namespace {

bool asciiBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
}

QStringView trimmed(QStringView line, const ReplyRules& rules)
{
    if (rules.unicodeBlanks)
        return line.trimmed();
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && asciiBlank(line[from]))
        ++from;
    while (to > from && asciiBlank(line[to - 1]))
        --to;
    return line.sliced(from, to - from);
}

bool isRefusal(QStringView line, const ReplyRules& rules)
{
    if (line == u"ERROR")
        return true;
    if (rules.refusalNeedsColon)
        return line.startsWith(u"+CME ERROR:") || line.startsWith(u"+CMS ERROR:");
    return line.startsWith(u"+CME ERROR") || line.startsWith(u"+CMS ERROR");
}

int storedIndex(QStringView line, const ReplyRules& rules)
{
    if (!line.startsWith(u"+CMGW:"))
        return 0;
    bool ok = false;
    const int k = trimmed(line.mid(6), rules).toInt(&ok);
    return ok && k > 0 ? k : 0;
}

// Lines the phone sends of its own accord: a call ringing, a message arriving, a cell
// broadcast. The three last ones carry the message on the line after.
enum class Unsolicited { No, OneLine, WithBody };

Unsolicited unsolicited(QStringView line, QStringView command)
{
    if (line == u"RING")
        return Unsolicited::OneLine;
    static const char16_t* const oneLine[] = {u"+CRING:", u"+CLIP:", u"+CCWA:", u"+CMTI:", u"+CDSI:", u"+CBMI:"};
    static const char16_t* const withBody[] = {u"+CMT:", u"+CDS:", u"+CBM:"};
    const auto named = [&](const char16_t* prefix) {
        const QStringView name(prefix);
        // The answer to a command of the same name ("+CLIP: 0,1" to AT+CLIP?) is the phone's
        // answer, not a notice.
        return line.startsWith(name) && !command.mid(2).startsWith(name.chopped(1), Qt::CaseInsensitive);
    };
    for (const char16_t* prefix : oneLine)
        if (named(prefix))
            return Unsolicited::OneLine;
    for (const char16_t* prefix : withBody)
        if (named(prefix))
            return Unsolicited::WithBody;
    return Unsolicited::No;
}

// Calls each(line, end) for every whole line; `end` is where the line's CR or LF ends.
template<typename Each>
void forEachCompleteLine(QStringView text, Each each)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (!each(text.sliced(start, i - start), i + 1))
                return;
            start = i + 1;
        }
    }
}

// The text ends with the "> " prompt (or its ">" alone), or with the prompt at the start of a
// line followed by nothing but whole lines the phone sent of its own accord (a message arriving
// just as the phone asked for the PDU: "> " CR LF "+CMTI: "SM",3" CR LF).
bool promptLast(QStringView received, QStringView command)
{
    if (received.endsWith(u"> ") || received.endsWith(u'>'))
        return true;
    const qsizetype at = received.lastIndexOf(u"> ");
    if (at < 0 || (at > 0 && received[at - 1] != u'\n' && received[at - 1] != u'\r'))
        return false;
    const QStringView after = received.sliced(at + 2);
    if (!after.endsWith(u'\r') && !after.endsWith(u'\n'))
        return false; // a line still coming may be anything
    bool onlyNotices = true;
    bool bodyFollows = false;
    forEachCompleteLine(after, [&](QStringView raw, qsizetype) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty())
            return true;
        if (bodyFollows) {
            bodyFollows = false;
            return true;
        }
        const Unsolicited notice = unsolicited(line, command);
        if (notice == Unsolicited::No) {
            onlyNotices = false;
            return false;
        }
        bodyFollows = notice == Unsolicited::WithBody;
        return true;
    });
    return onlyNotices;
}

} // namespace

QStringList completeLines(QStringView text, const ReplyRules& rules)
{
    QStringList lines;
    forEachCompleteLine(text, [&](QStringView line, qsizetype) {
        lines.append(trimmed(line, rules).toString());
        return true;
    });
    return lines;
}

AtReply readReply(QStringView received, QStringView command, const ReplyRules& rules)
{
    AtReply reply;
    const QStringView echo = trimmed(command, rules);
    bool echoPassed = echo.isEmpty();
    bool bodyFollows = false; // the next non-empty line is the body of an unsolicited notice
    forEachCompleteLine(received, [&](QStringView raw, qsizetype end) {
        const QStringView line = trimmed(raw, rules);
        if (line.isEmpty())
            return true;
        if (isRefusal(line, rules)) {
            reply.final = AtReply::Refused;
            reply.refusal = line.toString();
            reply.end = end;
            return false;
        }
        if (line == u"OK") {
            reply.final = AtReply::Ok;
            reply.end = end;
            return false;
        }
        if (const int k = storedIndex(line, rules))
            reply.storedAt = k;
        if (!rules.unsolicitedAsInformation) {
            if (bodyFollows) {
                bodyFollows = false;
                return true;
            }
            const Unsolicited notice = unsolicited(line, command);
            if (notice != Unsolicited::No) {
                bodyFollows = notice == Unsolicited::WithBody;
                return true;
            }
        }
        const bool first = !echoPassed;
        echoPassed = true;
        if (first && line == echo)
            return true;
        reply.information.append(line.toString());
        return true;
    });
    if (reply.final == AtReply::None)
        reply.prompt = promptLast(received, command);
    return reply;
}

bool answeredOk(QStringView received, QStringView command, const ReplyRules& rules)
{
    return readReply(received, command, rules).final == AtReply::Ok;
}

} // namespace kva
