// Trying one device against simulated phones on pseudo-terminals: one answering, one silent,
// one flooding, one vanishing mid-probe, one answering nonsense; and devices that cannot be
// opened (missing, busy).
#include "AfSerialDevice.h"
#include "DialogueLog.h"
#include "PhoneProbe.h"
#include "PhoneSim.h"
#include "QStringPrint.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

using namespace kva;
using Outcome = ProbeResult::Outcome;

namespace {

class PhoneProbeTest : public ::testing::Test {
protected:
    PhoneProbeTest()
    {
        phoneDialogue().clear();
        QObject::connect(&probe, &PhoneProbe::finished, [this](const ProbeResult& r) { result = r; });
    }
    // Tries `device`; false when no result came within `ms`.
    bool tryDevice(const QString& device, int ms = 10000)
    {
        result.reset();
        clock.start();
        EXPECT_TRUE(probe.start(device));
        EXPECT_FALSE(probe.start(device)); // never two at once
        const bool done = QTest::qWaitFor([this] { return result.has_value(); }, ms);
        elapsed = clock.elapsed();
        return done;
    }

    PhoneSim phone;
    PhoneProbe probe;
    std::optional<ProbeResult> result;
    QElapsedTimer clock;
    qint64 elapsed = 0;
};

} // namespace

TEST_F(PhoneProbeTest, AnsweringPhoneTellsMakerModelAndSimRoom)
{
    const QString dev = phone.start({}, PhoneSim::phoneBookLine(5, "+000000000001", "Setup"));
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::Answering);
    EXPECT_EQ(result->text, QStringLiteral("odpovídá: Simfon SF-1 phonesim, SIM: 250 kontaktů, 30 SMS"));
    EXPECT_FALSE(probe.running());
    ASSERT_TRUE(phone.waitForReceived("AT+CPMS?\r", 2000));
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\rAT+CPBS?\rAT+CPBR=?\rAT+CPMS?\r");
    // The port is closed again: the phone can be opened by someone else at once.
    TAfSerialDevice again;
    TAfOpenFailure failure;
    int error = 0;
    EXPECT_TRUE(again.Open(dev, failure, error));

    const QString log = QString::fromUtf8(phoneDialogue().text());
    EXPECT_TRUE(log.contains(QStringLiteral(" -- Najít telefon: zkouším ") + dev + u'\n'));
    EXPECT_TRUE(log.contains(QStringLiteral(" -> AT+CGMM<CR>\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("SF-1 phonesim<CR><LF>")));
}

TEST_F(PhoneProbeTest, SilentDeviceAfterAboutASecond)
{
    const QString dev = phone.start({"--silent"});
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::Silent);
    EXPECT_EQ(result->text, QStringLiteral("neodpovídá"));
    EXPECT_GE(elapsed, PhoneProbe::PresenceWaitMs - 50);
    EXPECT_EQ(phone.received(), "AT\r");
}

TEST_F(PhoneProbeTest, NonsenseInsteadOfOkIsNoPhone)
{
    const QString dev = phone.start({"--reply", "AT", "\\r\\n@@\\x00garbage\\r\\n"});
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::NotAPhone);
    EXPECT_EQ(result->text, QStringLiteral("odpověď nesrozumitelná, nejde o telefon"));
}

TEST_F(PhoneProbeTest, FloodOfAMegabyteIsCutShort)
{
    const QString dev = phone.start({"--flood", "1000000"});
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::Flooding);
    EXPECT_EQ(result->text, QStringLiteral("posílá nepřetržitě data (přes 64 KiB), nejde o telefon"));
    // What was read is in the log, but not the whole megabyte.
    EXPECT_GT(phoneDialogue().size(), PhoneProbe::FloodBytes);
    EXPECT_LT(phoneDialogue().size(), 2 * PhoneProbe::FloodBytes);
}

TEST_F(PhoneProbeTest, DeviceVanishingMidProbe)
{
    const QString dev = phone.start({"--vanish-on", "AT+CGMM"});
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::Vanished);
    EXPECT_EQ(result->text, QStringLiteral("zařízení zmizelo během zkoušky (odpojený kabel?)"));
    EXPECT_FALSE(probe.running());
}

TEST_F(PhoneProbeTest, MissingAndBusyDevicesAreExplained)
{
    ASSERT_TRUE(tryDevice("/dev/kva271-no-such-tty"));
    EXPECT_EQ(result->outcome, Outcome::CannotOpen);
    EXPECT_EQ(result->openFailure, TAfOpenFailure::NoSuchDevice);
    EXPECT_EQ(result->text, QStringLiteral("nelze otevřít: Zařízení /dev/kva271-no-such-tty není připojeno. "
                                           "Připojte telefon kabelem."));

    const QString dev = phone.start();
    TAfSerialDevice holder; // this test process holds the device, as the main window would
    TAfOpenFailure failure;
    int error = 0;
    ASSERT_TRUE(holder.Open(dev, failure, error));
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::CannotOpen);
    EXPECT_EQ(result->openFailure, TAfOpenFailure::Busy);
    QFile comm(QStringLiteral("/proc/self/comm"));
    ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
    const QString me = QString::fromUtf8(comm.readAll()).trimmed(); // "test_ports_prob": cut at 15
    EXPECT_TRUE(result->text.contains(QStringLiteral("používá program %1 (PID %2)").arg(me).arg(QCoreApplication::applicationPid())))
        << result->text.toStdString();
    EXPECT_EQ(phone.received(), "");
}
