// Read, delete and the failure cases of the SMS page against the simulated phone in process,
// on a manual clock (the store of the initial fields is in SmsStoreTest.cpp, the exchanges
// over a pseudo-terminal in SmsPtyTest.cpp).
#include "MessageBoxes.h"
#include "PhoneReply.h"
#include "SmsPhoneFixture.h"

#include <QRandomGenerator>

using namespace kva::sms;
using kva::Retezec;

namespace {

// A received message (SMS-DELIVER) from +420777000111: "Prijata zprava".
const QByteArray Received = "0791246030500200040C91247077001011000052012131400000" "0E50795A1DA687417AB83C6C0F03";
// Stored messages: to +420777000111 "Ahoj", and "Bez cisla" with no destination number.
const QByteArray ToAhoj = "079124603050020011000C912470770010110000040441F45B0D";
const QByteArray NoNumber = "07912460305002001100008100000409C2B21E344ECFD961";

// 10 000 bytes of noise with colons and line feeds but no CR, as a --reply text.
QString garbageReply()
{
    QString text = QStringLiteral("\\r\\n+CMGR: 0,,99\\r\\n");
    QRandomGenerator random(271);
    for (int i = 0; i < 10000; ++i) {
        int byte = int(random.bounded(256));
        if (byte == '\r')
            byte = ':';
        text += QStringLiteral("\\x%1").arg(byte, 2, 16, QChar(u'0'));
    }
    return text;
}

} // namespace

TEST_F(SmsPhone, ReadTakesEachPairFromTheAnswerToItsOwnCommandOnly)
{
    QByteArray sim;
    sim += PhoneSim::smsLine(1, 0, Received);
    sim += PhoneSim::smsLine(2, 2, ToAhoj);
    for (int n = 3; n <= 7; ++n)
        sim += PhoneSim::smsLine(n, 2, initialPdus()[n - 1].toUpper());
    sim += PhoneSim::smsLine(9, 3, NoNumber);
    startPhone({"--reply", "AT+CMGR=4", "\\r\\n+CMGR: 2,,21\\r\\n0791ZZ0305002001\\r\\n\\r\\nOK\\r\\n",  // not hex
                "--reply", "AT+CMGR=5", "\\r\\n+CMS ERROR: 500\\r\\n",                              // refused
                "--reply", "AT+CMGR=6", garbageReply(),                                          // noise
                "--error", "AT+CMGR=7"},                                                         // ERROR
               sim);                                                                             // 8: empty
    openWindow();

    // Position 3 is answered late: the phone is held after answering position 2 and let go
    // only once the read of position 4 has been sent.
    page->Button1->click();
    ASSERT_TRUE(waitForSent("\r\n" + ToAhoj + "\r\n\r\nOK\r\n", 5000));
    phone.hold();
    const bool reachedStep4 = waitForReceived("AT+CMGR=4\r", 5000);
    phone.release();
    ASSERT_TRUE(reachedStep4);
    ASSERT_TRUE(waitIdle(15000));

    EXPECT_EQ(phone.received(), readTranscript());
    // Position 3 got no answer in its time, and its late answer is not taken for position 4.
    // Every position that could not be read keeps its pair and is listed in one box.
    const SmsSet expected{{
        {QString(), QStringLiteral("Prijata zprava")},           // received: no destination
        {QStringLiteral("+420777000111"), QStringLiteral("Ahoj")},
        initialSet()[2],                                         // late answer
        initialSet()[3],                                         // not hex
        initialSet()[4],                                         // +CMS ERROR
        initialSet()[5],                                         // 10 000 bytes of noise
        initialSet()[6],                                         // ERROR
        {},                                                      // empty position
        {QString(), QStringLiteral("Bez cisla")},
    }};
    for (int i = 0; i < PairCount; ++i)
        EXPECT_EQ(page->smsSet()[i], expected[i]) << "position " << i + 1;
    expectIdle();
    EXPECT_EQ(shown, QStringList{"Warning|Některé pozice se ze SIM nepodařilo načíst:\n"
                                 "Pozice 3: telefon neodpověděl, text a číslo na stránce ponechány.\n"
                                 "Pozice 4: odpověď telefonu nelze přečíst, text a číslo na stránce ponechány.\n"
                                 "Pozice 5: telefon odmítl (+CMS ERROR: 500), text a číslo na stránce ponechány.\n"
                                 "Pozice 6: telefon neodpověděl, text a číslo na stránce ponechány.\n"
                                 "Pozice 7: telefon odmítl (ERROR), text a číslo na stránce ponechány."});
}

