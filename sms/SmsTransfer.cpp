#include "SmsTransfer.h"

#include "ControlCharacters.h"

#include <algorithm>

namespace kva::sms {

QList<int> positions()
{
    QList<int> all;
    for (int n = 1; n <= PairCount; ++n)
        all.append(n);
    return all;
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
