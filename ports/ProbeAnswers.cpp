#include "ProbeAnswers.h"

#include "ControlCharacters.h"

#include <QList>
#include <QRegularExpression>

namespace kva {

namespace {

// Whole lines only (the text after the last CR/LF may still be growing), as bytes.
QList<QByteArray> byteLines(const QByteArray& answer)
{
    QList<QByteArray> lines;
    for (const QString& line : kva::completeLines(QString::fromLatin1(answer), ReplyRules::phoneSearch()))
        lines.append(line.toLatin1());
    return lines;
}

// The numbers after "<prefix>:" split at commas, quotes removed; empty when the line is not there.
QList<QByteArray> fields(const QByteArray& answer, const QByteArray& prefix)
{
    for (const QByteArray& line : byteLines(answer)) {
        if (!line.toUpper().startsWith(prefix))
            continue;
        QList<QByteArray> out;
        for (const QByteArray& f : line.mid(prefix.size()).split(','))
            out.append(f.trimmed().replace('"', ""));
        return out;
    }
    return {};
}

int positiveNumber(const QByteArray& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n > 0 && n < 100000 ? n : -1;
}

QString czechCount(int n, const QString& one, const QString& few, const QString& many)
{
    const QString word = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(word);
}

} // namespace

AtReply probeReply(const QByteArray& answer, const QByteArray& question)
{
    return readReply(QString::fromLatin1(answer), QString::fromLatin1(question), ReplyRules::phoneSearch());
}

QString identification(const QByteArray& answer, const QByteArray& command)
{
    const AtReply reply = probeReply(answer, command);
    if (reply.final != AtReply::Ok || reply.information.isEmpty())
        return QString();
    QString text = reply.information.first();
    static const QRegularExpression prefix(QStringLiteral("^\\+CGM[IM]:\\s*"), QRegularExpression::CaseInsensitiveOption);
    text.remove(prefix);
    text.remove(u'"');
    QString clean;
    for (QChar c : text)
        if (!isControlCharacter(c.unicode()) && c.unicode() < 0x80)
            clean += c;
    return clean.trimmed().left(40);
}

int phoneBookTotalFromCpbs(const QByteArray& answer)
{
    const QList<QByteArray> f = fields(answer, "+CPBS:");
    return f.size() >= 3 ? positiveNumber(f[2]) : -1;
}

int phoneBookTotalFromCpbr(const QByteArray& answer)
{
    static const QRegularExpression range(QStringLiteral("^\\+CPBR:\\s*\\((\\d+)-(\\d+)\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : kva::completeLines(QString::fromLatin1(answer), ReplyRules::phoneSearch())) {
        const QRegularExpressionMatch m = range.match(line);
        if (!m.hasMatch())
            continue;
        const int first = m.captured(1).left(6).toInt();
        const int last = m.captured(2).left(6).toInt();
        return last >= first ? positiveNumber(QByteArray::number(last - first + 1)) : -1;
    }
    return -1;
}

int smsTotalFromCpms(const QByteArray& answer)
{
    const QList<QByteArray> f = fields(answer, "+CPMS:");
    return f.size() >= 3 ? positiveNumber(f[2]) : -1;
}

QString answeringSummary(const PhoneIdentity& id)
{
    QString text = QStringLiteral("odpovídá");
    const QString who = QStringList{id.maker, id.model}.join(u' ').trimmed();
    QStringList sim;
    if (id.phoneBook > 0)
        sim.append(czechCount(id.phoneBook, QStringLiteral("kontakt"), QStringLiteral("kontakty"),
                              QStringLiteral("kontaktů")));
    if (id.sms > 0)
        sim.append(QStringLiteral("%1 SMS").arg(id.sms));
    if (!who.isEmpty())
        text += QStringLiteral(": ") + who;
    if (!sim.isEmpty())
        text += (who.isEmpty() ? QStringLiteral(": SIM: ") : QStringLiteral(", SIM: ")) + sim.join(QStringLiteral(", "));
    return text;
}

} // namespace kva
