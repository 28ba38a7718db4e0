// Line files (*.par, *.num, *.sms, setting.ini) are split the same way: any bytes must give
// exactly the asked number of lines, each within the length limit, and survive re-encoding. The
// file reader, which takes 16 KiB at a time, must split exactly as the in-memory splitter does,
// also when a CR LF pair, a Ctrl-Z or a long line lies across two of its reads.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "LineFile.h"

#include <cstdint>

using kva::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kva::fuzz::ScratchFile file("lines");
    const QByteArray bytes = kva::fuzz::bytesOf(data, size);
    for (int count : {0, 1, 2, 10, 18}) {
        const QStringList lines = kva::splitLines(bytes, count);
        check(lines.size() == count, "not the asked number of lines");
        for (const QString& line : lines) {
            check(line.size() <= kva::MaxLineLength && !line.contains(QChar(u'\r')) && !line.contains(QChar(u'\n')),
                  "line too long or holding a line end");
            check(kva::fromCp1250(kva::toCp1250(line)) == line, "line does not survive re-encoding");
        }
    }
    file.write(bytes);
    check(kva::readLineFile(file.path(), 18) == kva::splitLines(bytes, 18), "file reader and splitter disagree");
    const QByteArray shifted = kva::fuzz::acrossReadBoundary(bytes);
    file.write(shifted);
    check(kva::readLineFile(file.path(), 2) == kva::splitLines(shifted, 2),
          "file reader and splitter disagree across a read boundary");
    return 0;
}
