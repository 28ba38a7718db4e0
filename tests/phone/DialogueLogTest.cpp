// The in-memory AT dialogue: readable bytes, the 256 KiB ring, the text a user sends on.
#include "DialogueLog.h"
#include "QStringPrint.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using kva::DialogueLog;

TEST(DialogueLog, ShowsControlBytesByName)
{
    EXPECT_EQ(DialogueLog::readable("AT+CMGW=17\r"), "AT+CMGW=17<CR>");
    EXPECT_EQ(DialogueLog::readable("\r\nOK\r\n"), "<CR><LF>OK<CR><LF>");
    EXPECT_EQ(DialogueLog::readable(QByteArray("0791\x1a\x1b\x00\x7f", 8)), "0791<^Z><ESC><x00><x7F>");
    EXPECT_EQ(DialogueLog::readable("\"\x8e\xe1k\""), QStringLiteral("\"Žák\"")); // Windows-1250 text
}

TEST(DialogueLog, KeepsTheLatestBytesWithinItsCapacity)
{
    DialogueLog log(10);
    log.sent("AT\r");
    log.received("AT\r\r\nOK\r\n");
    EXPECT_EQ(log.size(), 10);
    ASSERT_EQ(log.entries().size(), 2u);
    EXPECT_EQ(log.entries()[0].bytes, "\r"); // the oldest bytes went first
    EXPECT_EQ(log.entries()[1].bytes, "AT\r\r\nOK\r\n");

    log.received(QByteArray(25, 'x') + "END");
    ASSERT_EQ(log.entries().size(), 1u);
    EXPECT_EQ(log.entries()[0].bytes, "xxxxxxxEND");

    log.clear();
    EXPECT_EQ(log.size(), 0);
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(DialogueLog().size(), 0);
}

TEST(DialogueLog, TextHasOneLinePerChunkWithTimeAndDirection)
{
    DialogueLog log;
    log.note(QStringLiteral("zkouším /dev/ttyUSB0"));
    log.sent("AT\r");
    log.received("");
    log.received("AT\r\r\nOK\r\n");
    const QStringList lines = QString::fromUtf8(log.text()).split(u'\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], QStringLiteral("Záznam komunikace s telefonem (kva271-config)"));
    const QString time = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}");
    EXPECT_TRUE(QRegularExpression(time + QStringLiteral(" -- zkouším /dev/ttyUSB0$")).match(lines[3]).hasMatch()) << lines[3].toStdString();
    EXPECT_TRUE(QRegularExpression(time + QStringLiteral(" -> AT<CR>$")).match(lines[4]).hasMatch()) << lines[4].toStdString();
    EXPECT_TRUE(QRegularExpression(time + QStringLiteral(" <- AT<CR><CR><LF>OK<CR><LF>$")).match(lines[5]).hasMatch());
    EXPECT_EQ(lines[6], QString());

    EXPECT_EQ(DialogueLog::suggestedFileName(QDateTime(QDate(2026, 12, 8), QTime(6, 12, 55))),
              "kva271-zaznam-2026-12-08-061255.txt");
}
