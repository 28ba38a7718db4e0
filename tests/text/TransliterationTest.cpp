#include "Cp1250.h"
#include "QStringPrint.h"
#include "Transliteration.h"

#include <gtest/gtest.h>

using kva::plainText;
using kva::withoutDiacritics;

TEST(Transliteration, EveryCzechLetterInBothCases)
{
    EXPECT_EQ(withoutDiacritics(QStringLiteral("áčďéěíňóřšťúůýž")), QStringLiteral("acdeeinorstuuyz"));
    EXPECT_EQ(withoutDiacritics(QStringLiteral("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ")), QStringLiteral("ACDEEINORSTUUYZ"));
    EXPECT_EQ(withoutDiacritics(QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy")),
              QStringLiteral("Prilis zlutoucky kun upel dabelske ody"));
}

TEST(Transliteration, EveryOtherWindows1250LetterBecomesPlainAscii)
{
    QString letters;
    for (int code = 0x80; code <= 0xFF; ++code) {
        const QString c = kva::fromCp1250(QByteArray(1, static_cast<char>(code)));
        if (c[0].isLetter() && c != QStringLiteral("µ") && c != QStringLiteral("ˇ"))
            letters += c;
    }
    ASSERT_EQ(letters.size(), 81); // Š ... ţ; the micro sign and the caron are no such letters
    const QString plain = withoutDiacritics(letters);
    EXPECT_EQ(plain.size(), letters.size() + 1); // ß is two letters
    for (const QChar c : plain)
        EXPECT_TRUE((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) << QString(c).toStdString();
    EXPECT_EQ(withoutDiacritics(QStringLiteral("ŁłĐđŚźŻąĽľŕĺőűţşÂîÖü")), QStringLiteral("LlDdSzZaLlrloutsAiOu"));
}

TEST(Transliteration, EverythingElseStays)
{
    const QString others = QStringLiteral("Poplach 1-2 € § ¤ × ÷ ° µ ˇ @[]{}~ Ω ж 😀 æ Æ \u007F");
    EXPECT_EQ(withoutDiacritics(others), others);
    EXPECT_EQ(withoutDiacritics(QStringLiteral("c\u030Ca")), QStringLiteral("ca")); // a mark typed apart
}

TEST(Transliteration, SharpSBecomesSsWithinTheLimitOnly)
{
    EXPECT_EQ(withoutDiacritics(QStringLiteral("Straße")), QStringLiteral("Strasse"));
    EXPECT_EQ(withoutDiacritics(QStringLiteral("ßßč"), 4), QStringLiteral("ssßc"));
    EXPECT_EQ(withoutDiacritics(QString(49, u'a') + QStringLiteral("ß"), 50), QString(49, u'a') + QStringLiteral("ß"));
}

TEST(Transliteration, PlainTextAlsoMakesTypographicPunctuationPlain)
{
    EXPECT_EQ(plainText(QStringLiteral("„Čidlo“ ‚sklep‘ – 20 °C — konec…")),
              QStringLiteral("\"Cidlo\" 'sklep' - 20 st.C - konec..."));
    EXPECT_EQ(plainText(QStringLiteral("”x’ 1− 2 Kč")), QStringLiteral("\"x' 1- 2 Kc"));
    // Characters without a plain form stay, as with withoutDiacritics.
    const QString others = QStringLiteral("Poplach € § × ÷ µ @[]{}~ Ω ж 😀 «» ");
    EXPECT_EQ(plainText(others), others);
    // Diacritics alone leave punctuation as it is.
    EXPECT_EQ(withoutDiacritics(QStringLiteral("„č“ – …")), QStringLiteral("„c“ – …"));
}

TEST(Transliteration, LongerFormsOnlyWithinTheLimitLeftToRight)
{
    EXPECT_EQ(plainText(QStringLiteral("a…°"), 5), QStringLiteral("a...°"));  // room for two more
    EXPECT_EQ(plainText(QStringLiteral("ß…ß"), 5), QStringLiteral("ss…ss")); // … would not fit; the last ß does
    EXPECT_EQ(plainText(QStringLiteral("ß…ß"), 4), QStringLiteral("ss…ß"));
    EXPECT_EQ(plainText(QStringLiteral("ß…ß"), 3), QStringLiteral("ß…ß"));
    EXPECT_EQ(plainText(QString(49, u'x') + QStringLiteral("…"), 50), QString(49, u'x') + QStringLiteral("…"));
    // One for one replacements need no room.
    EXPECT_EQ(plainText(QString(49, u'x') + QStringLiteral("–"), 50), QString(49, u'x') + QStringLiteral("-"));
    EXPECT_EQ(plainText(QStringLiteral("…°ß")), QStringLiteral("...st.ss")); // no limit
}
