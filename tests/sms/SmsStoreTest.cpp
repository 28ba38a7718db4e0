// The 28 s store of the initial fields, on a manual clock with everything it should show, then
// the read that brings the nine pairs back.
#include "SmsPhoneFixture.h"

using namespace kva::sms;

namespace {

const QByteArray StoredReceived = "0791246030500200040c91247077001011000052012131400000" "0e50795a1da687417ab83c6c0f03";

} // namespace

TEST_F(SmsPhone, StoreOfTheInitialFieldsThenReadBackRestoresAllNinePairs)
{
    // Older messages at 2 and 5 are deleted by the store; the one at 12 is not the window's.
    const QByteArray other = initialPdus()[8].toUpper();
    startPhone({}, PhoneSim::smsLine(2, 1, StoredReceived) + PhoneSim::smsLine(5, 2, other) + PhoneSim::smsLine(12, 3, other));
    openWindow();
    ASSERT_EQ(page->smsSet(), initialSet());

    QStringList progress; // each gauge value with the status shown then
    QObject::connect(page->Gauge1, &QProgressBar::valueChanged,
                     [&](int v) { progress << QString::number(v) + u' ' + page->VrLabel1->text(); });
    page->Button3->click();
    for (QPushButton* b : buttons())
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(page->VrStrEdit2->isEnabled()); // the fields stay editable
    EXPECT_FALSE(page->Gauge1->isHidden());
    EXPECT_EQ(page->VrLabel1->text(), QStringLiteral("Mažu pozice na SIM"));
    // An edit made while the store runs does not reach it, and no second exchange starts.
    page->VrStrEdit2->setText(QStringLiteral("Zmena"));
    page->Button4Click();
    page->Button1Click();
    EXPECT_EQ(shown, QStringList(2, QStringLiteral("Error|POZOR - s telefonem právě probíhá jiná operace, vyčkejte na její dokončení !")));
    shown.clear();

    ASSERT_TRUE(waitIdle(40000));
    EXPECT_EQ(clock.nowMs(), 28500);
    EXPECT_TRUE(phone.sent().endsWith("+CMGW: 9\r\n\r\nOK\r\n"));

    EXPECT_EQ(phone.received(), storeTranscript());
    EXPECT_FALSE(phone.sent().contains("ERROR"));
    // The phone stored the nine at positions 1 to 9 in the order of the fields.
    const QByteArray state = phone.state();
    for (int i = 0; i < PairCount; ++i)
        EXPECT_TRUE(state.contains(PhoneSim::smsLine(i + 1, 2, initialPdus()[i].toUpper()))) << i + 1;
    EXPECT_TRUE(state.contains(PhoneSim::smsLine(12, 3, other)));

    // The storage and the mode go first, each on once its OK is stored (0 and 250 ms). Each
    // command after them is followed by its second, and one more second lies between the
    // deletes and the writes: the nine deletes go at 0.5 … 8.5 s, the announcements at 10.5,
    // 12.5 … 26.5 s (each PDU one second after its announcement). The pauses are counted from
    // the start, so a command held up a little does not delay the ones after it.
    QList<qint64> planned{0, 250};
    for (int i = 0; i < 18; ++i)
        planned << 500 + 1000 * (i < 9 ? i : 10 + 2 * (i - 9));
    EXPECT_EQ(phone.receivedTimes("AT+C"), planned);
    EXPECT_EQ(progress, (QStringList{"12 Mažu pozice na SIM", "24 Mažu pozice na SIM", "36 Mažu pozice na SIM",
                                     "48 Mažu pozice na SIM", "60 Mažu pozice na SIM", "72 Mažu pozice na SIM",
                                     "84 Mažu pozice na SIM", "96 Mažu pozice na SIM", "0 Ukládám na pozice na SIM",
                                     "12 Ukládám na pozice na SIM", "18 Ukládám na pozice na SIM",
                                     "24 Ukládám na pozice na SIM", "30 Ukládám na pozice na SIM",
                                     "36 Ukládám na pozice na SIM", "42 Ukládám na pozice na SIM",
                                     "48 Ukládám na pozice na SIM", "54 Ukládám na pozice na SIM",
                                     "60 Ukládám na pozice na SIM", "66 Ukládám na pozice na SIM",
                                     "72 Ukládám na pozice na SIM", "78 Ukládám na pozice na SIM",
                                     "84 Ukládám na pozice na SIM", "90 Ukládám na pozice na SIM",
                                     "96 Ukládám na pozice na SIM", "100 Ukládám na pozice na SIM"}));
    expectIdle(QStringLiteral("Uloženo, telefon potvrdil všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();

    // Reading back brings every pair back, also the one edited during the store.
    const qsizetype storeBytes = phone.received().size();
    progress.clear();
    const qint64 readStart = clock.nowMs();
    const qint64 readTook = read();
    EXPECT_EQ(phone.received().mid(storeBytes), readTranscript());
    EXPECT_EQ(page->smsSet(), initialSet());
    EXPECT_EQ(progress, (QStringList{"0 Moment prosím, pracuji", "12 Moment prosím, pracuji", "24 Moment prosím, pracuji",
                                     "36 Moment prosím, pracuji", "48 Moment prosím, pracuji", "60 Moment prosím, pracuji",
                                     "72 Moment prosím, pracuji", "84 Moment prosím, pracuji", "96 Moment prosím, pracuji",
                                     "100 Moment prosím, pracuji"}));
    expectIdle();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    // 300 ms to the probe's tick, the storage and the mode in the 500 ms after it, then 300 ms
    // per answer and 800 ms between reads.
    QList<qint64> reads;
    for (qint64 at : phone.receivedTimes("AT").mid(20)) // after the 20 commands of the store
        reads << at - readStart;
    EXPECT_EQ(reads, (QList<qint64>{0, 300, 550, 800, 1900, 3000, 4100, 5200, 6300, 7400, 8500, 9600}));
    EXPECT_EQ(readTook, 9900);
}
