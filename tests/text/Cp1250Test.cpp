#include "Cp1250.h"

#include <gtest/gtest.h>

using kva::fromCp1250;
using kva::toCp1250;

TEST(Cp1250, CzechLettersMapToTheirBytes)
{
    // č=E8 ř=F8 ž=9E š=9A ů=F9 á=E1 Ú=DA
    EXPECT_EQ(toCp1250(QStringLiteral("čřžšůáÚ")), QByteArray("\xE8\xF8\x9E\x9A\xF9\xE1\xDA"));
    EXPECT_EQ(fromCp1250(QByteArray("\xE8\xF8\x9E\x9A\xF9\xE1\xDA")), QStringLiteral("čřžšůáÚ"));
    EXPECT_EQ(toCp1250(QStringLiteral("€")), QByteArray("\x80"));
}

TEST(Cp1250, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1250(QStringLiteral("a中b")), QByteArray("a?b"));
    EXPECT_EQ(toCp1250(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y")); // one emoji, one '?'
    EXPECT_EQ(toCp1250(QStringLiteral("ñ")), QByteArray("?"));
}

TEST(Cp1250, EveryByteSurvivesARoundTripAndKeepsItsPosition)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromCp1250(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1250(text), all);
}
