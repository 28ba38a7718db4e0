#include "NumberTransfer.h"

#include "PhoneReply.h"

namespace kva::numbers {

namespace {

// CR, LF, Ctrl-Z, ESC and the rest below 32 (and DEL) would end or cut an AT command.
QString withoutControls(QString text)
{
    for (QChar& c : text)
        if (c.unicode() < 32 || c.unicode() == 127)
            c = u' ';
    return text;
}

} // namespace

QString phoneBookWriteCommand(int position, const QString& number, const QString& name)
{
    return QStringLiteral("AT+CPBW=%1,\"%2\",,\"%3\"\r").arg(position).arg(withoutControls(number), withoutControls(name));
}

QString phoneBookDeleteCommand(int position)
{
    return QStringLiteral("AT+CPBW=%1\r").arg(position);
}

QString entryCommand(int position, const Entry& entry)
{
    return entry.number.isEmpty() ? phoneBookDeleteCommand(position)
                                  : phoneBookWriteCommand(position, entry.number, entry.name);
}

int entryIndex(int position)
{
    for (int i = 0; i < EntryCount; ++i)
        if (SimPositions[i] == position)
            return i;
    return -1;
}

int nextReadPosition(int position)
{
    const int i = entryIndex(position);
    return i >= 0 && i + 1 < EntryCount ? SimPositions[i + 1] : 0;
}

int gaugeAfterRead(int position)
{
    const int i = entryIndex(position);
    return i < 0 ? 0 : 20 * (i + 1);
}

bool isReadStep(int step)
{
    return entryIndex(step) >= 0;
}

std::optional<Entry> decodeReadReply(const QString& reply, int position)
{
    const PhoneBookEntry e = phoneBookEntry(reply, position);
    if (!e.present)
        return std::nullopt;
    return Entry{e.number, e.name};
}

} // namespace kva::numbers
