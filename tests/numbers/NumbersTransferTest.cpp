// The "Telefonní čísla" page writes and reads SIM positions 1, 2, 3, 4 and 7 through the main
// window's channel, against the simulated phone in process on a manual clock (the same over a
// pseudo-terminal: NumbersPtyTest.cpp).
#include "NumberEntries.h"
#include "PageClockFixture.h"
#include "PageControls.h"
#include "PhoneChannel.h"
#include "PhoneSim.h"
#include "QStringPrint.h"
#include "Unit6.h"
#include "VrStrEdit.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace kva::numbers;

namespace {

const QString Silent = QStringLiteral("Warning|POZOR - telefon nekomunikuje !");
const QString Closed = QStringLiteral("Error|POZOR - sériový port není otevřen !");
const QString LostPhone =
    QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Write data error [requested: %1, free: 0] - AfComPort1 ");
const QString BadFormat = QStringLiteral("Error|POZOR - telefonní čísla nejsou ve správném formátu !");
const QByteArray SimPhoneBook = "AT+CPBS=\"SM\"\r";
const QList<QByteArray> ReadCommands{"AT\r", SimPhoneBook, "AT+CPBR=1\r", "AT+CPBR=2\r", "AT+CPBR=3\r", "AT+CPBR=4\r", "AT+CPBR=7\r"};

Entries someEntries()
{
    Entries e;
    for (int i = 0; i < EntryCount; ++i)
        e[i] = {QStringLiteral("+42077700000%1").arg(i), QStringLiteral("Stary %1").arg(i)};
    return e;
}

class NumbersTransfer : public PageOnClock {
protected:
    void openWindow(bool portOpen = true)
    {
        openForm(TForm1::programPages({}, [this](kva::SimLink& f) { return page = new TForm6(f); }, {}), portOpen);
    }
    // Clicks "Načíst telefonní čísla z telefonu" and waits for the read to end; its duration.
    qint64 read() { return clickAndWait(page->Button1, 10000); }
    void expectIdle(const QString& status = QString())
    {
        EXPECT_FALSE(form->channel().busy());
        EXPECT_EQ(page->VrLabel1->text(), status);
        EXPECT_TRUE(page->Gauge1->isHidden());
        for (QPushButton* b : {page->BitBtn1, page->BitBtn2, page->BitBtn3, page->Button1, page->Button2})
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }

    TForm6* page = nullptr;
};

} // namespace

TEST_F(NumbersTransfer, WriteOfTheStartupEntriesSendsFiveCommandsOneAndAHalfSecondsApart)
{
    startPhone({}, PhoneSim::phoneBookLine(2, "+420777000222", "Dva") + PhoneSim::phoneBookLine(5, "+000000000011", "Setup") +
                       PhoneSim::phoneBookLine(7, "+420777000777", "Kredit"));
    openWindow();
    ASSERT_EQ(page->entries(), initialEntries());
    QList<int> gauge;
    bool workingShown = false;
    bool buttonsOff = true;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged, [&](int v) {
        gauge << v;
        if (v == 100)
            return;
        workingShown = workingShown || page->VrLabel1->text() == QStringLiteral("Moment prosím, pracuji");
        for (QPushButton* b : {page->BitBtn1, page->BitBtn2, page->BitBtn3, page->Button1, page->Button2})
            buttonsOff = buttonsOff && !b->isEnabled();
        if (v == 20) {
            // Edits made while the write runs are not sent: the texts were taken as it began.
            page->VrStrEdit2->setText(QStringLiteral("Zmeneno"));
            page->VrStrEdit3->setText(QStringLiteral("+420777000999"));
        }
    });

    page->Button2->click();
    EXPECT_FALSE(page->Button1->isEnabled()); // no second exchange meanwhile
    ASSERT_TRUE(waitIdle(9000));

    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r", "AT+CPBW=2\r",
                                 "AT+CPBW=3\r", "AT+CPBW=4\r", "AT+CPBW=7\r"}));
    // The probe's answer is looked at after 300 ms, the SIM phone book is chosen (on once its
    // OK is stored), then one command every 1.5 s.
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 300, 550, 2050, 3550, 5050, 6550}));
    EXPECT_EQ(clock.nowMs(), 8050);
    EXPECT_EQ(gauge, (QList<int>{20, 40, 60, 80, 100}));
    EXPECT_TRUE(workingShown);
    EXPECT_TRUE(buttonsOff);
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_EQ(page->VrStrEdit3->text(), QStringLiteral("+420777000999")); // the edit itself stays
    // The phone stored position 1 and cleared 2 and 7; 5 is not this window's.
    const QByteArray state = phone.state();
    EXPECT_FALSE(state.contains("pb 7 "));
    EXPECT_TRUE(state.contains("pb 1 145 +420603123456 Priklad"));
    EXPECT_FALSE(state.contains("pb 2 "));
    EXPECT_TRUE(state.contains("pb 5 145 +000000000011 Setup"));
}

