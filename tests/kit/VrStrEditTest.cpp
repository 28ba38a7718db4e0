#include "VrStrEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

TEST(VrStrEdit, TypingStopsAtTheLimit)
{
    VrStrEdit edit(13);
    QTest::keyClicks(&edit, QStringLiteral("+420603123456789"));
    EXPECT_EQ(edit.text(), QStringLiteral("+420603123456"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QStringLiteral("xy"));
    EXPECT_EQ(edit.text(), QStringLiteral("+42060312345x"));

    VrStrEdit unlimited(0);
    const QString sixty(60, u'a');
    QTest::keyClicks(&unlimited, sixty);
    EXPECT_EQ(unlimited.text(), sixty);
}

TEST(VrStrEdit, ProgramTextIsTakenWholeButCannotBeTypedLonger)
{
    VrStrEdit edit(13);
    const QString twenty = QStringLiteral("+4206031234567890123");
    edit.setText(twenty);
    EXPECT_EQ(edit.text(), twenty);

    edit.setCursorPosition(20);
    QTest::keyClicks(&edit, QStringLiteral("9"));
    EXPECT_EQ(edit.text(), twenty);

    // Shortened by the user: still no growth past what is there ...
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QStringLiteral("9"));
    EXPECT_EQ(edit.text(), twenty.left(19));
    // ... and down at the limit the plain limit is back.
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text().size(), 12);
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    EXPECT_EQ(edit.text(), twenty.left(12) + u'a');
}

TEST(VrStrEdit, ReplacingALongTextBringsTheLimitBack)
{
    VrStrEdit edit(13);
    edit.setText(QString(30, u'7'));
    edit.selectAll();
    QTest::keyClicks(&edit, QString(20, u'1'));
    EXPECT_EQ(edit.text(), QString(13, u'1'));
}

TEST(VrStrEdit, EditingInsideALongTextKeepsTheCursorWhereTheUserPutIt)
{
    VrStrEdit edit(5);
    edit.setText(QStringLiteral("abcdefgh"));
    edit.setCursorPosition(2);
    QTest::keyClick(&edit, Qt::Key_Delete);       // "abdefgh", limit still above 5
    QTest::keyClick(&edit, Qt::Key_Delete);       // "abefgh"
    QTest::keyClick(&edit, Qt::Key_Delete);       // "abfgh": at the limit
    QTest::keyClicks(&edit, QStringLiteral("X")); // refused: full
    EXPECT_EQ(edit.text(), QStringLiteral("abfgh"));
    EXPECT_EQ(edit.cursorPosition(), 2);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, QStringLiteral("X"));
    EXPECT_EQ(edit.text(), QStringLiteral("abXgh"));
}

TEST(VrStrEdit, ControlCharactersNeverGetIn)
{
    VrStrEdit edit(0);
    edit.setText(QStringLiteral("a\rb\nc\x1a" "d\x1b" "e\x01"));
    EXPECT_EQ(edit.text(), QStringLiteral("a b c d e "));

    edit.clear();
    // Keys whose text is a control character (what a terminal-style keyboard would send).
    for (const QString& t : {QStringLiteral("x"), QStringLiteral("\x01"), QStringLiteral("y"), QStringLiteral("\x1b"),
                             QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("z")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, t);
        QApplication::sendEvent(&edit, &press);
    }
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), QStringLiteral("xyz"));

    QGuiApplication::clipboard()->setText(QStringLiteral("1\r\n2\x1a" "3"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("xyz123"));
    EXPECT_EQ(edit.cursorPosition(), 6);
}

TEST(VrStrEdit, PastedTextIsCutAtTheLimit)
{
    VrStrEdit edit(13);
    QGuiApplication::clipboard()->setText(QStringLiteral("+4206031234567890123"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("+420603123456"));
}

TEST(VrStrEdit, LimitCanChangeWithoutCuttingTheText)
{
    VrStrEdit edit(0);
    edit.setText(QString(60, u'x'));
    edit.setTypingLimit(50);
    EXPECT_EQ(edit.text().size(), 60);
    EXPECT_EQ(edit.typingLimit(), 50);
    edit.setText(QString());
    QTest::keyClicks(&edit, QString(60, u'y'));
    EXPECT_EQ(edit.text().size(), 50);
}
