// End to end over a pseudo-terminal: the SMS page stores its initial fields through the main
// window's serial port, against the phonesim process (KVA271_COM1 points at it). What the page
// shows meanwhile, the pacing and the read-back are tested on a manual clock (SmsStoreTest.cpp).
// On its own, as it takes 28 s: it runs beside the other tests.
#include "SmsPhoneFixture.h"

#include <QTest>

using namespace kva::sms;

TEST_F(SmsPhonePty, StoreOfTheInitialFieldsPutsThemAtPositionsOneToNine)
{
    const QByteArray other = initialPdus()[8].toUpper();
    startPhone({}, PhoneSim::smsLine(5, 2, other) + PhoneSim::smsLine(12, 3, other));
    openWindow();
    page->Button3->click();
    ASSERT_TRUE(waitIdle(90000));
    ASSERT_TRUE(phone.waitForSent("+CMGW: 9\r\n\r\nOK\r\n", 5000));
    EXPECT_EQ(phone.received(), storeTranscript());
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return phone.state().contains(PhoneSim::smsLine(9, 2, initialPdus()[8].toUpper())); }, 5000));
    const QByteArray state = phone.state();
    for (int i = 0; i < PairCount; ++i)
        EXPECT_TRUE(state.contains(PhoneSim::smsLine(i + 1, 2, initialPdus()[i].toUpper()))) << i + 1;
    EXPECT_TRUE(state.contains(PhoneSim::smsLine(12, 3, other)));
}
