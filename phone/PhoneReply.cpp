#include "PhoneReply.h"

namespace kva {

QChar charAt(const QString& reply, int position)
{
    if (position < 1 || position > reply.size())
        return QChar();
    return reply.at(position - 1);
}

QString textAt(const QString& reply, int position, int count)
{
    if (position < 1 || position > reply.size() || count <= 0)
        return QString();
    return reply.mid(position - 1, count);
}

bool probeAnswered(const QString& reply)
{
    return charAt(reply, 6) == u'O';
}

QString replyFromEcho(const QString& reply, const QString& command)
{
    if (command.isEmpty())
        return QString();
    const qsizetype at = reply.lastIndexOf(command);
    return at < 0 ? QString() : reply.mid(at);
}

PhoneBookEntry phoneBookEntry(const QString& reply, int position)
{
    PhoneBookEntry entry;
    const QString answer = replyFromEcho(reply, phoneBookReadCommand(position));
    const QChar first = charAt(answer, 13);
    if (first.isNull() || first == u'O')
        return entry;
    // The result line must name the position asked for: a late answer to another read
    // command is not this position's entry.
    if (!QStringView(answer).mid(12).startsWith(QStringLiteral("+CPBR: %1,").arg(position)))
        return entry;
    entry.present = true;
    entry.number = textAt(answer, 23, 13);
    if (answer.size() >= 43) {
        const qsizetype quote = answer.indexOf(u'"', 42);
        entry.name = answer.mid(42, quote < 0 ? -1 : quote - 42);
    }
    return entry;
}

QString Retezec(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return QString();
    const qsizetype lf = text.indexOf(u'\n', colon);
    if (lf < 0)
        return QString();
    const qsizetype cr = text.indexOf(u'\r', lf + 1);
    if (cr < 0)
        return QString();
    return text.mid(lf + 1, cr - lf - 1);
}

bool isHexPdu(const QString& line)
{
    if (line.isEmpty() || line.size() % 2 != 0)
        return false;
    for (QChar c : line) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

QString pduLine(const QString& reply, int position)
{
    const QString line = Retezec(replyFromEcho(reply, smsReadCommand(position)));
    return isHexPdu(line) ? line : QString();
}

} // namespace kva
