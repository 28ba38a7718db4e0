// Trying real devices: the phonesim process on a pseudo-terminal, a missing device and a busy
// one. The other kinds of device are tried on a manual clock (PhoneProbeTest.cpp).
#include "AfSerialDevice.h"
#include "DialogueLog.h"
#include "PhoneProbe.h"
#include "PhoneSim.h"
#include "QStringPrint.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

using namespace kva;
using Outcome = ProbeResult::Outcome;

namespace {

class PhoneProbePty : public ::testing::Test {
protected:
    PhoneProbePty()
    {
        phoneDialogue().clear();
        QObject::connect(&probe, &PhoneProbe::finished, [this](const ProbeResult& r) { result = r; });
    }
    // Tries `device`; false when no result came within 20 s.
    bool tryDevice(const QString& device)
    {
        result.reset();
        EXPECT_TRUE(probe.start(device));
        return QTest::qWaitFor([this] { return result.has_value(); }, 20000);
    }

    PhoneSim phone;
    PhoneProbe probe;
    std::optional<ProbeResult> result;
};

} // namespace

TEST_F(PhoneProbePty, AnsweringPhoneIsClosedAgainAfterTheTry)
{
    const QString dev = phone.start({}, PhoneSim::phoneBookLine(5, "+000000000001", "Setup"));
    ASSERT_TRUE(tryDevice(dev));
    EXPECT_EQ(result->outcome, Outcome::Answering);
    EXPECT_EQ(result->text, QStringLiteral("odpovídá: Simfon SF-1 phonesim, SIM: 250 kontaktů, 30 SMS"));
    ASSERT_TRUE(phone.waitForReceived("AT+CPMS?\r", 5000));
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\rAT+CPBS?\rAT+CPBR=?\rAT+CPMS?\r");
    // The port is closed again: the phone can be opened by someone else at once.
    TAfSerialDevice again;
    TAfOpenFailure failure;
    int error = 0;
    EXPECT_TRUE(again.Open(dev, failure, error));
    EXPECT_TRUE(QString::fromUtf8(phoneDialogue().text()).contains(QStringLiteral(" -- Najít telefon: zkouším ") + dev + u'\n'));
}

TEST_F(PhoneProbePty, MissingAndBusyDevicesAreExplained)
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
    const QString me = QString::fromUtf8(comm.readAll()).trimmed(); // the test's name, cut at 15
    EXPECT_TRUE(result->text.contains(QStringLiteral("používá program %1 (PID %2)").arg(me).arg(QCoreApplication::applicationPid())))
        << result->text.toStdString();
    EXPECT_EQ(phone.received(), "");
}
