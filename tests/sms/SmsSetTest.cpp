#include "KvaError.h"
#include "PairPrint.h"
#include "SmsSet.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace kva::sms;

namespace {

const QString SetCentre = QStringLiteral("+420603052000");

SmsSet withNumber(int index, const QString& number)
{
    SmsSet s = initialSet();
    s[index].number = number;
    return s;
}

} // namespace

TEST(SmsCheck, InitialSetAndEmptyDestinationsPass)
{
    EXPECT_TRUE(Kontrola(SetCentre, initialSet()));
    EXPECT_TRUE(Kontrola(SetCentre, withNumber(3, QString())));
    SmsSet noTexts = initialSet();
    for (Pair& p : noTexts)
        p.text = QString(80, u'x'); // texts are not examined
    EXPECT_TRUE(Kontrola(SetCentre, noTexts));
}

TEST(SmsCheck, EveryNumberFieldFollowsTheSameRule)
{
    const QString bad[] = {QStringLiteral("+42060312345"), QStringLiteral("+4206031234567"), QStringLiteral("0420603123456"),
                           QStringLiteral(" "), QStringLiteral("4206031234567+"),
                           QStringLiteral("+42060312345x"), QStringLiteral("+42060312345 "), QStringLiteral("++20603123456")};
    for (const QString& b : bad) {
        SCOPED_TRACE(b.toStdString());
        EXPECT_FALSE(Kontrola(b, initialSet()));
        for (int i = 0; i < PairCount; ++i)
            EXPECT_FALSE(Kontrola(SetCentre, withNumber(i, b))) << i;
    }
    EXPECT_FALSE(Kontrola(QString(), initialSet())); // the centre must be there
    EXPECT_FALSE(Kontrola(QStringLiteral("+ABCDEFGHIJKL"), initialSet()));
}

TEST(SmsSetData, InitialTextsAndLabels)
{
    const SmsSet s = initialSet();
    const char* texts[] = {"OK2", "OK3", "OK4", "Poplach", "Mesicni", "ZAP1", "VYP1", "ZAP2", "VYP2"};
    for (int i = 0; i < PairCount; ++i) {
        EXPECT_EQ(s[i].number, QStringLiteral("+420603123456"));
        EXPECT_EQ(s[i].text, QString::fromLatin1(texts[i]));
    }
    EXPECT_EQ(rowLabel(3), QStringLiteral("Vstup OK1"));
    EXPECT_EQ(rowLabel(4), QStringLiteral("Měsiční SMS"));
    EXPECT_EQ(rowLabel(8), QStringLiteral("RE2 vypnuto"));
}

TEST(SmsFile, InitialSetGivesEighteenCrLfLines)
{
    TempDir dir;
    saveSmsFile(dir.path("a.sms"), initialSet());
    EXPECT_EQ(dir.read("a.sms"), QByteArray("+420603123456\r\nOK2\r\n+420603123456\r\nOK3\r\n+420603123456\r\nOK4\r\n"
                                             "+420603123456\r\nPoplach\r\n+420603123456\r\nMesicni\r\n+420603123456\r\nZAP1\r\n"
                                             "+420603123456\r\nVYP1\r\n+420603123456\r\nZAP2\r\n+420603123456\r\nVYP2\r\n"));
}

TEST(SmsFile, RoundTripIsByteExact)
{
    TempDir dir;
    SmsSet s = initialSet();
    s[1].text.clear();
    s[2] = {QString(), QStringLiteral("Poplach v garáži Ω čidlo č. 3")}; // Ω is not in the code page
    s[5].text = QStringLiteral("  mezery  ");
    saveSmsFile(dir.path("r.sms"), s);
    SmsSet back = loadSmsFile(dir.path("r.sms"));
    s[2].text.replace(QStringLiteral("Ω"), QStringLiteral("?"));
    EXPECT_EQ(back, s);
    EXPECT_TRUE(dir.read("r.sms").contains("\r\n\r\n")); // the empty text is an empty line

    QByteArray bytes;
    for (int i = 0; i < FileLineCount; ++i)
        bytes += (i % 2 ? QByteArray("\x8a\xe8\xfd \x80 ") + QByteArray::number(i) : QByteArray("+42060312345") + char('0' + i % 10)) + "\r\n";
    dir.write("b.sms", bytes);
    saveSmsFile(dir.path("c.sms"), loadSmsFile(dir.path("b.sms")));
    EXPECT_EQ(dir.read("c.sms"), bytes);
}

TEST(SmsFile, ShortLongAndOddFiles)
{
    TempDir dir;
    dir.write("empty.sms", "");
    EXPECT_EQ(loadSmsFile(dir.path("empty.sms")), SmsSet{});

    dir.write("one.sms", "+420603123456");
    SmsSet one = loadSmsFile(dir.path("one.sms"));
    EXPECT_EQ(one[0].number, QStringLiteral("+420603123456"));
    EXPECT_TRUE(one[0].text.isEmpty());
    EXPECT_EQ(one[8], Pair{});

    QByteArray many;
    for (int i = 0; i < 200; ++i)
        many += "L" + QByteArray::number(i) + "\r\n";
    dir.write("many.sms", many);
    const SmsSet m = loadSmsFile(dir.path("many.sms"));
    EXPECT_EQ(m[0].number, QStringLiteral("L0"));
    EXPECT_EQ(m[8].text, QStringLiteral("L17"));

    const QByteArray longLine(10000, 'x');
    dir.write("long.sms", "+4206031234567890123\n" + longLine + "\rz\x1a" "after");
    const SmsSet l = loadSmsFile(dir.path("long.sms"));
    EXPECT_EQ(l[0].number.size(), 20);
    EXPECT_EQ(l[0].text.size(), 10000);
    EXPECT_EQ(l[1].number, QStringLiteral("z"));
    EXPECT_TRUE(l[1].text.isEmpty()); // Ctrl-Z ends the input
    EXPECT_FALSE(Kontrola(SetCentre, l));

    dir.write("bin.sms", QByteArray("\x00\xff\x01\x7f", 4));
    EXPECT_EQ(loadSmsFile(dir.path("bin.sms"))[0].number.size(), 4);
}

TEST(SmsFile, FileSystemErrorsRaiseFileError)
{
    TempDir dir;
    EXPECT_THROW(loadSmsFile(dir.path("missing.sms")), kva::FileError);
    EXPECT_THROW(saveSmsFile(dir.path("none/x.sms"), initialSet()), kva::FileError);
}
