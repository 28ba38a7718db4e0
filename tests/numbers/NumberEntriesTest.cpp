#include "KvaError.h"
#include "NumberEntries.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace kva::numbers;

namespace {

Entries withNumber(int index, const QString& number)
{
    Entries e = initialEntries();
    e[index].number = number;
    return e;
}

} // namespace

TEST(NumberCheck, AcceptsEmptyOrPlusAndTwelveDigits)
{
    EXPECT_TRUE(Kontrola(initialEntries()));
    EXPECT_TRUE(Kontrola(Entries{}));
    EXPECT_TRUE(Kontrola(withNumber(4, QStringLiteral("+420603123456")))); // position 7 with a diacritic name
    Entries nameless = initialEntries();
    nameless[1] = {QStringLiteral("+420777000111"), QString()};
    EXPECT_TRUE(Kontrola(nameless));
}

TEST(NumberCheck, RejectsWrongLengthsMissingPlusAndNonDigits)
{
    for (int index = 0; index < EntryCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+42060312345"))));   // 12
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+4206031234567")))); // 14
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("0420603123456"))));  // 13, no "+"
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral(" "))));
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+42060312345x")))); // would be dialled as it stands
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+ABCDEFGHIJKL"))));
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+4206031234 6"))));
        EXPECT_FALSE(Kontrola(withNumber(index, QStringLiteral("+4206031234567890123"))));
    }
}

TEST(NumFile, StartupEntriesGiveTheDocumentedTenLines)
{
    TempDir dir;
    saveNumFile(dir.path("a.num"), initialEntries());
    EXPECT_EQ(dir.read("a.num"), QByteArray("+420603123456\r\nPriklad\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nUdrzen\xED_kreditu\r\n"));
}

TEST(NumFile, RoundTripIsExactWithBlanksAndEmptyFields)
{
    TempDir dir;
    Entries e;
    e[0] = {QStringLiteral("+420603123456"), QStringLiteral(" Jan  Novák ")};
    e[1] = {QStringLiteral(" "), QString()};
    e[3] = {QString(), QStringLiteral("jen jméno")};
    e[4] = {QStringLiteral("+4206031234567890123"), QStringLiteral("x\"y,z")};
    saveNumFile(dir.path("r.num"), e);
    EXPECT_EQ(loadNumFile(dir.path("r.num")), e);

    const QByteArray bytes("+420603123456\r\nA\xE8\r\n \r\n\r\n\r\nC\r\n+000000000000\r\n\r\n\r\n\xDA\x9A\r\n");
    dir.write("b.num", bytes);
    saveNumFile(dir.path("c.num"), loadNumFile(dir.path("b.num")));
    EXPECT_EQ(dir.read("c.num"), bytes);
}

TEST(NumFile, ShortFilesEmptyTheRestAndExtraLinesAreIgnored)
{
    TempDir dir;
    dir.write("three.num", "+420603123456\r\nJan\r\n+420777000111\r\n");
    const Entries three = loadNumFile(dir.path("three.num"));
    EXPECT_EQ(three[0], (Entry{QStringLiteral("+420603123456"), QStringLiteral("Jan")}));
    EXPECT_EQ(three[1], (Entry{QStringLiteral("+420777000111"), QString()}));
    for (int i = 2; i < EntryCount; ++i)
        EXPECT_EQ(three[i], Entry{});

    dir.write("empty.num", "");
    EXPECT_EQ(loadNumFile(dir.path("empty.num")), Entries{});
    dir.write("one.num", "+420603123456");
    EXPECT_EQ(loadNumFile(dir.path("one.num"))[0].number, QStringLiteral("+420603123456"));
    EXPECT_EQ(loadNumFile(dir.path("one.num"))[0].name, QString());

    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += QByteArray::number(i) + "\r\n";
    dir.write("many.num", many);
    const Entries m = loadNumFile(dir.path("many.num"));
    EXPECT_EQ(m[0].number, QStringLiteral("0"));
    EXPECT_EQ(m[4].name, QStringLiteral("9"));
}

TEST(NumFile, LongLinesAndBinaryBytesLoadWithoutHarm)
{
    TempDir dir;
    const QByteArray longLine(10000, '5');
    dir.write("long.num", "+" + longLine + "\r\n" + QByteArray("\x00\x80\xff\x1b", 4) + "\r\n");
    const Entries e = loadNumFile(dir.path("long.num"));
    EXPECT_EQ(e[0].number.size(), 10001);
    EXPECT_EQ(e[0].name.size(), 4);
    EXPECT_FALSE(Kontrola(e));
}

TEST(NumFile, MissingFileOrFolderRaisesAFileError)
{
    TempDir dir;
    EXPECT_THROW(loadNumFile(dir.path("none.num")), kva::FileError);
    EXPECT_THROW(saveNumFile(dir.path("no/such/folder/a.num"), initialEntries()), kva::FileError);
}
