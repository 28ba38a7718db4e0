#include "ProbeAnswers.h"

#include <QList>
#include <QRegularExpression>

namespace kva {

namespace {

// Whole lines only: the text after the last CR/LF may still be growing.
QList<QByteArray> completeLines(const QByteArray& answer)
{
    QList<QByteArray> lines;
    QByteArray current;
    for (char c : answer) {
        if (c == '\r' || c == '\n') {
            lines.append(current.trimmed());
            current.clear();
        } else {
            current += c;
        }
    }
    return lines;
}

bool isFinal(const QByteArray& line, FinalResult& result)
{
    if (line == "OK") {
        result = FinalResult::Ok;
        return true;
    }
    if (line == "ERROR" || line.startsWith("+CME ERROR") || line.startsWith("+CMS ERROR")) {
        result = FinalResult::Error;
        return true;
    }
    return false;
}

// The numbers after "<prefix>:" split at commas, quotes removed; empty when the line is not there.
QList<QByteArray> fields(const QByteArray& answer, const QByteArray& prefix)
{
    for (const QByteArray& line : completeLines(answer)) {
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

FinalResult finalResult(const QByteArray& answer)
{
    FinalResult result = FinalResult::None;
    for (const QByteArray& line : completeLines(answer))
        if (isFinal(line, result))
            return result;
    return FinalResult::None;
}

QStringList informationLines(const QByteArray& answer, const QByteArray& command)
{
    QStringList out;
    const QByteArray echo = command.trimmed();
    bool echoSeen = false;
    FinalResult ignored;
    for (const QByteArray& line : completeLines(answer)) {
        if (line.isEmpty())
            continue;
        if (!echoSeen && out.isEmpty() && line == echo) {
            echoSeen = true;
            continue;
        }
        if (isFinal(line, ignored))
            break;
        out.append(QString::fromLatin1(line));
    }
    return out;
}

QString identification(const QByteArray& answer, const QByteArray& command)
{
    if (finalResult(answer) != FinalResult::Ok)
        return QString();
    const QStringList lines = informationLines(answer, command);
    if (lines.isEmpty())
        return QString();
    QString text = lines.first();
    static const QRegularExpression prefix(QStringLiteral("^\\+CGM[IM]:\\s*"), QRegularExpression::CaseInsensitiveOption);
    text.remove(prefix);
    text.remove(u'"');
    QString clean;
    for (QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
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
    for (const QByteArray& line : completeLines(answer)) {
        const QRegularExpressionMatch m = range.match(QString::fromLatin1(line));
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
