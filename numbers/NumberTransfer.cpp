#include "NumberTransfer.h"

#include "AtCommands.h"
#include "PhoneReply.h"

namespace kva::numbers {

QString entryCommand(int position, const Entry& entry)
{
    return entry.number.isEmpty() ? kva::phoneBookDeleteCommand(position)
                                  : kva::phoneBookWriteCommand(position, entry.number, entry.name);
}

kva::Confirmation entryConfirmation(int position, const Entry& entry, bool first)
{
    if (entry.number.isEmpty())
        return {kva::Confirmation::Deleted,
                QStringLiteral("vymazání pozice %1 telefonního seznamu SIM").arg(position), first};
    return {kva::Confirmation::Done,
            QStringLiteral("zápis čísla %1 na pozici %2 telefonního seznamu SIM").arg(entry.number).arg(position), first};
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