TEST_F(NumbersTransfer, ReadFillsPositionsOneAndSevenAndEmptiesTwoToFour)
{
    startPhone({}, PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") + PhoneSim::phoneBookLine(5, "+000000000011", "Setup") +
                       PhoneSim::phoneBookLine(7, "+420603777777", "Udrzen\xed_kreditu"));
    openWindow();
    page->setEntries(someEntries());
    QList<int> gauge;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged, [&](int v) { gauge << v; });
    const qint64 took = read();

    EXPECT_EQ(phone.receivedCommands(), ReadCommands);
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 300, 550, 850, 1150, 1450, 1750}));
    EXPECT_EQ(took, 2050);
    Entries expected;
    expected[0] = {QStringLiteral("+420603123456"), QStringLiteral("Priklad")};
    expected[4] = {QStringLiteral("+420603777777"), QStringLiteral("Udrzení_kreditu")};
    EXPECT_EQ(page->entries(), expected);
    EXPECT_EQ(gauge, (QList<int>{20, 40, 60, 80, 100}));
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(NumbersTransfer, EmptyNameAndDoubleQuoteAreWrittenAsTheyAreAndReadBack)
{
    startPhone();
    openWindow();
    Entries e;
    e[0] = {QStringLiteral("+420603111111"), QString()};
    e[2] = {QString(), QStringLiteral("Bez cisla")};
    e[4] = {QStringLiteral("+420603777777"), QStringLiteral("Pa\"pa")};
    page->setEntries(e);
    page->Button2->click();
    ASSERT_TRUE(waitIdle(9000));
    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBW=1,\"+420603111111\",,\"\"\r", "AT+CPBW=2\r", "AT+CPBW=3\r", "AT+CPBW=4\r",
                                 "AT+CPBW=7,\"+420603777777\",,\"Pa\"pa\"\r"}));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();

    // Read back: the name stops at its double quote.
    page->setEntries(someEntries());
    read();
    Entries back;
    back[0] = {QStringLiteral("+420603111111"), QString()};
    back[4] = {QStringLiteral("+420603777777"), QStringLiteral("Pa")};
    EXPECT_EQ(page->entries(), back);
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(NumbersTransfer, ClosedPortAndMalformedNumbersAreRefusedAndNothingIsSent)
{
    startPhone();
    openWindow(false);
    page->Button1->click();
    page->Button2->click();
    EXPECT_EQ(shown, (QStringList{Closed, Closed}));

    // The number check comes first, also while the port is closed.
    shown.clear();
    Entries bad = initialEntries();
    bad[2].number = QStringLiteral("+42060312345"); // 12 characters
    page->setEntries(bad);
    page->Button2->click();
    phone.open = true;
    page->Button2->click();
    bad[2].number = QStringLiteral(" ");
    page->setEntries(bad);
    page->Button2->click();
    EXPECT_EQ(shown, (QStringList{BadFormat, BadFormat, BadFormat}));
    clock.advance(400);
    EXPECT_EQ(phone.received(), QByteArray());
    EXPECT_EQ(page->entries(), bad);
    expectIdle();
}