TEST_F(SmsPhone, SilentPhoneFailsTheProbeAndKeepsTheFields)
{
    for (const QString& option : {QStringLiteral("--silent")}) {
        SCOPED_TRACE(option.toStdString());
        shown.clear();
        startPhone({option}, PhoneSim::smsLine(1, 2, initialPdus()[0].toUpper()));
        openWindow();
        const qint64 took = read();
        EXPECT_EQ(phone.received(), QByteArray("AT\r"));
        EXPECT_EQ(shown, QStringList{"Warning|POZOR - telefon nekomunikuje !"});
        EXPECT_EQ(page->smsSet(), initialSet()); // emptied only once the phone answers
        EXPECT_EQ(took, 300); // ends at the probe step, not after a read
        expectIdle();
        form.reset();
    }
}

TEST_F(SmsPhone, ClosedPortRefusesStoreReadAndDelete)
{
    startPhone();
    openWindow(false);
    page->Button3->click();
    page->Button1->click();
    page->Button4->click();
    EXPECT_EQ(shown, QStringList(3, QStringLiteral("Error|POZOR - sériový port není otevřen !")));
    // Numbers are checked before the port.
    shown.clear();
    page->VrStrEdit13->setText(QStringLiteral("+42060312345"));
    page->Button3->click();
    EXPECT_EQ(shown, QStringList{"Error|POZOR - telefonní čísla nejsou ve správném formátu !"});
    clock.advance(300);
    EXPECT_EQ(phone.received(), QByteArray());
    SmsSet unchanged = initialSet();
    unchanged[6].number = QStringLiteral("+42060312345");
    EXPECT_EQ(page->smsSet(), unchanged);
    expectIdle();

    // With the port open a wrong number still stops the store before anything is sent.
    shown.clear();
    phone.open = true;
    page->VrStrEdit19->setText(QStringLiteral("420603052000"));
    page->VrStrEdit13->setText(QStringLiteral("+420603123456"));
    page->Button3->click();
    EXPECT_EQ(shown, QStringList{"Error|POZOR - telefonní čísla nejsou ve správném formátu !"});
    clock.advance(300);
    EXPECT_EQ(phone.received(), QByteArray());
    expectIdle();
}

const QString LostPhone =
    QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Write data error [requested: %1, free: 0] - AfComPort1 ");
const QString Deleted = QStringLiteral("Vymazáno, telefon potvrdil všechna vymazání");
const QString DeleteQuestion = QStringLiteral("Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Opravdu vymazat "
                                              "SMS na pozicích 1 až 9 v telefonu? Texty na této stránce budou také "
                                              "vymazány.");

TEST_F(SmsPhone, DeleteClearsPositionsOneToNineAndTheFields)
{
    const QByteArray pdu = initialPdus()[0].toUpper();
    startPhone({}, PhoneSim::smsLine(1, 2, pdu) + PhoneSim::smsLine(4, 0, Received) + PhoneSim::smsLine(9, 2, pdu) +
                       PhoneSim::smsLine(10, 2, pdu));
    openWindow();
    QStringList progress;
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged,
                     [&](int v) { progress << QString::number(v) + u' ' + page->VrLabel1->text(); });
    page->Button4->click();
    for (QPushButton* b : buttons())
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_FALSE(page->Gauge1->isHidden());
    ASSERT_TRUE(waitIdle(15000));

    QByteArray expected = smsMemoryCommands();
    for (int n = 1; n <= 9; ++n)
        expected += "AT+CMGD=" + QByteArray::number(n) + '\r';
    EXPECT_EQ(phone.received(), expected);
    EXPECT_FALSE(phone.state().contains("sms 9 "));
    EXPECT_FALSE(phone.state().contains("sms 1 "));
    EXPECT_FALSE(phone.state().contains("sms 4 "));
    EXPECT_TRUE(phone.state().contains(PhoneSim::smsLine(10, 2, pdu)));
    EXPECT_EQ(progress, (QStringList{"3 Mažu pozice na SIM", "12 Mažu pozice na SIM", "24 Mažu pozice na SIM",
                                     "36 Mažu pozice na SIM", "48 Mažu pozice na SIM", "60 Mažu pozice na SIM",
                                     "72 Mažu pozice na SIM", "84 Mažu pozice na SIM", "96 Mažu pozice na SIM",
                                     "100 Mažu pozice na SIM", "0 " + Deleted}));
    EXPECT_EQ(page->smsSet(), SmsSet{});
    EXPECT_EQ(page->VrStrEdit19->text(), QStringLiteral("+420603052000"));
    expectIdle(Deleted);
    EXPECT_EQ(shown, QStringList{DeleteQuestion});
    // The storage and the mode, each on once its OK is stored; then one a second; idle a
    // second after the last.
    EXPECT_EQ(phone.receivedTimes("AT+C"), (QList<qint64>{0, 250, 500, 1500, 2500, 3500, 4500, 5500, 6500, 7500, 8500}));
    EXPECT_EQ(clock.nowMs(), 9500);
}

