#include "Convert.h"
#include "KvaError.h"

#include <gtest/gtest.h>

TEST(StrToInt, AcceptsDecimalText)
{
    EXPECT_EQ(kva::strToInt(QStringLiteral("30")), 30);
    EXPECT_EQ(kva::strToInt(QStringLiteral("  7")), 7);
    EXPECT_EQ(kva::strToInt(QStringLiteral("-12")), -12);
    EXPECT_EQ(kva::strToInt(QStringLiteral("2147483647")), 2147483647);
}

TEST(StrToInt, RejectsEverythingElseWithTheUsersMessage)
{
    for (const char* bad : {"x", "", " ", "1 ", "1x", "+", "2147483648", "99999999999999999999"}) {
        try {
            kva::strToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const kva::ConversionError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(bad)));
        }
    }
}