TEST_F(NumbersTransfer, SilentOrErrorProbeStopsReadAndWriteAndKeepsTheFields)
{
    for (const QStringList& args : {QStringList{"--silent"}, QStringList{"--error", "AT"}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        shown.clear();
        startPhone(args, PhoneSim::phoneBookLine(1, "+420603999999", "Jiny"));
        openWindow();
        page->Button2->click();
        ASSERT_TRUE(waitIdle(2000));
        read();
        EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", "AT\r"}));
        EXPECT_EQ(shown, (QStringList{Silent, Silent}));
        EXPECT_EQ(page->entries(), initialEntries());
        expectIdle();
        form.reset();
    }
}

TEST_F(NumbersTransfer, APhoneWithEchoOffIsReadAndWrittenAsWithEcho)
{
    startPhone({"--no-echo"}, PhoneSim::phoneBookLine(2, "+420777000222", "Dva"));
    openWindow();
    read();
    EXPECT_EQ(phone.receivedCommands(), ReadCommands);
    Entries expected;
    expected[1] = {QStringLiteral("+420777000222"), QStringLiteral("Dva")};
    EXPECT_EQ(page->entries(), expected);
    page->Button2->click();
    ASSERT_TRUE(waitIdle(9000));
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(phone.state().contains("pb 2 145 +420777000222 Dva"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(NumbersTransfer, LateAnswersAreNotTakenForTheNextPosition)
{
    // A phone that lags by one command: each answer comes after the echo of the next command.
    // Each answer that comes is owed to the command before: no position can be told, every
    // field keeps what it showed, and one box lists them.
    const QString ok = QStringLiteral("\\r\\nOK\\r\\n");
    startPhone({"--reply", "AT+CPBR=1", "",
                "--reply", "AT+CPBR=2", "\\r\\n+CPBR: 1,\"+420603123456\",145,\"Priklad\"\\r\\n" + ok,
                "--reply", "AT+CPBR=3", "\\r\\n+CPBR: 2,\"+420777000222\",145,\"Dva\"\\r\\n" + ok,
                "--reply", "AT+CPBR=4", ok,
                "--reply", "AT+CPBR=7", ok},
               PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") + PhoneSim::phoneBookLine(2, "+420777000222", "Dva"));
    openWindow();
    read();
    EXPECT_EQ(phone.receivedCommands(), ReadCommands);
    EXPECT_EQ(page->entries(), initialEntries());
    expectIdle();
    ASSERT_EQ(shown.size(), 1);
    for (int position : {1, 2, 3, 4, 7})
        EXPECT_TRUE(shown[0].contains(QStringLiteral("Pozice %1: telefon neodpověděl, hodnota na stránce ponechána.").arg(position)));
    form.reset();
    shown.clear();

    // A slow phone whose answers still come within the receive wait is read in full.
    startPhone({"--delay-ms", "150"}, PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") +
                                          PhoneSim::phoneBookLine(2, "+420777000222", "Dva"));
    openWindow();
    read();
    Entries expected;
    expected[0] = {QStringLiteral("+420603123456"), QStringLiteral("Priklad")};
    expected[1] = {QStringLiteral("+420777000222"), QStringLiteral("Dva")};
    EXPECT_EQ(page->entries(), expected);
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(NumbersTransfer, ErrorAndGarbageKeepTheirFieldsAndAreListedInvalidIndexIsEmpty)
{
    startPhone({"--error", "AT+CPBR=1",
                "--reply", "AT+CPBR=2", "\\r\\n" + QString(10000, u'\x7f') + "\\r\\n\\r\\nOK\\r\\n",
                "--reply", "AT+CPBR=3", "\\r\\n+CME ERROR: 21\\r\\n"},
               PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") + PhoneSim::phoneBookLine(4, "+4206031", "Jan Novak") +
                   PhoneSim::phoneBookLine(7, "+420603777777", "Kredit"));
    openWindow();
    page->setEntries(someEntries());
    read();
    EXPECT_EQ(phone.receivedCommands(), ReadCommands);
    Entries expected = someEntries(); // positions 1 and 2 could not be read: kept
    expected[2] = {};                 // invalid index: empty
    // A number of another length is read at the same fixed places.
    expected[3] = {QStringLiteral("+4206031\",145"), QStringLiteral("ovak")};
    expected[4] = {QStringLiteral("+420603777777"), QStringLiteral("Kredit")};
    EXPECT_EQ(page->entries(), expected);
    expectIdle();
    EXPECT_EQ(shown, QStringList{"Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                                 "Pozice 1: telefon odmítl (ERROR), hodnota na stránce ponechána.\n"
                                 "Pozice 2: odpověď telefonu nelze přečíst, hodnota na stránce ponechána."});

    // The SIM busy just after power-up, then a write: nothing the page kept is deleted.
    shown.clear();
    form.reset();
    startPhone({"--reply", "AT+CPBR=", "\r\n+CME ERROR: 14\r\n"}, PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") +
                                                                      PhoneSim::phoneBookLine(2, "+420777000222", "Dva"));
    openWindow();
    page->setEntries(someEntries());
    read();
    EXPECT_EQ(page->entries(), someEntries());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("Pozice 3: SIM je zaneprázdněna (+CME ERROR: 14), hodnota na stránce ponechána."));
    page->Button2->click();
    ASSERT_TRUE(waitIdle(9000));
    EXPECT_FALSE(phone.receivedCommands().contains("AT+CPBW=2\r"));
}

TEST_F(NumbersTransfer, PhoneVanishingMidWriteEndsItWithOneError)
{
    startPhone();
    openWindow();
    page->Button2->click();
    ASSERT_TRUE(waitForReceived("\"Priklad\"\r", 2000));
    phone.kill();
    ASSERT_TRUE(waitIdle(5000));
    clock.advance(1700); // the rest of the write would be due by now
    expectIdle();
    // "AT+CPBW=2\r" cannot be written
    EXPECT_EQ(shown, QStringList{LostPhone.arg(10) + "\nTelefon do té doby potvrdil zápis pozic 1."});
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r"}));
    EXPECT_EQ(page->entries(), initialEntries());

    // The window is still usable: a new exchange is refused or fails with one box.
    shown.clear();
    page->Button1->click();
    ASSERT_TRUE(waitIdle(3000));
    clock.advance(400);
    expectIdle();
    EXPECT_EQ(shown, QStringList{LostPhone.arg(3)});
    EXPECT_EQ(page->entries(), initialEntries());
}

TEST_F(NumbersTransfer, ARefusedWriteStopsAtItsPositionWithTheAnswerNamed)
{
    startPhone({"--reply", "AT+CPBW=2", "\\r\\n+CME ERROR: 20\\r\\n"});
    openWindow();
    page->Button2->click();
    ASSERT_TRUE(waitIdle(6000));
    clock.advance(1700); // the next command would be due by now
    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", SimPhoneBook, "AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r", "AT+CPBW=2\r"}));
    EXPECT_EQ(shown, QStringList{"Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Telefon odmítl vymazání "
                                 "pozice 2 telefonního seznamu SIM.\nOdpověď telefonu: +CME ERROR: 20 (paměť SIM je plná)\n"
                                 "Telefon do té doby potvrdil zápis pozic 1."});
    EXPECT_EQ(page->entries(), initialEntries());
    expectIdle();
}
