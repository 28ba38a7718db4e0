#include "NumberTransfer.h"

namespace kva::numbers {

QList<int> readPositions()
{
    return QList<int>(SimPositions.begin(), SimPositions.end());
}

QList<sim::EntryToWrite> writeRequest(const Entries& entries)
{
    QList<sim::EntryToWrite> request;
    for (int i = 0; i < EntryCount; ++i)
        request.append({SimPositions[i], entries[i].number, entries[i].name});
    return request;
}

int entryIndex(int position)
{
    for (int i = 0; i < EntryCount; ++i)
        if (SimPositions[i] == position)
            return i;
    return -1;
}

} // namespace kva::numbers
