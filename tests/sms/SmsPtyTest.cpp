// End to end over a pseudo-terminal: the SMS page reads and deletes positions 1 to 9 through
// the main window's serial port, against the phonesim process (KVA271_COM1 points at it). The
// rest is tested on a manual clock (SmsTransferE2ETest.cpp); the store is in
// SmsStorePtyTest.cpp.
#include "SmsPhoneFixture.h"

#include <QTest>

using namespace kva::sms;

TEST_F(SmsPhonePty, ReadFillsThePairsFromTheStoredMessages)
{
    QByteArray sim;
    for (int i = 0; i < PairCount; ++i)
        sim += PhoneSim::smsLine(i + 1, 2, initialPdus()[i].toUpper());
    startPhone({}, sim);
    openWindow();
    page->setSmsSet(SmsSet{});
    read();
    EXPECT_EQ(phone.received(), readTranscript());
    EXPECT_EQ(page->smsSet(), initialSet());
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

TEST_F(SmsPhonePty, DeleteClearsPositionsOneToNineAndTheFields)
{
    const QByteArray pdu = initialPdus()[0].toUpper();
    startPhone({}, PhoneSim::smsLine(1, 2, pdu) + PhoneSim::smsLine(9, 2, pdu) + PhoneSim::smsLine(10, 2, pdu));
    openWindow();
    page->Button4->click();
    ASSERT_TRUE(waitIdle(60000));
    QByteArray expected = smsMemoryCommands();
    for (int n = 1; n <= 9; ++n)
        expected += "AT+CMGD=" + QByteArray::number(n) + '\r';
    EXPECT_EQ(phone.received(), expected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !phone.state().contains("sms 9 "); }, 5000));
    EXPECT_FALSE(phone.state().contains("sms 1 "));
    EXPECT_TRUE(phone.state().contains(PhoneSim::smsLine(10, 2, pdu)));
    EXPECT_EQ(page->smsSet(), SmsSet{});
    expectIdle(QStringLiteral("Vymazáno, telefon potvrdil všechna vymazání"));
    ASSERT_EQ(shown.size(), 1); // the question, answered yes
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Opravdu vymazat SMS na pozicích 1 až 9 v telefonu?")));
}

TEST_F(SmsPhonePty, AStoreStoppedAfterThePromptLeavesThePhoneAnsweringAgain)
{
    // The prompt comes after the check: the store stops there and ESC takes the phone out of
    // the message, so the next exchange is answered.
    startPhone({"--prompt-delay-ms", "1500"});
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitIdle(60000));
    ASSERT_TRUE(phone.waitForReceived("AT+CMGW=17\r\x1b", 3000)) << phone.received().right(60).toStdString();
    ASSERT_EQ(shown.size(), 1) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Telefon neodpověděl na uložení SMS pro pozici 1.")));
    shown.clear();
    QTest::qWait(1000); // the late prompt and the OK to the ESC come and go
    page->Button1->click();
    ASSERT_TRUE(waitIdle(60000));
    EXPECT_TRUE(phone.received().endsWith("AT+CMGR=9\r"));
    EXPECT_FALSE(shown.contains(QStringLiteral("Warning|POZOR - telefon nekomunikuje !")));
}
