#include "SmsSet.h"

#include "LineFile.h"
#include "PhoneNumberText.h"

namespace kva::sms {

QString defaultCentreNumber()
{
    return QStringLiteral("+420603052000");
}

SmsSet initialSet()
{
    static const char* const texts[PairCount] = {"OK2", "OK3", "OK4", "Poplach", "Mesicni", "ZAP1", "VYP1", "ZAP2", "VYP2"};
    SmsSet set;
    for (int i = 0; i < PairCount; ++i)
        set[i] = {QStringLiteral("+420603123456"), QString::fromLatin1(texts[i])};
    return set;
}

QString rowLabel(int index)
{
    static const char* const labels[PairCount] = {"Vstup OK2",   "Vstup OK3",   "Vstup OK4",   "Vstup OK1",  "Měsiční SMS",
                                                  "RE1 zapnuto", "RE1 vypnuto", "RE2 zapnuto", "RE2 vypnuto"};
    return QString::fromUtf8(labels[index]);
}

bool isAcceptedCentreNumber(const QString& number)
{
    return isInternationalNumber(number);
}

bool isAcceptedDestination(const QString& number)
{
    return number.isEmpty() || isAcceptedCentreNumber(number);
}

bool Kontrola(const QString& centreNumber, const SmsSet& set)
{
    if (!isAcceptedCentreNumber(centreNumber))
        return false;
    for (const Pair& p : set)
        if (!isAcceptedDestination(p.number))
            return false;
    return true;
}

QStringList toFileLines(const SmsSet& set)
{
    QStringList lines;
    for (const Pair& p : set)
        lines << p.number << p.text;
    return lines;
}

SmsSet fromFileLines(const QStringList& lines)
{
    SmsSet set;
    for (int i = 0; i < PairCount; ++i)
        set[i] = {lines.value(2 * i), lines.value(2 * i + 1)};
    return set;
}

void saveSmsFile(const QString& path, const SmsSet& set)
{
    writeLineFile(path, toFileLines(set));
}

SmsSet loadSmsFile(const QString& path)
{
    return fromFileLines(readLineFile(path, FileLineCount));
}

} // namespace kva::sms
