#include "MessageBoxes.h"
#include "TempDir.h"
#include "alarm1.h"
#include "CardSim.h"
#include "SimLink.h"

#include <QFile>

#include <QAction>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

TEST(MainWindow, ShowsCaptionPagesAndMenus)
{
    TempDir dir;
    TForm1 form(dir.path("setting.ini"));
    form.FormCreate(TForm1::programPages({}, {}, {}));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Pomůcka pro nastavení konfigurace GSM alarmu KVA271 - Orvento"));
    ASSERT_EQ(form.PageControl1->count(), 3);
    EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("Konfigurace"));
    EXPECT_EQ(form.PageControl1->tabText(1), QStringLiteral("Telefonní čísla"));
    EXPECT_EQ(form.PageControl1->tabText(2), QStringLiteral("Úprava SMS"));
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_EQ(form.centralWidget()->size(), QSize(788, 537));
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(form.comItems[n]->text(), QStringLiteral("COM%1").arg(n + 1));
        EXPECT_TRUE(form.comItems[n]->isCheckable());
        EXPECT_FALSE(form.comItems[n]->isChecked());
    }
    EXPECT_EQ(form.Napoveda1->text(), QStringLiteral("Nápověda"));
    EXPECT_EQ(form.Oaplikaci2->text(), QStringLiteral("O aplikaci"));
    EXPECT_EQ(form.SmsCentreNumber, QStringLiteral("+420603052000"));
}

TEST(MainWindow, HiddenPagesAreBuiltRightAfterTheFirstFrame)
{
    TempDir dir;
    QStringList built;
    auto builder = [&built](const QString& name) {
        return [&built, name](kva::SimLink&) {
            built << name;
            return new QWidget;
        };
    };
    TForm1 form(dir.path("setting.ini"));
    form.FormCreate(TForm1::programPages(builder("configuration"), builder("numbers"), builder("sms")),
                    TForm1::HiddenPages::AfterFirstFrame);
    EXPECT_EQ(built, QStringList{"configuration"});
    ASSERT_EQ(form.PageControl1->count(), 3); // every caption is there for the first frame
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return built.size() == 3; }));
    EXPECT_EQ(built, (QStringList{"configuration", "numbers", "sms"}));
    EXPECT_EQ(form.page(0)->parentWidget(), form.tab(0));
    EXPECT_EQ(form.page(1)->parentWidget(), form.tab(1));
    EXPECT_EQ(form.page(2)->parentWidget(), form.tab(2));
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
}

TEST(MainWindow, ClosingWritesTheCheckedPortAndCentreNumber)
{
    TempDir dir;
    {
        TForm1 form(dir.path("setting.ini"));
        form.FormCreate({});
        form.COM31->setChecked(true);
        form.COM31->setText(QStringLiteral("&COM3")); // as a desktop that adds accelerators shows it
        form.SmsCentreNumber = QStringLiteral("+420777000111");
        form.close();
    }
    EXPECT_EQ(dir.read("setting.ini"), QByteArray("COM3\r\n+420777000111\r\n"));
    // The start-up opening of COM3 fails here (no such device): shown, start-up goes on.
    qputenv("KVA271_COM3", dir.path("no-such-device").toLocal8Bit());
    QStringList shown;
    kva::setMessageHook([&](const kva::MessageRecord& m) {
        shown << m.text.section(u'\n', 0, 0);
        return true;
    });
    TForm1 again(dir.path("setting.ini"));
    again.FormCreate({});
    kva::setMessageHook({});
    qunsetenv("KVA271_COM3");
    EXPECT_EQ(again.StartupPortName, QStringLiteral("COM3"));
    EXPECT_EQ(again.SmsCentreNumber, QStringLiteral("+420777000111"));
    EXPECT_EQ(shown, QStringList{"Chybné číslo portu (COM3)"});
    EXPECT_FALSE(again.COM31->isChecked());
}

TEST(MainWindow, UnwritableSettingsAreReportedOnceAndTheWindowStillCloses)
{
    TempDir dir;
    QStringList shown;
    kva::setMessageHook([&](const kva::MessageRecord& m) {
        shown << m.title + u'|' + m.text.section(u'\n', 0, 0);
        return true;
    });
    TForm1 form(dir.root()); // a folder: cannot be read or written as a file
    form.FormCreate({});
    EXPECT_EQ(form.SmsCentreNumber, QStringLiteral("+420603052000"));
    form.close();
    form.close();
    kva::setMessageHook({});
    ASSERT_EQ(shown.size(), 2); // one for reading, one for writing
    EXPECT_EQ(shown[0], QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|I/O error 21"));
    EXPECT_EQ(shown[1], shown[0]);
}

// A reader from the "Port" menu: the pages' SIM link goes to the card, the choice is remembered
// outside setting.ini and taken again at the next start; no reader: the phone again.
TEST(MainWindow, AChosenReaderServesThePagesAndIsRemembered)
{
    TempDir dir;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path("config").toUtf8());
    {
        TForm1 form(dir.path("setting.ini"));
        form.FormCreate(TForm1::programPages({}, {}, {}));
        kva::sim::SimAccess* phone = &form.simLink().sim();
        EXPECT_NE(phone, &form.cardSim());
        form.chooseReader(QStringLiteral("Virtual PCD 00 00"));
        EXPECT_EQ(&form.simLink().sim(), &form.cardSim());
        EXPECT_TRUE(form.cardSim().connected());
        for (QAction* item : form.comItems)
            EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(form.simLink().sim().notConnectedText(), form.cardSim().notConnectedText());
        form.refreshReaders(); // without a PC/SC service the chosen reader is still listed, checked
        bool listed = false;
        for (QAction* item : form.readerItems)
            listed |= item->text() == QStringLiteral("Čtečka karet: Virtual PCD 00 00") && item->isChecked();
        EXPECT_TRUE(listed);
        form.FormClose();
    }
    QFile remembered(TForm1::readerChoicePath());
    ASSERT_TRUE(remembered.open(QIODevice::ReadOnly));
    EXPECT_EQ(remembered.readAll(), QByteArray("Virtual PCD 00 00\n"));
    remembered.close();
    {
        TForm1 form(dir.path("setting.ini"));
        form.FormCreate(TForm1::programPages({}, {}, {}));
        EXPECT_EQ(form.chosenReader(), QStringLiteral("Virtual PCD 00 00"));
        EXPECT_EQ(&form.simLink().sim(), &form.cardSim());
        form.chooseReader(QString());
        EXPECT_NE(&form.simLink().sim(), &form.cardSim());
        EXPECT_FALSE(form.cardSim().connected());
        form.FormClose();
    }
    ASSERT_TRUE(remembered.open(QIODevice::ReadOnly));
    EXPECT_EQ(remembered.readAll(), QByteArray());
    qputenv("XDG_CONFIG_HOME", configHome);
}
