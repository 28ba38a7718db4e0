#include "PhoneNumberText.h"

namespace kva {

bool isInternationalNumber(const QString& number)
{
    if (number.size() != 13 || number.front() != u'+')
        return false;
    for (qsizetype i = 1; i < number.size(); ++i)
        if (number[i] < u'0' || number[i] > u'9')
            return false;
    return true;
}

} // namespace kva
