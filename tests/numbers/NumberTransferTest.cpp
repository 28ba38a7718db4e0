#include "NumberTransfer.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva::numbers;

TEST(NumberRequests, PositionsInTheEntriesOrderAndEveryEntryWritten)
{
    EXPECT_EQ(readPositions(), (QList<int>{1, 2, 3, 4, 7}));
    Entries e;
    e[0] = {QStringLiteral("+420603123456"), QStringLiteral("Priklad")};
    e[4] = {QString(), QStringLiteral("name without a number")};
    const QList<kva::sim::EntryToWrite> request = writeRequest(e);
    ASSERT_EQ(request.size(), EntryCount);
    QList<int> positions;
    for (const kva::sim::EntryToWrite& w : request)
        positions << w.position;
    EXPECT_EQ(positions, readPositions());
    EXPECT_EQ(request[0].number, QStringLiteral("+420603123456"));
    EXPECT_EQ(request[0].name, QStringLiteral("Priklad"));
    // An entry without a number goes as it is: the SIM clears its position.
    EXPECT_EQ(request[4].number, QString());
    EXPECT_EQ(request[4].name, QStringLiteral("name without a number"));
    EXPECT_EQ(entryIndex(7), 4);
    EXPECT_EQ(entryIndex(5), -1);
}
