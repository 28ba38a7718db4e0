#pragma once
// The phone-number page's requests of the SIM as plain data: which positions it reads, and
// what it writes from its entries. The window (Unit6Transfer.cpp) hands them to the SIM link
// and shows the results.
#include "NumberEntries.h"
#include "SimAccess.h"

#include <QList>

namespace kva::numbers {

// The positions the read asks for, in the entries' order: 1, 2, 3, 4, 7.
QList<int> readPositions();
// One write per entry, in the entries' order; an entry without a number clears its position.
QList<sim::EntryToWrite> writeRequest(const Entries& entries);
// Index (0 … 4) of a SIM position among the entries; -1 for other positions.
int entryIndex(int position);

} // namespace kva::numbers
