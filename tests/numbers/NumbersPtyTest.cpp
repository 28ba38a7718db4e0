// End to end over a pseudo-terminal: the "Telefonní čísla" page writes and reads its SIM
// positions through the main window's serial port, against the phonesim process (KVA271_COM1
// points at it). Everything else about these exchanges is tested on a manual clock
// (NumbersTransferTest.cpp).
#include "NumberEntries.h"
#include "PageExchangeFixture.h"
#include "PhoneChannel.h"
#include "QStringPrint.h"
#include "Unit6.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kva::numbers;

namespace {

class NumbersPty : public PageExchange {
protected:
    void openWindow() { openForm(TForm1::programPages({}, [this](kva::SimLink& f) { return page = new TForm6(f); }, {}), true); }

    TForm6* page = nullptr;
};

} // namespace

TEST_F(NumbersPty, WriteOfTheStartupEntriesStoresOneAndClearsTheRest)
{
    startPhone({}, PhoneSim::phoneBookLine(2, "+420777000222", "Dva") + PhoneSim::phoneBookLine(5, "+000000000011", "Setup"));
    openWindow();
    ASSERT_EQ(page->entries(), initialEntries());
    page->Button2->click();
    ASSERT_TRUE(waitIdle(30000));
    ASSERT_TRUE(phone.waitForReceived("AT+CPBW=7\r", 5000));
    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r", "AT+CPBW=1,\"+420603123456\",,\"Priklad\"\r", "AT+CPBW=2\r", "AT+CPBW=3\r",
                                 "AT+CPBW=4\r", "AT+CPBW=7\r"}));
    EXPECT_EQ(page->VrLabel1->text(), QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !phone.state().contains("pb 2 "); }, 5000));
    EXPECT_TRUE(phone.state().contains("pb 1 145 +420603123456 Priklad"));
    EXPECT_TRUE(phone.state().contains("pb 5 145 +000000000011 Setup"));
}

TEST_F(NumbersPty, ReadFillsTheFieldsOfTheStoredPositions)
{
    startPhone({}, PhoneSim::phoneBookLine(1, "+420603123456", "Priklad") +
                       PhoneSim::phoneBookLine(7, "+420603777777", "Udrzen\xed_kreditu"));
    openWindow();
    page->Button1->click();
    ASSERT_TRUE(waitIdle(30000));
    EXPECT_EQ(phone.receivedCommands(),
              (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r", "AT+CPBR=1\r", "AT+CPBR=2\r", "AT+CPBR=3\r", "AT+CPBR=4\r", "AT+CPBR=7\r"}));
    Entries expected;
    expected[0] = {QStringLiteral("+420603123456"), QStringLiteral("Priklad")};
    expected[4] = {QStringLiteral("+420603777777"), QStringLiteral("Udrzení_kreditu")};
    EXPECT_EQ(page->entries(), expected);
    EXPECT_TRUE(page->Button1->isEnabled());
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(NumbersPty, AFailedReadKeepsItsFields)
{
    startPhone({"--reply", "AT+CPBR=2", "\\r\\n+CME ERROR: 14\\r\\n"}, PhoneSim::phoneBookLine(2, "+420777000222", "Dva"));
    openWindow();
    const Entries before = page->entries();
    page->Button1->click();
    ASSERT_TRUE(waitIdle(30000));
    EXPECT_EQ(page->entries()[1], before[1]);
    EXPECT_EQ(page->entries()[0], Entry{});
    EXPECT_EQ(shown, QStringList{"Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                                 "Pozice 2: SIM je zaneprázdněna (+CME ERROR: 14), hodnota na stránce ponechána."});
}
