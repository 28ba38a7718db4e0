#include "SmsTransfer.h"

#include "AtCommands.h"

#include <algorithm>

namespace kva::sms {

const std::array<ReadStep, PairCount>& readSteps()
{
    // 118 stands for the eighth read because 18 is the probe's value.
    static const std::array<ReadStep, PairCount> steps{{
        {11, 1, 12, 12},
        {12, 2, 13, 24},
        {13, 3, 14, 36},
        {14, 4, 15, 48},
        {15, 5, 16, 60},
        {16, 6, 17, 72},
        {17, 7, 118, 84},
        {118, 8, 19, 96},
        {19, 9, 0, 100},
    }};
    return steps;
}

const ReadStep* findReadStep(int step)
{
    for (const ReadStep& s : readSteps())
        if (s.step == step)
            return &s;
    return nullptr;
}

QString blankControls(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 32)
            c = u' ';
    return out;
}

Pair pairToSend(const Pair& pair)
{
    return {blankControls(pair.number), blankControls(pair.text)};
}

int gaugeIncrement(int value)
{
    return std::min(value + 6, 100);
}

namespace {

// The check at the end of a command's pause: the phone's answer since the command confirms it.
std::function<QString()> confirmed(PageView* v, Confirmation c)
{
    return [v, c = std::move(c)] { return confirmationFailure(c, v->receivedSinceSend()); };
}

Confirmation deleted(int position)
{
    return {Confirmation::Deleted, QStringLiteral("vymazání SMS na pozici %1").arg(position), position == 1};
}

} // namespace

Exchange storeExchange(const std::array<EncodedSms, PairCount>& pairs, int stepDelayMs, PageView& view)
{
    // Progress before each delete: 12 × n, except that position 5 keeps the 48 of position 4.
    static const int deleteProgress[PairCount] = {12, 24, 36, 48, 48, 60, 72, 84, 96};
    PageView* v = &view;
    const auto increment = [v] { v->setGauge(gaugeIncrement(v->gauge())); };
    Exchange e;
    e.then([v] {
        v->setStatus(QStringLiteral("Mažu pozice na SIM"));
        v->setGaugeShown(true);
    });
    for (int n = 1; n <= PairCount; ++n)
        e.then([v, p = deleteProgress[n - 1]] { v->setGauge(p); })
            .send(smsDeleteCommand(n))
            .pause(stepDelayMs)
            .check(confirmed(v, deleted(n)));
    e.then([v] {
        v->setStatus(QStringLiteral(" "));
        v->setGauge(0);
        v->setStatus(QStringLiteral("Ukládám na pozice na SIM"));
    });
    e.pause(stepDelayMs);
    for (int i = 0; i < PairCount; ++i) {
        e.then([v] { v->clearReply(); });
        if (i == 0)
            e.then([v] { v->setGauge(12); });
        else
            e.then(increment);
        const QString what = QStringLiteral("uložení SMS pro pozici %1").arg(i + 1);
        e.send(smsAnnounceCommand(pairs[i].tpduLength))
            .pause(stepDelayMs)
            .check(confirmed(v, {Confirmation::Prompt, what}));
        if (i == PairCount - 1)
            e.then([v] { v->setGauge(100); });
        else
            e.then(increment);
        // After the nine deletes the phone must take the lowest free position: the order of the
        // messages is what the alarm relies on.
        e.send(smsPduCommand(pairs[i].pduText))
            .pause(stepDelayMs)
            .check(confirmed(v, {Confirmation::Stored, what, false, i + 1}));
    }
    e.then([v] {
        v->setGaugeShown(false);
        v->setStatus(allWritesConfirmedText());
    });
    return e;
}

Exchange deleteExchange(int stepDelayMs, PageView& view)
{
    PageView* v = &view;
    Exchange e;
    e.then([v] {
        v->setStatus(QStringLiteral("Mažu pozice na SIM"));
        v->setGaugeShown(true);
        v->setGauge(3);
    });
    for (int n = 1; n <= PairCount; ++n)
        e.send(smsDeleteCommand(n))
            .pause(stepDelayMs)
            .check(confirmed(v, deleted(n)))
            .then([v, n] { v->setGauge(n < PairCount ? 12 * n : 100); });
    // The fields are emptied only once the phone has confirmed all nine deletes.
    e.then([v] {
        v->setGaugeShown(false);
        v->setStatus(QStringLiteral("Vymazáno, telefon potvrdil všechna vymazání"));
        v->setGauge(0);
        v->clearFields();
    });
    return e;
}

} // namespace kva::sms
