// Trying one device against the simulated phone in process, on a manual clock: one answering,
// one silent, one flooding, one vanishing mid-probe, one answering nonsense. Against a real
// device: PhoneProbePtyTest.cpp.
#include "DialogueLog.h"
#include "InProcessPhone.h"
#include "PhoneProbe.h"
#include "PhoneSim.h"
#include "QStringPrint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

using namespace kva;
using Outcome = ProbeResult::Outcome;

namespace {

class PhoneProbeTest : public ::testing::Test {
protected:
    PhoneProbeTest()
    {
        phoneDialogue().clear();
        probe.setScheduler(clock);
        probe.setLine({
            [this](const QString&, TAfOpenFailure&) {
                phone.openLine();
                return true;
            },
            [this](const QByteArray& bytes) {
                if (phone.vanished())
                    return false;
                phone.write(bytes);
                return true;
            },
            [this](char* buffer, int32_t count) {
                const QByteArray bytes = phone.take(count);
                std::memcpy(buffer, bytes.constData(), size_t(bytes.size()));
                return int32_t(bytes.size());
            },
            [this] { return phone.vanished(); },
            [] {},
        });
        QObject::connect(&probe, &PhoneProbe::finished, [this](const ProbeResult& r) { result = r; });
    }
    // Tries the phone; false when no result came within 20 s of test time.
    bool tryPhone(const QStringList& args = {}, const QByteArray& state = {})
    {
        phone.start(args, state);
        result.reset();
        started = clock.nowMs();
        EXPECT_TRUE(probe.start(QStringLiteral("/dev/ttyUSB0")));
        EXPECT_FALSE(probe.start(QStringLiteral("/dev/ttyUSB0"))); // never two at once
        for (int ms = 0; ms < 20000 && !result; ++ms)
            clock.advance(1);
        return result.has_value();
    }
    qint64 took() const { return clock.nowMs() - started; }

    kva::ManualClock clock; // outlives the probe
    InProcessPhone phone{clock};
    PhoneProbe probe;
    std::optional<ProbeResult> result;
    qint64 started = 0;
};

} // namespace

TEST_F(PhoneProbeTest, AnsweringPhoneTellsMakerModelAndSimRoom)
{
    ASSERT_TRUE(tryPhone({}, PhoneSim::phoneBookLine(5, "+000000000001", "Setup")));
    EXPECT_EQ(result->outcome, Outcome::Answering);
    EXPECT_EQ(result->text, QStringLiteral("odpovídá: Simfon SF-1 phonesim, SIM: 250 kontaktů, 30 SMS"));
    EXPECT_FALSE(probe.running());
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\rAT+CPBS?\rAT+CPBR=?\rAT+CPMS?\r");
    // Each question follows as soon as its answer is complete (the next poll).
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 10, 20, 30, 40, 50}));

    const QString log = QString::fromUtf8(phoneDialogue().text());
    EXPECT_TRUE(log.contains(QStringLiteral(" -- Najít telefon: zkouším /dev/ttyUSB0\n")));
    EXPECT_TRUE(log.contains(QStringLiteral(" -> AT+CGMM<CR>\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("SF-1 phonesim<CR><LF>")));
}

TEST_F(PhoneProbeTest, SilentDeviceAfterTheWholePresenceWait)
{
    ASSERT_TRUE(tryPhone({"--silent"}));
    EXPECT_EQ(result->outcome, Outcome::Silent);
    EXPECT_EQ(result->text, QStringLiteral("neodpovídá"));
    EXPECT_EQ(took(), PhoneProbe::PresenceWaitMs);
    EXPECT_EQ(phone.received(), "AT\r");
}

TEST_F(PhoneProbeTest, UnansweredQuestionsAreLeftOutAfterTheirWait)
{
    // The phone answers the probe and then only echoes.
    ASSERT_TRUE(tryPhone({"--mute-after", "1"}));
    EXPECT_EQ(result->outcome, Outcome::Answering);
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 10, 1010, 2010, 3010, 4010}));
    EXPECT_EQ(took(), 5010);
}

TEST_F(PhoneProbeTest, NonsenseInsteadOfOkIsNoPhone)
{
    ASSERT_TRUE(tryPhone({"--reply", "AT", "\\r\\n@@\\x00garbage\\r\\n"}));
    EXPECT_EQ(result->outcome, Outcome::NotAPhone);
    EXPECT_EQ(result->text, QStringLiteral("odpověď nesrozumitelná, nejde o telefon"));
    EXPECT_EQ(took(), PhoneProbe::PresenceWaitMs);
}

TEST_F(PhoneProbeTest, RefusalOfTheProbeIsNoPhoneAtOnce)
{
    ASSERT_TRUE(tryPhone({"--error", "AT"}));
    EXPECT_EQ(result->outcome, Outcome::NotAPhone);
    EXPECT_EQ(result->text, QStringLiteral("na AT neodpověděl OK"));
    EXPECT_EQ(took(), PhoneProbe::PollMs); // the refusal is final: no waiting for more
    EXPECT_EQ(phone.received(), "AT\r");
}

TEST_F(PhoneProbeTest, AnswersInSmallPiecesAreWaitedForUntilWhole)
{
    ASSERT_TRUE(tryPhone({"--piece-bytes", "3", "--piece-gap-ms", "25"}));
    EXPECT_EQ(result->outcome, Outcome::Answering);
    EXPECT_EQ(result->text, QStringLiteral("odpovídá: Simfon SF-1 phonesim, SIM: 250 kontaktů, 30 SMS"));
    // Each question follows at the first poll after the last piece of the answer before it
    // ("\r\nOK\r\n" to AT: pieces at 0 and 25 ms, so the next poll at 30), long before its
    // time is up; a maker or model read from a piece would be missing from the summary.
    EXPECT_EQ(phone.receivedTimes("AT"), (QList<qint64>{0, 30, 130, 330, 530, 760}));
}

TEST_F(PhoneProbeTest, FloodOfAMegabyteIsCutShort)
{
    ASSERT_TRUE(tryPhone({"--flood", "1000000"}));
    EXPECT_EQ(result->outcome, Outcome::Flooding);
    EXPECT_EQ(result->text, QStringLiteral("posílá nepřetržitě data (přes 64 KiB), nejde o telefon"));
    // What was read is in the log, but not the whole megabyte.
    EXPECT_GT(phoneDialogue().size(), PhoneProbe::FloodBytes);
    EXPECT_LT(phoneDialogue().size(), 2 * PhoneProbe::FloodBytes);
}

TEST_F(PhoneProbeTest, DeviceVanishingMidProbe)
{
    ASSERT_TRUE(tryPhone({"--vanish-on", "AT+CGMM"}));
    EXPECT_EQ(result->outcome, Outcome::Vanished);
    EXPECT_EQ(result->text, QStringLiteral("zařízení zmizelo během zkoušky (odpojený kabel?)"));
    EXPECT_FALSE(probe.running());
    EXPECT_EQ(phone.received(), "AT\rAT+CGMI\rAT+CGMM\r");
}
