// End to end over a pseudo-terminal: the "Konfigurace" page writes and reads SIM positions 5
// and 6 through the main window's serial port, against the phonesim process (KVA271_COM1
// points at it). Everything else about these exchanges is tested on a manual clock
// (ConfigTransferTest.cpp).
#include "PageExchangeFixture.h"
#include "PhoneChannel.h"
#include "QStringPrint.h"
#include "Unit5.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class ConfigPty : public PageExchange {
protected:
    void openWindow() { openForm(TForm1::programPages([this](kva::SimLink& f) { return page = new TForm5(f); }, {}, {}), true); }

    TForm5* page = nullptr;
};

} // namespace

TEST_F(ConfigPty, WriteStoresBothShownNumbers)
{
    startPhone();
    openWindow();
    page->RadioButton1->setChecked(true); // "Autentizace zapnuta"
    page->ComboBox6->setCurrentIndex(9);
    page->ComboBox6Change();
    page->BitBtn3->click();
    ASSERT_TRUE(waitIdle(20000));
    ASSERT_TRUE(phone.waitForReceived("\"Casy\"\r", 5000));
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r", "AT+CPBW=5,\"+000000000001\",,\"Setup\"\r",
                                                           "AT+CPBW=6,\"+000000090000\",,\"Casy\"\r"}));
    EXPECT_EQ(page->VrLabel1->text(), QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(page->Gauge1->isHidden());
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return phone.state().contains("pb 6 145 +000000090000 Casy"); }, 5000));
    EXPECT_TRUE(phone.state().contains("pb 5 145 +000000000001 Setup"));
}

TEST_F(ConfigPty, ReadShowsOptionsAndTimes)
{
    startPhone({}, PhoneSim::phoneBookLine(5, "+000000000011", "Setup") + PhoneSim::phoneBookLine(6, "+000000092310", "Casy"));
    openWindow();
    page->Button1->click();
    ASSERT_TRUE(waitIdle(20000));
    EXPECT_EQ(phone.receivedCommands(), (QList<QByteArray>{"AT\r", "AT+CPBS=\"SM\"\r", "AT+CPBR=5\r", "AT+CPBR=6\r"}));
    EXPECT_EQ(page->StaticText1->text(), QStringLiteral("+000000000011"));
    EXPECT_EQ(page->StaticText2->text(), QStringLiteral("+000000092310"));
    EXPECT_TRUE(page->RadioButton1->isChecked());
    EXPECT_EQ(page->ComboBox6->currentText(), QStringLiteral("90"));
    EXPECT_TRUE(page->Button1->isEnabled());
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}
