#include "Convert.h"

#include "KvaError.h"

#include <limits>

namespace kva {

int strToInt(const QString& text)
{
    const auto fail = [&] { throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text)); };
    int i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            fail();
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            fail();
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        fail();
    return static_cast<int>(value);
}

} // namespace kva
