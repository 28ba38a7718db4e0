// Line files (*.par, *.num, *.sms, setting.ini) are split the same way: any bytes must give
// exactly the asked number of lines, each within the length limit, and survive re-encoding.
#include "Cp1250.h"
#include "LineFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int count : {0, 1, 2, 10, 18}) {
        const QStringList lines = kva::splitLines(bytes, count);
        if (lines.size() != count)
            std::abort();
        for (const QString& line : lines) {
            if (line.size() > kva::MaxLineLength || line.contains(QChar(u'\r')) || line.contains(QChar(u'\n')))
                std::abort();
            if (kva::fromCp1250(kva::toCp1250(line)) != line)
                std::abort();
        }
    }
    return 0;
}
