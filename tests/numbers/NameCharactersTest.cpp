#include "NameCharacters.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

using namespace kva::numbers;

TEST(NameCharacters, PlainNamesPass)
{
    for (const QString& name : {QString(), QStringLiteral("Priklad"), QStringLiteral("Udrzeni_kreditu"),
                                QStringLiteral("Jan Novak, ml. (byt 2/3) +1 & spol.-'A'!?#*%=:;<>$")})
        EXPECT_TRUE(unusualNameCharacters(name).isEmpty()) << name.toStdString();
    EXPECT_TRUE(nameToolTip(QStringLiteral("Priklad")).isEmpty());
}

TEST(NameCharacters, OthersAreListedOnceInOrder)
{
    EXPECT_EQ(unusualNameCharacters(QStringLiteral("Udrzení_kreditu")), QStringList{QStringLiteral("í")});
    EXPECT_EQ(unusualNameCharacters(QStringLiteral("Šárka \"Š\" @[\\]^`{|}~")),
              (QStringList{"Š", "á", "\"", "@", "[", "\\", "]", "^", "`", "{", "|", "}", "~"}));
    EXPECT_EQ(nameToolTip(QStringLiteral("Eva😀\u007Fř")),
              QStringLiteral("Názvy telefonních čísel zadávejte bez diakritiky, jinak nebudou uložena !\n"
                             "Nevhodné znaky: 😀, U+007F, ř"));
}

TEST(NameCharacters, PlainNamesHoldApostrophesForEveryDoubleQuote)
{
    const QString plain = plainName(QStringLiteral("„Máma“ \"Táta\" – chata…"), 0);
    EXPECT_EQ(plain, QStringLiteral("'Mama' 'Tata' - chata..."));
    EXPECT_TRUE(unusualNameCharacters(plain).isEmpty());
    // Within the typing limit the ellipsis stays a character of its own.
    EXPECT_EQ(plainName(QStringLiteral("Kotel…"), 6), QStringLiteral("Kotel…"));
    EXPECT_EQ(plainName(QStringLiteral("Kotel…"), 8), QStringLiteral("Kotel..."));
}
