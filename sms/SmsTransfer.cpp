#include "SmsTransfer.h"

#include <algorithm>

namespace kva::sms {

QList<int> positions()
{
    QList<int> all;
    for (int n = 1; n <= PairCount; ++n)
        all.append(n);
    return all;
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

} // namespace kva::sms
