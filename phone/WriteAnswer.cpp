#include "WriteAnswer.h"

#include "AtReply.h"

#include <map>

namespace kva {

namespace {

// 3GPP TS 27.007 (+CME) and 27.005 (+CMS) codes a phone gives for the usual reasons.
const std::map<QString, const char*>& meanings()
{
    static const std::map<QString, const char*> m{
        {QStringLiteral("+CME ERROR: 3"), "operace není povolena"},
        {QStringLiteral("+CME ERROR: 4"), "operace není podporována"},
        {QStringLiteral("+CME ERROR: 10"), "SIM není vložena"},
        {QStringLiteral("+CME ERROR: 11"), "SIM čeká na PIN"},
        {QStringLiteral("+CME ERROR: 13"), "chyba SIM"},
        {QStringLiteral("+CME ERROR: 14"), "SIM je zaneprázdněna"},
        {QStringLiteral("+CME ERROR: 20"), "paměť SIM je plná"},
        {QStringLiteral("+CME ERROR: 21"), "neplatná pozice"},
        {QStringLiteral("+CME ERROR: 24"), "text je příliš dlouhý"},
        {QStringLiteral("+CME ERROR: 25"), "neplatné znaky v textu"},
        {QStringLiteral("+CME ERROR: 26"), "číslo je příliš dlouhé"},
        {QStringLiteral("+CME ERROR: 27"), "neplatné znaky v čísle"},
        {QStringLiteral("+CMS ERROR: 302"), "operace není povolena"},
        {QStringLiteral("+CMS ERROR: 303"), "operace není podporována"},
        {QStringLiteral("+CMS ERROR: 304"), "neplatná zpráva (PDU)"},
        {QStringLiteral("+CMS ERROR: 305"), "telefon není v režimu PDU"},
        {QStringLiteral("+CMS ERROR: 310"), "SIM není vložena"},
        {QStringLiteral("+CMS ERROR: 311"), "SIM čeká na PIN"},
        {QStringLiteral("+CMS ERROR: 313"), "chyba SIM"},
        {QStringLiteral("+CMS ERROR: 314"), "SIM je zaneprázdněna"},
        {QStringLiteral("+CMS ERROR: 321"), "neplatná pozice"},
        {QStringLiteral("+CMS ERROR: 322"), "paměť SIM je plná"},
    };
    return m;
}

} // namespace

WriteAnswer writeAnswer(const QString& received)
{
    const AtReply reply = readReply(received, {}, ReplyRules::pages());
    WriteAnswer answer;
    answer.storedAt = reply.storedAt;
    switch (reply.final) {
    case AtReply::Ok: answer.kind = WriteAnswer::Ok; break;
    case AtReply::Refused:
        answer.kind = WriteAnswer::Refused;
        answer.refusal = reply.refusal;
        break;
    case AtReply::None: answer.kind = reply.prompt ? WriteAnswer::Prompt : WriteAnswer::Nothing; break;
    }
    return answer;
}

bool deleteDone(const WriteAnswer& answer)
{
    return answer.kind == WriteAnswer::Ok ||
        (answer.kind == WriteAnswer::Refused && answer.refusal == u"+CMS ERROR: 321");
}

QString refusalInWords(const QString& refusal)
{
    // "+CME ERROR: 020" and "+CME ERROR:20" mean the same as "+CME ERROR: 20".
    QString key = refusal;
    const int colon = int(refusal.indexOf(u':'));
    if (colon > 0) {
        bool ok = false;
        const int code = refusal.mid(colon + 1).trimmed().toInt(&ok);
        if (ok)
            key = refusal.left(colon + 1) + u' ' + QString::number(code);
    }
    const auto it = meanings().find(key);
    if (it == meanings().end())
        return refusal;
    return refusal + QStringLiteral(" (") + QString::fromUtf8(it->second) + u')';
}

QString refusalReason(const QString& refusal)
{
    const QString words = refusalInWords(refusal);
    if (words == refusal)
        return QStringLiteral("telefon odmítl (%1)").arg(refusal);
    // "+CME ERROR: 14 (SIM je zaneprázdněna)" -> "SIM je zaneprázdněna (+CME ERROR: 14)"
    const QString meaning = words.mid(refusal.size() + 2).chopped(1);
    return QStringLiteral("%1 (%2)").arg(meaning, refusal);
}

int refusalCode(const QString& refusal, QStringView kind)
{
    if (!refusal.startsWith(kind))
        return -1;
    QStringView rest = QStringView(refusal).mid(kind.size()).trimmed();
    if (!rest.startsWith(u':'))
        return -1;
    bool ok = false;
    const int code = rest.mid(1).trimmed().toInt(&ok);
    return ok ? code : -1;
}

PhoneSilent::PhoneSilent() : Error(QStringLiteral("POZOR - telefon nekomunikuje !")) {}

QString confirmationFailure(const Confirmation& c, const QString& received)
{
    const WriteAnswer answer = writeAnswer(received);
    if (answer.kind == WriteAnswer::Nothing) {
        if (c.first)
            throw PhoneSilent();
        return QStringLiteral("Telefon neodpověděl na %1.").arg(c.what);
    }
    if (answer.kind == WriteAnswer::Refused && c.expect != Confirmation::Answered &&
        !(c.expect == Confirmation::Deleted && deleteDone(answer)))
        return QStringLiteral("Telefon odmítl %1.\nOdpověď telefonu: %2").arg(c.what, refusalInWords(answer.refusal));
    switch (c.expect) {
    case Confirmation::Done:
    case Confirmation::Deleted:
        return QString();
    case Confirmation::Answered:
        return answer.kind == WriteAnswer::Prompt ? QStringLiteral("Telefon neodpověděl na %1.").arg(c.what) : QString();
    case Confirmation::Prompt:
        if (answer.kind == WriteAnswer::Prompt)
            return QString();
        return QStringLiteral("Telefon nepřijal %1: místo výzvy k zadání zprávy odpověděl OK.").arg(c.what);
    case Confirmation::Stored:
        if (answer.kind == WriteAnswer::Prompt)
            return QStringLiteral("Telefon neodpověděl na %1.").arg(c.what);
        // A phone that does not name the position cannot be checked further; one that names
        // another has broken the order the alarm relies on.
        if (answer.storedAt != 0 && answer.storedAt != c.storedAt)
            return QStringLiteral("Telefon uložil SMS určenou pro pozici %1 na pozici %2 (pozice %1 nebyla volná).\n"
                                  "Pořadí zpráv, na kterém alarm závisí, by nesouhlasilo, proto bylo ukládání "
                                  "zastaveno. Vymažte SMS v telefonu a uložte je znovu.")
                .arg(c.storedAt)
                .arg(answer.storedAt);
        return QString();
    }
    return QString();
}

} // namespace kva
