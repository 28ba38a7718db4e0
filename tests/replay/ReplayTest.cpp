// Replays the golden transcripts of tests/data: the program runs with a fake port and a
// manual clock; the phone's side of the recording answers it. What the program sends must be
// the recorded bytes exactly, each command at its planned time to the millisecond.
#include "MessageBoxes.h"
#include "PhoneSim.h"
#include "PhoneChannel.h"
#include "QStringPrint.h"
#include "Scenarios.h"
#include "Scheduler.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The phone's side of a transcript: each chunk it sent, once the program has written as many
// bytes as the phone had received before it, after the recorded delay.
struct Answer {
    qsizetype afterBytes;
    qint64 delayMs;
    QByteArray bytes;
};

class Replay : public ::testing::Test {
protected:
    Replay()
    {
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            shown << m.title + u'|' + m.text;
            return true;
        });
    }
    ~Replay() override
    {
        form.reset();
        kva::setMessageHook({});
    }

    void play(const replay::Scenario& s)
    {
        QList<PhoneSim::Record> records =
            PhoneSim::readTranscript(qEnvironmentVariable("KVA271_TEST_DATA") + u'/' + s.name + ".txt");
        records.removeIf([](const PhoneSim::Record& r) { return r.dir != "rx" && r.dir != "tx"; }); // notes
        ASSERT_FALSE(records.isEmpty()) << s.name;
        qsizetype received = 0;
        qint64 lastRx = 0;
        for (const PhoneSim::Record& r : records) {
            if (r.dir == "tx") {
                answers.append({received, r.ms - lastRx, r.bytes});
            } else {
                expected += r.bytes;
                received += r.bytes.size();
                lastRx = r.ms;
                recordedTimes << r.ms - records.constFirst().ms;
            }
        }
        form = std::make_unique<TForm1>(dir.path("setting.ini"));
        building = form.get();
        form->FormCreate(s.windows);
        kva::PhoneChannel& ch = form->channel();
        ch.setScheduler(clock);
        ch.setPort({
            [] { return true; },
            [this](const QByteArray& bytes) { write(bytes); },
            [this] { return std::exchange(input, QByteArray()); },
        });
        start = clock.nowMs();
        s.button()->click();
        ASSERT_TRUE(clock.runUntilIdle(60000)) << s.name;
        EXPECT_FALSE(ch.busy()) << s.name;
    }

    void write(const QByteArray& bytes)
    {
        written += bytes;
        sendTimes << clock.nowMs() - start;
        while (nextAnswer < answers.size() && answers[nextAnswer].afterBytes <= written.size()) {
            const Answer a = answers[nextAnswer++];
            clock.after(int(a.delayMs), [this, a] {
                input += a.bytes;
                form->channel().dataReceived();
            });
        }
    }

    TempDir dir;
    kva::ManualClock clock;
    std::unique_ptr<TForm1> form;
    TForm1* building = nullptr;
    QStringList shown;
    QList<Answer> answers;
    qsizetype nextAnswer = 0;
    QByteArray expected;
    QByteArray written;
    QByteArray input;
    QList<qint64> sendTimes;
    QList<qint64> recordedTimes; // when the phone received each piece, from its first
    qint64 start = 0;
};

TEST_F(Replay, EveryRecordedExchangeSendsTheSameBytesAtItsPlannedTimes)
{
    QWidget* page = nullptr;
    for (const replay::Scenario& s : replay::scenarios(page, building)) {
        SCOPED_TRACE(s.name);
        answers.clear();
        nextAnswer = 0;
        expected.clear();
        written.clear();
        input.clear();
        sendTimes.clear();
        recordedTimes.clear();
        shown.clear();
        play(s);
        EXPECT_EQ(written, expected);
        EXPECT_EQ(sendTimes, s.sendTimesMs);
        // The plan is what the program did in real time when it was recorded (give or take
        // the scheduling of a loaded machine).
        ASSERT_EQ(recordedTimes.size(), s.sendTimesMs.size());
        for (qsizetype i = 0; i < recordedTimes.size(); ++i)
            EXPECT_NEAR(double(recordedTimes[i] - recordedTimes[0]), double(s.sendTimesMs[i]), 80.0) << i;
        EXPECT_EQ(shown, s.boxes);
        if (!s.expectShown.isEmpty()) {
            EXPECT_EQ(replay::shows(page), s.expectShown);
        }
        form.reset();
    }
}

} // namespace