TEST_F(SmsPhone, PhoneVanishingMidStoreEndsItWithOneError)
{
    startPhone();
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitForReceived("AT+CMGD=2\r", 3000));
    phone.kill();
    ASSERT_TRUE(waitIdle(30000));
    EXPECT_EQ(clock.nowMs(), 2500); // at the next delete
    clock.advance(300);
    expectIdle();
    EXPECT_EQ(shown, QStringList{LostPhone.arg(10) + "\nTelefon do té doby potvrdil vymazání pozic 1, 2."});
    EXPECT_EQ(phone.received(), smsMemoryCommands() + "AT+CMGD=1\rAT+CMGD=2\r");

    // The window is usable again: the next store fails with one box.
    shown.clear();
    page->Button3->click();
    ASSERT_TRUE(waitIdle(30000));
    expectIdle();
    EXPECT_EQ(shown, QStringList{LostPhone.arg(23) + "\nTelefon do té doby nepotvrdil žádný zápis ani vymazání."});
}

TEST_F(SmsPhone, ClosingTheWindowDuringAStoreSendsNothingMore)
{
    startPhone();
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitForReceived("AT+CMGD=1\r", 3000));
    form->close();
    clock.advance(1300);
    EXPECT_EQ(phone.received(), smsMemoryCommands() + "AT+CMGD=1\r");
    EXPECT_FALSE(form->channel().busy());
    EXPECT_EQ(shown, (QStringList{"Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Přerušit probíhající výměnu?",
                                  "Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Výměna s telefonem byla "
                                  "přerušena.\nTelefon do té doby nepotvrdil žádný zápis ani vymazání."}));
}

TEST_F(SmsPhone, ClosingTheWindowAfterThePromptLeavesTheMessageWithEsc)
{
    startPhone();
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitForSent("\r\n> ", 20000));
    form->close();
    EXPECT_TRUE(phone.received().endsWith("AT+CMGW=17\r\x1b"));
    EXPECT_FALSE(form->channel().busy());
    // The phone is out of the message: it answers the next command.
    phone.write("AT\r");
    clock.advance(10);
    EXPECT_TRUE(phone.sent().endsWith("AT\r\r\nOK\r\n"));
}

TEST_F(SmsPhone, ARefusedDeleteStopsTheStoreThereAndKeepsTheFields)
{
    startPhone({"--reply", "AT+CMGD=2", "\\r\\n+CMS ERROR: 314\\r\\n"},
               PhoneSim::smsLine(2, 2, initialPdus()[0].toUpper()));
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitIdle(8000));
    clock.advance(1200); // nothing further goes out
    // The refusal is checked with a read, which shows a message there (the phone is busy
    // for deletes only): the store stops.
    EXPECT_EQ(phone.received(), smsMemoryCommands() + "AT+CMGD=1\rAT+CMGD=2\rAT+CMGR=2\r");
    EXPECT_EQ(shown, QStringList{"Pomůcka pro nastavení konfigurace ALARMU GSM - Orvento|Telefon odmítl vymazání "
                                 "SMS na pozici 2 a pozice není prázdná.\nOdpověď telefonu: +CMS ERROR: 314 (SIM je "
                                 "zaneprázdněna)\nTelefon do té doby potvrdil vymazání pozic 1."});
    EXPECT_EQ(page->smsSet(), initialSet());
    expectIdle();

    // Saying No to the delete question sends nothing and keeps the texts.
    shown.clear();
    kva::setMessageHook([&](const kva::MessageRecord& m) {
        shown << m.title + u'|' + m.text;
        return false;
    });
    page->Button4->click();
    EXPECT_EQ(shown, QStringList{DeleteQuestion});
    clock.advance(300);
    EXPECT_EQ(phone.received(), smsMemoryCommands() + "AT+CMGD=1\rAT+CMGD=2\rAT+CMGR=2\r");
    EXPECT_EQ(page->smsSet(), initialSet());
    expectIdle();
}
