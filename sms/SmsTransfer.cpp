#include "SmsTransfer.h"

#include "PhoneReply.h"

#include <algorithm>

namespace kva::sms {

QByteArray deleteCommand(int position)
{
    return "AT+CMGD=" + QByteArray::number(position) + '\r';
}

QByteArray announceCommand(quint16 tpduLength)
{
    return "AT+CMGW=" + QByteArray::number(tpduLength) + '\r';
}

QByteArray pduCommand(const QByteArray& pduText)
{
    return pduText + '\x1a';
}

QString readCommand(int position)
{
    return QStringLiteral("AT+CMGR=%1\r").arg(position);
}

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

QString Retezec(const QString& reply)
{
    return kva::lineAfterColon(reply);
}

bool isHexPdu(const QString& line)
{
    if (line.isEmpty() || line.size() % 2 != 0)
        return false;
    for (QChar c : line) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

QString pduLine(const QString& reply, int position)
{
    const QString line = Retezec(kva::replyFromEcho(reply, readCommand(position)));
    return isHexPdu(line) ? line : QString();
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

PlanStep status(const QString& text)
{
    return {PlanStep::Status, 0, text, {}};
}
PlanStep progress(int value)
{
    return {PlanStep::Progress, value, {}, {}};
}
PlanStep send(const QByteArray& bytes)
{
    return {PlanStep::Send, 0, {}, bytes};
}
PlanStep pause(int ms)
{
    return {PlanStep::Pause, ms, {}, {}};
}
PlanStep simple(PlanStep::Kind kind)
{
    return {kind, 0, {}, {}};
}

} // namespace

Plan storePlan(const std::array<EncodedSms, PairCount>& pairs, int stepDelayMs)
{
    // Progress before each delete: 12 × n, except that position 5 keeps the 48 of position 4.
    static const int deleteProgress[PairCount] = {12, 24, 36, 48, 48, 60, 72, 84, 96};
    Plan plan;
    plan.push_back(status(QStringLiteral("Mažu pozice na SIM")));
    plan.push_back(simple(PlanStep::ShowGauge));
    for (int n = 1; n <= PairCount; ++n) {
        plan.push_back(progress(deleteProgress[n - 1]));
        plan.push_back(send(deleteCommand(n)));
        plan.push_back(pause(stepDelayMs));
    }
    plan.push_back(status(QStringLiteral(" ")));
    plan.push_back(progress(0));
    plan.push_back(status(QStringLiteral("Ukládám na pozice na SIM")));
    plan.push_back(pause(stepDelayMs));
    for (int i = 0; i < PairCount; ++i) {
        plan.push_back(simple(PlanStep::ClearReply));
        plan.push_back(i == 0 ? progress(12) : simple(PlanStep::GaugeIncrement));
        plan.push_back(send(announceCommand(pairs[i].tpduLength)));
        plan.push_back(pause(stepDelayMs));
        plan.push_back(i == PairCount - 1 ? progress(100) : simple(PlanStep::GaugeIncrement));
        plan.push_back(send(pduCommand(pairs[i].pduText)));
        plan.push_back(pause(stepDelayMs));
    }
    plan.push_back(simple(PlanStep::HideGauge));
    plan.push_back(status(QStringLiteral(" ")));
    return plan;
}

Plan deletePlan(int stepDelayMs)
{
    Plan plan;
    plan.push_back(status(QStringLiteral("Mažu pozice na SIM")));
    plan.push_back(simple(PlanStep::ShowGauge));
    plan.push_back(progress(3));
    for (int n = 1; n <= PairCount; ++n) {
        plan.push_back(send(deleteCommand(n)));
        plan.push_back(pause(stepDelayMs));
        plan.push_back(progress(n < PairCount ? 12 * n : 100));
    }
    plan.push_back(simple(PlanStep::HideGauge));
    plan.push_back(status(QStringLiteral(" ")));
    plan.push_back(progress(0));
    plan.push_back(simple(PlanStep::ClearFields));
    return plan;
}

} // namespace kva::sms
