// End to end through a PC/SC daemon: the real pages in the main window reach the simulated SIM
// (tools/simcard) in the daemon's virtual reader, in real time. run_with_pcscd.sh starts a
// private daemon and the card in a namespace of their own and hands the card's state file over
// in KVA_SIMCARD_STATE; the records' bytes are checked there.
#include "CardSim.h"
#include "MessageBoxes.h"
#include "NumberEntries.h"
#include "Pcsc.h"
#include "QStringPrint.h"
#include "Records.h"
#include "SimLink.h"
#include "SmsSet.h"
#include "TempDir.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "alarm1.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const QString Reader = QStringLiteral("Virtual PCD 00 00");

class CardE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        statePath = qEnvironmentVariable("KVA_SIMCARD_STATE");
        ASSERT_FALSE(statePath.isEmpty()) << "run through tests/card/run_with_pcscd.sh";
        // The daemon sees the card once it has asked for its ATR.
        QElapsedTimer clock;
        clock.start();
        QString last;
        while (clock.elapsed() < 10000) {
            try {
                kva::card::PcscCard probe(Reader);
                last.clear();
                break;
            } catch (const std::exception& e) {
                last = QString::fromUtf8(e.what());
                QTest::qWait(100);
            }
        }
        ASSERT_TRUE(last.isEmpty()) << qPrintable(last);
        qputenv("XDG_CONFIG_HOME", dir.path("config").toUtf8());
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            shown << m.title + u'|' + m.text;
            return true;
        });
        form = std::make_unique<TForm1>(dir.path("setting.ini"));
        form->FormCreate(TForm1::programPages([this](kva::SimLink& l) { return config = new TForm5(l); },
                                              [this](kva::SimLink& l) { return numbers = new TForm6(l); },
                                              [this](kva::SimLink& l) { return sms = new TForm4(l, form->SmsCentreNumber); }));
        form->chooseReader(Reader);
    }

    void TearDown() override
    {
        form.reset();
        kva::setMessageHook({});
    }

    // Clicks and waits until the request has ended; its duration in milliseconds.
    qint64 clickAndWait(QPushButton* button)
    {
        QElapsedTimer clock;
        clock.start();
        button->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form->cardSim().busy(); }, 20000));
        return clock.elapsed();
    }

    // The card's records as its state file holds them: "adn 5" → bytes.
    QMap<QString, QByteArray> records() const
    {
        QMap<QString, QByteArray> out;
        QFile f(statePath);
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 3)
                out.insert(QString::fromLatin1(w[0] + ' ' + w[1]), QByteArray::fromHex(w[2]));
        }
        return out;
    }

    TempDir dir;
    QString statePath;
    std::unique_ptr<TForm1> form;
    TForm5* config = nullptr;
    TForm6* numbers = nullptr;
    TForm4* sms = nullptr;
    QStringList shown;
};

} // namespace

TEST_F(CardE2E, ConfigurationWriteAndRead)
{
    config->RadioButton1->setChecked(true); // "Autentizace zapnuta"
    config->ComboBox6->setCurrentIndex(9);
    config->ComboBox6Change();
    const qint64 writeMs = clickAndWait(config->BitBtn3);
    EXPECT_EQ(config->VrLabel1->text(), QStringLiteral("Uloženo, SIM potvrdila všechny zápisy"));
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'\n'));
    const auto r = records();
    EXPECT_EQ(r.value(QStringLiteral("adn 5")), kva::card::encodeAdn({QStringLiteral("Setup"), QStringLiteral("+000000000001")}, 28));
    EXPECT_EQ(r.value(QStringLiteral("adn 6")), kva::card::encodeAdn({QStringLiteral("Casy"), QStringLiteral("+000000090000")}, 28));

    config->StaticText1->setText(QString());
    const qint64 readMs = clickAndWait(config->Button1);
    EXPECT_EQ(config->StaticText1->text(), QStringLiteral("+000000000001"));
    EXPECT_EQ(config->StaticText2->text(), QStringLiteral("+000000090000"));
    EXPECT_EQ(config->ComboBox6->currentText(), QStringLiteral("90"));
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'\n'));
    std::printf("configuration through pcscd: write %lld ms, read %lld ms\n", writeMs, readMs);
}

TEST_F(CardE2E, NumbersWriteAndRead)
{
    ASSERT_EQ(numbers->entries(), kva::numbers::initialEntries());
    const qint64 writeMs = clickAndWait(numbers->Button2);
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'\n'));
    const auto r = records();
    EXPECT_EQ(r.value(QStringLiteral("adn 1")), kva::card::encodeAdn({QStringLiteral("Priklad"), QStringLiteral("+420603123456")}, 28));
    for (const char* free : {"adn 2", "adn 3", "adn 4", "adn 7"})
        EXPECT_FALSE(r.contains(QString::fromLatin1(free))) << free;

    const qint64 readMs = clickAndWait(numbers->Button1);
    // Position 1 comes back; the others were cleared, the name of a number-less entry with them.
    const kva::numbers::Entries read = numbers->entries();
    EXPECT_EQ(read[0].number, QStringLiteral("+420603123456"));
    EXPECT_EQ(read[0].name, QStringLiteral("Priklad"));
    for (size_t i = 1; i < read.size(); ++i) {
        EXPECT_TRUE(read[i].number.isEmpty()) << i;
        EXPECT_TRUE(read[i].name.isEmpty()) << i;
    }
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'\n'));
    std::printf("numbers through pcscd: write %lld ms, read %lld ms\n", writeMs, readMs);
}

TEST_F(CardE2E, MessagesStoreReadAndDelete)
{
    form->PageControl1->setCurrentIndex(2);
    ASSERT_EQ(sms->smsSet(), kva::sms::initialSet());
    const qint64 storeMs = clickAndWait(sms->Button3);
    auto r = records();
    for (int n = 1; n <= 9; ++n) {
        const QByteArray record = r.value(QStringLiteral("sms %1").arg(n));
        ASSERT_EQ(record.size(), 176) << n;
        EXPECT_EQ(quint8(record[0]), 0x07);
        EXPECT_EQ(kva::card::decodeSms(record), kva::card::decodeSms(kva::card::encodeSms(record.mid(1).toHex()))) << n;
    }
    EXPECT_FALSE(r.contains(QStringLiteral("sms 10")));

    sms->setSmsSet(kva::sms::SmsSet{});
    const qint64 readMs = clickAndWait(sms->Button1);
    EXPECT_EQ(sms->smsSet(), kva::sms::initialSet());

    const qint64 deleteMs = clickAndWait(sms->Button4);
    r = records();
    for (int n = 1; n <= 9; ++n)
        EXPECT_FALSE(r.contains(QStringLiteral("sms %1").arg(n))) << n;
    EXPECT_EQ(sms->smsSet(), kva::sms::SmsSet{});
    // The questions asked (store, delete) were answered yes; no error box.
    for (const QString& s : shown)
        EXPECT_FALSE(s.startsWith(QStringLiteral("Error"))) << qPrintable(s);
    std::printf("nine messages through pcscd: store with read-back %lld ms, read %lld ms, delete %lld ms\n", storeMs,
                readMs, deleteMs);
}
