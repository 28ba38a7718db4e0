#include "NumberEntries.h"

#include "LineFile.h"
#include "PhoneNumberText.h"

namespace kva::numbers {

Entries initialEntries()
{
    Entries e;
    e[0] = {QStringLiteral("+420603123456"), QStringLiteral("Priklad")};
    e[4] = {QString(), QStringLiteral("Udrzení_kreditu")};
    return e;
}

bool isAcceptedNumber(const QString& number)
{
    return number.isEmpty() || isInternationalNumber(number);
}

bool Kontrola(const Entries& entries)
{
    for (const Entry& e : entries)
        if (!isAcceptedNumber(e.number))
            return false;
    return true;
}

QStringList toFileLines(const Entries& entries)
{
    QStringList lines;
    for (const Entry& e : entries)
        lines << e.number << e.name;
    return lines;
}

Entries fromFileLines(const QStringList& lines)
{
    Entries entries;
    for (int i = 0; i < EntryCount; ++i) {
        entries[i].number = lines.value(2 * i);
        entries[i].name = lines.value(2 * i + 1);
    }
    return entries;
}

void saveNumFile(const QString& path, const Entries& entries)
{
    writeLineFile(path, toFileLines(entries));
}

Entries loadNumFile(const QString& path)
{
    return fromFileLines(readLineFile(path, FileLineCount));
}

} // namespace kva::numbers
