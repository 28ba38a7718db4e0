// The one rule for control characters: below 32 and DEL, nothing else.
#include "ControlCharacters.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using kva::blankControls;
using kva::isControlCharacter;

TEST(ControlCharacters, BelowThirtyTwoAndDelOnly)
{
    for (char16_t c = 0; c < 32; ++c)
        EXPECT_TRUE(isControlCharacter(c)) << int(c);
    EXPECT_TRUE(isControlCharacter(127));
    for (char16_t c : {u' ', u'~', u'"', char16_t(0x80), char16_t(0x85), char16_t(0x9f), char16_t(0xa0), u'Ž', u'€'})
        EXPECT_FALSE(isControlCharacter(c)) << int(c);
}

TEST(ControlCharacters, EachBecomesOneBlank)
{
    EXPECT_EQ(blankControls(QStringLiteral("a\rb\nc\x1a" "d\x1b" "e\t\x7f")), QStringLiteral("a b c d e  "));
    EXPECT_EQ(blankControls(QString(QChar(0)) + u'x'), QStringLiteral(" x"));
    // Quotes, letters of Windows-1250 and C1 codes stay as they are.
    const QString kept = QStringLiteral("\"Pozor\" Šárka €") + QChar(0x85) + QChar(0x9f);
    EXPECT_EQ(blankControls(kept), kept);
    EXPECT_EQ(blankControls(QString()), QString());
}
