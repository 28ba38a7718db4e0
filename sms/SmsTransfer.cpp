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
        e.then([v, p = deleteProgress[n - 1]] { v->setGauge(p); }).send(smsDeleteCommand(n)).pause(stepDelayMs);
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
        e.send(smsAnnounceCommand(pairs[i].tpduLength)).pause(stepDelayMs);
        if (i == PairCount - 1)
            e.then([v] { v->setGauge(100); });
        else
            e.then(increment);
        e.send(smsPduCommand(pairs[i].pduText)).pause(stepDelayMs);
    }
    e.then([v] {
        v->setGaugeShown(false);
        v->setStatus(QStringLiteral(" "));
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
        e.send(smsDeleteCommand(n)).pause(stepDelayMs).then([v, n] { v->setGauge(n < PairCount ? 12 * n : 100); });
    e.then([v] {
        v->setGaugeShown(false);
        v->setStatus(QStringLiteral(" "));
        v->setGauge(0);
        v->clearFields();
    });
    return e;
}

} // namespace kva::sms
