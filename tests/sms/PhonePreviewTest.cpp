#include "Cp1250.h"
#include "PhonePreview.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>
#include <map>

using namespace kva::sms;

namespace {

// What the recipient's phone shows for each Windows-1250 code, written out from the GSM
// alphabet independently of the codec; codes not listed and not in `same` show "à".
const std::map<int, QString>& shownOnThePhone()
{
    static const std::map<int, QString> table = [] {
        std::map<int, QString> t = {
            {0x0A, "\n"}, {0x0C, "\f"}, {0x0D, "\r"}, {0x10, "\n"}, {0x12, "\f"}, {0x24, "$"}, {0x40, "@"},
            {0x5B, "["}, {0x5C, "\\"}, {0x5D, "]"}, {0x5E, "^"}, {0x5F, "_"}, {0x60, "¿"}, {0x7B, "{"},
            {0x7C, "|"}, {0x7D, "}"}, {0x7E, "~"}, {0x7F, "à"}, {0x80, "€"}, {0xA1, "¡"}, {0xA3, "£"},
            {0xA4, "¤"}, {0xA5, "¥"}, {0xA7, "§"}, {0xBF, "¿"}, {0xC4, "Ä"}, {0xC5, "Å"}, {0xC6, "Æ"},
            {0xC7, "Ç"}, {0xCA, "É"}, {0xD1, "Ñ"}, {0xD6, "Ö"}, {0xD8, "Ø"}, {0xDC, "Ü"}, {0xDF, "ß"},
            {0xE0, "à"}, {0xE4, "ä"}, {0xE5, "å"}, {0xE6, "æ"}, {0xE8, "è"}, {0xE9, "é"}, {0xEC, "ì"},
            {0xF1, "ñ"}, {0xF2, "ò"}, {0xF6, "ö"}, {0xF8, "ø"}, {0xFA, "ù"}, {0xFC, "ü"},
        };
        for (int c = 0x20; c <= 0x7A; ++c)
            if (c != 0x24 && c != 0x40 && !(c >= 0x5B && c <= 0x60))
                t[c] = QString(QChar(c));
        return t;
    }();
    return table;
}

QString expectedShown(int code)
{
    const auto it = shownOnThePhone().find(code);
    return it == shownOnThePhone().end() ? QStringLiteral("à") : it->second;
}

int expectedSeptets(int code)
{
    static const QByteArray escaped("\x0C\x12\x5B\x5C\x5D\x5E\x7B\x7C\x7D\x7E\x80", 11);
    return escaped.contains(static_cast<char>(code)) ? 2 : 1;
}

} // namespace

TEST(PhonePreview, EveryWindows1250CodeShowsItsGsmCharacter)
{
    // In two halves, so that neither exceeds the 255 septets one TP-UDL octet can announce.
    for (const auto& [first, last] : {std::pair{0, 127}, std::pair{128, 255}}) {
        QString typed, shown;
        int septets = 0;
        for (int code = first; code <= last; ++code) {
            const QString c = kva::fromCp1250(QByteArray(1, static_cast<char>(code)));
            const PhoneView one = phoneView(c);
            EXPECT_EQ(one.shown, expectedShown(code)) << "code 0x" << std::hex << code;
            EXPECT_EQ(one.septets, expectedSeptets(code)) << "code 0x" << std::hex << code;
            EXPECT_EQ(one.arrivesAsTyped(), c == expectedShown(code)) << "code 0x" << std::hex << code;
            typed += c;
            shown += expectedShown(code);
            septets += expectedSeptets(code);
        }
        const PhoneView all = phoneView(typed);
        EXPECT_EQ(all.shown, shown);
        EXPECT_EQ(all.septets, septets);
        ASSERT_EQ(all.characters.size(), last - first + 1);
        for (int i = 0; i < all.characters.size(); ++i)
            EXPECT_EQ(all.characters[i].shown, expectedShown(first + i)) << i;
    }
}

TEST(PhonePreview, CzechTextShowsWhatChangesOnce)
{
    const PhoneView view = phoneView(QStringLiteral("Měsíční zpráva"));
    EXPECT_EQ(view.shown, QStringLiteral("Mìsàènà zpràva"));
    EXPECT_FALSE(view.arrivesAsTyped());
    const QList<ShownCharacter> expected = {{"ě", "ì"}, {"í", "à"}, {"č", "è"}, {"á", "à"}};
    EXPECT_EQ(view.changes(), expected);
    EXPECT_EQ(previewLine(view), QStringLiteral("Příjemce uvidí: Mìsàènà zpràva"));
    EXPECT_EQ(previewToolTip(view), QStringLiteral("Telefon příjemce nezobrazí text tak, jak je napsán.\n"
                                                   "Mění se: ě → ì, í → à, č → è, á → à"));
}

TEST(PhonePreview, TextsThatArriveAsTypedShowNothing)
{
    for (const QString& text : {QStringLiteral("Poplach"), QString(), QStringLiteral("[x] {y} \\ ~ ^ | € $ @ _ é ß Ä"),
                                QString(50, u'€')}) {
        const PhoneView view = phoneView(text);
        EXPECT_TRUE(view.arrivesAsTyped()) << text.toStdString();
        EXPECT_EQ(view.shown, text);
        EXPECT_TRUE(previewLine(view).isEmpty());
        EXPECT_TRUE(previewToolTip(view).isEmpty());
    }
    EXPECT_EQ(phoneView(QString(50, u'€')).septets, 100);
}

TEST(PhonePreview, CharactersWithoutAnyFormAndReadBackCharacters)
{
    // Outside Windows-1250 (one "?" for a character beyond 16 bits), a control character and
    // the code 127 that a read-back gives for every "à".
    const PhoneView view = phoneView(QStringLiteral("a😀bΩ\u007F\u0081") + QChar(u'\x10'));
    EXPECT_EQ(view.shown, QStringLiteral("a?b?àà\n"));
    ASSERT_EQ(view.characters.size(), 7);
    EXPECT_EQ(view.characters[1].typed, QStringLiteral("😀"));
    EXPECT_EQ(previewLine(view), QStringLiteral("Příjemce uvidí: a?b?àà "));
    EXPECT_EQ(previewToolTip(view), QStringLiteral("Telefon příjemce nezobrazí text tak, jak je napsán.\n"
                                                   "Mění se: 😀 → ?, Ω → ?, U+007F → à, U+0081 → à, U+0010 → U+000A"));
}
